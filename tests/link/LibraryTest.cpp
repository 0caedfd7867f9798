#include "LinkTestPorts.h"

#include "engine/Calibration.h"
#include "engine/EngineBuffers.h"
#include "engine/GeneratorSynthesis.h"
#include "engine/RandomEventAnalysis.h"
#include "link/Dspio9.h"
#include "link/Ft_spi.h"
#include "link/Library.h"
#include "platform/MessageService.h"
#include "state/DeviceSettings.h"
#include "state/MainGlobals.h"
#include "support/PacketWords.h"
#include "support/QuietSettings.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

namespace {

using Bytes = std::vector<std::uint8_t>;

// Every calibration row of the image holds the same words, so that the expected packets do not depend on
// which row the output stage selects.
void FillCalibrationRows(std::int16_t k0, std::int16_t k1, std::int16_t k2) {
    for (int row = 0; row < CalibrationRowCount; ++row) {
        std::uint8_t *p = EepromImage + CalibrationRowsOffset + 6 * row;
        for (std::int16_t k : {k0, k1, k2}) {
            p[0] = std::uint8_t(k);
            p[1] = std::uint8_t(k >> 8);
            p += 2;
        }
    }
}

// The program's link to the simulated instrument, with the command layer's globals pointing at it.
class Library : public ::testing::Test {
protected:
    void SetUp() override {
        settings = QuietSettings();
        DeviceSettings = &settings;
        ConnectionKind = 1;
        FtSpi = nullptr;
        GenRangeStep = 1; // as the program starts: no generator command has chosen an output stage yet
        FillCalibrationRows(100, -200, 300);
        link.HexFileName = firmware.Path();
        ASSERT_EQ(link.Connect(0, false), 0);
        DspIo = &link;
        SetMessageBoxHandler([this](const MessageRequest &request) {
            messages.push_back(request.text);
            return int(IdOk);
        });
    }
    void TearDown() override {
        SetMessageBoxHandler({});
        DspIo = nullptr;
        link.Disconnect();
        DeviceSettings = saved;
        std::memset(EepromImage, 0, sizeof EepromImage);
    }

    // Waits until the instrument has taken `count` packets of the commands (packets 13 and none else are
    // the link's own) and returns them.
    std::vector<SimPacket> Received(std::size_t count) {
        std::vector<SimPacket> packets;
        WaitUntil([&] {
            while (std::optional<SimPacket> p = rig.Instrument->TakePacket())
                packets.push_back(*p);
            return packets.size() >= count;
        });
        // Anything more would be a packet too many.
        WaitUntil([] { return false; }, 0.1);
        while (std::optional<SimPacket> p = rig.Instrument->TakePacket())
            packets.push_back(*p);
        return packets;
    }
    std::vector<SimPacketViolation> Violations() {
        std::vector<SimPacketViolation> found;
        rig.Instrument->WithApplication([&](SimDspApplication &app) { found = app.Violations(); });
        return found;
    }

