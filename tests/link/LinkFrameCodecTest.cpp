#include "link/LinkFrameCodec.h"
#include "sim/SimFrameCodec.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes DataFrame(int sequence, int rxLast, int consumed, int type, const Bytes &payload) {
    LinkSlot slot;
    slot.Type = std::uint32_t(type);
    slot.Length = std::uint32_t(payload.size());
    std::copy(payload.begin(), payload.end(), slot.Payload);
    Bytes out(LinkMaxFrameBytes);
    out.resize(EncodeDataFrame(out.data(), sequence, rxLast, consumed, slot));
    return out;
}

Bytes ControlFrame(LinkControlKind kind, int rxLast, int consumed) {
    Bytes out(LinkMaxFrameBytes);
    out.resize(EncodeControlFrame(out.data(), kind, rxLast, consumed));
    return out;
}

// What the decoder made of a byte stream: "F<type>/<length>" for a data frame, "C<kind>" for a control
// frame, "X" for a failure.
std::string Decode(const Bytes &wire, std::vector<LinkFrame> *frames = nullptr) {
    LinkFrameDecoder decoder;
    std::string events;
    for (std::uint8_t byte : wire) {
        switch (decoder.Feed(byte)) {
        case LinkFrameDecoder::Result::Frame: {
            const LinkFrame &frame = decoder.Frame();
            events += frame.IsControl()
                          ? "C" + std::to_string(frame.Kind())
                          : "F" + std::to_string(frame.Packet.Type) + "/" + std::to_string(frame.Packet.Length);
            events += ' ';
            if (frames)
                frames->push_back(frame);
            break;
        }
        case LinkFrameDecoder::Result::Failure:
            events += "X ";
            break;
        case LinkFrameDecoder::Result::None:
            break;
        }
    }
    return events;
}

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes &part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

TEST(LinkFrameCodec, GoldenFrames) {
    EXPECT_EQ(ControlFrame(LinkAck, 7, 7), (Bytes{0x16, 0x87, 0x87, 0xD6, 0xB0, 0xAB}));
    EXPECT_EQ(DataFrame(0, 7, 7, 21, {}), (Bytes{0x16, 0x47, 0x87, 0x95, 0x80, 0xD7, 0xA0, 0xD7}));
    EXPECT_EQ(DataFrame(0, 7, 7, 6, {0x16}), (Bytes{0x16, 0x47, 0x87, 0x86, 0x81, 0x10, 0x36, 0xD4, 0x8E, 0x8F}));
}

TEST(LinkFrameCodec, FullPayloadAndHighTypeBits) {
    const Bytes frame = DataFrame(3, 2, 5, 511, Bytes(256, 0x41));
    ASSERT_EQ(frame.size(), 5u + 256 + 3);
    EXPECT_EQ(frame[1], 0x40 | 3 << 3 | 2);
    EXPECT_EQ(frame[2], 0x80 | 3 << 5 | 2 << 3 | 5); // type bits 8-7 = 3, length bits 8-7 = 2
    EXPECT_EQ(frame[3], 0xFF);
    EXPECT_EQ(frame[4], 0x80); // L of a 256-byte payload
    EXPECT_EQ(Decode(frame), "F511/256 ");
}

TEST(LinkFrameCodec, EscapedBytesArriveUnchanged) {
    const Bytes payload{0x16, 0x10, 0x00, 0x36, 0x30, 0x16};
    const Bytes frame = DataFrame(0, 7, 7, 9, payload);
    EXPECT_EQ(Bytes(frame.begin() + 5, frame.end() - 3), (Bytes{0x10, 0x36, 0x10, 0x30, 0x00, 0x36, 0x30, 0x10, 0x36}));
    std::vector<LinkFrame> frames;
    ASSERT_EQ(Decode(frame, &frames), "F9/6 ");
    EXPECT_EQ(Bytes(frames[0].Packet.Payload, frames[0].Packet.Payload + 6), payload);
}

