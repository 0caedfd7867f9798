#include "RemoteLinkFixture.h"

#include "engine/masks/MaskArray.h"
#include "platform/Clock.h"
#include "state/FileNameList.h"
#include "state/ProgramSettings.h"
#include "state/TextMessages.h"

#include <cmath>
#include <random>

namespace {

using Bytes = std::vector<uint8_t>;

// Hand-computed codes used below: a level of -10 dBm0 is the 16-bit code 52000 x 150 / 260 = 30000
// (0x7530); at the 2560 kHz sample rate a frequency f travels as f x 2048 / 2560 = 0.8 f; the floats
// 0.5, 1, 2, 10, 20, 30, 100 and 200 are 0x3F000000, 0x3F800000, 0x40000000, 0x41200000, 0x41A00000,
// 0x41F00000, 0x42C80000 and 0x43480000.
struct GoldenCase {
    const char *what;
    Bytes codes;
    Bytes message; // header, records and padding
};

TDeviceSettings GoldenSender(const TDeviceSettings &quiet) {
    TDeviceSettings s = quiet;
    s.Sin.Level = -10;
    s.Sin.F1 = 1;
    s.Sin2.Level = -10;
    s.Sin2.F1 = 12.5;
    s.Sin2.F2 = 25;
    s.Mtts.Level = -10;
    s.Mtts.F1 = 12.5;
    s.Mtts.Count = 20;
    s.Mtts.Step = 2.5;
    s.Rnd.Level = -10;
    s.Noise.Level = -10;
    s.GenImpedance = 600; // (600 - 30) x 29400 / 1470 = 11400 = 0x2C88
    s.GenRef = 0;         // 60 x 20000 / 100 = 12000 = 0x2EE0
    s.ControlLevel = -10; // 8-bit code 30 x 240 / 60 = 120
    s.ControlF1 = 100;
    s.ControlFN = 200;
    s.ExchangeMode = 2;
    MasterBlock &f = s.MasterF;
    f.Source = 0;
    f.SetCount = 3;
    f.Set[0] = {10, 1};
    f.Set[1] = {20, 0};
    f.Set[2] = {30, 1};
    f.RangeStart = 10;
    f.RangeN = 5;
    f.RangeStep = 2;
    f.RemoteSinOn = 1;
    f.SinValue = -10;
    f.BandType = 1;
    f.BandF0 = 0.5;
    f.BandF1 = 100;
    f.AutoByTime = 0;
    f.Interval = 7;
    return s;
}

const Bytes Mtts19 = {12, 0x30, 0x75, 10, 0, 20, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
const Bytes MasterFTail = {1, 0x30, 0x75, 1, 0, 0, 0, 0x3F, 0, 0, 0xC8, 0x42, 0, 7, 0};

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes &part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

} // namespace

TEST_F(RemoteLinkTest, GoldenBytesOfEveryRecordType) {
    settings = GoldenSender(settings);
    TUnsupportedModes unpaired{};
    unpaired[15] = 1;
    const GoldenCase cases[] = {
        {"Rnd_R: 3 bytes, padded to 6, header 13", {13}, {13, 0, 13, 0x30, 0x75, 0}},
        {"Sin_R", {10}, {10, 0, 10, 0x30, 0x75, 0, 0, 0x80, 0x3F, 0}},
        {"Sin2_R", {11}, {11, 0, 11, 0x30, 0x75, 10, 0, 20, 0, 0}},
        {"MTTS_R: 19 bytes, 11 of them zero", {12}, Join({{12, 0}, Mtts19, {0}})},
        {"Mute_R", {14}, {14, 0, 14, 0}},
        {"G9_Change_R does not mark the header", {15}, {0, 0, 15, 0x88, 0x2C, 0xE0, 0x2E, 0}},
        {"Break_R", {16}, {0, 0, 16, 0}},
        {"Noise_R", {17}, {17, 0, 17, 0x30, 0x75, 0}},
        {"masterF_R with a list of 3: 33 bytes",
         {18},
         Join({{18, 0, 18, 0, 3, 1, 0, 0, 0x20, 0x41, 0, 0, 0, 0xA0, 0x41, 1, 0, 0, 0xF0, 0x41}, MasterFTail, {0}})},
        {"Plug_R", {21}, {0, 0, 21, 2}},
        {"RestartM9_R", {25}, {0, 0, 25, 0}},
        {"GetResults_R", {30}, {0, 0, 30, 0}},
        {"masterF_Stop_R", {33}, {33, 0, 33, 0}},
        {"masterL_Stop_R", {34}, {34, 0, 34, 0}},
        {"Sync", {255}, {0, 0, 255, 120, 0, 0, 0xC8, 0x42, 0, 0, 0x48, 0x43, 2, 0}},
        {"header byte 0 is the last marking record", {13, 15, 10}, {10, 0, 13, 0x30, 0x75, 15, 0x88, 0x2C, 0xE0, 0x2E, 10, 0x30, 0x75, 0, 0, 0x80, 0x3F, 0}},
    };
    for (const GoldenCase &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Sent(c.codes), c.message);
    }
    EXPECT_EQ(Sent({40}, unpaired), (Bytes{40, 0, 40, 1, 15, 0})) << "DontSupport_R lists the set entries";
    EXPECT_TRUE(Sent({40}).empty()) << "no DontSupport_R without an entry";

