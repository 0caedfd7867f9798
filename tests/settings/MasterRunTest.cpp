#include "SettingsFixture.h"

#include "chartlib/Chartlib.h"
#include "engine/EngineBuffers.h"
#include "engine/GeneratorSynthesis.h"
#include "engine/MasterParam.h"
#include "engine/catalogue/ParameterTable.h"
#include "engine/evaluation/PointVerdicts.h"
#include "engine/evaluation/ProtocolSnapshot.h"
#include "link/connection/ConnectionServices.h"
#include "platform/Clock.h"
#include "platform/NoValue.h"
#include "settings/MasterIntervals.h"
#include "settings/Masters.h"
#include "settings/masters/MasterPlan.h"
#include "settings/masters/MasterSinRows.h"
#include "settings/masters/MasterTimers.h"
#include "settings/masters/MasterTiming.h"
#include "state/MainGlobals.h"

#include <QScopedValueRollback>
#include <QTimer>

#include <vector>

namespace {

// The plan a master walks, as (position, value) pairs of every step.
std::vector<std::pair<int32_t, float>> Walk(const MasterBlock &block) {
    std::vector<std::pair<int32_t, float>> steps;
    int32_t position = -1;
    float value = 0;
    while (NextPlanValue(block, position, value))
        steps.push_back({position, value});
    EXPECT_EQ(position, PlanPositionCount(block)) << "an exhausted walk stays past the end";
    return steps;
}

void SetList(MasterBlock &block, std::initializer_list<std::pair<float, uint8_t>> rows) {
    int i = 0;
    for (auto [value, checked] : rows)
        block.Set[i++] = {value, checked};
    block.SetCount = int8_t(i);
    block.Source &= ~1;
}

TEST(MasterPlanTest, RangesAndListsWalkForwardOrBackSkippingUnmarkedRows) {
    MasterBlock range{};
    range.Source = 1;
    range.RangeStart = 10;
    range.RangeStep = 2.5f;
    range.RangeN = 3;
    using Steps = std::vector<std::pair<int32_t, float>>;
    EXPECT_EQ(Walk(range), (Steps{{0, 10}, {1, 12.5f}, {2, 15}}));
    range.Source = 3;
    EXPECT_EQ(Walk(range), (Steps{{0, 15}, {1, 12.5f}, {2, 10}})) << "a reverse range walks down";
    range.RangeN = 0;
    EXPECT_EQ(Walk(range), Steps{});

    MasterBlock list{};
    SetList(list, {{1, 1}, {2, 0}, {3, 1}, {4, 0}});
    EXPECT_EQ(Walk(list), (Steps{{0, 1}, {2, 3}})) << "unmarked rows are skipped but counted";
    list.Source = 2;
    EXPECT_EQ(Walk(list), (Steps{{1, 3}, {3, 1}}));
    EXPECT_EQ(PlanRow(list, 1), 2) << "the row of a reverse position is counted from the end";
    list.SetCount = -5;
    EXPECT_EQ(Walk(list), Steps{}) << "a negative stored count is an empty list";
}

TEST(MasterTimingTest, IntervalsComeFromTheOriginAndNeverFallBelowOneMillisecond) {
    // 16 s steps from an origin at 1000: a callback 700 ms late shortens the next interval by as much.
    EXPECT_EQ(StepIntervalMs(16, 2, 1000 + 16000, 1000), 16000);
    EXPECT_EQ(StepIntervalMs(16, 2, 1000 + 16700, 1000), 15300);
    // Across the wrap of the tick count.
    EXPECT_EQ(StepIntervalMs(16, 2, 0xFFFFFF00u + 16000, 0xFFFFFF00u), 16000);
    // A callback later than a whole interval: the next step falls due at once, never at 0 ms.
    EXPECT_EQ(StepIntervalMs(16, 2, 1000 + 40000, 1000), 1);
    EXPECT_EQ(StepIntervalMs(0, 1, 0, 0), 1);

    EXPECT_EQ(SettlingMs(3.0f), 9000);
    EXPECT_EQ(FirstMeterIntervalMs(16, 3.0f), 7000);
    EXPECT_EQ(FirstMeterIntervalMs(4, 0.6f), 2199) << "t is a float a hair above 0.6";
    EXPECT_EQ(FirstMeterIntervalMs(1, 3.0f), 1);

    struct Case {
        double elapsed;
        bool settled;
    };
    for (const Case c : {Case{9000, false}, Case{9000.5, false}, Case{9001, true}, Case{15999, true},
                         Case{15999.5, false}, Case{16000, false}, Case{0, false}})
        EXPECT_EQ(InSettledPart(c.elapsed, 25, 3.0f), c.settled) << c.elapsed;
}

TEST(MasterTimingTest, MinimumIntervalsPerSpectrumSize) {
    const float saved[5] = {StepTimeTable[0], StepTimeTable[1], StepTimeTable[2], StepTimeTable[3], StepTimeTable[4]};
    FillStepTimeTable(1024);
    RecomputeMasterMinIntervals();
    EXPECT_EQ(std::vector<int32_t>(MasterMinIntervalF, MasterMinIntervalF + 5), (std::vector<int32_t>{3, 5, 9, 16, 31}));
    EXPECT_EQ(std::vector<int32_t>(MasterMinIntervalL, MasterMinIntervalL + 5), (std::vector<int32_t>{4, 7, 14, 25, 49}));
    FillStepTimeTable(3.4f);
    RecomputeMasterMinIntervals();
    EXPECT_EQ(std::vector<int32_t>(MasterMinIntervalF, MasterMinIntervalF + 5), (std::vector<int32_t>{4, 7, 13, 23, 46}));
    EXPECT_EQ(std::vector<int32_t>(MasterMinIntervalL, MasterMinIntervalL + 5), (std::vector<int32_t>{6, 11, 20, 37, 73}));
    std::copy(saved, saved + 5, StepTimeTable);
}

// A run on the virtual clock with the main window's two timers; no link is open, so every command a step
// raises stays pending in Mode, where the tests read it.
class MasterRunTest : public SettingsTest {
protected:
    void SetUp() override {
        SettingsTest::SetUp();
        savedKind = ConnectionKind;
        ConnectionKind = 1;
        savedSignalKind = SignalKind;
        SignalKind = 1;
        savedServices = ConnectionServices();
        ConnectionServices() = {};
        std::copy(StepTimeTable, StepTimeTable + 5, savedStepTimes);
        FillStepTimeTable(1024); // t = 3.0 s at size index 3
        settings.AdcSizeIndex = 3;
        RecomputeBlockSizeFields(settings);
        settings.AveragingInterval = 30;
        MasterTimers() = {&g9, &m9};
        ResetProtocolSnapshot(LocalProtocolSnapshot, 0);
    }
    void TearDown() override {
        MasterTimers() = {};
        DeleteMasterParams();
        FreePointVerdicts(20);
        FreePointVerdicts(21);
        MasterMeterArmed = 0;
        PlaybackOn = false;
        SignalKind = savedSignalKind;
        ConnectionKind = savedKind;
        ConnectionServices() = savedServices;
        std::copy(savedStepTimes, savedStepTimes + 5, StepTimeTable);
        SettingsTest::TearDown();
    }

