#include "engine/NoiseMeasurement.h"

#include "engine/EngineBuffers.h"
#include "engine/EngineMath.h"
#include "engine/Fft.h"
#include "engine/LevelConversion.h"
#include "engine/ResultSlots.h"
#include "engine/Spectrum.h"
#include "state/DeviceSettings.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

TPhasogramState PhasogramState;

namespace {

constexpr int32_t LongestSegment = 1024;
constexpr int32_t ShortestPeriod = 2500;
enum PhasogramCurve { BandLevel, WeightedLevel, BandVolts, WeightedVolts, PhaseAxis };

// The reference line must reach this level (dBm) on each input range before the phasogram is taken.
// Input range 3 is the most sensitive; it continues the 20 dB steps of the other three.
constexpr std::array<float, 4> ReferenceThreshold = {-30, -50, -70, -90};

// Scratch of the phasogram, static so that a block allocates nothing: the block rotated to phase zero,
// one windowed segment and, per bin of a segment, the calibration gain squared and the weighting factor.
std::array<float, MaxBlockSize> Rotated;
std::array<float, LongestSegment> Segment;
std::array<float, LongestSegment / 2> GainSquared;
std::array<float, LongestSegment / 2> Weighting;
std::array<float, LongestSegment> Window;
int32_t WindowLength = 0;

// The periodic Hann window of a segment, times the 2048/segment scale of every spectrum.
const float *SegmentWindow(int32_t segment) {
    if (WindowLength != segment) {
        for (int32_t i = 0; i < segment; ++i)
            Window[i] = static_cast<float>((0.5 - 0.5 * std::cos(2 * std::numbers::pi * i / segment)) * 2048.0 / segment);
        WindowLength = segment;
    }
    return Window.data();
}

float Impedance() {
    const TDeviceSettings &s = *DeviceSettings;
    return s.ConnectionType == 3 || s.ConnectionType == 8 ? s.GenImpedance : s.MeterImpedance;
}

// Raises a sample index by whole periods of the reference until it is not negative.
int32_t RaiseByPeriods(int32_t j, float samplesPerPeriod) {
    while (j < 0)
        j = static_cast<int32_t>(j + samplesPerPeriod);
    return j;
}

// Copies n samples of v from s on; at the end of the block the copy goes on a whole period earlier, so
// it stays continuous in the phase of the reference.
void RotatedCopy(const float *v, float *out, int32_t n, int32_t s, int32_t period) {
    if (s >= n)
        s = n - period;
    for (int32_t i = 0; i < n; ++i) {
        out[i] = v[s++];
        if (s >= n)
            s = n - period;
    }
}

// The sample at which the reference frequency passes phase zero, from its Fourier coefficient over
// one period.
int32_t PhaseZeroSample(const float *v, int32_t period, float fs, float fref) {
    const double w = 2 * std::numbers::pi * fref / fs;
    // The rotation e^(-iw·i) advanced by multiplication, renormalised now and then.
    double c = 1, sn = 0, a = 0, b = 0;
    const double cw = std::cos(w), sw = std::sin(w);
    for (int32_t i = 0; i < period; ++i) {
        a += c * v[i];
        b -= sn * v[i];
        const double nc = c * cw - sn * sw;
        sn = sn * cw + c * sw;
        c = nc;
        if ((i & 1023) == 1023) {
            const double r = std::hypot(c, sn);
            c /= r;
            sn /= r;
        }
    }
    const double phi = std::atan2(b, a) + std::numbers::pi / 2;
    return RaiseByPeriods(-static_cast<int32_t>(phi / w + 0.5), fs / fref);
}

// True when the reference line reaches the level its input range needs.
bool ReferenceStrongEnough(float fref) {
    const TEngineBuffers &b = EngineBuffers;
    const TDeviceSettings &s = *DeviceSettings;
    const int32_t g = NearestInt(fref / s.SpectrumStep);
    if (g < 1 || g + 1 >= std::min(int32_t(s.AdcSize), MaxBlockSize) / 2)
        return false;
    const float level = PowerToDbm0(b.PowerSpectrum[g - 1] + b.PowerSpectrum[g] + b.PowerSpectrum[g + 1]) + s.MeterRef;
    const int32_t range = std::clamp<int32_t>(s.MaxLevelIndex, 0, ReferenceThreshold.size() - 1);
    return level >= ReferenceThreshold[range];
}

// A running average that a fresh start takes as it is (a + (x - a) would lose x next to NoValue).
void Average(float &a, float x, float weight) {
    a = weight == 1 ? x : a + (x - a) * weight;
}

} // namespace

float VoltsFromLevel(float level) {
    return std::sqrt(std::pow(10.0f, (level + DeviceSettings->MeterRef) * 0.1f) * Impedance() / 1000.0f);
}

void ClearNoiseCurves() {
    TEngineBuffers &b = EngineBuffers;
    PhasogramState.Valid = 0;
    const int32_t count = std::clamp(b.NoiseCurveLength, 0, MaxBlockSize);
    for (float *curve : b.NoiseCurves)
        std::fill(curve, curve + count, NoValue);
}

