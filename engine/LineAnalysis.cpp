#include "engine/LineAnalysis.h"

#include "engine/DslRatePotential.h"
#include "engine/EngineBuffers.h"
#include "engine/EngineMath.h"
#include "engine/Fft.h"
#include "engine/ImpedanceMeasurement.h"
#include "engine/LineResponse.h"
#include "engine/PrbsMeasurement.h"
#include "engine/RecognitionSpectrum.h"
#include "engine/ReflectionMath.h"
#include "engine/ResultArrays.h"
#include "engine/ResultSlots.h"
#include "engine/catalogue/ParameterTable.h"
#include "state/DeviceSettings.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr double FreshSeconds = 300;
constexpr int32_t ResponsePoints = 128;
constexpr float StopAttenuation = 32;    // dB; the response ends after the first point above it
constexpr float ReferenceFrequency = 300; // kHz
constexpr float ExtendedTop = 5120;       // kHz
constexpr int32_t PulseSamples = 2048;
constexpr int32_t ShortestWindow = 256;
constexpr int32_t LongestWindow = 1024;

struct TFreshness {
    bool Capacitance = false;
    bool Resistance = false;
    bool Noise = false;
};
TFreshness Freshness;

// Own scratch of the reflection spectra, so that the published spectra stay as they are.
std::array<int32_t, PulseSamples> PulseScratch;
std::array<float, LongestWindow> WindowScratch;
std::array<float, MaxReflectionSpectrumPoints> DirectF, DirectL, OpenF, OpenL;

bool Fresh(double stamp) {
    return stamp != 0 && (NowStamp - stamp) * SecondsPerDay < FreshSeconds;
}

// Windowing of the open-end analysis: the weight of the measured response against the cable model
// over the measured range t = 0 .. 1.
constexpr std::array<float, 8> BlendT = {0, 0.02f, 0.08f, 0.1f, 0.8f, 0.84f, 0.96f, 1};
constexpr std::array<float, 8> BlendW = {0, 0.1f, 0.9f, 1, 1, 0.9f, 0.1f, 0};

// Whether an echo other than the direct pulse and the open end overlaps the open-end window and is more
// than 12 dB weaker than it: then the open-end pulse is not clean enough to analyse.
bool DisturbedOpenEnd(int32_t first, int32_t last) {
    const TReflectionTable &t = ReflectionTable;
    const TEchoPeaks &p = EchoPeaks;
    for (int32_t k = 2; k < TableEchoCount; ++k) {
        if (t.Delay[k] == NoValue)
            continue;
        if (IntervalsOverlap(p.Position[k] - p.Left[k], p.Position[k] + p.Right[k], first, last) &&
            t.Level[k] < t.Level[1] - 12)
            return true;
    }
    return false;
}

// The extension of the measured response to 5120 kHz with the cable model, blended in at the ends of
// the measured range; returns the new point count.
int32_t ExtendResponse(int32_t last, float fmin, float fmax) {
    float *X = ResultArrays.Frequency;
    float *Y = ResultArrays.Attenuation;
    const int32_t count = std::min(MaxCombLines, last + 64);
    const float spacing = (ExtendedTop - fmax) / (count - 1 - last);
    for (int32_t i = last + 1; i < count; ++i) {
        X[i] = fmax + (i - last) * spacing;
        Y[i] = 0;
    }
    for (int32_t i = 0; i < count; ++i) {
        const float t = (X[i] - fmin) / (fmax - fmin);
        const float w = InterpolateTable(t, BlendT.size(), BlendT.data(), BlendW.data());
        const float y = Y[i] == NoValue ? 0 : Y[i];
        Y[i] = (1 - w) * CableAttenuation(CableModelIndex, X[i]) * CableLengthKm + w * y;
    }
    LineAfc.Count = count;
    std::copy(X, X + count, LineAfc.Frequencies);
    std::copy(Y, Y + count, LineAfc.Attenuation);
    return count;
}

