#include "selective/MirvakPlan.h"
#include "selective/MirvakRun.h"

#include "support/QuietSettings.h"

#include "engine/SstParam2.h"
#include "link/Library.h"
#include "selective/MirvakPlanValidation.h"
#include "state/MainGlobals.h"
#include "state/MirvakGrid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

// The 1024 kHz range (fs 2560) with the selective plan of the quiet settings; no instrument link, no
// settings window: the page's hooks only note that they were called.
class MirvakRunFixture : public ::testing::Test {
protected:
    void SetUp() override {
        settings = QuietSettings();
        DeviceSettings = &settings;
        SetMirvakGrid(settings.SampleRate);
        MirvakBlock &m = settings.Mirvak;
        m.Flags = 0;
        m.SubMode = 0;
        m.SinOn = 0;
        m.Options = 0;
        m.B = 0.05f;
        TMirvakPlanHooks &h = MirvakPlanHooks();
        h = {};
        h.ShowMirvakStopButton = [this](bool stopping) { calls.push_back(stopping ? "stop yellow" : "stop normal"); };
        h.ShowMirvakStartButton = [this] { calls.push_back("start " + std::to_string(settings.Mirvak.RunState)); };
        measurementRunning = MeasurementRunning;
    }
    void TearDown() override {
        MirvakPlanHooks() = {};
        MeasurementRunning = measurementRunning;
        DeleteSstParam();
        DeviceSettings = nullptr;
    }
    // Entries of the preset list; a negative value is an unchecked entry of that magnitude.
    void List(std::initializer_list<float> values) {
        int i = 0;
        for (float v : values)
            settings.Mirvak.Set[i++] = {v < 0 ? -v : v, uint8_t(v < 0 ? 0 : 1)};
        settings.Mirvak.SetCount = int8_t(i);
    }
    void Range(float first, int count, float step) {
        settings.Mirvak.Flags |= 0x01;
        settings.Mirvak.RangeStart = first;
        settings.Mirvak.RangeN = count;
        settings.Mirvak.RangeStep = step;
    }
    static uint32_t Word(double f, double fs) { return uint32_t(std::floor(f / fs * 4294967296.0 + 0.5)); }
    std::vector<uint32_t> Words() const { return {MirvakPlanSteps, MirvakPlanSteps + MirvakPlanCount}; }

    TDeviceSettings settings;
    std::vector<std::string> calls;
    bool measurementRunning = false;
};

TEST_F(MirvakRunFixture, GridFollowsTheSampleRate) {
    const struct {
        float sampleRate;
        double quantum, top;
    } cases[] = {{2599, 0.001, 1024}, {2600, 0.002, 2048}, {5199, 0.002, 2048}, {5200, 0.004, 4096},
                 {10399, 0.004, 4096}};
    for (const auto &c : cases) {
        settings.SampleRate = c.sampleRate;
        PrepareMirvakHolder();
        EXPECT_DOUBLE_EQ(MirvakQuantum, c.quantum) << c.sampleRate;
        EXPECT_DOUBLE_EQ(MirvakTopFreq, c.top) << c.sampleRate;
        EXPECT_DOUBLE_EQ(SstParam->Resolution, c.quantum) << "the holder's bins count in the same grid";
        ASSERT_NE(SstParam, nullptr);
    }
    // From 10400 kHz on the grid stays as the last rate left it.
    settings.SampleRate = 10400;
    PrepareMirvakHolder();
    EXPECT_DOUBLE_EQ(MirvakQuantum, 0.004);
}

TEST_F(MirvakRunFixture, SnappingRoundsHalfUpOnTheQuantum) {
    EXPECT_NEAR(SnapMirvakFreq(0.0015), 0.002, 1e-12);
    EXPECT_NEAR(SnapMirvakFreq(0.00149), 0.001, 1e-12);
    const double quantum = MirvakQuantum;
    MirvakQuantum = 0; // grid of a rate that has none: values stand
    EXPECT_DOUBLE_EQ(SnapMirvakFreq(0.0015), 0.0015);
    MirvakQuantum = quantum;
}

TEST_F(MirvakRunFixture, RangePlanGivesPhaseWordsInRunOrder) {
    Range(1, 3, 0.5f);
    BuildMirvakPlan();
    EXPECT_EQ(MirvakPlanSteps[0], 1677722u) << "1 kHz at 2560 kHz";
    EXPECT_EQ(Words(), (std::vector<uint32_t>{Word(1, 2560), Word(1.5, 2560), Word(2, 2560)}));
    settings.Mirvak.Flags |= 0x02;
    BuildMirvakPlan();
    EXPECT_EQ(Words(), (std::vector<uint32_t>{Word(2, 2560), Word(1.5, 2560), Word(1, 2560)}));
}

