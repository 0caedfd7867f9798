#include "TimeSeriesFixture.h"

#include "engine/SignalKindChange.h"
#include "engine/evaluation/DispatchTargets.h"
#include "platform/NoValue.h"

#include <string>

namespace {

// Records what a change of kind asked of the windows and the command issuing, in order.
class SignalKindChangeTest : public TimeSeriesTest {
protected:
    void SetUp() override {
        TimeSeriesTest::SetUp();
        TSignalKindChangeViews &views = SignalKindChangeViews();
        views.ApplyForcedBlockSize = [this] { Log += "block "; };
        views.UpdateSettingsControls = [this] { Log += "controls "; };
        views.RebindGraphWindows = [this](int32_t kind) { Log += "graphs" + std::to_string(kind) + " "; };
        views.RebuildResultTable = [this] { Log += "table "; };
        views.ArrangeGraphWindows = [this] { Log += "arrange "; };
        OnSignalKindChange = [this] { Log += "meter" + std::to_string(Settings.Mode & 0x1) + " "; };
        DispatchTargets().SendCommand = [this] {
            Log += "send ";
            Settings.Mode = 0;
        };
        Settings.Mode = 0;
        LastSignalKind = int32_t(NoValue);
    }
    void TearDown() override {
        SignalKindChangeViews() = {};
        OnSignalKindChange = nullptr;
        DispatchTargets().SendCommand = nullptr;
        SignalKind = 0;
        TimeSeriesTest::TearDown();
    }
    void Change(int32_t kind) {
        Log.clear();
        SignalKind = kind;
        RebindTimeSeriesOnKindChange();
    }
    std::string Log;
};

TEST_F(SignalKindChangeTest, EveryChangeRebindsTheViewsInOrderAndOnlyOnce) {
    Change(1);
    EXPECT_EQ(Log, "graphs1 table arrange meter0 ");
    EXPECT_EQ(LastSignalKind, 1);
    Change(1);
    EXPECT_EQ(Log, "");
    Change(3);
    EXPECT_EQ(Log, "graphs3 table arrange meter0 ");
}

TEST_F(SignalKindChangeTest, NothingHappensWithoutAMeterHoweverOftenTheKindChanges) {
    for (int16_t type : {0, 1, 6}) {
        Settings.ConnectionType = type;
        for (int32_t kind : {1, 4, 0, 3}) {
            Change(kind);
            EXPECT_EQ(Log, "") << "type " << type << " kind " << kind;
        }
    }
    EXPECT_EQ(LastSignalKind, int32_t(NoValue));
    Settings.ConnectionType = 2;
    Change(3);
    EXPECT_EQ(LastSignalKind, 3);
}

TEST_F(SignalKindChangeTest, ASettlingBlockGapsEverySeriesAndLeavesTheWindows) {
    ParamDescriptor &signal = DiagramRow(2);
    signal.Result.Value = -12;
    BindRowTimeSeries(&signal, false);
    Change(1);
    AppendFrameToTimeSeries(1);
    NowStamp += Second;
    Change(0);
    EXPECT_EQ(Log, "");
    EXPECT_EQ(LastSignalKind, 0);
    const TimeSeries &series = *TimeSeriesSlots[29];
    ASSERT_EQ(series.Count(), 2);
    EXPECT_EQ(series.Points[0].Value, -12.0);
    EXPECT_EQ(series.Points[1].Value, double(NoValue));
    EXPECT_EQ(series.HasNewPoints, 1);
    Change(1);
    EXPECT_EQ(Log, "graphs1 table arrange meter0 ");
}

// At the demo's frame rate (frames 40 ms apart) a settling block between two measured frames leaves all
// three: the measured value, the break, and the next value after it, each with its own rising stamp.
TEST_F(SignalKindChangeTest, AGapBetweenFastFramesKeepsTheValueAndTheBreak) {
    ParamDescriptor &signal = DiagramRow(2);
    BindRowTimeSeries(&signal, false);
    Change(1);
    signal.Result.Value = -12;
    AppendFrameToTimeSeries(1);
    NowStamp += 0.04 * Second;
    Change(0);
    NowStamp += 0.04 * Second;
    Change(1);
    signal.Result.Value = -13;
    AppendFrameToTimeSeries(1);
    const TimeSeries &series = *TimeSeriesSlots[29];
    ASSERT_EQ(series.Count(), 3);
    EXPECT_EQ(series.Points[0].Value, -12.0);
    EXPECT_EQ(series.Points[1].Value, double(NoValue));
    EXPECT_EQ(series.Points[2].Value, -13.0);
    for (int i = 1; i < series.Count(); ++i)
        EXPECT_GE(series.Points[std::size_t(i)].Time - series.Points[std::size_t(i - 1)].Time,
                  0.1 * Second * (1 - 1e-9));
}

// SIN to PRBS with event counting on: counting off, the smallest block, the mode command once; back to
// SIN nothing is switched back. With the phasogram on, PRBS changes neither.
TEST_F(SignalKindChangeTest, PrbsForcesTheSmallestBlockWithoutEventCounting) {
    Settings.EventCounting = 1;
    Settings.AdcSizeIndex = 2;
    Change(1);
    Change(4);
    EXPECT_EQ(Log, "block send graphs4 table arrange meter0 ");
    EXPECT_EQ(Settings.EventCounting, 0);
    EXPECT_EQ(Settings.AdcSizeIndex, 0);
    Change(1);
    EXPECT_EQ(Log, "controls graphs1 table arrange meter0 ");
    EXPECT_EQ(Settings.AdcSizeIndex, 0);

    Settings.EventCounting = 1;
    Settings.Phasogram = 1;
    Change(4);
    EXPECT_EQ(Log, "graphs4 table arrange meter0 ");
    EXPECT_EQ(Settings.EventCounting, 1);

    Settings.Phasogram = 0;
    Settings.EventCounting = 0;
    Change(1);
    Change(4);
    EXPECT_EQ(Log, "graphs4 table arrange meter0 ");
}

// One parameter measured under several kinds continues in one series; a kind that does not measure it
// leaves the series inactive until one that does returns.
TEST_F(SignalKindChangeTest, TheSignalLevelContinuesInOneSeriesAcrossKinds) {
    BindRowTimeSeries(&DiagramRow(2), false);
    TimeSeries &series = *TimeSeriesSlots[29];
    Change(3);
    ParamDescriptor &mtts = Row(3, 2);
    EXPECT_EQ(series.Active, 1);
    EXPECT_EQ(series.ValuePtr, &mtts.Result.Value);
    EXPECT_EQ(series.AnalyseFlagPtr, &mtts.Settings.Analyse);
    EXPECT_EQ(series.DiagramFlagPtr, &mtts.Settings.TimeDiagram);
    Change(5);
    EXPECT_EQ(series.Active, 0);
    Change(1);
    EXPECT_EQ(series.Active, 1);
    EXPECT_EQ(series.ValuePtr, &Row(1, 2).Result.Value);
}

} // namespace
