#include "sim/SimPacedPort.h"

#include <vector>

SimPacedPort::SimPacedPort(UsbPort &inner, MicroClock clock) : UsbPortRelay(inner), clock_(std::move(clock)) {}

void SimPacedPort::SetRate() {
    out_.Set(baud_, bitsPerByte_);
    in_.Set(baud_, bitsPerByte_);
}

int SimPacedPort::SetBaudRate(UsbHandle handle, std::uint32_t baud) {
    const int status = UsbPortRelay::SetBaudRate(handle, baud);
    std::lock_guard lock(mutex_);
    if (status == UsbOk) {
        paced_ = handle;
        baud_ = baud;
        SetRate();
    }
    return status;
}

// Start bit, data bits, a parity bit unless none (0), one stop bit (0) or two (2).
int SimPacedPort::SetDataCharacteristics(UsbHandle handle, std::uint8_t bits, std::uint8_t stopBits,
                                         std::uint8_t parity) {
    const int status = UsbPortRelay::SetDataCharacteristics(handle, bits, stopBits, parity);
    std::lock_guard lock(mutex_);
    if (status == UsbOk && handle == paced_) {
        bitsPerByte_ = 1u + bits + (parity ? 1u : 0u) + (stopBits == 2 ? 2u : 1u);
        SetRate();
    }
    return status;
}

int SimPacedPort::Pump() {
    const std::uint64_t now = clock_();
    std::vector<std::uint8_t> due;
    out_.Release(now, due);
    if (!due.empty()) {
        std::uint32_t written = 0;
        const int status = UsbPortRelay::Write(paced_, due.data(), std::uint32_t(due.size()), written);
        if (status != UsbOk)
            return status;
    }
    std::uint32_t waiting = 0;
    int status = UsbPortRelay::GetQueueStatus(paced_, waiting);
    if (status == UsbOk && waiting) {
        std::vector<std::uint8_t> bytes(waiting);
        std::uint32_t read = 0;
        status = UsbPortRelay::Read(paced_, bytes.data(), waiting, read);
        in_.Push(now, bytes.data(), read);
    }
    due.clear();
    in_.Release(now, due);
    arrived_.insert(arrived_.end(), due.begin(), due.end());
    return status;
}

int SimPacedPort::GetQueueStatus(UsbHandle handle, std::uint32_t &rxBytes) {
    std::lock_guard lock(mutex_);
    if (handle != paced_)
        return UsbPortRelay::GetQueueStatus(handle, rxBytes);
    const int status = Pump();
    rxBytes = std::uint32_t(arrived_.size());
    return status;
}

int SimPacedPort::GetStatus(UsbHandle handle, std::uint32_t &rxBytes, std::uint32_t &txBytes,
                            std::uint32_t &eventStatus) {
    std::lock_guard lock(mutex_);
    int status = UsbPortRelay::GetStatus(handle, rxBytes, txBytes, eventStatus);
    if (handle != paced_ || status != UsbOk)
        return status;
    status = Pump();
    rxBytes = std::uint32_t(arrived_.size());
    txBytes += std::uint32_t(out_.Pending());
    return status;
}

int SimPacedPort::Read(UsbHandle handle, std::uint8_t *buffer, std::uint32_t count, std::uint32_t &read) {
    std::lock_guard lock(mutex_);
    if (handle != paced_)
        return UsbPortRelay::Read(handle, buffer, count, read);
    const int status = Pump();
    read = 0;
    while (read < count && !arrived_.empty()) {
        buffer[read++] = arrived_.front();
        arrived_.pop_front();
    }
    return status;
}

int SimPacedPort::Write(UsbHandle handle, const std::uint8_t *buffer, std::uint32_t count, std::uint32_t &written) {
    std::lock_guard lock(mutex_);
    if (handle != paced_)
        return UsbPortRelay::Write(handle, buffer, count, written);
    out_.Push(clock_(), buffer, count);
    written = count;
    return Pump();
}

int SimPacedPort::Purge(UsbHandle handle, std::uint32_t mask) {
    std::lock_guard lock(mutex_);
    if (handle == paced_) {
        if (mask & UsbPurgeRx) {
            in_.Clear();
            arrived_.clear();
        }
        if (mask & UsbPurgeTx)
            out_.Clear();
    }
    return UsbPortRelay::Purge(handle, mask);
}

int SimPacedPort::Close(UsbHandle handle) {
    std::lock_guard lock(mutex_);
    if (handle == paced_) {
        paced_ = 0;
        in_.Clear();
        out_.Clear();
        arrived_.clear();
    }
    return UsbPortRelay::Close(handle);
}
