#include "engine/MttsMeasurement.h"

#include "engine/DslRatePotential.h"
#include "engine/EngineBuffers.h"
#include "engine/EngineMath.h"
#include "engine/LevelConversion.h"
#include "engine/LineResponse.h"
#include "engine/RecognitionSpectrum.h"
#include "engine/ResultArrays.h"
#include "engine/ResultSlots.h"
#include "engine/SpectrumSums.h"
#include "engine/masks/MaskArray.h"
#include "state/DeviceSettings.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace {

constexpr int32_t CombSignalBins = 3;
constexpr int32_t AttenuationMaskSlot = 5;
constexpr int32_t SnrMaskSlot = 7;
constexpr int32_t BitsMaskSlot = 12;
// Without a bits mask a line carries at most 30 bits; 3.0102982 dB of S/N per bit.
constexpr float DefaultMaxBits = 30;
constexpr float DbPerBit = 3.0102982f;
constexpr float BitCeilingMargin = 0.000001f;
constexpr float DmtSymbolRate = 4;        // kbaud
// The length is fitted to the 0.5 mm cable, type 2.
constexpr int32_t LengthCableType = 2;
constexpr float LengthReferenceFrequency = 300; // kHz
constexpr float LongestFittedAttenuation = 50;  // dB

int32_t SpectrumBins() {
    return std::min(int32_t(DeviceSettings->AdcSize), MaxBlockSize) / 2;
}

void SetNoResults(std::initializer_list<ResultSlot> rows) {
    for (ResultSlot slot : rows)
        SetResult(slot, NoValue);
}

void SetNoDslResults() {
    for (int32_t k = 0; k < 20; ++k)
        SetResult(static_cast<ResultSlot>(SlotMttsFirstDslRate + k), NoValue);
}

// Signal and noise of every comb line up to half the sample rate; the noise reference and the line
// response take their frequencies. Returns the number of lines.
int32_t MeasureCombLines(double &signalSum, double &noiseSum) {
    TEngineBuffers &b = EngineBuffers;
    const TDeviceSettings &s = *DeviceSettings;
    TResultArrays &r = ResultArrays;
    TNoiseReference &noiseReference = b.NoiseReference;
    const int32_t bins = SpectrumBins();
    const bool ownCombOnPair = s.ConnectionType == 3 && s.Mtts.State == 2;
    int32_t lines = 0;
    for (int32_t i = 0; i < MaxCombLines; ++i) {
        const int32_t k = i * b.CombSpacing + b.CombStart;
        if (k >= s.AdcSize / 2)
            break;
        r.Frequency[i] = static_cast<float>(k) * s.SpectrumStep;
        const double signal = SumBins(k - 1, k + 1, bins).Power;
        const double noise = ScaledNoise(SumBins(k + 2, k + b.CombSpacing - 2, bins), CombSignalBins);
        signalSum += signal;
        noiseSum += noise;
        b.CombLineSignal[i] = PowerToDbm0(static_cast<float>(signal));
        b.CombLineNoise[i] = PowerToDbm0(static_cast<float>(noise));
        r.SignalToNoise[i] = b.CombLineSignal[i] - b.CombLineNoise[i];
        // The own comb on the same pair hides the line's noise: the reference keeps an earlier one.
        if (!ownCombOnPair) {
            noiseReference.Frequencies[i] = r.Frequency[i];
            noiseReference.Levels[i] = b.CombLineNoise[i] + s.MeterRef;
            noiseReference.Count = i + 1;
        }
        LineAfc.Frequencies[i] = r.Frequency[i];
        LineAfc.Count = i + 1;
        lines = i + 1;
    }
    return lines;
}

float MaskValue(int32_t slot, int32_t side, float x, double outside) {
    const TMASK *mask = GetActiveMask(slot, side);
    return mask ? static_cast<float>(InterpolatePairs(x, mask->Points, outside, outside)) : NoValue;
}

