#pragma once

#include "link/PowerState.h"

#include <QString>

#include <span>

// The texts of one row of the power and temperature window: the reading of PowerState entry i as the
// user reads it. A reading never taken shows "не измерено"; entry 2 (the BATT_LOW line) is read only
// while the register channel is open.
struct PowerRowTexts {
    QString Name;
    QString Value;
    QString Tolerance;
    QString State;
};

PowerRowTexts PowerRow(std::span<const PowerStateEntry, PowerStateCount> table, int i, bool registerChannelOpen);

// The state text that the window marks red.
inline const char16_t *const OutOfNormText = u"Ненорма";