    TDeviceSettings *saved = DeviceSettings;
    TDeviceSettings settings;
    FirmwareFolder firmware;
    SimRig rig;
    TDspIo9 link{nullptr, &rig.Port};
    std::vector<QString> messages;
};

struct PacketCase {
    const char *name;
    std::function<void(TDeviceSettings &)> set;
    std::function<bool()> command;
    std::vector<SimPacket> expected;
};

// Codes computed apart from the program (in Python): level to volts into 600 Ohm, x 7672 x 1.0186 above
// 500 Ohm, then the output stage: x 31.622555 below 1.0 x 0.031623 x 7672 (raised), x 0.19952513 above
// the limit (lowered); phase step 2^32 / 160 rounded.
const PacketCase PacketCases[] = {
    {"sine 16 kHz at 0 dBm0: 160-sample period, table 1120, code 6053",
     [](TDeviceSettings &s) {
         s.Sin.Level = 0;
         s.Sin.F1 = 16;
     },
     G9_setSin,
     {{6, PacketBytes({1, 0, 6053, 1120, 100, -200, 300, 0}, {26843546})}}},
    {"two tones 40 and 80 kHz at -10 dBm0",
     [](TDeviceSettings &s) {
         s.Sin2.Level = -10;
         s.Sin2.F1 = 40;
         s.Sin2.F2 = 80;
         s.Sin2.Count = 0x70002; // only the low 16 bits count the tones
     },
     G9_setSin2,
     {{6, PacketBytes({3, 0, 1914, 2, 100, -200, 300, 0, 16, 16})}}},
    {"multitone from 8 kHz by 4 kHz, 100 tones at -20 dBm0",
     [](TDeviceSettings &s) {
         s.Mtts.Level = -20;
         s.Mtts.F1 = 8;
         s.Mtts.Step = 4;
         s.Mtts.Count = 100;
     },
     G9_setMTTS,
     {{6, PacketBytes({3, 0, 605, 100, 100, -200, 300, 0, 3, 2})}}},
    {"pseudo-random at +10 dBm0 lowers the output stage",
     [](TDeviceSettings &s) { s.Rnd.Level = 10; },
     G9_setRnd,
     {{6, PacketBytes({4, -1, 3819, 2046, 100, -200, 300, 0}, {0})}}},
    {"noise at -45 dBm0 raises the output stage",
     [](TDeviceSettings &s) { s.Noise.Level = -45; },
     G9_setNoise,
     {{6, PacketBytes({2, 1, 1246, 8192, 100, -200, 300, 0}, {0})}}},
    {"mute", [](TDeviceSettings &) {}, G9_setMute, {{6, PacketBytes({0, 1, 0, 0, 0, 0, 0, 0}, {0})}}},
    {"block size", [](TDeviceSettings &s) { s.AdcSize = 8192; }, M9_setADCsize, {{5, PacketBytes({8192, 0, 0, 0})}}},
    {"block size 32768 as the word 0x8000",
     [](TDeviceSettings &s) { s.AdcSize = 32768; },
     M9_setADCsize,
     {{5, PacketBytes({0x8000, 0, 0, 0})}}},
    {"block size of the pseudo-random signal",
     [](TDeviceSettings &s) {
         s.AdcSize = 8192;
         s.Rnd.State = 1;
     },
     M9_setADCsize,
     {{5, PacketBytes({2046, 0, 0, 0})}}},
    {"no meter in connection type 1", [](TDeviceSettings &s) { s.ConnectionType = 1; }, M9_setADCsize, {}},
    {"no meter in connection type 6: no SYNC either",
     [](TDeviceSettings &s) { s.ConnectionType = 6; },
     R9_setSyncMet,
     {}},
    {"stop", [](TDeviceSettings &) {}, StopADC, {{5, PacketBytes({0, 0, 0, 0})}, {17, PacketBytes({0, 0})}}},
    {"SYNC on the falling edge at the block's end, 1000 us delay",
     [](TDeviceSettings &s) {
         s.SyncGenState = 1;
         s.SyncEdgeMode = 3;
         s.SyncDelay[3] = 1000;
     },
     R9_setSyncMet,
     {{17, PacketBytes({1, 3})}, {5, PacketBytes({4096, 2, 1, 40})}}},
    {"SYNC off keeps edge and delay, mode word 0",
     [](TDeviceSettings &s) {
         s.SyncEdgeMode = 1;
         s.SyncDelay[1] = 251.9f;
     },
     R9_setSyncMet,
     {{17, PacketBytes({0, 1})}, {5, PacketBytes({4096, 0, 1, 10})}}},
    {"meter frames for noise go out as kind 2",
     [](TDeviceSettings &) {
         SignalKind = 5;
         RandomEventSetup.MergeCount = 0x12345678;
         RandomEventSetup.BandStart = 1;
         RandomEventSetup.BandEnd = -2;
         RandomEventSetup.ToneStart = 3;
         RandomEventSetup.ToneEnd = 4;
         RandomEventSetup.CombSpacing = 5;
     },
     [] { return M9_setMet(true); },
     {{7, PacketBytes({0x5678, 0x1234, 2, 1, -2, 3, 4, 5})}}},
    {"meter frames off",
     [](TDeviceSettings &) {
         SignalKind = 1;
         RandomEventSetup = {};
         RandomEventSetup.MergeCount = 7;
         RandomEventSetup.CombSpacing = 9;
     },
     [] { return M9_setMet(false); },
     {{7, PacketBytes({7, 0, 0, 0, 0, 0, 0, 9})}}},
    {"message mode", [](TDeviceSettings &s) { s.ExchangeMode = 2; }, R9_MesMode, {{9, PacketBytes({1})}}},
    {"selective run off: a stop",
     [](TDeviceSettings &s) { s.Mirvak.RunActive = 0; },
     R9_setSST,
     {{18, PacketBytes({0, 0, 0, 0, 0, 0, 0, 0, 1, 1000, 0, 0, 0, 0}, {0})}}},
};

TEST_F(Library, CommandsSendTheirPacketsToTheInstrument) {
    for (const PacketCase &c : PacketCases) {
        SCOPED_TRACE(c.name);
        settings = QuietSettings();
        c.set(settings);
        EXPECT_TRUE(c.command());
        const std::vector<SimPacket> got = Received(c.expected.size());
        ASSERT_EQ(got.size(), c.expected.size());
        for (std::size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].type, c.expected[i].type) << i;
            EXPECT_EQ(got[i].payload, c.expected[i].payload) << i;
        }
    }
    EXPECT_TRUE(messages.empty());
    for (const SimPacketViolation &v : Violations())
        ADD_FAILURE() << v.index << " type " << v.type << ": " << v.what;
    SignalKind = 0;
    RandomEventSetup = {};
}

