#pragma once

#include <cstdint>

// The phase (degrees) that the input circuits add to the impedance measurement at f kHz, by connection
// type (3 or 8), sample rate (2560, 5120 or 10240 kHz exactly) and maximum-level index (0, 1, 2); 0 for
// any other combination.
float MirvakPhaseCorrection(int32_t connectionType, float sampleRate, int32_t maxLevelIndex, float f);
