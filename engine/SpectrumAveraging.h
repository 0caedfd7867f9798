#pragma once

#include <cstdint>

// Sets AveragingWeight for the block stamped NowStamp: dt/(dt + 0.45·T) for the time dt since the
// previous block and the averaging interval T, or 1 when averaging is off, restarted, or the impedance
// meter is working. Runs first for every block.
void UpdateAveragingWeight();

// Forgets the previous block's time, so that the next block starts the clock again.
void ResetAveragingClock();

// Exponential average of PowerSpectrum into AveragedPower; PowerSpectrum then holds the average.
void AverageSpectrum(int32_t n);
