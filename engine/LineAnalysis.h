#pragma once

#include <cstdint>

// The line analysis from the reflectogram: the direct pulse and the pulse reflected from the open far
// end give the line's attenuation over frequency, its length, cable type, per-km values and DSL rates.

// Runs after the echoes of a PRBS block are found (before their table is sorted); fresh = 1 re-evaluates
// whether the stored references (capacitance, loop resistance, noise) are younger than 300 s.
void AnalyseOpenEndReflection(float fresh);

// The spectrum of echo k of the reflectogram, in its own scratch buffers: frequencies (kHz) and levels
// (dB) of up to 512 points, and the window [first, last] of reflectogram steps it was taken from.
// Returns the number of points; 0 when the echo gives no spectrum (a flat window included).
inline constexpr int32_t MaxReflectionSpectrumPoints = 512;
int32_t ReflectionSpectrum(int32_t k, float *frequencies, float *levels, int32_t &first, int32_t &last);

