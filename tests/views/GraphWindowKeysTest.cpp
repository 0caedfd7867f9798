#include "views/GraphWindowKeys.h"
#include "platform/Cp1251.h"
#include "platform/IniFile.h"

#include "support/TempProgramDir.h"

#include <gtest/gtest.h>

namespace {

TEST(GraphWindowKeys, FirstOpeningTakesTheDefaults) {
    TempProgramDir dir;
    TIniFile ini(dir.path("R9.ini"));
    TGraphWindowKeys keys;
    LoadGraphWindowKeys(ini, QStringLiteral("Сел.уровни"), keys);
    EXPECT_EQ(keys.ChartBackColor, 0xFFFFFF);
    EXPECT_EQ(keys.LineWidth, 3);
    EXPECT_EQ(keys.PointVisible, 0);
    EXPECT_EQ(keys.MarksVisible, 0);
    EXPECT_EQ(keys.CursorColours[0], 255);
    EXPECT_EQ(keys.CursorColours[1], 0xFF0000);
    EXPECT_EQ(keys.MaskColours[0], 0xFFFF00);
    EXPECT_EQ(keys.MaskColours[1], 0x808000);
    EXPECT_EQ(keys.MaskWidths[1], 1);
    EXPECT_FALSE(keys.CursorVisible[0]);
}

TEST(GraphWindowKeys, KeysGoToTheCaptionSectionInWindows1251AndComeBack) {
    TempProgramDir dir;
    TGraphWindowKeys keys;
    keys.ChartBackColor = 0x123456;
    keys.LineWidth = 0;
    keys.PointVisible = 1;
    keys.LeftMax = 12.5;
    keys.LeftMin = -0.25;
    keys.BottomMax = 1280;
    keys.BottomMin = 0.125;
    keys.MaskIsLine[1] = 1;
    {
        TIniFile ini(dir.path("R9.ini"));
        SaveGraphWindowKeys(ini, QStringLiteral("МЧС: АЧХ"), keys);
    }
    const QByteArray bytes = dir.read("R9.ini");
    EXPECT_TRUE(bytes.contains(ToCp1251(QStringLiteral("[МЧС: АЧХ]"))));
    EXPECT_TRUE(bytes.contains("LeftAxis_Minimum=-0.25"));
    EXPECT_TRUE(bytes.contains("BottomAxis_Minimum=0.125"));
    EXPECT_TRUE(bytes.contains("CurGraph0_Visible=0"));
    EXPECT_LT(bytes.indexOf("Point_Style"), bytes.indexOf("LeftAxis_Maximum"));
    EXPECT_LT(bytes.indexOf("FCursColor0"), bytes.indexOf("FMaskisLine0"));
    EXPECT_LT(bytes.indexOf("FMaskisLine0"), bytes.indexOf("CurGraph1_Visible"));

    TIniFile ini(dir.path("R9.ini"));
    TGraphWindowKeys read;
    LoadGraphWindowKeys(ini, QStringLiteral("мчс: ачх"), read);
    EXPECT_EQ(read.ChartBackColor, 0x123456);
    EXPECT_EQ(read.LineWidth, 0);
    EXPECT_EQ(read.PointVisible, 1);
    EXPECT_EQ(read.LeftMax, 12.5);
    EXPECT_EQ(read.LeftMin, -0.25);
    EXPECT_EQ(read.BottomMin, 0.125);
    EXPECT_EQ(read.MaskIsLine[1], 1);
}

} // namespace
