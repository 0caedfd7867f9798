// Two analysers at the two ends of a simulated line, in one process: each has its own settings record,
// simulated instrument and link, and the test points the program-wide record, link and outgoing message at
// the analyser whose event is being handled, as each program would have them. Everything between the two
// programs passes through the real link code, the simulated instruments and the line.
#include "../link/LinkTestPorts.h"
#include "support/QuietSettings.h"

#include "engine/catalogue/ParamCatalogue.h"
#include "engine/catalogue/ParameterTable.h"
#include "engine/catalogue/ValueQuantizer.h"
#include "engine/evaluation/ProtocolSnapshot.h"
#include "link/Dspio9.h"
#include "link/connection/Tr9sendgetcommand.h"
#include "platform/MessageService.h"
#include "settings/remote/RemoteExchange.h"
#include "settings/remote/RemoteLinkPeers.h"
#include "settings/remote/RemoteMessageCodec.h"
#include "sim/SimRemoteLine.h"
#include "state/DeviceSettings.h"
#include "state/MainGlobals.h"
#include "state/RemoteMessage.h"
#include "state/TextMessages.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

struct Analyser {
    TDeviceSettings settings = QuietSettings();
    SimRig rig;
    TDspIo9 link{nullptr, &rig.Port};
    TRemoteMessage message; // its outgoing message while another analyser's event is handled
    std::vector<QString> boxes;
    int ends = 0; // transmissions whose end the link reported
};

class RemoteLineTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitValueQuantizers();
        BuildParamCatalogue();
        saved = DeviceSettings;
        ConnectionKind = 1;
        RemoteLinkPeers() = {};
        SetMessageBoxHandler([this](const MessageRequest &request) {
            if (current)
                current->boxes.push_back(request.text);
            return int(IdOk);
        });
        for (Analyser *x : {&a, &b}) {
            x->link.HexFileName = firmware.Path();
            ASSERT_EQ(x->link.Connect(0, false), 0);
            x->link.OnMesOutFin = [this, x](TDspIo9 *, std::int16_t receipt, std::int16_t success) {
                ++x->ends;
                Use(*x);
                EndRemoteTransmission(success != 0, receipt);
            };
            x->link.OnMesInp = [this, x](TDspIo9 *, std::int16_t, const std::int16_t *data, std::uint32_t words) {
                Use(*x);
                DeviceSettings->Mode &= ~0x200;
                ParseRemoteMessage(reinterpret_cast<const uint8_t *>(data), int32_t(2 * words));
            };
            x->link.OnMesInpErr = [this, x](TDspIo9 *, std::uint32_t, std::uint32_t) {
                Use(*x);
                RemoteMessageFailed();
            };
        }
        line = std::make_unique<SimRemoteLine>(a.rig.Instrument, b.rig.Instrument);
    }
    void TearDown() override {
        line.reset();
        for (Analyser *x : {&a, &b}) {
            Use(*x);
            DropRemoteMessages();
            x->link.Disconnect();
        }
        current = nullptr;
        DspIo = nullptr;
        RemoteMessage = {};
        DeviceSettings = saved;
        SetMessageBoxHandler({});
        ClearTextMessages();
        ResetProtocolSnapshot(LocalProtocolSnapshot, 0);
        ResetProtocolSnapshot(RemoteProtocolSnapshot, 0);
    }

    void Use(Analyser &x) {
        if (current == &x)
            return;
        if (current)
            current->message = RemoteMessage;
        RemoteMessage = x.message;
        x.message = {};
        DeviceSettings = &x.settings;
        DspIo = &x.link;
        current = &x;
    }
    // The analyser's outgoing message, wherever it is kept just now.
    int32_t OutgoingSize(const Analyser &x) const { return current == &x ? RemoteMessage.Size : x.message.Size; }
    // A sends the pairing list; true once both sides hold their states.
    bool Pair() {
        Use(a);
        ConnectRemote();
        return WaitUntil([&] { return a.settings.ConnectState == 2 && b.settings.PeerConnectState == 1; });
    }

    FirmwareFolder firmware;
    Analyser a, b;
    Analyser *current = nullptr;
    std::unique_ptr<SimRemoteLine> line;
    TDeviceSettings *saved = nullptr;
};

} // namespace