TEST_F(Library, ModeCarriesTheCodesOfTheConnectionAndReissuesTheGenerators) {
    struct Case {
        int type;
        float sampleRate, genOhms, meterOhms;
        std::int8_t maxLevel;
        Bytes expected;
        float scale;
    };
    const Case cases[] = {
        // s 2; path (5, 1, 1); generator 135 Ohm: 4; meter 120 Ohm: 2; range 3: code 2, scale -25 dB.
        {5, 2560, 135, 120, 3, PacketBytes({5, 2, 1, 1, 1, 2, 5, 4, 2, 2}), -25},
        // Type 10 goes out as 8, on the BC board's fixed impedances; s 0 above 10000 kHz.
        {10, 25600, 75, 600, 0, PacketBytes({8, 0, 0, 6, 1, 0, 8, 0, 6, 3}), 35},
        // s 7 from 78 to 156 kHz: path (3, 6, 6); 600 Ohm on both sides.
        {2, 100, 600, 600, 1, PacketBytes({2, 7, 6, 6, 1, 7, 3, 6, 5, 0}), 15},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.type);
        settings = QuietSettings();
        settings.ConnectionType = std::int16_t(c.type);
        settings.SampleRate = c.sampleRate;
        settings.GenImpedance = c.genOhms;
        settings.MeterImpedance = c.meterOhms;
        settings.MeterHighImpedance = 0;
        settings.MaxLevelIndex = c.maxLevel;
        settings.Sin.State = 1;
        settings.Noise.State = 2;
        settings.Mode = 0x1;
        EXPECT_TRUE(R9_setMode());
        const std::vector<SimPacket> got = Received(1);
        ASSERT_EQ(got.size(), 1u);
        EXPECT_EQ(got[0].type, 2);
        EXPECT_EQ(got[0].payload, c.expected);
        EXPECT_EQ(EngineBuffers.MeterScaleLevel, c.scale);
        EXPECT_EQ(settings.Mode, 0x1 | 0x08 | 0x80) << "the generators that are on go out again";
    }
    EXPECT_TRUE(Violations().empty());
}

