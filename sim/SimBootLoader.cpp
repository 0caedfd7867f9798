#include "sim/SimBootLoader.h"

namespace {

constexpr std::uint8_t Preamble[] = {0x08, 0xAA, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80};

} // namespace

std::uint8_t SimReverseBits(std::uint8_t byte) {
    std::uint8_t reversed = 0;
    for (int bit = 0; bit < 8; ++bit)
        if (byte & (1 << bit))
            reversed |= std::uint8_t(0x80 >> bit);
    return reversed;
}

void SimBootLoader::Reset() {
    state_ = State::Preamble;
    field_.clear();
    preambleSeen_ = 0;
    words_ = 0;
    current_ = SimLoadedRecord();
    records_.clear();
}

bool SimBootLoader::Started() const {
    return state_ == State::Done && reply_.size() == 2 && reply_[0] == '3' && reply_[1] == 0x89;
}

void SimBootLoader::Receive(const std::uint8_t *data, std::size_t size, std::vector<std::uint8_t> &reply) {
    for (std::size_t i = 0; i < size; ++i)
        Take(SimReverseBits(data[i]), reply);
}

void SimBootLoader::Take(std::uint8_t byte, std::vector<std::uint8_t> &reply) {
    if (state_ == State::Preamble) {
        if (byte != Preamble[preambleSeen_]) {
            state_ = State::Lost;
            return;
        }
        if (++preambleSeen_ == sizeof Preamble)
            state_ = State::Count;
        return;
    }
    if (state_ == State::Done || state_ == State::Lost)
        return;
    if (state_ == State::Data) {
        current_.data.push_back(byte);
        if (current_.data.size() == 2u * words_) {
            records_.push_back(std::move(current_));
            current_ = SimLoadedRecord();
            state_ = State::Count;
        }
        return;
    }
    field_.push_back(byte);
    if (field_.size() < 2)
        return;
    const std::uint16_t value = std::uint16_t(field_[0] << 8 | field_[1]);
    field_.clear();
    switch (state_) {
    case State::Count:
        words_ = value;
        if (words_ == 0) {
            state_ = State::Done;
            reply.insert(reply.end(), reply_.begin(), reply_.end());
        } else {
            state_ = State::Segment;
        }
        break;
    case State::Segment:
        current_.segment = value;
        state_ = State::Address;
        break;
    case State::Address:
        current_.address = value;
        state_ = State::Data;
        break;
    default:
        break;
    }
}
