#pragma once

#include "link/InstrumentIdent.h"

#include <QString>

#include <array>
#include <cstdint>

// The instrument information window's rows: label and value for each part of the identification.
// Fields the instrument did not fill (the "no value" words 0xFFFF or -1) show their default texts.
struct DeviceRow {
    QString Label;
    QString Value;
};

inline constexpr int DeviceRowCount = 17;

// mirvakFirmware: the selective-mode DSP program is loaded (the firmware rows say so).
std::array<DeviceRow, DeviceRowCount> DeviceRows(const TInstrumentIdent &ident, bool mirvakFirmware);

// A board code: variant in bits 0 to 3, version x 100 in bits 4 to 15, serial number in bits 16 to 31;
// written as prefix, variant "%02d-" (left out when withVariant is false), version with two decimals, "-",
// serial number "%04d".
QString BoardDesignation(const char *prefix, uint32_t code, bool withVariant);

// A version word whose hexadecimal digits are read as a decimal number of hundredths (0x611 is 6.11).
// A word with a digit above 9 has no such reading: it is shown as it stands, "0x" and its hexadecimal
// digits, rather than as a wrong number.
QString DecimalDigitsVersion(uint16_t word);
