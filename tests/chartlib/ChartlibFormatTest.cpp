#include "chartlib/Chartlib.h"

#include "platform/NumberFormat.h"
#include "state/DeviceSettings.h"

#include <QFile>
#include <QStringList>

#include <gtest/gtest.h>
#include "support/Fixtures.h"

namespace {

// Restores the shared state that these tests change.
class ChartlibFormat : public ::testing::Test {
protected:
    ~ChartlibFormat() override {
        SetPrecisionZeros(2);
        DeviceSettings->MaxFrequency = savedMaxFrequency_;
    }

private:
    float savedMaxFrequency_ = DeviceSettings->MaxFrequency;
};

} // namespace

// Every value and picture of the fixture was formatted by Python's decimal module.
TEST_F(ChartlibFormat, PicturesMatchAnIndependentDecimalFormatter) {
    QFile fixture(FixturePath(QStringLiteral("chartlib/format_picture.txt")));
    ASSERT_TRUE(fixture.open(QIODevice::ReadOnly));
    int checked = 0;
    while (!fixture.atEnd()) {
        const QString line = QString::fromLatin1(fixture.readLine()).chopped(1);
        if (line.startsWith(QLatin1String("# ")))
            continue;
        const QStringList fields = line.split('\t');
        ASSERT_EQ(fields.size(), 3) << line.toStdString();
        const std::optional<double> value = ParseDouble(fields[1]);
        ASSERT_TRUE(value) << line.toStdString();
        EXPECT_EQ(FormatPicture(*value, fields[0]), fields[2]) << line.toStdString();
        ++checked;
    }
    EXPECT_GT(checked, 1000);
}

TEST_F(ChartlibFormat, NonFiniteValuesGetAText) {
    EXPECT_EQ(FormatPicture(std::numeric_limits<double>::quiet_NaN(), u"0.00"), "NAN");
    EXPECT_EQ(FormatPicture(std::numeric_limits<double>::infinity(), u"0.00"), "INF");
    EXPECT_EQ(FormatPicture(-std::numeric_limits<double>::infinity(), u"0.00"), "-INF");
}

TEST_F(ChartlibFormat, FormatValueFollowsThePrecisionAndSkipsTheSentinel) {
    struct Case {
        int precision;
        double value;
        const char *text;
    };
    const Case cases[] = {
        {2, NoValue, ""},   {2, -9999998.9, "-9999998.90"},
        {2, 1.005, "1.01"}, {2, -1.005, "-1.01"},
        {2, 0.004, "0.00"}, {2, -0.004, "0.00"},
        {3, 1.5, "1.500"},  {3, NoValue, ""},
        {0, 2.5, "3"},      {0, -2.5, "-3"},
        {0, 0.4, "0"},      {6, float(12.3456f), "12.345600"},
    };
    for (const Case &c : cases) {
        SetPrecisionZeros(c.precision);
        EXPECT_EQ(FormatValue(c.value), c.text) << c.precision << " " << c.value;
    }
}

TEST_F(ChartlibFormat, PrecisionZerosIsRebuiltAndClamped) {
    EXPECT_EQ(PrecisionZeros, "00");
    SetPrecisionZeros(4);
    EXPECT_EQ(PrecisionZeros, "0000");
    SetPrecisionZeros(-3);
    EXPECT_EQ(PrecisionZeros, "");
    SetPrecisionZeros(32767);
    EXPECT_EQ(PrecisionZeros.size(), 15);
}

TEST_F(ChartlibFormat, FormatValueDigitsDropsTrailingZeros) {
    EXPECT_EQ(FormatValueDigits(NoValue, 3), "");
    EXPECT_EQ(FormatValueDigits(1.25, 3), "1.25");
    EXPECT_EQ(FormatValueDigits(1.2346, 3), "1.235");
    EXPECT_EQ(FormatValueDigits(1.9996, 3), "2");
    EXPECT_EQ(FormatValueDigits(1.5, 0), "2");
    EXPECT_EQ(FormatValueDigits(1.5, -1), "2");
}

