#include "protocols/ScenarClass.h"
#include "protocols/ScenarioRowEstimate.h"

#include "support/QuietSettings.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// A settings record with nothing that lengthens a row: no master, no counting, no remote link.
TDeviceSettings Plain() {
    TDeviceSettings s = QuietSettings();
    s.MasterF.State = 0;
    s.MasterL.State = 0;
    s.EventCounting = 0;
    for (int i = 0; i < 5; ++i)
        s.RemoteGenState[i] = 0;
    s.AveragingInterval = 0;
    s.AdcSizeIndex = 0;
    return s;
}

struct EstimateCase {
    const char *Name;
    void (*Setup)(TDeviceSettings &s);
    float SinNorm, MttsNorm, NoiseNorm;
    int32_t Duration;
    uint8_t ModeClass;
};

// The configurations a scenario row is estimated from, with the times worked out by hand: overhead by
// ADC index 4, 6, 9, 15, 28 s (+2 with a remote link requested, 8 while the peer's PRBS runs), a master's
// points times its interval plus at least 6 s of averaging, counting the longest timer norm.
const EstimateCase EstimateCases[] = {
    {"frequency master over a range: 9 + 10 x 2 + 6",
     [](TDeviceSettings &s) {
         s.MasterF.State = 1;
         s.MasterF.Source = 1;
         s.MasterF.RangeN = 9;
         s.MasterF.Interval = 2;
         s.AveragingInterval = 4;
         s.AdcSizeIndex = 2;
     },
     0, 0, 0, 35, 1},
    {"counting with timer norms 60.9, 0, 30 and a remote link: max(10, 60) + 4 + 2",
     [](TDeviceSettings &s) {
         s.EventCounting = 1;
         s.AveragingInterval = 10;
         s.AdcSizeIndex = 0;
         s.ConnectState = 1;
     },
     60.9f, 0, 30, 66, 0},
    {"precision analysis while the peer's PRBS runs: 8 whatever the ADC index and link",
     [](TDeviceSettings &s) {
         s.RemoteGenState[3] = 1;
         s.AdcSizeIndex = 4;
         s.ConnectState = 2;
         s.AveragingInterval = 5;
     },
     0, 0, 0, 8 + 5, 255},
    {"both masters on: the frequency master wins",
     [](TDeviceSettings &s) {
         s.MasterF.State = 1;
         s.MasterF.Source = 1;
         s.MasterF.RangeN = 1;
         s.MasterF.Interval = 3;
         s.MasterL.State = 2;
         s.MasterL.Source = 1;
         s.MasterL.RangeN = 50;
         s.MasterL.Interval = 50;
     },
     0, 0, 0, 4 + 2 * 3 + 6, 1},
    {"level master over its preset list of 4 rows, averaging 20 s",
     [](TDeviceSettings &s) {
         s.MasterL.State = 1;
         s.MasterL.Source = 0;
         s.MasterL.SetCount = 4;
         s.MasterL.RangeN = 99;
         s.MasterL.Interval = 5;
         s.AveragingInterval = 20;
         s.AdcSizeIndex = 1;
     },
     0, 0, 0, 6 + 5 * 5 + 20, 2},
    // Bit 1 alone is the reverse order of the preset list, not a range.
    {"frequency master over its list in reverse order",
     [](TDeviceSettings &s) {
         s.MasterF.State = 1;
         s.MasterF.Source = 2;
         s.MasterF.SetCount = 2;
         s.MasterF.RangeN = 99;
         s.MasterF.Interval = 10;
     },
     0, 0, 0, 4 + 3 * 10 + 6, 1},
    {"range in reverse order",
     [](TDeviceSettings &s) {
         s.MasterF.State = 1;
         s.MasterF.Source = 3;
         s.MasterF.RangeN = 4;
         s.MasterF.Interval = 1;
     },
     0, 0, 0, 4 + 5 + 6, 1},
    {"counting where the averaging interval is longer than every timer",
     [](TDeviceSettings &s) {
         s.EventCounting = 1;
         s.AveragingInterval = 100;
         s.AdcSizeIndex = 3;
     },
     12, 99.99f, 3, 100 + 15, 0},
    {"counting with negative timer norms only: the averaging interval",
     [](TDeviceSettings &s) {
         s.EventCounting = 1;
         s.AveragingInterval = 0;
     },
     -5, -1, -2, 4, 0},
    {"precision analysis with the largest block",
     [](TDeviceSettings &s) {
         s.AdcSizeIndex = 4;
         s.AveragingInterval = 60;
     },
     0, 0, 0, 28 + 60, 255},
    // A damaged file's index outside 0..4 takes the nearest table entry instead of reading beyond it.
    {"ADC index 9 from a damaged file", [](TDeviceSettings &s) { s.AdcSizeIndex = 9; }, 0, 0, 0, 28, 255},
    {"ADC index -3 from a damaged file", [](TDeviceSettings &s) { s.AdcSizeIndex = -3; }, 0, 0, 0, 4, 255},
};

