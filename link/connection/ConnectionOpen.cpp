#include "link/connection/Tr9sendgetcommand.h"

#include "engine/RandomSource.h"
#include "link/Dspio9.h"
#include "link/Emulator.h"
#include "link/Ft_spi.h"
#include "link/InstrumentIdent.h"
#include "link/Library.h"
#include "platform/Clock.h"
#include "platform/MessageService.h"
#include "platform/ProgramDir.h"
#include "state/DeviceSettings.h"
#include "state/MainGlobals.h"

#include <QDateTime>

#include <iterator>

UsbPort *ConnectionPort = nullptr;

namespace {

TLinkEventHooks Hooks;

constexpr int BoardCheckFailed = 30;
constexpr std::uint32_t BeepGapMs = 100;

// The texts of the open statuses 2 to 16; status 1 names the instrument.
constexpr const char16_t *StatusTexts[] = {
    u"Системная ошибка ",
    u"Аккумулятор полностью разряжен или отсутствует ",
    u"Аккумулятор разряжен ",
    u"Устройство отключено от ПК (DSR=0) ",
    u"Процессор устройства не работает (CTS=0) ",
    u"Не создан файл протокола отладки ",
    u"Не найден файл с кодом загружаемой программы ",
    u"Ошибка чтения загружаемого файла ",
    u"Неправильная структура загружаемого файла ",
    u"Ошибка записи в порт при загрузке ",
    u"Ошибка чтения порта при загрузке ",
    u"Напряжение питания устройства ниже нормы!\n Необходимо зарядить аккумулятор.",
    // The second line starts with a Latin C, as the instrument's users know the text.
    u"Несовместимость по протоколу обмена!\n Cвязь с устройством невозможна.",
    u"Устройство отвечает неправильно",
    u"Устройство не отвечает ",
};
constexpr int FirstTabledStatus = 2;

void ShowOpenError(const QString &text) {
    ShowMessage({text, QStringLiteral("Ошибка"), MsgIcon::Error, MsgButtons::Ok});
}

void ShowCounter(const char *panel, std::uint32_t value) {
    if (ConnectionView())
        ConnectionView()->SetCounterPanel(QLatin1String(panel), QString::number(value));
}

QString FirmwareFile() {
    return ProgramDir() + (MirvakFirmware == 1 ? QStringLiteral("r9_307_sst.i00") : QStringLiteral("r9_307.i00"));
}

// The register channel and the board check; an empty text when both passed.
QString OpenRegisterChannel() {
    FtSpi = new TFT_SPI(DspIo->HandleA, ConnectionPort);
    if (!FtSpi->Initialised())
        return QStringLiteral("Нет инициализации I2C!");
    QString text;
    BoardVersions versions{std::uint16_t(InstrumentIdent.MainBoardFirmware),
                           std::uint16_t(InstrumentIdent.BcBoardFirmware)};
    const bool passed = CheckBoardIds(text, TechnologyMode, versions);
    InstrumentIdent.MainBoardFirmware = std::int16_t(versions.mainBoard);
    InstrumentIdent.BcBoardFirmware = std::int16_t(versions.bcBoard);
    if (!passed && text.isEmpty())
        text = QStringLiteral("Нет инициализации I2C!");
    return passed ? QString() : text;
}

int StartEmulator() {
    delete Emulator;
    Emulator = new TEmulator();
    if (Hooks.AttachEmulator)
        Hooks.AttachEmulator(*Emulator);
    SeedEngineRandom(std::uint64_t(QDateTime::currentMSecsSinceEpoch()));
    return Emulator->Start();
}

} // namespace

void SetLinkEventHooks(TLinkEventHooks hooks) {
    Hooks = std::move(hooks);
}

QString OpenStatusText(int status, const QString &description) {
    if (status == 1)
        return description + QStringLiteral(" недоступен или отсутствует в системе ");
    if (status == BoardCheckFailed)
        return description;
    const int index = status - FirstTabledStatus;
    if (index >= 0 && index < int(std::size(StatusTexts)))
        return QString::fromUtf16(StatusTexts[index]);
    return QStringLiteral(" Unknown Error ");
}

void ReleaseLinkObjects() {
    delete FtSpi;
    FtSpi = nullptr;
    delete DspIo;
    DspIo = nullptr;
}

int OpenInstrument(const QString &description) {
    // Objects left from an earlier connection would otherwise keep the old handles.
    ReleaseLinkObjects();
    DspIo = new TDspIo9(nullptr, ConnectionPort);
    MirvakFirmware = DeviceSettings->Mirvak.RunState > 0 ? 1 : 0;
    DspIo->HexFileName = FirmwareFile();
    if (Hooks.AttachLink)
        Hooks.AttachLink(*DspIo);
    for (const char *panel : {"Panel_RecvErrCnt", "Panel_SendErrCnt", "Panel_ComRdErrCnt", "Panel_ComWrErrCnt",
                              "Panel_ComOver", "Panel_SSTErr"})
        ShowCounter(panel, 0);

    const int status = DspIo->ListInstruments(description).isEmpty() ? 1 : DspIo->Connect(0, false);
    if (status != 0) {
        ReleaseLinkObjects();
        ShowOpenError(OpenStatusText(status, description));
        return status;
    }
    const QString failure = OpenRegisterChannel();
    if (!failure.isEmpty()) {
        ReleaseLinkObjects();
        ShowOpenError(OpenStatusText(BoardCheckFailed, failure));
        return BoardCheckFailed;
    }
    FtSpi->WriteReg(0, TFT_SPI::MainBoardChip, 64);
    ShowI2CError();
    ShowCounter("Panel_RecvErrCnt", DspIo->RecvErrCnt());
    ShowCounter("Panel_SendErrCnt", DspIo->SendErrCnt());
    ShowCounter("Panel_RecvReqCnt", DspIo->RecvReqCnt());
    ShowCounter("Panel_SendReqCnt", DspIo->SendReqCnt());
    ShowCounter("Panel_ComRdErrCnt", DspIo->ComRdErrCnt());
    ShowCounter("Panel_ComWrErrCnt", DspIo->ComWrErrCnt());
    return 0;
}

int OpenDevice(const QString &description) {
    const int status = ConnectionKind == 0 ? StartEmulator() : OpenInstrument(description);
    if (status == 0 && ConnectionView()) {
        ConnectionView()->Beep();
        Sleep(BeepGapMs);
        ConnectionView()->Beep();
    }
    return status;
}
