#include "../link/connection/ConnectionFixture.h"

#include "settings/GeneratorCommands.h"
#include "settings/GeneratorStates.h"
#include "settings/SettingsHost.h"
#include "state/GeneratorKind.h"

namespace {

std::int16_t FirstWord(const SimPacket &packet) {
    if (packet.payload.size() < 2)
        return -32768;
    return std::int16_t(packet.payload[0] | packet.payload[1] << 8);
}

constexpr int StopPacket = 5; // with its follower 17
constexpr int ModePacket = 2;
constexpr int GeneratorPacket = 6;
constexpr int RndKind = 4;

// The generator commands against the simulated instrument.
class GeneratorCommandTest : public ConnectionTest {
protected:
    void SetUp() override {
        ConnectionTest::SetUp();
        ASSERT_EQ(OpenInstrument(QStringLiteral("Trova R-9")), 0);
        ForgetReceived();
        SettingsHost() = {};
    }
    void TearDown() override {
        SettingsHost() = {};
        ConnectionTest::TearDown();
    }
};

// RND is analysed only with 2048-sample blocks in precision analysis: from random-event counting the
// command switches first, and the mode command goes out with the generator's.
TEST_F(GeneratorCommandTest, StartRndFromCountingSwitchesToPrecisionFirst) {
    settings.EventCounting = 1;
    settings.AdcSizeIndex = 2;
    settings.Sin.State = 2;
    int32_t modeAtBlockSize = -1;
    int32_t sizeIndexAtBlockSize = -1;
    SettingsHost().ApplyBlockSize = [&](bool changed, bool force) {
        EXPECT_FALSE(changed);
        EXPECT_TRUE(force);
        modeAtBlockSize = settings.Mode;
        sizeIndexAtBlockSize = settings.AdcSizeIndex;
    };
    StartRnd();
    EXPECT_EQ(modeAtBlockSize, 0x141) << "the block size is applied before the command is issued";
    EXPECT_EQ(sizeIndexAtBlockSize, 0);
    EXPECT_EQ(settings.EventCounting, 0);
    EXPECT_EQ(settings.Mode, 0);
    EXPECT_EQ(settings.Rnd.State, 1);
    EXPECT_EQ(settings.Sin.State, 0);
    const std::vector<SimPacket> packets = Received(5);
    const std::vector<int> types = Types(packets);
    ASSERT_EQ(types, (std::vector<int>{StopPacket, 17, ModePacket, GeneratorPacket, 5}));
    EXPECT_EQ(FirstWord(packets[3]), RndKind);
    EXPECT_FALSE(CommandFailed);
}

TEST_F(GeneratorCommandTest, StartRndInPrecisionKeepsTheBlockSize) {
    settings.EventCounting = 0;
    settings.AdcSizeIndex = 0;
    bool applied = false;
    SettingsHost().ApplyBlockSize = [&](bool, bool) { applied = true; };
    StartRnd();
    EXPECT_FALSE(applied);
    EXPECT_EQ(Types(Received(4)), (std::vector<int>{StopPacket, 17, GeneratorPacket, 5}));
}

// Stop and playback clear every generator and leave the block started, with the recompute and block bits.
TEST_F(GeneratorCommandTest, BlockAllGeneratorsRaisesRecomputeAndBlock) {
    view.pause = true; // the bits stay pending, so that they can be read
    for (GenBlock *g : {&settings.Sin, &settings.Sin2, &settings.Mtts, &settings.Rnd, &settings.Noise})
        g->State = 2;
    settings.Mode = 0x0F8;
    BlockAllGenerators();
    EXPECT_EQ(settings.Mode, 0x104);
    EXPECT_EQ(settings.Block.State, 1);
    for (int kind : {GenKindSin, GenKindSin2, GenKindMtts, GenKindRnd, GenKindNoise})
        EXPECT_EQ(LocalGenState(kind), 0) << kind;
}

// A link whose packets can be refused at will.
class RefusingLink : public TDspIo9 {
public:
    using TDspIo9::TDspIo9;
    void Refuse(bool on) { SpkStarted.store(on ? 1 : 0); }
};

class FailedStartTest : public ConnectionTest {
protected:
    void SetUp() override {
        ConnectionTest::SetUp();
        link.HexFileName = folder.path(QStringLiteral("r9_307.i00"));
        ASSERT_EQ(link.Connect(0, false), 0);
        DspIo = &link;
        ForgetReceived();
    }
    void TearDown() override {
        DspIo = nullptr;
        link.Disconnect();
        ConnectionTest::TearDown();
    }
    RefusingLink link{nullptr, &rig.Port};
};

// A start whose command failed shows red (-1) and never turns running at the next block; the next start
// and the block clear it, and no reader takes it for a generator that is on.
TEST_F(FailedStartTest, FailedStartStaysFailedUntilTheNextStart) {
    link.Refuse(true);
    StartSin();
    EXPECT_TRUE(CommandFailed);
    EXPECT_EQ(settings.Sin.State, -1);
    AdvanceGenStates();
    EXPECT_EQ(settings.Sin.State, -1);
    EXPECT_EQ(GeneratorsOnMask() & EmuGenSin, 0);

    link.Refuse(false);
    StartSin();
    EXPECT_FALSE(CommandFailed);
    EXPECT_EQ(settings.Sin.State, 1);
    AdvanceGenStates();
    EXPECT_EQ(settings.Sin.State, 2);

    link.Refuse(true);
    StartMtts();
    EXPECT_EQ(settings.Mtts.State, -1);
    link.Refuse(false);
    BlockAllGenerators();
    EXPECT_EQ(settings.Mtts.State, 0);
    EXPECT_EQ(settings.Block.State, 1);
}

// While nothing can be issued the start stays pending: it is no failure.
TEST_F(FailedStartTest, PendingStartIsNoFailure) {
    CommandFailed = true;
    view.pause = true;
    StartSin2();
    EXPECT_EQ(settings.Sin2.State, 1);
    EXPECT_EQ(settings.Mode & 0x010, 0x010);
}

} // namespace
