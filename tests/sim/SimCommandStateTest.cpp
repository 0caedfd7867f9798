#include "sim/SimPacketChecker.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes CommandWords(std::initializer_list<int> words, std::initializer_list<std::uint32_t> longs = {}) {
    Bytes bytes;
    for (int word : words) {
        bytes.push_back(std::uint8_t(word));
        bytes.push_back(std::uint8_t(word >> 8));
    }
    for (std::uint32_t l : longs)
        for (int i = 0; i < 4; ++i)
            bytes.push_back(std::uint8_t(l >> (8 * i)));
    return bytes;
}

TEST(SimCommandState, KeepsWhatTheCommandsSet) {
    SimPacketChecker checker;
    checker.Check({2, CommandWords({5, 2, 1, 1, 1, 2, 5, 4, 2, 2})});
    checker.Check({4, CommandWords({12})});
    checker.Check({5, CommandWords({0x8000, 2, 1, 40})});
    checker.Check({17, CommandWords({1, 3})});
    checker.Check({7, CommandWords({0, 0, 2, 0, 0, 0, 0, 0})});
    checker.Check({9, CommandWords({1})});
    checker.Check({6, CommandWords({1, 0, 6053, 1120, 100, -200, 300, 0}, {0x40000000})});
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
    const std::vector<SimTone> tones = s.Tones(2.0);
    ASSERT_EQ(tones.size(), 1u);
    EXPECT_DOUBLE_EQ(tones[0].amplitude, 12106);
    EXPECT_DOUBLE_EQ(tones[0].cyclesPerSample, 0.25);
}

TEST(SimCommandState, MultitoneLinesAndSilentKinds) {
    SimPacketChecker checker;
    checker.Check({6, CommandWords({3, 0, 605, 3, 0, 0, 0, 0, 16, 32})});
    std::vector<double> lines;
    for (const SimTone &t : checker.Commands().Tones(1))
        lines.push_back(t.cyclesPerSample * 1024);
    EXPECT_EQ(lines, (std::vector<double>{16, 48, 80}));
    for (const Bytes &silent :
         {CommandWords({0, 1, 0, 0, 0, 0, 0, 0}, {0}), CommandWords({2, 1, 1246, 8192, 0, 0, 0, 0}, {0}),
          CommandWords({4, -1, 3819, 2046, 0, 0, 0, 0}, {0})}) {
        checker.Check({6, silent});
        EXPECT_TRUE(checker.Commands().Tones(1).empty()) << checker.Commands().Generator().kind;
    }
    EXPECT_TRUE(checker.Violations().empty());
}

// Commands out of range are flagged; a packet of the wrong length also leaves the state as it was.
TEST(SimCommandState, FlagsCommandsOutOfRange) {
    const std::pair<SimPacket, const char *> cases[] = {
        {{4, CommandWords({3})}, "relay word 3"},
        {{4, CommandWords({10, 0})}, "relay packet of 4 bytes"},
        {{6, CommandWords({1, 0, -5, 1120, 0, 0, 0, 0}, {1})}, "generator code -5 below 0"},
        {{6, CommandWords({1, 0, 50, 900, 0, 0, 0, 0}, {1})}, "sine table of 900 samples"},
        {{6, CommandWords({3, 0, 50, 10, 0, 0, 0, 0, 500, 2})},
         "multitone of 10 tones from 500 by 2 beyond half the sample rate"},
        {{6, CommandWords({3, 0, 50, 0, 0, 0, 0, 0, 5, 2})},
         "multitone of 0 tones from 5 by 2 beyond half the sample rate"},
        {{17, CommandWords({1, 4})}, "sync edge mode 4"},
    };
    for (const auto &[packet, what] : cases) {
        SimPacketChecker checker;
        checker.Check(packet);
        ASSERT_EQ(checker.Violations().size(), 1u) << what;
        EXPECT_EQ(checker.Violations()[0].what, what);
    }
    SimPacketChecker checker;
    checker.Check({4, CommandWords({10, 0})});
    EXPECT_EQ(checker.Commands().RelayWord(), -1);
}

} // namespace
