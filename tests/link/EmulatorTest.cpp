#include "link/Emulator.h"
#include "engine/EngineBuffers.h"
#include "link/Library.h"
#include "platform/Clock.h"
#include "state/DeviceSettings.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

// Ends the test program with a message when a scope takes far longer than it can: a wait that never
// ends (a deadlock) becomes a failure instead of a hung run.
class TWatchdog {
public:
    explicit TWatchdog(std::chrono::seconds limit)
        : thread_([this, limit] {
              std::unique_lock lock(mutex_);
              if (!done_.wait_for(lock, limit, [this] { return finished_; })) {
                  std::fprintf(stderr, "emulator test: no progress within the limit (deadlock)\n");
                  std::abort();
              }
          }) {}
    ~TWatchdog() {
        {
            std::lock_guard lock(mutex_);
            finished_ = true;
        }
        done_.notify_all();
        thread_.join();
    }

private:
    std::mutex mutex_;
    std::condition_variable done_;
    bool finished_ = false;
    std::thread thread_;
};

struct TReceived {
    uint32_t Time;
    uint32_t Count;
    bool FromEmulatorBuffer;
    int16_t Peak;
};

class EmulatorTest : public testing::Test {
protected:
    void SetUp() override {
        saved = *DeviceSettings;
        savedMode = EmuGenMode;
        DeviceSettings->AdcSize = 2048;
        DeviceSettings->SampleRate = 1024;
        DeviceSettings->Sin.F1 = 100;
        DeviceSettings->Sin.Level = 0;
        DeviceSettings->GenImpedance = 600;
        EmuGenMode = EmuGenSin;
        ASSERT_GT(AllocAnalysisBuffers(true), 0);
        emulator.OnAdcArray = [this](TEmulator *sender, const int16_t *samples, uint32_t n, uint32_t t) {
            EXPECT_EQ(sender, &emulator);
            int16_t peak = 0;
            for (uint32_t i = 0; i < n; ++i)
                peak = std::max<int16_t>(peak, int16_t(std::abs(samples[i])));
            blocks.push_back({t, n, samples == EngineBuffers.EmulatorAdcBuffer, peak});
            if (onBlock)
                onBlock();
        };
    }
    void TearDown() override {
        emulator.Stop();
        FreeAnalysisBuffers();
        *DeviceSettings = saved;
        EmuGenMode = savedMode;
    }

    // Serves the main thread's events until `count` blocks have arrived; false after a generous time.
    bool WaitForBlocks(size_t count) {
        const auto end = std::chrono::steady_clock::now() + 20s;
        while (blocks.size() < count && std::chrono::steady_clock::now() < end)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        return blocks.size() >= count;
    }
    // Serves events for a while of real time.
    void ServeEvents(std::chrono::milliseconds span) {
        const auto end = std::chrono::steady_clock::now() + span;
        while (std::chrono::steady_clock::now() < end)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }

    TDeviceSettings saved;
    int32_t savedMode = 0;
    TEmulator emulator;
    std::vector<TReceived> blocks;
    std::function<void()> onBlock;
};

TEST_F(EmulatorTest, BlocksEvery50MsStampedIn1024thsOfASecond) {
    VirtualClock clock(123456); // only the worker's 50 ms pauses move it
    TWatchdog watchdog(60s);
    ASSERT_EQ(emulator.Start(), 0);
    ASSERT_TRUE(WaitForBlocks(21));
    emulator.Stop();
    for (size_t k = 0; k < blocks.size(); ++k) {
        EXPECT_EQ(blocks[k].Time, (k * 50 * 1024 + 500) / 1000) << "block " << k;
        EXPECT_EQ(blocks[k].Count, 2048u);
        EXPECT_TRUE(blocks[k].FromEmulatorBuffer);
        EXPECT_GT(blocks[k].Peak, 1000) << "a SIN block";
    }
    EXPECT_EQ(blocks[20].Time, 1024u) << "one second after the start";
}

TEST_F(EmulatorTest, RealClockBlocksAreAtLeast50MsApart) {
    TWatchdog watchdog(60s);
    emulator.Start();
    ASSERT_TRUE(WaitForBlocks(4));
    emulator.Stop();
    for (size_t k = 1; k < blocks.size(); ++k)
        EXPECT_GE(blocks[k].Time - blocks[k - 1].Time, 51u) << "50 ms plus the synthesis, in 1/1024 s";
}

