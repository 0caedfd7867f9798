#include "engine/masks/MaskEditFile.h"

#include "platform/Cp1251.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const TMaskKind &Kind(int row) {
    return MaskKindTable[std::size_t(row)];
}

std::vector<TMaskRow> Rows(std::initializer_list<std::pair<const char *, const char *>> cells) {
    std::vector<TMaskRow> rows;
    for (const auto &[x, y] : cells)
        rows.push_back({QString::fromUtf8(x), QString::fromUtf8(y)});
    return rows;
}

TEST(MaskKindTable, EveryTitleNamesItsPattern) {
    for (const TMaskKind &kind : MaskKindTable) {
        SCOPED_TRACE(kind.Title);
        const QString title = QString::fromUtf8(kind.Title);
        EXPECT_TRUE(title.endsWith(QStringLiteral("(") + QString::fromUtf8(kind.Pattern) + QStringLiteral(")")));
        EXPECT_LT(kind.XMin, kind.XMax);
        EXPECT_LT(kind.YMin, kind.YMax);
        // The fields of the record are 10 and 50 bytes of windows-1251 with their terminating zero.
        EXPECT_LT(ToCp1251(QString::fromUtf8(kind.XUnit)).size(), 10);
        EXPECT_LT(ToCp1251(QString::fromUtf8(kind.YUnit)).size(), 10);
        EXPECT_LT(ToCp1251(title).size(), 50);
    }
    EXPECT_STREQ(Kind(WeightingMaskKind).Pattern, "*.9wf");
    EXPECT_EQ(Kind(15).XMax, 250000000.0f);
    EXPECT_EQ(Kind(16).XMax, 250000000.0f);
}

// Comments and points: every line that is no comment is a row, and a number that a blank or damaged line
// does not yield repeats the one of the row before (0 before the first).
TEST(MaskEditFile, OpenShowsCommentsAndEveryOtherLineAsARow) {
    const QByteArray bytes = ToCp1251(QStringLiteral("abc\r\n==Маска АЧХ\r\n10   -3.5\r\n\r\nabc\r\n7\r\n"
                                                     "x==y\r\n20\t-4,5\r\n250000000.5   1\r\na=1 2\r\n30 1"));
    const TMaskEditContents contents = ParseMaskEditFile(bytes);
    EXPECT_EQ(contents.Comment, (QStringList{QStringLiteral("==Маска АЧХ"), QStringLiteral("x==y")}));
    const std::vector<std::pair<double, double>> expected = {
        {0, 0},   // "abc" before any data line
        {10, -3.5},
        {10, -3.5}, // the blank line
        {10, -3.5}, // "abc"
        {7, -3.5},  // only x
        {20, -4},   // "-4,5" reads as -4, as the scanner stops at the comma
        {250000000.5, 1},
        {250000000.5, 1}, // "a=1 2": the scan stops at its first character
        {30, 1},
    };
    ASSERT_EQ(contents.Points.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(contents.Points[i].x, expected[i].first) << "row " << i;
        EXPECT_EQ(contents.Points[i].y, expected[i].second) << "row " << i;
    }
    EXPECT_EQ(MaskCellText(10), "10.00000");
    EXPECT_EQ(MaskCellText(-3.5), "-3.50000");
}

// Reflectogram distances are kept to the metre and below when a file is opened and saved again.
TEST(MaskEditFile, LargeDistancesSurviveAReSave) {
    const TMaskEditContents first = ParseMaskEditFile("123456789.25   -10\n249999999   5\n");
    std::vector<TMaskRow> rows;
    for (const TMaskPoint &p : first.Points)
        rows.push_back({MaskCellText(p.x), MaskCellText(p.y)});
    EXPECT_EQ(rows[0][0], "123456789.25000");
    ASSERT_TRUE(CheckMaskRows(rows, Kind(15)).Ok);
    const TMaskEditContents again = ParseMaskEditFile(MaskEditFileText({}, rows));
    ASSERT_EQ(again.Points.size(), 2u);
    EXPECT_EQ(again.Points[0].x, 123456789.25);
    EXPECT_EQ(again.Points[1].x, 249999999);
}

TEST(MaskEditFile, OnePointIsTooFew) {
    std::vector<TMaskRow> rows = Rows({{"1", "2"}});
    const TMaskCheck check = CheckMaskRows(rows, Kind(4));
    EXPECT_FALSE(check.Ok);
    EXPECT_EQ(check.Message, QString::fromUtf8("Недостаточно значений в маске"));
    EXPECT_EQ(check.Row, 0);
}

struct MonotonicCase {
    std::vector<const char *> xs;
    int failingRow; // -1: passes
};

class MaskMonotonic : public ::testing::TestWithParam<MonotonicCase> {};

