#include "selective/MirvakImpedance.h"

#include "engine/EngineMath.h"
#include "engine/GeneratorSourceResistance.h"
#include "engine/GeneratorSynthesis.h"
#include "engine/ImpedanceMeasurement.h"
#include "engine/LevelConversion.h"
#include "engine/ResultSlots.h"
#include "engine/SignalPath.h"
#include "engine/SstParam2.h"
#include "platform/NoValue.h"
#include "selective/LineParameters.h"
#include "selective/MirvakImpedanceComplex.h"
#include "selective/MirvakImpedancePhaseTable.h"
#include "selective/MirvakWork.h"
#include "selective/SstItemMath.h"
#include "selective/SstSettingsSnapshot.h"
#include "state/DeviceSettings.h"

#include <algorithm>
#include <cmath>
#include <numbers>

float MirvakLeadsCapacitance = 2.0e-7f;
float MirvakLeadsInductance = 0.00015f;
float MirvakLeadsResistance = 0.67f;

namespace {

enum : int32_t { SubOpenCal = 4, SubShortCal = 5, SubLoadCal = 6, SubOpenLine = 7, SubShortLine = 8 };

constexpr double TwoPi = 2 * std::numbers::pi;
constexpr float BalancedLeadsCapacitance = 1.5e-7f;
constexpr float LeadsCapacitance = 2.0e-7f;
constexpr float LeadsInductance = 0.00015f;
constexpr float LeadsResistance = 0.67f;
// The level of an impedance point: the item's power level plus the detector's fixed corrections, dB.
constexpr float ImpedanceLevelCorrection = 1.7609f + 0.026f - 0.063f;
// Below this share of the sample rate the calibrations leave the reactive values out.
constexpr float CalibrationLowShare = 0.04f;
constexpr float ReactiveShare = 0.259f; // |X| above this share of |Z| counts as a capacitance or inductance
constexpr float MinModulus = 0.1f;
constexpr float MinMismatch = 0.00001f;
constexpr float Capacitance102KHz = 1.02f;
constexpr float Capacitance102Window = 0.02f;

double Wrap(double a) {
    return std::remainder(a, TwoPi);
}

// The phase step (degrees) of the generator's output stage when it was raised (+1) or lowered (-1).
float OutputStagePhase(int32_t connectionType) {
    if (GenRangeStep < 0)
        return connectionType == 3 ? -5.36f : -5.55f;
    if (GenRangeStep > 0)
        return connectionType == 3 ? 0.79f : 0.28f;
    return 0;
}

bool FullPass() {
    return MirvakWorkArrays.PointCount == MirvakWorkArrays.PlanPoints && MirvakWorkArrays.PointCount > 0;
}

void SetPoint(std::vector<float> &re, std::vector<float> &im, std::size_t j, TComplex z) {
    re[j] = z.re;
    im[j] = z.im;
}

void CompletePass(int32_t sub, float k, float Rsh, float defaultCp) {
    TMirvakWorkArrays &w = MirvakWorkArrays;
    const int32_t n = w.PointCount;
    const float lowest = CalibrationLowShare * DeviceSettings->SampleRate;
    switch (sub) {
    case SubOpenCal: {
        std::fill_n(w.L.begin(), n, NoValue);
        for (int32_t j = 0; j < n; ++j)
            if (w.PointFreq[std::size_t(j)] < lowest)
                w.C[std::size_t(j)] = w.X[std::size_t(j)] = NoValue;
        const float mean = MeanOfValid(w.C.data(), n);
        const float cp = mean == NoValue ? defaultCp : mean * 1e-6f;
        ComputeOpenCalibration(k, Rsh, cp);
        MirvakLeadsCapacitance = cp;
        MirvakCalOpenValid = 1;
        break;
    }
    case SubShortCal: {
        std::fill_n(w.C.begin(), n, NoValue);
        for (int32_t j = 0; j < n; ++j)
            if (w.PointFreq[std::size_t(j)] < lowest)
                w.L[std::size_t(j)] = w.R[std::size_t(j)] = NoValue;
        const float l = MeanOfValid(w.L.data(), n);
        const float r = MeanOfValid(w.R.data(), n);
        MirvakLeadsInductance = l == NoValue ? LeadsInductance : l * 0.001f;
        MirvakLeadsResistance = r == NoValue ? LeadsResistance : r;
        MirvakCalShortValid = 1;
        break;
    }
    case SubLoadCal:
        for (int32_t j = 0; j < n; ++j) {
            const std::size_t i = std::size_t(j);
            SetPoint(w.CalLoadRe, w.CalLoadIm, i,
                     MultiplyComplex(MakeComplex(DeviceSettings->Mirvak.LoadOhm, 0),
                                     ReciprocalComplex(MakeComplex(w.R[i], w.X[i]))));
        }
        MirvakCalLoadValid = 1;
        break;
    case SubOpenLine:
        LineCapacitanceFromOpen();
        if (MirvakZShortValid == 1) {
            LineResistanceFromShort();
            LineVelocityFromPhase();
        }
        MirvakZOpenValid = 1;
        break;
    case SubShortLine:
        LineResistanceFromShort();
        if (MirvakZOpenValid == 1) {
            LineCapacitanceFromOpen();
            LineVelocityFromPhase();
        }
        MirvakZShortValid = 1;
        break;
    default:
        return;
    }
    SnapshotMirvakSettings();
}

} // namespace

