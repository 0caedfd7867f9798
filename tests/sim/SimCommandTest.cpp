#include "sim/SimCommand.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

using Bytes = std::vector<std::uint8_t>;

struct DecodeCase {
    const char *what;
    SimPacket packet;
    const char *label;
    std::vector<SimField> fields;
};

// Packets written byte by byte from the packet tables, with the fields they carry.
const DecodeCase DecodeCases[] = {
    {"mode of connection type 2 at 2560 kHz",
     {2, {2, 0, 2, 0, 1, 0, 6, 0, 1, 0, 2, 0, 3, 0, 6, 0, 5, 0, 0, 0}},
     "2",
     {{"connection", 2},
      {"rate", 2},
      {"c", 1},
      {"b", 6},
      {"one", 1},
      {"rate2", 2},
      {"a", 3},
      {"gen_impedance", 6},
      {"meter_impedance", 5},
      {"input_range", 0}}},
    {"logic data", {3, {0xAA, 0xBB, 0xCC}}, "3", {{"bytes", 3}}},
    {"relay word 12", {4, {12, 0}}, "4", {{"relay", 12}}},
    {"block size 32768 with SYNC on the falling edge",
     {5, {0x00, 0x80, 2, 0, 1, 0, 40, 0}},
     "5(32768)",
     {{"n", 32768}, {"sync_mode", 2}, {"edge", 1}, {"delay", 40}}},
    {"block size 0", {5, Bytes(8, 0)}, "5(0)", {{"n", 0}, {"sync_mode", 0}, {"edge", 0}, {"delay", 0}}},
    {"mute",
     {6, {0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
     "6 mute",
     {{"kind", 0},
      {"range", 1},
      {"code", 0},
      {"length", 0},
      {"k0", 0},
      {"k1", 0},
      {"k2", 0},
      {"zero", 0},
      {"phase_step", 0}}},
    {"sine, lowered stage, negative calibration word",
     {6, {1, 0, 0xFF, 0xFF, 0xA5, 0x17, 0x60, 0x04, 0x64, 0, 0x38, 0xFF, 0x2C, 0x01, 0, 0, 0x9A, 0x99, 0x99, 0x01}},
     "6 sin",
     {{"kind", 1},
      {"range", -1},
      {"code", 6053},
      {"length", 1120},
      {"k0", 100},
      {"k1", -200},
      {"k2", 300},
      {"zero", 0},
      {"phase_step", 0x0199999A}}},
    {"multitone",
     {6, {3, 0, 0, 0, 0x5D, 0x02, 100, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 0, 2, 0}},
     "6 multi",
     {{"kind", 3},
      {"range", 0},
      {"code", 605},
      {"length", 100},
      {"k0", 0},
      {"k1", 0},
      {"k2", 0},
      {"zero", 0},
      {"first", 3},
      {"step", 2}}},
    {"noise", {6, {2, 0, 1, 0, 0xDE, 0x04, 0, 0x20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}}, "6 noise", {}},
    {"pseudo-random", {6, {4, 0, 0, 0, 1, 0, 0xFE, 0x07, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}}, "6 rnd", {}},
    {"meter frames for noise",
     {7, {0x78, 0x56, 0x34, 0x12, 2, 0, 1, 0, 0xFE, 0xFF, 3, 0, 4, 0, 5, 0}},
     "7",
     {{"setting", 0x12345678}, {"kind", 2}, {"w1", 1}, {"w2", -2}, {"w3", 3}, {"w4", 4}, {"w5", 5}}},
    {"message abort", {8, {}}, "8", {}},
    {"message mode", {9, {1, 0}}, "9", {{"exchange", 1}}},
    {"message header: 300 words, counter 3, identifier 0x45",
     {10, {0x36, 0x01, 0x45, 0x03, 1, 0, 0xFF, 0xFF, 0xD2, 0x04, 41, 0, 10, 0, 7, 0, 8, 0, 0xF7, 0xFF}},
     "10",
     {{"total", 310},
      {"id", 0x45},
      {"counter", 3},
      {"reliable", 1},
      {"range", -1},
      {"code", 1234},
      {"first", 41},
      {"width", 10},
      {"k0", 7},
      {"k1", 8},
      {"k2", -9}}},
    {"message body", {11, Bytes(256, 0x16)}, "11", {{"words", 128}}},
    {"disconnect", {13, {}}, "13", {}},
    {"SYNC on, edge mode 3", {17, {1, 0, 3, 0}}, "17", {{"on", 1}, {"edge_mode", 3}}},
    {"selective set-up",
     {18, {0x66, 0x66, 0x06, 0x00, 0x00, 0x28, 0,    0, 2,   0, 2,    0,    0xFF, 0xFF, 0, 0,
           1,    0,    0xDC, 0x05, 0x2C, 0x01, 0xE8, 3, 130, 0, 0xFF, 0xFF, 0,    0,    0, 0x0A}},
     "18",
     {{"unit", 419430},
      {"points", 10240},
      {"p3", 2},
      {"p4", 2},
      {"p5", -1},
      {"p6", 0},
      {"p7", 1},
      {"p8", 1500},
      {"p9", 300},
      {"p10", 1000},
      {"count", 130},
      {"sign", -1},
      {"shift", 0x0A000000}}},
    {"selective entries", {19, Bytes(12, 0)}, "19", {{"entries", 3}}},
    {"selective levels", {20, Bytes(6, 0)}, "20", {{"levels", 3}}},
};

TEST(SimCommand, DecodesEveryCommandFromItsPacketLayout) {
    for (const DecodeCase &c : DecodeCases) {
        SCOPED_TRACE(c.what);
        const SimLayout *layout = SimFindLayout(c.packet.type);
        ASSERT_NE(layout, nullptr);
        ASSERT_TRUE(SimFitsLayout(*layout, c.packet.payload.size()));
        const SimCommand command = SimDecodeCommand(c.packet);
        EXPECT_EQ(command.Label(), c.label);
        EXPECT_EQ(command.name, layout->name);
        EXPECT_EQ(command.payload, c.packet.payload);
        if (c.fields.empty())
            continue;
        ASSERT_EQ(command.fields.size(), c.fields.size());
        for (std::size_t i = 0; i < c.fields.size(); ++i) {
            EXPECT_EQ(command.fields[i].name, c.fields[i].name) << i;
            EXPECT_EQ(command.fields[i].value, c.fields[i].value) << c.fields[i].name;
        }
    }
}

TEST(SimCommand, LayoutsBoundTheLengthsAndUnknownFieldsThrow) {
    EXPECT_EQ(SimFindLayout(12), nullptr) << "the program never sends packet 12";
    EXPECT_EQ(SimFindLayout(SimRelayRegisterWrite), nullptr);
    const SimLayout &entries = *SimFindLayout(19);
    EXPECT_FALSE(SimFitsLayout(entries, 6));
    EXPECT_FALSE(SimFitsLayout(entries, 260));
    EXPECT_TRUE(SimFitsLayout(entries, 256));
    EXPECT_TRUE(SimFitsLayout(*SimFindLayout(8), 0));
    EXPECT_FALSE(SimFitsLayout(*SimFindLayout(8), 2));

    const SimCommand relay = SimRelayCommand(0x4A);
    EXPECT_EQ(relay.Label(), "relays");
    EXPECT_EQ(relay.Field("value"), 0x4A);
    EXPECT_THROW(relay.Field("relay"), std::out_of_range);
    EXPECT_FALSE(SimDecodeCommand({9, {1, 0}}).Find("n").has_value());
}

} // namespace
