#include "sim/SimPacketChecker.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Words(std::initializer_list<int> words) {
    Bytes bytes;
    for (int word : words) {
        bytes.push_back(std::uint8_t(word));
        bytes.push_back(std::uint8_t(word >> 8));
    }
    return bytes;
}

Bytes WordsAndStep(std::initializer_list<int> words, std::uint32_t step) {
    Bytes bytes = Words(words);
    for (int i = 0; i < 4; ++i)
        bytes.push_back(std::uint8_t(step >> (8 * i)));
    return bytes;
}

// The selective set-up header: {int32 first; int32 second; p3 to p10; count; p12; int32 p13}.
Bytes SstSetup(int p3, int count, int p7 = 1, int p8 = 1500, int sign = 1) {
    Bytes bytes = Words({0x5000, 0, 100, 0, p3, 2, 0, 0, p7, p8, 300, 1000, count, sign});
    bytes.insert(bytes.end(), {0, 0, 0, 0});
    return bytes;
}

std::vector<SimPacket> Message(int bodyWords) {
    std::vector<SimPacket> packets{{10, Words({bodyWords + 10, 0x0305, 1, 0, 2000, 41, 10, 0, 0, 0})}};
    for (int left = bodyWords; left > 0; left -= 128)
        packets.push_back({11, Bytes(std::size_t(2 * std::min(left, 128)), 0x16)});
    return packets;
}

std::vector<SimPacketViolation> CheckAll(const std::vector<SimPacket> &packets) {
    SimPacketChecker checker;
    for (const SimPacket &packet : packets)
        checker.Check(packet);
    return checker.Violations();
}

} // namespace

TEST(SimPacketChecker, AcceptsThePacketsOfEveryBuilder) {
    std::vector<SimPacket> packets = {
        {2, Words({2, 7, 6, 6, 1, 7, 3, 6, 5, 0})}, // connection type 2 above 625 kHz
        {2, Words({5, 3, 1, 1, 1, 3, 5, 0, 6, 4})}, // type 5, low sample rate, input range left as given
        {2, Words({8, 0, 0, 6, 1, 0, 8, 0, 6, 2})},
        {3, Bytes{1, 2, 3}},
        {4, Words({10})},
        {5, Words({1024, 0, 0, 0})},
        {5, Words({0x8000, 2, 1, 40})},
        {5, Words({0, 0, 0, 0})},
        {6, WordsAndStep({0, 1, 0, 0, 0, 0, 0, 0}, 0)},
        {6, WordsAndStep({1, -1, 5000, 1024, 10, -3, 2, 0}, 0x12400000)}, // 73 periods in the table
        {6, WordsAndStep({1, 1, 700, 0, 0, 0, 0, 0}, 0x40000000)},        // the sine of the selective-mode program
        {6, WordsAndStep({2, 1, 3000, 8192, 0, 0, 0, 0}, 0)},
        {6, Words({3, 0, 2000, 2, 0, 0, 0, 0, 41, 10})},
        {6, WordsAndStep({4, 0, 1000, 2046, 0, 0, 0, 0}, 0)},
        {7, Words({100, 0, 6, 1, 2, 3, 4, 5})},
        {7, Words({0, 0, 0, 0, 0, 0, 0, 0})},
        {8, {}},
        {9, Words({1})},
        {17, Words({1, 2})},
        {18, SstSetup(1, 130)},
        {20, Bytes(256, 0x10)},
        {20, Bytes(4, 0x10)},
        {19, Bytes(256, 0)},
        {19, Bytes(256, 0)},
        {19, Bytes(8, 0)},
        {18, SstSetup(2, 5)}, // entries without levels
        {19, Bytes(20, 0)},
        {18, SstSetup(0, 0, 1, 1000, 0)}, // a stop
        {18, SstSetup(4, 0)},
    };
    for (int words : {1, 128, 300, 16000})
        for (const SimPacket &packet : Message(words))
            packets.push_back(packet);
    packets.push_back({13, {}});

    for (const SimPacketViolation &violation : CheckAll(packets))
        ADD_FAILURE() << "packet " << violation.index << " type " << violation.type << ": " << violation.what;
}