// Both ends were written apart; each must read what the other writes, for every type, length and byte.
TEST(LinkFrameCodec, AgreesWithTheInstrumentSide) {
    std::mt19937 random(20240501);
    for (int n = 0; n < 2000; ++n) {
        const int type = 1 + int(random() % 511);
        Bytes payload(random() % 257);
        for (auto &byte : payload) // plenty of start and escape bytes
            byte = random() % 4 == 0 ? (random() % 2 ? 0x16 : 0x10) : std::uint8_t(random());
        const int sequence = int(random() % 8), rxLast = int(random() % 8), consumed = int(random() % 8);

        SimFrame theirs;
        theirs.sequence = sequence;
        theirs.rxLast = rxLast;
        theirs.consumed = consumed;
        theirs.type = type;
        theirs.payload = payload;
        const Bytes ours = DataFrame(sequence, rxLast, consumed, type, payload);
        ASSERT_EQ(ours, SimEncodeFrame(theirs)) << "packet " << n;

        std::vector<LinkFrame> frames;
        ASSERT_EQ(Decode(SimEncodeFrame(theirs), &frames),
                  "F" + std::to_string(type) + "/" + std::to_string(payload.size()) + " ");
        EXPECT_EQ(frames[0].Sequence(), sequence);
        EXPECT_EQ(frames[0].PeerRxLast(), rxLast);
        EXPECT_EQ(frames[0].PeerConsumed(), consumed);
        EXPECT_EQ(Bytes(frames[0].Packet.Payload, frames[0].Packet.Payload + payload.size()), payload);
    }
    for (int kind = 0; kind < 8; ++kind) {
        SimFrame control;
        control.control = true;
        control.kind = kind;
        control.rxLast = kind ^ 5;
        control.consumed = kind ^ 2;
        EXPECT_EQ(ControlFrame(LinkControlKind(kind), kind ^ 5, kind ^ 2), SimEncodeFrame(control)) << kind;
    }
}

struct ReceiverCase {
    const char *name;
    Bytes wire;
    const char *events;
};

TEST(LinkFrameCodec, ReceiverTable) {
    const Bytes good = DataFrame(1, 7, 7, 21, {1, 2, 3});
    const Bytes ack = ControlFrame(LinkAck, 3, 4);
    Bytes badCrc = good;
    badCrc[badCrc.size() - 2] ^= 0x01;
    Bytes badControlCrc = ack;
    badControlCrc[4] ^= 0x01;
    Bytes longHeader = DataFrame(1, 7, 7, 21, {});
    longHeader[2] |= 2 << 3; // length bits 8-7 = 2
    longHeader[4] = 0x81;    // 257
    Bytes typeZero = DataFrame(1, 7, 7, 21, {});
    typeZero[3] = 0x80;
    Bytes escapeEscape = DataFrame(1, 7, 7, 21, {0x10, 0x41});
    escapeEscape[6] = 0x10; // the escape now precedes an escape byte

    const ReceiverCase cases[] = {
        {"good frame after noise", Join({{0x00, 0xFF, 0x87, 0x41}, good}), "F21/3 "},
        {"payload cut by a new start byte", Join({Bytes(good.begin(), good.begin() + 6), ack}), "X C0 "},
        {"escape before a start byte", Join({{0x16, 0x47, 0x87, 0x95, 0x82, 0x10}, good}), "X F21/3 "},
        {"escape before an escape byte", Join({escapeEscape, good}), "X F21/3 "},
        {"data frame with a wrong CRC", Join({badCrc, ack}), "X C0 "},
        {"control frame with a wrong CRC is ignored", Join({badControlCrc, good}), "F21/3 "},
        {"length above 256 is noise", Join({longHeader, Bytes(300, 0x41), good}), "F21/3 "},
        {"type 0 is noise", Join({typeZero, good}), "F21/3 "},
        {"control H2 with bits 6-3 set", Join({{0x16, 0x87, 0x8F, 0xD4, 0x80, 0x80}, ack}), "C0 "},
        {"H1 neither data nor control", Join({{0x16, 0xC7, 0x87}, {0x16, 0x07}, good}), "F21/3 "},
        {"start byte inside a header", Join({{0x16, 0x47}, good}), "F21/3 "},
        {"frame cut in the trailer", Join({Bytes(good.begin(), good.end() - 1), good}), "X F21/3 "},
        {"back to back", Join({good, ack, good}), "F21/3 C0 F21/3 "},
    };
    for (const ReceiverCase &c : cases)
        EXPECT_EQ(Decode(c.wire), c.events) << c.name;
}

} // namespace