TEST(ScenarioRowEstimate, DurationAndClassOfEachKindOfConfiguration) {
    for (const EstimateCase &c : EstimateCases) {
        SCOPED_TRACE(c.Name);
        TDeviceSettings s = Plain();
        c.Setup(s);
        ScenarioRow row;
        FillRowFromConfig(row, s, c.NoiseNorm, c.MttsNorm, c.SinNorm);
        EXPECT_EQ(row.Duration, c.Duration);
        EXPECT_EQ(row.ModeClass, c.ModeClass);
    }
}

TEST(ScenarioRowEstimate, OverheadOfARunningRemotePrbsIsEight) {
    for (int32_t adc = 0; adc <= 4; ++adc)
        for (int32_t link : {0, 1, 2}) {
            TDeviceSettings s = Plain();
            s.RemoteGenState[3] = 1;
            s.AdcSizeIndex = adc;
            s.ConnectState = link;
            EXPECT_EQ(ConfigOverheadSeconds(s), 8) << adc << " " << link;
        }
    TDeviceSettings s = Plain();
    s.AdcSizeIndex = 2;
    s.ConnectState = 1;
    EXPECT_EQ(ConfigOverheadSeconds(s), 11);
}

TEST(ScenarioRowEstimate, TheRowTakesWhatTheConfigurationHolds) {
    TDeviceSettings s = Plain();
    s.ConnectState = 0x10001; // only the low 16 bits are kept
    s.AveragingInterval = 17;
    s.EventCounting = 1;
    s.AdcSizeIndex = 3;
    ScenarioRow row;
    FillRowFromConfig(row, s, 1.5f, 2.5f, 3.5f);
    EXPECT_EQ(row.RemoteLink, 1);
    EXPECT_EQ(row.NoiseTimerNorm, 1.5f);
    EXPECT_EQ(row.MttsTimerNorm, 2.5f);
    EXPECT_EQ(row.SinTimerNorm, 3.5f);
    EXPECT_EQ(row.AveragingTime, 17);
    EXPECT_EQ(row.CountingMode, 1);
    EXPECT_EQ(row.AdcSizeIndex, 3);
}

TEST(ScenarioRowEstimate, ExtremeValuesOfADamagedFileGiveTheLargestTime) {
    TDeviceSettings s = Plain();
    s.MasterF.State = 1;
    s.MasterF.Source = 1;
    s.MasterF.RangeN = INT32_MAX;
    s.MasterF.Interval = INT32_MAX;
    ScenarioRow row;
    FillRowFromConfig(row, s, 0, 0, 0);
    EXPECT_EQ(row.Duration, INT32_MAX);
    s = Plain();
    s.EventCounting = 1;
    FillRowFromConfig(row, s, 3e9f, 0, 0);
    EXPECT_EQ(row.Duration, INT32_MAX);
}

bool IsTemplate(const ScenarioRow &row) {
    return std::memcmp(&row, &ScenarioRowTemplate, sizeof row) == 0;
}

