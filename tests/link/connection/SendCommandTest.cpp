#include "ConnectionFixture.h"

#include "settings/GeneratorCommands.h"
#include "settings/SettingsInterlocks.h"
#include "state/RemoteMessage.h"

namespace {

std::int16_t Word(const SimPacket &packet, std::size_t index) {
    if (packet.payload.size() < 2 * index + 2)
        return -32768;
    return std::int16_t(packet.payload[2 * index] | packet.payload[2 * index + 1] << 8);
}

// Every command bit except the unused 0x0002.
constexpr std::int32_t FullMask = 0x3FFD;

// The instrument opened as Start opens it, with nothing of its own waiting.
class SendCommandTest : public ConnectionTest {
protected:
    void SetUp() override {
        ConnectionTest::SetUp();
        ASSERT_EQ(OpenInstrument(QStringLiteral("Trova R-9")), 0);
        ForgetReceived();
    }
};

TEST_F(SendCommandTest, FullMaskInItsFixedOrder) {
    for (GenBlock *g : {&settings.Sin, &settings.Sin2, &settings.Mtts, &settings.Rnd, &settings.Noise})
        g->State = 2;
    settings.Sin.F1 = 16;
    MeterFramesOn = 1; // no analysis runs, so the frames are switched off
    RemoteMessage.Message = new std::uint8_t[4]{21, 0, 1, 2};
    RemoteMessage.Size = 4;
    settings.Mode = FullMask;
    SendCommand();
    ClearRemoteMessage(RemoteMessage);

    const std::vector<SimPacket> packets = Received(15);
    // Stop (block size 0, SYNC off), mode, mute and the five generators, meter frames, block size,
    // exchange mode, selective set-up, and last the remote message (header and body), which holds every
    // other packet back until it arrived.
    EXPECT_EQ(Types(packets), (std::vector<int>{5, 17, 2, 6, 6, 6, 6, 6, 6, 7, 5, 9, 18, 10, 11}));
    if (packets.size() == 15) {
        EXPECT_EQ(Word(packets[0], 0), 0);
        std::vector<int> generatorKinds;
        for (std::size_t i = 3; i < 9; ++i)
            generatorKinds.push_back(Word(packets[i], 0));
        // Mute, sine, two tones, multitone, pseudo-random, noise.
        EXPECT_EQ(generatorKinds, (std::vector<int>{0, 1, 3, 3, 4, 2}));
        // The pseudo-random generator is on: its blocks are 2046 samples whatever the block size.
        EXPECT_EQ(Word(packets[10], 0), 2046);
    }
    EXPECT_EQ(settings.Mode, 0);
    EXPECT_FALSE(CommandFailed);
    EXPECT_EQ(MeterFramesOn, 0);
    EXPECT_TRUE(boxes.empty());
}

struct ExactMaskCase {
    const char *name;
    std::int32_t mask;
    std::int16_t meterFramesOn;
    std::vector<int> packets;
};

// The meter switch alone keeps the block stream running; the selective set-up alone needs no stop.
TEST_F(SendCommandTest, ExactMasks) {
    const ExactMaskCase cases[] = {
        {"selective set-up only", 0x1000, 0, {18}},
        {"meter frames off only", 0x0400, 1, {7}},
        {"meter frames already off: nothing to send", 0x0400, 0, {}},
        {"meter switch with another bit stops the stream", 0x0404, 1, {5, 17, 6, 7, 5}},
    };
    for (const ExactMaskCase &c : cases) {
        MeterFramesOn = c.meterFramesOn;
        settings.Mode = c.mask;
        SendCommand();
        EXPECT_EQ(Types(Received(c.packets.size())), c.packets) << c.name;
        EXPECT_EQ(settings.Mode, 0) << c.name;
        EXPECT_FALSE(CommandFailed) << c.name;
    }
}

TEST_F(SendCommandTest, PauseKeepsTheMaskForTheNextCall) {
    view.pause = true;
    settings.Mode = 0x0005;
    SendCommand();
    EXPECT_EQ(settings.Mode, 0x0005);
    EXPECT_TRUE(Received(0).empty());

    view.pause = false;
    SendCommand();
    EXPECT_EQ(Types(Received(5)), (std::vector<int>{5, 17, 2, 6, 5}));
    EXPECT_EQ(settings.Mode, 0);
}

// The mode command resets the generator, so the one that is on goes out again in the same call, and its
// bit is cleared with the others.
TEST_F(SendCommandTest, ModeReissuesTheGeneratorThatIsOn) {
    settings.Sin.State = 2;
    settings.Sin.F1 = 16;
    settings.Mode = 0x0001;
    SendCommand();
    const std::vector<SimPacket> packets = Received(5);
    EXPECT_EQ(Types(packets), (std::vector<int>{5, 17, 2, 6, 5}));
    if (packets.size() == 5) {
        EXPECT_EQ(Word(packets[3], 0), 1);
    }
    EXPECT_EQ(settings.Mode, 0);
}

// A message that cannot go out is reported by its own box and does not count as a failed command.
TEST_F(SendCommandTest, RefusedMessageIsNoFailedCommand) {
    ClearRemoteMessage(RemoteMessage);
    settings.Mode = 0x0200;
    SendCommand();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].text.startsWith(QStringLiteral("Команда GenMsg_set не выполнена!")));
    EXPECT_EQ(Types(Received(3)), (std::vector<int>{5, 17, 5}));
    EXPECT_FALSE(CommandFailed);
    EXPECT_EQ(settings.Mode, 0);
}

