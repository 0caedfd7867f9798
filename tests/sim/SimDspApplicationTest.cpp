#include "SimHostRig.h"

#include "sim/SimFrameCodec.h"

#include <gtest/gtest.h>

#include <array>
#include <charconv>
#include <chrono>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include "support/Fixtures.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t Le(const Bytes &bytes, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | bytes.at(at + std::size_t(i));
    return value;
}

// The samples the sine of the fixture's configuration gives, computed apart with numpy
// (fixtures/sim/make_sine_frames.py).
const std::vector<std::int16_t> &SineFixture() {
    static const std::vector<std::int16_t> samples = [] {
        std::vector<std::int16_t> values;
        std::ifstream in(FixturePath(QStringLiteral("sim/sine_frames.txt")).toStdString());
        std::string line;
        while (std::getline(in, line)) {
            int value = 0;
            if (std::from_chars(line.data(), line.data() + line.size(), value).ec == std::errc())
                values.push_back(std::int16_t(value));
        }
        return values;
    }();
    return samples;
}

SimConfig SineConfig(int blockSize) {
    SimConfig config;
    config.dsp.sampleRate = 25600;
    config.dsp.sineAmplitude = 12345;
    config.dsp.sineFrequency = 1234.5;
    config.dsp.blockSize = blockSize;
    return config;
}

struct Frame {
    Bytes header;
    std::vector<std::int16_t> samples;
    int samplePackets = 0;
};

// Frames as the program's packet layer assembles them: a header (type 4), then samples (type 5) until
// the header's count is reached.
std::vector<Frame> Frames(const std::vector<SimPacket> &packets) {
    std::vector<Frame> frames;
    for (const SimPacket &packet : packets) {
        if (packet.type == 4) {
            frames.push_back(Frame{packet.payload, {}, 0});
        } else if (packet.type == 5 && !frames.empty()) {
            ++frames.back().samplePackets;
            for (std::size_t at = 0; at + 1 < packet.payload.size(); at += 2)
                frames.back().samples.push_back(std::int16_t(Le(packet.payload, at, 2)));
        }
    }
    return frames;
}

std::vector<std::int16_t> FixtureSlice(std::size_t first, std::size_t count) {
    const std::vector<std::int16_t> &all = SineFixture();
    EXPECT_LE(first + count, all.size());
    return std::vector<std::int16_t>(all.begin() + std::ptrdiff_t(first),
                                     all.begin() + std::ptrdiff_t(std::min(all.size(), first + count)));
}

} // namespace

TEST(SimDspApplication, IdentificationFollowsTheBootWithTheImageAndItsCheckSum) {
    Bytes pattern(2048);
    for (std::size_t i = 0; i < pattern.size(); ++i)
        pattern[i] = std::uint8_t(i * 37 + 11);
    struct Case {
        const char *name;
        Bytes image;
        bool seal;
        int pythonChecksum; // CRC-16/ARC with bytes 36-37 zero, computed in Python; -1: not given
    };
    const Case cases[] = {
        {"default", {}, true, -1},
        {"pattern", pattern, true, 0xF8D4},
        {"pattern sent unsealed", pattern, false, -1},
        {"short image padded with 0xFF", Bytes(100, 0x5A), true, 0x73F7},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        SimConfig config;
        config.dsp.bootMs = 30;
        config.dsp.identity.VHD = 0x0207;
        config.dsp.identity.VFW = 1041;
        config.dsp.identity.DateTime = "05.06.2013";
        config.dsp.identity.image = c.image;
        config.dsp.identity.sealImage = c.seal;
        SimHostRig rig(config);
        rig.Connect();
        rig.Advance(29);
        EXPECT_TRUE(rig.received.empty()) << "nothing before the DSP program is up";
        rig.Advance(1);
        ASSERT_EQ(rig.received.size(), 9u);

        const SimPacket &header = rig.received[0];
        ASSERT_EQ(header.type, 2);
        ASSERT_EQ(header.payload.size(), 92u);
        EXPECT_EQ(Le(header.payload, 0, 2), 0x0207u);
        EXPECT_EQ(Le(header.payload, 2, 2), 1041u);
        std::string text;
        for (std::size_t at = 4; at < 92; at += 2)
            text.push_back(char(Le(header.payload, at, 2)));
        EXPECT_EQ(text, std::string("05.06.2013") + std::string(34, '\0'));

        Bytes image;
        for (std::size_t i = 1; i < 9; ++i) {
            EXPECT_EQ(rig.received[i].type, 3);
            image.insert(image.end(), rig.received[i].payload.begin(), rig.received[i].payload.end());
        }
        ASSERT_EQ(image.size(), 2048u);
        const std::uint32_t stored = Le(image, 36, 2);
        Bytes zeroed = image;
        zeroed[36] = zeroed[37] = 0;
        if (c.seal) {
            EXPECT_EQ(stored, SimCrc16(zeroed.data(), zeroed.size()));
        }
        if (c.pythonChecksum >= 0) {
            EXPECT_EQ(stored, std::uint32_t(c.pythonChecksum));
        }
        if (!c.image.empty()) {
            Bytes expected = c.image;
            expected.resize(2048, 0xFF);
            if (c.seal) {
                expected[36] = image[36];
                expected[37] = image[37];
            }
            EXPECT_EQ(image, expected) << "only the check sum is put in";
        }
        EXPECT_TRUE(rig.Violations().empty());
    }
}