// Bits per line from its S/N, bounded by the bits and attenuation masks and raised by the S/N mask.
void LoadBits(int32_t n) {
    TResultArrays &r = ResultArrays;
    const TDeviceSettings &s = *DeviceSettings;
    for (int32_t i = 0; i < n; ++i) {
        const float x = r.Frequency[i];
        r.Attenuation[i] = -10 * std::log10(static_cast<float>(n)) - EngineBuffers.CombLineSignal[i];
        float u = r.SignalToNoise[i];
        if (const float lower = MaskValue(SnrMaskSlot, MaskLowerSide, x, -1000); lower != NoValue)
            u -= lower;
        float ceiling = DefaultMaxBits;
        if (const float bitsMask = MaskValue(BitsMaskSlot, MaskUpperSide, x, 1000); bitsMask != NoValue)
            ceiling = bitsMask;
        float d = 0;
        if (s.AfcRef < 0)
            if (const float upper = MaskValue(AttenuationMaskSlot, MaskUpperSide, x, 1000); upper != NoValue)
                d = std::max(0.0f, r.Attenuation[i] - upper);
        u = std::min(u, DbPerBit * ceiling - d);
        float bits = std::trunc(std::log10(std::pow(10.0f, 0.1f * u) + 1) * 3.32193f + 0.5f);
        if (bits >= ceiling)
            bits = ceiling - BitCeilingMargin;
        r.BitLoading[i] = bits;
    }
}

// Three significant digits; 0 for a rate of 0.001 kbit/s or less.
float RoundRate(float rate) {
    if (!(rate > 0.001f))
        return 0;
    const double scale = std::pow(10.0, std::trunc(std::log10(rate * 1000.0)) - 5);
    return static_cast<float>(std::trunc(rate / scale + 0.5) * scale);
}

// The length from the ratios of the measured attenuation to the 0.5 mm cable's, when they agree.
float FitCableLength(int32_t n, float a300) {
    const TResultArrays &r = ResultArrays;
    int32_t count = 0;
    double mean = 0;
    double meanOfSquares = 0;
    for (int32_t i = 0; i < n; ++i) {
        const float a = r.Attenuation[i];
        const float m = CableAttenuation(LengthCableType, r.Frequency[i]);
        if (a == NoValue || !(a < LongestFittedAttenuation) || !(m > 0))
            continue;
        const double ratio = a / m;
        ++count;
        mean = ((count - 1) * mean + ratio) / count;
        meanOfSquares = (ratio * ratio + (count - 1) * meanOfSquares) / count;
    }
    if (count < 3 || !(mean > -0.03))
        return NoValue;
    const double deviation = meanOfSquares >= mean * mean
                                 ? std::sqrt(count * (meanOfSquares - mean * mean) / (count - 1))
                                 : 0.0;
    mean = std::max(mean, 0.0);
    if (!(deviation < std::max(0.2 * mean, 0.006)))
        return NoValue;
    const float m300 = CableAttenuation(LengthCableType, LengthReferenceFrequency);
    // A length is never negative, whichever way it was found.
    if (a300 != NoValue && m300 > 0)
        return std::max(0.0f, a300 / m300);
    return static_cast<float>(mean);
}

// Attenuation at 300 kHz, the length on the 0.5 mm cable, the line response completed by the cable
// model, and the DSL rate potentials over it.
void MeasureCable(int32_t n, float threshold) {
    TResultArrays &r = ResultArrays;
    const TDeviceSettings &s = *DeviceSettings;
    TNoiseReference &noiseReference = EngineBuffers.NoiseReference;
    noiseReference.Impedance = s.ConnectionType == 3 ? s.GenImpedance : s.MeterImpedance;
    CableModelIndex = LengthCableType;
    float a300 = InterpolateTable(LengthReferenceFrequency, n, r.Frequency, r.Attenuation);
    CableLengthKm = FitCableLength(n, a300);
    if (CableLengthKm != NoValue) {
        SetResult(SlotMttsCableLength, CableLengthKm * 1000);
        const int32_t count = std::min(noiseReference.Count, LineAfc.Count);
        for (int32_t i = 0; i < count; ++i) {
            const float model = CableAttenuation(LengthCableType, r.Frequency[i]) * CableLengthKm;
            if (i < n) {
                if (r.Attenuation[i] == NoValue)
                    r.Attenuation[i] = model;
                LineAfc.Attenuation[i] = r.Attenuation[i];
            } else {
                LineAfc.Attenuation[i] = model;
            }
        }
        if (a300 == NoValue)
            a300 = InterpolateTable(LengthReferenceFrequency, count, noiseReference.Frequencies, LineAfc.Attenuation);
    }
    SetResult(SlotMttsAttenuation300, a300);
    MeasureDslRates(SlotMttsFirstDslRate);
    for (int32_t i = 0; i < std::min(noiseReference.Count, MaxCombLines); i += 3)
        if (r.SignalToNoise[i] < threshold)
            r.Attenuation[i] = NoValue;
}

