#pragma once

#include <cstdint>

// Codes above this magnitude mean the meter input was overloaded.
inline constexpr int32_t ClipThreshold = 26028;

// The block in volts (the sign of the codes inverted) with its time axis in microseconds, SampleGain
// and OverloadFlag, for the first n samples of AdcSampleBuffer.
void ScaleBlock(int32_t n);

void SetOverloadFlag(int16_t flag);