TEST_F(Library, SelectiveRunSendsItsPlanInPackets) {
    FillCalibrationRows(819, 0, 0); // a flat correction table of 9011
    settings.Mirvak.RunActive = 1;
    settings.Mirvak.B = 0.25f;      // 10240 points per band
    settings.Mirvak.SubMode = 1;    // scan
    settings.Mirvak.Options = 0x07; // continuous, meter shift on and direct
    settings.Mirvak.FcM = 100;
    settings.Mirvak.SinLevel = -10;
    MirvakPlanCount = 130;
    for (int i = 0; i < MirvakPlanCount; ++i)
        MirvakPlanSteps[i] = 0x01000000u * std::uint32_t(i % 100);
    EXPECT_TRUE(R9_setSST());
    const std::vector<SimPacket> got = Received(6);
    ASSERT_EQ(got.size(), 6u);
    EXPECT_EQ(got[0].type, 18);
    // unit 2^32 / 10240, N, run kind 2, scan 2, range 0, p6 0, p7 1, 1500, 300, 1000, 130, +1, shift phase.
    Bytes header = PacketBytes({}, {419430, 10240});
    const Bytes headerRest = PacketBytes({2, 2, 0, 0, 1, 1500, 300, 1000, 130, 1}, {167772160});
    header.insert(header.end(), headerRest.begin(), headerRest.end());
    EXPECT_EQ(got[0].payload, header);
    const std::vector<int> types = {got[1].type, got[2].type, got[3].type, got[4].type, got[5].type};
    EXPECT_EQ(types, (std::vector<int>{20, 20, 19, 19, 19}));
    EXPECT_EQ(got[1].payload.size(), 256u);
    EXPECT_EQ(got[2].payload.size(), 4u);
    // -10 dBm0 is code 1914; (9011 x 1914) >> 13 = 2105, sent x 0.3311 truncated: 697.
    EXPECT_EQ(got[1].payload[0] | got[1].payload[1] << 8, 697);
    EXPECT_EQ(MirvakPlanLevels[0], 697) << "the plan's levels are scaled in place";
    EXPECT_EQ(got[5].payload, PacketBytes({}, {0x01000000u * 28, 0x01000000u * 29}));
    EXPECT_TRUE(Violations().empty());
    MirvakPlanCount = 0;
}

TEST_F(Library, AfcRunWithTheGeneratorSendsASecondSetup) {
    settings.Mirvak.RunActive = 1;
    settings.Mirvak.B = 0.25f;
    settings.Mirvak.SubMode = 0;
    settings.Mirvak.SinOn = 1;
    settings.Mirvak.Options = 0x40; // generator shift on, inverted
    settings.Mirvak.FcG = 200;
    MirvakPlanCount = 0;
    EXPECT_TRUE(R9_setSST());
    const std::vector<SimPacket> got = Received(2);
    ASSERT_EQ(got.size(), 2u);
    // fs 2560: the rate index is 8, 9 samples to settle: p7 = ceil(10 / 0.25) = 40.
    Bytes first = PacketBytes({}, {419430, 10240});
    // The meter shift is off: sign +1, phase 0. Without the register channel the output range word is
    // GenRangeStep as it starts (1), since no generator command chose a stage yet.
    const Bytes firstRest = PacketBytes({1, 0, 1, 0, 40, 1500, 300, 1000, 0, 1}, {0});
    first.insert(first.end(), firstRest.begin(), firstRest.end());
    EXPECT_EQ(got[0].payload, first);
    Bytes second = PacketBytes({}, {0, 0});
    const Bytes secondRest = PacketBytes({4, 0, 1, 0, 1, 1000, 0, 0, 0, -1}, {335544320});
    second.insert(second.end(), secondRest.begin(), secondRest.end());
    EXPECT_EQ(got[1].payload, second);
    EXPECT_TRUE(Violations().empty());
}

TEST_F(Library, SelectiveRunWithoutABandSendsNothing) {
    settings.Mirvak.RunActive = 1;
    settings.Mirvak.B = 0;
    EXPECT_TRUE(R9_setSST());
    EXPECT_TRUE(Received(0).empty());
    EXPECT_EQ(MirvakPointsPerBand, 0);
}

// What the main thread is handed of the frames: "adc <samples>" and "sst-stop", in order.
struct FrameEvents {
    explicit FrameEvents(TDspIo9 &link) {
        link.OnAdcArray = [this](TDspIo9 *, const std::int16_t *, std::uint32_t n, std::uint32_t) {
            lines.push_back("adc " + std::to_string(n));
        };
        link.OnSstStop = [this](TDspIo9 *) { lines.push_back("sst-stop"); };
    }
    std::vector<std::string> lines;
};