TEST(SimPacketChecker, FlagsEachMalformedPacketOnce) {
    struct Case {
        const char *name;
        std::vector<SimPacket> packets;
        std::size_t index; // of the packet the one violation is about
    };
    const std::vector<SimPacket> message300 = Message(300);
    const std::vector<SimPacket> message10 = Message(10);
    const std::vector<Case> cases = {
        {"unknown type", {{12, Words({1})}}, 0},
        {"mode of 18 bytes", {{2, Words({2, 7, 6, 6, 1, 7, 3, 6, 5})}}, 0},
        {"path codes of no connection type", {{2, Words({2, 3, 6, 5, 1, 3, 5, 6, 5, 0})}}, 0},
        {"two sample-rate codes", {{2, Words({2, 7, 6, 6, 1, 6, 3, 6, 5, 0})}}, 0},
        {"meter impedance code", {{2, Words({2, 7, 6, 6, 1, 7, 3, 6, 4, 0})}}, 0},
        {"block size 1000", {{5, Words({1000, 0, 0, 0})}}, 0},
        {"block size 40000", {{5, Words({40000, 0, 0, 0})}}, 0},
        {"block size of 2 bytes", {{5, Words({1024})}}, 0},
        {"mute with another word", {{6, WordsAndStep({0, 0, 0, 0, 0, 0, 0, 0}, 0)}}, 0},
        {"noise with a table length", {{6, WordsAndStep({2, 1, 3000, 4096, 0, 0, 0, 0}, 0)}}, 0},
        {"generator kind 5", {{6, WordsAndStep({5, 1, 3000, 0, 0, 0, 0, 0}, 0)}}, 0},
        {"generator range 2", {{6, WordsAndStep({1, 2, 3000, 1024, 0, 0, 0, 0}, 0x00400000)}}, 0},
        {"meter kind 5", {{7, Words({0, 0, 5, 0, 0, 0, 0, 0})}}, 0},
        {"abort with a payload", {{8, Bytes{0}}}, 0},
        {"message mode 2", {{9, Words({2})}}, 0},
        {"message of header alone", {{10, Words({10, 0x0305, 1, 0, 0, 0, 0, 0, 0, 0})}}, 0},
        {"message body without a header", {{11, Words({1, 2})}}, 0},
        {"message body cut short", {message300[0], message300[1], message300[2], {9, Words({1})}}, 3},
        {"message body of odd length", {{10, Words({12, 0x0305, 0, 0, 0, 0, 0, 0, 0, 0})}, {11, Bytes{1, 2, 3}}}, 1},
        {"message body longer than announced", {message10[0], {11, Bytes(24, 0)}}, 1},
        {"selective count with a stop", {{18, SstSetup(0, 2)}}, 0},
        {"selective p8 below 1000", {{18, SstSetup(1, 0, 1, 999)}}, 0},
        {"selective p7 of 0", {{18, SstSetup(1, 0, 0)}}, 0},
        {"selective levels without a set-up", {{20, Words({1, 2})}}, 0},
        {"selective levels cut short", {{18, SstSetup(1, 130)}, {20, Bytes(256, 0)}, {19, Bytes(256, 0)}}, 2},
        {"selective entries cut short", {{18, SstSetup(1, 70)}, {19, Bytes(256, 0)}, {18, SstSetup(0, 0)}}, 2},
        {"selective entries in pieces", {{18, SstSetup(1, 70)}, {19, Bytes(128, 0)}, {19, Bytes(152, 0)}}, 1},
        {"selective entry of 6 bytes", {{19, Bytes(6, 0)}}, 0},
        {"packet after the disconnect", {{13, {}}, {9, Words({0})}}, 1},
    };
    for (const Case &c : cases) {
        const std::vector<SimPacketViolation> violations = CheckAll(c.packets);
        ASSERT_EQ(violations.size(), 1u) << c.name;
        EXPECT_EQ(violations[0].index, c.index) << c.name;
        EXPECT_EQ(violations[0].type, c.packets[c.index].type) << c.name;
        EXPECT_FALSE(violations[0].what.empty()) << c.name;
    }
}

TEST(SimPacketChecker, ResetForgetsViolationsAndOpenItems) {
    SimPacketChecker checker;
    for (const SimPacket &packet : {SimPacket{13, {}}, SimPacket{10, Words({300, 1, 0, 0, 0, 0, 0, 0, 0, 0})}})
        checker.Check(packet);
    EXPECT_EQ(checker.Violations().size(), 1u);
    checker.Reset();
    EXPECT_TRUE(checker.Violations().empty());
    checker.Check({9, Words({0})});
    EXPECT_TRUE(checker.Violations().empty()) << "neither the disconnect nor the message is remembered";
}
