#include "RemoteLinkFixture.h"

#include "platform/Clock.h"
#include "settings/GeneratorStates.h"
#include "settings/SettingsInterlocks.h"
#include "state/GeneratorKind.h"
#include "state/ProgramSettings.h"
#include "state/TextMessages.h"

#include <QElapsedTimer>
#include <QTimer>

#include <ctime>

namespace {

using Bytes = std::vector<uint8_t>;

} // namespace

// One message is on the line at a time; the next waits with its own program and goes out once the first
// is done, so a message built meanwhile never takes the program of the one on the line.
TEST_F(RemoteLinkTest, OneMessageOnTheLineTheOthersWaitWithTheirPrograms) {
    SendRemoteMessage({0, 10});
    SendRemoteMessage({1, 11});
    EXPECT_EQ(OnLine()[0], 10);
    EXPECT_EQ(ProgramOnLine(), Bytes{0});

    // The end of the first transmission, as the main window handles it.
    RunOwnProgram();
    EXPECT_EQ(settings.Sin.State, 1);
    EXPECT_EQ(settings.Sin2.State, 0);
    ClearRemoteMessage(RemoteMessage);
    SendQueuedRemoteMessage();
    EXPECT_EQ(OnLine()[0], 11);
    EXPECT_EQ(ProgramOnLine(), Bytes{1});
    RunOwnProgram();
    EXPECT_EQ(settings.Sin2.State, 1);
    ClearRemoteMessage(RemoteMessage);
    SendQueuedRemoteMessage();
    EXPECT_EQ(RemoteMessage.Size, 0);
}

// 16000 words go out; 16001 are refused with the size message, and nothing is sent or run.
TEST_F(RemoteLinkTest, MessageSizeLimit) {
    OutgoingTextMessage = QString(32000 - 7, QLatin1Char('x'));
    EXPECT_TRUE(SendRemoteMessage({240, 0}));
    EXPECT_EQ(RemoteMessage.Size, 32000);
    EXPECT_TRUE(boxes.empty());
    DropRemoteMessages();

    OutgoingTextMessage.append(QLatin1Char('x'));
    EXPECT_FALSE(SendRemoteMessage({240, 0}));
    EXPECT_EQ(RemoteMessage.Size, 0);
    EXPECT_EQ(settings.Sin.State, 0) << "its program does not run";
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, QStringLiteral("Длина сообщения слишком велика!\nДлина Вашего сообщения равна 31.252 Кб.\n"
                                            "Максимальный размер сообщения равен 31.250 Кб."));
    EXPECT_EQ(boxes[0].caption, QStringLiteral("Ошибка!"));
    OutgoingTextMessage.clear();
}

TEST_F(RemoteLinkTest, BreakOnlyWhileALinkIsUp) {
    BreakRemoteConnection();
    EXPECT_EQ(RemoteMessage.Size, 0);
    for (const auto &[active, passive] : {std::pair{2, 0}, std::pair{1, 0}, std::pair{0, 1}}) {
        settings.ConnectState = active;
        settings.PeerConnectState = passive;
        BreakRemoteConnection();
        EXPECT_EQ(OnLine(), (Bytes{0, 0, 16, 0}));
        EXPECT_EQ(ProgramOnLine(), Bytes{6});
        DropRemoteMessages();
    }
}

// Code 6 on the passive side drops the peer's results and the automatic window change; on the active
// side it only ends the link.
TEST_F(RemoteLinkTest, BreakCodeOnEitherSide) {
    int resets = 0;
    RemoteLinkPeers().ResetAllResults = [&] { ++resets; };
    OutgoingTextMessage = QStringLiteral("a");
    IncomingTextMessage = QStringLiteral("b");
    for (bool passive : {true, false}) {
        settings.ConnectState = passive ? 0 : 2;
        settings.PeerConnectState = passive ? 1 : 0;
        ProgramSettings.AutoWindowChange = 1;
        resets = 0;
        SendRemoteMessage({6});
        EXPECT_EQ(resets, passive ? 1 : 0);
        EXPECT_EQ(ProgramSettings.AutoWindowChange, passive ? 0 : 1);
        EXPECT_EQ(settings.ConnectState, 0);
        EXPECT_EQ(settings.PeerConnectState, 0);
        EXPECT_EQ(settings.RemoteGenState[4], 2);
        EXPECT_EQ(status.back(), QStringLiteral("Соединение прервано!"));
    }
    EXPECT_TRUE(OutgoingTextMessage.isEmpty());
    EXPECT_TRUE(IncomingTextMessage.isEmpty());
}

TEST_F(RemoteLinkTest, RemoteLinkNeedsAConnectionTypeWithAPeer) {
    for (int16_t type = 0; type <= 12; ++type) {
        settings.ConnectionType = type;
        EXPECT_EQ(IsRemoteLinkAvailable(), type >= 2 && type <= 9 && type != 6) << type;
    }
}

