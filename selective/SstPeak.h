#pragma once

#include <cstdint>

// The peak of a Hann-windowed tone between two bins: the ratio of a neighbour to the peak bin, r(d) =
// ((1 + d) / (2 - d))^2 = (W(1 - d) / W(d))^2 with W the window's kernel, gives the offset d of the tone
// from the peak bin (0 .. 0.5 bin).

// Offset of the peak from the centre bin in units of w (positive towards the larger neighbour); 0 for
// a centre of no power.
float PeakOffsetByTable(float left, float centre, float right, float w);

// A local peak of p at i: positive, above its right neighbour, at least its left one, and both
// neighbours falling away further out where the array reaches. Needs 1 <= i <= n - 2.
bool IsLocalPeak(const float *p, int32_t i, int32_t n);

// The leakage of a tone into the bins around its peak bin: the fraction of the peak bin's power found
// m + 1 bins away (m = 0 .. LeakageReach - 1) on the side of the larger neighbour (strong) and on the
// other side, for a neighbour ratio v (0.25 .. 1).
inline constexpr int32_t LeakageReach = 42;
void LeakageFractions(float v, float strong[LeakageReach], float other[LeakageReach]);
