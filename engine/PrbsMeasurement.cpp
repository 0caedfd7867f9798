#include "engine/PrbsMeasurement.h"

#include "engine/EngineBuffers.h"
#include "engine/EngineMath.h"
#include "engine/LevelConversion.h"
#include "engine/LineAnalysis.h"
#include "engine/PrbsCorrelation.h"
#include "engine/ReflectionMath.h"
#include "engine/ResultSlots.h"
#include "engine/SignalPath.h"
#include "state/DeviceSettings.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <numeric>

TEchoPeaks EchoPeaks;
TReflectionTable ReflectionTable;
TPrbsTailModel PrbsTailModel;

namespace {

constexpr int32_t LastSearchStep = ReflectogramLength - 2;
// The correlation energy of the generator's PRBS lies this much above the level of the signal.
constexpr float PrbsLevelOffset = 3.12f;
constexpr float SearchFloor = -120;
constexpr int32_t TailPasses = 5;

struct TReflectogramView {
    float *R;  // averaged correlation, V
    float *Pc; // percent of the direct pulse
    float *Lv; // level
};

// The instrument's own path delay that the four-wire types put before the direct pulse, in steps. Below
// 128 kHz the coaxial type 9 has no delay of its own in the table and takes the balanced one: the
// instrument's path is the same, only the line interface differs.
float FourWireDelay() {
    const TDeviceSettings &s = *DeviceSettings;
    if (s.ConnectionType == 5)
        return SignalPathDelay(NearestInt(s.MaxFrequency), 5);
    if (s.ConnectionType == 9)
        return SignalPathDelay(NearestInt(s.MaxFrequency), s.MaxFrequency >= 127.5f ? 9 : 5);
    return 0;
}

// Walks one flank of candidate i (direction -1 left, +1 right) until it has fallen by drop dB or changes
// sign; a rise by rise dB, or two flat steps in a row, rejects the candidate. width counts the steps.
bool WalkFlank(const TReflectogramView &v, int32_t i, int32_t direction, float rise, float drop, int16_t &width) {
    width = 0;
    bool flat = false;
    for (;;) {
        ++width;
        const int32_t k = i + direction * width;
        if (k < 0 || k >= ReflectogramLength)
            return false;
        const float previous = v.Lv[k - direction];
        const bool sameSign = Sign(v.Pc[k]) == Sign(v.Pc[i]);
        if (sameSign) {
            if (v.Lv[k] >= previous + rise)
                return false;
            if (v.Lv[k] >= previous) {
                if (flat)
                    return false;
                flat = true;
            } else {
                flat = false;
            }
        }
        if (!sameSign || v.Lv[k] <= v.Lv[i] - drop)
            return true;
    }
}

bool InsideEarlierEcho(int32_t i, int32_t e) {
    const TEchoPeaks &p = EchoPeaks;
    for (int32_t j = 0; j < e; ++j)
        if (p.Position[j] >= 0 && i >= p.Position[j] - p.Left[j] && i <= p.Position[j] + p.Right[j])
            return true;
    return false;
}

// The foot of an accepted pulse in steps: extrapolated from its peak through the point where its left
// flank crosses half the peak.
float PulseStart(const TReflectogramView &v, int32_t i, int32_t left) {
    const float peak = i + PulsePeakOffset(v.Pc[i - 1], v.Pc[i], v.Pc[i + 1]);
    const int32_t q = i - left;
    const float rise = v.Pc[q + 1] - v.Pc[q];
    const float half = rise != 0 ? q + (0.5f * v.Pc[i] - v.Pc[q]) / rise : static_cast<float>(q);
    return 2 * half - peak;
}

// Finds up to nine echoes, the strongest qualifying peak first; time[e] is the start of echo e in steps.
void FindEchoes(const TReflectogramView &v, float *start) {
    TEchoPeaks &p = EchoPeaks;
    for (int32_t e = 0; e < EchoSearchCount; ++e) {
        p.Position[e] = -1;
        p.Left[e] = p.Right[e] = 0;
        float threshold = SearchFloor;
        for (int32_t i = DirectPulseIndex; i <= LastSearchStep; ++i) {
            if (InsideEarlierEcho(i, e))
                continue;
            if (!(v.Lv[i] > threshold && v.Lv[i] >= v.Lv[i - 1] && v.Lv[i] >= v.Lv[i + 1]))
                continue;
            if (!WalkFlank(v, i, -1, 0.2f, 6, p.Left[e]) || !WalkFlank(v, i, +1, 0.4f, 4, p.Right[e]))
                continue;
            if (e >= 1) {
                const int32_t distance = i - p.Position[0];
                if (std::fabs(v.Pc[i]) < 0.056f || p.Left[e] > p.Right[e] || p.Left[e] + p.Right[e] < 3 ||
                    distance < 10 || distance > 850)
                    continue;
            }
            threshold = v.Lv[i];
            p.Position[e] = static_cast<int16_t>(i);
            start[e] = PulseStart(v, i, p.Left[e]);
        }
    }
}

void FillEchoTable(const TReflectogramView &v, const float *start, float base, float dt) {
    const TEchoPeaks &p = EchoPeaks;
    TReflectionTable &t = ReflectionTable;
    const float velocity = DeviceSettings->CableVelocity;
    int32_t j = 0;
    const int32_t p0 = p.Position[0];
    for (int32_t e = 0; p0 > 0 && e < TableEchoCount; ++e) {
        if (p.Position[e] <= 0)
            continue;
        t.Delay[j] = (start[e] - start[0]) * dt + base;
        t.Distance[j] = t.Delay[j] * velocity;
        t.Percent[j] = 100 * v.Pc[p.Position[e]] / v.Pc[p0];
        t.Level[j] = 70 - (v.Lv[p0] - v.Lv[p.Position[e]]);
        if (t.Percent[j] < 0)
            t.Level[j] = -t.Level[j];
        ++j;
    }
    for (; j < TableEchoCount; ++j)
        t.Delay[j] = t.Distance[j] = t.Percent[j] = t.Level[j] = NoValue;
}

// One adaptation pass of the tail model over the points after the direct pulse that no echo covers.
void AdaptTailModel(const TReflectogramView &v, int32_t ipk, float scale, float fs, float weight) {
    TPrbsTailModel &m = PrbsTailModel;
    const int32_t m1 = std::max(1, static_cast<int32_t>(8 * fs));
    const int32_t s = std::max(16, 16 * (EchoPeaks.Right[0] / 2));
    const int32_t from = static_cast<int32_t>(ipk + s * fs);
    const int32_t to = std::min(static_cast<int32_t>(ipk + 200 * fs), ReflectogramLength);
    int32_t n = 0;
    double S = 0, Pp = 0, Pn = 0, first = -1;
    for (int32_t i = std::max(from, 0); i < to; ++i) {
        const int32_t e = FindReflectionAt(i);
        if (e == 1 && n > 5)
            break;
        if (e > 1 && std::fabs(v.R[i] * scale * 0.2f) < std::fabs(ReflectionTable.Percent[e]))
            continue;
        const int32_t k = i - ipk;
        const double value = v.R[i];
        const double residual = value - m.Amplitude * std::exp(-k / m.Tau);
        if (first < 0)
            first = std::fabs(value);
        if (n <= m1) {
            ++n;
            S += residual * std::exp(k / m.Tau);
        }
        if (std::fabs(value) > 0.05 * first) {
            if (residual > 0)
                Pp += residual / std::fabs(value);
            else
                Pn -= residual / std::fabs(value);
        }
    }
    // With no residual on either side there is nothing to tell the decay to change: ratio 0.
    double r = 0;
    if (n > 0) {
        S /= n;
        r = Pp + Pn > 0 ? (Pp - Pn) / (Pp + Pn) : 0;
    }
    if (weight == 1) {
        m.PassCounter = 0;
        m.TauGain = 0.04f;
        m.AmplitudeGain = 0.5f;
        m.RatioAverage = static_cast<float>(r);
        m.AmplitudeErrorAverage = static_cast<float>(S);
    }
    m.RatioAverage += 0.5f * (static_cast<float>(r) - m.RatioAverage);
    m.AmplitudeErrorAverage += 0.5f * (static_cast<float>(S) - m.AmplitudeErrorAverage);
    if (std::fabs(m.RatioAverage) < 0.5f)
        m.TauGain = 0.02f;
    if (std::fabs(m.AmplitudeErrorAverage) < 0.2f * m.Amplitude)
        m.AmplitudeGain = 0.1f;
    if (m.PassCounter > 150) {
        m.TauGain = 0.005f;
        m.AmplitudeGain = 0.015f;
    } else {
        ++m.PassCounter;
    }
    m.Tau = std::clamp((m.TauGain * m.RatioAverage + 1) * m.Tau, 8 * fs, 500 * fs);
    m.Amplitude = std::clamp(m.Amplitude + m.AmplitudeGain * static_cast<float>(S), 0.0f, 50 / scale);
}

// The found echoes in order of distance, all four columns together; entries without an echo stay last.
void SortEchoTable() {
    TReflectionTable &t = ReflectionTable;
    int32_t c = 0;
    while (c < TableEchoCount && t.Delay[c] != NoValue)
        ++c;
    // An insertion sort: stable, and unlike std::stable_sort it never asks for a buffer.
    std::array<int32_t, TableEchoCount> order;
    std::iota(order.begin(), order.begin() + c, 0);
    for (int32_t i = 1; i < c; ++i)
        for (int32_t j = i; j > 0 && t.Distance[order[j]] < t.Distance[order[j - 1]]; --j)
            std::swap(order[j], order[j - 1]);
    const TReflectionTable old = t;
    for (int32_t j = 0; j < c; ++j) {
        t.Delay[j] = old.Delay[order[j]];
        t.Distance[j] = old.Distance[order[j]];
        t.Percent[j] = old.Percent[order[j]];
        t.Level[j] = old.Level[order[j]];
    }
}

// The signed level scale of the reflectogram: 70 at the strongest point, 0 at 70 dB below it.
void RescaleLevels(const TReflectogramView &v) {
    float top = -100000;
    for (int32_t i = 0; i < ReflectogramLength; ++i)
        top = std::max(top, v.Lv[i]);
    for (int32_t i = 0; i < ReflectogramLength; ++i) {
        const float level = std::max(0.0f, v.Lv[i] - (top - 70));
        v.Lv[i] = v.Pc[i] > 0 ? level : -level;
    }
}

} // namespace

