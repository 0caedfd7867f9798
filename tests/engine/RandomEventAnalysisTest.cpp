#include "engine/RandomEventAnalysis.h"

#include "engine/EngineBuffers.h"
#include "engine/LevelConversion.h"
#include "engine/ResultSlots.h"
#include "engine/SstParam2.h"
#include "engine/SstResultItem.h"
#include "engine/catalogue/ParamCatalogue.h"

#include "EngineTestSettings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// The event rows by their ParamResultSlots entries.
constexpr ResultSlot SinTimer = ResultSlot(12);
constexpr ResultSlot SinMinSignal = ResultSlot(9);
constexpr ResultSlot SinMinSignalEvents = ResultSlot(13);
constexpr ResultSlot SinMinSignalPercent = ResultSlot(14);
constexpr ResultSlot SinMaxNoise = ResultSlot(10);
constexpr ResultSlot SinMaxNoiseEvents = ResultSlot(15);
constexpr ResultSlot SinMinSnr = ResultSlot(11);
constexpr ResultSlot SinMinSnrPercent = ResultSlot(18);
constexpr ResultSlot NoiseNoise = ResultSlot(104);
constexpr ResultSlot NoiseMaxNoise = ResultSlot(106);
constexpr ResultSlot NoiseTimer = ResultSlot(107);
constexpr ResultSlot MttsMinSnr = ResultSlot(42);
constexpr ResultSlot MttsMinSnrFrequency = ResultSlot(43);
constexpr ResultSlot MttsTimer = ResultSlot(45);
constexpr ResultSlot MttsMinSnrEvents = ResultSlot(46);

constexpr double OneSecond = 1.0 / 86400;
// With a gain of 0.001 V per code a frame power q is 1.571 q; at 600 Ohm 1e6 is about +5 dBm0 and 1
// about -55 dBm0.
constexpr int32_t LoudFrame = 1000000;
constexpr int32_t QuietFrame = 1;

// fs 2560 kHz: a 1024-point bin is 2.5 kHz wide. Event counting on, a timer of 900 s, and the SIN
// minimum-signal row counting below -40 dBm0.
class RandomEvents : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        BuildParamCatalogue();
        Settings.EventCounting = 1;
        Settings.EventMergeInterval = 1;
        EngineBuffers.SampleGain = 0.001f;
        *EventNormPointers.Apply[EventSinTimer] = 1;
        *EventNormPointers.Norm[EventSinTimer] = 900;
        *EventNormPointers.Apply[EventSinMinSignal] = 1;
        *EventNormPointers.Norm[EventSinMinSignal] = -40;
        *EventNormPointers.Apply[EventSinMaxNoise] = 0;
        *EventNormPointers.Apply[EventSinMinSnr] = 0;
        NowStamp = 46000;
        RandomEventSetup = {};
    }
    void TearDown() override {
        RandomEventSetup = {};
        EngineTest::TearDown();
    }
    // A SIN tone at the given share of a bin from bin 100, measured by the block.
    int16_t StartSin(double binOffset) {
        SetResult(SlotSinFrequency, float((100 + binOffset) * 2.5));
        return StartRandomEvents(1);
    }
    void SinFrameAfter(double seconds, int32_t q0) {
        NowStamp += seconds * OneSecond;
        ProcessSinEvents(q0, 1, 1);
    }
};

TEST_F(RandomEvents, ASinToneOffTheGridRefusesTheStart) {
    struct Case {
        const char *name;
        float frequency;
        int16_t started;
    };
    // 0.5 % of a bin, as near as a float comes to it from outside.
    const Case cases[] = {
        {"0.5 % above", std::nextafter(250.0125f, 251.f), 0},
        {"0.5 % below", std::nextafter(249.9875f, 249.f), 0},
        {"0.4 % above", 250.01f, 1},
        {"on the grid", 250, 1},
        {"not measured", NoValue, 0},
    };
    for (const Case &c : cases) {
        SetResult(SinTimer, 5);
        SetResult(SlotSinFrequency, c.frequency);
        EXPECT_EQ(StartRandomEvents(1), c.started) << c.name;
        EXPECT_EQ(ResultValue(SinTimer), c.started ? 0 : NoValue) << c.name;
        EXPECT_EQ(ResultValue(SinMinSignal), NoValue) << c.name;
        EXPECT_EQ(ResultValue(SinMinSignalEvents), c.started ? 0 : NoValue) << c.name;
        EXPECT_EQ(RandomEventSetup.StartTime, c.started ? NowStamp * 86400 : double(NoValue)) << c.name;
    }
}

