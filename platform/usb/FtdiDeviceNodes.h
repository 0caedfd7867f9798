#pragma once

#include "platform/usb/UsbPort.h"

#include <cstdint>
#include <string>
#include <vector>

// What libftdi1 and libusb tell about one attached converter. libftdi1 lists devices, not channels;
// the driver's per-channel nodes are made from this.
struct FtdiDeviceInfo {
    std::uint8_t bus = 0;
    std::vector<std::uint8_t> ports; // port numbers from the root hub down
    std::uint16_t vendor = 0;
    std::uint16_t product = 0;
    std::uint16_t release = 0; // bcdDevice: tells the chip kind
    int channels = 1;
    std::string description;
    std::string serial;
    std::vector<bool> busy; // per channel: its interface could not be claimed, or is open here
};

// Location of a device's first channel: the bus in the top byte, up to four port numbers of five bits
// each, and the channel number 1 to 4 in the low nibble, so that channel B is channel A's location + 1.
std::uint32_t FtdiLocation(std::uint8_t bus, const std::vector<std::uint8_t> &ports);

// One node per channel: a converter with several channels gets "<description> A", "<description> B", ...
// and the channel letter after its serial number; the flags carry the busy state.
std::vector<UsbDeviceNode> FtdiDeviceNodes(const std::vector<FtdiDeviceInfo> &devices);

// Device-list type number of a chip, from its bcdDevice release.
std::uint32_t FtdiChipType(std::uint16_t release);
