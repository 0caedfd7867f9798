#include "controls/Strutils.h"

#include <gtest/gtest.h>

namespace {

const QString kSpaceComma = QStringLiteral(" ,");

TEST(Strutils, WordsAndFields) {
    const QString text = QStringLiteral("10, 20,,30");
    EXPECT_EQ(WordCount(text, kSpaceComma), 3);
    EXPECT_EQ(ExtractWord(1, text, kSpaceComma), "10");
    EXPECT_EQ(ExtractWord(2, text, kSpaceComma), "20");
    EXPECT_EQ(ExtractWord(3, text, kSpaceComma), "30");
    EXPECT_EQ(ExtractWord(4, text, kSpaceComma), "");
    EXPECT_EQ(WordPosition(3, text, kSpaceComma), 9);
    EXPECT_EQ(WordPosition(4, text, kSpaceComma), 0);
    int pos = -1;
    EXPECT_EQ(ExtractWordPos(2, text, kSpaceComma, pos), "20");
    EXPECT_EQ(pos, 5);
    EXPECT_EQ(ExtractWordPos(5, text, kSpaceComma, pos), "");
    EXPECT_EQ(pos, 0);

    // Fields: every single comma ends one, so empty fields count.
    EXPECT_EQ(ExtractDelimited(2, text, QStringLiteral(",")), " 20");
    EXPECT_EQ(ExtractDelimited(3, text, QStringLiteral(",")), "");
    EXPECT_EQ(ExtractDelimited(4, text, QStringLiteral(",")), "30");
    EXPECT_EQ(ExtractDelimited(5, text, QStringLiteral(",")), "");

    pos = 1;
    EXPECT_EQ(ExtractSubstr(QStringLiteral("ab;cd"), pos, QStringLiteral(";")), "ab");
    EXPECT_EQ(pos, 4);
    EXPECT_EQ(ExtractSubstr(QStringLiteral("ab;cd"), pos, QStringLiteral(";")), "cd");
    EXPECT_EQ(pos, 6);

    EXPECT_TRUE(IsWordPresent(QStringLiteral("20"), text, kSpaceComma));
    EXPECT_FALSE(IsWordPresent(QStringLiteral("2"), text, kSpaceComma));
}

TEST(Strutils, SearchingAndCopying) {
    EXPECT_EQ(NPos(QStringLiteral("aa"), QStringLiteral("aaaa"), 2), 2);
    EXPECT_EQ(NPos(QStringLiteral("aa"), QStringLiteral("aaaa"), 3), 3);
    EXPECT_EQ(NPos(QStringLiteral("aa"), QStringLiteral("aaaa"), 4), 0);

    QString rest = QStringLiteral("key=value");
    EXPECT_EQ(Copy2SymbDel(rest, u'='), "key");
    EXPECT_EQ(rest, "=value");
    rest = QStringLiteral("first   second third");
    EXPECT_EQ(Copy2SpaceDel(rest), "first");
    EXPECT_EQ(rest, "second third");
    rest = QStringLiteral("nodelimiter");
    EXPECT_EQ(Copy2SymbDel(rest, u'='), "nodelimiter");
    EXPECT_EQ(rest, "");

    EXPECT_EQ(FindPart(QStringLiteral("b?d"), QStringLiteral("abcde")), 2);
    EXPECT_EQ(FindPart(QStringLiteral("cd"), QStringLiteral("abcde")), 3);
    EXPECT_EQ(FindPart(QStringLiteral("abcdef"), QStringLiteral("abcde")), 0);

    EXPECT_EQ(ReplaceStr(QStringLiteral("aaa"), QStringLiteral("aa"), QStringLiteral("b")), "ba");
    EXPECT_EQ(ReplaceStr(QStringLiteral("Aa"), QStringLiteral("a"), QStringLiteral("b")), "Ab");
    EXPECT_EQ(ReplaceStr(QStringLiteral("abc"), QString(), QStringLiteral("x")), "abc");
}

TEST(Strutils, WildcardMatch) {
    struct Case {
        const char *text;
        const char *pattern;
        bool ignoreCase;
        bool matches;
    };
    const Case cases[] = {
        {"Main.Grid", "Main.*", false, true},
        {"Main.Grid", "Main", false, false},
        {"Main", "Main.*", false, false},
        {"abc", "a?c", false, true},
        {"ABC", "a*", false, false},
        {"ABC", "a*", true, true},
        {"anything", "**", false, true},
        {"", "*", false, true},
        {"", "a", false, false},
        {"aXbYc", "a*b*c", false, true},
        {"aXbYd", "a*b*c", false, false},
        {"R9\\Sub", "R9\\*", false, true},
        // The tail after the last "*" must fit into what is left of the text.
        {"ab", "a*ab", false, false},
        {"aab", "a*ab", false, true},
    };
    for (const Case &c : cases)
        EXPECT_EQ(IsWild(QString::fromUtf8(c.text), QString::fromUtf8(c.pattern), c.ignoreCase), c.matches)
            << c.text << " against " << c.pattern;
}

TEST(Strutils, RomanNumerals) {
    const std::pair<int, const char *> pairs[] = {{944, "CMXLIV"}, {1994, "MCMXCIV"}, {4, "IV"}, {3999, "MMMCMXCIX"}};
    for (const auto &[value, roman] : pairs) {
        EXPECT_EQ(IntToRoman(value), roman);
        EXPECT_EQ(RomanToInt(QString::fromLatin1(roman)), value);
    }
    EXPECT_EQ(RomanToInt(QStringLiteral("-XIV")), -14);
    EXPECT_EQ(RomanToInt(QStringLiteral("xiv")), 14);
    EXPECT_EQ(RomanToInt(QStringLiteral("XIIZ")), 0);
    EXPECT_EQ(IntToRoman(0), "");
    EXPECT_EQ(IntToRoman(-5), "");
}

TEST(Strutils, NumberTexts) {
    EXPECT_EQ(Dec2Numb(255, 4, 16), "00FF");
    EXPECT_EQ(Dec2Numb(0, 4, 16), "0");
    EXPECT_EQ(Dec2Numb(-1, 0, 16), "FFFFFFFF");
    EXPECT_EQ(Dec2Numb(35, 0, 36), "Z");
    EXPECT_EQ(Dec2Numb(5, 0, 1), "");
    EXPECT_EQ(Numb2Dec(QStringLiteral("ff"), 16), 255);
    EXPECT_EQ(Numb2Dec(QStringLiteral("777"), 8), 511);
    EXPECT_EQ(Numb2Dec(QStringLiteral("z"), 36), 35);

    EXPECT_EQ(Dec2Hex(255, 4), "00FF");
    EXPECT_EQ(Dec2Hex(-1, 2), "FFFFFFFF");
    EXPECT_EQ(Hex2Dec(QStringLiteral("FF")), 255);
    EXPECT_EQ(Hex2Dec(QStringLiteral("$ff")), 255);
    EXPECT_EQ(Hex2Dec(QStringLiteral("FFFFFFFF")), -1);
    EXPECT_EQ(Hex2Dec(QStringLiteral("xyz")), 0);
    EXPECT_EQ(Hex2Dec(QStringLiteral("1$2")), 0);

    EXPECT_EQ(Numb2USA(QStringLiteral("1234567")), "1,234,567");
    EXPECT_EQ(Numb2USA(QStringLiteral("1234")), "1,234");
    EXPECT_EQ(Numb2USA(QStringLiteral("123")), "123");

    EXPECT_EQ(IntToBin(5, 8, 4), " 0000 0101");
    EXPECT_EQ(IntToBin(5, 3, 1), " 1 0 1");
    EXPECT_EQ(IntToBin(5, 8, 0), "00000101");
    EXPECT_EQ(IntToBin(-1, 40, 0), QString(32, u'1'));
}

TEST(Strutils, BlanksAndPadding) {
    EXPECT_EQ(DelSpace(QStringLiteral(" a b ")), "ab");
    EXPECT_EQ(DelBSpace(QStringLiteral("  a b ")), "a b ");
    EXPECT_EQ(DelESpace(QStringLiteral("  a b  ")), "  a b");
    EXPECT_EQ(DelRSpace(QStringLiteral("  a b  ")), "a b");
    EXPECT_EQ(DelSpace1(QStringLiteral("a   b  c")), "a b c");
    EXPECT_EQ(Tab2Space(QStringLiteral("a\tb"), 3), "a   b");
    EXPECT_TRUE(IsEmptyStr(QStringLiteral(" \t"), QStringLiteral(" \t")));
    EXPECT_FALSE(IsEmptyStr(QStringLiteral(" x"), QStringLiteral(" ")));
    EXPECT_EQ(MakeStr(u'-', 3), "---");
    EXPECT_EQ(MakeStr(u'-', -1), "");
    EXPECT_EQ(AddChar(u'0', QStringLiteral("7"), 3), "007");
    EXPECT_EQ(AddCharR(u'.', QStringLiteral("7"), 3), "7..");
    EXPECT_EQ(LeftStr(QStringLiteral("toolong"), 3), "toolong");
    EXPECT_EQ(RightStr(QStringLiteral("ab"), 4), "  ab");
    EXPECT_EQ(CenterStr(QStringLiteral("ab"), 7), "  ab   ");
    EXPECT_EQ(CenterStr(QStringLiteral("abc"), 2), "abc");
    EXPECT_EQ(AnsiProperCase(QStringLiteral("иван ПЕТРОВ-водкин"), QStringLiteral(" -")), "Иван Петров-Водкин");
}

TEST(Strutils, Quoting) {
    EXPECT_EQ(QuotedString(QStringLiteral("it's"), u'\''), "'it''s'");
    EXPECT_EQ(ExtractQuotedString(QStringLiteral("'it''s' rest"), u'\''), "it's");
    EXPECT_EQ(ExtractQuotedString(QStringLiteral("plain"), u'\''), "plain");
    EXPECT_EQ(ExtractQuotedString(QStringLiteral("'open"), u'\''), "open");
}

TEST(Strutils, Scrambling) {
    // Without a key the text comes out as the hexadecimal of its bytes.
    EXPECT_EQ(XorEncode(QString(), QStringLiteral("abc")), "616263");
    EXPECT_EQ(XorDecode(QString(), QStringLiteral("616263")), "abc");
    // Cyrillic text is scrambled as its windows-1251 bytes (reference computed outside the program).
    EXPECT_EQ(XorEncode(QStringLiteral("key"), QStringLiteral("Привет")), "a4959189808b");
    EXPECT_EQ(XorDecode(QStringLiteral("key"), QStringLiteral("a4959189808b")), "Привет");
    // A pair that is not hexadecimal stands for a space; an odd last digit is ignored.
    EXPECT_EQ(XorDecode(QString(), QStringLiteral("zz41f")), " A");
    EXPECT_EQ(XorDecode(QString(), QStringLiteral("4")), "");
    EXPECT_EQ(XorString(QByteArray("k"), XorString(QByteArray("k"), QByteArray("secret"))), QByteArray("secret"));
}

TEST(Strutils, OemCodePage) {
    EXPECT_EQ(StrToOem(QStringLiteral("Привет")).toHex(), "8fe0a8a2a5e2");
    EXPECT_EQ(OemToAnsiStr(QByteArray::fromHex("8fe0a8a2a5e2")), "Привет");
}

TEST(Strutils, CommandLineSwitch) {
    const QStringList args = {"-port", "3", "/Demo", "x", "-last"};
    EXPECT_EQ(GetCmdLineArg(QStringLiteral("PORT"), QStringLiteral("-/"), args), "3");
    EXPECT_EQ(GetCmdLineArg(QStringLiteral("demo"), QStringLiteral("-/"), args), "x");
    EXPECT_EQ(GetCmdLineArg(QStringLiteral("demo"), QStringLiteral("-"), args), "");
    EXPECT_EQ(GetCmdLineArg(QStringLiteral("last"), QStringLiteral("-/"), args), "");
    // Without switch characters every argument is taken as a switch after its first character.
    EXPECT_EQ(GetCmdLineArg(QStringLiteral("port"), QString(), args), "3");
}

} // namespace
