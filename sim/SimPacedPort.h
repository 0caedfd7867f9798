#pragma once

#include "sim/SimLineRate.h"
#include "sim/UsbPortRelay.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>

// A port whose serial channel (the one the program gives a baud rate) carries bytes no faster than that
// rate in either direction, as a real line would; every other channel and call passes unchanged. The
// transmit count of the status call holds the written bytes still on their way.
class SimPacedPort final : public UsbPortRelay {
public:
    using MicroClock = std::function<std::uint64_t()>;

    SimPacedPort(UsbPort &inner, MicroClock clock);

    int SetBaudRate(UsbHandle handle, std::uint32_t baud) override;
    int SetDataCharacteristics(UsbHandle handle, std::uint8_t bits, std::uint8_t stopBits,
                               std::uint8_t parity) override;
    int GetQueueStatus(UsbHandle handle, std::uint32_t &rxBytes) override;
    int GetStatus(UsbHandle handle, std::uint32_t &rxBytes, std::uint32_t &txBytes,
                  std::uint32_t &eventStatus) override;
    int Read(UsbHandle handle, std::uint8_t *buffer, std::uint32_t count, std::uint32_t &read) override;
    int Write(UsbHandle handle, const std::uint8_t *buffer, std::uint32_t count, std::uint32_t &written) override;
    int Purge(UsbHandle handle, std::uint32_t mask) override;
    int Close(UsbHandle handle) override;

private:
    // Moves what is due both ways; the status of the port below.
    int Pump();
    void SetRate();

    MicroClock clock_;
    std::mutex mutex_;
    UsbHandle paced_ = 0;
    std::uint32_t baud_ = 0;
    std::uint32_t bitsPerByte_ = 10;
    SimLineRate out_, in_;
    std::deque<std::uint8_t> arrived_;
};
