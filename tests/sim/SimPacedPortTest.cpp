#include "sim/SimPacedPort.h"
#include "sim/SimLineRate.h"
#include "sim/UsbPortSim.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using Bytes = std::vector<std::uint8_t>;

std::size_t ReleasedBy(SimLineRate &line, std::uint64_t us) {
    Bytes out;
    line.Release(us, out);
    return out.size();
}

TEST(SimLineRate, BytesLeaveAtTheLineRate) {
    struct Case {
        std::uint32_t baud, bits;
    };
    for (const Case c : {Case{921600, 10}, Case{9600, 11}, Case{115200, 12}}) {
        const Bytes data(50000, 0x16);
        const double byteUs = 1e6 * c.bits / c.baud;
        for (std::uint64_t t : {0u, 1u, 999u, 10000u, 123457u}) {
            SimLineRate fresh(c.baud, c.bits);
            fresh.Push(1000, data.data(), data.size());
            const std::size_t expected = std::min<std::size_t>(data.size(), std::size_t(std::floor(t / byteUs)));
            EXPECT_EQ(ReleasedBy(fresh, 1000 + t), expected) << c.baud << " baud after " << t << " us";
        }
    }
}

TEST(SimLineRate, IdleTimeIsNotMadeUpForAndOrderHolds) {
    SimLineRate line(921600, 10); // 10.85 us a byte
    const Bytes first{1, 2, 3};
    line.Push(0, first.data(), first.size());
    Bytes out;
    line.Release(1000000, out);
    EXPECT_EQ(out, first);
    const Bytes second{4, 5};
    line.Push(1000000, second.data(), second.size());
    line.Release(1000010, out);
    EXPECT_EQ(out.size(), 3u) << "a line idle for a second still takes 10.85 us a byte";
    line.Release(1000022, out);
    EXPECT_EQ(out, (Bytes{1, 2, 3, 4, 5}));
    // Bytes pushed while the line is busy queue behind it.
    line.Push(2000000, first.data(), 3);
    line.Push(2000001, second.data(), 2);
    EXPECT_EQ(ReleasedBy(line, 2000000 + 43), 3u);
    EXPECT_EQ(line.Pending(), 2u);
}

// The data channel of the simulated instrument through the paced port, on a clock the test moves.
TEST(SimPacedPort, PacesOnlyTheChannelGivenABaudRate) {
    std::uint64_t now = 0;
    UsbPortSim sim;
    SimPacedPort port(sim, [&] { return now; });
    UsbHandle a = 0, b = 0;
    ASSERT_EQ(port.OpenByLocation(0x3011, a), UsbOk);
    ASSERT_EQ(port.OpenByLocation(0x3012, b), UsbOk);
    ASSERT_EQ(port.SetBitMode(a, 0, UsbBitModeMpsse), UsbOk);
    ASSERT_EQ(port.SetBaudRate(b, 921600), UsbOk);
    ASSERT_EQ(port.SetDataCharacteristics(b, 8, 2, 0), UsbOk); // 11 bits a byte
    const Bytes bytes(100, 0x55);
    std::uint32_t written = 0, rx = 0, tx = 0, events = 0;
    ASSERT_EQ(port.Write(b, bytes.data(), 100, written), UsbOk);
    EXPECT_EQ(written, 100u) << "the write itself does not wait";
    ASSERT_EQ(port.GetStatus(b, rx, tx, events), UsbOk);
    EXPECT_EQ(tx, 100u);
    now = 600; // 50 bytes of 11.94 us
    ASSERT_EQ(port.GetStatus(b, rx, tx, events), UsbOk);
    EXPECT_EQ(tx, 50u);
    now = 1194;
    ASSERT_EQ(port.GetStatus(b, rx, tx, events), UsbOk);
    EXPECT_EQ(tx, 0u);
    // Channel A's MPSSE command gets its answer at once.
    const Bytes readHigh{0x83, 0x87};
    ASSERT_EQ(port.Write(a, readHigh.data(), 2, written), UsbOk);
    ASSERT_EQ(port.GetQueueStatus(a, rx), UsbOk);
    EXPECT_EQ(rx, 1u);
    ASSERT_EQ(port.Close(b), UsbOk);
    ASSERT_EQ(port.Close(a), UsbOk);
}

} // namespace
