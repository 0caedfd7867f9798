#include "link/PowerReadings.h"

#include "link/Ft_spi.h"
#include "link/PowerState.h"

#include <cmath>

std::uint8_t BcStatus = 0;

namespace {

struct PowerRow {
    std::int32_t chip;
    std::int32_t regLow;
    std::int32_t regHigh;
    float presence;
    float low;
    float high;
    float scale;
    const char16_t *name;
    const char16_t *warning;
};

constexpr std::int32_t Main = TFT_SPI::MainBoardChip;
constexpr std::int32_t Bc = TFT_SPI::BcBoardChip;

const PowerRow PowerRows[PowerStateCount] = {
    {Main, 76, -1, 0, 3, 100, 1, u"Состояние аккумулятора",
     u"Аккумулятор разряжен! = %d%%\r\nПодключите внешний источник."},
    {Main, 75, -1, 0, 0, 256, 1, u"Статус", u"Статус"},
    {-1, -1, -1, 0, 0, 1, 1, u"Состояние BATT_LOW",
     u"Аккумулятор разряжен или отсутствует (BATT_LOW=0),\r\nподключите внешний источник питания!"},
    {Main, 20, 21, 1, 2.6f, 4.0f, 0.0005f, u"Выходной усилитель DA,В",
     u"Напряжение выходного усилителя DA (PS_pm3_3V_DA_Amp) не в норме\r\n = %5.2f В [%5.2f,%5.2f]"},
    {Main, 22, 23, 2, 4.2f, 5.8f, 0.0005f, u"USB Host,В",
     u"Напряжение USB (USB Host) не в норме\r\n = %5.2f В [%5.2f,%5.2f]"},
    {Main, 24, 25, 2, 6.8f, 12.0f, 0.0005f, u"Напряжение на аккумуляторе,В",
     u"Напряжение на аккумуляторе (V_BATT) не в норме\r\n = %5.2f В [%5.2f,%5.2f]"},
    {Main, 26, 27, 2, 9.0f, 10.0f, 0.0005f, u"Входной источник,В",
     u"Напряжение входного источника (V_PASS) не в норме\r\n = %5.2f В [%5.2f,%5.2f]"},
    {Main, 28, 29, 1, 3.0f, 3.6f, 0.0005f, u"Аналоговый тракт AD,В",
     u"Напряжение аналогового тракта AD (PS_pm3_3V_AD) не в норме\r\n = %5.2f В [%5.2f,%5.2f]"},
    {Main, 30, 31, 1, 3.0f, 3.6f, 0.0005f, u"Аналоговый тракт DA,В",
     u"Напряжение аналогового тракта DA (PS_pm3_3V_DA) не в норме\r\n = %5.2f В [%5.2f,%5.2f]"},
    {Main, 32, 33, 1, 3.1f, 3.5f, 0.0005f, u"Цифровое питание,В",
     u"Напряжение цифрового питания (P3_3V_COL) не в норме\r\n = %5.2f В [%5.2f,%5.2f]"},
    {Main, 34, 35, 1, 4.6f, 5.4f, 0.0005f, u"Напряжение узла БК,В",
     u"Напряжение узла БК (PS_p5V_BC) не в норме\r\n = %5.2f В [%5.2f,%5.2f]"},
    {Bc, 20, 21, 0, 0, 60, 0.01f, u"Темп.линии TxD на аттенюатере,С",
     u"Температура линии TxD на аттенюатере не в норме\r\n = %3.1f В [%3.1f,%3.1f]"},
    {Bc, 22, 23, 0, 0, 60, 0.01f, u"Темп.линии TxD на R=75 Ом,С",
     u"Температура линии TxD на резисторе 75 Ом не в норме\r\n = %3.1f В [%3.1f,%3.1f]"},
    {Bc, 24, 25, 0, 0, 60, 0.01f, u"Темп.линии RxD на R=75 Ом,С",
     u"Температура линии RxD на резисторе 75 Ом не в норме\r\n = %3.1f В [%3.1f,%3.1f]"},
};

constexpr int FirstTemperature = 11;

// Sensor counts at which the temperature falls by another 2.5 degrees from 70; from the last one on the
// sensor reads nothing.
constexpr int TemperatureSteps[] = {40,  43,  47,  50,  54,  58,  62,  68,  72,  79,  84,  91,  96,  105,
                                    110, 121, 126, 137, 142, 155, 160, 173, 179, 191, 197, 210, 215, 226};

float Temperature(int raw) {
    for (int i = 0; const int step : TemperatureSteps) {
        if (step > raw)
            return 70.0f - 2.5f * float(i);
        ++i;
    }
    return NoValue;
}

constexpr int BatteryRegister = 75;
constexpr int SupplyRegister = 20;
constexpr int SupplyCount = 8;
constexpr int TemperatureRegister = 20;
constexpr int OverheatRegister = 120;
constexpr int BcSupplyRow = 10;

bool C9A9SecondGroup = false;
bool BcSecondGroup = false;

bool ChannelFree() {
    return FtSpi && !FtSpi->Busy;
}

// A read whose failure is shown at once; true when `out` holds fresh bytes.
bool ReadShown(int reg, int chip, int count, std::int32_t *out) {
    const bool ok = FtSpi->ReadRegs(reg, chip, count, out);
    ShowI2CError();
    return ok;
}

} // namespace

