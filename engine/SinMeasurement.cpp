#include "engine/SinMeasurement.h"

#include "engine/EngineBuffers.h"
#include "engine/LevelConversion.h"
#include "engine/ResultSlots.h"
#include "engine/Spectrum.h"
#include "engine/SpectrumSums.h"
#include "engine/TonePeaks.h"
#include "state/DeviceSettings.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <initializer_list>

namespace {

constexpr int32_t SinSignalBins = 3;
constexpr int32_t Sin2SignalBins = 2;
// Harmonics and intermodulation need the tones this far from each other and from the band's edges.
constexpr int32_t MinHarmonicToneBin = 16;
constexpr int32_t MinSeparateTones = 16;
// The generator puts both SIN2 tones on multiples of the sample rate over this; a common offset from
// that grid is the frequency shift of the channel.
constexpr float Sin2GridDivisor = 256;
constexpr float SameGridOffset = 0.01f; // bins

int32_t SpectrumBins() {
    return std::min(int32_t(DeviceSettings->AdcSize), MaxBlockSize) / 2;
}

// A power ratio in dB as a coefficient in percent.
float Coefficient(float attenuation) {
    return std::pow(10.0f, -0.05f * attenuation) * 100.0f;
}

void SetNoResults(std::initializer_list<ResultSlot> rows) {
    for (ResultSlot slot : rows)
        SetResult(slot, NoValue);
}

float Attenuation(float level) {
    const TDeviceSettings &s = *DeviceSettings;
    if (s.ConnectionType != 4 && s.ConnectionType != 10)
        return -level;
    // Across a line to the peer: what our SIN generator sends against what arrives.
    if (s.Sin.State != 2)
        return NoValue;
    return -level + (s.Sin.Level + s.GenRef - s.MeterRef);
}

void UpdateLevelStats(float level) {
    TSinLevelStats &st = EngineBuffers.SinLevelStats;
    st.Count += 1;
    st.Mean = ((st.Count - 1) * st.Mean + level) / st.Count;
    st.MeanOfSquares = ((st.Count - 1) * st.MeanOfSquares + static_cast<double>(level) * level) / st.Count;
    const double variance = st.MeanOfSquares - st.Mean * st.Mean;
    SetResult(SlotSinMeanLevel, static_cast<float>(st.Mean));
    if (variance >= 0 && st.Count > 1)
        SetResult(SlotSinLevelDeviation, static_cast<float>(std::sqrt(variance * st.Count / (st.Count - 1))));
    else
        SetResult(SlotSinLevelDeviation, NoValue);
}

// Noise over every bin of the spectrum away from the tone, through the weighting characteristic.
void MeasureWeightedNoise(int32_t t, float level, int32_t bins) {
    if (WeightingCurve.Count <= 0) {
        SetNoResults({SlotSinWeightedNoise, SlotSinWeightedSnr});
        return;
    }
    const float *P = EngineBuffers.PowerSpectrum;
    const float step = DeviceSettings->SpectrumStep;
    double sum = 0;
    for (int32_t q = 1; q < bins; ++q)
        if (std::abs(q - t) > ToneHalfWidth)
            sum += P[q] * WeightingFactor(static_cast<float>(q) * step);
    const float noise = PowerToDbm0(static_cast<float>(sum));
    SetResult(SlotSinWeightedNoise, noise);
    SetResult(SlotSinWeightedSnr, level - noise);
}

void MeasureHarmonics(int32_t t, float level, int32_t hi, int32_t bins) {
    const auto harmonic = [&](int32_t k) {
        return k * t <= hi ? SumBins(k * t - ToneHalfWidth, k * t + ToneHalfWidth, bins).Power : 0.0;
    };
    const double h2 = harmonic(2);
    const double h3 = harmonic(3);
    if (!(h2 > 0) || t <= MinHarmonicToneBin) {
        SetNoResults({SlotSinA2, SlotSinK2, SlotSinA3, SlotSinK3, SlotSinA23, SlotSinK23});
        return;
    }
    const float a2 = level - PowerToDbm0(static_cast<float>(h2));
    SetResult(SlotSinA2, a2);
    SetResult(SlotSinK2, Coefficient(a2));
    if (!(h3 > 0)) {
        SetNoResults({SlotSinA3, SlotSinK3, SlotSinA23, SlotSinK23});
        return;
    }
    const float a3 = level - PowerToDbm0(static_cast<float>(h3));
    const float a23 = -10.0f * std::log10(std::pow(10.0f, -0.1f * a2) + std::pow(10.0f, -0.1f * a3));
    SetResult(SlotSinA3, a3);
    SetResult(SlotSinK3, Coefficient(a3));
    SetResult(SlotSinA23, a23);
    SetResult(SlotSinK23, Coefficient(a23));
}

// The common offset D of both tones from the generator's grid for which
// (m2·q + D)/(m1·q + D) equals the measured ratio of the tone frequencies; it does not depend on the
// sample clock. NoValue when the tones do not sit the same distance off the grid.
float FrequencyShift(double f1, double f2, double x1, double x2) {
    const TDeviceSettings &s = *DeviceSettings;
    const double q = s.SampleRate / Sin2GridDivisor;
    const int32_t m1 = static_cast<int32_t>(std::trunc(f1 / q + 0.5));
    const int32_t m2 = static_cast<int32_t>(std::trunc(f2 / q + 0.5));
    if (m1 <= 0 || m2 <= 0)
        return NoValue;
    if (!(std::fabs((f1 - m1 * q) - (f2 - m2 * q)) / s.SpectrumStep < SameGridOffset))
        return NoValue;
    const double r = x2 / x1;
    return static_cast<float>((static_cast<double>(m2) / m1 - r) / (r - 1) * m1 * q * 1000.0);
}

} // namespace