void MeasureNoiseLevels() {
    const TEngineBuffers &b = EngineBuffers;
    const TDeviceSettings &s = *DeviceSettings;
    const int32_t bins = std::min(int32_t(s.AdcSize), MaxBlockSize) / 2;
    double band = 0;
    for (int32_t k = std::max(b.BandLowBin, 0); k <= std::min(b.BandHighBin, bins - 1); ++k)
        if (b.FrequencyAxis[k] > s.BandF0 && b.FrequencyAxis[k] < s.BandF1)
            band += b.PowerSpectrum[k];
    SetResult(SlotNoiseLevel, PowerToDbm0(static_cast<float>(band)));
    if (WeightingCurve.Count < 1) {
        SetResult(SlotNoiseWeighted, NoValue);
        return;
    }
    double weighted = 0;
    for (int32_t k = 1; k < bins; ++k)
        weighted += b.PowerSpectrum[k] * WeightingFactor(b.FrequencyAxis[k]);
    SetResult(SlotNoiseWeighted, PowerToDbm0(static_cast<float>(weighted)));
}

TPhasogramPlan PlanPhasogram(float fs, int32_t n, float f0, float f1, float fref) {
    TPhasogramPlan plan;
    if (DeviceSettings->Phasogram == 0 || !(fref > 0) || !(fs > 0) || n <= 0 || fs / n > fref)
        return plan;
    const float width = std::min(f1 - f0, f0);
    const double wanted = width > 0 ? 2.0 * fs / width : LongestSegment;
    int32_t segment = 64;
    while (segment < LongestSegment && wanted >= segment)
        segment *= 2;
    float step = fs / fref / 90;
    while (segment / 4 < step)
        step /= 2;
    const double period = std::trunc(fs / fref + 0.5);
    plan.Segment = segment;
    plan.Step = step;
    if (period < ShortestPeriod || period + segment > n)
        return plan;
    plan.Period = static_cast<int32_t>(period);
    plan.Points = static_cast<int32_t>((plan.Period + step) / step);
    return plan;
}

int32_t ChoosePhasogramSegment(float fs, int32_t n, float f0, float f1, float fref) {
    TPhasogramState &p = PhasogramState;
    const TPhasogramPlan plan = PlanPhasogram(fs, n, f0, f1, fref);
    EngineBuffers.NoiseCurveLength = FewestPhasogramPoints;
    if (plan.Segment > 0) {
        p.Segment = plan.Segment;
        p.Step = plan.Step;
    }
    if (plan.Period == 0) {
        ClearNoiseCurves();
        return FewestPhasogramPoints;
    }
    p.Period = plan.Period;
    EngineBuffers.NoiseCurveLength = plan.Points;
    return plan.Points;
}

void MeasureNoise() {
    TEngineBuffers &b = EngineBuffers;
    const TDeviceSettings &s = *DeviceSettings;
    TPhasogramState &p = PhasogramState;
    const int32_t n = std::min(int32_t(s.AdcSize), MaxBlockSize);
    const float fs = s.SampleRate;
    const float fref = s.PhasogramRef;
    const int32_t count = ChoosePhasogramSegment(fs, n, s.BandF0, s.BandF1, fref);
    if (count <= FewestPhasogramPoints)
        return;
    if (!ReferenceStrongEnough(fref)) {
        ClearNoiseCurves();
        return;
    }

    const int32_t segment = p.Segment;
    const int32_t half = segment / 2;
    const TCalibrationRow row = MeterCalibrationRow();
    const bool weighted = WeightingCurve.Count > 0;
    for (int32_t q = 1; q < half; ++q) {
        const float g = CalibrationGain(row, static_cast<float>(q) / segment);
        GainSquared[q] = g * g;
        Weighting[q] = weighted ? WeightingFactor(q * fs / segment) : 0;
    }
    const int32_t lo2 = 2 * NearestInt(s.BandF0 / fs * segment);
    const int32_t hi2 = 2 * NearestInt(s.BandF1 / fs * segment);

    const int32_t j = PhaseZeroSample(b.SampleVolts, p.Period, fs, fref);
    RotatedCopy(b.SampleVolts, Rotated.data(), n, RaiseByPeriods(j - half, fs / fref), p.Period);

    const float weight = p.Valid ? b.AveragingWeight : 1;
    const float degreesPerPoint = 360.0f / (p.Period / p.Step);
    const float *window = SegmentWindow(segment);
    for (int32_t k = 0; k < count; ++k) {
        const int32_t r = std::min(NearestInt(k * p.Step), n - segment);
        for (int32_t i = 0; i < segment; ++i)
            Segment[i] = window[i] * Rotated[r + i];
        RealFft(Segment.data(), half, 1);
        double bandSum = 0, weightedSum = 0;
        for (int32_t q = 1; q < half; ++q) {
            const float re = Segment[2 * q], im = Segment[2 * q + 1];
            const float power = (re * re + im * im) * GainSquared[q];
            if (2 * q >= lo2 && 2 * q <= hi2)
                bandSum += power;
            weightedSum += power * Weighting[q];
        }
        Average(b.NoiseCurves[BandLevel][k], PowerToDbm0(static_cast<float>(bandSum)), weight);
        b.NoiseCurves[BandVolts][k] = VoltsFromLevel(b.NoiseCurves[BandLevel][k]);
        if (weighted) {
            Average(b.NoiseCurves[WeightedLevel][k], PowerToDbm0(static_cast<float>(weightedSum)), weight);
            b.NoiseCurves[WeightedVolts][k] = VoltsFromLevel(b.NoiseCurves[WeightedLevel][k]);
        } else {
            b.NoiseCurves[WeightedLevel][k] = b.NoiseCurves[WeightedVolts][k] = NoValue;
        }
        b.NoiseCurves[PhaseAxis][k] = k * degreesPerPoint;
    }
    RotatedCopy(b.SampleVolts, Rotated.data(), n, j, p.Period);
    std::copy(Rotated.data(), Rotated.data() + n, b.SampleVolts);
    p.Valid = 1;
}