// Pairing: the passive side takes the active side's snapped values; "уд.SIN" starts the peer's SIN and the
// receipt marks it running; a text in Cyrillic arrives as typed; either side breaks the link.
TEST_F(RemoteLineTest, PairRemoteSinTextAndBreak) {
    a.settings.GenImpedance = 135;
    a.settings.GenRef = -3.7f;
    a.settings.MeterRef = 4.25f;
    a.settings.Lmin = -70;
    a.settings.ControlLevel = -12.25f;
    a.settings.ControlF1 = 120;
    a.settings.ControlFN = 300;
    a.settings.ExchangeMode = 1;
    a.settings.Sin.Level = -7.3f;
    a.settings.Sin.F1 = 2.5f;
    ASSERT_TRUE(Pair());
    // Packed fields are read by value.
    const auto same = [&](auto read) { EXPECT_EQ(read(b.settings), read(a.settings)); };
    same([](const TDeviceSettings &s) { return float(s.GenImpedance); });
    same([](const TDeviceSettings &s) { return float(s.GenRef); });
    same([](const TDeviceSettings &s) { return float(s.MeterRef); });
    same([](const TDeviceSettings &s) { return float(s.Lmin); });
    same([](const TDeviceSettings &s) { return float(s.ControlLevel); });
    same([](const TDeviceSettings &s) { return float(s.ControlF1); });
    same([](const TDeviceSettings &s) { return float(s.ControlFN); });
    EXPECT_EQ(b.settings.ExchangeMode, 1);
    EXPECT_EQ(b.settings.ConnectState, 0);

    Use(a);
    a.settings.RemoteGenState[0] = 1;
    SendRemoteMessage({10});
    // The receipt and the peer's handling of the message come from two instruments, in either order.
    ASSERT_TRUE(WaitUntil([&] { return a.settings.RemoteGenState[0] == 2 && b.settings.Sin.State > 0; }));
    EXPECT_GT(b.settings.Sin.State, 0) << "the peer's SIN started";
    const float level = b.settings.Sin.Level, frequency = b.settings.Sin.F1;
    EXPECT_NEAR(level, -7.3f, 0.003);
    EXPECT_EQ(frequency, 2.5f);
    EXPECT_EQ(b.settings.ConnectionType, 3) << "the peer's generator joined the line";
    EXPECT_EQ(a.settings.RemoteGenState[4], 0);

    Use(a);
    OutgoingTextMessage = QStringLiteral("Проверка линии, приём!");
    SendRemoteMessage({240});
    ASSERT_TRUE(WaitUntil([&] { return !IncomingTextMessage.isEmpty(); }));
    EXPECT_EQ(IncomingTextMessage, QStringLiteral("Проверка линии, приём!"));

    // The passive side breaks: both sides end up without a link.
    ASSERT_TRUE(WaitUntil([&] { return OutgoingSize(a) == 0 && OutgoingSize(b) == 0; }));
    Use(b);
    BreakRemoteConnection();
    ASSERT_TRUE(WaitUntil([&] { return b.settings.PeerConnectState == 0 && a.settings.ConnectState == 0; }));
    EXPECT_EQ(a.settings.RemoteGenState[4], 2);

    // The active side breaks.
    ASSERT_TRUE(Pair());
    Use(a);
    BreakRemoteConnection();
    ASSERT_TRUE(WaitUntil([&] { return b.settings.PeerConnectState == 0 && a.settings.ConnectState == 0; }));
}

// A results request: the peer answers after its wait, and the peer's result table fills from its rows.
TEST_F(RemoteLineTest, ResultsRequestFillsThePeersTable) {
    ASSERT_TRUE(Pair());
    std::vector<uint8_t> block(SnapshotHeaderSize, 0);
    block[8] = 1;
    for (int i = 0; i < 3; ++i) {
        ParamResult row{-20.5f + float(i), float(i), 1, {}};
        const auto *bytes = reinterpret_cast<const uint8_t *>(&row);
        block.insert(block.end(), bytes, bytes + sizeof row);
    }
    LocalProtocolSnapshot.HasData = 1;
    LocalProtocolSnapshot.Results = block;
    RemoteParamResultsSin[2].Value = 0;
    Use(a);
    SendRemoteMessage({30});
    ASSERT_TRUE(WaitUntil([&] { return RemoteProtocolSnapshot.HasData == 1; }, 20));
    EXPECT_EQ(RemoteSignalKind, 1);
    EXPECT_EQ(RemoteParamResultsSin[0].Value, -20.5f);
    EXPECT_EQ(RemoteParamResultsSin[2].Value, -18.5f);
    EXPECT_TRUE(a.boxes.empty());
}

// Faults of the line: a lost pairing message fails the pairing; one cut short is refused at the other end
// as well; a corrupted one is parsed without harm; an end that comes after an abort is not taken.
TEST_F(RemoteLineTest, FaultsOfTheLine) {
    line->ScriptFaults({SimLineFault::Drop, SimLineFault::Truncate, SimLineFault::Corrupt, SimLineFault::FinFirst});
    Use(a);
    ConnectRemote();
    ASSERT_TRUE(WaitUntil([&] { return a.settings.ConnectState == -1; }));
    EXPECT_EQ(b.settings.PeerConnectState, 0);
    EXPECT_EQ(line->DeliveredFromA(), 0);

    b.settings.ConnectState = 1;
    Use(a);
    ConnectRemote();
    ASSERT_TRUE(WaitUntil([&] { return a.settings.ConnectState == -1 && b.settings.ConnectState == -1; }))
        << "the input error ends the other side's pending pairing";

    Use(a);
    ConnectRemote();
    ASSERT_TRUE(WaitUntil([&] { return line->DeliveredFromA() == 1 && a.settings.ConnectState == 2; }));

    ASSERT_TRUE(Pair()) << "an end before the delivery";

    ASSERT_TRUE(WaitUntil([&] { return line->DeliveredFromA() == 2 && OutgoingSize(a) == 0; }));
    line->ScriptFaults({SimLineFault::LateFin});
    Use(a);
    a.settings.ConnectState = 1;
    SendRemoteMessage({25});
    ASSERT_GT(RemoteMessage.Size, 0);
    ASSERT_TRUE(WaitUntil([&] { return line->DeliveredFromA() == 3; }));
    Use(a);
    const int ends = a.ends;
    ASSERT_TRUE(a.link.MsgOutBusy());
    a.link.MesOutAbort();
    DropRemoteMessages();
    WaitUntil([] { return false; }, 4.0);
    EXPECT_EQ(a.ends, ends) << "the stale end was not taken";
    EXPECT_EQ(a.settings.ConnectState, 1);
}
