#include "platform/usb/FtdiDeviceNodes.h"

#include <algorithm>

namespace {

struct ChipKind {
    std::uint16_t release;
    std::uint32_t type;
};

// The driver's type numbers for the chips that report these releases.
constexpr ChipKind ChipKinds[] = {
    {0x0200, 1}, // AM
    {0x0400, 0}, // BM
    {0x0500, 4}, // dual-channel, first generation
    {0x0600, 5}, // single-channel R
    {0x0700, 6}, // dual-channel high speed
    {0x0800, 7}, // quad-channel high speed
    {0x0900, 8}, // single-channel high speed
};

constexpr std::uint32_t UnknownChipType = 3;

} // namespace

std::uint32_t FtdiLocation(std::uint8_t bus, const std::vector<std::uint8_t> &ports) {
    std::uint32_t path = 0;
    const std::size_t levels = std::min<std::size_t>(ports.size(), 4);
    for (std::size_t i = 0; i < levels; ++i)
        path = (path << 5) | (ports[i] & 0x1F);
    return (std::uint32_t(bus) << 24) | (path << 4) | 1;
}

std::uint32_t FtdiChipType(std::uint16_t release) {
    for (const ChipKind &kind : ChipKinds)
        if (kind.release == release)
            return kind.type;
    return UnknownChipType;
}

std::vector<UsbDeviceNode> FtdiDeviceNodes(const std::vector<FtdiDeviceInfo> &devices) {
    std::vector<UsbDeviceNode> nodes;
    for (const FtdiDeviceInfo &device : devices) {
        const std::uint32_t first = FtdiLocation(device.bus, device.ports);
        const int channels = std::clamp(device.channels, 1, 4);
        for (int channel = 0; channel < channels; ++channel) {
            UsbDeviceNode node;
            const bool busy = std::size_t(channel) < device.busy.size() && device.busy[std::size_t(channel)];
            node.flags = busy ? UsbNodeOpened : 0;
            node.type = FtdiChipType(device.release);
            node.id = (std::uint32_t(device.vendor) << 16) | device.product;
            node.location = first + std::uint32_t(channel);
            node.description = device.description;
            node.serial = device.serial;
            if (channels > 1) {
                const char letter = char('A' + channel);
                node.description += ' ';
                node.description += letter;
                node.serial += letter;
            }
            nodes.push_back(std::move(node));
        }
    }
    return nodes;
}
