#include "platform/usb/FtdiDeviceNodes.h"

#include <gtest/gtest.h>

#include <set>

namespace {

FtdiDeviceInfo Device(std::uint8_t bus, std::vector<std::uint8_t> ports, int channels, const char *description,
                      const char *serial, std::vector<bool> busy = {}) {
    FtdiDeviceInfo info;
    info.bus = bus;
    info.ports = std::move(ports);
    info.vendor = 0x0403;
    info.product = channels == 2 ? 0x6010 : 0x6001;
    info.release = channels == 2 ? 0x0700 : 0x0600;
    info.channels = channels;
    info.description = description;
    info.serial = serial;
    info.busy = std::move(busy);
    return info;
}

} // namespace

TEST(FtdiDeviceNodes, DualChannelDeviceGetsTwoLetteredNodesOnNeighbouringLocations) {
    const std::vector<UsbDeviceNode> nodes = FtdiDeviceNodes({
        Device(1, {2}, 2, "Trova R-9", "R9000002", {false, true}),
        Device(3, {1, 4}, 1, "USB Serial", "CV0001"),
    });
    ASSERT_EQ(nodes.size(), 3u);

    struct Expected {
        const char *description;
        const char *serial;
        std::uint32_t location;
        std::uint32_t flags;
        std::uint32_t type;
        std::uint32_t id;
    };
    // Locations by hand: bus << 24 | five-bit port numbers << 4 | channel number.
    const Expected expected[] = {
        {"Trova R-9 A", "R9000002A", 0x01000021, 0, 6, 0x04036010},
        {"Trova R-9 B", "R9000002B", 0x01000022, UsbNodeOpened, 6, 0x04036010},
        {"USB Serial", "CV0001", 0x03000000 | ((1 << 5 | 4) << 4) | 1, 0, 5, 0x04036001},
    };
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(nodes[i].description, expected[i].description);
        EXPECT_EQ(nodes[i].serial, expected[i].serial);
        EXPECT_EQ(nodes[i].location, expected[i].location);
        EXPECT_EQ(nodes[i].flags, expected[i].flags);
        EXPECT_EQ(nodes[i].type, expected[i].type);
        EXPECT_EQ(nodes[i].id, expected[i].id);
    }
}

TEST(FtdiDeviceNodes, DevicesOnOtherPortsOrBusesNeverShareALocation) {
    const std::vector<std::vector<std::uint8_t>> paths = {{1}, {2}, {1, 2}, {2, 1}, {1, 2, 3}, {31}, {1, 1, 1, 1}};
    std::set<std::uint32_t> seen;
    for (std::uint8_t bus : {1, 2}) {
        for (const auto &path : paths) {
            const std::uint32_t a = FtdiLocation(bus, path);
            // Channel B of a device is A + 1; neither may collide with another device's channels.
            EXPECT_TRUE(seen.insert(a).second);
            EXPECT_TRUE(seen.insert(a + 1).second);
        }
    }
}

TEST(FtdiDeviceNodes, MissingBusyEntriesReadAsFreeAndUnknownChipsAsType3) {
    FtdiDeviceInfo info = Device(1, {1}, 2, "X", "S");
    info.release = 0x1234;
    const std::vector<UsbDeviceNode> nodes = FtdiDeviceNodes({info});
    ASSERT_EQ(nodes.size(), 2u);
    EXPECT_EQ(nodes[0].flags, 0u);
    EXPECT_EQ(nodes[1].flags, 0u);
    EXPECT_EQ(nodes[0].type, 3u);
}