TEST(SimDspApplication, PowerPacketsComeEverySecondOfTheSimClockAndAreNotMadeUpFor) {
    SimConfig config;
    config.dsp.powerFlags = 0x85;
    config.dsp.syncCount = 3;
    SimHostRig rig(config);
    rig.Connect();
    using Power = std::array<std::uint32_t, 3>; // dspTime, flags, SYNC count
    auto powers = [&rig] {
        std::vector<Power> found;
        for (const SimPacket &packet : rig.Take(7)) {
            EXPECT_EQ(packet.payload.size(), 8u);
            found.push_back({Le(packet.payload, 0, 4), Le(packet.payload, 4, 2), Le(packet.payload, 6, 2)});
        }
        return found;
    };
    auto application = [&rig](const std::function<void(SimDspApplication &)> &action) {
        rig.instrument->WithApplication(action);
    };

    rig.Advance(3500, 5);
    EXPECT_EQ(powers(), (std::vector<Power>{{1024, 0x85, 3}, {2048, 0x85, 3}, {3072, 0x85, 3}}));
    application([](SimDspApplication &app) { app.SetPower(0x01, 0); });
    rig.Advance(1000, 5);
    EXPECT_EQ(powers(), (std::vector<Power>{{4096, 0x01, 0}}));

    application([](SimDspApplication &app) { app.SetSilent(true); });
    ASSERT_TRUE(rig.host.Queue(9, {1, 0}));
    rig.Advance(2500, 5);
    EXPECT_TRUE(powers().empty()) << "a hung DSP program sends nothing";
    EXPECT_TRUE(rig.host.AllAcknowledged()) << "while the link still acknowledges";
    application([](SimDspApplication &app) { app.SetSilent(false); });
    rig.Advance(1000, 5);
    EXPECT_EQ(powers(), (std::vector<Power>{{8192, 0x01, 0}}));

    rig.now += 3000; // three seconds without a service: one packet, for the newest second
    rig.Pump();
    EXPECT_EQ(powers(), (std::vector<Power>{{11264, 0x01, 0}}));
    EXPECT_TRUE(rig.Violations().empty());
}

TEST(SimDspApplication, FramesCarryTheConfiguredSineBlockAfterBlock) {
    SimHostRig rig(SineConfig(1024));
    rig.Connect();
    rig.Advance(80); // a 1024-sample block takes 40 ms at 25600 Hz
    const std::vector<Frame> frames = Frames(rig.received);
    ASSERT_EQ(frames.size(), 2u);
    for (std::size_t i = 0; i < frames.size(); ++i) {
        SCOPED_TRACE(i);
        const Frame &frame = frames[i];
        ASSERT_EQ(frame.header.size(), 12u);
        EXPECT_EQ(Le(frame.header, 0, 4), i * 1024 * 1024 / 25600) << "Tadc: its first sample, in 1/1024 s";
        EXPECT_EQ(Le(frame.header, 4, 2), 1024u);
        EXPECT_EQ(Le(frame.header, 6, 2), 0u);
        EXPECT_EQ(Le(frame.header, 8, 2), 0u) << "no meter records";
        EXPECT_EQ(frame.samplePackets, 8) << "128 samples a packet";
        EXPECT_EQ(frame.samples, FixtureSlice(i * 1024, 1024));
    }
    EXPECT_TRUE(rig.Violations().empty());
}