void ClearReflectograms() {
    TEngineBuffers &b = EngineBuffers;
    for (int32_t k : {ReflectogramDistance, ReflectogramPercent, ReflectogramLevel})
        if (b.Reflectograms[k])
            std::fill(b.Reflectograms[k], b.Reflectograms[k] + ReflectogramLength, NoValue);
    TReflectionTable &t = ReflectionTable;
    for (int32_t j = 0; j < TableEchoCount; ++j)
        t.Delay[j] = t.Distance[j] = t.Percent[j] = t.Level[j] = NoValue;
    std::fill(std::begin(EchoPeaks.Position), std::end(EchoPeaks.Position), int16_t(-1));
}

void MeasurePrbs() {
    TEngineBuffers &b = EngineBuffers;
    const TDeviceSettings &s = *DeviceSettings;
    const TReflectogramView v{b.Reflectograms[ReflectogramAverage], b.Reflectograms[ReflectogramPercent],
                              b.Reflectograms[ReflectogramLevel]};
    const float dt = 1000.0f / s.SampleRate;
    const float weight = b.AveragingWeight;

    const float d = FourWireDelay();
    float frac = 0;
    if (d > 0) {
        const int32_t n = static_cast<int32_t>(d + 0.5f);
        b.PrbsPeakLag = static_cast<int16_t>(b.PrbsPeakLag - n + DirectPulseIndex);
        RotateCircular(b.PrbsCorrelation, PrbsReferenceLength, b.PrbsPeakLag, DirectPulseIndex);
        frac = d - n;
    } else {
        b.PrbsPeakLag = DirectPulseIndex;
    }

    for (int32_t i = 0; i < ReflectogramLength; ++i) {
        const float x = b.PrbsCorrelation[i] * b.SampleGain;
        v.R[i] = weight == 1 ? x : v.R[i] + weight * (x - v.R[i]);
    }

    // The first of the largest positive values; a reflectogram without one keeps pk = 1 at step 0.
    float pk = 1;
    int32_t ipk = 0;
    bool positive = false;
    for (int32_t i = 0; i < ReflectogramLength; ++i)
        if (v.R[i] > 0 && (!positive || v.R[i] > pk)) {
            pk = v.R[i];
            ipk = i;
            positive = true;
        }
    const float scale = 100 / pk;
    const float fs = s.SampleRate / 10240;
    TPrbsTailModel &model = PrbsTailModel;
    if (weight == 1) {
        model.Tau = 70 * fs;
        model.Amplitude = 0;
    }

    double signal = 0, reflections = 0;
    for (int32_t i = 0; i < ReflectogramLength; ++i) {
        float value = v.R[i];
        const int32_t k = i - ipk;
        if (k > 0 && model.Tau > 0 && model.Amplitude > 0)
            value -= model.Amplitude * std::exp(-k / model.Tau);
        v.Pc[i] = value * scale;
        const float p = value * value;
        v.Lv[i] = PowerToDbm0(p) - PrbsLevelOffset;
        (std::abs(i - b.PrbsPeakLag) <= DirectPulseIndex ? signal : reflections) += p;
    }
    const float signalLevel = PowerToDbm0(static_cast<float>(signal)) - PrbsLevelOffset;
    const float reflectionLevel = PowerToDbm0(static_cast<float>(reflections)) - PrbsLevelOffset;
    SetResult(SlotPrbsLevel, signalLevel);
    SetResult(SlotPrbsReflections, reflectionLevel);
    SetResult(SlotPrbsSnr, signalLevel - reflectionLevel);

    float start[EchoSearchCount] = {};
    FindEchoes(v, start);
    const int32_t p0 = EchoPeaks.Position[0];
    if (p0 < 0)
        start[0] = DirectPulseIndex;

    float zero = 0, base = 0;
    if (d > 0) {
        zero = DirectPulseIndex - PulseFactorA() + frac;
        base = (PulseFactorB() + start[0] - p0 + frac + b.PrbsPeakLag - DirectPulseIndex) * dt;
    } else {
        zero = start[0] - p0 + DirectPulseIndex;
    }
    float *distance = b.Reflectograms[ReflectogramDistance];
    for (int32_t i = 0; i < ReflectogramLength; ++i)
        distance[i] = (i - zero) * s.CableVelocity * dt;

    FillEchoTable(v, start, base, dt);

    if ((s.ConnectionType == 3 || s.ConnectionType == 5) && s.SampleRate > 640 && p0 >= 0)
        for (int32_t pass = 0; pass < TailPasses; ++pass)
            AdaptTailModel(v, ipk, scale, fs, weight);

    AnalyseOpenEndReflection(weight);
    SortEchoTable();
    RescaleLevels(v);
}
