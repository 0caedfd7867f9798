#include "link/Ft_spi.h"

#include "link/PowerReadings.h"
#include "platform/Clock.h"
#include "platform/CommandWait.h"
#include "platform/MessageService.h"
#include "platform/StringTable.h"

#include <algorithm>
#include <cassert>

TFT_SPI *FtSpi = nullptr;

namespace {

// MPSSE commands.
constexpr std::uint8_t SetLowGpio = 0x80;
constexpr std::uint8_t ReadLowGpio = 0x81;
constexpr std::uint8_t SetHighGpio = 0x82;
constexpr std::uint8_t SendImmediate = 0x87;
constexpr std::uint8_t ClockBytesOut = 0x10;
constexpr std::uint8_t ClockBytesIn = 0x20;
constexpr std::uint8_t SetDivisor = 0x86;
constexpr std::uint8_t LoopbackOff = 0x85;
constexpr std::uint8_t LowDirections = 0xDB; // data in and INT are inputs
constexpr std::uint8_t HighDirections = 0x07;
// A divisor of 6 clocks SPI at 12 MHz / (2 * (1 + 6)), about 860 kHz, the nearest below 1 MHz.
constexpr std::uint8_t ClockDivisor = 12000 / (2 * 999);

constexpr std::uint8_t LowResetReleased = 0x10;
constexpr std::uint8_t LowChipSelectHigh = 0x08;
constexpr std::uint8_t LowInt = 0x20;

// Bridge commands and internal registers.
constexpr std::uint8_t BridgeI2cWrite = 0x00;
constexpr std::uint8_t BridgeI2cRead = 0x01;
constexpr std::uint8_t BridgeReadBuffer = 0x06;
constexpr std::uint8_t BridgeWriteRegister = 0x20;
constexpr std::uint8_t BridgeReadRegister = 0x21;
constexpr std::uint8_t RegisterI2cClock = 2;
constexpr std::uint8_t RegisterI2cTimeout = 3;
constexpr std::uint8_t RegisterStatus = 4;
constexpr std::uint8_t RegisterRxCount = 6;

constexpr std::uint8_t StatusBusy = 3;
constexpr std::uint8_t StatusTimeout = 8;
constexpr int StatusRetries = 100;
constexpr std::uint32_t StatusRetryMs = 10;
constexpr std::uint8_t NoStatus = 255;

struct StatusText {
    std::uint8_t status;
    const char16_t *text;
};

const StatusText StatusTexts[] = {
    {1, u"\r\nУстройство не найдено. Нет ACK."},
    {2, u"\r\nРегистр не найден. Нет ACK."},
    {StatusBusy, u"\r\nI2C занят.Исполняется транзакция."},
    {StatusTimeout, u"\r\nТранзакция I2C прекращена по таймауту."},
    {9, u"\r\nОшибка данных."},
    {10, u"\r\nI2C SCL = Low таймаут по I2CTO2."},
    {11, u"\r\nI2C шина не освобождена.Возможно FREN = 0."},
};

QString TextOfStatus(std::uint8_t status) {
    for (const StatusText &entry : StatusTexts)
        if (entry.status == status)
            return QString::fromUtf16(entry.text);
    return QStringLiteral(u"\r\nНедокументированный статус.");
}

QString BaseError(int chip, int reg) {
    return LoadStr(461) + QStringLiteral("\r\nDevAddress = ") + QString::number(chip) +
           QStringLiteral("\r\nRegAddress = ") + QString::number(reg);
}

QString DriverFailure(std::uint32_t status) {
    return QStringLiteral(u"\r\nОшибка USB = ") + QString::number(status);
}

QString ResultText(std::uint8_t result) {
    return QStringLiteral("\r\nResultI2C = ") + QString::number(result);
}

// Holds the channel's busy flag for one transaction. Its waits keep the windows painted; the link's
// messages and the timers that might start another register access wait until it is over.
class BusyGuard {
public:
    explicit BusyGuard(std::uint8_t &busy) : busy_(busy) { busy_ = 1; }
    ~BusyGuard() { busy_ = 0; }
    BusyGuard(const BusyGuard &) = delete;
    BusyGuard &operator=(const BusyGuard &) = delete;

private:
    const HeldLinkMessages held_;
    std::uint8_t &busy_;
};

} // namespace

