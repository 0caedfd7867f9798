#include "engine/evaluation/ResultDispatcher.h"
#include "engine/evaluation/AutoMaxLevel.h"
#include "engine/evaluation/GeneratorCode.h"
#include "engine/evaluation/MaskLookup.h"

#include "EvaluationFixture.h"
#include "engine/MasterParam.h"
#include "engine/MeterRange.h"
#include "platform/NoValue.h"
#include "state/MainGlobals.h"

namespace {

class Dispatch : public EvaluationTest {
protected:
    // The SIN table with a signal level of 5 dBm0 judged against an upper norm of 0.
    void JudgeSinLevelAbove() {
        ParamDescriptor &level = ParamTableSin[3];
        level.Settings.Analyse = 1;
        level.Settings.ApplyUpper = 1;
        level.Settings.UpperNorm = 0;
        level.Result.Value = 5;
        level.Result.Verdict = ParamNotJudged;
    }
};

// The NOISE table's margins are those its rows ask for: "Шум,дБм0" is judged against its upper norm from
// the start but computes its margin only once the margin is switched on; the quality follows. (-22.5 is
// -60 - -37.5 as numpy computes it from the float norm and value.)
TEST_F(Dispatch, TheNoiseLevelHasAMarginAndAQualityOnlyWhenItsMarginIsOn) {
    SignalKind = 5;
    ParamDescriptor &noise = ParamTableNoise[2];
    ASSERT_TRUE(noise.MarginAllowed && noise.Settings.ApplyUpper);
    EXPECT_FALSE(noise.Settings.ComputeMargin) << "off by default";
    noise.Result.Value = -37.5f;
    ResultDispatcher(1);
    EXPECT_EQ(noise.Result.Verdict, ParamFailed);
    EXPECT_EQ(noise.Result.Margin, NoValue);
    EXPECT_EQ(ParamTableNoise[QualityRow].Result.Value, NoValue);
    EXPECT_EQ(ParamTableNoise[QualityRow].Result.Verdict, ParamNotJudged);
    EXPECT_EQ(ParamTableNoise[ComplianceRow].Result.Verdict, ParamFailed);

    noise.Settings.ComputeMargin = 1;
    ResultDispatcher(1);
    EXPECT_FLOAT_EQ(noise.Result.Margin, -22.5f);
    EXPECT_FLOAT_EQ(ParamTableNoise[QualityRow].Result.Value, -22.5f);
    EXPECT_EQ(ParamTableNoise[QualityRow].Result.Verdict, ParamFailed);
    EXPECT_EQ(ParamTableNoise[ComplianceRow].Result.Verdict, ParamFailed);
}

TEST_F(Dispatch, WithoutAMeterNothingIsJudgedButTheScenarioSteps) {
    for (int16_t type : {0, 1, 6}) {
        SCOPED_TRACE(type);
        Settings.ConnectionType = type;
        Redrawn.clear();
        Calls.clear();
        JudgeSinLevelAbove();
        ResultDispatcher(1);
        EXPECT_EQ(ParamTableSin[3].Result.Verdict, ParamNotJudged);
        EXPECT_TRUE(Redrawn.empty());
        EXPECT_EQ(Calls, std::vector<std::string>{"scenario"});
    }
}

TEST_F(Dispatch, WithAMeterTheKindIsJudgedRedrawnAndHandedOn) {
    JudgeSinLevelAbove();
    ResultDispatcher(1);
    EXPECT_EQ(ParamTableSin[3].Result.Verdict, ParamFailed);
    EXPECT_EQ(ParamTableSin[ComplianceRow].Result.Verdict, ParamFailed);
    EXPECT_EQ(Redrawn, (std::vector<int32_t>{0, 1, 2, 18, 19}));
    EXPECT_EQ(Calls, (std::vector<std::string>{"result table", "time series 1", "scenario"}));
}

TEST_F(Dispatch, RedrawListsFollowTheKind) {
    const std::pair<int32_t, std::vector<int32_t>> kinds[] = {
        {2, {0, 1, 2}},
        {3, {0, 1, 2, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}},
        {4, {0, 1, 2, 3, 4, 20}},
        {5, {0, 1, 2, 16, 17, 37, 38}},
        {6, {1, 2}},
        {7, {0, 1}},
    };
    for (const auto &[kind, redrawn] : kinds) {
        SignalKind = kind;
        Redrawn.clear();
        ResultDispatcher(1);
        EXPECT_EQ(Redrawn, redrawn) << "kind " << kind;
    }
    SignalKind = 6;
    Redrawn.clear();
    ResultDispatcher(3);
    EXPECT_EQ(Redrawn, (std::vector<int32_t>{1, 2, 21, 22, 23, 24, 25, 26, 27, 29, 28, 30, 31, 32, 33, 34, 35, 36}));
}

TEST_F(Dispatch, SettlingBlockOnlyResetsTheMasterAndMarksTheRecording) {
    TMaster_Param master;
    FreqMasterParam = &master;
    std::vector<int32_t> recorded;
    DispatchTargets().RecordChange = [&](int32_t bits) { recorded.push_back(bits); };
    SignalKind = 0;
    const bool recording = RecordingOn;
    RecordingOn = false;
    master.SetCurrent(10, -3);
    ResultDispatcher(1);
    EXPECT_EQ(master.CurrentX, NoValue);
    RecordingOn = true;
    master.SetCurrent(10, -3);
    ResultDispatcher(1);
    RecordingOn = recording;
    FreqMasterParam = nullptr;
    EXPECT_EQ(master.CurrentY, NoValue);
    EXPECT_EQ(recorded, std::vector<int32_t>{0x2});
    EXPECT_TRUE(Calls.empty());
    EXPECT_TRUE(Redrawn.empty());
}

TEST_F(Dispatch, MaskedSpectrumIsMarkedAndItsRowJudgedByTheMask) {
    TMASK *mask = InstallMask(1, MaskUpperSide, {{0, -20}, {1000, -20}});
    EngineBuffers.DisplayPointCount = 4;
    const float f[] = {NoValue, 10, 20, 30};
    const float p[] = {NoValue, -30, -10, -40};
    std::copy(f, f + 4, EngineBuffers.FrequencyAxis);
    std::copy(p, p + 4, EngineBuffers.PowerSpectrum);
    ParamDescriptor *row = FindParamByMaskSlot(1);
    ASSERT_NE(row, nullptr);
    row->Settings.Analyse = 1;
    row->Settings.ComputeMargin = 1;
    ResultDispatcher(1);
    EXPECT_EQ(PointVerdictAt(1, 0), 1);
    EXPECT_EQ(PointVerdictAt(1, 1), 0);
    EXPECT_EQ(PointVerdictAt(1, 2), 1);
    EXPECT_EQ(mask->Passed, 0);
    EXPECT_EQ(row->Result.Verdict, ParamFailed);
    EXPECT_FLOAT_EQ(row->Result.Margin, -10);
    EXPECT_FLOAT_EQ(ParamTableSin[QualityRow].Result.Value, -10);
}

TEST_F(Dispatch, CurveOutsideItsMasksPassesWithoutMargin) {
    TMASK *mask = InstallMask(1, MaskUpperSide, {{500, -20}, {1000, -20}});
    EngineBuffers.DisplayPointCount = 3;
    const float f[] = {0, 10, 20};
    const float p[] = {0, 0, 0};
    std::copy(f, f + 3, EngineBuffers.FrequencyAxis);
    std::copy(p, p + 3, EngineBuffers.PowerSpectrum);
    ParamDescriptor *row = FindParamByMaskSlot(1);
    row->Settings.Analyse = 1;
    row->Settings.ComputeMargin = 1;
    ResultDispatcher(1);
    EXPECT_EQ(mask->Passed, 1);
    EXPECT_EQ(row->Result.Verdict, ParamPassed);
    EXPECT_EQ(row->Result.Margin, NoValue);
}

class AutoRange : public EvaluationTest {
protected:
    void SetUp() override {
        EvaluationTest::SetUp();
        Settings.AutoMaxLevel = 1;
        Settings.MaxLevelIndex = 1;
        Settings.MeterImpedance = 600;
        Settings.Mode = 0;
        ComputeRangeMaxLevels(Settings.MeterImpedance, Settings.MeterRef);
        DispatchTargets().ShowMaxLevelRanges = [this] { Calls.push_back("ranges"); };
    }
    // A received level inside the current range's window: 20 dB below its top.
    void LevelInRange() { EngineBuffers.ReceivedLevelDbm = RangeMaxLevels[1] - 20; }
};

TEST_F(AutoRange, OverloadStepsOneRangeUpAndIssuesIt) {
    LevelInRange();
    EngineBuffers.OverloadFlag = 1;
    AutoMaxLevelStep();
    EXPECT_EQ(Settings.MaxLevelIndex, 0);
    EXPECT_EQ(Settings.Mode & 0x101, 0x101);
    EXPECT_EQ(Calls, (std::vector<std::string>{"ranges", "send command"}));
}

TEST_F(AutoRange, FollowsTheRangeThatSuitsTheLevel) {
    EngineBuffers.ReceivedLevelDbm = RangeMaxLevels[1] - 60;
    AutoMaxLevelStep();
    EXPECT_EQ(Settings.MaxLevelIndex, 2);
    EXPECT_EQ(Calls.size(), 2u);
}

TEST_F(AutoRange, NothingWhenSteadyOrSwitchedOff) {
    LevelInRange();
    EngineBuffers.OverloadFlag = 0;
    AutoMaxLevelStep();
    Settings.AutoMaxLevel = 0;
    EngineBuffers.OverloadFlag = 1;
    AutoMaxLevelStep();
    EXPECT_EQ(Settings.MaxLevelIndex, 1);
    EXPECT_EQ(Settings.Mode, 0);
    EXPECT_TRUE(Calls.empty());
}

TEST_F(Dispatch, GeneratorCodeNamesTheFirstRunningGenerator) {
    EXPECT_EQ(GeneratorCode(), 5);
    Settings.Noise.State = 2;
    EXPECT_EQ(GeneratorCode(), 6);
    Settings.Rnd.State = 1;
    EXPECT_EQ(GeneratorCode(), 4);
    Settings.Mtts.State = 3;
    EXPECT_EQ(GeneratorCode(), 3);
    Settings.Sin2.State = 1;
    EXPECT_EQ(GeneratorCode(), 2);
    Settings.Sin.State = 1;
    EXPECT_EQ(GeneratorCode(), 1);
}

} // namespace
