#pragma once

#include <cstddef>
#include <cstdint>

// The identification block of the program and the connected instrument: stored whole in recordings and
// shown by the instrument-information window and the about box. The program fills its own version and
// build date at start; the instrument's identification fills the rest, the board check the last two.
struct [[gnu::packed]] TInstrumentIdent {
    int16_t ProgramVersion = 0; // version x 100 (611 is V6.11)
    double ProgramDate = 0;     // TDateTime of the build
    int16_t DspFirmwareVersion = -1;
    char DspFirmwareDate[21] = {}; // windows-1251, NUL-terminated
    int32_t DesignVariant = -1;    // shown as 6 hexadecimal digits
    int16_t DeliveryVariant = -1;  // shown as 3 hexadecimal digits
    uint8_t Calibrated = 0;
    int16_t SerialNumber = -1;
    int16_t HardwareVersion = -1; // x 100
    int32_t DspBoardCode = -1;
    int16_t DspLogicVersion = -1;
    int32_t AswBoardCode = -1;
    int16_t AswLogicVersion = -1;
    int32_t IcmBoardCode = -1;
    int16_t IcmLogicVersion = -1;
    int32_t PowerAdapterCode = -1;
    int32_t BatteryCode = -1;
    int16_t CalibrationDate = 0;    // days, as the instrument counts them
    int16_t MainBoardFirmware = -1; // x 100, register chip 0x5D
    int16_t BcBoardFirmware = -1;   // x 100, register chip 0x61
};

static_assert(sizeof(TInstrumentIdent) == 76);
static_assert(offsetof(TInstrumentIdent, ProgramDate) == 2);
static_assert(offsetof(TInstrumentIdent, DspFirmwareVersion) == 10);
static_assert(offsetof(TInstrumentIdent, DspFirmwareDate) == 12);
static_assert(offsetof(TInstrumentIdent, DesignVariant) == 33);
static_assert(offsetof(TInstrumentIdent, DeliveryVariant) == 37);
static_assert(offsetof(TInstrumentIdent, Calibrated) == 39);
static_assert(offsetof(TInstrumentIdent, SerialNumber) == 40);
static_assert(offsetof(TInstrumentIdent, HardwareVersion) == 42);
static_assert(offsetof(TInstrumentIdent, DspBoardCode) == 44);
static_assert(offsetof(TInstrumentIdent, DspLogicVersion) == 48);
static_assert(offsetof(TInstrumentIdent, AswBoardCode) == 50);
static_assert(offsetof(TInstrumentIdent, AswLogicVersion) == 54);
static_assert(offsetof(TInstrumentIdent, IcmBoardCode) == 56);
static_assert(offsetof(TInstrumentIdent, IcmLogicVersion) == 60);
static_assert(offsetof(TInstrumentIdent, PowerAdapterCode) == 62);
static_assert(offsetof(TInstrumentIdent, BatteryCode) == 66);
static_assert(offsetof(TInstrumentIdent, CalibrationDate) == 70);
static_assert(offsetof(TInstrumentIdent, MainBoardFirmware) == 72);
static_assert(offsetof(TInstrumentIdent, BcBoardFirmware) == 74);

inline TInstrumentIdent InstrumentIdent;
