#include "selective/SstItemMath.h"
#include "selective/SstPeak.h"
#include "selective/SstResultProcessing.h"
#include "selective/SstSettingsSnapshot.h"

#include "engine/ResultSlots.h"
#include "platform/NoValue.h"

#include "SelectiveFixture.h"

namespace {

using SstResults = SelectiveTest;

TEST_F(SstResults, PeakOffsetFollowsTheLargerNeighbour) {
    struct Case {
        float left, centre, right, offset;
    };
    const Case cases[] = {
        {0, 1, 0.5102f, 0.25f}, {0.5102f, 1, 0, -0.25f}, {0, 1, 0.2f, 0}, {0, 1, 1.2f, 0.5f}, {0.3f, 0, 0.1f, 0},
    };
    for (const Case &c : cases)
        EXPECT_NEAR(PeakOffsetByTable(c.left, c.centre, c.right, 2), 2 * c.offset, 2e-4) << c.left << " " << c.right;
}

TEST_F(SstResults, AveragingWeightGrowsWithTheTimeSinceTheLastUpdate) {
    PresetList({5, 10});
    settings.Mirvak.SubMode = 2;
    settings.Mirvak.DeviceSubMode = 5;
    Holder();
    settings.AveragingInterval = 10;
    EXPECT_EQ(MirvakAveragingWeight(1), 1.0f); // never updated before
    NowStamp += 9 / SecondsPerDay;
    EXPECT_NEAR(MirvakAveragingWeight(1), 9.0 / 13.5, 1e-4);
    EXPECT_EQ(MirvakAveragingWeight(1), 1.0f); // no time passed
    settings.AveragingInterval = 0;
    NowStamp += 1 / SecondsPerDay;
    EXPECT_EQ(MirvakAveragingWeight(1), 1.0f);
}

TEST_F(SstResults, PlanPointsCountDistinctCheckedRows) {
    PresetList({5, 5, 7});
    EXPECT_EQ(MirvakPlanPoints(), 2);
    settings.Mirvak.Set[2].Checked = 0;
    EXPECT_EQ(MirvakPlanPoints(), 1);
    settings.Mirvak.Flags = 1;
    settings.Mirvak.RangeN = 12;
    EXPECT_EQ(MirvakPlanPoints(), 12);
}

TEST_F(SstResults, SettingsChangesNameTheCalibrationToRepeat) {
    SnapshotMirvakSettings();
    EXPECT_EQ(MirvakSettingsChanged(), 0);
    settings.Mirvak.SubMode = 4;
    MirvakCalOpenValid = 1;
    EXPECT_EQ(MirvakSettingsChanged(), 3);
    settings.Mirvak.RunState = 3;
    EXPECT_EQ(MirvakSettingsChanged(), 0);
    settings.Mirvak.LoadOhm += 1;
    EXPECT_EQ(MirvakSettingsChanged(), 5);
    settings.Mirvak.AfcCalDb += 1;
    EXPECT_EQ(MirvakSettingsChanged(), 2);
    settings.Mirvak.B *= 2;
    EXPECT_EQ(MirvakSettingsChanged(), 1);
    Holder(); // a code-1 change clears every calibration at the reset
    EXPECT_EQ(MirvakCalOpenValid, 0);
}

class SstAfc : public SelectiveTest {
protected:
    void SetUp() override {
        SelectiveTest::SetUp();
        settings.ConnectionType = 2;
        settings.AfcRef = 0;
        settings.Mirvak.SubMode = 0;
        settings.Mirvak.DeviceSubMode = 3;
        PresetList({10, 20, 30});
        Holder();
    }
    // The three items of a point at f kHz with in-phase sums of amplitude a.
    void Point(double f, double a) {
        for (int i = 0; i < 3; ++i) {
            SstResultItem = {a, 0, FreqCode(f), i == 2 ? 1 : 0};
            AddSstResult(SstParam, SstResultItem);
            if (SstParam->CurrentBin >= 0 && SstParam->LastSlot >= 0)
                ProcessMirvakResult(SstResultItem.SstNotScan);
        }
    }
};

TEST_F(SstAfc, TheLeastAttenuatedPointIsZeroDecibels) {
    Point(10, 1000);
    Point(20, 100);
    Point(30, 10);
    const TMirvakWorkArrays &w = MirvakWorkArrays;
    ASSERT_EQ(w.PointCount, 3);
    EXPECT_FLOAT_EQ(w.PointFreq[1], 20);
    EXPECT_NEAR(w.Afc[0], 0, 1e-4);
    EXPECT_NEAR(w.Afc[1], 20, 0.05); // a tenth of the amplitude; the passband differs little over 10 kHz
    EXPECT_NEAR(w.Afc[2], 40, 0.1);
    EXPECT_FLOAT_EQ(ResultValue(SlotMirvakFrequency), 30);
    EXPECT_FLOAT_EQ(MirvakSelectionFreq, 30);
}

TEST_F(SstAfc, TheCalibrationIsValidOnlyAfterEveryPlanPoint) {
    settings.Mirvak.SubMode = -1;
    settings.Mirvak.AfcCalDb = 6;
    Holder();
    Point(10, 1000);
    Point(20, 100);
    EXPECT_EQ(MirvakCalAfcValid, 0);
    Point(30, 10);
    EXPECT_EQ(MirvakCalAfcValid, 1);
    EXPECT_NEAR(MirvakWorkArrays.AfcCal[0] - MirvakWorkArrays.AfcCal[2], 40, 0.1); // from the raw curve
    settings.Mirvak.SubMode = 0;
    Holder(); // the calibration survives the reset of a run with unchanged settings
    EXPECT_EQ(MirvakCalAfcValid, 1);
    Point(10, 1000);
    Point(20, 1000);
    Point(30, 1000);
    // Equal sums through a calibration taken on falling sums: the corrected curve mirrors the calibration.
    EXPECT_NEAR(MirvakWorkArrays.Afc[2] - MirvakWorkArrays.Afc[0], -40, 0.1);
}

TEST_F(SstResults, AShortScanHasNoNoiseFigureButItsSignal) {
    settings.Mirvak.SubMode = 1;
    settings.Mirvak.DeviceSubMode = 1;
    settings.Mirvak.B = 0.1f;
    settings.Mirvak.Fc1 = 10;
    settings.Mirvak.FcN = 14; // 40 bins
    settings.Lmin = -150;
    TSST_Param2 &holder = Holder();
    ASSERT_GT(holder.BinCount, 40);
    for (int k = 0; k < holder.BinCount; ++k) {
        const double f = (holder.Bins[std::size_t(k)]) * 0.1;
        const double a = std::fabs(f - 12) < 0.01 ? 1e4 : 10;
        SstResultItem = {a, 0, FreqCode(f), 0};
        AddSstResult(SstParam, SstResultItem);
        ProcessMirvakResult(0);
    }
    ProcessMirvakResult(1);
    EXPECT_NEAR(ResultValue(SlotMirvakFrequency), 12, 1e-3);
    EXPECT_NE(ResultValue(SlotMirvakLevel), NoValue);
    EXPECT_EQ(ResultValue(SlotMirvakNoise), NoValue);
    EXPECT_NE(MirvakWorkArrays.BinLevel[std::size_t(holder.FindBin(12))], SelectiveGap);
}

} // namespace