TFT_SPI::TFT_SPI(UsbHandle handle, UsbPort *port)
    : Handle(handle), port_(port ? *port : ProcessUsbPort()), ReadBuffer(4096), CmdBuffer(32768) {
    BusyGuard busy(Busy);
    Put({SetDivisor, ClockDivisor, 0, LoopbackOff});
    // Reset: chip select and reset low; the divisor goes out with it.
    GpioLowBase = 0;
    Put({SetLowGpio, std::uint8_t(GpioLowBase | BusBC), LowDirections, SendImmediate});
    bool ok = Flush();
    WaitServingWindows(100);
    GpioLowBase = 3;
    Put({SetLowGpio, std::uint8_t(LowResetReleased | GpioLowBase | BusBC), LowDirections, SendImmediate});
    ok = Flush() && ok;
    Put({SetHighGpio, std::uint8_t(GpioHighValue), HighDirections, SendImmediate});
    ok = Flush() && ok;
    WaitServingWindows(100);
    ok = WriteBridgeRegister(RegisterI2cClock, 10) && ok;
    ok = WriteBridgeRegister(RegisterI2cTimeout, 255) && ok;
    initialised_ = ok;
}

TFT_SPI::~TFT_SPI() {
    GpioHighValue = 0;
    Put({SetHighGpio, std::uint8_t(GpioHighValue), HighDirections, SendImmediate});
    Flush();
    if (BusBC) {
        WriteReg(40, BcBoardChip, 0);
        SelectBusBC(false);
    }
    WriteReg(0, MainBoardChip, 0);
}

void TFT_SPI::Put(std::initializer_list<std::uint8_t> bytes) {
    assert(std::size_t(CmdLength) + bytes.size() <= CmdBuffer.size());
    std::copy(bytes.begin(), bytes.end(), CmdBuffer.begin() + CmdLength);
    CmdLength += std::int32_t(bytes.size());
}

bool TFT_SPI::Flush() {
    const std::uint32_t length = std::uint32_t(CmdLength);
    CmdLength = 0;
    BytesWritten = 0;
    DriverStatus = std::uint32_t(port_.Write(Handle, CmdBuffer.data(), length, BytesWritten));
    return DriverStatus == UsbOk && BytesWritten == length;
}

void TFT_SPI::Select() {
    Put({SetLowGpio, std::uint8_t(LowResetReleased | GpioLowBase | BusBC), LowDirections});
}

bool TFT_SPI::Deselect() {
    Put({SetLowGpio, std::uint8_t(LowResetReleased | LowChipSelectHigh | GpioLowBase | BusBC), LowDirections,
         SendImmediate});
    return Flush();
}

void TFT_SPI::ClockOut(const std::uint8_t *data, std::size_t count) {
    const std::size_t length = count - 1;
    Put({ClockBytesOut, std::uint8_t(length & 0xFF), std::uint8_t(length >> 8)});
    assert(std::size_t(CmdLength) + count <= CmdBuffer.size());
    std::copy_n(data, count, CmdBuffer.begin() + CmdLength);
    CmdLength += std::int32_t(count);
}

void TFT_SPI::ClockIn(std::size_t count) {
    const std::size_t length = count - 1;
    Put({ClockBytesIn, std::uint8_t(length & 0xFF), std::uint8_t(length >> 8)});
}

// Gathers `count` reply bytes into Reply: 0, the driver's status of a failed call, or ReplyTimeout when
// they did not all arrive within 5000 ms. Takes no more than asked, so that nothing of a later answer is
// consumed.
int TFT_SPI::Collect(std::size_t count) {
    IntTimeout = 0;
    std::size_t have = 0;
    const std::uint32_t start = GetTickCount();
    for (;;) {
        DriverStatus = std::uint32_t(port_.GetStatus(Handle, RxCount, TxCount, EventStatus));
        if (DriverStatus != UsbOk)
            return int(DriverStatus);
        if (RxCount > 0) {
            const std::uint32_t want = std::uint32_t(std::min<std::size_t>(RxCount, count - have));
            BytesRead = 0;
            DriverStatus = std::uint32_t(port_.Read(Handle, ReadBuffer.data(), want, BytesRead));
            if (DriverStatus != UsbOk)
                return int(DriverStatus);
            const std::size_t took = std::min<std::size_t>(BytesRead, count - have);
            std::copy_n(ReadBuffer.begin(), took, Reply + have);
            have += took;
            if (have >= count)
                return UsbOk;
            continue;
        }
        if (TicksSince(start) >= WaitMs) {
            IntTimeout = 1;
            return ReplyTimeout;
        }
        WaitServingWindows(1);
    }
}

