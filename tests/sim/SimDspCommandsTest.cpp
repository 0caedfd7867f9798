#include "SimHostRig.h"
#include "support/PacketWords.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>

// Named, so that the helpers keep apart from those of the other test files of a unity batch.
namespace sim_dsp_commands {

using Bytes = std::vector<std::uint8_t>;

int Word(const Bytes &bytes, std::size_t index) {
    return std::int16_t(bytes.at(2 * index) | bytes.at(2 * index + 1) << 8);
}

std::uint32_t Long(const Bytes &bytes, std::size_t at) {
    return std::uint32_t(bytes.at(at)) | std::uint32_t(bytes.at(at + 1)) << 8 | std::uint32_t(bytes.at(at + 2)) << 16 |
           std::uint32_t(bytes.at(at + 3)) << 24;
}

struct Block {
    std::uint32_t Tadc = 0;
    std::vector<std::int16_t> samples;
};

// Takes the frames received so far out of the rig, each with its samples.
std::vector<Block> TakeBlocks(SimHostRig &rig) {
    std::vector<Block> blocks;
    std::vector<SimPacket> rest;
    for (SimPacket &packet : rig.received) {
        if (packet.type == 4)
            blocks.push_back(Block{Long(packet.payload, 0), {}});
        else if (packet.type == 5 && !blocks.empty())
            for (std::size_t i = 0; i < packet.payload.size() / 2; ++i)
                blocks.back().samples.push_back(std::int16_t(Word(packet.payload, i)));
        else
            rest.push_back(std::move(packet));
    }
    rig.received = std::move(rest);
    return blocks;
}

// Mode of connection type 2 with sample-rate code 8: 40 kHz.
const Bytes Mode40k = PacketBytes({2, 8, 6, 6, 1, 8, 3, 6, 5, 0});

// The mode's sample-rate code sets the ADC's rate, the block size its blocks and the generator packets the
// signal in them; block size 0 stops the blocks.
TEST(SimDspCommands, BlocksCarryTheSignalTheGeneratorCommandsAskFor) {
    SimHostRig rig; // 25.6 kHz and no blocks until the program asks for them
    rig.Connect();
    rig.Advance(20);
    rig.Send(2, Mode40k);
    rig.Send(6, PacketBytes({1, 0, 16384, 1024, 0, 0, 0, 0}, {0x10000000})); // 1/16 of the rate, full scale
    rig.Send(5, PacketBytes({2048, 0, 0, 0}));
    rig.Advance(160);
    std::vector<Block> blocks = TakeBlocks(rig);
    ASSERT_GE(blocks.size(), 2u);
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        const std::vector<std::int16_t> &s = blocks[i].samples;
        ASSERT_EQ(s.size(), 2048u);
        for (std::size_t k = 0; k + 16 < s.size(); ++k)
            ASSERT_EQ(s[k + 16], s[k]) << "a period of 16 samples, at " << k;
        EXPECT_EQ(*std::max_element(s.begin(), s.end()), 10850) << "full scale peaks at 10850 codes";
        EXPECT_EQ(*std::min_element(s.begin(), s.end()), -10850);
        if (i > 0) {
            EXPECT_NEAR(double(blocks[i].Tadc - blocks[i - 1].Tadc), 2048.0 * 1024 / 40000, 1)
                << "2048 samples at 40 kHz, in 1/1024 s";
        }
    }

    rig.Send(6, PacketBytes({4, 0, 8192, 2046, 0, 0, 0, 0}, {0}));
    rig.Send(5, PacketBytes({2046, 0, 0, 0}));
    TakeBlocks(rig); // a block of the old signal may be under way
    rig.Advance(120);
    blocks = TakeBlocks(rig);
    ASSERT_FALSE(blocks.empty());
    for (const Block &block : blocks) {
        ASSERT_EQ(block.samples.size(), 2046u);
        int ones = 0;
        for (std::size_t k = 0; k < block.samples.size(); k += 2) {
            const std::int16_t chip = block.samples[k];
            ASSERT_EQ(std::abs(chip), 3836) << "7672 at half scale, at " << k;
            ASSERT_EQ(block.samples[k + 1], chip) << "two samples a chip";
            ones += chip > 0;
        }
        EXPECT_EQ(ones, 512) << "one whole period of the sequence";
    }

    rig.Send(6, PacketBytes({0, 1, 0, 0, 0, 0, 0, 0}, {0}));
    TakeBlocks(rig);
    rig.Advance(120);
    blocks = TakeBlocks(rig);
    ASSERT_FALSE(blocks.empty());
    for (const Block &block : blocks)
        EXPECT_TRUE(std::all_of(block.samples.begin(), block.samples.end(), [](std::int16_t v) { return v == 0; }))
            << "the mute is silent";

    rig.Send(5, PacketBytes({0, 0, 0, 0}));
    EXPECT_EQ(rig.Take(6).size(), 1u) << "the stop is acknowledged";
    TakeBlocks(rig);
    rig.Advance(300, 10);
    EXPECT_TRUE(TakeBlocks(rig).empty()) << "no blocks while the ADC is stopped";
    EXPECT_TRUE(rig.Violations().empty());
}

