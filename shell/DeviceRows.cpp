#include "shell/DeviceRows.h"

#include "chartlib/Chartlib.h"
#include "platform/Cp1251.h"
#include "platform/StringTable.h"

#include <cstring>

namespace {

// The instrument's "nothing here" words: 16-bit fields are compared as unsigned, so that a field read as
// a signed int16 -1 matches too.
constexpr uint16_t NoWord = 0xFFFF;
constexpr uint32_t NoCode = 0xFFFFFFFF;

uint16_t Word(int16_t field) {
    return uint16_t(field);
}

QString Hundredths(unsigned value) {
    return QString::asprintf("%.2f", value / 100.0);
}

unsigned VersionBits(uint32_t code) {
    return (code >> 4) & 0xFFF;
}

QString FirmwareDate(const TInstrumentIdent &ident) {
    const char *date = ident.DspFirmwareDate;
    return FromCp1251(QByteArray(date, int(strnlen(date, sizeof ident.DspFirmwareDate))));
}

} // namespace

QString BoardDesignation(const char *prefix, uint32_t code, bool withVariant) {
    QString text = QLatin1String(prefix);
    if (withVariant)
        text += QString::asprintf("%02u-", code & 0xF);
    return text + Hundredths(VersionBits(code)) + QString::asprintf("-%04u", code >> 16);
}

QString DecimalDigitsVersion(uint16_t word) {
    unsigned decimal = 0;
    for (int shift = 12; shift >= 0; shift -= 4) {
        const unsigned digit = (word >> shift) & 0xF;
        if (digit > 9)
            return QString::asprintf("0x%X", unsigned(word));
        decimal = decimal * 10 + digit;
    }
    return Hundredths(decimal);
}

std::array<DeviceRow, DeviceRowCount> DeviceRows(const TInstrumentIdent &ident, bool mirvakFirmware) {
    const QString noData = LoadStr(149);
    const QString firmwareSuffix = mirvakFirmware ? QStringLiteral(" Мирвак") : QString();
    const auto board = [](const char *prefix, int32_t code, bool withVariant, const char *none) {
        return uint32_t(code) == NoCode ? QLatin1String(none) : BoardDesignation(prefix, uint32_t(code), withVariant);
    };
    const auto version = [&noData](int16_t field) {
        return Word(field) == NoWord ? noData : QStringLiteral("V") + Hundredths(Word(field));
    };
    const uint32_t icm = Word(ident.IcmLogicVersion);
    const uint32_t adapter = uint32_t(ident.PowerAdapterCode);
    return {{
        {QStringLiteral("Вариант исполнения"), uint32_t(ident.DesignVariant) == NoCode
                                                   ? QStringLiteral("000000")
                                                   : QString::asprintf("%06X", uint32_t(ident.DesignVariant))},
        {QStringLiteral("Вариант поставки"), Word(ident.DeliveryVariant) == NoWord
                                                 ? QStringLiteral("000")
                                                 : QString::asprintf("%03X", unsigned(Word(ident.DeliveryVariant)))},
        {QStringLiteral("Серийный номер"),
         QStringLiteral("009.") + (Word(ident.SerialNumber) == NoWord
                                       ? QStringLiteral("0000")
                                       : QString::asprintf("%04u", unsigned(Word(ident.SerialNumber))))},
        {QStringLiteral("Сведения о калибровке"),
         ident.Calibrated ? QStringLiteral("Откалиброван") + DayCountToDateText(Word(ident.CalibrationDate))
                          : QStringLiteral("Не калиброван")},
        {QStringLiteral("Версия встроенного ПО DSP") + firmwareSuffix,
         Word(ident.DspFirmwareVersion) == NoWord
             ? noData
             : QStringLiteral("F") + DecimalDigitsVersion(Word(ident.DspFirmwareVersion))},
        {QStringLiteral("Дата встроенного ПО DSP") + firmwareSuffix, FirmwareDate(ident)},
        {QStringLiteral("Аппаратная версия"), Word(ident.HardwareVersion) == NoWord
                                                  ? QStringLiteral("V0.00")
                                                  : QStringLiteral("V") + Hundredths(Word(ident.HardwareVersion))},
        {QStringLiteral("DSP"),
         board("R9-010-", ident.DspBoardCode, (uint32_t(ident.DspBoardCode) & 0xF) != 0, "R9-010-00-0.00-0000")},
        {QStringLiteral("CPLD DSP"),
         Word(ident.DspLogicVersion) == NoWord
             ? QStringLiteral("R9-910-0.00")
             : QStringLiteral("R9-910-") + DecimalDigitsVersion(Word(ident.DspLogicVersion))},
        {QStringLiteral("ASW"), board("R9-160-", ident.AswBoardCode, true, "R9-160-00-0.00-0000")},
        {QStringLiteral("CPLD ASW"), Word(ident.AswLogicVersion) == NoWord
                                         ? QStringLiteral("R9-920-0.00")
                                         : QStringLiteral("R9-920-") + Hundredths(Word(ident.AswLogicVersion))},
        {QStringLiteral("ICM"), board("R9-030-", ident.IcmBoardCode, true, "R9-030-00-0.00-0000")},
        {QStringLiteral("CPLD ICM"), Word(ident.IcmLogicVersion) == NoWord
                                         ? QStringLiteral("R9-930-0.00")
                                         : QString::asprintf("R9-93%01u-", icm & 0xF) + Hundredths(VersionBits(icm))},
        {QStringLiteral("Адаптер питания"), adapter == NoCode
                                                ? QStringLiteral("R9-180-0.00-0000")
                                                : QStringLiteral("R9-180-") + Hundredths(VersionBits(adapter)) +
                                                      QString::asprintf("-%04u", adapter >> 16)},
        {QStringLiteral("Аккумулятор"), board("R9-070-", ident.BatteryCode, true, "R9-070-00-0.00-0000")},
        {QStringLiteral("Версия встроенного ПО C9"), version(ident.MainBoardFirmware)},
        {QStringLiteral("Версия встроенного ПО BC"), version(ident.BcBoardFirmware)},
    }};
}