TEST(ScenarioModel, ANewRowIsTheTemplate) {
    const ScenarioRow &t = ScenarioRowTemplate;
    EXPECT_EQ(t.ConfigIndex, -1);
    EXPECT_EQ(t.Prt, 1);
    EXPECT_EQ(t.RemotePrt, 0);
    EXPECT_EQ(t.NormOk, 3);
    EXPECT_EQ(t.RemoteNormOk, 3);
    EXPECT_EQ(t.Quality, NoValue);
    EXPECT_EQ(t.RemoteQuality, NoValue);
    EXPECT_EQ(t.LegacyFactor, 1.0f);
    TScenarClass scenario;
    EXPECT_EQ(scenario.RepeatKind, 1);
    EXPECT_EQ(scenario.RepeatCount, 1);
    EXPECT_EQ(scenario.CommentIndex, -1);
}

TEST(ScenarioModel, InsertingAtTheFrontShiftsTheRows) {
    TScenarClass scenario;
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(InsertConfigRow(scenario, scenario.RowCount()));
        scenario.Rows.back().ConfigIndex = int16_t(10 + i);
    }
    ASSERT_TRUE(InsertConfigRow(scenario, 0));
    ASSERT_EQ(scenario.RowCount(), 4);
    EXPECT_TRUE(IsTemplate(scenario.Rows[0]));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(scenario.Rows[std::size_t(i + 1)].ConfigIndex, 10 + i);
    EXPECT_FALSE(InsertConfigRow(scenario, 6));
    EXPECT_FALSE(InsertConfigRow(scenario, -1));
    EXPECT_EQ(scenario.RowCount(), 4);
}

TEST(ScenarioModel, DeletingAndClearing) {
    TScenarClass scenario;
    ASSERT_TRUE(InsertConfigRow(scenario, 0));
    DeleteConfigRow(scenario, 0);
    EXPECT_EQ(scenario.RowCount(), 0);
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(InsertConfigRow(scenario, i));
        scenario.Rows.back().ConfigIndex = int16_t(i);
    }
    DeleteConfigRow(scenario, 1);
    ASSERT_EQ(scenario.RowCount(), 2);
    EXPECT_EQ(scenario.Rows[1].ConfigIndex, 2);
    DeleteConfigRow(scenario, 5); // no such row: nothing happens
    EXPECT_EQ(scenario.RowCount(), 2);

    scenario.Name = QStringLiteral("/s/a.scn");
    scenario.CommentIndex = 4;
    scenario.RepeatKind = 3;
    scenario.CurrentRow = 1;
    scenario.RepeatNumber = 7;
    ClearScenario(scenario);
    EXPECT_EQ(scenario.RowCount(), 0);
    EXPECT_EQ(scenario.CurrentRow, 0);
    EXPECT_EQ(scenario.RepeatNumber, 0);
    EXPECT_EQ(scenario.Name, QStringLiteral("/s/a.scn"));
    EXPECT_EQ(scenario.CommentIndex, 4);
    EXPECT_EQ(scenario.RepeatKind, 3);
}

TEST(ScenarioModel, LastRemoteRow) {
    TScenarClass scenario;
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(InsertConfigRow(scenario, i));
    FindLastRemoteRow(scenario);
    EXPECT_EQ(scenario.LastRemoteRow, -1);
    scenario.Rows[1].RemotePrt = 1;
    scenario.Rows[2].RemotePrt = 2; // only 1 counts
    FindLastRemoteRow(scenario);
    EXPECT_EQ(scenario.LastRemoteRow, 1);
}

TEST(ScenarioModel, FixedTextsAreCutAndNeedNoTerminator) {
    char field[4];
    SetFixedText(field, QStringLiteral("Пауза"));
    EXPECT_EQ(QByteArray(field, 4), QByteArray("\xCF\xE0\xF3\xE7"));
    EXPECT_EQ(FixedText(field), QStringLiteral("Пауз"));
    SetFixedText(field, QStringLiteral("ab"));
    EXPECT_EQ(QByteArray(field, 4), QByteArray("ab\0\0", 4));
    EXPECT_EQ(FixedText(field), QStringLiteral("ab"));
}

} // namespace
