#include "engine/Spectrum.h"

#include "engine/Calibration.h"
#include "engine/EngineBuffers.h"
#include "engine/EngineMath.h"
#include "engine/Fft.h"
#include "engine/LevelConversion.h"
#include "state/DeviceSettings.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace {

// The periodic Hann window of the last block size, kept so that a block costs no cosines.
const float *HannWindow(int32_t n) {
    static std::array<float, MaxBlockSize> window;
    static int32_t windowLength = 0;
    if (windowLength != n) {
        for (int32_t i = 0; i < n; ++i)
            window[i] = static_cast<float>(0.5 - 0.5 * std::cos(2 * std::numbers::pi * i / n));
        windowLength = n;
    }
    return window.data();
}

// The calibration gains of the last row at the finest grid, x = k / MaxBlockSize: recognition and the
// full-length spectrum take theirs from it every block, and two table interpolations a bin cost more
// than the rest of the calibration. Bin i of a block size n that divides the largest one is entry
// i·(MaxBlockSize / n), whose x is the same number; for any other n there is no grid (nullptr).
const float *CalibrationGrid(const TCalibrationRow &row, int32_t n) {
    static std::array<float, MaxBlockSize / 2> gains;
    static TCalibrationRow gainsRow{};
    static bool built = false;
    if (n <= 0 || MaxBlockSize % n != 0)
        return nullptr;
    if (!built || gainsRow.c0 != row.c0 || gainsRow.c1 != row.c1 || gainsRow.c2 != row.c2) {
        for (int32_t k = 0; k < MaxBlockSize / 2; ++k)
            gains[k] = CalibrationGain(row, static_cast<float>(k) / MaxBlockSize);
        gainsRow = row;
        built = true;
    }
    return gains.data();
}

} // namespace

float WeightingFactor(float f) {
    const float dB = InterpolateTable(f, WeightingCurve.Count, WeightingCurve.AscendingFrequencies,
                                      WeightingCurve.AscendingAttenuations);
    return std::pow(10.0f, -0.1f * dB);
}

void HannSpectrum(int32_t n, bool clipped) {
    TEngineBuffers &b = EngineBuffers;
    n = std::min(n, MaxBlockSize);
    if (n < 4)
        return;
    const float *w = HannWindow(n);
    float mean = 0;
    if (!clipped) {
        double sum = 0;
        for (int32_t i = 0; i < n; ++i)
            sum += w[i] * b.SampleVolts[i];
        mean = static_cast<float>(2.0 / n * sum);
    }
    const float scale = 2048.0f / n;
    for (int32_t i = 0; i < n; ++i)
        b.ComplexSpectrum[i] = w[i] * (b.SampleVolts[i] - mean) * scale;
    RealFft(b.ComplexSpectrum, n / 2, 1);
}

TCalibrationRow MeterCalibrationRow() {
    const TDeviceSettings &s = *DeviceSettings;
    const int32_t A = s.ConnectionType > 5 && s.ConnectionType != 12 ? 1 : 0;
    TCalibrationRow row = ReadCalibrationRow(CalibrationIndex(s.MaxFrequency, A, 1, s.MaxLevelIndex));
    AdjustCalibration(s.SampleRate, row.c0, row.c1, row.c2);
    return row;
}

float CalibrationGain(const TCalibrationRow &row, float x) {
    return (PassbandCurve0(x) * (row.c0 + 8192.0f) + PassbandCurve1(x) * row.c1 + PassbandCurve2(x) * row.c2) /
           8192.0f;
}

void CalibrateSpectrum(int32_t n) {
    TEngineBuffers &b = EngineBuffers;
    const TDeviceSettings &s = *DeviceSettings;
    n = std::min(n, MaxBlockSize);
    const TCalibrationRow row = MeterCalibrationRow();
    const float *grid = CalibrationGrid(row, n);
    const int32_t stride = grid ? MaxBlockSize / n : 0;
    const float sampleRate = s.SampleRate;
    b.ComplexSpectrum[0] = 0;
    b.ComplexSpectrum[1] = 0;
    for (int32_t i = 0; i < n / 2; ++i) {
        const float g = grid ? grid[i * stride] : CalibrationGain(row, static_cast<float>(i) / n);
        b.FrequencyAxis[i] = static_cast<float>(i) * sampleRate / n;
        float &re = b.ComplexSpectrum[2 * i];
        float &im = b.ComplexSpectrum[2 * i + 1];
        re *= g;
        im *= g;
        b.PowerSpectrum[i] = re * re + im * im;
    }
}

int32_t PublishSpectrum(int32_t n) {
    TEngineBuffers &b = EngineBuffers;
    const TDeviceSettings &s = *DeviceSettings;
    n = std::min(n, MaxBlockSize);
    const int32_t bins = n / 2;
    const float binKHz = s.SampleRate / n;
    const int32_t f = std::max(1, NearestInt(s.PresentationStep / binKHz));
    const int32_t count = std::clamp(NearestInt(static_cast<double>(bins) / f), 0, bins);
    const bool weighted = WeightingCurve.Count > 0;
    const TDbm0Scale dbm0 = Dbm0Scale();
    for (int32_t i = 1; i < count; ++i) {
        float total = 0;
        float weightedTotal = 0;
        const int32_t first = std::max(0, f * i - f / 2);
        const int32_t end = std::min(bins, f * i + f / 2 + f % 2);
        for (int32_t g = first; g < end; ++g) {
            total += b.PowerSpectrum[g];
            if (weighted)
                weightedTotal += b.PowerSpectrum[g] * WeightingFactor(f == 1 ? b.FrequencyAxis[i] : g * binKHz);
        }
        b.PowerSpectrum[i] = total;
        b.WeightedLevels[i] = weighted ? weightedTotal : NoValue;
        b.FrequencyAxis[i] = binKHz * f * i;
    }
    // The sums first and the levels in a loop of their own, which vectorises.
    if (count > 1) {
        PowersToDbm0(b.PowerSpectrum + 1, count - 1, dbm0);
        if (weighted)
            PowersToDbm0(b.WeightedLevels + 1, count - 1, dbm0);
    }
    const int32_t fullBins = std::min(int32_t(s.AdcSize), MaxBlockSize) / 2;
    b.PowerSpectrum[0] = b.WeightedLevels[0] = b.FrequencyAxis[0] = NoValue;
    for (int32_t i = std::max(count, 1); i < fullBins; ++i)
        b.PowerSpectrum[i] = b.WeightedLevels[i] = b.FrequencyAxis[i] = NoValue;
    b.DisplayPointCount = count;
    return count;
}
