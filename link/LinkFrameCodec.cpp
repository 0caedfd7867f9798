#include "link/LinkFrameCodec.h"

#include "chartlib/Chartlib.h"

namespace {

constexpr std::uint8_t TrailerMark = 0xD4;

// Appends the trailer for the CRC of everything written so far.
std::size_t PutTrailer(std::uint8_t *out, std::size_t size) {
    std::uint16_t crc = 0;
    for (std::size_t i = 0; i < size; ++i)
        crc = LinkCrcStep(crc, out[i]);
    out[size] = std::uint8_t(TrailerMark | (crc & 3));
    out[size + 1] = std::uint8_t(0x80 | ((crc >> 2) & 0x7F));
    out[size + 2] = std::uint8_t(0x80 | ((crc >> 9) & 0x7F));
    return size + 3;
}

} // namespace

std::uint16_t LinkCrcStep(std::uint16_t crc, std::uint8_t byte) {
    static const std::span<const std::uint16_t, 256> table = Crc16Table();
    return std::uint16_t((crc >> 8) ^ table[(crc ^ byte) & 0xFF]);
}

std::size_t EncodeDataFrame(std::uint8_t *out, int sequence, int rxLast, int rxConsumed, const LinkSlot &packet) {
    const std::uint32_t type = packet.Type & 0x1FF;
    const std::uint32_t length = packet.Length < LinkMaxPayload ? packet.Length : LinkMaxPayload;
    std::size_t size = 0;
    out[size++] = LinkStartByte;
    out[size++] = std::uint8_t(0x40 | (sequence & 7) << 3 | (rxLast & 7));
    out[size++] = std::uint8_t(0x80 | (type >> 7) << 5 | (length >> 7) << 3 | (rxConsumed & 7));
    out[size++] = std::uint8_t(0x80 | (type & 0x7F));
    out[size++] = std::uint8_t(0x80 | (length & 0x7F));
    for (std::uint32_t i = 0; i < length; ++i) {
        const std::uint8_t byte = packet.Payload[i];
        if (byte == LinkStartByte || byte == LinkEscapeByte) {
            out[size++] = LinkEscapeByte;
            out[size++] = byte ^ 0x20;
        } else {
            out[size++] = byte;
        }
    }
    return PutTrailer(out, size);
}

std::size_t EncodeControlFrame(std::uint8_t *out, LinkControlKind kind, int rxLast, int rxConsumed) {
    out[0] = LinkStartByte;
    out[1] = std::uint8_t(0x80 | (kind & 7) << 3 | (rxLast & 7));
    out[2] = std::uint8_t(0x80 | (rxConsumed & 7));
    return PutTrailer(out, 3);
}

LinkFrameDecoder::Result LinkFrameDecoder::Start() {
    state_ = State::H1;
    headerPassed_ = false;
    crc_ = LinkCrcStep(0, LinkStartByte);
    return Result::None;
}

LinkFrameDecoder::Result LinkFrameDecoder::BodyDone() {
    bodyCrc_ = crc_;
    state_ = State::Trailer1;
    return Result::None;
}

LinkFrameDecoder::Result LinkFrameDecoder::Abandon(std::uint8_t byte) {
    const Result result = headerPassed_ ? Result::Failure : Result::None;
    if (byte == LinkStartByte)
        Start();
    else
        state_ = State::Hunt;
    return result;
}

LinkFrameDecoder::Result LinkFrameDecoder::Feed(std::uint8_t byte) {
    if (state_ == State::Hunt)
        return byte == LinkStartByte ? Start() : Result::None;
    if (byte == LinkStartByte)
        return Abandon(byte);
    crc_ = LinkCrcStep(crc_, byte);
    LinkSlot &packet = frame_.Packet;
    switch (state_) {
    case State::H1:
        frame_.H1 = byte;
        if ((byte & 0xC0) == 0x40 || (byte & 0xC0) == 0x80) {
            state_ = State::H2;
            return Result::None;
        }
        return Abandon(byte);
    case State::H2:
        frame_.H2 = byte;
        if (frame_.IsControl())
            return (byte & 0xF8) == 0x80 ? BodyDone() : Abandon(byte);
        if (!(byte & 0x80))
            return Abandon(byte);
        state_ = State::T;
        return Result::None;
    case State::T:
        packet.Type = std::uint32_t(frame_.H2 >> 5 & 3) << 7 | (byte & 0x7F);
        if (!(byte & 0x80) || packet.Type == 0)
            return Abandon(byte);
        state_ = State::L;
        return Result::None;
    case State::L:
        packet.Length = std::uint32_t(frame_.H2 >> 3 & 3) << 7 | (byte & 0x7F);
        if (!(byte & 0x80) || packet.Length > LinkMaxPayload) {
            packet.Length = 0;
            return Abandon(byte);
        }
        headerPassed_ = true;
        received_ = 0;
        if (packet.Length == 0)
            return BodyDone();
        state_ = State::Payload;
        return Result::None;
    case State::Payload:
        if (byte == LinkEscapeByte) {
            state_ = State::Escape;
            return Result::None;
        }
        packet.Payload[received_++] = byte;
        return received_ == packet.Length ? BodyDone() : Result::None;
    case State::Escape:
        if (byte == LinkEscapeByte)
            return Abandon(byte);
        packet.Payload[received_++] = byte ^ 0x20;
        state_ = State::Payload;
        return received_ == packet.Length ? BodyDone() : Result::None;
    case State::Trailer1:
        if ((byte & 0xFC) != TrailerMark || (byte & 3) != (bodyCrc_ & 3))
            return Abandon(byte);
        state_ = State::Trailer2;
        return Result::None;
    case State::Trailer2:
        if (!(byte & 0x80) || (byte & 0x7F) != ((bodyCrc_ >> 2) & 0x7F))
            return Abandon(byte);
        state_ = State::Trailer3;
        return Result::None;
    case State::Trailer3:
        if (!(byte & 0x80) || (byte & 0x7F) != ((bodyCrc_ >> 9) & 0x7F))
            return Abandon(byte);
        state_ = State::Hunt;
        return Result::Frame;
    case State::Hunt:
        break;
    }
    return Result::None;
}

bool IsFaultReport(const LinkFrame &frame) {
    return !frame.IsControl() && frame.Packet.Type == LinkMaxType;
}

std::int16_t FaultWord(const LinkSlot &packet, std::uint32_t offset) {
    if (packet.Length < offset + 2)
        return 0;
    return std::int16_t(packet.Payload[offset] | packet.Payload[offset + 1] << 8);
}