// Blocks of 1024 samples flow; then the main thread is busy for a while, so that frames wait in the
// packet layer's ring and in the link when the next command goes out.
void FramesUnderWay(SimRig &rig, FrameEvents &events) {
    rig.Instrument->WithApplication([](SimDspApplication &app) { app.SetBlockSize(1024); });
    ASSERT_TRUE(WaitUntil([&] { return events.lines.size() >= 2; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    events.lines.clear();
}

TEST_F(Library, FramesUnderWayAtTheBlockStopAreDroppedUntilItsAcknowledgement) {
    FrameEvents events(link);
    FramesUnderWay(rig, events);
    settings.AdcSize = 2048;
    ASSERT_TRUE(StopADC());
    ASSERT_TRUE(M9_setADCsize());
    ASSERT_TRUE(WaitUntil([&] { return events.lines.size() >= 2; }));
    for (const std::string &line : events.lines)
        EXPECT_EQ(line, "adc 2048") << "no block measured before the stop reaches the analysis";
}

TEST_F(Library, FramesUnderWayAtASelectiveStopAreDroppedUntilTheRunsEnd) {
    FrameEvents events(link);
    FramesUnderWay(rig, events);
    settings.Mirvak.RunActive = 0;
    ASSERT_TRUE(R9_setSST());
    ASSERT_TRUE(WaitUntil([&] { return events.lines.size() >= 2; }));
    EXPECT_EQ(events.lines.front(), "sst-stop");
    EXPECT_EQ(events.lines.back(), "adc 1024") << "frames flow again after the end";
}

// The raw packets of the instrument's logic and relays carry the bytes as passed.
TEST_F(Library, LogicAndRelayPacketsCarryTheirBytes) {
    const std::uint8_t logic[] = {0x16, 0x10, 0xFF, 0x00, 0x7E};
    const std::uint8_t relay[] = {12, 0};
    ASSERT_TRUE(link.SendXilinx(sizeof logic, logic));
    ASSERT_TRUE(link.SendRelay(sizeof relay, relay));
    const std::vector<SimPacket> got = Received(2);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].type, 3);
    EXPECT_EQ(got[0].payload, Bytes(std::begin(logic), std::end(logic)));
    EXPECT_EQ(got[1].type, 4);
    EXPECT_EQ(got[1].payload, Bytes(std::begin(relay), std::end(relay)));
    EXPECT_TRUE(Violations().empty());
}

// The mode's settling time keeps the windows served.
TEST_F(Library, ModeSettlingServesTheWindows) {
    bool inside = false;
    std::vector<bool> served;
    QMetaObject::invokeMethod(
        &link, [&] { served.push_back(inside); }, Qt::QueuedConnection);
    inside = true;
    EXPECT_TRUE(R9_setMode());
    inside = false;
    EXPECT_EQ(served, std::vector<bool>{true});
}

TEST_F(Library, BlockSizesOutsideTheInstrumentsRangeAreRefused) {
    // 66560 would pass as the 16-bit word 1024; -1 as 0xFFFF.
    for (int size : {1000, 32769, 66560, -1}) {
        SCOPED_TRACE(size);
        messages.clear();
        settings.AdcSize = size;
        settings.Mode = 0x400;
        EXPECT_FALSE(M9_setADCsize());
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0], QStringLiteral("Команда M9_setADCsize(Nadc) не выдана R9->Mode=1024"));
    }
    EXPECT_TRUE(Received(0).empty());
}

