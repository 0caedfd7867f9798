#include "sim/SimBootLoader.h"

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<std::uint8_t>;

// The bytes a downloader sends, before their bit order is reversed for the wire.
Bytes Plain() {
    Bytes plain = {0x08, 0xAA, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80};
    const Bytes record = {0x00, 0x02, 0x12, 0x34, 0x00, 0x10, 0xDE, 0xAD, 0x01, 0x80};
    plain.insert(plain.end(), record.begin(), record.end());
    plain.insert(plain.end(), {0x00, 0x00});
    return plain;
}

Bytes Reversed(const Bytes &plain) {
    Bytes wire;
    for (std::uint8_t byte : plain) {
        std::uint8_t r = 0;
        for (int bit = 0; bit < 8; ++bit)
            r = std::uint8_t(r << 1 | ((byte >> bit) & 1));
        wire.push_back(r);
    }
    return wire;
}

} // namespace

TEST(SimBootLoader, ReversesBitOrder) {
    const std::pair<std::uint8_t, std::uint8_t> cases[] = {{0x01, 0x80}, {0x08, 0x10}, {0xAA, 0x55}, {0x3A, 0x5C}};
    for (const auto &[in, out] : cases)
        EXPECT_EQ(SimReverseBits(in), out) << int(in);
}

TEST(SimBootLoader, StoresRecordsAndAnswersTheEndWithTheReply) {
    for (std::size_t chunk : {std::size_t(1), std::size_t(3), std::size_t(1000)}) {
        SimBootLoader loader;
        const Bytes wire = Reversed(Plain());
        Bytes reply;
        for (std::size_t at = 0; at < wire.size(); at += chunk)
            loader.Receive(wire.data() + at, std::min(chunk, wire.size() - at), reply);
        EXPECT_EQ(reply, (Bytes{'3', 0x89})) << chunk;
        EXPECT_TRUE(loader.Started());
        ASSERT_EQ(loader.Records().size(), 1u);
        EXPECT_EQ(loader.Records()[0].segment, 0x1234);
        EXPECT_EQ(loader.Records()[0].address, 0x0010);
        EXPECT_EQ(loader.Records()[0].data, (Bytes{0xDE, 0xAD, 0x01, 0x80}));
    }
}

TEST(SimBootLoader, ConfiguredRepliesAndAWrongPreamble) {
    struct Case {
        Bytes reply;
        bool started;
    };
    const Case cases[] = {{{'3', 0x88}, false}, {{'1'}, false}, {{}, false}, {{'3', 0x89}, true}};
    for (const Case &c : cases) {
        SimBootLoader loader;
        loader.SetReply(c.reply);
        const Bytes wire = Reversed(Plain());
        Bytes reply;
        loader.Receive(wire.data(), wire.size(), reply);
        EXPECT_EQ(reply, c.reply);
        EXPECT_EQ(loader.Started(), c.started);
    }

    SimBootLoader loader;
    const Bytes unreversed = Plain(); // a downloader that forgot to reverse the bits
    Bytes reply;
    loader.Receive(unreversed.data(), unreversed.size(), reply);
    EXPECT_TRUE(reply.empty());
    EXPECT_EQ(loader.Stage(), SimBootLoader::State::Lost);
    EXPECT_FALSE(loader.Started());
}
