#pragma once

#include <cstdint>

// Gathers the Hann-window leakage of every tone back into its peak bin of PowerSpectrum (peaks found
// in AveragedPower), leaving each drained neighbour at a random floor a little below the noise of the
// block; on input range 3 it also corrects the low-frequency response. Returns n/2 - 2.
int32_t CollapseLeakage(int32_t n);

// True when bin i of AveragedPower is a peak whose two neighbours on each side fall away from it
// (near the top of the h bins one neighbour suffices).
bool IsLocalPeak(int32_t i, int32_t h);

// The random floor factor y^4, y uniform in 0.316 .. 1: between -20 dB and 0 dB.
float RandomFloorFactor();