void MirvakCapacitance102() {
    const TMirvakWorkArrays &w = MirvakWorkArrays;
    SetResult(SlotMirvakCapacitance102, NoValue);
    const int32_t n = w.PointCount;
    if (n == 1 && FullPass()) {
        if (std::fabs(w.PointFreq[0] - Capacitance102KHz) < Capacitance102Window && w.C[0] != NoValue)
            SetResult(SlotMirvakCapacitance102, w.C[0]);
        return;
    }
    for (int32_t j = 1; j < n; ++j) {
        const float f0 = w.PointFreq[std::size_t(j - 1)];
        const float f1 = w.PointFreq[std::size_t(j)];
        const float c0 = w.C[std::size_t(j - 1)];
        const float c1 = w.C[std::size_t(j)];
        if (f0 <= Capacitance102KHz && Capacitance102KHz < f1 && c0 != NoValue && c1 != NoValue) {
            SetResult(SlotMirvakCapacitance102, c0 + (c1 - c0) * (Capacitance102KHz - f0) / (f1 - f0));
            return;
        }
    }
}

void MirvakDcResistance() {
    const TMirvakWorkArrays &w = MirvakWorkArrays;
    SetResult(SlotMirvakResistance, NoValue);
    const int32_t n = w.PointCount;
    const float *f = w.PointFreq.data();
    const float *r = w.R.data();
    float value = NoValue;
    if (n >= 3) {
        if (f[1] == f[0] || f[2] == f[1] || r[0] == NoValue || r[1] == NoValue || r[2] == NoValue)
            return;
        const float s1 = (r[1] - r[0]) / (f[1] - f[0]);
        const float s2 = (r[2] - r[1]) / (f[2] - f[1]);
        value = r[0] - f[0] * (s1 - (s2 - s1));
    } else if (n == 2 && FullPass()) {
        if (f[1] == f[0] || r[0] == NoValue || r[1] == NoValue)
            return;
        value = r[0] - f[0] * (r[1] - r[0]) / (f[1] - f[0]);
    } else if (n == 1 && FullPass()) {
        value = r[0];
    }
    if (value == NoValue || value < -1)
        return;
    SetResult(SlotMirvakResistance, std::max(value, 0.0f));
}

float MeanOfValid(const float *values, int32_t count) {
    double sum = 0;
    int32_t n = 0;
    for (int32_t j = 0; j < count; ++j)
        if (values[j] != NoValue) {
            sum += values[j];
            ++n;
        }
    return n > 0 ? float(sum / n) : NoValue;
}

