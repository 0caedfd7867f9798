#include "EngineTestSettings.h"

#include "engine/BlockProcessing.h"
#include "engine/ResultSlots.h"
#include "engine/SpectrumAveraging.h"
#include "engine/SyncMeasurement.h"
#include "engine/catalogue/ParamCatalogue.h"

#include <cmath>
#include <numbers>

namespace {

// A running SYNC run on 2048-sample blocks of a tone at bin 100.3, 50 ms apart.
class SyncMeasurement : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        Settings.SpectrumStep = Settings.PresentationStep = 1.25f;
        Settings.Lmin = -60;
        Settings.MinSnr = 5;
        Settings.AveragingInterval = 10;
        Settings.SyncEdgeMode = 0;
        Settings.SyncDelay[0] = 0;
        Settings.SyncGenState = 1;
        BuildParamCatalogue();
        ResetAveragingClock();
        SignalKind = 0;
        SyncState = {};
        for (int32_t i = 0; i < 2048; ++i)
            EngineBuffers.AdcSampleBuffer[i] =
                static_cast<int16_t>(std::lround(8000 * std::cos(2 * std::numbers::pi * 100.3 * i / 2048)));
    }
    void TearDown() override {
        OscillogramCursors = nullptr;
        EngineTest::TearDown();
    }
    void Block() {
        NowStamp = 45000 + (++blocks) * 0.05 / 86400;
        ProcessBlock();
    }
    void Cursors(TOscillogramCursors cursors) {
        OscillogramCursors = [cursors] { return cursors; };
    }
    int blocks = 0;
};

TEST_F(SyncMeasurement, FragmentIsTakenOnlyWhileTheOscillogramWindowExists) {
    Block();
    EXPECT_EQ(SignalKind, 7);
    EXPECT_EQ(ResultValue(SlotSyncEvents), 1);
    EXPECT_EQ(ResultValue(SlotSyncLevel), NoValue);
    EXPECT_EQ(SyncState.FragmentEnd, 0);
    // The oscillogram is kept for the window that may open later.
    EXPECT_NE(EngineBuffers.SyncCurve[100], NoValue);

    Cursors({});
    Block();
    EXPECT_EQ(ResultValue(SlotSyncEvents), 2);
    EXPECT_NEAR(ResultValue(SlotSyncTimer), 0.05, 1e-4);
    // The whole block less the instrument's latency: the largest power of two, from sample 0.
    EXPECT_EQ(SyncState.FragmentFirst, 0);
    EXPECT_EQ(SyncState.FragmentEnd, 1024);
    EXPECT_NEAR(ResultValue(SlotSyncFrequency), 100.3 * 1.25, 0.2);
    EXPECT_NE(ResultValue(SlotSyncLevel), NoValue);
}

TEST_F(SyncMeasurement, CursorsCutTheFragmentAndANewFragmentRestartsTheAverage) {
    const float h = 1000.0f / 2560;
    Cursors({true, 300 * h, true, 100 * h}); // in either order
    Block();
    EXPECT_EQ(SyncState.FragmentFirst, 100);
    EXPECT_EQ(SyncState.FragmentEnd, 100 + 128); // 201 samples: the largest power of two below
    EXPECT_EQ(EngineBuffers.AveragingWeight, 1);
    Block();
    EXPECT_LT(EngineBuffers.AveragingWeight, 1); // the same fragment goes on averaging
    Cursors({true, 500 * h, true, 510 * h});       // shorter than 32 samples: widened from its start
    Block();
    EXPECT_EQ(SyncState.FragmentFirst, 500);
    EXPECT_EQ(SyncState.FragmentEnd, 532);
    EXPECT_EQ(EngineBuffers.AveragingWeight, 1);
    Cursors({true, -50 * h, false, 0}); // left of the first sample: from sample 0 to the end
    ProcessSyncBlock(0);                // a recomputation after a cursor move restarts the average too
    EXPECT_EQ(SyncState.FragmentFirst, 0);
    EXPECT_EQ(EngineBuffers.AveragingWeight, 1);
    // A fragment past the stored samples moves back so that it ends at the last one.
    Cursors({true, 2040 * h, false, 0});
    Block();
    EXPECT_EQ(SyncState.FragmentFirst, 2048 - 32);
    EXPECT_EQ(SyncState.FragmentEnd, 2048);
}

TEST_F(SyncMeasurement, CountTurnsToNoValueAboveItsLimitUntilTheNextRun) {
    Block();
    SetResult(SlotSyncEvents, 999998);
    Block();
    EXPECT_EQ(ResultValue(SlotSyncEvents), 999999);
    Block();
    EXPECT_EQ(ResultValue(SlotSyncEvents), NoValue);
    Block();
    EXPECT_EQ(ResultValue(SlotSyncEvents), NoValue);
    ResetSyncResults();
    EXPECT_EQ(ResultValue(SlotSyncEvents), 0);
    EXPECT_EQ(ResultValue(SlotSyncTimer), NoValue);
    EXPECT_EQ(EngineBuffers.SyncCurve[0], NoValue);
}

TEST_F(SyncMeasurement, BandUpToHalfTheSampleRateStaysInsideTheSpectrum) {
    Settings.BandF1 = 1280; // half the sample rate
    for (int32_t i = 0; i < 2048; ++i) // a tone in the last bin of a 32-sample fragment
        EngineBuffers.AdcSampleBuffer[i] = static_cast<int16_t>(i % 2 ? 8000 : -8000);
    Cursors({true, 0, true, 20 * 1000.0f / 2560});
    Block();
    EXPECT_EQ(SyncState.FragmentEnd - SyncState.FragmentFirst, 32);
    const float f = ResultValue(SlotSyncFrequency);
    EXPECT_TRUE(f == NoValue || (f > 0 && f <= 1280)) << f;
}

TEST_F(SyncMeasurement, NarrowBandGivesLevelAndFrequencyButNoNoise) {
    Settings.BandF0 = 100;
    Settings.BandF1 = 150; // 20 bins of the 1024-sample fragment
    Cursors({});
    Block();
    EXPECT_NE(ResultValue(SlotSyncLevel), NoValue);
    EXPECT_NE(ResultValue(SlotSyncFrequency), NoValue);
    EXPECT_EQ(ResultValue(SlotSyncNoise), NoValue);
    EXPECT_EQ(ResultValue(SlotSyncSnr), NoValue);
}

} // namespace
