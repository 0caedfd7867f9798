#pragma once

#include "platform/NoValue.h"

#include <QString>

#include <cstdint>

// One watched quantity of the instrument's supply or temperatures: where it is read, how it is judged,
// and the last reading. The rows are set when an instrument identifies itself; the readings of the power
// timer update the rest.
struct PowerStateEntry {
    std::int32_t Chip = -1;    // register-channel address: 0x5D supply controller, 0x61 BC board, -1 none
    std::int32_t RegLow = -1;  // register of the low byte, -1 none
    std::int32_t RegHigh = -1; // register of the high byte, -1 none
    float PresenceLevel = 0;   // a reading is judged only when its magnitude exceeds this
    float LowLimit = 0;
    float HighLimit = 0;
    float Scale = 1; // value per raw count
    // printf-style format taking the value, the lower and the upper limit
    QString WarningFormat;
    std::uint8_t Ok = 1; // 0 after three or more judged readings in a row outside the limits
    float Value = NoValue;
    std::int32_t WarnState = 0; // tick at which the fault countdown started, 0 none
    QString Name;
    std::uint8_t Present = 1;    // the last reading exceeded PresenceLevel
    std::int32_t ErrorCount = 0; // judged readings in a row outside the limits
};

inline constexpr int PowerStateCount = 14;

extern PowerStateEntry PowerState[PowerStateCount];