TEST_F(ChartlibFormat, FrequencyDecimalsFollowTheMaximumFrequency) {
    struct Case {
        float maxFrequency;
        double kHz;
        const char *text;
    };
    const Case cases[] = {
        {2000, 12.5, "12.5"},
        {2000, 12.3456, "12.346"},
        {1000.001f, 12.34565, "12.346"},
        {1000, 12.34565, "12.3457"}, // exactly 1000 kHz takes four decimals
        {100.001f, 12.345655, "12.3457"},
        {100, 12.345655, "12.34566"},
        {50, 12.3456, "12.3456"},
        {10, 0.1234565, "0.123457"},
        {10, NoValue, "-9999999"},
    };
    for (const Case &c : cases) {
        DeviceSettings->MaxFrequency = c.maxFrequency;
        EXPECT_EQ(FormatFrequency(c.kHz), c.text) << c.maxFrequency << " " << c.kHz;
    }
}

TEST_F(ChartlibFormat, RoundFrequencyNudgesUpByATenthOfTheLastDigit) {
    struct Case {
        float maxFrequency;
        double kHz;
        double rounded;
    };
    const Case cases[] = {
        {2000, 0.00049, 0.001},                             // 0.00059 takes three decimals
        {2000, 0.00039, 0.0},                               // 0.00049 still rounds down
        {2000, 12.3454, 12.346},   {1000, 0.00049, 0.0005}, // exactly 1000 kHz keeps four decimals
        {1000, 12.34544, 12.3455}, {1000, 12.34539, 12.3454}, {500, 12.345649, 12.3457},
        {20, 1.2345649, 1.23457},  {5, 1.23456749, 1.234568},
    };
    for (const Case &c : cases) {
        DeviceSettings->MaxFrequency = c.maxFrequency;
        EXPECT_DOUBLE_EQ(RoundFrequency(c.kHz), c.rounded) << c.maxFrequency << " " << c.kHz;
    }
}

TEST_F(ChartlibFormat, RoundingFunctionsRoundHalvesAwayFromZero) {
    EXPECT_DOUBLE_EQ(RoundTo3Decimals(2.0005), 2.001);
    EXPECT_DOUBLE_EQ(RoundTo3Decimals(-2.0005), -2.001);
    EXPECT_DOUBLE_EQ(RoundTo3Decimals(2.00049), 2.0);
    EXPECT_DOUBLE_EQ(RoundTo1Decimal(0.25), 0.3);
    EXPECT_DOUBLE_EQ(RoundTo1Decimal(-0.25), -0.3);
    EXPECT_DOUBLE_EQ(RoundTo1Decimal(0.249), 0.2);
    SetPrecisionZeros(2);
    EXPECT_DOUBLE_EQ(RoundToPrecision(2.675), 2.68);
    EXPECT_DOUBLE_EQ(RoundToPrecision(-10.004), -10.0);
    SetPrecisionZeros(0);
    EXPECT_DOUBLE_EQ(RoundToPrecision(7.5), 8.0);
}

TEST_F(ChartlibFormat, SecondsToClockPadsEachPartToTwoDigitsWithoutLimit) {
    struct Case {
        int seconds;
        bool withHours;
        const char *text;
    };
    const Case cases[] = {
        {0, false, "00:00"},       {59, false, "00:59"},        {60, false, "01:00"},      {599, false, "09:59"},
        {600, false, "10:00"},     {6000, false, "100:00"},     {3599, true, "00:59:59"},  {3600, true, "01:00:00"},
        {36000, true, "10:00:00"}, {360000, true, "100:00:00"}, {86399, true, "23:59:59"}, {-5, false, "00:00"},
        {-5, true, "00:00:00"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(SecondsToClock(c.seconds, c.withHours), c.text) << c.seconds << " " << c.withHours;
}

TEST_F(ChartlibFormat, DayCountCountsFromTheFirstOfJanuary2003) {
    EXPECT_EQ(DayCountToDateText(0), "");
    EXPECT_EQ(DayCountToDateText(1), ": 02.01.2003");
    EXPECT_EQ(DayCountToDateText(365), ": 01.01.2004");
    EXPECT_EQ(DayCountToDateText(365 + 59), ": 29.02.2004");
    EXPECT_EQ(DayCountToDateText(65535), ": 06.06.2182");
}