TEST_F(RandomEvents, StartSetsTheWatchOfTheKind) {
    Settings.EventMergeInterval = 0.5f;
    ASSERT_EQ(StartSin(0), 1);
    const TRandomEventSetup &setup = RandomEventSetup;
    EXPECT_EQ(setup.MergeCount, 1250); // 0.5 s of 0.4 ms blocks
    EXPECT_EQ(setup.BandStart, 2);     // 2.5 kHz: bin 1
    EXPECT_EQ(setup.BandEnd, 818);     // 1024 kHz: bin 409
    EXPECT_EQ(setup.ToneStart, 198);
    EXPECT_EQ(setup.ToneEnd, 202);

    EngineBuffers.CombStart = 40;
    EngineBuffers.CombSpacing = 16;
    EngineBuffers.CombLineCount = 10;
    ASSERT_EQ(StartRandomEvents(3), 1);
    EXPECT_EQ(setup.ToneStart, 40);
    EXPECT_EQ(setup.ToneEnd, 40 + 9 * 16);
    EXPECT_EQ(setup.CombSpacing, 16);
    EXPECT_EQ(ResultValue(MttsTimer), 0);

    EXPECT_EQ(StartRandomEvents(2), 0); // SIN2 has no watch
    EXPECT_EQ(setup.StartTime, NoValue);
    Settings.EventCounting = 0;
    EXPECT_EQ(StartRandomEvents(1), 0);
    for (ResultSlot slot : {SinTimer, SinMinSignalPercent, NoiseTimer, MttsTimer, MttsMinSnrEvents})
        EXPECT_EQ(ResultValue(slot), NoValue) << slot;
}

TEST_F(RandomEvents, TwoOneSecondFramesWithoutAndWithAnEventGiveFiftyPercent) {
    SetResult(SlotSinLevel, NoValue);
    ASSERT_EQ(StartSin(0), 1);
    SinFrameAfter(1, LoudFrame);
    EXPECT_GT(ResultValue(SinMinSignal), -40);
    EXPECT_EQ(ResultValue(SinMinSignalEvents), 0);
    EXPECT_NEAR(ResultValue(SinMinSignalPercent), 0, 1e-4);
    SinFrameAfter(1, QuietFrame);
    EXPECT_LT(ResultValue(SinMinSignal), -40);
    EXPECT_EQ(ResultValue(SinMinSignalEvents), 1);
    EXPECT_NEAR(ResultValue(SinMinSignalPercent), 50, 1e-3);
    EXPECT_NEAR(ResultValue(SinTimer), 2, 1e-3);
    // Rows whose norm is off count nothing.
    EXPECT_EQ(ResultValue(SinMaxNoiseEvents), NoValue);
    EXPECT_EQ(ResultValue(SinMinSnrPercent), NoValue);
    EXPECT_NE(ResultValue(SinMaxNoise), NoValue);
}

TEST_F(RandomEvents, AFrameWithoutDurationLeavesThePercentage) {
    ASSERT_EQ(StartSin(0), 1);
    SetResult(SinMinSignalPercent, 30);
    SinFrameAfter(0, QuietFrame);
    EXPECT_EQ(ResultValue(SinMinSignalPercent), 30);
    EXPECT_EQ(ResultValue(SinMinSignalEvents), 1);
    EXPECT_EQ(ResultValue(SinTimer), 0);
}

TEST_F(RandomEvents, FramesOutsideTheIntervalOnlyClearTheExtremes) {
    SinFrameAfter(1, QuietFrame); // not started
    EXPECT_EQ(ResultValue(SinMinSignalEvents), NoValue);
    ASSERT_EQ(StartSin(0), 1);
    *EventNormPointers.Norm[EventSinTimer] = 2;
    SinFrameAfter(1, QuietFrame);
    SinFrameAfter(1, QuietFrame);
    SetResult(SinTimer, 2);
    SinFrameAfter(1, QuietFrame); // the timer has reached the interval
    EXPECT_EQ(ResultValue(SinTimer), 2);
    EXPECT_EQ(ResultValue(SinMinSignalEvents), 2);
    EXPECT_EQ(ResultValue(SinMinSignal), NoValue);
    *EventNormPointers.Norm[EventSinTimer] = 900;
    *EventNormPointers.Apply[EventSinTimer] = 0;
    SinFrameAfter(1, QuietFrame);
    EXPECT_EQ(ResultValue(SinMinSignalEvents), 2);
    EXPECT_EQ(ResultValue(SinMinSignal), NoValue);
}