// The ADC does not wait: a block that completes while the link still carries the last frame, or while
// nobody serviced the instrument, is lost, and the newest complete block goes next.
TEST(SimDspApplication, OnlyTheNewestBlockGoesWhenTheLinkFallsBehind) {
    for (bool muteHost : {true, false}) {
        SCOPED_TRACE(muteHost ? "host does not acknowledge" : "instrument not serviced");
        SimHostRig rig(SineConfig(1024));
        rig.Connect();
        rig.Advance(30);
        rig.received.clear();
        if (muteHost) {
            rig.hostMute = true;
            rig.Advance(90); // the first frame fills the instrument's ring; blocks 1 and 2 complete meanwhile
            rig.hostMute = false;
            rig.Advance(40, 5);
        } else {
            rig.Advance(40);
            rig.now += 95; // blocks 1 to 3 complete unseen
            rig.Advance(20, 5);
        }
        const std::vector<Frame> frames = Frames(rig.received);
        ASSERT_EQ(frames.size(), 2u);
        EXPECT_EQ(Le(frames[0].header, 0, 4), 0u);
        EXPECT_EQ(frames[0].samples, FixtureSlice(0, 1024));
        EXPECT_EQ(Le(frames[1].header, 0, 4), 3072u * 1024 / 25600) << "blocks 1 and 2 are lost";
        EXPECT_EQ(frames[1].samples, FixtureSlice(3072, 1024));
    }
}

TEST(SimDspApplication, BlockSizePacketsStartFramesAndZeroStopsThemWithAnAcknowledgement) {
    SimHostRig rig(SineConfig(0));
    rig.Connect();
    rig.Advance(20);
    rig.Send(5, {0x00, 0x08, 0, 0, 0, 0, 0, 0}); // 2048 samples, from sample 512 on
    rig.Advance(79);
    EXPECT_TRUE(rig.Take(4).empty());
    rig.Advance(1);
    const std::vector<Frame> frames = Frames(rig.received);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(Le(frames[0].header, 0, 4), 512u * 1024 / 25600);
    EXPECT_EQ(Le(frames[0].header, 4, 2), 2048u);
    EXPECT_EQ(frames[0].samplePackets, 16);
    EXPECT_EQ(frames[0].samples, FixtureSlice(512, 2048)) << "the ADC runs from the start of the DSP program";
    rig.received.clear();

    rig.Send(5, {0, 0, 0, 0, 0, 0, 0, 0});
    const std::vector<SimPacket> acknowledgements = rig.Take(6);
    ASSERT_EQ(acknowledgements.size(), 1u);
    EXPECT_TRUE(acknowledgements[0].payload.empty());
    rig.Advance(500, 10);
    EXPECT_TRUE(rig.Take(4).empty());
    EXPECT_TRUE(rig.Violations().empty());
}

// A selective stop (run kind 0) is answered by the end packet; a set-up that starts a run is not.
TEST(SimDspApplication, SelectiveStopIsAnsweredByTheEndPacket) {
    SimHostRig rig(SineConfig(0));
    rig.Connect();
    rig.Advance(20);
    Bytes setup(32, 0);
    setup[16] = 1;    // p7
    setup[18] = 0xE8; // p8 = 1000
    setup[19] = 0x03;
    setup[8] = 1; // run kind 1
    rig.Send(18, setup);
    rig.Advance(20);
    EXPECT_TRUE(rig.Take(14).empty());
    setup[8] = 0;
    rig.Send(18, setup);
    const std::vector<SimPacket> ends = rig.Take(14);
    ASSERT_EQ(ends.size(), 1u);
    EXPECT_TRUE(ends[0].payload.empty());
    EXPECT_TRUE(rig.Violations().empty());
}

