#include "ConnectionFixture.h"

#include <utility>

namespace {

using Writes = std::vector<std::pair<int, int>>;

struct RelayCase {
    const char *name;
    std::int16_t type;
    std::int32_t mask;
    Writes writes; // register, value on the main board, in order
};

constexpr std::int32_t Quiet = 0x0004;      // generator block only
constexpr std::int32_t Generating = 0x0008; // a generator command

// The relay registers of the line interface by connection type, with (q) and without a generator.
const RelayCase RelayCases[] = {
    {"type 0 has no relays", 0, Quiet, {}},
    {"type 1 quiet", 1, Quiet, {{1, 0}, {2, 0}, {3, 252}, {5, 0}}},
    {"type 1 generating", 1, Generating, {{1, 0}, {2, 0}, {3, 206}, {5, 0}}},
    {"type 2", 2, Generating, {{1, 0}, {2, 0}, {3, 64}, {5, 0}}},
    {"type 3 quiet", 3, Quiet, {{1, 0}, {2, 0}, {3, 74}, {5, 0}}},
    {"type 4 generating", 4, 0x0080, {{1, 0}, {2, 0}, {3, 121}, {5, 0}}},
    {"type 5 quiet", 5, Quiet, {{1, 0}, {2, 0}, {3, 64}, {5, 252}}},
    {"type 5 generating", 5, Generating, {{1, 0}, {2, 0}, {3, 64}, {5, 206}}},
    {"type 6 quiet", 6, Quiet, {{3, 0}, {5, 0}, {1, 252}, {2, 0}}},
    {"type 6 generating", 6, Generating, {{3, 0}, {5, 0}, {1, 121}, {2, 0}}},
    {"type 7", 7, Quiet, {{3, 0}, {5, 0}, {1, 64}, {2, 0}}},
    {"type 8 quiet", 8, Quiet, {{3, 0}, {5, 0}, {1, 74}, {2, 0}}},
    {"type 8 generating", 8, 0x0020, {{3, 0}, {5, 0}, {1, 121}, {2, 0}}},
    {"type 9 quiet", 9, Quiet, {{3, 0}, {5, 0}, {1, 64}, {2, 252}}},
    {"type 9 generating", 9, Generating, {{3, 0}, {5, 0}, {1, 64}, {2, 206}}},
    {"type 10 quiet on old hardware", 10, Quiet, {{3, 0}, {5, 0}, {1, 74}, {2, 0}}},
    {"type 11 quiet", 11, Quiet, {{2, 0}, {3, 0}, {1, 64}, {5, 252}}},
    {"type 11 generating", 11, Generating, {{2, 0}, {3, 0}, {1, 64}, {5, 206}}},
    {"type 12 quiet", 12, Quiet, {{1, 0}, {5, 0}, {3, 64}, {2, 252}}},
    {"type 12 generating", 12, 0x0010, {{1, 0}, {5, 0}, {3, 64}, {2, 206}}},
    {"a type beyond the table", 13, Quiet, {}},
    {"a negative type", -1, Quiet, {}},
    {"no block and no generator: nothing", 2, 0x0101, {}},
    {"SYNC relay off", 2, 0x2000, {{4, 0}}},
};

class LineRelaysTest : public ConnectionTest {
protected:
    void SetUp() override {
        ConnectionTest::SetUp();
        ASSERT_EQ(OpenInstrument(QStringLiteral("Trova R-9")), 0);
    }
    // Runs SetLineRelays and returns the main-board writes it made.
    Writes Relays(std::int16_t type, std::int32_t mask) {
        settings.ConnectionType = type;
        settings.Mode = mask;
        const std::size_t before = rig.Instrument->I2cTransfers().size();
        SetLineRelays();
        const std::vector<SimI2cTransfer> transfers = rig.Instrument->I2cTransfers();
        Writes writes;
        for (std::size_t i = before; i < transfers.size(); ++i) {
            const SimI2cTransfer &t = transfers[i];
            if (!t.read && t.address == TFT_SPI::MainBoardChip && t.bytes.size() == 2)
                writes.emplace_back(t.bytes[0], t.bytes[1]);
        }
        return writes;
    }
};

TEST_F(LineRelaysTest, RegistersByConnectionType) {
    for (const RelayCase &c : RelayCases)
        EXPECT_EQ(Relays(c.type, c.mask), c.writes) << c.name;
    EXPECT_TRUE(boxes.empty());
    // The relays leave the pending bits to SendCommand.
    EXPECT_EQ(settings.Mode, 0x2000);
}

// Register 2 of type 10 follows the hardware version of the identification.
TEST_F(LineRelaysTest, Type10ByHardwareVersion) {
    for (auto [version, r2] : {std::pair{241, 0}, std::pair{242, 74}, std::pair{300, 74}}) {
        InstrumentIdent.HardwareVersion = std::int16_t(version);
        EXPECT_EQ(Relays(10, Generating), (Writes{{3, 0}, {5, 0}, {1, 121}, {2, r2}})) << version;
    }
}

TEST_F(LineRelaysTest, SyncRelayFollowsTheSyncState) {
    settings.SyncGenState = 1;
    EXPECT_EQ(Relays(2, 0x2000), (Writes{{4, 222}}));
    EXPECT_EQ(Relays(6, 0x2004), (Writes{{4, 222}, {3, 0}, {5, 0}, {1, 252}, {2, 0}}));
    settings.SyncGenState = 0;
    EXPECT_EQ(Relays(2, 0x2000), (Writes{{4, 0}}));
}

// The group shows one message: the failure of the second write, although the writes after it went through.
TEST_F(LineRelaysTest, OneMessageForTheLastFailureOfTheGroup) {
    SimBridgeFaults faults;
    faults.statuses = {{0, 0}, {1, 0}, {0, 0}, {0, 0}};
    rig.Instrument->SetBridgeFaults(faults);
    Relays(2, Quiet);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].text.contains(QStringLiteral("RegAddress = 2"))) << boxes[0].text.toStdString();
}

TEST(LineRelaysWithoutRegisterChannel, DoNothing) {
    TDeviceSettings settings = QuietSettings();
    TDeviceSettings *saved = DeviceSettings;
    DeviceSettings = &settings;
    FtSpi = nullptr;
    settings.Mode = 0x2004;
    settings.ConnectionType = 2;
    SetLineRelays();
    EXPECT_EQ(settings.Mode, 0x2004);
    DeviceSettings = saved;
}

} // namespace