TEST_F(MirvakRunFixture, ReversePresetListSkipsUncheckedRows) {
    List({1, -2, 3});
    settings.Mirvak.Flags = 0x02;
    BuildMirvakPlan();
    EXPECT_EQ(Words(), (std::vector<uint32_t>{Word(3, 2560), Word(1, 2560)}));
    double first = 0;
    ASSERT_TRUE(MirvakFirstPlanFreq(settings.Mirvak, first));
    EXPECT_NEAR(first, 3, 1e-9);

    List({-1, -2});
    BuildMirvakPlan();
    EXPECT_EQ(MirvakPlanCount, 0);
    EXPECT_FALSE(MirvakFirstPlanFreq(settings.Mirvak, first));
}

TEST_F(MirvakRunFixture, DamagedRangeCountStaysWithinThePlanWords) {
    Range(1, 100000, 0.001f);
    BuildMirvakPlan();
    EXPECT_EQ(MirvakPlanCount, MirvakSetCapacity);
    Range(1, -5, 0.001f);
    BuildMirvakPlan();
    EXPECT_EQ(MirvakPlanCount, 1);
}

TEST_F(MirvakRunFixture, ScanEndsAreWidenedAndKeptWithinTheRange) {
    settings.Mirvak.SubMode = MirvakSubModeScan;
    settings.Mirvak.B = 0.0625f;
    settings.Mirvak.Fc1 = 0.5f;   // 0.5 - 16 x 0.0625 lies below the lowest frequency
    settings.Mirvak.FcN = 1023.5f; // 1023.5 + 1 lies above the range
    BuildMirvakPlan();
    EXPECT_EQ(Words(), (std::vector<uint32_t>{Word(0.04, 2560), Word(1024, 2560)}));
    settings.Mirvak.Fc1 = 10;
    settings.Mirvak.FcN = 20;
    BuildMirvakPlan();
    EXPECT_EQ(Words(), (std::vector<uint32_t>{Word(9, 2560), Word(21, 2560)}));
}

TEST_F(MirvakRunFixture, ScanEndIsLimitedToTheLongestScan) {
    EXPECT_NEAR(LimitMirvakScanEnd(1, 1000, 0.001), 17.394, 1e-9);
    EXPECT_NEAR(LimitMirvakScanEnd(0.3, 3.4, 0.02), 3.4, 1e-9);
    EXPECT_NEAR(LimitMirvakScanEnd(0.3, 3.41, 0.02), 3.42, 1e-9) << "a whole multiple of the band";
    EXPECT_DOUBLE_EQ(LimitMirvakScanEnd(1, 5, 0), 5) << "no band, nothing to divide by";
}

TEST_F(MirvakRunFixture, DeviceCodeBySubMode) {
    const struct {
        int8_t subMode;
        uint8_t code;
    } cases[] = {{0, 3}, {-1, 3}, {1, 1}, {2, 5}, {3, 1}, {6, 1}, {8, 1}, {9, 7}, {-2, 7}};
    for (const auto &c : cases) {
        settings.Mirvak.DeviceSubMode = 7;
        settings.Mirvak.SubMode = c.subMode;
        SetMirvakDeviceMode();
        EXPECT_EQ(settings.Mirvak.DeviceSubMode, c.code) << int(c.subMode);
    }
}

TEST_F(MirvakRunFixture, ToneTakesTheFirstCheckedPoint) {
    List({-1, 2.5f, 3});
    settings.Mirvak.SinLevel = -12;
    EXPECT_FALSE(StartMirvakTone()) << "generator off";
    EXPECT_EQ(MirvakToneIndex, -1);
    settings.Mirvak.SinOn = 1;
    ASSERT_TRUE(StartMirvakTone());
    EXPECT_EQ(MirvakToneIndex, 1);
    EXPECT_FLOAT_EQ(MirvakToneFreq, 2.5f);
    EXPECT_FLOAT_EQ(settings.Sin.F1, 2.5f);
    EXPECT_FLOAT_EQ(settings.Sin.Level, -12);
    List({-1});
    EXPECT_FALSE(StartMirvakTone());
}

TEST_F(MirvakRunFixture, ScanWithoutPlayablePointRunsWithTheGeneratorOff) {
    List({-1});
    settings.Mirvak.SubMode = MirvakSubModeScan;
    settings.Mirvak.SinOn = 1;
    StartMirvak();
    EXPECT_EQ(settings.Mirvak.RunState, 1);
    EXPECT_EQ(settings.Mirvak.SinOn, 0);
}