bool TFT_SPI::WriteBridgeRegister(std::uint8_t reg, std::uint8_t value) {
    const std::uint8_t command[] = {BridgeWriteRegister, reg, value};
    Select();
    ClockOut(command, sizeof command);
    return Deselect();
}

bool TFT_SPI::ReadBridgeRegister(std::uint8_t reg, std::uint8_t &value) {
    const std::uint8_t command[] = {BridgeReadRegister, reg, 0};
    Select();
    ClockOut(command, sizeof command);
    Put({SendImmediate});
    if (!Flush())
        return false;
    ClockIn(1);
    if (!Deselect() || Collect(1) != UsbOk)
        return false;
    value = Reply[0];
    return true;
}

// Polls INT until it falls, at most 5000 ms, sleeping a millisecond between polls.
TFT_SPI::IntLine TFT_SPI::WaitInt() {
    const std::uint32_t start = GetTickCount();
    for (;;) {
        Put({ReadLowGpio, SendImmediate});
        if (!Flush() || Collect(1) != UsbOk)
            return IntLine::NoReply;
        if (!(Reply[0] & LowInt))
            return IntLine::Low;
        if (TicksSince(start) >= WaitMs) {
            IntTimeout = 1;
            return IntLine::High;
        }
        WaitServingWindows(1);
    }
}

// The outcome of the I2C request just made: 0, or the bridge's status with LastError telling it. The
// text is built aside and stored at the end, so that a call refused meanwhile cannot mix into it.
int TFT_SPI::CheckI2cResult(int chip, int reg) {
    LastResult = NoStatus;
    QString error = BaseError(chip, reg);
    const IntLine line = WaitInt();
    if (line == IntLine::High) {
        error += QStringLiteral(u"\r\nСигнал INT на SPI = 1");
    } else if (line == IntLine::NoReply) {
        error += DriverFailure(DriverStatus);
    } else {
        std::uint8_t status = 0;
        bool read = ReadBridgeRegister(RegisterStatus, status);
        for (int retry = 0;
             read && retry < StatusRetries && ((status & 0x0F) == StatusBusy || (status & 0x0F) == StatusTimeout);
             ++retry) {
            WaitServingWindows(StatusRetryMs);
            read = ReadBridgeRegister(RegisterStatus, status);
        }
        if (!read) {
            error += QStringLiteral(u"\r\nОшибка чтения статусного регистра I2CStat.");
        } else {
            LastResult = status & 0x0F;
            if (LastResult == 0) {
                LastError.clear();
                return 0;
            }
            error += TextOfStatus(LastResult);
        }
    }
    LastError = error + ResultText(LastResult);
    return LastResult;
}

void TFT_SPI::Fail(int chip, int reg, const QString &detail) {
    LastResult = NoStatus;
    LastError = BaseError(chip, reg) + detail + ResultText(LastResult);
}

bool TFT_SPI::I2cWrite(int chip, const std::uint8_t *bytes, std::size_t count) {
    std::uint8_t frame[3 + MaxCount];
    frame[0] = BridgeI2cWrite;
    frame[1] = std::uint8_t(count);
    frame[2] = std::uint8_t(chip * 2);
    std::copy_n(bytes, count, frame + 3);
    Select();
    ClockOut(frame, 3 + count);
    if (!Deselect()) {
        Fail(chip, bytes[0], DriverFailure(DriverStatus));
        return false;
    }
    return CheckI2cResult(chip, bytes[0]) == 0;
}