TComplex MeasuredTransfer(float frequency, float level, float phase) {
    const TDeviceSettings &s = *DeviceSettings;
    const double f = frequency;
    const double fs = s.SampleRate;
    const double m = std::pow(10.0, (double(s.MeterRef) + level - s.GenRef - s.Mirvak.SinLevel) / 20);
    const double delay = SignalPathDelay(NearestInt(s.MaxFrequency), s.ConnectionType);
    double q = Wrap(phase - delay * TwoPi * f / fs);
    double theta0 = 0;
    double r = 0;
    double c = 0;
    if (s.ConnectionType == 3 || s.ConnectionType == 8) {
        theta0 = PhaseCalibrationWord(s.ConnectionType, s.MaxFrequency) / 32768.0 * 1.5708;
        r = OutputStagePhase(s.ConnectionType);
        c = -MirvakPhaseCorrection(s.ConnectionType, s.SampleRate, s.MaxLevelIndex, frequency);
    }
    const double d = s.MaxFrequency > 0 ? f * 1.28 / s.MaxFrequency * (theta0 - r * std::numbers::pi / 180) : 0;
    if (fs > 319.5) {
        const double w = fs / 1024;
        const double n = std::round(f / w);
        q = Wrap(q - (f - n * w) / w * TwoPi);
    }
    q = Wrap(q - d);
    q = Wrap(q - 1.5707964);
    q = Wrap(q - c * std::numbers::pi / 180);
    return MakeComplex(float(m * std::cos(-q)), float(m * std::sin(-q)));
}

void ComputeImpedanceCurve(float Rm, float k, float Rsh, float Cp, float Rl, float Ll) {
    TMirvakWorkArrays &w = MirvakWorkArrays;
    const int32_t sub = DeviceSettings->Mirvak.SubMode;
    for (int32_t j = 0; j < w.PointCount; ++j) {
        const std::size_t i = std::size_t(j);
        const float omega = float(TwoPi * w.PointFreq[i]);
        const TComplex h = MultiplyComplex(MakeComplex(w.TransferRe[i], w.TransferIm[i]),
                                           MakeComplex(w.CalOpenRe[i], w.CalOpenIm[i]));
        const TComplex zin =
            MultiplyComplex(MakeComplex(k * h.re, k * h.im), ReciprocalComplex(SubtractComplex(MakeComplex(2, 0), h)));
        const TComplex y = SubtractComplex(ReciprocalComplex(zin), MakeComplex(1 / Rsh, omega * Cp));
        TComplex z = SubtractComplex(ReciprocalComplex(y), MakeComplex(Rl, omega * Ll));
        z = MultiplyComplex(z, MakeComplex(w.CalLoadRe[i], w.CalLoadIm[i]));
        w.R[i] = z.re;
        w.X[i] = z.im;
        const float modulus = ComplexModulus(z);
        w.ZMod[i] = modulus;
        if (sub == SubOpenLine) {
            SetPoint(w.ZOpenRe, w.ZOpenIm, i, z);
            if (MirvakZShortValid == 1)
                LineStep(j);
        } else if (sub == SubShortLine) {
            SetPoint(w.ZShortRe, w.ZShortIm, i, z);
            if (MirvakZOpenValid == 1)
                LineStep(j);
        }
        w.C[i] = w.L[i] = w.ZPhase[i] = NoValue;
        if (modulus > MinModulus) {
            if (z.im < -ReactiveShare * modulus)
                w.C[i] = -1e6f / (omega * z.im);
            if (z.im > ReactiveShare * modulus)
                w.L[i] = z.im * 1e3f / omega;
            w.ZPhase[i] = float(std::atan2(z.im, z.re) * 180 / std::numbers::pi);
        }
        const float mismatch = std::max(
            ComplexModulus(MultiplyComplex(SubtractComplex(z, MakeComplex(Rm, 0)),
                                           ReciprocalComplex(AddComplex(z, MakeComplex(Rm, 0))))),
            MinMismatch);
        w.MismatchK[i] = 100 * mismatch;
        w.MismatchA[i] = -20 * std::log10(mismatch);
    }
}

