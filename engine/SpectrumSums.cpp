#include "engine/SpectrumSums.h"

#include "engine/EngineBuffers.h"

#include <algorithm>

void AddBins(TBinSum &sum, int32_t first, int32_t last, int32_t bins) {
    first = std::max(first, 1);
    last = std::min(last, bins - 1);
    for (int32_t k = first; k <= last; ++k)
        sum.Power += EngineBuffers.PowerSpectrum[k];
    sum.Count += std::max(0, last - first + 1);
}

TBinSum SumBins(int32_t first, int32_t last, int32_t bins) {
    TBinSum sum;
    AddBins(sum, first, last, bins);
    return sum;
}

double ScaledNoise(const TBinSum &noise, int32_t v) {
    if (noise.Count <= 0)
        return noise.Power;
    return noise.Power * (noise.Count + v) / noise.Count;
}

int32_t RefinePeakBin(int32_t t, int32_t lowest, int32_t highest) {
    const float *A = EngineBuffers.AveragedPower;
    if (t + 1 <= highest && A[t + 1] > A[t])
        ++t;
    if (t - 1 >= lowest && A[t - 1] > A[t])
        --t;
    return t;
}