// Across the line to the peer the attenuation is what our own generator sends against what arrives.
void ReferenceAttenuation(int32_t n) {
    TResultArrays &r = ResultArrays;
    const TDeviceSettings &s = *DeviceSettings;
    if (s.ConnectionType != 4 && s.ConnectionType != 10) {
        NormaliseAttenuation();
        return;
    }
    if (s.Mtts.State != 2) {
        std::fill(r.Attenuation, r.Attenuation + n, NoValue);
        return;
    }
    const float bridgeLoss = s.ConnectionType == 10 ? -5.85f : 0.0f;
    SubtractFromValid(r.Attenuation, n, -(bridgeLoss - (s.MeterRef - s.GenRef - s.Mtts.Level)));
}

void MeasureMaxAttenuation(int32_t n) {
    const TResultArrays &r = ResultArrays;
    float maximum = NoValue;
    float frequency = NoValue;
    for (int32_t i = 0; i < n; ++i) {
        if (r.Attenuation[i] > maximum) {
            maximum = r.Attenuation[i];
            frequency = r.Frequency[i];
        }
    }
    SetResult(SlotMttsMaxAttenuation, maximum);
    SetResult(SlotMttsMaxAttenuationFrequency, frequency);
}

} // namespace

bool CombValid() {
    const TEngineBuffers &b = EngineBuffers;
    return b.CombSpacing >= MinCombSpacing && b.CombLineCount >= 1 && b.CombStart >= 1;
}

float CombLineThreshold() {
    return std::max(float(DeviceSettings->MinSnr), 10.0f) - 10 * std::log10(0.25f * EngineBuffers.CombSpacing);
}

void MeasureMtts() {
    TEngineBuffers &b = EngineBuffers;
    const TDeviceSettings &s = *DeviceSettings;
    TResultArrays &r = ResultArrays;
    SetNoResults({SlotMttsAttenuation300, SlotMttsCableLength, SlotMttsRate, SlotMttsMaxAttenuation,
                  SlotMttsMaxAttenuationFrequency});
    SetNoDslResults();
    if (!CombValid()) {
        // Nothing to measure: no curve and no row has a value.
        SetNoResults({SlotMttsLevel, SlotMttsNoise, SlotMttsSnr});
        b.CombLineCount = 0;
        ClearResultArrays();
        return;
    }
    const int32_t factor = s.AdcSize / RecognitionLength;
    b.CombStart *= factor;
    b.CombSpacing *= factor;
    const float threshold = CombLineThreshold();

    double signalSum = 0;
    double noiseSum = 0;
    const int32_t lines = MeasureCombLines(signalSum, noiseSum);
    b.CombLineCount = std::min(b.CombLineCount, lines);
    const int32_t n = b.CombLineCount;
    SetResult(SlotMttsLevel, PowerToDbm0(static_cast<float>(signalSum)));
    SetResult(SlotMttsNoise, PowerToDbm0(static_cast<float>(noiseSum)));
    if (n < 1) {
        SetResult(SlotMttsSnr, NoValue);
        return;
    }
    double snrSum = 0;
    for (int32_t i = 0; i < n; ++i)
        snrSum += r.SignalToNoise[i];
    SetResult(SlotMttsSnr, static_cast<float>(snrSum / n));

    LoadBits(n);
    double bits = 0;
    for (int32_t i = 0; i < n; ++i) {
        if (r.SignalToNoise[i] < threshold)
            r.Attenuation[i] = NoValue;
        if (HasLineGap(i)) {
            r.BitLoading[i] = -BitCeilingMargin;
            r.Attenuation[i] = NoValue;
        }
        bits += r.BitLoading[i];
    }
    SetResult(SlotMttsRate, RoundRate(static_cast<float>(bits * b.CombSpacing * s.SpectrumStep / DmtToneSpacing *
                                                         DmtSymbolRate)));

    const bool lineToMeasure = (s.ConnectionType == 3 && s.Mtts.State == 0) || s.ConnectionType == 2 ||
                               s.ConnectionType == 5;
    if (lineToMeasure)
        MeasureCable(n, threshold);
    ReferenceAttenuation(n);
    MeasureMaxAttenuation(n);
}