TEST(SimDspApplication, MeterRecordsRideInTheNextFrameHeader) {
    const SimMeterRecord first{0x11223344, -2, 1000, 0x01020304, -300, 7};
    const SimMeterRecord second{5, 6, 7, 8, 9, 10};
    {
        SCOPED_TRACE("no block size: a frame of records alone");
        SimHostRig rig;
        rig.Connect();
        rig.Advance(20);
        rig.received.clear();
        bool accepted = false;
        rig.instrument->WithApplication([&](SimDspApplication &app) {
            EXPECT_FALSE(app.SendMeterRecords(3, {}));
            EXPECT_FALSE(app.SendMeterRecords(3, std::vector<SimMeterRecord>(13))) << "12 fit in a header";
            accepted = app.SendMeterRecords(3, {first, second});
        });
        ASSERT_TRUE(accepted);
        rig.Pump();
        ASSERT_EQ(rig.received.size(), 1u);
        const Bytes expected = {
            0x14,
            0x00,
            0x00,
            0x00,
            0x00,
            0x00,
            0x03,
            0x00,
            0x02,
            0x00,
            0x00,
            0x00, // Tadc 20, Nadc 0, kind 3, 2
                  // records
            0x44,
            0x33,
            0x22,
            0x11,
            0xFE,
            0xFF,
            0xFF,
            0xFF,
            0xE8,
            0x03,
            0x00,
            0x00, // Tcomm, SGNcomm, NSEcomm
            0x04,
            0x03,
            0x02,
            0x01,
            0xD4,
            0xFE,
            0x07,
            0x00, // SNRcomm, FRQcomm, OVRcomm
            0x05,
            0x00,
            0x00,
            0x00,
            0x06,
            0x00,
            0x00,
            0x00,
            0x07,
            0x00,
            0x00,
            0x00,
            0x08,
            0x00,
            0x00,
            0x00,
            0x09,
            0x00,
            0x0A,
            0x00,
        };
        EXPECT_EQ(rig.received[0].type, 4);
        EXPECT_EQ(rig.received[0].payload, expected);
    }
    {
        SCOPED_TRACE("with a block size: in the next frame of samples");
        SimHostRig rig(SineConfig(1024));
        rig.Connect();
        rig.Advance(20);
        rig.instrument->WithApplication([&](SimDspApplication &app) { app.SendMeterRecords(-4, {second}); });
        rig.Advance(60);
        const std::vector<Frame> frames = Frames(rig.received);
        ASSERT_EQ(frames.size(), 2u);
        EXPECT_EQ(frames[0].header.size(), 32u);
        EXPECT_EQ(Le(frames[0].header, 4, 2), 1024u);
        EXPECT_EQ(Le(frames[0].header, 6, 2), 0xFFFCu);
        EXPECT_EQ(Le(frames[0].header, 8, 2), 1u);
        EXPECT_EQ(frames[0].samples.size(), 1024u);
        EXPECT_EQ(frames[1].header.size(), 12u) << "the records went once";
    }
}

TEST(SimDspApplication, BreakSpeakerStartAndFaultReport) {
    SimHostRig rig;
    rig.Connect();
    rig.Advance(20);
    rig.received.clear();
    rig.instrument->WithApplication([](SimDspApplication &app) {
        app.SendBreak();
        app.StartSpeaker(-2);
        app.ReportFault(3, 0x5A);
    });
    rig.Pump();
    EXPECT_EQ(rig.host.Counters().breaksReceived, 1u);
    ASSERT_EQ(rig.received.size(), 2u);
    EXPECT_EQ(rig.received[0].type, 13);
    EXPECT_EQ(rig.received[0].payload, (Bytes{0xFE, 0xFF}));
    EXPECT_EQ(rig.received[1].type, 511);
    EXPECT_EQ(rig.received[1].payload, (Bytes{0x03, 0x00, 0x5A, 0x00}));
    rig.Advance(3000, 10);
    EXPECT_EQ(rig.received.size(), 2u) << "nothing after the fault report, not even power packets";
}

TEST(SimDspApplication, TheDisconnectPacketIsAcknowledgedAndDropsTheHandshakeLines) {
    SimHostRig rig;
    rig.Connect();
    rig.Advance(20);
    EXPECT_EQ(rig.Modem(), UsbModemCts | UsbModemDsr);
    rig.Send(13, {});
    EXPECT_TRUE(rig.host.AllAcknowledged());
    EXPECT_EQ(rig.Modem(), 0u);
    EXPECT_EQ(rig.instrument->DspState(), SimInstrument::Dsp::Off);
    const std::optional<SimPacket> goodbye = rig.instrument->TakePacket();
    ASSERT_TRUE(goodbye.has_value());
    EXPECT_EQ(goodbye->type, 13);
    rig.received.clear();
    rig.Advance(2000, 10);
    EXPECT_TRUE(rig.received.empty());
    EXPECT_TRUE(rig.Violations().empty());
}

