#pragma once

#include "LinkTestPorts.h"

#include "link/Ft_spi.h"
#include "platform/Clock.h"
#include "platform/MessageService.h"
#include "sim/UsbPortSim.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// Channel A of the simulated instrument opened in MPSSE mode through the port, on a virtual clock that
// the simulator shares, with the register channel built on it and installed as FtSpi. Message boxes are
// caught.
struct SpiRig {
    explicit SpiRig(SimConfig config = NoDelay()) : instrument(InstrumentOnTicks(std::move(config))) {
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
