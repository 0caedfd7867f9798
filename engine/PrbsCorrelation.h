#pragma once

#include <cstdint>

// Where the correlation puts the direct pulse; the reflections follow it.
inline constexpr int32_t DirectPulseIndex = 31;

// Correlates length raw codes, read circularly, with the PRBS difference reference given as its +2
// and -2 positions, for lags 0 .. lags - 1 (additions only); out[d + lags] := -out[d], since the
// reference changes sign under a shift by half its period. out holds 2·lags values.
void CorrelatePrbs(const int16_t *codes, int32_t *out, int32_t length, int32_t lags, const int16_t *positive,
                   int32_t positiveCount, const int16_t *negative, int32_t negativeCount);

// Rotates count values in place so that values[index] lands at target:
// new[i] = old[(i + index - target) mod count].
void RotateCircular(int32_t *values, int32_t count, int32_t target, int32_t index);

// The sum of values[first .. last] squared, in 64 bits, shifted right by shift. For the correlation of
// 16-bit codes and a shift of 20 the result stays below 2^31.
int32_t EnergySum(const int32_t *values, int32_t first, int32_t last, int32_t shift);

// The PRBS test of recognition on the first 2046 codes of AdcSampleBuffer: the correlation into
// PrbsCorrelation with its peak moved to index 31, PrbsPeakLag, and the PRBS rows of the direct signal,
// the reflections and their ratio.
void MeasurePrbsCorrelation();