TEST_F(Library, ARefusedPacketIsShownOnceAndFails) {
    bool speaker = false;
    link.OnSpkStart = [&](TDspIo9 *, std::int16_t) { speaker = true; };
    rig.Instrument->WithApplication([](SimDspApplication &app) { app.StartSpeaker(1); });
    ASSERT_TRUE(WaitUntil([&] { return speaker; })) << "after the speaker start no packet can be sent";
    settings.Mode = 0x2000;
    settings.ConnectionType = 11; // with a relay word, but no register channel: the relay fails first
    struct Case {
        std::function<bool()> command;
        const char *text;
    };
    const Case cases[] = {
        {R9_setMode, "Команда R9_setMode не выдана"},
        {G9_setMute, "Команда G9_setMute не выдана"},
        {G9_setSin, "Команда G9_setSin не выдана"},
        {G9_setSinSst, "Команда G9_setSin не выдана"},
        {G9_setSin2, "Команда G9_setSin2 не выдана"},
        {G9_setMTTS, "Команда G9_setMTTS не выдана"},
        {G9_setRnd, "Команда G9_setRnd не выдана"},
        {G9_setNoise, "Команда G9_setNoise не выдана"},
        {M9_setADCsize, "Команда M9_setADCsize(Nadc) не выдана R9->Mode=8192"},
        {StopADC, "Команда M9_setADCsize(0) не выдана R9->Mode=8192"},
        {R9_setSyncMet, "Команда R9_setSyncMet(1,x) не выдана R9->Mode=8192"},
        {[] { return M9_setMet(true); }, "Команда M9_setMet(On) не выдана"},
        {[] { return M9_setMet(false); }, "Команда M9_setMet(Off) не выдана"},
        {R9_MesMode, "Команда R9_Work->R9_MesMode не выполнена!\nНет ответа или прибор занят приемом\nвстречного "
                     "сообщения."},
        {R9_setSST, "Команда R9_setSST не выдана"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        messages.clear();
        EXPECT_FALSE(c.command());
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0], QString::fromUtf8(c.text));
    }
    EXPECT_FALSE(R9_setRelay()) << "no register channel";
}

TEST_F(Library, DemonstrationModeOnlyChoosesTheEmulatorsWaveform) {
    ConnectionKind = 0;
    DspIo = nullptr;
    const std::pair<std::function<bool()>, std::int32_t> cases[] = {
        {G9_setSin, 0x08},   {G9_setSin2, 0x10}, {G9_setMTTS, 0x20},   {G9_setRnd, 0x40},
        {G9_setNoise, 0x80}, {G9_setMute, 0x04}, {G9_setSinSst, 0x08}, {R9_setSST, 0x1000},
    };
    GenRangeStep = 1;
    for (const auto &[command, waveform] : cases) {
        EmuGenMode = 0;
        EXPECT_TRUE(command());
        EXPECT_EQ(EmuGenMode, waveform);
    }
    EXPECT_EQ(GenRangeStep, 1) << "the mute changes no output stage in demonstration mode";
    for (const auto &command : {M9_setADCsize, StopADC, R9_setSyncMet, R9_setMode, R9_MesMode})
        EXPECT_TRUE(command());
    EXPECT_TRUE(M9_setMet(true));
    EXPECT_TRUE(messages.empty());
    DspIo = &link;
    ConnectionKind = 1;
    EXPECT_TRUE(Received(0).empty());
}

// The remote-link message: settings on connection type 2 at 2560 kHz, so the control multitone's load is
// 100 Ohm (meter path code c 1) and its level type the path code a 3.
struct MessageCase {
    TDeviceSettings settings = [] {
        TDeviceSettings s = QuietSettings();
        s.ControlLevel = -10;
        s.ControlF1 = 100;
        s.ControlFN = 200;
        s.ExchangeMode = 2;
        return s;
    }();
    std::vector<std::uint8_t> message{0x45, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06};
    std::vector<bool> shown; // what ShowMessageTransfer was told, in order
};

