#include "sim/SimFrameCodec.h"

std::uint16_t SimCrc16(const std::uint8_t *data, std::size_t size, std::uint16_t crc) {
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? std::uint16_t((crc >> 1) ^ 0xA001) : std::uint16_t(crc >> 1);
    }
    return crc;
}

std::vector<std::uint8_t> SimEncodeFrame(const SimFrame &frame) {
    std::vector<std::uint8_t> wire{SimStartByte};
    if (frame.control) {
        wire.push_back(std::uint8_t(0x80 | (frame.kind & 7) << 3 | (frame.rxLast & 7)));
        wire.push_back(std::uint8_t(0x80 | (frame.consumed & 7)));
    } else {
        const int length = int(frame.payload.size());
        wire.push_back(std::uint8_t(0x40 | (frame.sequence & 7) << 3 | (frame.rxLast & 7)));
        wire.push_back(
            std::uint8_t(0x80 | ((frame.type >> 7) & 3) << 5 | ((length >> 7) & 3) << 3 | (frame.consumed & 7)));
        wire.push_back(std::uint8_t(0x80 | (frame.type & 0x7F)));
        wire.push_back(std::uint8_t(0x80 | (length & 0x7F)));
        for (std::uint8_t byte : frame.payload) {
            if (byte == SimStartByte || byte == SimEscapeByte) {
                wire.push_back(SimEscapeByte);
                wire.push_back(byte ^ 0x20);
            } else {
                wire.push_back(byte);
            }
        }
    }
    const std::uint16_t crc = SimCrc16(wire.data(), wire.size());
    wire.push_back(std::uint8_t(0xD4 | (crc & 3)));
    wire.push_back(std::uint8_t(0x80 | ((crc >> 2) & 0x7F)));
    wire.push_back(std::uint8_t(0x80 | ((crc >> 9) & 0x7F)));
    return wire;
}

SimFrameDecoder::Result SimFrameDecoder::Abandon() {
    const bool dataBodyStarted =
        !frame_.control && (state_ == State::Payload || state_ == State::Escape || state_ == State::Trailer1 ||
                            state_ == State::Trailer2 || state_ == State::Trailer3);
    state_ = State::Hunt;
    return dataBodyStarted ? Result::Failure : Result::None;
}

void SimFrameDecoder::EndOfBody() {
    bodyCrc_ = crc_;
    state_ = State::Trailer1;
}

SimFrameDecoder::Result SimFrameDecoder::Feed(std::uint8_t byte) {
    if (byte == SimStartByte) {
        const Result result = Abandon();
        crc_ = SimCrc16(&byte, 1);
        state_ = State::H1;
        return result;
    }
    crc_ = SimCrc16(&byte, 1, crc_);
    switch (state_) {
    case State::Hunt:
        return Result::None;
    case State::H1:
        if ((byte >> 6) == 1 || (byte >> 6) == 2) {
            frame_ = SimFrame();
            frame_.control = (byte >> 6) == 2;
            frame_.kind = (byte >> 3) & 7;
            frame_.sequence = (byte >> 3) & 7;
            frame_.rxLast = byte & 7;
            state_ = State::H2;
            return Result::None;
        }
        return Abandon();
    case State::H2:
        if (!(byte & 0x80) || (frame_.control && (byte & 0x78)))
            return Abandon();
        frame_.consumed = byte & 7;
        h2_ = byte;
        if (frame_.control) {
            frame_.kind = frame_.sequence;
            frame_.sequence = 0;
            EndOfBody();
        } else {
            frame_.kind = 0;
            state_ = State::T;
        }
        return Result::None;
    case State::T:
        frame_.type = ((h2_ >> 5) & 3) << 7 | (byte & 0x7F);
        if (!(byte & 0x80) || frame_.type == 0)
            return Abandon();
        state_ = State::L;
        return Result::None;
    case State::L:
        length_ = ((h2_ >> 3) & 3) << 7 | (byte & 0x7F);
        if (!(byte & 0x80) || length_ > SimMaxPayload)
            return Abandon();
        if (length_ == 0)
            EndOfBody();
        else
            state_ = State::Payload;
        return Result::None;
    case State::Payload:
        if (byte == SimEscapeByte) {
            state_ = State::Escape;
            return Result::None;
        }
        frame_.payload.push_back(byte);
        if (int(frame_.payload.size()) == length_)
            EndOfBody();
        return Result::None;
    case State::Escape:
        if (byte == SimEscapeByte)
            return Abandon();
        frame_.payload.push_back(byte ^ 0x20);
        if (int(frame_.payload.size()) == length_)
            EndOfBody();
        else
            state_ = State::Payload;
        return Result::None;
    case State::Trailer1:
        if ((byte & 0xFC) != 0xD4 || (byte & 3) != (bodyCrc_ & 3))
            return Abandon();
        state_ = State::Trailer2;
        return Result::None;
    case State::Trailer2:
        if (byte != (0x80 | ((bodyCrc_ >> 2) & 0x7F)))
            return Abandon();
        state_ = State::Trailer3;
        return Result::None;
    case State::Trailer3:
        if (byte != (0x80 | ((bodyCrc_ >> 9) & 0x7F)))
            return Abandon();
        state_ = State::Hunt;
        return Result::Frame;
    }
    return Result::None;
}
