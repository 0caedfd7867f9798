#include "chartlib/Chartlib.h"

#include <gtest/gtest.h>

#include <array>
#include <numeric>

TEST(ChartlibText, ReplaceAllRestartsFromTheStartAfterEachReplacement) {
    struct Case {
        const char *text;
        const char *what;
        const char *with;
        const char *result;
    };
    const Case cases[] = {
        {"a____b", "__", "_", "a_b"},    // each pass restarts: four underscores end as one
        {"a_____b", "__", "_", "a_b"},   // odd count too
        {"12:30:45", ":", "", "123045"}, // removal of a single character
        {"x,y,z", ",", ".", "x.y.z"},    // same length
        {"a b", " ", "_", "a_b"},
        {"line\nnext\n", "\n", " ", "line next "},
        {"abc", "", "x", "abc"}, // empty what changes nothing
        {"", "a", "", ""},
        {"aabb", "ab", "", ""}, // a removal that forms a new occurrence
    };
    for (const Case &c : cases)
        EXPECT_EQ(ReplaceAll(c.text, c.what, c.with), c.result) << c.text << " " << c.what;
}

// A replacement that contains the searched text, or otherwise keeps forming new occurrences, would make
// the repetition grow the text for ever; each occurrence of the original text is replaced once instead.
TEST(ChartlibText, ReplaceAllEndsWhenTheReplacementCouldRecreateWhat) {
    EXPECT_EQ(ReplaceAll("a_b_c", "_", "__"), "a__b__c");
    EXPECT_EQ(ReplaceAll("xx", "x", "xx"), "xxxx");
    EXPECT_EQ(ReplaceAll("aab", "ab", "bbaa"), "abbaa");
}

TEST(ChartlibText, CommaToDecimalSeparatorChangesOnlyTheFirstComma) {
    EXPECT_EQ(CommaToDecimalSeparator("12,5"), "12.5");
    EXPECT_EQ(CommaToDecimalSeparator("1,2,3"), "1.2,3");
    EXPECT_EQ(CommaToDecimalSeparator("12.5"), "12.5");
}

TEST(ChartlibText, CutAtSeparatorKeepsTheFirstNameOfAList) {
    EXPECT_EQ(CutAtSeparator("upper.msk;lower.msk", ";", "..."), "upper.msk...");
    EXPECT_EQ(CutAtSeparator("upper.msk;", ";", "..."), "upper.msk");
    EXPECT_EQ(CutAtSeparator("upper.msk", ";", "..."), "upper.msk");
    EXPECT_EQ(CutAtSeparator(";lower.msk", ";", "..."), "...");
    EXPECT_EQ(CutAtSeparator("a;b", "", "..."), "a;b");
}

TEST(ChartlibText, FileNameWithoutExtDropsOnlyTheLastExtension) {
    struct Case {
        const char *path;
        const char *name;
    };
    const Case cases[] = {
        {"/data/Masks/spectrum.upper.msk", "spectrum.upper"},
        {"/data/Masks/.hidden", ".hidden"},
        {"C:\\R9\\Masks\\level.msk", "level"}, // a stored Windows path
        {"plain", "plain"},
        {"/dir.with.dots/plain", "plain"},
        {"name.", "name"},
        {"", ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(FileNameWithoutExt(c.path), c.name) << c.path;
}

TEST(ChartlibText, AddTrailingBackslashAppendsOnlyWhenMissing) {
    const std::pair<QString, QString> cases[] = {
        {"Report\\Temp1\\", "Report\\Temp1\\"},
        {"Report\\Temp1", "Report\\Temp1\\"},
        {"", ""},
    };
    for (const auto &[in, out] : cases) {
        QString folder = in;
        AddTrailingBackslash(folder);
        EXPECT_EQ(folder, out) << in.toStdString();
    }
}

TEST(ChartlibText, CopyToFixedFieldZeroFillsAndWritesWindows1251) {
    std::array<char, 8> field;
    field.fill('\x55');
    CopyToFixedField(field.data(), QStringLiteral("Ая"), 6);
    EXPECT_EQ(QByteArray(field.data(), 8), QByteArray("\xC0\xFF\0\0\0\0\x55\x55", 8));

    field.fill('\x55');
    CopyToFixedField(field.data(), QStringLiteral("abcdefgh"), 6); // full: no terminating zero
    EXPECT_EQ(QByteArray(field.data(), 8), QByteArray("abcdef\x55\x55", 8));
}

TEST(ChartlibText, InsertZeroBytesOpensAGapInsideTheCapacity) {
    std::array<unsigned char, 24> buffer;
    std::iota(buffer.begin(), buffer.end(), 1);
    ASSERT_TRUE(InsertZeroBytes(buffer.data(), buffer.size(), 10, 4, 20));
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(buffer[i], i + 1) << i;
    for (int i = 10; i < 14; ++i)
        EXPECT_EQ(buffer[i], 0) << i;
    for (int i = 14; i < 24; ++i)
        EXPECT_EQ(buffer[i], i - 4 + 1) << i;

    // Requests that would reach past the buffer leave it untouched.
    struct Case {
        std::size_t offset, count, total;
    };
    const Case refused[] = {{10, 5, 20}, {21, 3, 22}, {30, 0, 20}, {0, 0, 25}, {0, 25, 0}, {0, SIZE_MAX, 20}};
    for (const Case &c : refused) {
        std::array<unsigned char, 24> before = buffer;
        EXPECT_FALSE(InsertZeroBytes(buffer.data(), buffer.size(), c.offset, c.count, c.total)) << c.offset;
        EXPECT_EQ(buffer, before) << c.offset;
    }
    EXPECT_TRUE(InsertZeroBytes(buffer.data(), buffer.size(), 20, 4, 20)); // a gap at the very end
    EXPECT_EQ(buffer[20], 0);
    EXPECT_EQ(buffer[23], 0);
}

TEST(ChartlibText, XorOfBytesIsTheCheckByteOfACommandPiece) {
    EXPECT_EQ(XorOfBytes(""), 0);
    EXPECT_EQ(XorOfBytes("A"), 0x41);
    EXPECT_EQ(XorOfBytes("AB"), 0x41 ^ 0x42);
    EXPECT_EQ(XorOfBytes(QByteArray("\xFF\x0F\x00", 3)), 0xF0);
}
