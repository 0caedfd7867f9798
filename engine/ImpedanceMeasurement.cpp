#include "engine/ImpedanceMeasurement.h"

#include "engine/Calibration.h"
#include "engine/EngineMath.h"
#include "engine/GeneratorSourceResistance.h"
#include "engine/GeneratorSynthesis.h"
#include "engine/MttsMeasurement.h"
#include "engine/ResultArrays.h"
#include "engine/ResultSlots.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "state/DeviceSettings.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <numbers>

TImpedanceModel ImpedanceModel;
TStampedValue LastLoopResistance;
TStampedValue LastCapacitance102;

namespace {

constexpr float OmegaPerKHz = 6.2832f;
constexpr int32_t MttsKind = 3;
// The curve rows of the impedance: R, X, Z, mismatch coefficient and attenuation, phase, capacitance.
constexpr int32_t ImpedanceGraphKinds[] = {14, 15, 8, 9, 11, 10, 13};
constexpr int32_t BalancedPhaseWord = 140; // byte offset of the calibration words in the image
constexpr int32_t CoaxialPhaseWord = 152;
constexpr float UncalibratedLimit = 1200000; // Ohm
constexpr float LimitPerGenImpedance = 25;
constexpr float LoadCorrectionStep = 0.7f;
constexpr float CapacitanceFrequency = 1.02f; // kHz
constexpr float SmallestMismatch = 0.0001f;

bool ImpedanceRowsAnalysed() {
    if (ResultAnalysed(SlotMttsLoopResistance) || ResultAnalysed(SlotMttsCapacitance102))
        return true;
    for (int32_t kind : ImpedanceGraphKinds)
        if (const ParamSettings *settings = GraphParamSettings[kind][MttsKind]; settings && settings->Analyse)
            return true;
    return false;
}

bool MeasurementApplies(float rg) {
    const TDeviceSettings &s = *DeviceSettings;
    return rg != NoValue && (s.ConnectionType == 3 || s.ConnectionType == 8) && s.Mtts.State == 2 &&
           s.Mtts.Count >= 1 && s.BandF0 <= s.Mtts.F1 && s.Mtts.F1 - s.Mtts.Step < s.BandF0 &&
           (s.SampleRate > 160 || s.AdcSize <= 8192) && s.MaxLevelIndex != 3 && CombValid() &&
           ImpedanceRowsAnalysed();
}

void ResetModel() {
    TImpedanceModel &m = ImpedanceModel;
    std::fill(std::begin(m.MagnitudeCorrection), std::end(m.MagnitudeCorrection), 0.0f);
    std::fill(std::begin(m.PhaseCorrection), std::end(m.PhaseCorrection), 0.0f);
    const TImpedanceModel fresh;
    m.Rp = fresh.Rp;
    m.Cp = fresh.Cp;
    m.Rs = fresh.Rs;
    m.Ls = fresh.Ls;
}

void StartStepsFor(int16_t state) {
    TImpedanceModel &m = ImpedanceModel;
    switch (state) {
    case -1:
        ResetModel();
        break;
    case 1:
        ResetModel();
        m.OpenSteps = 2;
        m.LoadSteps = 4;
        m.ShortSteps = 4;
        m.Calibrated = false;
        break;
    case -2:
        if (!m.Calibrated)
            ResetModel();
        m.OpenSteps = m.LoadSteps = m.ShortSteps = 0;
        m.Calibrated = true;
        break;
    default:
        break;
    }
}


// The phase slope (rad per kHz) of the meter path at the current output stage and input range.
float PhaseSlope() {
    const TDeviceSettings &s = *DeviceSettings;
    const bool coaxial = s.ConnectionType == 8;
    const double phiE = PhaseCalibrationWord(s.ConnectionType, s.MaxFrequency) * std::numbers::pi / 2 / 32768;
    double a = 0;
    if (GenRangeStep == -1)
        a += coaxial ? -4.81 : -5.09;
    else if (GenRangeStep == 1)
        a += coaxial ? 0.48 : 0.97;
    constexpr double BalancedRange[] = {-1.15, -7.1, -0.48};
    constexpr double CoaxialRange[] = {-0.23, -6.29, 0.31};
    if (s.MaxLevelIndex >= 0 && s.MaxLevelIndex <= 2)
        a += coaxial ? CoaxialRange[s.MaxLevelIndex] : BalancedRange[s.MaxLevelIndex];
    a = a * std::numbers::pi / 180 * s.MaxFrequency / 1024;
    const double phi0 = phiE - a;
    return static_cast<float>(s.MaxFrequency > 128 ? phi0 * 1.28 / s.MaxFrequency : phi0 * 0.01);
}

struct TLineSetup {
    float Rg;        // source resistance
    float R0;        // meter impedance the mismatch refers to
    float Limit;     // largest impedance that counts
    float Slope;     // phase slope, rad per kHz
    float Threshold; // S/N a line needs
    float Lref;      // level of one line into a matched load, dBm
};

float LinearAt(float f0, float f1, float y0, float y1, float f) {
    return y0 + (y1 - y0) * (f - f0) / (f1 - f0);
}

// One comb line: the load from the divider, the model's shunt and leads removed, and its derived
// values; then the load correction and the open and short tests of the calibration.
void MeasureLine(int32_t i, const TLineSetup &setup) {
    TImpedanceModel &model = ImpedanceModel;
    TResultArrays &r = ResultArrays;
    const TDeviceSettings &s = *DeviceSettings;
    const float m = 2 * std::pow(10.0f, 0.05f * (setup.Lref - (s.MeterRef + EngineBuffers.CombLineSignal[i])));
    const float f = r.Frequency[i];
    const float w = OmegaPerKHz * f;
    r.Phase[i] += setup.Slope * f;
    const float mc = m + model.MagnitudeCorrection[i];
    const float phic = r.Phase[i] - model.PhaseCorrection[i];
    const float a = mc * std::cos(-phic);
    const float b = mc * std::sin(-phic);
    const float den = (a - 1) * (a - 1) + b * b;
    const float scaled = ComplexMagnitude(a - 1, -b) * setup.Rg;
    bool counts = den * 0.01f < scaled && scaled < den * setup.Limit;
    float R = 0;
    float X = 0;
    float Zm = 0;
    if (counts) {
        const float zre = (a - 1) * setup.Rg / den;
        const float zim = -b * setup.Rg / den;
        const float z2 = zre * zre + zim * zim;
        const float g = zre / z2 - 1 / model.Rp;
        const float bb = -zim / z2 - w * model.Cp;
        const float d = g * g + bb * bb;
        R = g / d - model.Rs;
        if (model.Calibrated && R < 0)
            R = 0;
        X = -bb / d - w * model.Ls;
        Zm = std::sqrt(R * R + X * X);
        counts = Zm < setup.Limit;
    }
    const float genLimit = LimitPerGenImpedance * s.GenImpedance;
    if (counts) {
        r.Resistance[i] = R;
        r.Reactance[i] = X;
        r.ImpedanceModulus[i] = Zm;
        // Lead ends left open show the 500 pF and more of the line; 275 .. 325 kHz is not looked at.
        const float openLimit = std::min(1 / (w * 5e-7f), genLimit);
        if (f > 0.3f && (f < 275 || f > 325) && Zm < openLimit)
            model.OpenSeen = false;
        if (Zm > 0.1f) {
            r.ImpedancePhase[i] = std::atan2(X, R) * 57.296f;
            if (r.ImpedancePhase[i] < -15 && Zm > 2 && Zm < genLimit)
                r.Capacitance[i] = -1000000 / (w * X);
            if (i > 0 && r.Frequency[i - 1] <= CapacitanceFrequency && CapacitanceFrequency < f &&
                r.Capacitance[i - 1] != NoValue && r.Capacitance[i] != NoValue) {
                const float c = LinearAt(r.Frequency[i - 1], f, r.Capacitance[i - 1], r.Capacitance[i],
                                                      CapacitanceFrequency);
                SetResult(SlotMttsCapacitance102, c);
                LastCapacitance102 = {c, NowStamp};
            }
        }
        const float q = std::max(ComplexMagnitude(R - setup.R0, X) / ComplexMagnitude(R + setup.R0, X), SmallestMismatch);
        r.MismatchAttenuation[i] = -20 * std::log10(q);
        r.MismatchCoefficient[i] = 100 * q;
    }
    if (model.OpenSeen && model.OpenSteps == 0 && model.LoadSteps > 0) {
        // With the ends open the divider's load is the instrument's own shunt.
        const float rp = model.Rp;
        const float k = 1 + w * w * rp * rp * model.Cp * model.Cp;
        const TComplex zl = MakeComplex(rp / k, -w * rp * rp * model.Cp / k);
        const TComplex u = DivideComplex(AddComplex(MakeComplex(setup.Rg, 0), zl), zl);
        model.MagnitudeCorrection[i] += LoadCorrectionStep * (ComplexMagnitude(u.re, u.im) - mc);
        model.PhaseCorrection[i] += LoadCorrectionStep * (std::atan2(u.im, u.re) + phic);
    }
    // Shorted ends show at most 10 Ohm in series with 5 uH.
    const float zm = r.ImpedanceModulus[i];
    if (zm == NoValue || zm > std::sqrt((0.005f * w) * (0.005f * w) + 100))
        model.ShortSeen = false;
}

// The mean of the valid values of one array over the lines between 0.08 and 0.32 of the sample rate,
// each divided by divisor(f); n receives their number.
template <typename Divisor> double BandMean(const float *values, int32_t lines, int32_t &n, Divisor divisor) {
    const TResultArrays &r = ResultArrays;
    const float fs = DeviceSettings->SampleRate;
    double sum = 0;
    n = 0;
    for (int32_t i = 0; i < lines; ++i) {
        const float f = r.Frequency[i];
        if (f > 0.08f * fs && f < 0.32f * fs && values[i] != NoValue) {
            sum += values[i] / divisor(f);
            ++n;
        }
    }
    return n > 0 ? sum / n : 0.0;
}

// The shunt capacitance from the open ends: the mean capacitance without its outliers.
void AdjustShuntCapacitance(int32_t lines) {
    const TResultArrays &r = ResultArrays;
    const float fs = DeviceSettings->SampleRate;
    int32_t n = 0;
    const double mu = BandMean(r.Capacitance, lines, n, [](float) { return 1.0f; });
    if (n < 2)
        return;
    double squares = 0;
    const auto inBand = [&](int32_t i) {
        return r.Frequency[i] > 0.08f * fs && r.Frequency[i] < 0.32f * fs && r.Capacitance[i] != NoValue;
    };
    for (int32_t i = 0; i < lines; ++i)
        if (inBand(i))
            squares += (r.Capacitance[i] - mu) * (r.Capacitance[i] - mu);
    const double sigma = std::sqrt(squares / (n - 1));
    if (!(sigma < mu / 4))
        return;
    double sum = 0;
    int32_t kept = 0;
    for (int32_t i = 0; i < lines; ++i) {
        if (inBand(i) && std::fabs(r.Capacitance[i] - mu) < sigma) {
            sum += r.Capacitance[i];
            ++kept;
        }
    }
    if (kept > 0)
        ImpedanceModel.Cp += static_cast<float>(0.000001 * sum / kept);
}

int16_t CalibrationStep(int16_t s, int32_t lines) {
    TImpedanceModel &m = ImpedanceModel;
    const TResultArrays &r = ResultArrays;
    if (m.OpenSeen) {
        if (m.OpenSteps > 0) {
            if (m.OpenSteps == 1)
                AdjustShuntCapacitance(lines);
            --m.OpenSteps;
            s = 2;
        } else if (m.LoadSteps > 0) {
            --m.LoadSteps;
            s = 2;
        } else {
            s = 3;
        }
    }
    if (m.ShortSeen) {
        if (m.ShortSteps > 0) {
            if (m.ShortSteps == 1) {
                int32_t n = 0;
                m.Ls += static_cast<float>(BandMean(r.Reactance, lines, n, [](float f) { return OmegaPerKHz * f; }));
                m.Rs += static_cast<float>(BandMean(r.Resistance, lines, n, [](float) { return 1.0f; }));
            }
            --m.ShortSteps;
            s = 4;
        } else {
            s = 5;
        }
    }
    if (m.OpenSteps == 0 && m.LoadSteps == 0 && m.ShortSteps == 0) {
        m.Calibrated = true;
        s = 0;
    }
    return s;
}

// Rounds a value to the step that suits its size; NoValue from the last limit on.
struct TRounding {
    float Below;
    float Step; // 0: kept as it is
};

float RoundBySize(float v, std::initializer_list<TRounding> steps) {
    v = std::max(v, 0.0f);
    for (const TRounding &r : steps)
        if (v < r.Below)
            return r.Step > 0 ? std::round(v / r.Step) * r.Step : v;
    return NoValue;
}

// The value at 0 Hz extrapolated from three lines through their first two differences.
float ExtrapolateToZero(const float f[3], const float y[3]) {
    const float s1 = (y[1] - y[0]) / (f[1] - f[0]);
    const float s2 = (y[2] - y[1]) / (f[2] - f[1]);
    return y[0] - f[0] * (2 * s1 - s2);
}

// The DC resistance of the loop: from a resistive start of the curve, or the parallel resistance of
// an open, capacitive line. Reads lines 0 to 2 at least: with fewer lines there is no value.
void MeasureLoopResistance(int32_t lines) {
    const TResultArrays &r = ResultArrays;
    if (lines < 3)
        return;
    const auto valid = [&](int32_t i) { return r.Resistance[i] != NoValue; };
    const bool lowModulus = r.ImpedanceModulus[0] < 1 && r.ImpedanceModulus[1] < 1 && r.ImpedanceModulus[2] < 1;
    const bool smallPhase = std::fabs(r.ImpedancePhase[0]) < 30 && std::fabs(r.ImpedancePhase[1]) < 30 &&
                            std::fabs(r.ImpedancePhase[2]) < 30;
    if ((lowModulus || smallPhase) && valid(0) && valid(1) && valid(2)) {
        const float rdc = RoundBySize(ExtrapolateToZero(r.Frequency, r.Resistance),
                                      {{10, 0.001f}, {100, 0.01f}, {1000, 0.1f}, {10000, 1}});
        SetResult(SlotMttsLoopResistance, rdc);
        if (rdc != NoValue)
            LastLoopResistance = {rdc, NowStamp};
        return;
    }
    const auto phase = [&](int32_t i) { return r.ImpedancePhase[i]; };
    for (int32_t i = 0; i + 2 < lines; ++i) {
        if (phase(i) == NoValue || phase(i + 1) == NoValue || phase(i + 2) == NoValue)
            continue;
        if (!(phase(i) < -30 && phase(i + 1) < phase(i) && phase(i + 2) < phase(i + 1)))
            continue;
        if (!(r.Resistance[i] > 0 && r.Resistance[i + 1] > 0 && r.Resistance[i + 2] > 0))
            continue;
        float parallel[3];
        for (int32_t k = 0; k < 3; ++k) {
            const float x = r.Reactance[i + k];
            const float res = r.Resistance[i + k];
            parallel[k] = (x * x + res * res) / res;
        }
        SetResult(SlotMttsLoopResistance, RoundBySize(ExtrapolateToZero(r.Frequency + i, parallel),
                                                      {{1000, 0}, {3000, 1}, {10000, 10}, {100000, 100}}));
        return;
    }
}

} // namespace

