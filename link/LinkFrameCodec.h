#pragma once

#include <cstddef>
#include <cstdint>

// Framing of the acknowledged packet links: a start byte, two header bytes, for data frames the type and
// length bytes and the escaped payload, then a three-byte CRC trailer. Every byte but the start byte has
// bit 7 or bit 6 set, so a 0x16 on the wire always begins a frame.
//
//   data frame:    0x16, 01sssrrr, 1ttllccc, T, L, payload, T1, T2, T3
//   control frame: 0x16, 10kkkrrr, 10000ccc, T1, T2, T3
//   s sequence number, r sender's last in-sequence received number, c sender's last consumed slot,
//   k control kind, tt/T type bits 8-7/6-0, ll/L length bits 8-7/6-0;
//   T1 = 0xD4 | crc bits 1-0, T2 = 0x80 | crc bits 8-2, T3 = 0x80 | crc bits 15-9, the CRC-16/ARC of the
//   frame as sent from the 0x16 through the last payload byte.

constexpr std::uint8_t LinkStartByte = 0x16;
constexpr std::uint8_t LinkEscapeByte = 0x10;
constexpr std::uint32_t LinkMaxPayload = 256;
constexpr std::uint32_t LinkMaxType = 511;
// The longest frame: every payload byte escaped.
constexpr std::size_t LinkMaxFrameBytes = 5 + 2 * LinkMaxPayload + 3;

enum LinkControlKind : std::uint8_t { LinkAck = 0, LinkReject = 1, LinkAnswer = 2, LinkQuery = 3, LinkBreak = 4 };

// One packet in a ring slot or in a frame being received.
struct LinkSlot {
    std::uint32_t Type = 0;
    std::uint32_t Length = 0;
    std::uint8_t Payload[LinkMaxPayload] = {};
};

// CRC-16/ARC carried on, one byte at a time.
std::uint16_t LinkCrcStep(std::uint16_t crc, std::uint8_t byte);

// The frames write into `out` (room for LinkMaxFrameBytes) and return the number of bytes written.
// H1 and H2 as sent are returned through the header bytes out[1] and out[2].
std::size_t EncodeDataFrame(std::uint8_t *out, int sequence, int rxLast, int rxConsumed, const LinkSlot &packet);
std::size_t EncodeControlFrame(std::uint8_t *out, LinkControlKind kind, int rxLast, int rxConsumed);

// A frame as the decoder delivers it.
struct LinkFrame {
    std::uint8_t H1 = 0;
    std::uint8_t H2 = 0;
    bool IsControl() const { return (H1 & 0xC0) == 0x80; }
    int Sequence() const { return (H1 >> 3) & 7; } // data frames
    int Kind() const { return (H1 >> 3) & 7; }     // control frames
    int PeerRxLast() const { return H1 & 7; }
    int PeerConsumed() const { return H2 & 7; }
    LinkSlot Packet; // data frames: type and payload
};

// A data frame of type 511 is the peer's fault report; its two values are the signed 16-bit words at
// payload bytes 0-1 and 2-3, low byte first (0 for a word the payload does not hold).
bool IsFaultReport(const LinkFrame &frame);
std::int16_t FaultWord(const LinkSlot &packet, std::uint32_t offset);

// Takes the received bytes one at a time. A data frame whose header passed but whose payload is cut
// short (by a 0x16, or by an escape before 0x16 or 0x10) or whose trailer is wrong is a failure; the
// receiver answers it with a reject. Anything else that is not a frame (a bad header, type 0, a length
// above 256, a damaged control frame) is skipped without a word, and every 0x16 starts a new frame,
// the one that cut the previous included.
class LinkFrameDecoder {
public:
    enum class Result { None, Frame, Failure };

    Result Feed(std::uint8_t byte);
    const LinkFrame &Frame() const { return frame_; }
    void Reset() { state_ = State::Hunt; }

private:
    enum class State { Hunt, H1, H2, T, L, Payload, Escape, Trailer1, Trailer2, Trailer3 };

    Result Start();
    Result BodyDone();
    // A check of the header or trailer failed: a data frame whose header passed is a failure.
    Result Abandon(std::uint8_t byte);

    State state_ = State::Hunt;
    LinkFrame frame_;
    bool headerPassed_ = false; // a data frame's header passed: from here on a fault is a failure
    std::uint16_t crc_ = 0;
    std::uint16_t bodyCrc_ = 0;
    std::uint32_t received_ = 0;
};
