#include "platform/Cp1251.h"

#include <gtest/gtest.h>

TEST(Cp1251, CyrillicAndSymbolsMapToTheirSingleBytes) {
    struct Case {
        const char16_t *text;
        QByteArray bytes;
    };
    const Case cases[] = {
        {u"Общие R9", QByteArray("\xCE\xE1\xF9\xE8\xE5 R9")},
        {u"Ёё№", QByteArray("\xA8\xB8\xB9")},
        {u"DirСfgFile", QByteArray("Dir\xD1" "fgFile")}, // Cyrillic С inside a Latin key
        {u"\u00A0\u2014\u20AC", QByteArray("\xA0\x97\x88")},
    };
    for (const Case &c : cases) {
        const QString text = QString::fromUtf16(c.text);
        EXPECT_EQ(ToCp1251(text), c.bytes) << text.toStdString();
        EXPECT_EQ(FromCp1251(c.bytes), text);
    }
}

TEST(Cp1251, EveryByteSurvivesARoundTripExceptTheUnassignedOne) {
    for (int b = 0; b < 256; ++b) {
        const QByteArray one(1, char(b));
        const QByteArray back = ToCp1251(FromCp1251(one));
        if (b == 0x98)
            EXPECT_EQ(back, QByteArray("?"));
        else
            EXPECT_EQ(back, one) << b;
    }
}

TEST(Cp1251, TextOutsideTheCodePageBecomesAQuestionMark) {
    EXPECT_EQ(ToCp1251(QString::fromUtf16(u"a\u4E2Db")), QByteArray("a?b"));
}
