#include "ConnectionFixture.h"

#include "link/Emulator.h"
#include "platform/Cp1251.h"
#include "protocols/BatchLog.h"
#include "protocols/PackageWork.h"

#include <QFile>

namespace {

const QString Description = QStringLiteral("Trova R-9");

using OpenInstrumentTest = ConnectionTest;

TEST_F(OpenInstrumentTest, OpensLinkAndRegisterChannel) {
    bool attachedBeforeConnect = false;
    SetLinkEventHooks({[&](TDspIo9 &link) { attachedBeforeConnect = !link.IsRunning(); }, {}});
    EXPECT_EQ(OpenDevice(Description), 0);
    SetLinkEventHooks({});

    ASSERT_NE(DspIo, nullptr);
    ASSERT_NE(FtSpi, nullptr);
    EXPECT_TRUE(DspIo->IsRunning());
    EXPECT_TRUE(attachedBeforeConnect);
    EXPECT_EQ(DspIo->HexFileName, folder.path(QStringLiteral("r9_307.i00")));
    EXPECT_EQ(MirvakFirmware, 0);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(view.beeps, 2);
    // The main board is switched on; the board versions reach the identification block.
    EXPECT_EQ(rig.Instrument->ChipRegister(TFT_SPI::MainBoardChip, 0), 64);
    EXPECT_EQ(InstrumentIdent.MainBoardFirmware, 2 * 100 + 11);
    EXPECT_EQ(InstrumentIdent.BcBoardFirmware, 1 * 100 + 5);
    for (const char *panel : {"Panel_RecvErrCnt", "Panel_SendErrCnt", "Panel_RecvReqCnt", "Panel_SendReqCnt",
                              "Panel_ComRdErrCnt", "Panel_ComWrErrCnt", "Panel_ComOver", "Panel_SSTErr"})
        EXPECT_EQ(view.panels.count(QLatin1String(panel)), 1u) << panel;
    EXPECT_EQ(view.panels[QStringLiteral("Panel_ComOver")], QStringLiteral("0"));
    EXPECT_TRUE(ConnectionOpen());
}

// A second open releases the objects of the first: the instrument is free again (else it would be busy,
// status 1), and the old register channel switched the main board off through its still open channel.
TEST_F(OpenInstrumentTest, ReopenReleasesTheOldObjects) {
    ASSERT_EQ(OpenInstrument(Description), 0);
    const std::size_t firstOpen = rig.Instrument->I2cTransfers().size();
    ASSERT_EQ(OpenInstrument(Description), 0);
    EXPECT_TRUE(boxes.empty());

    const std::vector<SimI2cTransfer> transfers = rig.Instrument->I2cTransfers();
    std::vector<std::vector<std::uint8_t>> mainWrites;
    for (std::size_t i = firstOpen; i < transfers.size(); ++i)
        if (!transfers[i].read && transfers[i].address == TFT_SPI::MainBoardChip && transfers[i].bytes.size() == 2)
            mainWrites.push_back(transfers[i].bytes);
    ASSERT_GE(mainWrites.size(), 2u);
    EXPECT_EQ(mainWrites.front(), (std::vector<std::uint8_t>{0, 0}));
    EXPECT_EQ(mainWrites.back(), (std::vector<std::uint8_t>{0, 64}));
}

TEST_F(OpenInstrumentTest, SelectiveRunLoadsItsOwnProgram) {
    settings.Mirvak.RunState = 1;
    // Only the ordinary program is in the folder.
    EXPECT_EQ(OpenInstrument(Description), 8);
    EXPECT_EQ(MirvakFirmware, 1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, QStringLiteral("Не найден файл с кодом загружаемой программы "));

    boxes.clear();
    folder.write(QStringLiteral("r9_307_sst.i00"), FirmwareFolder::SmallProgram());
    EXPECT_EQ(OpenInstrument(Description), 0);
    EXPECT_EQ(DspIo->HexFileName, folder.path(QStringLiteral("r9_307_sst.i00")));
    EXPECT_TRUE(boxes.empty());
}

struct FailureCase {
    const char *name;
    void (*configure)(SimConfig &);
    QString description;
    int status;
    QString text;
};

using OpenInstrumentFailure = ConnectionGlobals;
TEST_F(OpenInstrumentFailure, EachStatusShowsItsTextAndLeavesNoLinkObjects) {
    const FailureCase cases[] = {
        {"description not in the list", [](SimConfig &) {}, QStringLiteral("Trova R-12"), 1,
         QStringLiteral("Trova R-12 недоступен или отсутствует в системе ")},
        {"no device at all", [](SimConfig &c) { c.nodes.clear(); }, Description, 1,
         QStringLiteral("Trova R-9 недоступен или отсутствует в системе ")},
        {"battery absent", [](SimConfig &c) { c.batteryBeforePulse = false; }, Description, 3,
         QStringLiteral("Аккумулятор полностью разряжен или отсутствует ")},
        {"DSR stays low", [](SimConfig &c) { c.dsrRises = false; }, Description, 5,
         QStringLiteral("Устройство отключено от ПК (DSR=0) ")},
        {"CTS stays low", [](SimConfig &c) { c.ctsRises = false; }, Description, 6,
         QStringLiteral("Процессор устройства не работает (CTS=0) ")},
        {"main board reports another identifier", [](SimConfig &c) { c.mainBoardIdent[0] = 0x52; }, Description, 30,
         QStringLiteral("Не совпадает ID C9-A9 (Val=5)")},
    };
    ConnectionKind = 1;
    TempProgramDir folder;
    folder.write(QStringLiteral("r9_307.i00"), FirmwareFolder::SmallProgram());
    std::vector<MessageRequest> boxes;
    SetMessageBoxHandler([&](const MessageRequest &r) {
        boxes.push_back(r);
        return int(IdOk);
    });
    for (const FailureCase &c : cases) {
        SimConfig config;
        c.configure(config);
        SimRig rig(config);
        ConnectionPort = &rig.Port;
        boxes.clear();
        view.beeps = 0;
        EXPECT_EQ(OpenDevice(c.description), c.status) << c.name;
        EXPECT_EQ(DspIo, nullptr) << c.name;
        EXPECT_EQ(FtSpi, nullptr) << c.name;
        EXPECT_EQ(view.beeps, 0) << c.name;
        ASSERT_EQ(boxes.size(), 1u) << c.name;
        EXPECT_EQ(boxes[0].text, c.text) << c.name;
        EXPECT_EQ(boxes[0].caption, QStringLiteral("Ошибка")) << c.name;
        EXPECT_EQ(boxes[0].icon, MsgIcon::Error) << c.name;
    }
    ConnectionPort = nullptr;
    SetMessageBoxHandler({});
}

TEST(OpenStatusText, EveryStatus) {
    const QString texts[] = {
        QStringLiteral("Системная ошибка "),
        QStringLiteral("Аккумулятор полностью разряжен или отсутствует "),
        QStringLiteral("Аккумулятор разряжен "),
        QStringLiteral("Устройство отключено от ПК (DSR=0) "),
        QStringLiteral("Процессор устройства не работает (CTS=0) "),
        QStringLiteral("Не создан файл протокола отладки "),
        QStringLiteral("Не найден файл с кодом загружаемой программы "),
        QStringLiteral("Ошибка чтения загружаемого файла "),
        QStringLiteral("Неправильная структура загружаемого файла "),
        QStringLiteral("Ошибка записи в порт при загрузке "),
        QStringLiteral("Ошибка чтения порта при загрузке "),
        QStringLiteral("Напряжение питания устройства ниже нормы!\n Необходимо зарядить аккумулятор."),
        QStringLiteral("Несовместимость по протоколу обмена!\n Cвязь с устройством невозможна."),
        QStringLiteral("Устройство отвечает неправильно"),
        QStringLiteral("Устройство не отвечает "),
    };
    for (int status = 2; status <= 16; ++status)
        EXPECT_EQ(OpenStatusText(status, QStringLiteral("x")), texts[status - 2]) << status;
    // The C of "Cвязь" is the Latin letter.
    EXPECT_EQ(OpenStatusText(14, {}).split('\n')[1].at(1), QChar('C'));
    EXPECT_EQ(OpenStatusText(30, QStringLiteral("Нет инициализации I2C!")), QStringLiteral("Нет инициализации I2C!"));
    for (int status : {-1, 0, 17, 29, 31})
        EXPECT_EQ(OpenStatusText(status, QStringLiteral("x")), QStringLiteral(" Unknown Error ")) << status;
}

// Under batch control no box may open: the text becomes a line of the batch log.
using OpenInstrumentBatch = ConnectionGlobals;
TEST_F(OpenInstrumentBatch, WritesTheLogInsteadOfABox) {
    ConnectionKind = 1;
    TempProgramDir folder;
    SimConfig config;
    config.nodes.clear();
    SimRig rig(config);
    ConnectionPort = &rig.Port;
    int boxes = 0;
    SetMessageBoxHandler([&](const MessageRequest &) {
        ++boxes;
        return int(IdOk);
    });
    {
        TPackageWork batch(folder.path(QStringLiteral("R9.LST")));
        EXPECT_EQ(OpenInstrument(Description), 1);
        QFile log(BatchLogPath());
        ASSERT_TRUE(log.open(QIODevice::ReadOnly));
        EXPECT_TRUE(
            FromCp1251(log.readAll()).contains(QStringLiteral("Trova R-9 недоступен или отсутствует в системе")));
    }
    EXPECT_EQ(boxes, 0);
    EXPECT_EQ(DspIo, nullptr);
    SetMessageBoxHandler({});
    ConnectionPort = nullptr;
}

using OpenDeviceDemo = ConnectionGlobals;
TEST_F(OpenDeviceDemo, StartsTheEmulator) {
    ConnectionKind = 0;
    TEmulator *attached = nullptr;
    SetLinkEventHooks({{}, [&](TEmulator &emulator) { attached = &emulator; }});
    EXPECT_EQ(OpenDevice(QStringLiteral("Trova R-9")), 0);
    ASSERT_NE(Emulator, nullptr);
    EXPECT_EQ(attached, Emulator);
    EXPECT_TRUE(Emulator->Running());
    EXPECT_EQ(DspIo, nullptr);
    EXPECT_TRUE(ConnectionOpen());
    EXPECT_EQ(view.beeps, 2);
    delete Emulator;
    Emulator = nullptr;
    SetLinkEventHooks({});
}

} // namespace
