#include "SpiTestRig.h"

#include "link/PowerReadings.h"

#include <QCoreApplication>
#include <QTimer>

#include <string>

namespace {

// Hand-assembled channel-A traffic of the register channel, one element per write call.
const Bytes IntPoll = {0x81, 0x87};
const Bytes StatusRequest = {0x80, 0x13, 0xDB, 0x10, 0x02, 0x00, 0x21, 0x04, 0x00, 0x87};
const Bytes ClockOneByteIn = {0x20, 0x00, 0x00, 0x80, 0x1B, 0xDB, 0x87};

std::vector<Bytes> Checked() {
    return {IntPoll, StatusRequest, ClockOneByteIn};
}

std::vector<Bytes> Join(std::initializer_list<std::vector<Bytes>> parts) {
    std::vector<Bytes> all;
    for (const std::vector<Bytes> &part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

const QString Base = QStringLiteral(u"Ошибка на интерфейсе I2C\r\nDevAddress = 93\r\nRegAddress = 0");

} // namespace

TEST(FtSpi, ConstructionSetsTheClockAndResetsTheBridge) {
    VirtualClock clock{500};
    auto instrument = InstrumentOnTicks(SpiRig::NoDelay());
    TappedPort port(instrument);
    UsbHandle a = 0;
    ASSERT_EQ(port.OpenByLocation(0x3011, a), UsbOk);
    ASSERT_EQ(port.SetBitMode(a, 0, UsbBitModeMpsse), UsbOk);
    const std::uint32_t start = GetTickCount();
    {
        TFT_SPI spi(a, &port);
        EXPECT_TRUE(spi.Initialised());
        EXPECT_EQ(spi.Busy, 0);
        EXPECT_GE(TicksSince(start), 200u);
        const std::vector<Bytes> expected = {
            {0x86, 0x06, 0x00, 0x85, 0x80, 0x00, 0xDB, 0x87},
            {0x80, 0x13, 0xDB, 0x87},
            {0x82, 0x00, 0x07, 0x87},
            {0x80, 0x13, 0xDB, 0x10, 0x02, 0x00, 0x20, 0x02, 0x0A, 0x80, 0x1B, 0xDB, 0x87},
            {0x80, 0x13, 0xDB, 0x10, 0x02, 0x00, 0x20, 0x03, 0xFF, 0x80, 0x1B, 0xDB, 0x87},
        };
        EXPECT_EQ(port.writes, expected);
        EXPECT_EQ(instrument->BridgeRegister(2), 10);
        EXPECT_EQ(instrument->BridgeRegister(3), 255);
        port.writes.clear();
    }
    // Leaving: high GPIO byte 0, then the main board's register 0 := 0.
    ASSERT_GE(port.writes.size(), 1u);
    EXPECT_EQ(port.writes[0], (Bytes{0x82, 0x00, 0x07, 0x87}));
    EXPECT_EQ(port.writes[1],
              (Bytes{0x80, 0x13, 0xDB, 0x10, 0x04, 0x00, 0x00, 0x02, 0xBA, 0x00, 0x00, 0x80, 0x1B, 0xDB, 0x87}));

    // A channel that takes no writes: construction reports it.
    UsbHandle b = 0;
    SimConfig failing = SpiRig::NoDelay();
    failing.failing = {SimCall::WriteA};
    TappedPort broken(InstrumentOnTicks(failing));
    ASSERT_EQ(broken.OpenByLocation(0x3011, b), UsbOk);
    EXPECT_FALSE(TFT_SPI(b, &broken).Initialised());
}

// The bridge's replies may reach the port a byte at a time.
TEST(FtSpi, RepliesInPieces) {
    SimConfig config = SpiRig::NoDelay();
    config.replyPieceA = 1;
    SpiRig rig(config);
    std::int32_t out[2] = {};
    ASSERT_TRUE(rig.spi->ReadRegs(37, 0x5D, 2, out)) << rig.spi->LastError.toStdString();
    EXPECT_EQ(out[0], 0x62);
    EXPECT_EQ(out[1], 11);
}

TEST(FtSpi, WriteRegGoldenBytes) {
    SpiRig rig;
    ASSERT_TRUE(rig.spi->WriteReg(0, 0x5D, 64));
    const std::vector<Bytes> expected = Join({
        {{0x80, 0x13, 0xDB, 0x10, 0x04, 0x00, 0x00, 0x02, 0xBA, 0x00, 0x40, 0x80, 0x1B, 0xDB, 0x87}},
        Checked(),
    });
    EXPECT_EQ(rig.port.writes, expected);
    EXPECT_EQ(rig.instrument->ChipRegister(0x5D, 0), 64);
    EXPECT_EQ(rig.spi->LastResult, 0);
    EXPECT_TRUE(rig.spi->LastError.isEmpty());
    EXPECT_EQ(rig.spi->Busy, 0);
}

TEST(FtSpi, ReadRegsGoldenBytes) {
    SpiRig rig;
    std::int32_t out[2] = {-1, -1};
    ASSERT_TRUE(rig.spi->ReadRegs(37, 0x5D, 2, out));
    EXPECT_EQ(out[0], 0x62);
    EXPECT_EQ(out[1], 11);
    const std::vector<Bytes> expected = Join({
        {{0x80, 0x13, 0xDB, 0x10, 0x03, 0x00, 0x00, 0x01, 0xBA, 0x25, 0x80, 0x1B, 0xDB, 0x87}},
        Checked(),
        {{0x80, 0x13, 0xDB, 0x10, 0x02, 0x00, 0x01, 0x02, 0xBB, 0x80, 0x1B, 0xDB, 0x87}},
        Checked(),
        {{0x80, 0x13, 0xDB, 0x10, 0x02, 0x00, 0x21, 0x06, 0x00, 0x87}, ClockOneByteIn},
        {{0x80, 0x13, 0xDB, 0x10, 0x01, 0x00, 0x06, 0x00, 0x87}, {0x20, 0x01, 0x00, 0x80, 0x1B, 0xDB, 0x87}},
        Checked(),
    });
    EXPECT_EQ(rig.port.writes, expected);

    // Bytes above 127 stay positive, and the BC bus select rides on every GPIO write while it is on.
    rig.instrument->SetChipRegister(0x61, 20, 0xE2);
    ASSERT_TRUE(rig.spi->SelectBusBC(true));
    EXPECT_EQ(rig.spi->BusBC, 0x40);
    rig.port.writes.clear();
    std::int32_t temp[1] = {0};
    ASSERT_TRUE(rig.spi->ReadRegs(20, 0x61, 1, temp));
    EXPECT_EQ(temp[0], 0xE2);
    EXPECT_EQ(rig.port.writes[0],
              (Bytes{0x80, 0x53, 0xDB, 0x10, 0x03, 0x00, 0x00, 0x01, 0xC2, 0x14, 0x80, 0x5B, 0xDB, 0x87}));
}

TEST(FtSpi, SelectBusBcWritesTheDeselectedLinesAndSettles) {
    SpiRig rig;
    const std::uint32_t start = GetTickCount();
    ASSERT_TRUE(rig.spi->SelectBusBC(true));
    EXPECT_GE(TicksSince(start), 700u);
    ASSERT_TRUE(rig.spi->SelectBusBC(false));
    EXPECT_EQ(rig.spi->BusBC, 0);
    EXPECT_EQ(rig.port.writes, (std::vector<Bytes>{{0x80, 0x5B, 0xDB, 0x87}, {0x80, 0x1B, 0xDB, 0x87}}));
    // The BC chip is out of reach again.
    std::int32_t out[1] = {0};
    EXPECT_FALSE(rig.spi->ReadRegs(37, 0x61, 1, out));
    EXPECT_EQ(rig.spi->LastResult, 1);
}

TEST(FtSpi, StatusCodesAndTheirTexts) {
    struct Case {
        SimForcedStatus forced;
        std::uint8_t result;
        const char16_t *text; // null: success
    };
    const Case cases[] = {
        {{1, 0}, 1, u"\r\nУстройство не найдено. Нет ACK."},
        {{2, 0}, 2, u"\r\nРегистр не найден. Нет ACK."},
        {{3, 101}, 3, u"\r\nI2C занят.Исполняется транзакция."},
        {{8, 101}, 8, u"\r\nТранзакция I2C прекращена по таймауту."},
        {{9, 0}, 9, u"\r\nОшибка данных."},
        {{10, 0}, 10, u"\r\nI2C SCL = Low таймаут по I2CTO2."},
        {{11, 0}, 11, u"\r\nI2C шина не освобождена.Возможно FREN = 0."},
        {{5, 0}, 5, u"\r\nНедокументированный статус."},
        {{15, 0}, 15, u"\r\nНедокументированный статус."},
        {{3, 100}, 0, nullptr}, // busy for the first read and 99 of the 100 retries
        {{8, 3}, 0, nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(int(c.forced.status) * 1000 + int(c.forced.reads));
        SimBridgeFaults faults;
        faults.statuses = {c.forced};
        SpiRig rig(SpiRig::WithFaults(faults));
        const std::uint32_t start = GetTickCount();
        EXPECT_EQ(rig.spi->WriteReg(0, 0x5D, 1), c.text == nullptr);
        EXPECT_EQ(rig.spi->LastResult, c.result);
        const QString expected =
            c.text ? Base + QString::fromUtf16(c.text) + QStringLiteral("\r\nResultI2C = ") + QString::number(c.result)
                   : QString();
        EXPECT_EQ(rig.spi->LastError, expected);
        // Busy and time-out are asked again every 10 ms, at most 100 times.
        if (c.forced.reads > 0) {
            EXPECT_EQ(TicksSince(start), std::min<std::uint32_t>(c.forced.reads, 100) * 10);
        }
    }
}

TEST(FtSpi, ChipsThatDoNotAnswer) {
    SpiRig rig;
    std::int32_t out[2] = {7, 7};
    EXPECT_FALSE(rig.spi->ReadRegs(37, 0x61, 2, out)); // BC bus not selected
    EXPECT_EQ(rig.spi->LastResult, 1);
    EXPECT_EQ(rig.spi->LastError, QStringLiteral(u"Ошибка на интерфейсе I2C\r\nDevAddress = 97\r\nRegAddress = 37"
                                                 u"\r\nУстройство не найдено. Нет ACK.\r\nResultI2C = 1"));
    EXPECT_EQ(out[0], 7);                          // untouched
    EXPECT_FALSE(rig.spi->WriteReg(200, 0x5D, 0)); // past the chip's registers
    EXPECT_EQ(rig.spi->LastResult, 2);
    EXPECT_TRUE(rig.spi->WriteReg(1, 0x5D, 0)); // a success empties the text
    EXPECT_TRUE(rig.spi->LastError.isEmpty());
}

TEST(FtSpi, StuckIntGivesUpAfterFiveSeconds) {
    SimBridgeFaults faults;
    faults.stuckInt = true;
    SpiRig rig(SpiRig::WithFaults(faults));
    const std::uint32_t start = GetTickCount();
    EXPECT_FALSE(rig.spi->WriteReg(0, 0x5D, 64));
    const std::uint32_t spent = TicksSince(start);
    EXPECT_GE(spent, 5000u);
    EXPECT_LE(spent, 5010u);
    EXPECT_EQ(rig.spi->IntTimeout, 1);
    EXPECT_EQ(rig.spi->LastResult, 255);
    EXPECT_EQ(rig.spi->LastError,
              Base + QStringLiteral(u"\r\nСигнал INT на SPI = 1") + QStringLiteral("\r\nResultI2C = 255"));
    // Polls sleep a millisecond each: about one poll per millisecond, not a busy spin.
    EXPECT_NEAR(double(rig.port.writes.size()), 5001.0, 5.0);
}

TEST(FtSpi, IntIsPolledAboutOnceAMillisecond) {
    SpiRig rig(SpiRig::WithFaults(SimBridgeFaults(), 30));
    const std::uint32_t start = GetTickCount();
    ASSERT_TRUE(rig.spi->WriteReg(0, 0x5D, 64));
    EXPECT_EQ(TicksSince(start), 30u);
    EXPECT_EQ(std::count(rig.port.writes.begin(), rig.port.writes.end(), IntPoll), 31);
}

TEST(FtSpi, DriverFailuresAreReported) {
    // Reads of channel A fail: no INT reply.
    SimConfig config = SpiRig::NoDelay();
    config.failing = {SimCall::ReadA};
    SpiRig failing(config);
    EXPECT_FALSE(failing.spi->WriteReg(0, 0x5D, 64));
    EXPECT_EQ(failing.spi->LastError,
              Base + QStringLiteral(u"\r\nОшибка USB = 4") + QStringLiteral("\r\nResultI2C = 255"));
}

TEST(FtSpi, ByteCountOfTheBridgeIsBounded) {
    struct Case {
        int skew;
        bool ok;
        const char16_t *text;
    };
    const Case cases[] = {
        {-1, false, u"\r\nПринято байт: 1 из 2."},
        {-2, false, u"\r\nПринято байт: 0 из 2."},
        {+3, true, nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.skew);
        SimBridgeFaults faults;
        faults.rxCountSkew = c.skew;
        SpiRig rig(SpiRig::WithFaults(faults));
        std::int32_t out[2] = {-1, -1};
        EXPECT_EQ(rig.spi->ReadRegs(37, 0x5D, 2, out), c.ok);
        if (c.ok) {
            EXPECT_EQ(out[0], 0x62);
            EXPECT_EQ(out[1], 11);
            // Nothing of the surplus is left to spoil the next answer.
            std::int32_t battery[2] = {0, 0};
            ASSERT_TRUE(rig.spi->ReadRegs(75, 0x5D, 2, battery));
            EXPECT_EQ(battery[0], 0x60);
            EXPECT_EQ(battery[1], 85);
        } else {
            EXPECT_EQ(out[0], -1);
            EXPECT_EQ(rig.spi->LastError,
                      QStringLiteral(u"Ошибка на интерфейсе I2C\r\nDevAddress = 93\r\nRegAddress = 37") +
                          QString::fromUtf16(c.text) + QStringLiteral("\r\nResultI2C = 255"));
        }
    }
    SpiRig rig;
    std::int32_t out[65] = {};
    EXPECT_FALSE(rig.spi->ReadRegs(0, 0x5D, 65, out));
    EXPECT_FALSE(rig.spi->ReadRegs(0, 0x5D, 0, out));
    EXPECT_TRUE(rig.port.writes.empty());
    EXPECT_TRUE(rig.spi->ReadRegs(0, 0x5D, 64, out));
}

// A caller that arrives while a transaction waits (a timer, say) is refused at once: it writes nothing,
// the running transaction goes on unchanged, and nothing hangs.
TEST(FtSpi, ACallDuringATransactionNeitherInterleavesNorHangs) {
    SpiRig plain;
    std::int32_t expectedOut[2] = {};
    ASSERT_TRUE(plain.spi->ReadRegs(37, 0x5D, 2, expectedOut));
    const std::vector<Bytes> alone = plain.port.writes;

    SpiRig rig;
    RestartPowerReadings();
    int nested = 0;
    std::vector<QString> nestedErrors;
    rig.port.beforeWrite = [&] {
        if (rig.port.writes.size() != 3)
            return;
        ++nested;
        const std::size_t before = rig.port.writes.size();
        std::int32_t out[2] = {-5, -5};
        EXPECT_FALSE(rig.spi->ReadRegs(75, 0x5D, 2, out));
        EXPECT_EQ(out[0], -5);
        nestedErrors.push_back(rig.spi->LastError);
        EXPECT_FALSE(rig.spi->WriteReg(0, 0x5D, 1));
        EXPECT_FALSE(rig.spi->SelectBusBC(true));
        EXPECT_EQ(rig.spi->BusBC, 0);
        ReadC9A9Status(); // the power timer skips its tick
        ReadBCStatus();
        EXPECT_EQ(rig.port.writes.size(), before);
    };
    std::int32_t out[2] = {};
    ASSERT_TRUE(rig.spi->ReadRegs(37, 0x5D, 2, out));
    EXPECT_EQ(nested, 1);
    EXPECT_EQ(out[0], expectedOut[0]);
    EXPECT_EQ(out[1], expectedOut[1]);
    EXPECT_EQ(rig.port.writes, alone);
    EXPECT_TRUE(rig.spi->LastError.isEmpty());
    EXPECT_EQ(rig.spi->Busy, 0);
    ASSERT_EQ(nestedErrors.size(), 1u);
    EXPECT_EQ(nestedErrors[0], QStringLiteral(u"Ошибка на интерфейсе I2C\r\nDevAddress = 93\r\nRegAddress = 75"
                                              u"\r\nI2C занят.Исполняется транзакция."));
    EXPECT_TRUE(rig.boxes.empty()); // the skipped power tick shows nothing

    // The skipped tick did not advance the alternation: the next one reads the battery group.
    rig.port.beforeWrite = nullptr;
    const std::size_t transfers = rig.instrument->I2cTransfers().size();
    ReadC9A9Status();
    const std::vector<SimI2cTransfer> after = rig.instrument->I2cTransfers();
    ASSERT_GT(after.size(), transfers);
    EXPECT_EQ(after[transfers].bytes, (Bytes{75}));
}

// While a transaction waits for the bridge, posted work (the windows' painting goes the same way) is
// served; a register read that a timer starts meanwhile runs after the transaction, not inside it.
TEST(FtSpi, WaitsServeTheWindowsAndATimersReadRunsAfterTheTransaction) {
    SpiRig rig(SpiRig::WithFaults(SimBridgeFaults(), 30));
    std::vector<std::string> log;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [&] { log.push_back(rig.spi->Busy ? "served while busy" : "served after"); },
        Qt::QueuedConnection);
    QTimer timer;
    timer.setSingleShot(true);
    std::int32_t out[2] = {};
    QObject::connect(&timer, &QTimer::timeout, [&] {
        log.push_back(rig.spi->Busy ? "timer while busy" : "timer after");
        log.push_back(rig.spi->ReadRegs(37, 0x5D, 2, out) ? "read" : "refused");
    });
    timer.start(0);
    ASSERT_TRUE(rig.spi->WriteReg(0, 0x5D, 64));
    EXPECT_EQ(log, std::vector<std::string>{"served while busy"});
    ASSERT_TRUE(WaitUntil([&] { return log.size() >= 3; }));
    EXPECT_EQ(log, (std::vector<std::string>{"served while busy", "timer after", "read"}));
    EXPECT_EQ(out[0], 0x62);
}

TEST(FtSpi, ShowI2CErrorShowsTheLastErrorOnce) {
    SpiRig rig;
    ShowI2CError();
    EXPECT_TRUE(rig.boxes.empty()); // nothing failed
    std::int32_t out[1] = {};
    EXPECT_FALSE(rig.spi->ReadRegs(37, 0x61, 1, out));
    ShowI2CError();
    ASSERT_EQ(rig.boxes.size(), 1u);
    EXPECT_EQ(rig.boxes[0].text, rig.spi->LastError);
    EXPECT_EQ(rig.boxes[0].caption, QStringLiteral(u"Ошибка!"));
    EXPECT_EQ(rig.boxes[0].icon, MsgIcon::Warning);

    // In batch mode the text goes to the batch log instead of a box.
    std::vector<QString> log;
    SetBatchMessageSink([&](const MessageRequest &request) {
        log.push_back(request.text);
        return int(IdOk);
    });
    ShowI2CError();
    SetBatchMessageSink({});
    EXPECT_EQ(rig.boxes.size(), 1u);
    EXPECT_EQ(log, std::vector<QString>{rig.spi->LastError});

    FtSpi = nullptr;
    ShowI2CError();
    EXPECT_EQ(rig.boxes.size(), 1u);
}

TEST(FtSpi, LeavingSwitchesTheBoardsOff) {
    SpiRig rig;
    ASSERT_TRUE(rig.spi->WriteReg(0, 0x5D, 64));
    ASSERT_TRUE(rig.spi->SelectBusBC(true));
    ASSERT_TRUE(rig.spi->WriteReg(40, 0x61, 3));
    FtSpi = nullptr;
    rig.port.writes.clear();
    rig.spi.reset();
    EXPECT_EQ(rig.instrument->ChipRegister(0x61, 40), 0);
    EXPECT_EQ(rig.instrument->ChipRegister(0x5D, 0), 0);
    // In order: high GPIO byte 0, BC register 40 while the bus is still selected, bus off, main register 0.
    const std::vector<Bytes> expected = Join({
        {{0x82, 0x00, 0x07, 0x87}},
        {{0x80, 0x53, 0xDB, 0x10, 0x04, 0x00, 0x00, 0x02, 0xC2, 0x28, 0x00, 0x80, 0x5B, 0xDB, 0x87}},
        {IntPoll,
         {0x80, 0x53, 0xDB, 0x10, 0x02, 0x00, 0x21, 0x04, 0x00, 0x87},
         {0x20, 0x00, 0x00, 0x80, 0x5B, 0xDB, 0x87}},
        {{0x80, 0x1B, 0xDB, 0x87}},
        {{0x80, 0x13, 0xDB, 0x10, 0x04, 0x00, 0x00, 0x02, 0xBA, 0x00, 0x00, 0x80, 0x1B, 0xDB, 0x87}},
        Checked(),
    });
    EXPECT_EQ(rig.port.writes, expected);
}

TEST(FtSpi, BoardCheck) {
    struct Case {
        const char *what;
        std::uint8_t main[2];
        std::uint8_t bc[2];
        bool service;
        bool result;
        const char16_t *text;
        bool bcRead;
    };
    const Case cases[] = {
        {"both right", {0x62, 11}, {0x71, 5}, false, true, u"", true},
        {"main board 5", {0x52, 11}, {0x71, 5}, false, false, u"Не совпадает ID C9-A9 (Val=5)", false},
        {"main board 5, service", {0x52, 11}, {0x71, 5}, true, true, u"Не совпадает ID C9-A9 (Val=5)", true},
        {"BC board 8", {0x62, 11}, {0x83, 0}, false, false, u"Не совпадает ID BC (Val=8)", true},
        {"BC board 8, service", {0x62, 11}, {0x83, 0}, true, true, u"Не совпадает ID BC (Val=8)", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        SimConfig config = SpiRig::NoDelay();
        std::copy_n(c.main, 2, config.mainBoardIdent);
        std::copy_n(c.bc, 2, config.bcBoardIdent);
        SpiRig rig(config);
        BcStatus = 1;
        QString text;
        BoardVersions versions{1, 2};
        const std::uint32_t start = GetTickCount();
        EXPECT_EQ(CheckBoardIds(text, c.service, versions), c.result);
        EXPECT_EQ(text, QString::fromUtf16(c.text));
        EXPECT_EQ(BcStatus, 0);
        EXPECT_EQ(versions.mainBoard, (c.main[0] & 15) * 100 + c.main[1]);
        EXPECT_EQ(versions.bcBoard, c.bcRead ? (c.bc[0] & 15) * 100 + c.bc[1] : 2);
        EXPECT_EQ(rig.spi->BusBC, 0);
        EXPECT_EQ(TicksSince(start) >= 1400, c.bcRead);
        EXPECT_TRUE(rig.boxes.empty());
    }

    // An unreadable board shows its error and counts as identifier 0, its version untouched.
    SimBridgeFaults faults;
    faults.statuses = {{0, 0}, {1, 0}};
    SpiRig rig(SpiRig::WithFaults(faults));
    QString text;
    BoardVersions versions{1, 2};
    EXPECT_FALSE(CheckBoardIds(text, false, versions));
    EXPECT_EQ(text, QStringLiteral(u"Не совпадает ID C9-A9 (Val=0)"));
    EXPECT_EQ(versions.mainBoard, 1);
    ASSERT_EQ(rig.boxes.size(), 1u);
    EXPECT_TRUE(rig.boxes[0].text.contains(QStringLiteral(u"Устройство не найдено")));
}