// The cable type whose attenuation at 300 kHz is nearest the measured one, with the per-km values.
void FitCable(float perKm) {
    int32_t best = 0;
    float bestError = 0;
    for (int32_t t = 0; t < CableTypeCount; ++t) {
        const float error = std::fabs(perKm / CableAttenuation(t, ReferenceFrequency) - 1);
        if (t == 0 || error < bestError) {
            best = t;
            bestError = error;
        }
    }
    CableModelIndex = best;
    const float nominal = CableAttenuation(best, ReferenceFrequency);
    SetResult(SlotPrbsWireDiameter, CableDiameterMm[best]);
    SetResult(SlotPrbsAttenuationDeviation, (perKm - nominal) / nominal * 100);
    if (Freshness.Capacitance) {
        const float c = LastCapacitance102.Value / CableLengthKm;
        SetResult(SlotPrbsCapacitancePerKm, c);
        SetResult(SlotPrbsCapacitanceDeviation, (c - CableCapacitanceNfPerKm) / CableCapacitanceNfPerKm * 100);
    }
    if (Freshness.Resistance) {
        const float r = LastLoopResistance.Value / CableLengthKm;
        const float nominalR = CableLoopResistance[best];
        SetResult(SlotPrbsResistancePerKm, r);
        SetResult(SlotPrbsResistanceDeviation, (r - nominalR) / nominalR * 100);
    }
}

} // namespace

void AnalyseOpenEndReflection(float fresh) {
    TEngineBuffers &b = EngineBuffers;
    const TDeviceSettings &s = *DeviceSettings;
    if (fresh == 1) {
        Freshness.Capacitance = Fresh(LastCapacitance102.Stamp);
        Freshness.Resistance = Fresh(LastLoopResistance.Stamp);
        Freshness.Noise = b.NoiseReference.Count > 0 && Fresh(b.NoiseReference.Stamp);
    }
    for (int32_t slot = SlotPrbsOpenEndDelay; slot <= SlotPrbsFirstRate + 19; ++slot)
        SetResult(static_cast<ResultSlot>(slot), NoValue);
    float *X = ResultArrays.Frequency;
    float *Y = ResultArrays.Attenuation;
    int32_t count = ResponsePoints;
    for (int32_t i = 0; i < MaxCombLines; ++i) {
        X[i] = i < count ? (i + 1) * s.MaxFrequency / ResponsePoints : NoValue;
        Y[i] = ResultArrays.GroupDelay[i] = ResultArrays.SignalToNoise[i] = NoValue;
    }
    b.CombLineCount = count;

    if ((s.ConnectionType != 3 && s.ConnectionType != 8) || s.Rnd.State != 2)
        return;
    int32_t directFirst = 0, directLast = 0, openFirst = 0, openLast = 0;
    const int32_t directCount = ReflectionSpectrum(0, DirectF.data(), DirectL.data(), directFirst, directLast);
    const int32_t openCount = ReflectionSpectrum(1, OpenF.data(), OpenL.data(), openFirst, openLast);
    if (directCount == 0 || openCount == 0 || IntervalsOverlap(directFirst, directLast, openFirst, openLast) ||
        DisturbedOpenEnd(openFirst, openLast))
        return;

    for (int32_t i = 0; i < count; ++i) {
        if (X[i] < OpenF[0])
            continue;
        Y[i] = (InterpolateTable(X[i], directCount, DirectF.data(), DirectL.data()) -
                InterpolateTable(X[i], openCount, OpenF.data(), OpenL.data())) *
               0.5f;
        if (Y[i] > StopAttenuation)
            break;
    }
    NormaliseAttenuation();

    const float delay = ReflectionTable.Delay[1];
    const float length = delay * s.CableVelocity;
    SetResult(SlotPrbsOpenEndDelay, delay);
    SetResult(SlotPrbsLineLength, length);
    CableLengthKm = length * 0.001f;

    int32_t firstValid = 0;
    while (firstValid < count && Y[firstValid] == NoValue)
        ++firstValid;
    if (firstValid == count)
        return;
    int32_t last = firstValid;
    while (last + 1 < count && Y[last + 1] != NoValue)
        ++last;
    const float fmin = X[firstValid], fmax = X[last];
    if (!(fmin < fmax && fmin <= ReferenceFrequency && fmax >= ReferenceFrequency))
        return;
    const float a300 = InterpolateTable(ReferenceFrequency, last - firstValid + 1, X + firstValid, Y + firstValid);
    SetResult(SlotPrbsAttenuation300, a300);
    // Nothing is divided by a length of 0 or less, and the cable model needs a length.
    if (!(CableLengthKm > 0))
        return;
    const float perKm = a300 / CableLengthKm;
    SetResult(SlotPrbsAttenuationPerKm, perKm);
    if (s.ConnectionType != 3)
        return;
    FitCable(perKm);
    count = ExtendResponse(last, fmin, fmax);
    if (Freshness.Noise)
        MeasureDslRates(SlotPrbsFirstRate);
    for (int32_t i = last; i < count; ++i) {
        if (X[i] > s.MaxFrequency) {
            count = i;
            break;
        }
        if ((i - last) % 3 == 0)
            Y[i] = NoValue;
    }
    b.CombLineCount = count;
}