    settings.MasterF.Source = 1;
    const Bytes range = Sent({18});
    EXPECT_EQ(range, Join({{18, 0, 18, 1, 0, 0, 0x20, 0x41, 5, 0, 0, 0, 0, 0x40}, MasterFTail, {0}}))
        << "with a range masterF_R is 27 bytes";
    settings.MasterL.Source = 1;
    EXPECT_EQ(Sent({19}).size(), 2u + 25u + 1u);
    settings.MasterL.Source = 0;
    settings.MasterL.SetCount = 4;
    EXPECT_EQ(Sent({19}).size(), 2u + 20u + 3u * 4u);

    // The text travels in windows-1251 after its int32 length.
    OutgoingTextMessage = QStringLiteral("яб");
    EXPECT_EQ(Sent({240}), (Bytes{0, 0, 0xF0, 2, 0, 0, 0, 0xFF, 0xE1, 0}));
    OutgoingTextMessage.clear();
    EXPECT_EQ(Sent({240}), (Bytes{0, 0, 0xF0, 0, 0, 0, 0, 0}));
}

// Without weighting points ChangeM9_R ends after its 2-byte count: 40 bytes. Only the low 16 bits of the
// averaging interval travel, and the averaging is raised for the peer first when it is short.
TEST_F(RemoteLinkTest, ChangeM9WithoutWeighting) {
    settings.SpectrumStepIndex = 3;
    settings.AdcSizeIndex = 1;
    settings.MaxLevelIndex = 2;
    settings.AveragingInterval = 0x00120009;
    const Bytes m = Sent({23});
    ASSERT_EQ(m.size(), 42u);
    EXPECT_EQ(m[0], 0);
    EXPECT_EQ(m[2], 23);
    EXPECT_EQ(m[3], 3);
    EXPECT_EQ(m[4], 1);
    EXPECT_EQ(m[15], 2) << "MaxLevelIndex travels as it is";
    EXPECT_EQ(m[32], 9);
    EXPECT_EQ(m[33], 0);
    EXPECT_EQ(m[40], 0);
    EXPECT_EQ(m[41], 0);

    settings.AveragingInterval = 3;
    Sent({23});
    EXPECT_EQ(settings.AveragingInterval, 5);
    settings.AveragingInterval = 3;
    settings.MasterF.State = 2;
    Sent({23});
    EXPECT_EQ(settings.AveragingInterval, 3) << "not while a master runs";
}

// A code list of program codes alone is never transmitted: its program runs at once.
TEST_F(RemoteLinkTest, ProgramCodesAloneRunAtOnce) {
    settings.ConnectionType = 3;
    SendRemoteMessage({20, 0});
    EXPECT_EQ(RemoteMessage.Size, 0);
    EXPECT_GT(settings.Sin.State, 0) << "code 0 started the SIN";
    EXPECT_EQ(settings.Mode & 0x200, 0);
}

TEST_F(RemoteLinkTest, LevelAndFrequencyCodesArriveSnapped) {
    settings.Sin.Level = -10;
    settings.SampleRate = peer.SampleRate = 256;
    settings.Sin2.F1 = 1.05f; // code 8 at 256 kHz
    settings.Sin2.F2 = 2.5f;
    const Bytes m = Sent({10, 11});
    peer.PeerConnectState = 1;
    ReceiveAtPeer(m);
    EXPECT_EQ(peer.Sin.Level, -10.0f);
    EXPECT_FLOAT_EQ(peer.Sin2.F1, 1.0f);
    EXPECT_FLOAT_EQ(peer.Sin2.F2, 2.5f);
}

