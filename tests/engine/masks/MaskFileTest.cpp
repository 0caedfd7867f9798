#include "engine/masks/MaskFile.h"
#include "platform/Cp1251.h"

#include "support/TempProgramDir.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <string>

namespace {

using Points = std::vector<TMaskPoint>;

void ExpectPoints(const Points &actual, const Points &expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(actual[i].x, expected[i].x) << "point " << i;
        EXPECT_EQ(actual[i].y, expected[i].y) << "point " << i;
    }
}

// Switches the C library to a locale whose decimal separator is a comma for the length of a test, when
// the system has one.
class CommaLocale {
public:
    CommaLocale() : previous_(std::setlocale(LC_ALL, nullptr)) {
        for (const char *name : {"ru_RU.UTF-8", "ru_RU.utf8", "de_DE.UTF-8"})
            if (std::setlocale(LC_ALL, name)) {
                active_ = true;
                break;
            }
    }
    ~CommaLocale() { std::setlocale(LC_ALL, previous_.c_str()); }
    bool Active() const { return active_; }

private:
    std::string previous_;
    bool active_ = false;
};

// The sample of the file format: a header, one data line, a line with a single '=' between a letter and
// a digit, and an empty line.
const QByteArray SampleFile = ToCp1251(QStringLiteral("==Маска образец\r\n1   2\r\nx=5 6\r\n\r\n"));

TEST(MaskFile, SampleReadsAsOnePoint) {
    const TMaskFileContents contents = ParseMaskPoints(SampleFile);
    EXPECT_TRUE(contents.Error.isEmpty());
    ExpectPoints(contents.Points, {{1, 2}});
}

TEST(MaskFile, SampleReadsAsOnePointUnderACommaLocale) {
    CommaLocale locale;
    if (locale.Active()) {
        EXPECT_EQ(std::string(std::localeconv()->decimal_point), ",");
    }
    ExpectPoints(ParseMaskPoints(SampleFile).Points, {{1, 2}});
    ExpectPoints(ParseMaskPoints("0.5 1.25\n").Points, {{0.5, 1.25}});
}

struct ParseCase {
    const char *name;
    QByteArray bytes;
    Points expected;
};

TEST(MaskFile, DataLinesAreReadAsTheScannerReadsThem) {
    const ParseCase cases[] = {
        {"signs and exponents", "+1 -2\n3e1\t-4.5E-1\n", {{1, -2}, {30, double(-0.45f)}}},
        {"a comma is not a decimal separator", "1,5 2\n3 4\n", {{3, 4}}},
        {"one number is not a point", "7\n8 9\n", {{8, 9}}},
        {"text after the pair is ignored", "1 2 3 abc\n", {{1, 2}}},
        {"text before the pair drops the line", "x 1 2\n2 3\n", {{2, 3}}},
        {"values are single precision", "0.1 0.2\n", {{double(0.1f), double(0.2f)}}},
        {"a value too small for a float is zero", "1e-50 2\n", {{0, 2}}},
        {"no line feed at the end", "5 6", {{5, 6}}},
        {"an empty file", "", {}},
    };
    for (const ParseCase &c : cases) {
        SCOPED_TRACE(c.name);
        const TMaskFileContents contents = ParseMaskPoints(c.bytes);
        EXPECT_TRUE(contents.Error.isEmpty());
        ExpectPoints(contents.Points, c.expected);
    }
}

TEST(MaskFile, DescendingFileIsTurnedRoundAscendingAndMixedAreKept) {
    ExpectPoints(ParseMaskPoints("30 3\n20 2\n20 5\n10 1\n").Points, {{10, 1}, {20, 5}, {20, 2}, {30, 3}});
    ExpectPoints(ParseMaskPoints("1 1\n3 3\n2 2\n").Points, {{1, 1}, {3, 3}, {2, 2}});
    ExpectPoints(ParseMaskPoints("4 1\n4 2\n").Points, {{4, 1}, {4, 2}});
}

TEST(MaskFile, NumbersThatAreNotFiniteMakeTheFileAnError) {
    for (const char *bytes : {"1 2\n1e50 3\n", "1 inf\n", "nan 2\n", "1 2\n2 1e400\n"}) {
        SCOPED_TRACE(bytes);
        const TMaskFileContents contents = ParseMaskPoints(bytes);
        EXPECT_FALSE(contents.Error.isEmpty());
        EXPECT_TRUE(contents.Points.empty());
    }
}

TEST(MaskFile, UnreadableFileIsAnError) {
    TempProgramDir dir;
    EXPECT_FALSE(ReadMaskPoints(dir.path(QStringLiteral("missing.9sf"))).Error.isEmpty());
    EXPECT_FALSE(ReadMaskPoints(dir.path()).Error.isEmpty()); // a folder
}

TEST(MaskFile, CombinedSetIsWrittenInItsFormatAndReadsBack) {
    TempProgramDir dir;
    const QString path = dir.path(QStringLiteral("набор.9sf"));
    CommaLocale locale;
    ASSERT_TRUE(WriteCombinedMaskSet(path, {{0.5, -1.25}, {1000, 20}}));
    const QByteArray expected = ToCp1251(QStringLiteral("==Маска ") + path + QStringLiteral(" \n")) +
                                ToCp1251(QStringLiteral("==ед.изм1==ед.изм2 \n")) +
                                "   0.500000    -1.250000\n"
                                "   1000.000000    20.000000\n"
                                "=====================\n";
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), expected);
    ExpectPoints(ReadMaskPoints(path).Points, {{0.5, -1.25}, {1000, 20}});
}

TEST(MaskFile, CombinedSetIntoAFolderThatCannotBeWrittenFails) {
    TempProgramDir dir;
    EXPECT_FALSE(WriteCombinedMaskSet(dir.path(QStringLiteral("no/such/folder/set.9sf")), {{1, 2}}));
}

} // namespace