int32_t ReflectionSpectrum(int32_t k, float *frequencies, float *levels, int32_t &first, int32_t &last) {
    const TReflectionTable &t = ReflectionTable;
    const TEchoPeaks &p = EchoPeaks;
    if (k < 0 || k >= TableEchoCount || t.Delay[k] == NoValue || t.Percent[k] < 0 || t.Level[k] > 70 ||
        p.Left[k] + p.Right[k] < 2)
        return 0;
    const int32_t before = 2 * p.Left[k], after = 4 * p.Right[k];
    const int32_t d = 2 << static_cast<int32_t>(std::log2(before + after));
    if (d >= LongestWindow)
        return 0;
    const int32_t s = static_cast<int32_t>(p.Position[k] - static_cast<float>(before) / (before + after) * d);
    const int32_t e = d + s - 1;
    if (s < 0 || e >= ReflectogramLength)
        return 0;
    first = s;
    last = e;

    const float *R = EngineBuffers.Reflectograms[ReflectogramPercent];
    float peak = 0;
    for (int32_t j = 0; j < d; ++j) {
        WindowScratch[j] = R[s + j] - (R[s] + (R[e] - R[s]) * j / (d - 1));
        peak = std::max(peak, std::fabs(WindowScratch[j]));
    }
    // A flat window has no pulse to transform.
    if (!(peak > 0))
        return 0;
    const int32_t window = std::max(d, ShortestWindow);
    for (int32_t j = 0; j < PulseSamples; ++j) {
        const int32_t i = j % window;
        PulseScratch[j] = i < d ? static_cast<int32_t>(WindowScratch[i] * 10000 / peak) : 0;
    }
    FixedHannWindow(PulseScratch.data(), PulseSamples);
    FixedRealFft(PulseScratch.data(), PulseSamples / 2, 1);

    const float fs = DeviceSettings->SampleRate;
    const double gain = static_cast<double>(window) * window * peak * peak;
    int32_t count = 0;
    for (int32_t bin = PulseSamples / window; bin < PulseSamples / 2 && count < MaxReflectionSpectrumPoints;
         bin += PulseSamples / window) {
        const double re = PulseScratch[2 * bin], im = PulseScratch[2 * bin + 1];
        const double A = gain * (re * re + im * im);
        frequencies[count] = fs * 0.5f * bin / 1024;
        levels[count] = A <= 1e-20 ? -200.0f : static_cast<float>(10 * std::log10(A));
        ++count;
    }
    return count;
}
