#pragma once

#include "link/Ft_spi.h"
#include "platform/Clock.h"
#include "platform/MessageService.h"
#include "sim/UsbPortSim.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// The simulated instrument's port with every write recorded call by call, and a hook that runs before a
// write reaches the instrument (a caller arriving in the middle of a transaction).
class TappedPort final : public UsbPort {
public:
    explicit TappedPort(std::shared_ptr<SimInstrument> instrument) : sim_(std::move(instrument)) {}

    std::vector<Bytes> writes;
    std::function<void()> beforeWrite;

    int CreateDeviceList(std::uint32_t &count) override { return sim_.CreateDeviceList(count); }
    int GetDeviceList(std::vector<UsbDeviceNode> &nodes) override { return sim_.GetDeviceList(nodes); }
    int OpenByLocation(std::uint32_t location, UsbHandle &handle) override {
        return sim_.OpenByLocation(location, handle);
    }
    int ResetDevice(UsbHandle handle) override { return sim_.ResetDevice(handle); }
    int Purge(UsbHandle handle, std::uint32_t mask) override { return sim_.Purge(handle, mask); }
    int SetBitMode(UsbHandle handle, std::uint8_t mask, std::uint8_t mode) override {
        return sim_.SetBitMode(handle, mask, mode);
    }
    int SetBaudRate(UsbHandle handle, std::uint32_t baud) override { return sim_.SetBaudRate(handle, baud); }
    int SetDataCharacteristics(UsbHandle handle, std::uint8_t bits, std::uint8_t stopBits,
                               std::uint8_t parity) override {
        return sim_.SetDataCharacteristics(handle, bits, stopBits, parity);
    }
    int SetFlowControl(UsbHandle handle, std::uint16_t mode, std::uint8_t xon, std::uint8_t xoff) override {
        return sim_.SetFlowControl(handle, mode, xon, xoff);
    }
    int SetTimeouts(UsbHandle handle, std::uint32_t readMs, std::uint32_t writeMs) override {
        return sim_.SetTimeouts(handle, readMs, writeMs);
    }
    int SetLatencyTimer(UsbHandle handle, std::uint8_t ms) override { return sim_.SetLatencyTimer(handle, ms); }
    int SetDtr(UsbHandle handle) override { return sim_.SetDtr(handle); }
    int ClrDtr(UsbHandle handle) override { return sim_.ClrDtr(handle); }
    int SetRts(UsbHandle handle) override { return sim_.SetRts(handle); }
    int ClrRts(UsbHandle handle) override { return sim_.ClrRts(handle); }
    int GetModemStatus(UsbHandle handle, std::uint32_t &status) override { return sim_.GetModemStatus(handle, status); }
    int GetQueueStatus(UsbHandle handle, std::uint32_t &rxBytes) override {
        return sim_.GetQueueStatus(handle, rxBytes);
    }
    int GetStatus(UsbHandle handle, std::uint32_t &rxBytes, std::uint32_t &txBytes,
                  std::uint32_t &eventStatus) override {
        return sim_.GetStatus(handle, rxBytes, txBytes, eventStatus);
    }
    int Read(UsbHandle handle, std::uint8_t *buffer, std::uint32_t count, std::uint32_t &read) override {
        return sim_.Read(handle, buffer, count, read);
    }
    int Write(UsbHandle handle, const std::uint8_t *buffer, std::uint32_t count, std::uint32_t &written) override {
        if (beforeWrite)
            beforeWrite();
        writes.emplace_back(buffer, buffer + count);
        return sim_.Write(handle, buffer, count, written);
    }
    int Close(UsbHandle handle) override { return sim_.Close(handle); }

private:
    UsbPortSim sim_;
};

// Channel A of the simulated instrument opened in MPSSE mode through the port, on a virtual clock that
// the simulator shares, with the register channel built on it and installed as FtSpi. Message boxes are
// caught.
struct SpiRig {
    explicit SpiRig(SimConfig config = NoDelay())
        : instrument(std::make_shared<SimInstrument>(std::move(config), [] { return GetTickCount(); })) {
        EXPECT_EQ(port.OpenByLocation(0x3011, a), UsbOk);
        EXPECT_EQ(port.SetBitMode(a, 0, UsbBitModeMpsse), UsbOk);
        spi = std::make_unique<TFT_SPI>(a, &port);
        FtSpi = spi.get();
        port.writes.clear();
        SetMessageBoxHandler([this](const MessageRequest &request) {
            boxes.push_back(request);
            return int(IdOk);
        });
    }
    ~SpiRig() {
        SetMessageBoxHandler({});
        FtSpi = nullptr;
    }

    // I2C transactions finish at once, so that INT is polled once.
    static SimConfig NoDelay() {
        SimConfig config;
        config.i2cMs = 0;
        return config;
    }
    static SimConfig WithFaults(SimBridgeFaults faults, std::uint32_t i2cMs = 0) {
        SimConfig config;
        config.i2cMs = i2cMs;
        config.bridge = std::move(faults);
        return config;
    }

    VirtualClock clock{1000};
    std::shared_ptr<SimInstrument> instrument;
    TappedPort port{instrument};
    UsbHandle a = 0;
    std::unique_ptr<TFT_SPI> spi;
    std::vector<MessageRequest> boxes;
};
