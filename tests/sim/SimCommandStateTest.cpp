#include "sim/SimPacketChecker.h"
#include "support/PacketWords.h"

#include <gtest/gtest.h>

namespace {

TEST(SimCommandState, KeepsWhatTheCommandsSet) {
    SimPacketChecker checker;
    checker.Check({2, PacketBytes({5, 2, 1, 1, 1, 2, 5, 4, 2, 2})});
    checker.Check({4, PacketBytes({12})});
    checker.Check({5, PacketBytes({0x8000, 2, 1, 40})});
    checker.Check({17, PacketBytes({1, 3})});
    checker.Check({7, PacketBytes({0, 0, 2, 0, 0, 0, 0, 0})});
    checker.Check({9, PacketBytes({1})});
    checker.Check({6, PacketBytes({1, 0, 6053, 1120, 100, -200, 300, 0}, {0x40000000})});
    EXPECT_TRUE(checker.Violations().empty());
    const SimCommandState &s = checker.Commands();
    EXPECT_EQ(s.ModeWords(), (std::vector<int>{5, 2, 1, 1, 1, 2, 5, 4, 2, 2}));
    EXPECT_EQ(s.RelayWord(), 12);
    EXPECT_EQ(s.BlockSize(), 32768) << "the block size is unsigned";
    EXPECT_EQ(s.SyncOn(), 1);
    EXPECT_EQ(s.SyncEdgeMode(), 3);
    EXPECT_EQ(s.MeterKind(), 2);
    EXPECT_EQ(s.MessageMode(), 1);
    const SimGeneratorSetting &g = s.Generator();
    EXPECT_EQ(g.kind, 1);
    EXPECT_EQ(g.code, 6053);
    EXPECT_EQ(g.length, 1120);
    EXPECT_EQ(g.calibration, (std::array<int, 3>{100, -200, 300}));
    EXPECT_EQ(s.SampleRate(), 2560000) << "sample-rate code 2: 10.24 MHz halved twice";
    const std::vector<SimTone> tones = s.Waveform().tones;
    ASSERT_EQ(tones.size(), 1u);
    EXPECT_DOUBLE_EQ(tones[0].amplitude, 10850.0 * 6053 / 16384);
    EXPECT_DOUBLE_EQ(tones[0].cyclesPerSample, 0.25);
}

// Each of n lines peaks at trunc(10850 / sqrt(n)) at full scale; the sequence's chips at 7672 and the noise
// at 7832 / 4096 per unit of its variable; the mute is silent.
TEST(SimCommandState, WaveformOfEachGeneratorKind) {
    SimPacketChecker checker;
    checker.Check({6, PacketBytes({3, 0, 605, 3, 0, 0, 0, 0, 16, 32})});
    std::vector<double> lines;
    for (const SimTone &t : checker.Commands().Waveform().tones) {
        lines.push_back(t.cyclesPerSample * 1024);
        EXPECT_DOUBLE_EQ(t.amplitude, 6264.0 * 605 / 16384);
    }
    EXPECT_EQ(lines, (std::vector<double>{16, 48, 80}));

    checker.Check({6, PacketBytes({4, -1, 3819, 2046, 0, 0, 0, 0}, {0})});
    SimWaveform w = checker.Commands().Waveform();
    EXPECT_TRUE(w.tones.empty());
    EXPECT_DOUBLE_EQ(w.prbsAmplitude, 7672.0 * 3819 / 16384);
    EXPECT_EQ(w.noiseScale, 0);

    checker.Check({6, PacketBytes({2, 1, 1246, 8192, 0, 0, 0, 0}, {0})});
    w = checker.Commands().Waveform();
    EXPECT_DOUBLE_EQ(w.noiseScale, 7832.0 / 4096 * 1246 / 16384);
    EXPECT_EQ(w.prbsAmplitude, 0);

    checker.Check({6, PacketBytes({0, 1, 0, 0, 0, 0, 0, 0}, {0})});
    w = checker.Commands().Waveform();
    EXPECT_TRUE(w.tones.empty());
    EXPECT_EQ(w.prbsAmplitude + w.noiseScale, 0);
    EXPECT_TRUE(checker.Violations().empty());
}

// The message header and its body are kept together; an abort drops what is under way.
TEST(SimCommandState, KeepsTheMessageForTheOtherAnalyser) {
    SimPacketChecker checker;
    checker.Check({10, PacketBytes({13, 0x0705, 1, -1, 1200, 41, 10, 7, 8, 9})});
    EXPECT_FALSE(checker.Commands().Message().complete);
    checker.Check({11, PacketBytes({0x1122, 0x3344, 0x5566})});
    const SimMessage &m = checker.Commands().Message();
    EXPECT_TRUE(m.complete);
    EXPECT_EQ(m.id, 5);
    EXPECT_EQ(m.counter, 7);
    EXPECT_EQ(m.reliable, 1);
    EXPECT_EQ(m.totalWords, 13);
    const std::array<int, 4> tone = {m.range, m.code, m.first, m.width};
    EXPECT_EQ(tone, (std::array<int, 4>{-1, 1200, 41, 10}));
    EXPECT_EQ(m.calibration, (std::array<int, 3>{7, 8, 9}));
    EXPECT_EQ(m.body, PacketBytes({0x1122, 0x3344, 0x5566}));
    checker.Check({8, {}});
    EXPECT_FALSE(checker.Commands().Message().complete);
    EXPECT_EQ(checker.Commands().MessageAborts(), 1);
    EXPECT_TRUE(checker.Violations().empty());
}

// Commands out of range are flagged; a packet of the wrong length also leaves the state as it was.
TEST(SimCommandState, FlagsCommandsOutOfRange) {
    const std::pair<SimPacket, const char *> cases[] = {
        {{4, PacketBytes({3})}, "relay word 3"},
        {{4, PacketBytes({10, 0})}, "relay packet of 4 bytes"},
        {{6, PacketBytes({1, 0, -5, 1120, 0, 0, 0, 0}, {1})}, "generator code -5 below 0"},
        {{6, PacketBytes({1, 0, 50, 900, 0, 0, 0, 0}, {1})}, "sine table of 900 samples"},
        {{6, PacketBytes({3, 0, 50, 10, 0, 0, 0, 0, 500, 2})},
         "multitone of 10 tones from 500 by 2 beyond half the sample rate"},
        {{6, PacketBytes({3, 0, 50, 0, 0, 0, 0, 0, 5, 2})},
         "multitone of 0 tones from 5 by 2 beyond half the sample rate"},
        {{17, PacketBytes({1, 4})}, "sync edge mode 4"},
        {{6, PacketBytes({1, 0, 50, 1024, 0, 0, 0, 0}, {0x80000001})},
         "sine phase step 2147483649 beyond half the sample rate"},
        // 1024 steps of 2^20 + 2^12 make 0.2559 of a turn: no whole period.
        {{6, PacketBytes({1, 0, 50, 1024, 0, 0, 0, 0}, {0x00101000})},
         "sine phase step 1052672 plays no whole periods in 1024 samples"},
        {{10, PacketBytes({11, 0x0105, 0, 2, 5, 40, 10, 0, 0, 0})}, "message tone range 2 and code 5"},
        {{10, PacketBytes({11, 0x0105, 0, 0, 5, 500, 20, 0, 0, 0})},
         "message tones from 500 over 20 beyond half the sample rate"},
    };
    for (const auto &[packet, what] : cases) {
        SimPacketChecker checker;
        checker.Check(packet);
        ASSERT_EQ(checker.Violations().size(), 1u) << what;
        EXPECT_EQ(checker.Violations()[0].what, what);
    }
    SimPacketChecker checker;
    checker.Check({4, PacketBytes({10, 0})});
    EXPECT_EQ(checker.Commands().RelayWord(), -1);
}

} // namespace