// The bridge's byte count is trusted only up to what was asked; fewer bytes than asked fail the read.
bool TFT_SPI::I2cRead(int chip, std::size_t count, int reg, std::uint8_t *data) {
    const std::uint8_t request[] = {BridgeI2cRead, std::uint8_t(count), std::uint8_t(chip * 2 + 1)};
    Select();
    ClockOut(request, sizeof request);
    if (!Deselect()) {
        Fail(chip, reg, DriverFailure(DriverStatus));
        return false;
    }
    if (CheckI2cResult(chip, reg) != 0)
        return false;
    std::uint8_t received = 0;
    if (!ReadBridgeRegister(RegisterRxCount, received)) {
        Fail(chip, reg, DriverFailure(DriverStatus));
        return false;
    }
    if (received < count) {
        Fail(chip, reg,
             QStringLiteral(u"\r\nПринято байт: ") + QString::number(received) + QStringLiteral(u" из ") +
                 QString::number(count) + QLatin1Char('.'));
        return false;
    }
    const std::uint8_t command[] = {BridgeReadBuffer, 0};
    Select();
    ClockOut(command, sizeof command);
    Put({SendImmediate});
    bool ok = Flush();
    ClockIn(count);
    ok = Deselect() && ok;
    if (!ok || Collect(count) != UsbOk) {
        Fail(chip, reg, DriverFailure(DriverStatus));
        return false;
    }
    std::copy_n(Reply, count, data);
    return CheckI2cResult(chip, data[0]) == 0;
}

bool TFT_SPI::Enter(int chip, int reg) {
    if (!Busy)
        return true;
    // The running transaction owns LastResult; only the text tells the refused caller.
    LastError = BaseError(chip, reg) + TextOfStatus(StatusBusy);
    return false;
}

bool TFT_SPI::WriteReg(int reg, int chip, int value) {
    if (!Enter(chip, reg))
        return false;
    BusyGuard busy(Busy);
    const std::uint8_t bytes[] = {std::uint8_t(reg), std::uint8_t(value)};
    return I2cWrite(chip, bytes, sizeof bytes);
}

bool TFT_SPI::ReadRegs(int reg, int chip, int count, std::int32_t *out) {
    if (!Enter(chip, reg))
        return false;
    if (count < 1 || count > MaxCount) {
        Fail(chip, reg, QStringLiteral(u"\r\nНедопустимое число байт: ") + QString::number(count));
        return false;
    }
    BusyGuard busy(Busy);
    const std::uint8_t address = std::uint8_t(reg);
    std::uint8_t data[MaxCount];
    if (!I2cWrite(chip, &address, 1) || !I2cRead(chip, std::size_t(count), reg, data))
        return false;
    std::copy_n(data, count, out);
    return true;
}

bool TFT_SPI::SelectBusBC(bool on) {
    if (!Enter(BcBoardChip, 0))
        return false;
    BusyGuard busy(Busy);
    BusBC = on ? 0x40 : 0;
    Put({SetLowGpio, std::uint8_t(LowResetReleased | LowChipSelectHigh | GpioLowBase | BusBC), LowDirections,
         SendImmediate});
    const bool ok = Flush();
    if (!ok)
        LastError = LoadStr(461) + DriverFailure(DriverStatus);
    WaitServingWindows(BusSelectMs);
    return ok;
}

void ShowI2CError() {
    if (!FtSpi || FtSpi->LastError.isEmpty())
        return;
    MessageRequest request;
    request.text = FtSpi->LastError;
    request.caption = LoadStr(5);
    request.icon = MsgIcon::Warning;
    ShowMessage(request);
}

namespace {

constexpr int IdentRegister = 37;
constexpr int MainBoardId = 6;
constexpr int BcBoardId = 7;

// Reads a board's identification registers: its identifier, and its version into `version` when read.
int ReadBoardId(int chip, std::uint16_t &version) {
    std::int32_t ident[2] = {0, 0};
    if (FtSpi->ReadRegs(IdentRegister, chip, 2, ident))
        version = std::uint16_t((ident[0] & 0x0F) * 100 + ident[1]);
    ShowI2CError();
    return ident[0] >> 4;
}

} // namespace

bool CheckBoardIds(QString &text, bool serviceMode, BoardVersions &versions) {
    BcStatus = 0;
    RestartPowerReadings();
    if (!FtSpi)
        return false;
    const int mainId = ReadBoardId(TFT_SPI::MainBoardChip, versions.mainBoard);
    if (mainId != MainBoardId) {
        text = QStringLiteral(u"Не совпадает ID C9-A9 (Val=") + QString::number(mainId) + QLatin1Char(')');
        if (!serviceMode)
            return false;
    }
    FtSpi->SelectBusBC(true);
    const int bcId = ReadBoardId(TFT_SPI::BcBoardChip, versions.bcBoard);
    FtSpi->SelectBusBC(false);
    if (bcId == BcBoardId)
        return true;
    text = QStringLiteral(u"Не совпадает ID BC (Val=") + QString::number(bcId) + QLatin1Char(')');
    return serviceMode;
}
