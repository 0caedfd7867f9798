#pragma once

#include <cstdint>

// The comb lines at full block length are valid only with at least this spacing (bins of the
// 2048-point recognition spectrum) and one line; recognition leaves the comb at 0 without one.
inline constexpr int32_t MinCombSpacing = 4;

// Whether recognition found a comb the multitone measurements can work on.
bool CombValid();

// The signal-to-noise ratio (dB) a comb line must exceed to be measured: the meter's minimum S/N, at
// least 10 dB, less the gain of the comb spacing over four bins. Needs the scaled comb.
float CombLineThreshold();

// The multitone measurement on the comb found by recognition: per-line levels, signal-to-noise,
// attenuation and bit loading, the rate potential, the cable length and the DSL rates, and the MTTS
// rows derived from them. Scales CombStart and CombSpacing to the full block length.
void MeasureMtts();
