#include "sim/SimI2cBridge.h"

#include <algorithm>

namespace {

constexpr std::uint8_t StatusMark = 0xF0;
constexpr std::uint8_t StatusDone = 0;
constexpr std::uint8_t StatusNoAddressAck = 1;
constexpr std::uint8_t StatusNoDataAck = 2;
constexpr std::uint8_t StatusBusy = 3;
constexpr std::uint8_t RegisterStatus = 4;
constexpr std::uint8_t RegisterRxCount = 6;
constexpr std::size_t SelectionLimit = 512; // bytes kept of one selection; the rest are clocked but ignored

} // namespace

void SimI2cBridge::Reset() {
    std::fill(std::begin(registers_), std::end(registers_), 0);
    registers_[2] = 0x19;
    registers_[RegisterStatus] = StatusMark;
    bufferCount_ = 0;
    running_ = false;
    intHigh_ = true;
    received_.clear();
    bitCount_ = 0;
}

void SimI2cBridge::SetLines(bool reset, bool chipSelect) {
    if (reset) {
        if (!inReset_)
            Reset();
        inReset_ = true;
        selected_ = false;
        return;
    }
    if (inReset_) {
        inReset_ = false;
        Reset();
    }
    if (chipSelect && !selected_) {
        selected_ = true;
        received_.clear();
        bitCount_ = 0;
        inByte_ = 0;
    } else if (!chipSelect && selected_) {
        selected_ = false;
        EndSelection();
    }
}

std::uint8_t SimI2cBridge::Shift(std::uint8_t mosi, int bits) {
    std::uint8_t miso = 0;
    for (int i = 0; i < bits; ++i) {
        if (!selected_) {
            miso = std::uint8_t(miso << 1 | 1);
            continue;
        }
        if (bitCount_ == 0)
            outByte_ = OutputAt(received_.size());
        miso = std::uint8_t(miso << 1 | ((outByte_ >> (7 - bitCount_)) & 1));
        inByte_ = std::uint8_t(inByte_ << 1 | ((mosi >> (7 - i)) & 1));
        if (++bitCount_ == 8) {
            if (received_.size() < SelectionLimit)
                received_.push_back(inByte_);
            bitCount_ = 0;
            inByte_ = 0;
        }
    }
    return miso;
}

std::uint8_t SimI2cBridge::OutputAt(std::size_t position) {
    if (received_.empty())
        return 0xFF;
    if (received_[0] == 0x21 && position >= 3)
        return ReadRegister(received_[1]);
    if (received_[0] == 0x06 && position >= 2) {
        const std::size_t at = position - 2;
        return at < bufferCount_ ? buffer_[at] : 0xFF;
    }
    return 0xFF;
}

std::uint8_t SimI2cBridge::ReadRegister(std::uint8_t index) {
    Settle();
    index &= 0x0F;
    if (index == RegisterStatus) {
        if (running_)
            return StatusMark | StatusBusy;
        if (forced_.reads > 0) {
            --forced_.reads;
            return StatusMark | forced_.status;
        }
        return StatusMark | result_;
    }
    if (index == RegisterRxCount)
        return std::uint8_t(std::clamp(int(bufferCount_) + faults_.rxCountSkew, 0, 255));
    return registers_[index];
}

void SimI2cBridge::EndSelection() {
    const std::size_t size = received_.size();
    if (size >= 3 && received_[0] == 0x20) {
        const std::uint8_t index = received_[1] & 0x0F;
        if (index != RegisterStatus && index != RegisterRxCount)
            registers_[index] = received_[2];
    } else if (size >= 3 && received_[0] == 0x00 && size >= 3u + received_[1]) {
        StartI2c(received_[2], received_[1], received_.data() + 3, false);
    } else if (size >= 3 && received_[0] == 0x01) {
        StartI2c(received_[2], received_[1], nullptr, true);
    }
    received_.clear();
}

void SimI2cBridge::StartI2c(std::uint8_t addressByte, std::uint8_t count, const std::uint8_t *data, bool read) {
    Settle();
    SimI2cTransfer transfer;
    transfer.address = std::uint8_t(addressByte >> 1);
    transfer.read = read;
    SimRegisterChip *chip = bus_.Find(transfer.address);
    const bool directionRight = bool(addressByte & 1) == read;
    if (running_) {
        transfer.status = StatusBusy; // the running transaction keeps the bus; this one is dropped
        transfers_.push_back(std::move(transfer));
        return;
    }
    if (!chip || !directionRight) {
        transfer.status = StatusNoAddressAck;
        bufferCount_ = 0;
    } else if (read) {
        const std::size_t n = std::min<std::size_t>(count, BufferSize);
        chip->Read(buffer_, n);
        bufferCount_ = std::uint8_t(n);
        transfer.bytes.assign(buffer_, buffer_ + n);
        transfer.status = StatusDone;
    } else {
        transfer.bytes.assign(data, data + count);
        transfer.status = chip->Write(data, count) ? StatusDone : StatusNoDataAck;
    }
    result_ = transfer.status;
    forced_ = SimForcedStatus();
    if (!faults_.statuses.empty()) {
        forced_ = faults_.statuses.front();
        faults_.statuses.pop_front();
        if (forced_.reads == 0)
            result_ = forced_.status & 0x0F;
    }
    transfers_.push_back(std::move(transfer));
    running_ = true;
    started_ = clock_();
    intHigh_ = true;
    Settle();
}

void SimI2cBridge::Settle() {
    if (running_ && clock_() - started_ >= i2cMs_) {
        running_ = false;
        intHigh_ = faults_.stuckInt;
    }
}

bool SimI2cBridge::IntHigh() {
    Settle();
    return intHigh_ || faults_.stuckInt;
}
