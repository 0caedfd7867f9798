#include "engine/GroupDelay.h"

#include "engine/EngineBuffers.h"
#include "engine/EngineMath.h"
#include "engine/LineResponse.h"
#include "engine/MttsMeasurement.h"
#include "engine/ResultArrays.h"
#include "engine/SignalPath.h"
#include "state/DeviceSettings.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace {

constexpr float Pi = std::numbers::pi_v<float>;
constexpr float TwoPi = 2 * Pi;

// Work arrays of one block: line phases, phase steps and whether a step followed its prediction.
float LinePhases[MaxCombLines];
float PhaseSteps[MaxCombLines];
bool Predicted[MaxCombLines];

// The angle in (-pi, pi], in single precision as the phases are kept.
float Wrap(float a) {
    return std::atan2(std::sin(a), std::cos(a));
}

float RoundHalfAway(float v) {
    return v < 0 ? -std::trunc(-v + 0.5f) : std::trunc(v + 0.5f);
}

// The phase of each line relative to the generator's start phase, with the instrument's path removed,
// in [0, 2 pi).
void TakeLinePhases(int32_t n) {
    const TEngineBuffers &b = EngineBuffers;
    const TDeviceSettings &s = *DeviceSettings;
    const TResultArrays &r = ResultArrays;
    const int32_t m = NearestInt(s.MaxFrequency);
    const float tau = SignalPathDelay(m, s.ConnectionType) * TwoPi / s.SampleRate;
    const int32_t harmonic = b.CombStart / b.CombSpacing;
    for (int32_t i = 0; i < n; ++i) {
        const int32_t k = i * b.CombSpacing + b.CombStart;
        const float phi = std::atan2(b.ComplexSpectrum[2 * k + 1], b.ComplexSpectrum[2 * k]);
        const float f = r.Frequency[i];
        const float p = phi - (tau * f - PhaseCorrection(m, s.ConnectionType, f));
        float q = Wrap(-p - MttsLinePhase(harmonic + i));
        if (q < 0)
            q += TwoPi;
        LinePhases[i] = q;
    }
}

// Unwraps the line phases by predicting each step from the two before it; a step whose predecessors
// jump by half a turn or more is taken as it is and its line is not used for the delay.
void UnwrapLinePhases(int32_t n) {
    float *D = PhaseSteps;
    for (int32_t i = 1; i < n; ++i)
        D[i] = -Wrap(LinePhases[i] - LinePhases[i - 1]);
    D[0] = n > 1 ? D[1] : 0;
    Predicted[0] = Predicted[1] = true;
    // A correction of step i applies to every later step too; it is carried as an offset.
    float carried = 0;
    for (int32_t i = 2; i < n; ++i) {
        D[i] += carried;
        const float d = D[i - 1] - D[i - 2];
        Predicted[i] = std::fabs(d) < Pi;
        if (!Predicted[i])
            continue;
        const float turns = RoundHalfAway((D[i - 1] + d - D[i]) / TwoPi);
        D[i] += TwoPi * turns;
        carried += TwoPi * turns;
    }
    for (int32_t i = 1; i < n; ++i)
        LinePhases[i] = LinePhases[i - 1] - D[i];
}

void AverageLinePhases(int32_t n) {
    const TDeviceSettings &s = *DeviceSettings;
    float *phase = ResultArrays.Phase;
    // The impedance meter needs each block's own phases.
    const float weight =
        s.ConnectionType == 3 || s.ConnectionType == 8 ? 1.0f : EngineBuffers.AveragingWeight;
    for (int32_t i = 0; i < n; ++i) {
        const float p = LinePhases[i] - Pi / 2;
        phase[i] = weight >= 1 || phase[i] == NoValue ? p : phase[i] + weight * (p - phase[i]);
    }
}

// Five-, three- or two-point differences of the averaged phase over the usable neighbours.
void DifferentiatePhases(int32_t n, float threshold) {
    const TEngineBuffers &b = EngineBuffers;
    const TResultArrays &r = ResultArrays;
    const float *A = r.Phase;
    float *delay = ResultArrays.GroupDelay;
    const float dw = b.CombSpacing * TwoPi * DeviceSettings->SpectrumStep * 0.001f;
    const auto usable = [&](int32_t j) { return j >= 0 && j < n && Predicted[j] && r.SignalToNoise[j] > threshold; };
    const auto all = [&](int32_t from, int32_t to) {
        for (int32_t j = from; j <= to; ++j)
            if (!usable(j))
                return false;
        return true;
    };
    for (int32_t i = 0; i < n; ++i) {
        if (all(i - 2, i + 2))
            delay[i] = (-A[i - 2] + 8 * A[i - 1] - 8 * A[i + 1] + A[i + 2]) / (12 * dw);
        else if (all(i - 1, i + 1))
            delay[i] = (A[i - 1] - A[i + 1]) / (2 * dw);
        else if (all(i, i + 1))
            delay[i] = (A[i] - A[i + 1]) / dw;
        else if (all(i - 1, i))
            delay[i] = (A[i - 1] - A[i]) / dw;
        else
            delay[i] = NoValue;
    }
}

// Keeps only the first longest run of valid values, when it has at least three.
void KeepLongestRun(int32_t n) {
    float *delay = ResultArrays.GroupDelay;
    int32_t bestStart = 0;
    int32_t bestLength = 0;
    for (int32_t i = 0; i < n;) {
        if (delay[i] == NoValue) {
            ++i;
            continue;
        }
        const int32_t start = i;
        while (i < n && delay[i] != NoValue)
            ++i;
        if (i - start > bestLength) {
            bestStart = start;
            bestLength = i - start;
        }
    }
    constexpr int32_t ShortestRun = 3;
    if (bestLength < ShortestRun)
        bestLength = 0;
    for (int32_t i = 0; i < n; ++i)
        if (i < bestStart || i >= bestStart + bestLength)
            delay[i] = NoValue;
}

void ReferenceGroupDelay(int32_t n) {
    TResultArrays &r = ResultArrays;
    const float reference = DeviceSettings->GvpRef;
    const float v = reference > 0 ? ValueAtBracket(r.Frequency, r.GroupDelay, n, reference)
                                  : SmallestValid(r.GroupDelay, n, std::numeric_limits<float>::max());
    if (v == NoValue)
        std::fill(r.GroupDelay, r.GroupDelay + n, NoValue);
    else
        SubtractFromValid(r.GroupDelay, n, v);
}

} // namespace

void MeasureGroupDelay() {
    if (!CombValid())
        return;
    const int32_t n = LineResultCount();
    const float threshold = CombLineThreshold();
    TakeLinePhases(n);
    UnwrapLinePhases(n);
    AverageLinePhases(n);
    DifferentiatePhases(n, threshold);
    KeepLongestRun(n);
    ReferenceGroupDelay(n);
}