// The instrument reports the message's way over the line in steps and then its end, with the message
// identifier as the receipt code and the program's counter in the high bytes; an abort ends the reports.
TEST(SimDspCommands, MessagesAreAnsweredWithProgressAndTheirEnd) {
    struct Case {
        const char *what;
        SimMessageReplies replies;
        bool abortAfterFirstStep;
        int progress;           // reports expected
        std::optional<int> end; // success word of the end, none when no end comes
    };
    const Case cases[] = {
        {"taken by the peer", {}, false, 4, 1},
        {"refused by the peer", {true, 0, 2, 20}, false, 2, 0},
        {"never answered", {false, 1, 3, 20}, false, 3, std::nullopt},
        {"aborted", {}, true, 1, std::nullopt},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        SimHostRig rig;
        rig.Connect();
        rig.instrument->WithApplication([&](SimDspApplication &app) { app.SetMessageReplies(c.replies); });
        rig.Advance(20);
        rig.received.clear();
        rig.Send(10, PacketBytes({13, 0x0305, 1, 0, 2000, 41, 10, 0, 0, 0}));
        rig.Send(11, PacketBytes({0x1122, 0x3344, 0x5566}));
        rig.Advance(19);
        EXPECT_TRUE(rig.Take(12).empty()) << "the first step takes 20 ms of the line";
        rig.Advance(1);
        if (c.abortAfterFirstStep)
            rig.Send(8, {});
        rig.Advance(300, 5);
        const std::vector<SimPacket> progress = rig.Take(12);
        ASSERT_EQ(int(progress.size()), c.progress);
        for (std::size_t k = 0; k < progress.size(); ++k) {
            const int steps = std::max(1, c.replies.progressSteps);
            EXPECT_EQ(progress[k].payload, PacketBytes({13, 0x0300, int(13 * (k + 1) / std::size_t(steps))})) << k;
        }
        const std::vector<SimPacket> end = rig.Take(11);
        ASSERT_EQ(end.size(), c.end ? 1u : 0u);
        if (c.end) {
            EXPECT_EQ(end[0].payload, PacketBytes({0, 0x0305, *c.end}));
        }
        rig.instrument->WithApplication([&](SimDspApplication &app) {
            const SimMessage &m = app.Checker().Commands().Message();
            EXPECT_EQ(m.body, PacketBytes({0x1122, 0x3344, 0x5566})) << "the message is kept for tests";
        });
        EXPECT_TRUE(rig.Violations().empty());
    }
}

// The commands are kept in the order taken, decoded, with the relay register's writes between them; a
// packet that fits its layout is kept even when a field is out of range, a packet that does not is not.
TEST(SimDspCommands, TheCommandLogKeepsTheOrderOfEveryCommand) {
    SimHostRig rig;
    rig.Connect();
    rig.Send(5, PacketBytes({0, 0, 0, 0}));
    rig.Send(17, PacketBytes({0, 0}));
    rig.instrument->WithApplication([](SimDspApplication &app) { app.TakeRelayWrite(0x48); });
    rig.Send(2, Mode40k);
    rig.Send(6, PacketBytes({0, 1, 0, 0, 0, 0, 0, 0}, {0}));
    rig.Send(6, PacketBytes({1, 1, 5000, 1024, 0, 0, 0, 0}, {0x10000000}));
    rig.Send(7, PacketBytes({0, 0, 1, 0, 0, 0, 0, 0}));
    rig.Send(5, PacketBytes({4096, 0, 0, 0}));
    rig.Send(5, PacketBytes({1000, 0, 0, 0})); // out of range: flagged, kept, and no block size for the ADC
    rig.Send(9, PacketBytes({1}));
    rig.Send(9, PacketBytes({1, 0})); // does not fit: flagged only
    rig.Send(18, PacketBytes({0, 0, 0, 0, 0, 0, 0, 0, 1, 1000, 0, 0, 0, 0}, {0}));
    std::vector<std::string> labels;
    rig.instrument->WithApplication([&](SimDspApplication &app) {
        for (const SimCommand &command : app.Checker().Log())
            labels.push_back(command.Label());
        EXPECT_EQ(app.Checker().Commands().RelayRegister(), 0x48);
        EXPECT_EQ(app.Checker().Log()[2].Field("value"), 0x48);
        EXPECT_EQ(app.Checker().Log()[5].Field("code"), 5000);
        EXPECT_EQ(app.Checker().Commands().BlockSize(), 1000);
    });
    EXPECT_EQ(labels, (std::vector<std::string>{"5(0)", "17", "relays", "2", "6 mute", "6 sin", "7", "5(4096)",
                                                "5(1000)", "9", "18"}));
    ASSERT_EQ(rig.Violations().size(), 2u);
    EXPECT_EQ(rig.Violations()[0].type, 5);
    EXPECT_EQ(rig.Violations()[1].type, 9);
}

} // namespace sim_dsp_commands