TEST_F(Library, RemoteMessageGoesOutAndItsProgressAndEndArriveInTheMainThread) {
    MessageCase c;
    settings = c.settings;
    ShowMessageTransfer = [&](bool sending) { c.shown.push_back(sending); };
    std::vector<std::pair<std::uint32_t, std::uint32_t>> progress;
    std::vector<std::pair<int, int>> ends;
    const std::thread::id mainThread = std::this_thread::get_id();
    link.OnMesOutProgress = [&](TDspIo9 *, std::uint32_t n, std::uint32_t i) {
        EXPECT_EQ(std::this_thread::get_id(), mainThread);
        progress.emplace_back(n, i);
    };
    link.OnMesOutFin = [&](TDspIo9 *, std::int16_t err, std::int16_t v) {
        EXPECT_EQ(std::this_thread::get_id(), mainThread);
        ends.emplace_back(err, v);
    };

    EXPECT_TRUE(GenMsg_set(c.message.data(), std::int32_t(c.message.size())));
    EXPECT_TRUE(link.MsgOutBusy());
    const std::vector<SimPacket> got = Received(2);
    ASSERT_EQ(got.size(), 2u);
    // 3 body words (the odd byte stays behind), counter 0 and identifier 0x45, reliable; range 0 and code
    // 767 (-10 dBm0 into 100 Ohm: 0.1 V x 7672), tones from bin 40 over 40 bins; the calibration words.
    EXPECT_EQ(got[0].type, 10);
    EXPECT_EQ(got[0].payload, PacketBytes({13, 0x0045, 1, 0, 767, 40, 40, 100, -200, 300}));
    EXPECT_EQ(got[1].type, 11);
    EXPECT_EQ(got[1].payload, (Bytes{0x45, 0x01, 0x02, 0x03, 0x04, 0x05}));

    ASSERT_TRUE(WaitUntil([&] { return !ends.empty(); }));
    EXPECT_EQ(ends, (std::vector<std::pair<int, int>>{{0x45, 1}})) << "the identifier comes back as the receipt";
    ASSERT_FALSE(progress.empty());
    for (const auto &[n, i] : progress) {
        EXPECT_EQ(n, 13u);
        EXPECT_LE(i, n);
    }
    EXPECT_FALSE(link.MsgOutBusy());
    EXPECT_EQ(c.shown, std::vector<bool>{true});
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(Violations().empty());
    ShowMessageTransfer = {};
}

// A message that cannot go out is shown once with the command's text, and the transfer display is taken
// back, since no end of the transfer will come.
TEST_F(Library, RemoteMessageThatCannotGoOutFailsWithItsText) {
    const QString text = QStringLiteral("Команда GenMsg_set не выполнена!\nНет ответа или прибор занят");
    MessageCase c;
    settings = c.settings;
    ShowMessageTransfer = [&](bool sending) { c.shown.push_back(sending); };
    rig.Instrument->WithApplication([](SimDspApplication &app) { app.SetMessageReplies({false, 1, 0, 20}); });
    std::vector<std::uint8_t> tooLong(2 * (TDspIo9::MesOutMaxWords + 1), 0x11);
    const std::pair<const char *, std::function<bool()>> cases[] = {
        {"16001 words", [&] { return GenMsg_set(tooLong.data(), std::int32_t(tooLong.size())); }},
        {"no words", [&] { return GenMsg_set(c.message.data(), 1); }},
        {"no message", [] { return GenMsg_set(nullptr, 0); }},
    };
    for (const auto &[what, command] : cases) {
        SCOPED_TRACE(what);
        messages.clear();
        c.shown.clear();
        EXPECT_FALSE(command());
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0], text);
        EXPECT_EQ(c.shown, (std::vector<bool>{true, false}));
    }
    EXPECT_TRUE(Received(0).empty());

    // While one message is on its way (its end never comes) the next is refused, as is any other packet.
    EXPECT_TRUE(GenMsg_set(c.message.data(), std::int32_t(c.message.size())));
    EXPECT_EQ(Received(2).size(), 2u);
    messages.clear();
    EXPECT_FALSE(GenMsg_set(c.message.data(), std::int32_t(c.message.size())));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], text);
    EXPECT_FALSE(G9_setMute());
    EXPECT_TRUE(link.MesOutAbort());
    EXPECT_TRUE(G9_setMute()) << "the abort frees the link";
    const std::vector<SimPacket> after = Received(2);
    ASSERT_EQ(after.size(), 2u);
    EXPECT_EQ(after[0].type, 8);
    EXPECT_EQ(after[1].type, 6);
    ShowMessageTransfer = {};
}

// The relay register written over the register channel is logged by the instrument in order with the
// packets: the mode, then the relays, then the relay word of connection type 11.
TEST_F(Library, ModeAndRelaysReachTheInstrumentInOrder) {
    TFT_SPI spi(link.HandleA, &rig.Port);
    FtSpi = &spi;
    settings.ConnectionType = 11;
    settings.MeterHighImpedance = 0;
    GenRangeStep = 0;
    EXPECT_TRUE(R9_setMode());
    EXPECT_EQ(Received(2).size(), 2u);
    std::vector<std::string> labels;
    int relays = -1;
    rig.Instrument->WithApplication([&](SimDspApplication &app) {
        for (const SimCommand &command : app.Checker().Log())
            labels.push_back(command.Label());
        relays = app.Checker().Commands().RelayRegister();
    });
    EXPECT_EQ(labels, (std::vector<std::string>{"2", "relays", "4"}));
    EXPECT_EQ(relays, 0x08 | 0x40 | 0x02) << "meter on the line, attenuator in for a direct output stage";
    EXPECT_EQ(rig.Instrument->ChipRegister(0x61, 40), relays);
    EXPECT_TRUE(messages.empty());
    FtSpi = nullptr;
}

} // namespace