TEST_F(RemoteLinkTest, Receipts) {
    struct Case {
        int code;
        int kind; // the peer's generator marked as running, 0: nothing changes
    } cases[] = {{10, GenKindSin}, {11, GenKindSin2}, {12, GenKindMtts}, {13, GenKindRnd}, {14, GenKindBlock},
                 {17, GenKindNoise}, {21, 0}, {255, GenKindBlock}, {0, GenKindBlock}, {99, GenKindBlock}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.code);
        for (int kind : {GenKindSin, GenKindSin2, GenKindMtts, GenKindRnd, GenKindBlock, GenKindNoise})
            SetRemoteGenState(kind, 1);
        HandleRemoteReceipt(c.code);
        for (int kind : {GenKindSin, GenKindSin2, GenKindMtts, GenKindRnd, GenKindBlock, GenKindNoise})
            EXPECT_EQ(RemoteGenStateOf(kind), c.kind == 0 ? 1 : kind == c.kind ? 2 : 0) << kind;
    }
}

// The passive side asked to break: the break goes out and the wait ends within its bound, whatever the
// peer does; the states are cleared in any case. "No" keeps the link.
TEST_F(RemoteLinkTest, ConfirmBreakConnectionOnThePassiveSide) {
    VirtualClock clock(0, 100);
    settings.PeerConnectState = 1;
    int answer = IdNo;
    SetMessageBoxHandler([&](const MessageRequest &request) {
        boxes.push_back(request);
        return answer;
    });
    EXPECT_FALSE(ConfirmBreakConnection());
    EXPECT_EQ(settings.PeerConnectState, 1);
    EXPECT_EQ(RemoteMessage.Size, 0);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, QStringLiteral("Прервать соединение c удаленным комплексом?"));

    answer = IdYes;
    const uint32_t start = clock.Ticks();
    EXPECT_TRUE(ConfirmBreakConnection());
    EXPECT_EQ(OnLine(), (Bytes{0, 0, 16, 0}));
    EXPECT_GE(clock.Ticks() - start, 45000u);
    EXPECT_EQ(settings.PeerConnectState, 0);
    EXPECT_EQ(settings.ConnectState, 0);

    settings.PeerConnectState = 0;
    boxes.clear();
    EXPECT_TRUE(ConfirmBreakConnection()) << "the active side is not asked";
    EXPECT_TRUE(boxes.empty());
}

// This side's message waits for SendCommand (no instrument takes it here): a message that arrives from
// the peer and a failed incoming message leave it waiting, so the next command still takes it out, and
// a message built meanwhile queues behind it and follows once it has gone.
TEST_F(RemoteLinkTest, AWaitingMessageSurvivesIncomingMessagesAndInputErrors) {
    OutgoingTextMessage = QStringLiteral("привет");
    const std::vector<uint8_t> incoming = Sent({SendTxt_R});
    const std::vector<uint8_t> block = Sent({Mute_R});
    ASSERT_FALSE(incoming.empty());
    ASSERT_EQ(settings.Mode & 0x200, 0);
    ASSERT_TRUE(SendRemoteMessage({Sin_R}));
    const std::vector<uint8_t> first = OnLine();
    ASSERT_NE(settings.Mode & 0x200, 0);
    RemoteMessageArrived(incoming.data(), int32_t(incoming.size()));
    EXPECT_NE(settings.Mode & 0x200, 0) << "the incoming message kept this side's message waiting";
    RemoteMessageFailed();
    EXPECT_NE(settings.Mode & 0x200, 0) << "the input error kept it waiting";
    EXPECT_EQ(OnLine(), first);
    ASSERT_TRUE(SendRemoteMessage({Mute_R}));
    EXPECT_EQ(OnLine(), first) << "the later message queues behind it";
    EndRemoteTransmission(true, Sin_R);
    EXPECT_EQ(OnLine(), block) << "the next message went out";
    EXPECT_NE(settings.Mode & 0x200, 0);

    // Without a message of this side the incoming message clears the bit, as before.
    DropRemoteMessages();
    settings.Mode |= 0x200;
    RemoteMessageArrived(incoming.data(), int32_t(incoming.size()));
    EXPECT_EQ(settings.Mode & 0x200, 0);
}

// The wait for the peer's release sleeps on the event queue: with nothing arriving it passes its 45 s in
// a wait or two, not in a pump per clock step.
TEST_F(RemoteLinkTest, TheBreakWaitDoesNotSpin) {
    class CountingClock final : public VirtualClock {
    public:
        using VirtualClock::VirtualClock;
        void AfterPump() override {
            ++passes;
            VirtualClock::AfterPump();
        }
        void WaitForEvents(uint32_t ms) override {
            ++passes;
            VirtualClock::WaitForEvents(ms);
        }
        int passes = 0;
    } clock(0, 1);
    settings.PeerConnectState = 1;
    SetMessageBoxHandler([](const MessageRequest &) { return int(IdYes); });
    EXPECT_TRUE(ConfirmBreakConnection());
    EXPECT_GE(clock.Ticks(), 45000u);
    EXPECT_LE(clock.passes, 3);
}

