#pragma once

#include <cstdint>

// Bins each side of a tone that belong to it: a tone is 17 bins wide in recognition, and the noise of
// its measurement leaves them out.
inline constexpr int32_t ToneHalfWidth = 8;

// A sum of PowerSpectrum bins with the number of bins that went into it.
struct TBinSum {
    double Power = 0;
    int32_t Count = 0;
};

// Adds PowerSpectrum[first .. last] to sum. Only bins 1 .. bins - 1 are taken, so that a range near
// either end of the spectrum never reads the DC term or past the last bin.
void AddBins(TBinSum &sum, int32_t first, int32_t last, int32_t bins);
TBinSum SumBins(int32_t first, int32_t last, int32_t bins);

// A noise sum over its w bins, scaled to the w + v bins of the band it stands for (v signal bins were
// left out); unscaled when no bin was summed.
double ScaledNoise(const TBinSum &noise, int32_t v);

// Moves a tone bin one step to a stronger neighbour in AveragedPower, first up, then down, staying
// within lowest .. highest.
int32_t RefinePeakBin(int32_t t, int32_t lowest, int32_t highest);