TEST_P(MaskMonotonic, XRunsOneWayWithEqualNeighboursAllowed) {
    std::vector<TMaskRow> rows;
    for (const char *x : GetParam().xs)
        rows.push_back({QString::fromLatin1(x), QStringLiteral("0")});
    const TMaskCheck check = CheckMaskRows(rows, Kind(4));
    if (GetParam().failingRow < 0) {
        EXPECT_TRUE(check.Ok) << check.Message.toStdString();
        return;
    }
    EXPECT_FALSE(check.Ok);
    EXPECT_EQ(check.Message, QString::fromUtf8("Значения по Х должны быть монотонны!"));
    EXPECT_EQ(check.Row, GetParam().failingRow);
    EXPECT_EQ(check.Column, 0);
}

// Rows count from 0 here; the grid shows the failing row of 1, 3, 2 as its third.
INSTANTIATE_TEST_SUITE_P(Xs, MaskMonotonic,
                         ::testing::Values(MonotonicCase{{"1", "2", "2", "3"}, -1},
                                           MonotonicCase{{"3", "2", "2", "1"}, -1},
                                           MonotonicCase{{"1", "3", "2"}, 2},
                                           MonotonicCase{{"1", "1", "2"}, 2},
                                           MonotonicCase{{"5", "4", "4", "6"}, 3}));

TEST(MaskEditFile, RangesNameTheValueAndTheKindsBounds) {
    std::vector<TMaskRow> inside = Rows({{"0", "0"}, {"5000", "120"}});
    EXPECT_TRUE(CheckMaskRows(inside, Kind(4)).Ok);

    std::vector<TMaskRow> wideX = Rows({{"0", "0"}, {"5000.1", "0"}});
    TMaskCheck check = CheckMaskRows(wideX, Kind(4));
    EXPECT_FALSE(check.Ok);
    EXPECT_EQ(check.Message, QString::fromUtf8("Значение 5000.1 по оси Х вне разрешенного диапазона [0,5000]"));
    EXPECT_EQ(check.Row, 1);
    EXPECT_EQ(check.Column, 0);

    std::vector<TMaskRow> lowY = Rows({{"-40000", "-100.5"}, {"0", "0"}});
    check = CheckMaskRows(lowY, Kind(0));
    EXPECT_EQ(check.Message, QString::fromUtf8("Значение -100.5 по оси Y вне разрешенного диапазона [-100,100]"));
    EXPECT_EQ(check.Column, 1);

    std::vector<TMaskRow> far = Rows({{"0", "0"}, {"250000000", "0"}, {"250000001", "0"}});
    check = CheckMaskRows(far, Kind(15));
    EXPECT_EQ(check.Message,
              QString::fromUtf8("Значение 250000001 по оси Х вне разрешенного диапазона [0,250000000]"));
}

TEST(MaskEditFile, ACommaBecomesThePointInTheCellBeforeTheCheck) {
    std::vector<TMaskRow> rows = Rows({{"1,5", "2"}, {"3", "x"}});
    const TMaskCheck check = CheckMaskRows(rows, Kind(4));
    EXPECT_EQ(rows[0][0], "1.5");
    EXPECT_FALSE(check.Ok);
    EXPECT_EQ(check.Message, QString::fromUtf8("Неверное значение"));
    EXPECT_EQ(check.Row, 1);
    EXPECT_EQ(check.Column, 1);
}

TEST(MaskEditFile, SavedTextIsWindows1251WithCrLf) {
    const QStringList comment = MaskCommentLines({QStringLiteral("==Маска"), QStringLiteral("без знаков"), {}});
    EXPECT_EQ(comment, (QStringList{QStringLiteral("==Маска"), QStringLiteral("==без знаков"), QStringLiteral("==")}));
    const QByteArray bytes = MaskEditFileText(comment, Rows({{"1.5", "-2"}, {"3", "4.25"}}));
    EXPECT_EQ(bytes, QByteArray("==\xCC\xE0\xF1\xEA\xE0\r\n==\xE1\xE5\xE7 \xE7\xED\xE0\xEA\xEE\xE2\r\n==\r\n"
                                "1.5   -2\r\n3   4.25\r\n"));
}

TEST(MaskEditFile, AMissingExtensionIsTheKinds) {
    EXPECT_EQ(MaskPathWithExtension(QStringLiteral("/m/afc"), Kind(4)), "/m/afc.9af");
    EXPECT_EQ(MaskPathWithExtension(QStringLiteral("/m/afc.txt"), Kind(4)), "/m/afc.txt");
    EXPECT_EQ(MaskPathWithExtension(QStringLiteral("/m.d/afc"), Kind(0)), "/m.d/afc.9vt");
}

} // namespace