TEST_F(MirvakRunFixture, PassEndContinuesOnlyContinuousAfc) {
    const struct {
        int8_t subMode;
        int32_t options;
        int32_t state;
    } cases[] = {{0, 0x04, 1}, {0, 0, 3}, {-1, 0x04, 3}, {2, 0x04, 3}};
    for (const auto &c : cases) {
        List({1});
        settings.Mirvak.SubMode = c.subMode;
        settings.Mirvak.Options = c.options;
        settings.Mirvak.RunState = 2;
        OnMirvakPassEnd();
        EXPECT_EQ(settings.Mirvak.RunState, c.state) << int(c.subMode);
    }
}

TEST_F(MirvakRunFixture, StopWithoutMeasurementEndsTheRunAtOnce) {
    MeasurementRunning = false;
    settings.Mirvak.RunState = 2;
    settings.Mirvak.RunActive = 1;
    StopMirvakRun();
    EXPECT_EQ(settings.Mirvak.RunActive, 0);
    EXPECT_EQ(settings.Mirvak.RunState, 0);
    EXPECT_EQ(calls, (std::vector<std::string>{"stop yellow", "start 3", "stop normal"}));
}

TEST_F(MirvakRunFixture, StopReportIsIgnoredWhileTheRunIsActive) {
    settings.Mirvak.RunState = 2;
    settings.Mirvak.RunActive = 1;
    FinishMirvakRun();
    EXPECT_EQ(settings.Mirvak.RunState, 2);
    settings.Mirvak.RunActive = 0;
    FinishMirvakRun();
    EXPECT_EQ(settings.Mirvak.RunState, 0);
    settings.Mirvak.RunState = 0;
    calls.clear();
    RequestMirvakStop();
    EXPECT_TRUE(calls.empty()) << "no run, nothing to stop";
}

TEST_F(MirvakRunFixture, StartRefusalsByRateLevelAndSubMode) {
    const struct {
        float sampleRate;
        int8_t maxLevel, subMode;
        const char *start; // beginning of the message, empty for none
    } cases[] = {
        {2400, 0, 0, ""},          {2600, 0, 1, ""},          {2600, 0, 5, ""},
        {2399, 0, 3, "Режим \"Мирвак\" для АЧХ,Скан"},   {5120, 0, 0, "Режим \"Мирвак\" для измерения АЧХ"},
        {5120, 0, -1, "Режим \"Мирвак\" для измерения"}, {5120, 0, 2, "Режим \"Мирвак\" для измерения"},
        {5120, 0, 3, ""},          {2560, 3, 3, "Калибровка и измерения импеданса"}, {2560, 3, 2, ""},
        {2399, 3, 3, "Режим"}, // the rate's message replaces the level's
    };
    for (const auto &c : cases) {
        settings.SampleRate = c.sampleRate;
        settings.MaxLevelIndex = c.maxLevel;
        settings.Mirvak.SubMode = c.subMode;
        const QString message = MirvakStartRefusal(QStringLiteral("+10"));
        if (*c.start == 0)
            EXPECT_TRUE(message.isEmpty()) << c.sampleRate << " " << int(c.subMode);
        else
            EXPECT_TRUE(message.startsWith(QString::fromUtf8(c.start))) << c.sampleRate << " " << int(c.subMode);
    }
    settings.SampleRate = 2560;
    settings.MaxLevelIndex = 3;
    settings.Mirvak.SubMode = 4;
    EXPECT_TRUE(MirvakStartRefusal(QStringLiteral("+10")).endsWith(QStringLiteral("= +10 - невозможны.")));
}

TEST_F(MirvakRunFixture, StartRunsOnlyAValidPlan) {
    std::vector<std::string> steps;
    const TMirvakStartPage page{[&] { steps.push_back("store"); }, [&] { steps.push_back("refresh"); }, {}};
    List({-1, -2});
    settings.AutoMaxLevel = 1;
    EXPECT_EQ(BeginMirvakRun(page), QStringLiteral("В режиме \"Мирвак\" не заданы значения измерительных частот."));
    EXPECT_EQ(settings.Mirvak.RunState, 0);
    EXPECT_EQ(settings.AutoMaxLevel, 1) << "a refused start changes nothing else";
    EXPECT_EQ(steps, (std::vector<std::string>{"store"}));

    List({1, 2});
    steps.clear();
    EXPECT_TRUE(BeginMirvakRun(page).isEmpty());
    EXPECT_EQ(settings.Mirvak.RunState, 1);
    EXPECT_EQ(settings.Mirvak.RunActive, 1);
    EXPECT_EQ(settings.AutoMaxLevel, 0);
    EXPECT_EQ(settings.Mirvak.DeviceSubMode, 3);
    EXPECT_EQ(Words(), (std::vector<uint32_t>{Word(1, 2560), Word(2, 2560)}));
    EXPECT_EQ(steps, (std::vector<std::string>{"store", "refresh"}));
}

} // namespace