TEST_F(SendCommandTest, NothingPendingSendsNothing) {
    settings.Mode = 0;
    SendCommand();
    EXPECT_TRUE(Received(0).empty());
    EXPECT_FALSE(CommandFailed);
}

// A link whose packets can be refused at will, as while the instrument's speaker holds the line.
class RefusingLink : public TDspIo9 {
public:
    using TDspIo9::TDspIo9;
    void Refuse(bool on) { SpkStarted.store(on ? 1 : 0); }
};

class FailingCommandTest : public ConnectionTest {
protected:
    void SetUp() override {
        ConnectionTest::SetUp();
        link.HexFileName = folder.path(QStringLiteral("r9_307.i00"));
        ASSERT_EQ(link.Connect(0, false), 0);
        DspIo = &link;
        ForgetReceived();
        link.Refuse(true);
    }
    void TearDown() override {
        DspIo = nullptr;
        link.Disconnect();
        ConnectionTest::TearDown();
    }
    RefusingLink link{nullptr, &rig.Port};
};

TEST_F(FailingCommandTest, FirstFailureShowsOneBoxAndSkipsTheRest) {
    settings.Mode = 0x0D0D;
    SendCommand();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, QStringLiteral("Команда M9_setADCsize(0) не выдана R9->Mode=3341"));
    EXPECT_TRUE(Received(0).empty());
    EXPECT_TRUE(CommandFailed);
    // Not retried by itself: the mask is cleared all the same.
    EXPECT_EQ(settings.Mode, 0);
}

TEST_F(FailingCommandTest, SyncCommandGoesOutAfterAFailure) {
    settings.SyncGenState = 2;
    settings.Mode = 0x000D;
    // The line is free again once the user saw the message.
    onBox = [this] { link.Refuse(false); };
    SendCommand();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, QStringLiteral("Команда M9_setADCsize(0) не выдана R9->Mode=13"));
    const std::vector<SimPacket> packets = Received(2);
    EXPECT_EQ(Types(packets), (std::vector<int>{17, 5}));
    if (packets.size() == 2) {
        EXPECT_EQ(Word(packets[0], 0), 1);
    }
    EXPECT_TRUE(CommandFailed);
    EXPECT_EQ(settings.Mode, 0);
}

// The message box runs an event loop: a handler that raises a bit and calls SendCommand meanwhile finds a
// call running; its bit stays pending for the next call instead of being cleared unsent.
TEST_F(FailingCommandTest, BitRaisedDuringTheCallStaysPending) {
    MeterFramesOn = 1;
    settings.Mode = 0x0005;
    onBox = [this] {
        settings.Mode |= 0x0400;
        SendCommand();
    };
    SendCommand();
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(Received(0).empty());
    EXPECT_EQ(settings.Mode, 0x0400);

    onBox = {};
    link.Refuse(false);
    SendCommand();
    EXPECT_EQ(Types(Received(1)), (std::vector<int>{7}));
    EXPECT_EQ(settings.Mode, 0);
    EXPECT_FALSE(CommandFailed);
}

using SendCommandWithoutLink = ConnectionGlobals;
TEST_F(SendCommandWithoutLink, InstrumentModeKeepsTheBitsUntilConnected) {
    ConnectionKind = 1;
    settings.Mode = 0x0804;
    SendCommand();
    EXPECT_EQ(settings.Mode, 0x0804);
}

// In demonstration mode the generator commands choose the emulator's waveform, with or without it running.
using SendCommandDemo = ConnectionGlobals;
TEST_F(SendCommandDemo, GeneratorChoosesTheEmulatorsWaveform) {
    ConnectionKind = 0;
    EmuGenMode = 0;
    settings.Mode = 0x0084;
    SendCommand();
    EXPECT_EQ(EmuGenMode, EmuGenNoise);
    EXPECT_EQ(settings.Mode, 0);
    EXPECT_EQ(view.generatorUpdates, 1);
}

// The settings window's services sit below the connection control: their commands go out through the
// command issuing that the connection control registers when the application starts.
TEST_F(SendCommandDemo, TheSettingsWindowsGeneratorBlockIsIssued) {
    ConnectionKind = 0;
    EmuGenMode = 0;
    settings.Sin.State = 2;
    BlockGenerator();
    EXPECT_EQ(EmuGenMode, EmuGenBlocked);
    EXPECT_EQ(settings.Mode, 0) << "the block command was issued and its bit cleared";
    EXPECT_EQ(settings.Sin.State, 0);
    EXPECT_EQ(view.generatorUpdates, 1);
}

} // namespace
