#pragma once

#include <cstdint>

inline constexpr int32_t MeterRangeCount = 4;

// The maximum input level in dBm of each meter input range.
extern int16_t RangeMaxLevels[MeterRangeCount];

// Fills RangeMaxLevels for a meter impedance R (Ohm) and reference level ref (dB); an impedance below
// 10 Ohm leaves them as they are.
void ComputeRangeMaxLevels(float R, float ref);

// The input range for the last received level: one range up or down from the current one when the
// level comes near the top of the range or far below it, always 0 .. 3.
int8_t AutoRangeIndex();

// Snaps the analysis band (kHz) to the grid of eight 1024-point bins, at least three grid steps wide.
// Returns the number of grid steps minus 1.
int16_t SnapBandLimits(float &f0, float &f1);

// A meter input range index as stored in the settings, brought into 0 .. 3.
int32_t ValidMeterRange(int32_t index);