TEST_F(RemoteLinkTest, MaxLevelIndexIsRemappedByTheReceiver) {
    for (const auto &[sent, stored] : {std::pair{10, 0}, std::pair{3, 4}, std::pair{12, 2}}) {
        DeviceSettings = &settings;
        settings.MaxLevelIndex = int8_t(sent);
        const Bytes m = Sent({23});
        peer.PeerConnectState = 1;
        ReceiveAtPeer(m);
        EXPECT_EQ(peer.MaxLevelIndex, stored) << sent;
        DropRemoteMessages();
    }
}

// The receiver keeps the upper bits of its averaging interval and brings block-size indexes it does not
// offer into its own range before the engine sees them.
TEST_F(RemoteLinkTest, MeterSettingsAreCheckedBeforeUse) {
    settings.AveragingInterval = 9;
    Bytes m = Sent({23});
    struct Case {
        uint8_t stepIndex, sizeIndex;
        float maxFrequency;
        int32_t wantStep, wantSize;
    } cases[] = {
        {3, 4, 1024, 3, 4},
        {3, 4, 64, 3, 3},       // below 80 kHz the largest block is not offered
        {0, 0, 1024, 1, 0},     // the presentation step starts at 1
        {255, 1, 1024, 1, 1},   // a sign-extended -1
        {200, 0, 1024, 1, 0},   // -56
        {100, 0, 1024, 100, 0}, // 2048 / 8 = 256 steps allowed
        {7, 9, 1024, 7, 4},
    };
    for (const Case &c : cases) {
        m[3] = c.stepIndex;
        m[4] = c.sizeIndex;
        peer = settings;
        peer.PeerConnectState = 1;
        peer.MaxFrequency = c.maxFrequency;
        peer.AveragingInterval = 0x00070002;
        ReceiveAtPeer(m);
        EXPECT_EQ(peer.SpectrumStepIndex, c.wantStep);
        EXPECT_EQ(peer.AdcSizeIndex, c.wantSize);
        EXPECT_EQ(peer.AveragingInterval, 0x00070009);
        DropRemoteMessages();
        DeviceSettings = &settings;
    }
}

// The name goes without its folder, whichever separator the stored entry uses.
TEST_F(RemoteLinkTest, WeightingTravelsWithItsName) {
    const float x[] = {0.3f, 3.4f, 1000};
    const float y[] = {-10, 0, 12.5f};
    for (const QString &entry : {QStringLiteral("/data/masks/Кривая.9wf"), QStringLiteral("C:\\R9\\masks\\Кривая.9wf"),
                                 QStringLiteral("masks\\old/Кривая.9wf")}) {
        SCOPED_TRACE(entry.toStdString());
        DeviceSettings = &settings;
        ASSERT_TRUE(SetWeightingCurve(3, x, y));
        FileNameList = {entry};
        settings.WeightingIndex = 0;
        const Bytes m = Sent({23});
        ASSERT_EQ(m.size(), 42u + 3u * 4u + 1u + 10u + 1u); // the name "Кривая.9wf" in 10 bytes, then padding
        SetWeightingCurve(0, nullptr, nullptr);
        peer.PeerConnectState = 1;
        peer.WeightingIndex = -1;
        ReceiveAtPeer(m);
        ASSERT_EQ(WeightingCurve.Count, 3);
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(WeightingCurve.Frequencies[i], x[i], x[i] * 2e-4);
            EXPECT_NEAR(WeightingCurve.Attenuations[i], y[i], 0.005);
        }
        ASSERT_EQ(peer.WeightingIndex, 1);
        EXPECT_EQ(FileNameList[1], QStringLiteral("Кривая.9wf"));
        DropRemoteMessages();
    }
    DeviceSettings = &settings;
    FileNameList.clear();
}

// An unpaired receiver refuses a guarded record without decoding it and replies with DontSupport_R
// (entry 15) for the peer, running 41 and 24 itself after that reply went out.
TEST_F(RemoteLinkTest, UnpairedReceiverRefusesGuardedRecords) {
    settings.Sin.Level = 20;
    const Bytes m = Sent({10, 240});
    peer.Sin.Level = -30;
    ReceiveAtPeer(m);
    EXPECT_EQ(peer.Sin.Level, -30.0f);
    EXPECT_EQ(OnLine(), (Bytes{40, 0, 40, 1, 15, 0}));
    EXPECT_EQ(ProgramOnLine(), (Bytes{41, 24}));
    EXPECT_EQ(RemoteMessage.UnsupportedModes[15], 1);
    RunOwnProgram();
    EXPECT_EQ(status, std::vector<QString>{QStringLiteral("Некорректный доступ от удаленного R-9!")});
    EXPECT_EQ(peer.RemoteGenState[4], 2);
}

