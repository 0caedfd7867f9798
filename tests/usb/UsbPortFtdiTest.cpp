#include "platform/usb/UsbPortFtdi.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>

// The test machines have no converter attached; these cases hold without hardware.

TEST(UsbPortFtdi, WithoutAConverterTheListIsEmptyAndNothingOpens) {
    UsbPortFtdi port;
    std::uint32_t count = 99;
    const int status = port.CreateDeviceList(count);
    if (status != UsbOk)
        GTEST_SKIP() << "no USB subsystem to search here (status " << status << ")";
    EXPECT_EQ(count, 0u);
    std::vector<UsbDeviceNode> nodes(3);
    EXPECT_EQ(port.GetDeviceList(nodes), UsbOk);
    EXPECT_TRUE(nodes.empty());
    UsbHandle handle = 7;
    EXPECT_EQ(port.OpenByLocation(0x01000021, handle), UsbDeviceNotFound);
    EXPECT_EQ(handle, 0u);
}

TEST(UsbPortFtdi, EveryCallOnAnUnknownHandleFailsAtOnce) {
    UsbPortFtdi port;
    std::uint32_t a = 0, b = 0, c = 0;
    std::uint8_t buffer[4] = {};
    const std::function<int(UsbHandle)> calls[] = {
        [&](UsbHandle h) { return port.ResetDevice(h); },
        [&](UsbHandle h) { return port.Purge(h, UsbPurgeRx | UsbPurgeTx); },
        [&](UsbHandle h) { return port.SetBitMode(h, 0, UsbBitModeMpsse); },
        [&](UsbHandle h) { return port.SetBaudRate(h, 921600); },
        [&](UsbHandle h) { return port.SetDataCharacteristics(h, 8, 0, 0); },
        [&](UsbHandle h) { return port.SetFlowControl(h, 0, 0x11, 0x13); },
        [&](UsbHandle h) { return port.SetTimeouts(h, 0, 1000); },
        [&](UsbHandle h) { return port.SetLatencyTimer(h, 2); },
        [&](UsbHandle h) { return port.SetDtr(h); },
        [&](UsbHandle h) { return port.ClrDtr(h); },
        [&](UsbHandle h) { return port.SetRts(h); },
        [&](UsbHandle h) { return port.ClrRts(h); },
        [&](UsbHandle h) { return port.GetModemStatus(h, a); },
        [&](UsbHandle h) { return port.GetQueueStatus(h, a); },
        [&](UsbHandle h) { return port.GetStatus(h, a, b, c); },
        [&](UsbHandle h) { return port.Read(h, buffer, sizeof buffer, a); },
        [&](UsbHandle h) { return port.Write(h, buffer, sizeof buffer, a); },
        [&](UsbHandle h) { return port.Close(h); },
    };
    const auto start = std::chrono::steady_clock::now();
    for (UsbHandle handle : {UsbHandle(0), UsbHandle(1), UsbHandle(0xFFFFFFFF)})
        for (std::size_t i = 0; i < std::size(calls); ++i)
            EXPECT_EQ(calls[i](handle), UsbInvalidHandle) << "call " << i << " handle " << handle;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
}