namespace {

TEST_F(SstResults, MonitoringGivesTheLevelAndItsWeightedLevel) {
    PresetList({10, 20});
    settings.Mirvak.SubMode = 2;
    settings.Mirvak.DeviceSubMode = 5;
    const float wf[] = {0, 100};
    const float wa[] = {3, 3};
    ASSERT_TRUE(SetWeightingCurve(2, wf, wa));
    TSST_Param2 &holder = Holder();
    for (int i = 0; i < 5; ++i) {
        SstResultItem = {100, 0, FreqCode(20), i == 4 ? 1 : 0};
        AddSstResult(SstParam, SstResultItem);
        if (holder.CurrentBin >= 0 && holder.LastSlot >= 0)
            ProcessMirvakResult(SstResultItem.SstNotScan);
    }
    const int32_t b = holder.FindBin(20);
    ASSERT_GE(b, 0);
    const float level = MirvakWorkArrays.BinLevel[std::size_t(b)];
    EXPECT_NE(level, SelectiveGap);
    EXPECT_FLOAT_EQ(MirvakWorkArrays.BinWeighted[std::size_t(b)], level - 3);
    EXPECT_FLOAT_EQ(ResultValue(SlotMirvakAttenuation), -level);
    EXPECT_FLOAT_EQ(ResultValue(SlotMirvakFrequency), 20);
    SetWeightingCurve(0, nullptr, nullptr);
}

} // namespace