    // A SIN frame as the evaluation leaves it in the SIN table.
    void Frame(float frequency, float level, float attenuation) {
        ParamTableSin[SinFrequencyRow].Result.Value = frequency;
        ParamTableSin[SinLevelRow].Result.Value = level;
        ParamTableSin[SinAttenuationRow].Result.Value = attenuation;
    }

    float Fitted(float f) {
        float actual = 0;
        uint32_t phase = 0;
        FitGeneratorFrequency(int16_t(SynthesisTableLength()), f, settings.SampleRate, actual, phase);
        return float(RoundFrequency(actual));
    }

    VirtualClock clock{100000, 0};
    QTimer g9, m9;
    int16_t savedKind = 0;
    int32_t savedSignalKind = 0;
    TConnectionServices savedServices;
    float savedStepTimes[5] = {};
};

class MasterFreqRunTest : public MasterRunTest {
protected:
    void SetUp() override {
        MasterRunTest::SetUp();
        MasterBlock &m = settings.MasterF;
        SetList(m, {{100, 1}, {200, 0}, {300, 1}});
        m.SinOn = 1;
        m.SinValue = -10;
        m.BandType = 0;
        m.AutoByTime = 1;
        m.Interval = 16;
    }
};

// t = 3.0 s and 16 s steps: the meter timer, armed by the first SIN frame, has its origin 9000 ms before
// that frame and fires 7000 ms after it; every later step is due 16000 ms after the last one's scheduled
// time however late the callback came. The generator steps one interval after the start and on.
TEST_F(MasterFreqRunTest, ATimedNarrowBandRunKeepsItsScheduleWithoutDrift) {
    StartMasterFreq();
    const uint32_t start = clock.Ticks();
    EXPECT_EQ(settings.MasterF.State, 1);
    EXPECT_EQ(settings.AveragingInterval, 0);
    EXPECT_TRUE(g9.isActive());
    EXPECT_EQ(g9.interval(), 16000);
    EXPECT_FALSE(m9.isActive()) << "the meter waits for the tone";
    EXPECT_EQ(MasterFreqRun.MeterIndex, 0);
    EXPECT_EQ(MasterFreqRun.MeterValue, 100);
    EXPECT_FLOAT_EQ(settings.BandF0, 100 - settings.SpectrumStep / 2);
    EXPECT_FLOAT_EQ(settings.BandF1 - settings.BandF0, settings.SpectrumStep);
    EXPECT_EQ(MasterFreqRun.GenStep, -1) << "no generator frequency before the first interval";
    EXPECT_EQ(MasterMeterArmed, 0);

    // Frames before the run is running arm nothing.
    MasterFreqFrameHook();
    EXPECT_FALSE(m9.isActive());
    settings.MasterF.State = 2;
    clock.Advance(500);
    const uint32_t armed = clock.Ticks();
    MasterFreqFrameHook();
    ASSERT_TRUE(m9.isActive());
    EXPECT_EQ(m9.interval(), 7000);
    EXPECT_EQ(uint32_t(FreqMasterParam->ArmTick), armed - 9000);
    EXPECT_EQ(MasterMeterArmed, 1);
    clock.Advance(100);
    MasterFreqFrameHook();
    EXPECT_EQ(m9.interval(), 7000) << "armed once";

    // The meter timer fires 300 ms late: the step after it is still due at origin + 2 x 16 s.
    clock.Ticks();
    clock.Advance(7000 - 100 + 300);
    MasterFreqStep(&m9);
    EXPECT_EQ(MasterFreqRun.MeterIndex, 2) << "the unmarked row is skipped";
    EXPECT_EQ(MasterFreqRun.MeterValue, 300);
    EXPECT_EQ(m9.interval(), 32000 - (7000 + 300 + 9000));
    EXPECT_EQ(MasterFreqRun.GenStep, -1) << "the meter's timer steps only the meter";
    EXPECT_EQ(settings.Mode & 0x101, 0x101);

    // The generator's timer, 200 ms late, takes the first frequency, fitted to the generator.
    clock.Advance(start + 16200 - clock.Ticks());
    MasterFreqStep(&g9);
    EXPECT_EQ(MasterFreqRun.GenStep, 0);
    EXPECT_EQ(MasterFreqRun.GenIndex, 0);
    EXPECT_EQ(g9.interval(), 32000 - 16200);
    EXPECT_EQ(settings.Sin.F1, Fitted(100));
    EXPECT_EQ(MasterFreqRun.GenValue, settings.Sin.F1);
    EXPECT_EQ(settings.Sin.Level, -10);
    EXPECT_EQ(settings.Sin.State, 1) << "the SIN is switched on";
    EXPECT_EQ(MasterFreqRun.MeterIndex, 2) << "the generator's timer steps only the generator";

    // The meter walks past the plan: the run finishes with its protocol rows and gives the averaging back.
    MasterFreqStep(&m9);
    EXPECT_EQ(settings.MasterF.State, 0);
    EXPECT_FALSE(m9.isActive());
    EXPECT_FALSE(g9.isActive());
    EXPECT_EQ(LocalProtocolSnapshot.MasterDone, 1);
    EXPECT_EQ(settings.AveragingInterval, 30);
    EXPECT_TRUE(settings.Mode & 0x001);
}

TEST_F(MasterFreqRunTest, ThePlanEndsTheRunAtItsFirstStepWhenNoRowIsMarked) {
    SetList(settings.MasterF, {{100, 0}, {200, 0}});
    StartMasterFreq();
    EXPECT_EQ(settings.MasterF.State, 0);
    EXPECT_FALSE(g9.isActive());
    EXPECT_EQ(LocalProtocolSnapshot.MasterDone, 1) << "the protocol rows are written";
    EXPECT_EQ(settings.AveragingInterval, 30);
}

// The silent stop keeps the averaging interval as the run left it; only the finish gives it back.
TEST_F(MasterFreqRunTest, TheSilentStopNeitherFinishesNorGivesTheAveragingBack) {
    StartMasterFreq();
    FreqMasterParam->SetCurrent(1, 1);
    ASSERT_TRUE(FreqMasterParam->AddCurrentPoint(0, false, 100));
    StopMasterFreq();
    EXPECT_EQ(settings.MasterF.State, 0);
    EXPECT_EQ(settings.AveragingInterval, 0);
    EXPECT_EQ(LocalProtocolSnapshot.MasterDone, 0);
    EXPECT_FALSE(g9.isActive());
    ASSERT_NE(FreqMasterParam, nullptr);
    EXPECT_TRUE(FreqMasterParam->Points.empty()) << "the characteristic is emptied";
}

TEST_F(MasterFreqRunTest, AManualRunStepsBothHalvesAndNeverArmsATimer) {
    settings.MasterF.AutoByTime = 0;
    StartMasterFreq();
    EXPECT_EQ(MasterFreqRun.GenIndex, 0);
    EXPECT_EQ(MasterFreqRun.MeterIndex, 0);
    settings.MasterF.State = 2;
    MasterFreqFrameHook();
    EXPECT_FALSE(m9.isActive());
    EXPECT_FALSE(g9.isActive());
    MasterFreqStep(nullptr);
    EXPECT_EQ(MasterFreqRun.GenIndex, 2);
    EXPECT_EQ(MasterFreqRun.MeterIndex, 2);
    EXPECT_EQ(settings.Sin.F1, Fitted(300));

    // The measurement's stop deletes the characteristic while the run still counts as running: Next then
    // does nothing.
    DeleteMasterParams();
    MasterFreqStep(nullptr);
    EXPECT_EQ(MasterFreqRun.MeterIndex, 2);
    EXPECT_EQ(settings.MasterF.State, 2);
    UpdateMasterFreqParam();
    MasterFreqFrameHook();
    EXPECT_EQ(FreqMasterParam, nullptr);
}

// Each frame's measurement waits as the pending point and joins the characteristic with the next frame;
// a meter step drops it, so the frame taken before the step never lands on the next plan frequency.
TEST_F(MasterFreqRunTest, APendingPointNeverCrossesAMeterStep) {
    settings.MasterF.AutoByTime = 0;
    settings.AfcRef = -1; // absolute levels
    StartMasterFreq();
    settings.MasterF.State = 2;
    Frame(100, -5, 3);
    UpdateMasterFreqParam();
    EXPECT_TRUE(FreqMasterParam->Points.empty());
    Frame(100, -5, 5);
    UpdateMasterFreqParam();
    ASSERT_EQ(FreqMasterParam->Points.size(), 1u);
    EXPECT_EQ(FreqMasterParam->Points[0].x, 100);
    EXPECT_EQ(FreqMasterParam->Points[0].y, 3);
    MasterFreqStep(nullptr); // pending: the frame of attenuation 5, taken at 100 kHz
    Frame(300, -5, 40);
    UpdateMasterFreqParam();
    EXPECT_EQ(FreqMasterParam->Points.size(), 1u) << "nothing joined the 300 kHz point";
    Frame(300, -5, 42);
    UpdateMasterFreqParam();
    ASSERT_EQ(FreqMasterParam->Points.size(), 2u);
    EXPECT_EQ(FreqMasterParam->Points[1].x, 300);
    EXPECT_EQ(FreqMasterParam->Points[1].y, 40);
}

TEST_F(MasterFreqRunTest, AWideBandRunEndsWithItsGeneratorAndMeasuresAtTheMeasuredFrequency) {
    MasterBlock &m = settings.MasterF;
    m.BandType = 1;
    m.BandF0 = 50;
    m.BandF1 = 400;
    m.AutoByTime = 0;
    settings.AfcRef = -1;
    StartMasterFreq();
    EXPECT_EQ(settings.BandF0, 50);
    EXPECT_EQ(settings.BandF1, 400);
    EXPECT_EQ(MasterFreqRun.MeterStep, -1) << "the wide band stands still";
    settings.MasterF.State = 2;
    Frame(100.1f, -5, 3);
    UpdateMasterFreqParam();
    UpdateMasterFreqParam();
    ASSERT_EQ(FreqMasterParam->Points.size(), 1u);
    EXPECT_FLOAT_EQ(FreqMasterParam->Points[0].x, 100.1f);
    MasterFreqStep(nullptr);
    EXPECT_EQ(m.State, 2);
    MasterFreqStep(nullptr);
    EXPECT_EQ(m.State, 0) << "past the last frequency";
    EXPECT_EQ(LocalProtocolSnapshot.MasterDone, 1);
}

TEST_F(MasterFreqRunTest, PlaybackArmsNothingAndOtherSignalKindsArmNothing) {
    StartMasterFreq();
    settings.MasterF.State = 2;
    SignalKind = 5;
    MasterFreqFrameHook();
    EXPECT_FALSE(m9.isActive());
    SignalKind = 1;
    PlaybackOn = true;
    MasterFreqFrameHook();
    EXPECT_FALSE(m9.isActive());
    EXPECT_EQ(MasterMeterArmed, 0);
}

TEST_F(MasterFreqRunTest, ARescaleStopsTheRunSilentlyAndScalesThePlan) {
    settings.MasterF.RangeStart = 10;
    settings.MasterF.RangeStep = 2;
    StartMasterFreq();
    RescaleMasterFreq(2);
    EXPECT_EQ(settings.MasterF.State, 0);
    EXPECT_FALSE(g9.isActive());
    EXPECT_EQ(settings.MasterF.Set[2].Value, 600);
    EXPECT_EQ(settings.MasterF.RangeStart, 20);
    EXPECT_EQ(settings.MasterF.RangeStep, 4);
    EXPECT_EQ(LocalProtocolSnapshot.MasterDone, 0);
}

class MasterLevRunTest : public MasterRunTest {
protected:
    void SetUp() override {
        MasterRunTest::SetUp();
        MasterBlock &m = settings.MasterL;
        SetList(m, {{-30, 1}, {-20, 1}, {-10, 1}});
        m.SinOn = 1;
        m.SinValue = 1.0f; // not on the generator's grid
        m.BandType = 0;
        m.AutoByTime = 1;
        m.Interval = 25;
    }
};

// t = 3.0 s and 25 s steps: frames count from 9001 to 15999 ms after each meter step.
TEST_F(MasterLevRunTest, ATimedRunTakesOnlyTheSettledFramesOfAStep) {
    StartMasterLev();
    const float band0 = settings.BandF0;
    EXPECT_FLOAT_EQ(band0, 1.0f - settings.SpectrumStep / 2);
    settings.MasterL.State = 2;
    const float tone = settings.MasterL.SinValue;

    // An off-frequency frame neither arms the meter nor adds a point.
    Frame(tone + 0.5f, -29, 0);
    MasterLevFrameHook();
    EXPECT_FALSE(m9.isActive());
    clock.Advance(12000);
    UpdateMasterLevParam();
    EXPECT_TRUE(LevelMasterParam->Points.empty());

    Frame(tone, -29, 0);
    MasterLevFrameHook();
    ASSERT_TRUE(m9.isActive());
    EXPECT_EQ(m9.interval(), 16000);
    EXPECT_EQ(uint32_t(LevelMasterParam->StepTick), clock.Ticks() - 9000);

    // Meter step to -20 dBm0, then frames across its settled part.
    MasterLevStep(&m9);
    EXPECT_EQ(MasterLevRun.MeterValue, -20);
    struct Case {
        uint32_t at;
        float level;
    };
    for (const Case c : {Case{9000, -50}, Case{9001, -19}, Case{15999, -21}, Case{16000, -50}}) {
        clock.Advance(c.at - TicksSince(uint32_t(LevelMasterParam->StepTick)));
        Frame(tone, c.level, 0);
        UpdateMasterLevParam();
    }
    ASSERT_EQ(LevelMasterParam->Points.size(), 1u);
    EXPECT_EQ(LevelMasterParam->Points[0].x, -20);
    EXPECT_FLOAT_EQ(LevelMasterParam->Points[0].y, 0) << "the mean of +1 and -1 dB";
    EXPECT_EQ(LevelMasterParam->Points[0].count, 2);
    EXPECT_FLOAT_EQ(settings.BandF0, band0) << "the narrow band stays for the whole run";
}

TEST_F(MasterLevRunTest, AManualRunTakesEveryFrameAndItsMeterRaisesOnlyTheRecompute) {
    settings.MasterL.AutoByTime = 0;
    StartMasterLev();
    settings.MasterL.State = 2;
    EXPECT_EQ(settings.MasterL.SinValue, Fitted(1.0f)) << "the SIN frequency is fitted at the step";
    EXPECT_EQ(settings.Sin.F1, settings.MasterL.SinValue);
    EXPECT_EQ(settings.Sin.Level, -30);
    EXPECT_EQ(MasterLevRun.GenValue, -30);
    Frame(settings.MasterL.SinValue, -31, 0);
    UpdateMasterLevParam();
    ASSERT_EQ(LevelMasterParam->Points.size(), 1u);
    EXPECT_EQ(LevelMasterParam->Points[0].y, -1);

    settings.Mode = 0;
    MasterLevStep(nullptr);
    EXPECT_EQ(settings.Mode & 0x101, 0x100);
    EXPECT_EQ(settings.Sin.Level, -20);
    MasterLevStep(nullptr);
    MasterLevStep(nullptr);
    EXPECT_EQ(settings.MasterL.State, 0) << "the meter walked past the plan";
    EXPECT_EQ(LocalProtocolSnapshot.MasterDone, 1);
}

// Playback of a timed run: the recorded step level becomes the meter's, and the step's settling time runs
// from the record where a new step begins, not from every settings record (a recording window writes one
// at every tick).
TEST_F(MasterLevRunTest, PlaybackTakesTheStepLevelAndTimeFromTheRecording) {
    const QScopedValueRollback<double> stamp(NowStamp);
    PlaybackOn = true;
    settings.MasterL.State = 2;
    const float tone = settings.MasterL.SinValue;
    ResetMasterLevRun();
    ASSERT_NE(LevelMasterParam, nullptr);
    constexpr double Ms = 1.0 / 86400000.0;
    const double t0 = 46000.5;
    const auto frameAt = [&](double ms, float level) {
        NowStamp = t0 + ms * Ms;
        Frame(tone, level, 0);
        UpdateMasterLevParam();
    };

    RestoreLevelMasterStep(-20, t0);
    EXPECT_EQ(LevelMasterStepLevel(), -20);
    EXPECT_DOUBLE_EQ(LevelMasterParam->StepTime, t0);
    frameAt(8990, -50); // still settling
    frameAt(9010, -19);
    RestoreLevelMasterStep(-20, t0 + 10000 * Ms); // the same step's settings written again
    EXPECT_DOUBLE_EQ(LevelMasterParam->StepTime, t0);
    frameAt(15990, -21);
    frameAt(16010, -50); // past the settled part
    ASSERT_EQ(LevelMasterParam->Points.size(), 1u);
    EXPECT_EQ(LevelMasterParam->Points[0].x, -20);
    EXPECT_EQ(LevelMasterParam->Points[0].count, 2);

    RestoreLevelMasterStep(-10, t0 + 25000 * Ms);
    EXPECT_DOUBLE_EQ(LevelMasterParam->StepTime, t0 + 25000 * Ms) << "a new level is a new step";
    frameAt(25000 + 9010, -9);
    ASSERT_EQ(LevelMasterParam->Points.size(), 2u);
    EXPECT_EQ(LevelMasterParam->Points[1].x, -10);

    // The recording loops: its first record is earlier than the step in force.
    RestoreLevelMasterStep(-10, t0);
    EXPECT_DOUBLE_EQ(LevelMasterParam->StepTime, t0);
    RestoreLevelMasterStep(NoValue, t0 + 40000 * Ms);
    EXPECT_EQ(LevelMasterStepLevel(), NoValue);
    EXPECT_DOUBLE_EQ(LevelMasterParam->StepTime, t0) << "no step level, no step";

    // Without a characteristic only the level is taken.
    DeleteMasterParams();
    RestoreLevelMasterStep(-30, t0);
    EXPECT_EQ(MasterLevRun.MeterValue, -30);
}

TEST_F(MasterLevRunTest, StopIfRunningFinishesOnlyOnce) {
    StartMasterLev();
    EXPECT_EQ(settings.MasterL.State, 1);
    StopMasterLevIfRunning();
    EXPECT_EQ(settings.MasterL.State, 0);
    EXPECT_EQ(settings.AveragingInterval, 30);
    EXPECT_FALSE(g9.isActive());
    StopMasterLevIfRunning();
    EXPECT_EQ(settings.AveragingInterval, 30) << "a second stop finishes nothing";
}

} // namespace