void InitPowerStates() {
    for (int i = 0; i < PowerStateCount; ++i) {
        const PowerRow &row = PowerRows[i];
        PowerStateEntry &entry = PowerState[i];
        entry.Chip = row.chip;
        entry.RegLow = row.regLow;
        entry.RegHigh = row.regHigh;
        entry.PresenceLevel = row.presence;
        entry.LowLimit = row.low;
        entry.HighLimit = row.high;
        entry.Scale = row.scale;
        entry.Name = QString::fromUtf16(row.name);
        entry.WarningFormat = QString::fromUtf16(row.warning);
        entry.Ok = 1;
        entry.Value = NoValue;
        entry.WarnState = 0;
        entry.Present = 1;
        entry.ErrorCount = 0;
    }
}

void UpdatePowerState(int index, int low, int high) {
    if (index < 0 || index >= PowerStateCount)
        return;
    PowerStateEntry &entry = PowerState[index];
    int raw = ((high & 0xFF) << 8) | (low & 0xFF);
    if (index < FirstTemperature) {
        // Negative readings come as 16-bit two's complement, taken against 65535 as the instrument's
        // own software does, so that 0xFFFF reads as 0.
        if (raw & 0x8000)
            raw -= 65535;
        entry.Value = float(raw) * entry.Scale;
    } else {
        entry.Value = Temperature(raw);
    }
    entry.Ok = 1;
    entry.Present = 1;
    if (std::fabs(entry.Value) > entry.PresenceLevel) {
        if (entry.Value < entry.LowLimit || entry.Value > entry.HighLimit) {
            ++entry.ErrorCount;
            if (entry.ErrorCount > 2)
                entry.Ok = 0;
        } else {
            entry.ErrorCount = 0;
            entry.WarnState = 0;
        }
    } else {
        entry.Present = 0;
        entry.ErrorCount = 0;
    }
}

// A failed read leaves nothing to convert: the rows keep their last readings.
void ReadC9A9Status() {
    if (!ChannelFree())
        return;
    std::int32_t bytes[2 * SupplyCount] = {};
    if (!C9A9SecondGroup) {
        bool fresh = ReadShown(BatteryRegister, TFT_SPI::MainBoardChip, 2, bytes);
        // A status byte of 0 is a reading the controller had not finished: ask once more.
        if (fresh && bytes[0] == 0)
            ReadShown(BatteryRegister, TFT_SPI::MainBoardChip, 2, bytes);
        if (fresh) {
            UpdatePowerState(1, bytes[0], 0);
            UpdatePowerState(2, (bytes[0] >> 6) & 1, 0);
            UpdatePowerState(0, bytes[1], 0);
        }
    } else if (ReadShown(SupplyRegister, TFT_SPI::MainBoardChip, 2 * SupplyCount, bytes)) {
        for (int i = 0; i < SupplyCount; ++i)
            UpdatePowerState(3 + i, bytes[2 * i], bytes[2 * i + 1]);
    }
    C9A9SecondGroup = !C9A9SecondGroup;
    if (!FtSpi->BusBC)
        PowerState[BcSupplyRow].Present = 0;
}

void ReadBCStatus() {
    if (!ChannelFree())
        return;
    if (!FtSpi->BusBC) {
        for (int i = FirstTemperature; i < PowerStateCount; ++i)
            PowerState[i].Present = 0;
        return;
    }
    if (!BcSecondGroup) {
        std::int32_t bytes[6] = {};
        if (ReadShown(TemperatureRegister, TFT_SPI::BcBoardChip, 6, bytes))
            for (int i = 0; i < 3; ++i)
                UpdatePowerState(FirstTemperature + i, bytes[2 * i], bytes[2 * i + 1]);
    } else {
        std::int32_t overheat = 0;
        if (ReadShown(OverheatRegister, TFT_SPI::BcBoardChip, 1, &overheat))
            BcStatus = overheat != 0 ? 1 : 0;
    }
    BcSecondGroup = !BcSecondGroup;
}

void RestartPowerReadings() {
    C9A9SecondGroup = false;
    BcSecondGroup = false;
}
