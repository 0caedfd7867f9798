#include "SpiTestRig.h"

#include "link/PowerReadings.h"
#include "link/PowerState.h"

namespace {

constexpr float None = -9999999.0f;

// Every test starts from freshly filled rows and the first group of both reading steps.
class PowerReadings : public ::testing::Test {
protected:
    void SetUp() override {
        InitPowerStates();
        RestartPowerReadings();
        BcStatus = 0;
    }
};

// The register bytes the I2C transfers of one reading step asked for (the register byte written first).
std::vector<std::uint8_t> RegistersRead(const std::vector<SimI2cTransfer> &transfers, std::size_t from) {
    std::vector<std::uint8_t> registers;
    for (std::size_t i = from; i < transfers.size(); ++i)
        if (!transfers[i].read && transfers[i].bytes.size() == 1)
            registers.push_back(transfers[i].bytes[0]);
    return registers;
}

} // namespace

TEST_F(PowerReadings, RowsAfterInit) {
    PowerState[7] = PowerStateEntry{};
    PowerState[7].Ok = 0;
    PowerState[7].ErrorCount = 5;
    PowerState[7].WarnState = 1234;
    PowerState[7].Present = 0;
    InitPowerStates();
    for (int i = 0; i < PowerStateCount; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(PowerState[i].Ok, 1);
        EXPECT_EQ(PowerState[i].Value, None);
        EXPECT_EQ(PowerState[i].WarnState, 0);
        EXPECT_EQ(PowerState[i].Present, 1);
        EXPECT_EQ(PowerState[i].ErrorCount, 0);
        EXPECT_FALSE(PowerState[i].Name.isEmpty());
    }
    // The rows the power watch interprets.
    EXPECT_EQ(PowerState[0].Name, QStringLiteral(u"Состояние аккумулятора"));
    EXPECT_EQ(PowerState[0].RegLow, 76);
    EXPECT_EQ(PowerState[1].RegLow, 75);
    EXPECT_EQ(PowerState[2].Chip, -1);
    EXPECT_EQ(
        PowerState[2].WarningFormat,
        QStringLiteral(u"Аккумулятор разряжен или отсутствует (BATT_LOW=0),\r\nподключите внешний источник питания!"));
    EXPECT_EQ(PowerState[5].Name, QStringLiteral(u"Напряжение на аккумуляторе,В"));
    EXPECT_FLOAT_EQ(PowerState[5].LowLimit, 6.8f);
    EXPECT_FLOAT_EQ(PowerState[5].HighLimit, 12.0f);
    EXPECT_EQ(PowerState[6].RegLow, 26);
    EXPECT_EQ(PowerState[6].RegHigh, 27);
    EXPECT_EQ(PowerState[13].Chip, 0x61);
    EXPECT_EQ(PowerState[13].RegLow, 24);
    EXPECT_EQ(PowerState[13].WarningFormat,
              QStringLiteral(u"Температура линии RxD на резисторе 75 Ом не в норме\r\n = %3.1f В [%3.1f,%3.1f]"));
}

TEST_F(PowerReadings, ConversionTable) {
    struct Case {
        int index, low, high;
        float value;
    };
    // Expected values in single precision from the rules: raw with bit 15 set less 65535, times the
    // row's scale; temperatures 70 - 2.5 i for the first step above the raw count.
    const Case cases[] = {
        {3, 0xFF, 0xFF, 0.0f},         // 0xFFFF reads as 0
        {3, 0x00, 0x80, -16.3835011f}, // 0x8000: -32767 counts
        {3, 0xFF, 0x7F, 16.3835011f},  // largest positive
        {3, 0xC8, 0x19, 3.30000019f},  // 6600 counts
        {5, 0xA0, 0x41, 8.40000057f},  // 16800 counts
        {0, 85, 0, 85.0f},             // battery charge, %
        {1, 0x60, 0, 96.0f},           // status byte
        {11, 39, 0, 70.0f},
        {11, 40, 0, 67.5f},
        {12, 100, 0, 37.5f},
        {13, 225, 0, 2.5f},
        {13, 226, 0, None},
        {13, 0xFF, 0, None},
        {12, 39, 1, None}, // the high byte counts: 295
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.index * 100000 + c.high * 256 + c.low);
        UpdatePowerState(c.index, c.low, c.high);
        EXPECT_FLOAT_EQ(PowerState[c.index].Value, c.value);
    }
    UpdatePowerState(14, 1, 0); // no such row: nothing happens
    UpdatePowerState(-1, 1, 0);
}