TEST_F(RemoteLinkTest, DontSupportAtTheFirstSender) {
    const QString notSupported = QStringLiteral("Удаленный R-9 не поддерживает режим!");
    struct Case {
        Bytes message;
        std::vector<QString> status;
        int32_t connectState;
        int32_t peerBlock;
    } cases[] = {
        {{40, 0, 40, 1, 15, 0}, {QStringLiteral("Соединение прервано!")}, 0, 2},
        {{40, 0, 40, 1, 4, 0}, {notSupported}, 2, 2},
        {{40, 0, 40, 2, 16, 4}, {notSupported}, 2, 2}, // 16 is no entry of the table
        {{40, 0, 40, 1, 7, 0}, {}, 2, 0},              // an entry without an action
    };
    for (const Case &c : cases) {
        status.clear();
        peer.ConnectState = 2;
        peer.RemoteGenState[4] = 0;
        ReceiveAtPeer(c.message);
        EXPECT_EQ(RemoteMessage.Size, 0) << "the reply is program codes alone";
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(peer.ConnectState, c.connectState);
        EXPECT_EQ(peer.RemoteGenState[4], c.peerBlock);
    }
}

// The pairing list makes the receiver passive and yields program codes only, which run at once; the
// snapped values arrive as the active side holds them.
TEST_F(RemoteLinkTest, PairingListOnThePassiveSide) {
    settings.GenImpedance = 135;
    settings.GenRef = -3.7f;
    settings.MeterRef = 4.25f;
    settings.Lmin = -70;
    settings.MinSnr = 30;
    settings.MeterImpedance = 135;
    settings.ControlLevel = -12.25f;
    settings.ControlF1 = 120;
    settings.ControlFN = 300;
    settings.ExchangeMode = 1;
    const Bytes m = Sent({255, 15, 23, 26, 27, 21});
    EXPECT_EQ(m[0], 0);

    peer.ConnectState = 2;
    peer.Block.State = 2;
    ProgramSettings.AutoProtocol = 1;
    ProgramSettings.AutoWindowChange = 0;
    IncomingTextMessage = QStringLiteral("старое");
    ReceiveAtPeer(m);
    EXPECT_EQ(RemoteMessage.Size, 0) << "nothing travels back";
    EXPECT_EQ(peer.PeerConnectState, 1);
    EXPECT_EQ(peer.ConnectState, 0);
    EXPECT_EQ(ProgramSettings.AutoProtocol, 0);
    EXPECT_EQ(ProgramSettings.AutoWindowChange, 1);
    EXPECT_TRUE(IncomingTextMessage.isEmpty());
    EXPECT_EQ(peer.ControlLevel, settings.ControlLevel);
    EXPECT_EQ(peer.ControlF1, settings.ControlF1);
    EXPECT_EQ(peer.ControlFN, settings.ControlFN);
    EXPECT_EQ(peer.ExchangeMode, 1);
    EXPECT_EQ(peer.GenImpedance, settings.GenImpedance);
    EXPECT_FLOAT_EQ(peer.GenRef, -3.7f);
    EXPECT_FLOAT_EQ(peer.MeterRef, 4.25f);
    EXPECT_EQ(peer.Lmin, settings.Lmin);
    EXPECT_EQ(peer.MinSnr, settings.MinSnr);
    EXPECT_EQ(peer.MeterImpedance, settings.MeterImpedance);
    EXPECT_EQ(peer.ConnectionType, 2) << "Plug_R 2 with the generator blocked";
    EXPECT_EQ(peer.Block.State, 1) << "the passive side blocks its generator";
}

// The connection type of the peer decides this side's, by whether this side's generator is blocked.
TEST_F(RemoteLinkTest, PlugRecordOnTheReceiver) {
    struct Case {
        uint8_t type;
        bool blocked;
        int16_t want;
    } cases[] = {
        {2, true, 2},  {3, false, 3}, {4, true, 2},  {5, false, 5}, {8, true, 7},
        {8, false, 8}, {9, true, 9},  {10, true, 10}, {6, false, 4}, {11, false, 4},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(int(c.type));
        peer = settings;
        peer.PeerConnectState = 1;
        peer.ConnectionType = 4;
        peer.Block.State = c.blocked ? 2 : 0;
        ReceiveAtPeer({0, 0, 21, c.type});
        EXPECT_EQ(peer.ConnectionType, c.want);
    }
    peer.ConnectionType = 4;
    peer.GenLowImpedance = 1;
    ReceiveAtPeer({0, 0, 21, 0});
    EXPECT_EQ(peer.ConnectionType, 4) << "type 0 changes nothing";
    EXPECT_EQ(peer.GenLowImpedance, 1);
}