TEST(SimDspApplication, LostAcknowledgementAndAnswerAreMadeGoodByTheNextQuery) {
    SimHostRig rig;
    rig.Connect();
    rig.Advance(20);
    // No packets from the DSP program, which would acknowledge on their own.
    rig.instrument->WithApplication([](SimDspApplication &app) { app.SetSilent(true); });
    rig.instrument->WithLink([](SimLinkPeer &link) {
        link.LoseControlFrames(SimAck, 1);
        link.LoseControlFrames(SimAnswer, 1);
    });
    rig.Send(9, {1, 0});
    EXPECT_FALSE(rig.host.AllAcknowledged());
    rig.Advance(801, 1);
    EXPECT_EQ(rig.host.Counters().queriesSent, 1u);
    EXPECT_FALSE(rig.host.AllAcknowledged()) << "the answer is lost too";
    rig.Advance(801, 1);
    EXPECT_EQ(rig.host.Counters().queriesSent, 2u);
    EXPECT_TRUE(rig.host.AllAcknowledged());
    const SimLinkCounters counters = rig.instrument->LinkCounters();
    EXPECT_EQ(counters.controlFramesLost, 2u);
    EXPECT_EQ(counters.answersSent, 2u);
    EXPECT_EQ(counters.framesAccepted, 1u);
    ASSERT_TRUE(rig.instrument->TakePacket().has_value());
    EXPECT_FALSE(rig.instrument->TakePacket().has_value()) << "the packet arrived once";
}

TEST(SimDspApplication, EveryPacketTheProgramSendsIsChecked) {
    SimHostRig rig;
    rig.Connect();
    rig.Send(9, {1, 0});
    rig.Send(5, {100, 0, 0, 0, 0, 0, 0, 0}); // a block size of 100 samples
    rig.Send(17, {1, 0, 2, 0});
    const std::vector<SimPacketViolation> violations = rig.Violations();
    ASSERT_EQ(violations.size(), 1u);
    EXPECT_EQ(violations[0].index, 1u);
    EXPECT_EQ(violations[0].type, 5);
    EXPECT_FALSE(violations[0].what.empty());
}

TEST(SimDspApplication, HeldBackBytesArriveLateAndInOrder) {
    {
        SCOPED_TRACE("every batch held 300 ms");
        SimConfig config;
        config.toHostDelay = {1.0, 300};
        SimHostRig rig(config);
        rig.Connect();
        rig.Advance(309);
        EXPECT_TRUE(rig.received.empty());
        rig.Advance(1);
        EXPECT_EQ(rig.received.size(), 7u) << "the instrument's ring full, sent at 10 ms";
        rig.Advance(300);
        EXPECT_EQ(rig.received.size(), 9u) << "the rest after the acknowledgement, again 300 ms later";
    }
    {
        SCOPED_TRACE("batches held 50 ms at random");
        SimConfig config = SineConfig(1024);
        config.toHostDelay = {0.3, 50};
        SimHostRig rig(config);
        rig.Connect();
        rig.Advance(3100, 3);
        const SimLinkCounters counters = rig.host.Counters();
        EXPECT_EQ(counters.framesOutOfSequence, 0u);
        EXPECT_EQ(counters.badFrames, 0u);
        EXPECT_EQ(rig.Take(7).size(), 3u);
        const std::vector<Frame> frames = Frames(rig.received);
        EXPECT_GT(frames.size(), 10u);
        for (const Frame &frame : frames)
            EXPECT_EQ(frame.samples.size(), 1024u);
    }
}