TEST_F(EmulatorTest, NoBlockWhilePausedAndCurrentSettingsAfterResume) {
    VirtualClock clock;
    TWatchdog watchdog(60s);
    emulator.Start();
    ASSERT_TRUE(WaitForBlocks(3));
    emulator.Pause();
    const size_t atPause = blocks.size();
    ServeEvents(200ms); // a block already on its way is not delivered either
    EXPECT_EQ(blocks.size(), atPause);
    // A settings change applied while paused shows in the first block after Resume.
    EmuGenMode = EmuGenBlocked;
    emulator.Resume();
    ASSERT_TRUE(WaitForBlocks(atPause + 1));
    EXPECT_LE(blocks[atPause].Peak, 153) << "the blocked generator's small offset, not the sine";
}

TEST_F(EmulatorTest, WaveformFollowsFromTheNextBlock) {
    VirtualClock clock;
    TWatchdog watchdog(60s);
    onBlock = [this] {
        if (blocks.size() == 3)
            EmuGenMode = EmuGenBlocked;
    };
    emulator.Start();
    ASSERT_TRUE(WaitForBlocks(5));
    emulator.Stop();
    EXPECT_GT(blocks[2].Peak, 1000);
    EXPECT_LE(blocks[3].Peak, 153) << "the settings are taken at the hand-over";
    EXPECT_LE(blocks[4].Peak, 153);
}

TEST_F(EmulatorTest, StopReturnsWhileAHandOverIsPending) {
    VirtualClock clock;
    TWatchdog watchdog(120s);
    for (int round = 0; round < 200; ++round) {
        blocks.clear();
        emulator.Start();
        // Without events served the worker soon waits in its hand-over; sometimes Stop comes earlier.
        std::this_thread::sleep_for(std::chrono::microseconds(round % 7 * 300));
        emulator.Stop();
        EXPECT_FALSE(emulator.Running());
        QCoreApplication::processEvents(); // the hand-over still queued finds nothing to do
        ASSERT_TRUE(blocks.empty()) << "round " << round << ": Stop delivers no block";
    }
}

TEST_F(EmulatorTest, StopFromTheBlockHandlerEndsTheThread) {
    VirtualClock clock;
    TWatchdog watchdog(60s);
    onBlock = [this] { emulator.Stop(); };
    emulator.Start();
    ASSERT_TRUE(WaitForBlocks(1));
    EXPECT_FALSE(emulator.Running());
    ServeEvents(100ms);
    EXPECT_EQ(blocks.size(), 1u);
}

TEST_F(EmulatorTest, DeletedWithAHandOverQueued) {
    VirtualClock clock;
    TWatchdog watchdog(60s);
    for (int round = 0; round < 50; ++round) {
        auto owned = std::make_unique<TEmulator>();
        int delivered = 0;
        owned->OnAdcArray = [&delivered](TEmulator *, const int16_t *, uint32_t, uint32_t) { ++delivered; };
        owned->Start();
        std::this_thread::sleep_for(1ms);
        owned.reset();
        QCoreApplication::processEvents();
        EXPECT_EQ(delivered, 0);
    }
}

TEST_F(EmulatorTest, NewStartKeepsTheWaveformAndRestartsTheClock) {
    VirtualClock clock;
    TWatchdog watchdog(60s);
    EmuGenMode = EmuGenBlocked;
    emulator.Start();
    ASSERT_TRUE(WaitForBlocks(3));
    emulator.Start();
    const size_t before = blocks.size();
    ASSERT_TRUE(WaitForBlocks(before + 1));
    EXPECT_EQ(blocks[before].Time, 0u);
    EXPECT_LE(blocks[before].Peak, 153);
}

TEST_F(EmulatorTest, NoBufferNoSamples) {
    VirtualClock clock;
    TWatchdog watchdog(60s);
    FreeAnalysisBuffers();
    ASSERT_GT(AllocAnalysisBuffers(false), 0);
    emulator.OnAdcArray = [this](TEmulator *, const int16_t *samples, uint32_t n, uint32_t t) {
        EXPECT_EQ(samples, nullptr);
        blocks.push_back({t, n, false, 0});
    };
    emulator.Start();
    ASSERT_TRUE(WaitForBlocks(2));
    EXPECT_EQ(blocks[0].Count, 0u) << "the handler ignores a block of no samples";
}

} // namespace
