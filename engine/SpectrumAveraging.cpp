#include "engine/SpectrumAveraging.h"

#include "engine/EngineBuffers.h"
#include "state/DeviceSettings.h"

#include <algorithm>

namespace {


bool HavePreviousTime = false;
double PreviousTime = 0;

} // namespace

void UpdateAveragingWeight() {
    TEngineBuffers &b = EngineBuffers;
    const double t = NowStamp * SecondsPerDay;
    if (!HavePreviousTime) {
        PreviousTime = t;
        HavePreviousTime = true;
    }
    const double dt = t - PreviousTime;
    PreviousTime = t;
    b.AveragingWeight = 1;
    const int32_t T = DeviceSettings->AveragingInterval;
    if (T > 0 && dt > 0 && t != 0 && b.AveragingContinues == 1 && ImpedanceCalState < 0)
        b.AveragingWeight = static_cast<float>(dt / (dt + 0.45 * T));
    b.AveragingContinues = 1;
}

void ResetAveragingClock() {
    HavePreviousTime = false;
}

void AverageSpectrum(int32_t n) {
    TEngineBuffers &b = EngineBuffers;
    const float weight = b.AveragingWeight;
    const int32_t bins = std::min(n, MaxBlockSize) / 2;
    // A restarted average takes the block exactly: a + (p - a) can round away a small p.
    if (weight == 1) {
        std::copy(b.PowerSpectrum, b.PowerSpectrum + bins, b.AveragedPower);
        return;
    }
    for (int32_t k = 0; k < bins; ++k) {
        b.AveragedPower[k] += (b.PowerSpectrum[k] - b.AveragedPower[k]) * weight;
        b.PowerSpectrum[k] = b.AveragedPower[k];
    }
}