TEST_F(PowerReadings, FaultNeedsThreeReadingsInARow) {
    // Row 7: 3.0 to 3.6 V, judged above 1 V. Readings in counts of 0.5 mV.
    struct Step {
        int counts;
        std::uint8_t ok, present;
        int errors;
        int warnState; // after the reading, with 1234 set before it
    };
    const Step steps[] = {
        {5000, 1, 1, 1, 1234},                        // 2.5 V: first out of range
        {7400, 1, 1, 2, 1234},                        // 3.7 V: second
        {5000, 0, 1, 3, 1234},                        // third: fault
        {5000, 0, 1, 4, 1234}, {6600, 1, 1, 0, 0},    // 3.3 V: back inside, countdown cleared
        {5000, 1, 1, 1, 1234}, {1800, 1, 0, 0, 1234}, // 0.9 V: absent, count reset, countdown left alone
        {5000, 1, 1, 1, 1234},
    };
    for (int i = 0; const Step &s : steps) {
        SCOPED_TRACE(i++);
        PowerState[7].WarnState = 1234;
        UpdatePowerState(7, s.counts & 0xFF, s.counts >> 8);
        EXPECT_EQ(PowerState[7].Ok, s.ok);
        EXPECT_EQ(PowerState[7].Present, s.present);
        EXPECT_EQ(PowerState[7].ErrorCount, s.errors);
        EXPECT_EQ(PowerState[7].WarnState, s.warnState);
    }
    // A temperature sensor that reads nothing counts as out of range.
    for (int i = 0; i < 3; ++i)
        UpdatePowerState(11, 230, 0);
    EXPECT_EQ(PowerState[11].Ok, 0);
    EXPECT_EQ(PowerState[11].Present, 1);
}

TEST_F(PowerReadings, MainBoardStepsAlternate) {
    SpiRig rig;
    rig.instrument->SetChipRegister(0x5D, 75, 0x20); // external supply, BATT_LOW pulled low
    rig.instrument->SetChipRegister(0x5D, 76, 66);
    rig.instrument->SetChipRegister(0x5D, 30, 0x88); // row 8: 5000 counts, 2.5 V
    rig.instrument->SetChipRegister(0x5D, 31, 0x13);

    std::size_t seen = 0;
    const auto next = [&] {
        const std::vector<SimI2cTransfer> transfers = rig.instrument->I2cTransfers();
        const std::vector<std::uint8_t> registers = RegistersRead(transfers, seen);
        seen = transfers.size();
        return registers;
    };

    ReadC9A9Status();
    EXPECT_EQ(next(), (std::vector<std::uint8_t>{75}));
    EXPECT_FLOAT_EQ(PowerState[1].Value, 32.0f);
    EXPECT_FLOAT_EQ(PowerState[2].Value, 0.0f);
    EXPECT_EQ(PowerState[2].Present, 0);
    EXPECT_FLOAT_EQ(PowerState[0].Value, 66.0f);
    EXPECT_EQ(PowerState[3].Value, None); // voltages not read yet
    EXPECT_EQ(PowerState[10].Present, 0); // BC bus not selected

    ReadC9A9Status();
    EXPECT_EQ(next(), (std::vector<std::uint8_t>{20}));
    const float volts[] = {3.3f, 5.0f, 8.4f, 9.5f, 3.3f, 2.5f, 3.3f, 5.0f};
    for (int i = 0; i < 8; ++i)
        EXPECT_NEAR(PowerState[3 + i].Value, volts[i], 1e-5) << i;
    EXPECT_EQ(PowerState[8].ErrorCount, 1);
    EXPECT_EQ(PowerState[10].Present, 0);

    // A status byte of 0 is read once more; with the BC bus selected row 10 stays present.
    rig.instrument->SetChipRegister(0x5D, 75, 0);
    ASSERT_TRUE(rig.spi->SelectBusBC(true));
    next();
    ReadC9A9Status();
    EXPECT_EQ(next(), (std::vector<std::uint8_t>{75, 75}));
    ReadC9A9Status();
    EXPECT_EQ(next(), (std::vector<std::uint8_t>{20}));
    EXPECT_EQ(PowerState[10].Present, 1);
    rig.instrument->SetChipRegister(0x5D, 75, 0x60);

    // The board check starts both steps over with their first group.
    ReadC9A9Status();
    next();
    QString text;
    BoardVersions versions;
    ASSERT_TRUE(CheckBoardIds(text, false, versions));
    next();
    ReadC9A9Status();
    EXPECT_EQ(next(), (std::vector<std::uint8_t>{75}));
}