namespace {

// The codes need no link: they are read from the settings alone.
class LibraryCodes : public ::testing::Test {
protected:
    void SetUp() override {
        settings = QuietSettings();
        DeviceSettings = &settings;
    }
    void TearDown() override { DeviceSettings = saved; }
    TDeviceSettings *saved = DeviceSettings;
    TDeviceSettings settings;
};

TEST_F(LibraryCodes, SampleRateCodesAtTheirBoundaries) {
    const std::pair<float, int> cases[] = {{25600, 0},  {10000.5f, 0}, {10000, 1}, {5000, 2}, {2560, 2}, {625, 5},
                                           {312.5f, 5}, {312, 6},      {19.5f, 9}, {19, 10},  {0, 10}};
    for (const auto &[rate, code] : cases) {
        settings.SampleRate = rate;
        EXPECT_EQ(SampleRateCode(), code) << rate;
    }
}

TEST_F(LibraryCodes, ImpedanceCodesAndTheirOverrides) {
    struct Case {
        int type;
        float genOhms;
        std::uint8_t genLow;
        float meterOhms;
        std::uint8_t meterHigh;
        int gen, meter;
    };
    const Case cases[] = {
        {2, 75, 0, 75, 0, 0, 6},    {2, 100, 0, 100, 0, 1, 1}, {2, 119.6f, 0, 120.4f, 0, 3, 2},
        {2, 135, 0, 135, 0, 4, 3},  {2, 600, 0, 600, 0, 6, 5}, {2, 300, 0, 300, 0, 1, 1},
        {2, 600, 1, 600, 1, 0, 6},  {4, 600, 0, 600, 0, 0, 6}, {11, 600, 0, 600, 0, 6, 6},
        {12, 600, 0, 600, 0, 0, 5}, {7, 600, 0, 600, 0, 0, 6}, {5, 135, 0, 135, 0, 4, 3},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.type);
        settings.ConnectionType = std::int16_t(c.type);
        settings.GenImpedance = c.genOhms;
        settings.GenLowImpedance = c.genLow;
        settings.MeterImpedance = c.meterOhms;
        settings.MeterHighImpedance = c.meterHigh;
        EXPECT_EQ(GenImpedanceCode(), c.gen);
        EXPECT_EQ(MeterImpedanceCode(), c.meter);
    }
}

TEST_F(LibraryCodes, InputRangeCodesAndMeterScale) {
    const std::tuple<int, int, float> cases[] = {{0, 3, 35}, {1, 0, 15}, {2, 1, -5}, {3, 2, -25}, {4, 4, -5}};
    for (const auto &[index, code, scale] : cases) {
        settings.MaxLevelIndex = std::int8_t(index);
        EXPECT_EQ(InputRangeCode(), code);
        SetMeterScaleLevel();
        EXPECT_EQ(EngineBuffers.MeterScaleLevel, scale);
    }
}

// The correction table has 512 entries for the steps below half the sample rate; larger steps (up to the
// whole rate) read its last entry instead of memory past it.
TEST_F(LibraryCodes, DacCodeOfAStepAtOrAboveHalfTheRateReadsTheLastEntry) {
    FillCalibrationRows(0, 4000, 0);
    settings.SampleRate = 2560;
    const std::int16_t last = CalcDacCode(-10, 511u << 22);
    EXPECT_NE(last, CalcDacCode(-10, 0)) << "the table is not flat, so the entry matters";
    for (std::uint32_t step : {1u << 31, 0xFFFFFFFFu})
        EXPECT_EQ(CalcDacCode(-10, step), last) << step;
    std::memset(EepromImage, 0, sizeof EepromImage);
}

} // namespace