// On the real clock the wait ends with the event that releases the link and spends that time asleep:
// the main thread's processor time stays far below the time waited.
TEST_F(RemoteLinkTest, TheBreakWaitSleepsUntilTheReleaseArrives) {
    settings.PeerConnectState = 1;
    SetMessageBoxHandler([](const MessageRequest &) { return int(IdYes); });
    QTimer::singleShot(300, [this] { settings.PeerConnectState = 0; });
    const auto threadCpuMs = [] {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
    };
    QElapsedTimer wall;
    wall.start();
    const double cpuBefore = threadCpuMs();
    EXPECT_TRUE(ConfirmBreakConnection());
    const double cpu = threadCpuMs() - cpuBefore;
    const qint64 waited = wall.elapsed();
    EXPECT_GE(waited, 250);
    EXPECT_LT(waited, 5000) << "the release ends the wait";
    EXPECT_LT(cpu, waited * 0.5) << cpu << " ms busy of " << waited << " ms";
}

// "Установить соединение": this side becomes active and sends the pairing list; its program code 27
// runs after the transmission.
TEST_F(RemoteLinkTest, ConnectSendsThePairingList) {
    int stopped = 0;
    RemoteLinkPeers().StopMasterFreq = [&] { ++stopped; };
    RemoteLinkPeers().StopMasterLev = [&] { ++stopped; };
    settings.PeerConnectState = 1;
    ProgramSettings.AutoWindowChange = 1;
    ConnectRemote();
    EXPECT_EQ(settings.ConnectState, 1);
    EXPECT_EQ(settings.PeerConnectState, 0);
    EXPECT_EQ(ProgramSettings.AutoWindowChange, 0);
    EXPECT_EQ(stopped, 2);
    const Bytes m = OnLine();
    ASSERT_GT(m.size(), 14u);
    EXPECT_EQ(m[2], 255);
    EXPECT_EQ(m[13], 15) << "G9_Change_R follows the 11 bytes of Sync";
    EXPECT_EQ(ProgramSettings.AutoWindowChange, 0);
    EXPECT_EQ(ProgramOnLine(), Bytes{27});
}

// The end of a transmission as the instrument reports it: with success the receipt marks the peer's
// generator and a pairing on its way is established; a failure ends the pairing and takes the peer's block
// as running. The message's program runs either way, and the next waiting message goes out.
TEST_F(RemoteLinkTest, EndOfTransmission) {
    for (bool success : {true, false}) {
        SCOPED_TRACE(success);
        settings.ConnectState = 1;
        settings.PeerConnectState = 1;
        settings.Sin.State = 0;
        for (int i = 0; i < 5; ++i)
            settings.RemoteGenState[i] = 0;
        status.clear();
        SendRemoteMessage({0, 10});
        SendRemoteMessage({11});
        EndRemoteTransmission(success, 10);
        EXPECT_EQ(settings.ConnectState, success ? 2 : -1);
        EXPECT_EQ(settings.PeerConnectState, success ? 1 : 0);
        EXPECT_EQ(settings.RemoteGenState[0], success ? 2 : 0);
        EXPECT_EQ(settings.RemoteGenState[4], success ? 0 : 2);
        EXPECT_EQ(settings.Sin.State, 1) << "the program ran";
        EXPECT_EQ(settings.Block.State, 0) << "the local generator was blocked, then the SIN started";
        ASSERT_FALSE(status.empty());
        EXPECT_EQ(status.front(), success ? QStringLiteral("Команда выполнена") : QStringLiteral("Команда не выполнена"));
        EXPECT_EQ(OnLine()[0], 11) << "the waiting message went out";
        DropRemoteMessages();
    }
}

TEST_F(RemoteLinkTest, RefusedIncomingMessage) {
    settings.ConnectState = 1;
    settings.PeerConnectState = 1;
    RemoteMessageFailed();
    EXPECT_EQ(settings.ConnectState, -1);
    EXPECT_EQ(settings.PeerConnectState, 0);
    EXPECT_EQ(settings.RemoteGenState[4], 2);
    EXPECT_EQ(settings.Mode, 1);
    EXPECT_EQ(status, std::vector<QString>{QStringLiteral("Сообщение не принято")});
    settings.ConnectState = 2;
    settings.PeerConnectState = 1;
    RemoteMessageFailed();
    EXPECT_EQ(settings.ConnectState, 2) << "an established link stays";
    EXPECT_EQ(settings.PeerConnectState, 1);
}
