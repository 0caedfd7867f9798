#include "ConnectionFixture.h"

#include "engine/EngineBuffers.h"
#include "engine/SampleScaling.h"
#include "link/MeterFrameStore.h"
#include "state/RecordChangeMask.h"

#include <algorithm>

namespace {

const QString OverloadText = QStringLiteral("Перегрузка измерительного входа по уровню");

class BlockChainsTest : public ::testing::Test {
protected:
    void SetUp() override {
        settings = QuietSettings();
        DeviceSettings = &settings;
        ASSERT_EQ(AllocAnalysisBuffers(false), settings.AdcSize);
        SetConnectionView(&view);
        RecordingOn = false;
        RecordChangeMask = 0;
        // The recorder's steps are counted; the bits they would write stay for the test to see.
        ConnectionServices().RecordTick = [this] { ++recordTicks; };
    }
    void TearDown() override {
        SetConnectionView(nullptr);
        FreeAnalysisBuffers();
        DeviceSettings = saved;
        RecordingOn = false;
        SignalKind = 0;
        MeterFrameStore = TMeterFrameStore();
    }
    // One block of settings.AdcSize samples with the given peak code, as the ADC handler stores it.
    void Block(std::int16_t peak) {
        for (std::int32_t i = 0; i < settings.AdcSize; ++i)
            EngineBuffers.AdcSampleBuffer[i] = std::int16_t(i % 2 ? peak : -peak);
        ProcessAdcBlock();
    }
    TDeviceSettings *saved = DeviceSettings;
    TDeviceSettings settings;
    FakeView view;
    RegisteredServices services;
    int recordTicks = 0;
};

TEST_F(BlockChainsTest, OverloadWarningComesAndGoes) {
    Block(32767);
    Block(32767);
    Block(100);
    Block(100);
    // Shown for each overloaded block, cleared once when the overload ended.
    EXPECT_EQ(view.overloadTexts, (std::vector<QString>{OverloadText, OverloadText, QString()}));
}

// While the peer's link is up, status panel 3 belongs to its texts: the warning is not wiped there.
TEST_F(BlockChainsTest, OverloadWarningStaysWhileThePeerIsLinked) {
    Block(100);
    Block(32767);
    settings.PeerConnectState = 1;
    Block(100);
    EXPECT_EQ(view.overloadTexts, (std::vector<QString>{OverloadText}));
}

TEST_F(BlockChainsTest, BlockRecordsAndAdvancesTheGenerator) {
    settings.Sin.State = 1;
    RecordingOn = true;
    Block(100);
    EXPECT_EQ(settings.Sin.State, 2);
    EXPECT_EQ(RecordChangeMask & 0x02, 0x02);
    EXPECT_EQ(RecordChangeMask & 0x80, 0);
}

// A meter frame counts only for the kind being measured; the instrument watches NOISE as its kind 2.
TEST_F(BlockChainsTest, MeterFrameOfTheRunningKindOnly) {
    struct FrameCase {
        std::int16_t frameKind;
        std::int32_t signalKind;
        bool taken;
    };
    const FrameCase cases[] = {{1, 1, true},  {3, 3, true},  {2, 5, true},  {2, 2, true},
                               {1, 3, false}, {3, 5, false}, {0, 0, false}, {1, 0, false}};
    RecordingOn = true;
    for (const FrameCase &c : cases) {
        RecordChangeMask = 0;
        MeterFrameStore.Kind = c.frameKind;
        SignalKind = c.signalKind;
        ProcessMeterFrame();
        EXPECT_EQ(RecordChangeMask == 0x04, c.taken) << c.frameKind << " " << c.signalKind;
    }
}

TEST_F(BlockChainsTest, SelectiveAndSyncResultsRecordTheirStreams) {
    RecordingOn = true;
    // The evaluation of a settling frame (SignalKind 0) also marks the sample stream.
    ProcessSstResult();
    EXPECT_EQ(RecordChangeMask & ~0x02, 0x20);
    RecordChangeMask = 0;
    ProcessSyncMet();
    EXPECT_EQ(RecordChangeMask & ~0x02, 0x80);
    RecordingOn = false;
    RecordChangeMask = 0;
    ProcessSyncMet();
    EXPECT_EQ(RecordChangeMask, 0);
    EXPECT_EQ(recordTicks, 3) << "the recorder takes its step also while off: a time window may switch it on";
}

} // namespace