// A record cut short applies nothing and ends the parse.
TEST_F(RemoteLinkTest, TruncatedRecordsChangeNothing) {
    settings.Sin.Level = 20;
    settings.Sin.F1 = 7;
    const Bytes whole = Sent({10});
    for (std::size_t length = 3; length < 9; ++length) {
        peer.PeerConnectState = 1;
        peer.Sin.Level = -30;
        peer.Sin.F1 = 1;
        peer.Sin.State = 0;
        ReceiveAtPeer(Bytes(whole.begin(), whole.begin() + std::ptrdiff_t(length)));
        EXPECT_EQ(peer.Sin.Level, -30.0f) << length;
        EXPECT_EQ(peer.Sin.F1, 1.0f) << length;
        EXPECT_EQ(peer.Sin.State, 0) << length;
    }
    ReceiveAtPeer(whole);
    EXPECT_EQ(peer.Sin.Level, 20.0f);
    EXPECT_EQ(peer.Sin.State, 1);
}

TEST_F(RemoteLinkTest, TextMessageArrivesInWindows1251) {
    int shown = 0;
    RemoteLinkPeers().ShowTextMessageWindow = [&] { ++shown; };
    OutgoingTextMessage = QStringLiteral("Проверка связи");
    const Bytes m = Sent({240});
    ReceiveAtPeer(m);
    EXPECT_EQ(IncomingTextMessage, QStringLiteral("Проверка связи"));
    EXPECT_EQ(shown, 1);
    IncomingTextMessage.clear();
    ReceiveAtPeer({0, 0, 240, 0, 0, 0, 0, 0});
    EXPECT_TRUE(IncomingTextMessage.isEmpty()) << "an empty text changes nothing";
    EXPECT_EQ(shown, 1);
    ReceiveAtPeer({0, 0, 240, 50, 0, 0, 0, 'a', 'b'});
    EXPECT_TRUE(IncomingTextMessage.isEmpty()) << "a text longer than the message is cut off, not read";
    ReceiveAtPeer({0, 0, 240, 0xFF, 0xFF, 0xFF, 0xFF, 'a', 0});
    EXPECT_TRUE(IncomingTextMessage.isEmpty());
    OutgoingTextMessage.clear();
}

// Every incoming message stops a running master first.
TEST_F(RemoteLinkTest, IncomingMessageStopsRunningMasters) {
    int stopped = 0;
    RemoteLinkPeers().StopMasterFreq = [&] { ++stopped; };
    peer.MasterF.State = 2;
    peer.MasterL.State = 1;
    ReceiveAtPeer({0, 0, 0, 0});
    EXPECT_EQ(stopped, 1);
    EXPECT_EQ(peer.MasterL.State, 0);
}

// The pairing message truncated at every byte and mutated at random, on a paired and an unpaired
// receiver: nothing reads outside the message (the sanitizers watch), and every request for results
// waits in virtual time.
TEST_F(RemoteLinkTest, DamagedPairingMessagesParseSafely) {
    VirtualClock clock(0, 50);
    settings.MasterF.SetCount = 5;
    const float x[] = {0.5f, 50, 500};
    const float y[] = {1, 2, 3};
    SetWeightingCurve(3, x, y);
    const Bytes whole = Sent({255, 15, 23, 26, 27, 21, 18, 19, 30, 31, 250, 240, 40, 12});
    ASSERT_GT(whole.size(), 40u);
    const TDeviceSettings original = peer;
    std::mt19937 random(20261211);
    for (int round = 0; round < 2; ++round) {
        for (std::size_t length = 0; length <= whole.size(); ++length) {
            peer = original;
            peer.PeerConnectState = round;
            ReceiveAtPeer(Bytes(whole.begin(), whole.begin() + std::ptrdiff_t(length)));
            DropRemoteMessages();
        }
        for (int i = 0; i < 300; ++i) {
            Bytes damaged = whole;
            const int changes = 1 + int(random() % 8);
            for (int k = 0; k < changes; ++k)
                damaged[random() % damaged.size()] = uint8_t(random());
            damaged.resize(random() % (damaged.size() + 1));
            peer = original;
            peer.PeerConnectState = round;
            ReceiveAtPeer(damaged);
            DropRemoteMessages();
            EXPECT_GE(peer.AdcSizeIndex, 0);
            EXPECT_LE(peer.AdcSizeIndex, 4);
            EXPECT_GE(peer.SpectrumStepIndex, 1);
        }
    }
    for (int slot = 0; slot < MaskSlotCount; ++slot)
        for (auto &side : PendingMaskArray[slot])
            side.reset();
}
