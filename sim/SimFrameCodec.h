#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The instrument's side of the framing on the DSP channel, kept apart from the program's own codec so
// that the two check each other.
//
// Frame: 0x16, H1, H2, [T, L, escaped payload], T1, T2, T3.
//   data:    H1 = 01 sss rrr, H2 = 1 tt ll ccc, T = 0x80 | type bits 6-0, L = 0x80 | length bits 6-0
//   control: H1 = 10 kkk rrr, H2 = 1 0000 ccc
//   s sequence, r sender's last in-sequence received, c sender's last consumed slot, k control kind;
//   payload bytes 0x16 and 0x10 travel as 0x10, byte ^ 0x20;
//   trailer: 0xD4 | crc bits 1-0, 0x80 | crc bits 8-2, 0x80 | crc bits 15-9, the CRC-16/ARC of the
//   frame as sent from the 0x16 to the last payload byte.

constexpr std::uint8_t SimStartByte = 0x16;
constexpr std::uint8_t SimEscapeByte = 0x10;
constexpr int SimMaxPayload = 256;
constexpr int SimMaxType = 511;

enum SimControlKind : int { SimAck = 0, SimReject = 1, SimAnswer = 2, SimQuery = 3, SimBreak = 4 };

struct SimFrame {
    bool control = false;
    int kind = 0;     // control frames
    int sequence = 0; // data frames
    int rxLast = 7;
    int consumed = 7;
    int type = 0; // data frames: 1 to 511
    std::vector<std::uint8_t> payload;
};

// CRC-16/ARC, bit by bit: reflected polynomial 0xA001, initial value 0, no final XOR.
std::uint16_t SimCrc16(const std::uint8_t *data, std::size_t size, std::uint16_t crc = 0);

std::vector<std::uint8_t> SimEncodeFrame(const SimFrame &frame);

// Takes the wire byte by byte. A data frame whose header passed but whose payload is cut short (by a
// 0x16, or an escape before 0x16 or 0x10) or whose trailer is wrong is a failure, which the receiver
// answers with a reject; a bad header, a type of 0, a length above 256 and any bad control frame are
// skipped silently. Every 0x16 starts a new frame, also the one that cut the previous.
class SimFrameDecoder {
public:
    enum class Result { None, Frame, Failure };

    Result Feed(std::uint8_t byte);
    const SimFrame &Frame() const { return frame_; }
    void Reset() { state_ = State::Hunt; }

private:
    enum class State { Hunt, H1, H2, T, L, Payload, Escape, Trailer1, Trailer2, Trailer3 };

    Result Abandon();
    void EndOfBody();

    State state_ = State::Hunt;
    SimFrame frame_;
    std::uint8_t h2_ = 0;
    int length_ = 0;
    std::uint16_t crc_ = 0;
    std::uint16_t bodyCrc_ = 0;
};