void ComputeOpenCalibration(float k, float Rsh, float Cp) {
    TMirvakWorkArrays &w = MirvakWorkArrays;
    for (int32_t j = 0; j < w.PointCount; ++j) {
        const std::size_t i = std::size_t(j);
        const TComplex zc = ReciprocalComplex(MakeComplex(0, float(TwoPi * w.PointFreq[i] * Cp)));
        const TComplex rsh = MakeComplex(Rsh, 0);
        const TComplex zp = MultiplyComplex(MultiplyComplex(rsh, zc), ReciprocalComplex(AddComplex(rsh, zc)));
        const TComplex expected = MultiplyComplex(MakeComplex(2 * zp.re, 2 * zp.im),
                                                  ReciprocalComplex(AddComplex(MakeComplex(k, 0), zp)));
        SetPoint(w.CalOpenRe, w.CalOpenIm, i,
                 MultiplyComplex(expected, ReciprocalComplex(MakeComplex(w.TransferRe[i], w.TransferIm[i]))));
    }
}

void ProcessMirvakImpedance(int32_t end) {
    if (end != 1 || !SstParam)
        return;
    TMirvakWorkArrays &w = MirvakWorkArrays;
    const TSST_Param2 &holder = *SstParam;
    const TDeviceSettings &s = *DeviceSettings;
    const int32_t sub = s.Mirvak.SubMode;
    const int32_t b = holder.CurrentBin;
    const int32_t last = holder.LastSlot;
    if (b < 0 || b >= w.BinCount || last < 0 || last >= int32_t(holder.ReSlots.size()))
        return;
    const double re = holder.ReSlots[std::size_t(last)];
    const double im = holder.ImSlots[std::size_t(last)];
    if (re == NoValue || im == NoValue)
        return;
    const std::size_t bi = std::size_t(b);
    const float p = SstItemPower(float(re), float(im), w.BinFreq[bi]);
    w.BinPower[bi] = p;
    w.BinLevel[bi] = PowerToDbm0(p) + ImpedanceLevelCorrection;
    w.BinPhase[bi] = float(std::atan2(im, re));
    SetResult(SlotMirvakFrequency, w.BinFreq[bi]);
    SetResult(SlotMirvakLevel, w.BinLevel[bi]);
    MirvakSelectionFreq = w.BinFreq[bi];

    const float defaultCp = s.ConnectionType == 3 ? BalancedLeadsCapacitance : LeadsCapacitance;
    float cp = defaultCp;
    float ll = LeadsInductance;
    float rl = LeadsResistance;
    if (sub == SubOpenCal) {
        cp = 0;
        std::fill(w.CalOpenRe.begin(), w.CalOpenRe.end(), 1.0f);
        std::fill(w.CalOpenIm.begin(), w.CalOpenIm.end(), 0.0f);
        MirvakCalOpenValid = 0;
    } else if (MirvakCalOpenValid == 1) {
        cp = MirvakLeadsCapacitance;
    }
    if (sub == SubShortCal) {
        ll = rl = 0;
        MirvakCalShortValid = 0;
    } else if (MirvakCalShortValid == 1) {
        ll = MirvakLeadsInductance;
        rl = MirvakLeadsResistance;
    }
    if (sub == SubLoadCal) {
        std::fill(w.CalLoadRe.begin(), w.CalLoadRe.end(), 1.0f);
        std::fill(w.CalLoadIm.begin(), w.CalLoadIm.end(), 0.0f);
        MirvakCalLoadValid = 0;
    }
    const float k = GeneratorSourceResistance(s.GenImpedance, s.SampleRate);
    if (k == NoValue || (s.ConnectionType != 3 && s.ConnectionType != 8))
        return;

    const int32_t capacity = std::min(w.PlanPoints, int32_t(w.PointFreq.size()));
    int32_t count = 0;
    for (int32_t j = 0; j < w.BinCount && count < capacity; ++j) {
        const std::size_t i = std::size_t(j);
        if (w.BinLevel[i] == SelectiveGap)
            continue;
        const std::size_t c = std::size_t(count++);
        w.PointFreq[c] = w.BinFreq[i];
        SetPoint(w.TransferRe, w.TransferIm, c, MeasuredTransfer(w.BinFreq[i], w.BinLevel[i], w.BinPhase[i]));
    }
    w.PointCount = count;
    ComputeImpedanceCurve(s.MeterImpedance, k, MirvakShuntResistance, cp, rl, ll);
    if (FullPass())
        CompletePass(sub, k, MirvakShuntResistance, defaultCp);
    MirvakCapacitance102();
    MirvakDcResistance();
}