TEST_F(RandomEvents, ExtremesAreHeldByTheBlocksOwnValues) {
    ASSERT_EQ(StartSin(0), 1);
    SetResult(SlotSinLevel, -70); // the block saw less than the frame's minimum
    SetResult(SlotSinNoise, 20);  // and more than its maximum noise
    SetResult(SlotSinSnr, -20);
    SinFrameAfter(1, LoudFrame);
    EXPECT_EQ(ResultValue(SinMinSignal), -70);
    EXPECT_EQ(ResultValue(SinMaxNoise), 20);
    EXPECT_EQ(ResultValue(SinMinSnr), -20);

    *EventNormPointers.Apply[EventNoiseTimer] = 1;
    *EventNormPointers.Norm[EventNoiseTimer] = 900;
    ASSERT_EQ(StartRandomEvents(5), 1);
    SetResult(NoiseNoise, NoValue);
    NowStamp += OneSecond;
    ProcessNoiseEvents(LoudFrame);
    const float g2 = 0.001f * 0.001f;
    EXPECT_FLOAT_EQ(ResultValue(NoiseMaxNoise), PowerToDbm0(LoudFrame * g2 * 1571291.125f));
    SetResult(NoiseNoise, 30);
    NowStamp += OneSecond;
    ProcessNoiseEvents(LoudFrame);
    EXPECT_EQ(ResultValue(NoiseMaxNoise), 30);
    EXPECT_NEAR(ResultValue(NoiseTimer), 2, 1e-3);
}

TEST_F(RandomEvents, MttsCombFactorNeedsLinesTwoBinsApart) {
    *EventNormPointers.Apply[EventMttsTimer] = 1;
    *EventNormPointers.Norm[EventMttsTimer] = 900;
    *EventNormPointers.Apply[EventMttsMinSnr] = 1;
    *EventNormPointers.Norm[EventMttsMinSnr] = 100;
    struct Case {
        int32_t spacing;
        float snr; // for q2 = 400
    };
    const Case cases[] = {{0, NoValue}, {2, NoValue}, {3, NoValue}, {4, 20 - float(10 * std::log10(2))}, {8, 20}};
    for (const Case &c : cases) {
        EngineBuffers.CombSpacing = c.spacing;
        EngineBuffers.CombLineCount = 5;
        ASSERT_EQ(StartRandomEvents(3), 1);
        NowStamp += OneSecond;
        ProcessMttsEvents(400, 21);
        EXPECT_FLOAT_EQ(ResultValue(MttsMinSnr), c.snr) << c.spacing;
        EXPECT_FLOAT_EQ(ResultValue(MttsMinSnrFrequency), c.snr == NoValue ? NoValue : 25) << c.spacing;
        EXPECT_EQ(ResultValue(MttsMinSnrEvents), c.snr == NoValue ? 0 : 1) << c.spacing;
        EXPECT_NEAR(ResultValue(MttsTimer), 1, 1e-3) << c.spacing;
    }
}

TEST_F(RandomEvents, SelectiveItemsGoToTheHolderAndFinishedGroupsOnToProcessing) {
    std::vector<int32_t> processed;
    MirvakResultProcessing = [&](int32_t kind) { processed.push_back(kind); };
    SstResultItem = {1, 2, 1000, 1};
    ProcessSstFrame(); // no holder: nothing
    TSST_Param2 holder;
    SstParam = &holder;
    Settings.Mirvak.SubMode = 1;
    Settings.Mirvak.DeviceSubMode = 1;
    Settings.Mirvak.RunState = 2;
    Settings.Mirvak.Fc1 = 0;
    Settings.Mirvak.FcN = 10;
    Settings.Mirvak.B = 1;
    holder.BuildBins();
    SstResultItem = {1, 2, uint32_t(5.0 / 2560 * 4294967296.0), 0};
    ProcessSstFrame();
    SstParam = nullptr;
    MirvakResultProcessing = nullptr;
    EXPECT_EQ(processed, std::vector<int32_t>{0});
    EXPECT_EQ(holder.Bins[std::size_t(holder.CurrentBin)], 5);
}

} // namespace
