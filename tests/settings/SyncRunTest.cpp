#include "../link/connection/ConnectionFixture.h"

#include "engine/EngineBuffers.h"
#include "settings/SyncRun.h"
#include "support/PacketWords.h"

namespace {

// The SYNC run's commands against the simulated instrument.
class SyncRunTest : public ConnectionTest {
protected:
    void SetUp() override {
        ConnectionTest::SetUp();
        ASSERT_GT(AllocAnalysisBuffers(false), 0);
        ASSERT_EQ(OpenInstrument(QStringLiteral("Trova R-9")), 0);
        ForgetReceived();
    }
};

// Start issues the SYNC relay, the mode, the recompute and the generator block in one SendCommand: one
// stop of the block stream, the mode, the block, then the SYNC measurement command with the edge and the
// delay in 25-us units in place of the block-size command.
TEST_F(SyncRunTest, StartIssuesEverythingInOneCommandRound) {
    settings.Sin.State = 2;
    settings.SyncEdgeMode = 2;
    settings.SyncDelay[2] = 500;
    settings.SyncPulseCount = 9;
    StartSync();
    EXPECT_GE(settings.SyncGenState, 1);
    EXPECT_EQ(settings.SyncPulseCount, 0);
    EXPECT_EQ(settings.Mode, 0);
    EXPECT_EQ(settings.Sin.State, 0);
    EXPECT_EQ(settings.Block.State, 1);
    EXPECT_FALSE(CommandFailed);
    const std::vector<SimPacket> packets = Received(6);
    ASSERT_EQ(Types(packets), (std::vector<int>{5, 17, 2, 6, 17, 5}));
    EXPECT_EQ(packets[4].payload, PacketBytes({1, 2}));
    EXPECT_EQ(packets[5].payload, PacketBytes({4096, 2, 0, 20}));
}

// Stop switches the relay back and the block-size command returns.
TEST_F(SyncRunTest, StopSwitchesBack) {
    StartSync();
    ForgetReceived();
    StopSync();
    EXPECT_EQ(settings.SyncGenState, 0);
    EXPECT_EQ(settings.Mode, 0);
    EXPECT_EQ(Types(Received(3)), (std::vector<int>{5, 17, 5}));
}

TEST(SyncRunRules, DelayGridAndLowestRate) {
    struct Case {
        double delay, snapped;
    };
    for (const Case c : {Case{1012, 1000}, Case{1013, 1025}, Case{1012.5, 1025}, Case{0, 0}, Case{37.4, 25}})
        EXPECT_EQ(SnapSyncDelay(c.delay), c.snapped) << c.delay;
    EXPECT_FALSE(SyncAllowedAtSampleRate(2.5f * 64));
    EXPECT_TRUE(SyncAllowedAtSampleRate(2.5f * 128));
}

} // namespace