TEST(SimDspApplication, SwitchedOffTheDspOnlyCarriesTheLinkAndOnTheSimBackendItRuns) {
    {
        SCOPED_TRACE("switched off");
        std::uint32_t now = 0;
        SimConfig config;
        config.dsp.enabled = false;
        UsbPortSim port(std::make_shared<SimInstrument>(config, [&now] { return now; }));
        UsbHandle a = 0, b = 0;
        Bytes rest;
        ASSERT_NO_FATAL_FAILURE(SimHostRig::Start(port, a, b, rest));
        now = 5000;
        EXPECT_TRUE(SimHostRig::ReadAll(port, b).empty()) << "no identification, no power packets";
        SimHostRig::Write(port, b, SimEncodeFrame(SimFrame{false, 0, 0, 7, 7, 13, {}}));
        EXPECT_EQ(port.Instrument().DspState(), SimInstrument::Dsp::Running) << "packet 13 means nothing";
        const std::optional<SimPacket> packet = port.Instrument().TakePacket();
        ASSERT_TRUE(packet.has_value());
        EXPECT_EQ(packet->type, 13);
    }
    {
        SCOPED_TRACE("sim backend, on the steady clock");
        const std::unique_ptr<UsbPort> port = CreateUsbPort("sim");
        UsbHandle a = 0, b = 0;
        Bytes wire;
        ASSERT_NO_FATAL_FAILURE(SimHostRig::Start(*port, a, b, wire));
        SimFrameDecoder decoder;
        std::optional<SimFrame> first;
        for (int waited = 0; waited < 2000 && !first; ++waited) {
            for (std::uint8_t byte : wire)
                if (!first && decoder.Feed(byte) == SimFrameDecoder::Result::Frame && !decoder.Frame().control)
                    first = decoder.Frame();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            wire = SimHostRig::ReadAll(*port, b);
        }
        ASSERT_TRUE(first.has_value());
        EXPECT_EQ(first->type, 2) << "the identification comes first";
    }
}

namespace {

// Packet 7: merge count, kind, then the five watch positions.
Bytes MeterWatchPacket(std::uint32_t mergeCount, std::int16_t kind) {
    Bytes payload;
    for (int i = 0; i < 4; ++i)
        payload.push_back(std::uint8_t(mergeCount >> (8 * i)));
    for (std::int16_t word :
         {kind, std::int16_t(2), std::int16_t(818), std::int16_t(198), std::int16_t(202), std::int16_t(0)}) {
        payload.push_back(std::uint8_t(word));
        payload.push_back(std::uint8_t(std::uint16_t(word) >> 8));
    }
    return payload;
}

// The records of every frame header: kind and SGNcomm, Tcomm of each.
struct WatchRecord {
    std::uint32_t kind;
    std::uint32_t time;
    std::uint32_t signal;
};
std::vector<WatchRecord> WatchRecords(const std::vector<SimPacket> &packets) {
    std::vector<WatchRecord> records;
    for (const Frame &frame : Frames(packets))
        for (std::uint32_t i = 0; i < Le(frame.header, 8, 2); ++i)
            records.push_back(
                {Le(frame.header, 6, 2), Le(frame.header, 12 + 20 * i, 4), Le(frame.header, 16 + 20 * i, 4)});
    return records;
}

} // namespace

// The program's meter-frame command switches the watch: one record per merge interval of its kind,
// timed at the interval's end, until the command switches it off.
TEST(SimDspApplication, MeterWatchReportsEachMergeInterval) {
    SimHostRig rig(SineConfig(1024));
    rig.Connect();
    rig.instrument->WithApplication([](SimDspApplication &app) {
        app.SetMeterEvents([](std::int16_t kind, std::uint32_t interval) {
            SimMeterRecord record;
            record.SGNcomm = std::int32_t(100 * kind + interval);
            return record;
        });
    });
    rig.Advance(20);
    rig.Send(7, MeterWatchPacket(10, 1)); // 10240 samples: 0.4 s at 25.6 kHz
    rig.Advance(1300);
    std::vector<WatchRecord> records = WatchRecords(rig.received);
    ASSERT_EQ(records.size(), 3u);
    for (std::size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ(records[i].kind, 1u);
        EXPECT_EQ(records[i].signal, 100 + i);
    }
    EXPECT_NEAR(double(records[1].time) - records[0].time, 409.6, 1);
    EXPECT_NEAR(double(records[2].time) - records[1].time, 409.6, 1);

    rig.Send(7, MeterWatchPacket(10, 0));
    rig.received.clear();
    rig.Advance(1000);
    EXPECT_TRUE(WatchRecords(rig.received).empty());
    rig.instrument->WithApplication([](SimDspApplication &app) { EXPECT_TRUE(app.Violations().empty()); });
}
