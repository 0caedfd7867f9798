#include "engine/TonePeaks.h"

#include "engine/EngineBuffers.h"
#include "engine/EngineMath.h"
#include "state/DeviceSettings.h"

#include <algorithm>
#include <array>

namespace {

// A neighbour must stay this many times below a candidate tone when the spectrum is sampled above
// 80 kHz, where the wider bins let a single tone's skirt look like a second peak.
constexpr float WideBinPeakFactor = 1.259f;

constexpr int32_t OffsetTablePoints = 129;

struct TOffsetTable {
    std::array<float, OffsetTablePoints> Ratio;  // Hann neighbour power ratio ((1 + d)/(2 - d))^2
    std::array<float, OffsetTablePoints> Offset; // d = j/256
};

const TOffsetTable &OffsetTable() {
    static const TOffsetTable table = [] {
        TOffsetTable t{};
        for (int32_t j = 0; j < OffsetTablePoints; ++j) {
            const double d = j / 256.0;
            const double r = (1 + d) / (2 - d);
            t.Offset[j] = static_cast<float>(d);
            t.Ratio[j] = static_cast<float>(r * r);
        }
        return t;
    }();
    return table;
}

} // namespace

float FindTonePeaks(int32_t n) {
    TEngineBuffers &b = EngineBuffers;
    const TDeviceSettings &s = *DeviceSettings;
    const float *P = b.PowerSpectrum;
    const int32_t bins = std::min(n, MaxBlockSize) / 2;
    // Every bin the search looks at, and its neighbours, must exist.
    const auto inSpectrum = [&](int32_t bin) { return std::clamp(bin, 1, std::max(1, bins - 2)); };
    const double binsPerKHz = n / s.SampleRate;

    b.ForcedKindHint = 0;
    if (s.Mtts.State == 2 && (s.ConnectionType == 3 || s.ConnectionType == 4)) {
        b.ToneBin1 = NearestInt(s.Mtts.F1 * binsPerKHz);
        b.ToneBin2 = NearestInt((s.Mtts.F1 + s.Mtts.Step) * binsPerKHz);
        b.ForcedKindHint = 3;
    }
    if (s.Rnd.State == 2 && (s.ConnectionType == 3 || s.ConnectionType == 8 || s.ConnectionType == 4)) {
        b.ToneBin1 = b.ToneBin2 = NearestInt(s.BandF0 * binsPerKHz);
        b.ForcedKindHint = 4;
    }
    b.BandLowBin = inSpectrum(NearestInt(s.BandF0 * binsPerKHz));
    b.BandHighBin = inSpectrum(NearestInt(s.BandF1 * binsPerKHz));
    const int32_t lo = b.BandLowBin;
    const int32_t hi = b.BandHighBin;

    if (b.ForcedKindHint != 0) {
        b.ToneBin1 = inSpectrum(b.ToneBin1);
        b.ToneBin2 = inSpectrum(b.ToneBin2);
        return P[b.ToneBin1];
    }

    int32_t t = 0;
    float peak = 0;
    for (int32_t k = lo; k <= hi; ++k) {
        if (P[k] > peak) {
            peak = P[k];
            t = k;
        }
    }
    b.ToneBin1 = b.ToneBin2 = t;
    const float threshold = 0.01f * peak;
    const float f = s.SampleRate > 80 ? WideBinPeakFactor : 1.0f;
    const int32_t reach = std::max(t - lo, hi - t);
    for (int32_t d = 2; d <= reach; ++d) {
        const int32_t right = t + d;
        if (right <= hi && P[right] > threshold && P[right - 1] * f <= P[right] && P[right + 1] * f < P[right]) {
            b.ToneBin2 = right;
            break;
        }
        const int32_t left = t - d;
        if (left >= lo && P[left] > threshold && P[left + 1] * f <= P[left] && P[left - 1] * f < P[left]) {
            b.ToneBin1 = left;
            b.ToneBin2 = t;
            break;
        }
    }
    return threshold;
}

float FractionalBinOffset(int32_t k) {
    const float *A = EngineBuffers.AveragedPower;
    const int32_t bins = std::min(int32_t(DeviceSettings->AdcSize), MaxBlockSize) / 2;
    if (k < 1 || k > bins - 2 || !(A[k] > 0))
        return 0;
    const TOffsetTable &t = OffsetTable();
    if (A[k + 1] > A[k - 1])
        return InterpolateTable(A[k + 1] / A[k], OffsetTablePoints, t.Ratio.data(), t.Offset.data());
    return -InterpolateTable(A[k - 1] / A[k], OffsetTablePoints, t.Ratio.data(), t.Offset.data());
}
