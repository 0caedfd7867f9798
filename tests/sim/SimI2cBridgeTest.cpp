#include "sim/UsbPortSim.h"

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<std::uint8_t>;

// Channel A of the simulated instrument in MPSSE mode, driven with hand-written command bytes.
struct BridgeRig {
    explicit BridgeRig(SimConfig config = SimConfig())
        : instrument(std::make_shared<SimInstrument>(std::move(config), [this] { return now; })), port(instrument) {
        EXPECT_EQ(port.OpenByLocation(0x3011, a), UsbOk);
        EXPECT_EQ(port.SetBitMode(a, 0, UsbBitModeMpsse), UsbOk);
        Write({0x80, 0x00, 0xDB, 0x87}); // reset held, chip select low
        Write({0x80, 0x13, 0xDB, 0x87}); // reset released, chip select low
    }
    void Write(const Bytes &bytes) {
        std::uint32_t written = 0;
        ASSERT_EQ(port.Write(a, bytes.data(), std::uint32_t(bytes.size()), written), UsbOk);
    }
    Bytes ReadAll() {
        std::uint32_t waiting = 0;
        EXPECT_EQ(port.GetQueueStatus(a, waiting), UsbOk);
        Bytes bytes(waiting);
        std::uint32_t read = 0;
        EXPECT_EQ(port.Read(a, bytes.data(), waiting, read), UsbOk);
        bytes.resize(read);
        return bytes;
    }
    // Reads an internal register of the bridge the way the program does: command, then 8 bits in.
    std::uint8_t BridgeRegister(std::uint8_t index, std::uint8_t bus = 0) {
        Write({0x80, std::uint8_t(0x13 | bus), 0xDB, 0x10, 0x02, 0x00, 0x21, index, 0x00, 0x87});
        Write({0x20, 0x00, 0x00, 0x80, std::uint8_t(0x1B | bus), 0xDB, 0x87});
        const Bytes reply = ReadAll();
        EXPECT_EQ(reply.size(), 1u);
        return reply.empty() ? 0 : reply[0];
    }
    bool IntHigh() {
        Write({0x81, 0x87});
        const Bytes reply = ReadAll();
        EXPECT_EQ(reply.size(), 1u);
        return !reply.empty() && (reply[0] & 0x20);
    }

    std::uint32_t now = 0;
    std::shared_ptr<SimInstrument> instrument;
    UsbPortSim port;
    UsbHandle a = 0;
};

// I2C write of {0x00, register, value} framing: select, 3 + 2 bytes out, deselect.
const Bytes WriteMain0 = {0x80, 0x13, 0xDB, 0x10, 0x04, 0x00, 0x00, 0x02, 0xBA, 0x00, 0x40, 0x80, 0x1B, 0xDB, 0x87};
const Bytes WriteMain37 = {0x80, 0x13, 0xDB, 0x10, 0x03, 0x00, 0x00, 0x01, 0xBA, 0x25, 0x80, 0x1B, 0xDB, 0x87};
const Bytes ReadMain2 = {0x80, 0x13, 0xDB, 0x10, 0x02, 0x00, 0x01, 0x02, 0xBB, 0x80, 0x1B, 0xDB, 0x87};

} // namespace

TEST(SimI2cBridge, InternalRegistersByBytesAndByBits) {
    BridgeRig rig;
    rig.Write({0x80, 0x13, 0xDB, 0x10, 0x02, 0x00, 0x20, 0x02, 0x0A, 0x80, 0x1B, 0xDB, 0x87});
    EXPECT_EQ(rig.instrument->BridgeRegister(2), 0x0A);
    EXPECT_EQ(rig.BridgeRegister(2), 0x0A);

    // The same register write clocked as 3 + 5 bits for its value byte, then read back as two nibbles.
    rig.Write({0x80, 0x13, 0xDB, 0x10, 0x01, 0x00, 0x20, 0x03, 0x12, 0x02, 0xA0, 0x12, 0x04, 0x58});
    rig.Write({0x80, 0x1B, 0xDB, 0x87});
    EXPECT_EQ(rig.instrument->BridgeRegister(3), 0xAB); // 101 then 01011
    rig.Write({0x80, 0x13, 0xDB, 0x10, 0x02, 0x00, 0x21, 0x03, 0x00, 0x22, 0x03, 0x22, 0x03, 0x80, 0x1B, 0xDB, 0x87});
    EXPECT_EQ(rig.ReadAll(), (Bytes{0x0A, 0x0B}));

    // Status and byte count are the bridge's own and refuse writes.
    rig.Write({0x80, 0x13, 0xDB, 0x10, 0x02, 0x00, 0x20, 0x04, 0x00, 0x80, 0x1B, 0xDB, 0x87});
    EXPECT_EQ(rig.BridgeRegister(4), 0xF0);

    // Holding reset returns the registers to their power-up values; a deselected bridge answers high.
    rig.Write({0x80, 0x00, 0xDB, 0x87, 0x80, 0x13, 0xDB, 0x87});
    EXPECT_EQ(rig.instrument->BridgeRegister(2), 0x19);
    rig.Write({0x80, 0x1B, 0xDB, 0x20, 0x00, 0x00, 0x87});
    EXPECT_EQ(rig.ReadAll(), (Bytes{0xFF}));
}