int16_t PhaseCalibrationWord(int32_t connectionType, float maxFrequency) {
    const int32_t offset =
        (connectionType == 8 ? CoaxialPhaseWord : BalancedPhaseWord) + 2 * FftSizeCode(maxFrequency);
    int16_t word = 0;
    std::memcpy(&word, EepromImage + offset, sizeof word);
    return word;
}

void MeasureImpedance() {
    TResultArrays &r = ResultArrays;
    TImpedanceModel &model = ImpedanceModel;
    const TDeviceSettings &s = *DeviceSettings;
    const int32_t n = LineResultCount();
    for (float *array : {r.ImpedanceModulus, r.Resistance, r.Reactance, r.ImpedancePhase, r.Capacitance,
                         r.MismatchCoefficient, r.MismatchAttenuation})
        std::fill(array, array + n, NoValue);
    SetResult(SlotMttsLoopResistance, NoValue);
    SetResult(SlotMttsCapacitance102, NoValue);
    int16_t state = ImpedanceCalState;
    ImpedanceCalState = -2;
    const float rg = GeneratorSourceResistance(s.GenImpedance, s.SampleRate);
    if (!MeasurementApplies(rg))
        return;

    ImpedanceCalState = state;
    StartStepsFor(state);
    const TLineSetup setup{rg,
                           s.MeterImpedance,
                           model.Calibrated ? LimitPerGenImpedance * s.GenImpedance : UncalibratedLimit,
                           PhaseSlope(),
                           CombLineThreshold(),
                           s.GenRef + s.Mtts.Level - 10 * std::log10(static_cast<float>(s.Mtts.Count))};
    model.OpenSeen = true;
    model.ShortSeen = true;
    for (int32_t i = 0; i < n; ++i)
        if (r.SignalToNoise[i] > setup.Threshold)
            MeasureLine(i, setup);

    state = CalibrationStep(state, n);
    if (ImpedanceCalState >= 0)
        ImpedanceCalState = state;
    MeasureLoopResistance(n);

    // The generator feeds the measured pair itself: there is no line response to show.
    SetResult(SlotMttsRate, NoValue);
    for (float *array : {r.Attenuation, r.GroupDelay, r.BitLoading})
        std::fill(array, array + n, NoValue);
}