void MeasureSin() {
    TEngineBuffers &b = EngineBuffers;
    const TDeviceSettings &s = *DeviceSettings;
    const int32_t bins = SpectrumBins();
    const int32_t lo = b.BandLowBin;
    const int32_t hi = b.BandHighBin;
    const int32_t t = RefinePeakBin(b.ToneBin1, lo, hi);
    b.ToneBin1 = t;
    SetResult(SlotSinFrequency, (static_cast<float>(t) + FractionalBinOffset(t)) * s.SpectrumStep);

    const TBinSum signal = SumBins(t - 1, t + 1, bins);
    TBinSum noise = SumBins(lo, t - ToneHalfWidth - 1, bins);
    AddBins(noise, t + ToneHalfWidth + 1, hi, bins);
    const float level = PowerToDbm0(static_cast<float>(signal.Power));
    SetResult(SlotSinLevel, level);
    SetResult(SlotSinAttenuation, Attenuation(level));
    if (noise.Count > 0) {
        const float noiseLevel = PowerToDbm0(static_cast<float>(ScaledNoise(noise, SinSignalBins)));
        SetResult(SlotSinNoise, noiseLevel);
        SetResult(SlotSinSnr, level - noiseLevel);
    } else {
        SetNoResults({SlotSinNoise, SlotSinSnr});
    }
    UpdateLevelStats(level);
    MeasureWeightedNoise(t, level, bins);
    MeasureHarmonics(t, level, hi, bins);
}

void MeasureSin2() {
    TEngineBuffers &b = EngineBuffers;
    const TDeviceSettings &s = *DeviceSettings;
    const float *P = b.PowerSpectrum;
    const int32_t bins = SpectrumBins();
    const int32_t lo = b.BandLowBin;
    const int32_t hi = b.BandHighBin;
    const int32_t t1 = RefinePeakBin(b.ToneBin1, 1, bins - 2);
    const int32_t t2 = RefinePeakBin(b.ToneBin2, 1, bins - 2);
    b.ToneBin1 = t1;
    b.ToneBin2 = t2;
    const double x1 = t1 + FractionalBinOffset(t1);
    const double x2 = t2 + FractionalBinOffset(t2);
    const double f1 = x1 * s.SpectrumStep;
    const double f2 = x2 * s.SpectrumStep;
    SetResult(SlotSin2Frequency1, static_cast<float>(f1));
    SetResult(SlotSin2Frequency2, static_cast<float>(f2));

    TBinSum noise = SumBins(lo, t1 - ToneHalfWidth - 1, bins);
    AddBins(noise, t1 + ToneHalfWidth + 1, t2 - ToneHalfWidth - 1, bins);
    AddBins(noise, t2 + ToneHalfWidth + 1, hi - 1, bins);
    const float total = PowerToDbm0(P[t1] + P[t2]);
    const float level1 = PowerToDbm0(P[t1]);
    const float level2 = PowerToDbm0(P[t2]);
    SetResult(SlotSin2Level, total);
    if (noise.Count > 0) {
        const float noiseLevel = PowerToDbm0(static_cast<float>(ScaledNoise(noise, Sin2SignalBins)));
        SetResult(SlotSin2Noise, noiseLevel);
        SetResult(SlotSin2Snr, total - noiseLevel);
    } else {
        SetNoResults({SlotSin2Noise, SlotSin2Snr});
    }

    // Tones this close cannot be measured apart, nor their products.
    if (std::abs(t2 - t1) <= MinSeparateTones) {
        SetNoResults({SlotSin2Level1, SlotSin2Level2, SlotSin2A21, SlotSin2A3, SlotSin2K3, SlotSin2FrequencyShift});
        return;
    }
    SetResult(SlotSin2Level1, level1);
    SetResult(SlotSin2Level2, level2);
    SetResult(SlotSin2A21, level1 - level2);
    const int32_t k = 2 * t1 - t2;
    if (k > lo + ToneHalfWidth && k < hi - ToneHalfWidth) {
        const float a3 =
            total - PowerToDbm0(static_cast<float>(SumBins(k - ToneHalfWidth, k + ToneHalfWidth, bins).Power));
        SetResult(SlotSin2A3, a3);
        SetResult(SlotSin2K3, Coefficient(a3));
    } else {
        SetNoResults({SlotSin2A3, SlotSin2K3});
    }
    SetResult(SlotSin2FrequencyShift, FrequencyShift(f1, f2, x1, x2));
}