TEST_F(PowerReadings, BcBoardStepsAlternateOnlyWhileItsBusIsSelected) {
    SpiRig rig;
    rig.instrument->SetChipRegister(0x61, 20, 39);
    rig.instrument->SetChipRegister(0x61, 22, 226);
    rig.instrument->SetChipRegister(0x61, 120, 4);
    for (int i = 11; i < 14; ++i)
        PowerState[i].Present = 1;

    ReadBCStatus(); // bus not selected: rows absent, nothing read, the alternation stays
    EXPECT_TRUE(rig.instrument->I2cTransfers().empty());
    for (int i = 11; i < 14; ++i)
        EXPECT_EQ(PowerState[i].Present, 0) << i;

    ASSERT_TRUE(rig.spi->SelectBusBC(true));
    ReadBCStatus();
    EXPECT_FLOAT_EQ(PowerState[11].Value, 70.0f);
    EXPECT_EQ(PowerState[12].Value, None);
    EXPECT_FLOAT_EQ(PowerState[13].Value, 37.5f);
    EXPECT_EQ(BcStatus, 0);

    ReadBCStatus();
    EXPECT_EQ(BcStatus, 1);
    rig.instrument->SetChipRegister(0x61, 120, 0);
    ReadBCStatus();
    ReadBCStatus();
    EXPECT_EQ(BcStatus, 0);
    EXPECT_TRUE(rig.boxes.empty());
}

TEST_F(PowerReadings, FailedReadsAreShownAndConvertNothing) {
    SimBridgeFaults faults;
    faults.statuses = {{0, 0}, {9, 0}};
    SpiRig rig(SpiRig::WithFaults(faults));
    UpdatePowerState(0, 50, 0);
    ReadC9A9Status();
    ASSERT_EQ(rig.boxes.size(), 1u);
    EXPECT_TRUE(rig.boxes[0].text.contains(QStringLiteral(u"\r\nОшибка данных.")));
    EXPECT_FLOAT_EQ(PowerState[0].Value, 50.0f); // kept
    EXPECT_EQ(PowerState[1].Value, None);
    ReadC9A9Status(); // the step still advanced
    EXPECT_NEAR(PowerState[3].Value, 3.3f, 1e-5);

    // No register channel, or one that is busy: nothing at all.
    rig.port.writes.clear();
    rig.spi->Busy = 1;
    ReadC9A9Status();
    ReadBCStatus();
    rig.spi->Busy = 0;
    FtSpi = nullptr;
    ReadC9A9Status();
    ReadBCStatus();
    EXPECT_TRUE(rig.port.writes.empty());
    EXPECT_EQ(rig.boxes.size(), 1u);
}
