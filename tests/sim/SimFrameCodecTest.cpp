#include "sim/SimFrameCodec.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Bytes = std::vector<std::uint8_t>;

SimFrame Data(int sequence, int type, Bytes payload, int rxLast = 7, int consumed = 7) {
    SimFrame frame;
    frame.sequence = sequence;
    frame.type = type;
    frame.payload = std::move(payload);
    frame.rxLast = rxLast;
    frame.consumed = consumed;
    return frame;
}

SimFrame Control(int kind, int rxLast = 7, int consumed = 7) {
    SimFrame frame;
    frame.control = true;
    frame.kind = kind;
    frame.rxLast = rxLast;
    frame.consumed = consumed;
    return frame;
}

Bytes operator+(Bytes a, const Bytes &b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// What a decoder makes of a byte stream: "F" per frame, "X" per failure.
std::string Results(const Bytes &wire, std::vector<SimFrame> *frames = nullptr) {
    SimFrameDecoder decoder;
    std::string results;
    for (std::uint8_t byte : wire) {
        switch (decoder.Feed(byte)) {
        case SimFrameDecoder::Result::Frame:
            results += 'F';
            if (frames)
                frames->push_back(decoder.Frame());
            break;
        case SimFrameDecoder::Result::Failure:
            results += 'X';
            break;
        case SimFrameDecoder::Result::None:
            break;
        }
    }
    return results;
}

} // namespace

TEST(SimFrameCodec, GoldenFrames) {
    struct Case {
        const char *what;
        SimFrame frame;
        Bytes wire;
    };
    const Case cases[] = {
        {"acknowledge, last received 7, consumed 7", Control(SimAck), {0x16, 0x87, 0x87, 0xD6, 0xB0, 0xAB}},
        {"first packet of type 21, no payload", Data(0, 21, {}), {0x16, 0x47, 0x87, 0x95, 0x80, 0xD7, 0xA0, 0xD7}},
        {"first packet of type 6 with 0x16",
         Data(0, 6, {0x16}),
         {0x16, 0x47, 0x87, 0x86, 0x81, 0x10, 0x36, 0xD4, 0x8E, 0x8F}},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(SimEncodeFrame(c.frame), c.wire) << c.what;
        std::vector<SimFrame> decoded;
        EXPECT_EQ(Results(c.wire, &decoded), "F") << c.what;
    }
}

TEST(SimFrameCodec, CrcIsArcOverTheEscapedBytes) {
    const std::string check = "123456789";
    EXPECT_EQ(SimCrc16(reinterpret_cast<const std::uint8_t *>(check.data()), check.size()), 0xBB3D);

    const Bytes wire = SimEncodeFrame(Data(3, 300, {0x10, 0x16, 0x41}, 2, 5));
    // 0x16, H1, H2, T, L, then 0x10 0x30, 0x10 0x36, 0x41, trailer.
    ASSERT_EQ(wire.size(), 5u + 5u + 3u);
    EXPECT_EQ(Bytes(wire.begin() + 5, wire.begin() + 10), (Bytes{0x10, 0x30, 0x10, 0x36, 0x41}));
    const std::uint16_t crc = SimCrc16(wire.data(), 10);
    EXPECT_EQ(wire[10], 0xD4 | (crc & 3));
    EXPECT_EQ(wire[11], 0x80 | ((crc >> 2) & 0x7F));
    EXPECT_EQ(wire[12], 0x80 | ((crc >> 9) & 0x7F));
}

TEST(SimFrameCodec, LongestPayloadAndHighestTypeRoundTrip) {
    Bytes payload(256);
    for (std::size_t i = 0; i < payload.size(); ++i)
        payload[i] = std::uint8_t(i);
    const Bytes wire = SimEncodeFrame(Data(6, 511, payload, 4, 1));
    EXPECT_EQ(wire[2], 0x80 | 3 << 5 | 2 << 3 | 1);
    EXPECT_EQ(wire[3], 0xFF);
    EXPECT_EQ(wire[4], 0x80);
    std::vector<SimFrame> frames;
    ASSERT_EQ(Results(wire, &frames), "F");
    EXPECT_EQ(frames[0].type, 511);
    EXPECT_EQ(frames[0].sequence, 6);
    EXPECT_EQ(frames[0].rxLast, 4);
    EXPECT_EQ(frames[0].consumed, 1);
    EXPECT_EQ(frames[0].payload, payload);
}

TEST(SimFrameCodec, ReceiverTable) {
    const Bytes good = SimEncodeFrame(Data(1, 9, {1, 2, 3}));
    const Bytes ack = SimEncodeFrame(Control(SimAck, 3, 4));
    Bytes badCrcData = good;
    badCrcData[5] ^= 0x01;
    Bytes badCrcControl = ack;
    badCrcControl[4] ^= 0x01;
    const Bytes cut = Bytes(good.begin(), good.begin() + 6); // header and one payload byte, then a new frame
    Bytes escapeBeforeEscape = Bytes(good.begin(), good.begin() + 5) + Bytes{0x10, 0x10};
    Bytes typeZero = {0x16, 0x47, 0x87, 0x80, 0x81, 0x05};
    Bytes tooLong = {0x16, 0x47, 0x9F, 0x81, 0x81, 0x05}; // length 385
    Bytes headerWithoutBit7 = {0x16, 0x47, 0x07, 0x81, 0x81};
    Bytes controlWithLengthBits = {0x16, 0x87, 0x8F, 0xD4, 0x80, 0x80};
    Bytes trailerCut = Bytes(good.begin(), good.end() - 2); // 0x16 of the next frame arrives as T2

    struct Case {
        const char *what;
        Bytes wire;
        const char *results;
    };
    const Case cases[] = {
        {"a good frame", good, "F"},
        {"noise before a frame is skipped", Bytes{0x00, 0xD4, 0x10, 0x80} + good, "F"},
        {"payload cut by a new 0x16: one failure, the 0x16 starts the next frame", cut + good, "XF"},
        {"escape followed by 0x10 ends the payload", escapeBeforeEscape + good, "XF"},
        {"data frame with a wrong CRC", badCrcData + good, "XF"},
        {"control frame with a wrong CRC is ignored", badCrcControl + ack, "F"},
        {"type 0 is noise", typeZero + good, "F"},
        {"length above 256 is noise", tooLong + good, "F"},
        {"header byte without bit 7 is noise", headerWithoutBit7 + good, "F"},
        {"control H2 with bits 6-3 set is noise", controlWithLengthBits + ack, "F"},
        {"trailer cut by a new frame", trailerCut + good, "XF"},
        {"0x16 as H1 restarts", Bytes{0x16} + good, "F"},
        {"two frames back to back", good + ack + good, "FFF"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Results(c.wire), c.results) << c.what;
}

TEST(SimFrameCodec, ControlKindsAndSequenceFieldsSurvive) {
    for (int kind = 0; kind < 8; ++kind) {
        std::vector<SimFrame> frames;
        ASSERT_EQ(Results(SimEncodeFrame(Control(kind, kind ^ 5, 7 - kind)), &frames), "F");
        EXPECT_TRUE(frames[0].control);
        EXPECT_EQ(frames[0].kind, kind);
        EXPECT_EQ(frames[0].rxLast, kind ^ 5);
        EXPECT_EQ(frames[0].consumed, 7 - kind);
    }
}