TEST(SimI2cBridge, WriteAndReadTheMainBoardChip) {
    BridgeRig rig;
    EXPECT_TRUE(rig.IntHigh());
    rig.Write(WriteMain0);
    EXPECT_TRUE(rig.IntHigh()); // the transaction takes a millisecond
    EXPECT_EQ(rig.BridgeRegister(4), 0xF3);
    rig.now += 1;
    EXPECT_FALSE(rig.IntHigh());
    EXPECT_EQ(rig.BridgeRegister(4), 0xF0);
    EXPECT_FALSE(rig.IntHigh()); // reading the status does not raise INT again
    EXPECT_EQ(rig.instrument->ChipRegister(0x5D, 0), 0x40);

    rig.Write(WriteMain37);
    rig.now += 1;
    rig.Write(ReadMain2);
    rig.now += 1;
    EXPECT_FALSE(rig.IntHigh());
    EXPECT_EQ(rig.BridgeRegister(4), 0xF0);
    EXPECT_EQ(rig.BridgeRegister(6), 2);
    rig.Write({0x80, 0x13, 0xDB, 0x10, 0x01, 0x00, 0x06, 0x00, 0x87});
    rig.Write({0x20, 0x01, 0x00, 0x80, 0x1B, 0xDB, 0x87});
    EXPECT_EQ(rig.ReadAll(), (Bytes{0x62, 11}));

    const std::vector<SimI2cTransfer> transfers = rig.instrument->I2cTransfers();
    ASSERT_EQ(transfers.size(), 3u);
    EXPECT_EQ(transfers[2].address, 0x5D);
    EXPECT_TRUE(transfers[2].read);
    EXPECT_EQ(transfers[2].bytes, (Bytes{0x62, 11}));
}

TEST(SimI2cBridge, StatusCodesOfTheBus) {
    struct Case {
        const char *what;
        Bytes transaction;
        std::uint8_t status;
    };
    const Case cases[] = {
        {"BC chip while its bus is not selected",
         {0x80, 0x13, 0xDB, 0x10, 0x03, 0x00, 0x00, 0x01, 0xC2, 0x25, 0x80, 0x1B, 0xDB, 0x87},
         0xF1},
        {"BC chip with its bus selected",
         {0x80, 0x53, 0xDB, 0x10, 0x03, 0x00, 0x00, 0x01, 0xC2, 0x25, 0x80, 0x5B, 0xDB, 0x87},
         0xF0},
        {"no chip at that address",
         {0x80, 0x13, 0xDB, 0x10, 0x03, 0x00, 0x00, 0x01, 0x40, 0x25, 0x80, 0x1B, 0xDB, 0x87},
         0xF1},
        {"register past the chip's last",
         {0x80, 0x13, 0xDB, 0x10, 0x03, 0x00, 0x00, 0x01, 0xBA, 0x80, 0x80, 0x1B, 0xDB, 0x87},
         0xF2},
        {"read address used for a write",
         {0x80, 0x13, 0xDB, 0x10, 0x03, 0x00, 0x00, 0x01, 0xBB, 0x25, 0x80, 0x1B, 0xDB, 0x87},
         0xF1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        BridgeRig rig;
        rig.Write(c.transaction);
        rig.now += 1;
        EXPECT_EQ(rig.BridgeRegister(4, c.transaction[1] & 0x40), c.status);
    }
}

TEST(SimI2cBridge, InjectedFaults) {
    SimConfig config;
    config.bridge.statuses = {{3, 2}, {9, 0}};
    config.bridge.rxCountSkew = -1;
    config.mainBoardIdent[0] = 0x52;
    BridgeRig rig(config);

    rig.Write(WriteMain37); // busy for two status reads, then its own status
    rig.now += 1;
    EXPECT_EQ(rig.BridgeRegister(4), 0xF3);
    EXPECT_EQ(rig.BridgeRegister(4), 0xF3);
    EXPECT_EQ(rig.BridgeRegister(4), 0xF0);

    rig.Write(ReadMain2); // ends with a data error; register 6 counts one byte short
    rig.now += 1;
    EXPECT_EQ(rig.BridgeRegister(4), 0xF9);
    EXPECT_EQ(rig.BridgeRegister(6), 1);
    rig.Write({0x80, 0x13, 0xDB, 0x10, 0x01, 0x00, 0x06, 0x00, 0x20, 0x01, 0x00, 0x80, 0x1B, 0xDB, 0x87});
    EXPECT_EQ(rig.ReadAll(), (Bytes{0x52, 11}));

    SimBridgeFaults stuck;
    stuck.stuckInt = true;
    stuck.rxCountSkew = 3;
    rig.instrument->SetBridgeFaults(stuck);
    rig.Write(WriteMain37);
    rig.Write(ReadMain2);
    rig.now += 1000;
    EXPECT_TRUE(rig.IntHigh());
    EXPECT_EQ(rig.BridgeRegister(4), 0xF0); // finished, only the line is stuck
    EXPECT_EQ(rig.BridgeRegister(6), 5);
}
