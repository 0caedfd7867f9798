#include "engine/RandomEventAnalysis.h"

#include "engine/EngineBuffers.h"
#include "engine/EngineMath.h"
#include "engine/LevelConversion.h"
#include "engine/ResultSlots.h"
#include "engine/SstParam2.h"
#include "engine/SstResultItem.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "state/DeviceSettings.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <span>

TRandomEventSetup::TRandomEventSetup() : StartTime(NoValue) {}

TRandomEventSetup RandomEventSetup;
std::function<void(int32_t)> MirvakResultProcessing;

namespace {

constexpr int16_t SinKind = 1;
constexpr int16_t MttsKind = 3;
constexpr int16_t NoiseKind = 5;

// A meter record's power sum to the power of the analysis' spectra.
constexpr float FramePowerScale = 1571291.125f;
// A SIN tone counts as on the 1024-point grid of the instrument's watch within this share of a bin.
constexpr double ToneGridTolerance = 0.005;

// The rows the meter frames write, by their ParamResultSlots entries.
constexpr ResultSlot SinTimer = ResultSlot(12);
constexpr ResultSlot SinMinSignal = ResultSlot(9);
constexpr ResultSlot SinMinSignalEvents = ResultSlot(13);
constexpr ResultSlot SinMinSignalPercent = ResultSlot(14);
constexpr ResultSlot SinMaxNoise = ResultSlot(10);
constexpr ResultSlot SinMaxNoiseEvents = ResultSlot(15);
constexpr ResultSlot SinMaxNoisePercent = ResultSlot(16);
constexpr ResultSlot SinMinSnr = ResultSlot(11);
constexpr ResultSlot SinMinSnrEvents = ResultSlot(17);
constexpr ResultSlot SinMinSnrPercent = ResultSlot(18);
constexpr ResultSlot NoiseNoise = ResultSlot(104);
constexpr ResultSlot NoiseMaxNoise = ResultSlot(106);
constexpr ResultSlot NoiseTimer = ResultSlot(107);
constexpr ResultSlot NoiseMaxNoiseEvents = ResultSlot(108);
constexpr ResultSlot NoiseMaxNoisePercent = ResultSlot(109);
constexpr ResultSlot MttsMinSnr = ResultSlot(42);
constexpr ResultSlot MttsMinSnrFrequency = ResultSlot(43);
constexpr ResultSlot MttsTimer = ResultSlot(45);
constexpr ResultSlot MttsMinSnrEvents = ResultSlot(46);
constexpr ResultSlot MttsMinSnrPercent = ResultSlot(47);

// One watched value: its row, the rows of its count and share of time, and the norm that makes an event
// (below a lower norm for a minimum, above an upper norm for a maximum).
struct TEventRow {
    ResultSlot Value;
    ResultSlot Events;
    ResultSlot Percent;
    EventNormIndex Norm;
    bool Minimum;
};

struct TEventKind {
    int16_t Kind;
    ResultSlot Timer;
    EventNormIndex TimerNorm;
    std::span<const TEventRow> Rows;
    std::span<const ResultSlot> Extremes; // the rows a frame first clears
};

constexpr TEventRow SinRows[] = {
    {SinMinSignal, SinMinSignalEvents, SinMinSignalPercent, EventSinMinSignal, true},
    {SinMaxNoise, SinMaxNoiseEvents, SinMaxNoisePercent, EventSinMaxNoise, false},
    {SinMinSnr, SinMinSnrEvents, SinMinSnrPercent, EventSinMinSnr, true},
};
constexpr TEventRow NoiseRows[] = {
    {NoiseMaxNoise, NoiseMaxNoiseEvents, NoiseMaxNoisePercent, EventNoiseMaxNoise, false}};
constexpr TEventRow MttsRows[] = {{MttsMinSnr, MttsMinSnrEvents, MttsMinSnrPercent, EventMttsMinSnr, true}};
constexpr ResultSlot SinExtremes[] = {SinMinSignal, SinMaxNoise, SinMinSnr};
constexpr ResultSlot NoiseExtremes[] = {NoiseMaxNoise};
constexpr ResultSlot MttsExtremes[] = {MttsMinSnr, MttsMinSnrFrequency};

constexpr TEventKind EventKinds[] = {
    {SinKind, SinTimer, EventSinTimer, SinRows, SinExtremes},
    {MttsKind, MttsTimer, EventMttsTimer, MttsRows, MttsExtremes},
    {NoiseKind, NoiseTimer, EventNoiseTimer, NoiseRows, NoiseExtremes},
};

const TEventKind &EventKindOf(int16_t kind) {
    for (const TEventKind &k : EventKinds)
        if (k.Kind == kind)
            return k;
    return EventKinds[0];
}

int16_t ClampedInt16(double v) {
    return int16_t(std::clamp(NearestInt(std::trunc(v)), -32768, 32767));
}

// Twice the 1024-point bin below a frequency (kHz).
int16_t GridPosition(float frequency) {
    return ClampedInt16(2 * std::trunc(double(frequency) / DeviceSettings->SampleRate * 1024));
}

bool NormOn(EventNormIndex norm) {
    const uint8_t *apply = EventNormPointers.Apply[norm];
    return apply && *apply;
}

float NormValue(EventNormIndex norm) {
    const float *value = EventNormPointers.Norm[norm];
    return value ? *value : NoValue;
}

void ResetRows(const TEventKind &kind, float counts) {
    SetResult(kind.Timer, counts);
    for (ResultSlot slot : kind.Extremes)
        SetResult(slot, NoValue);
    for (const TEventRow &row : kind.Rows) {
        SetResult(row.Events, counts);
        SetResult(row.Percent, counts);
    }
}

// A count or share that holds no value starts again from 0.
float Counted(ResultSlot slot) {
    const float v = ResultValue(slot);
    return v == NoValue ? 0 : v;
}

// The common start of every frame: false when the analysis is off or its interval is over. Otherwise
// the frame's duration dt and the timer before it (s).
bool BeginFrame(const TEventKind &kind, double &dt, double &timer) {
    if (RandomEventSetup.StartTime == NoValue)
        return false;
    for (ResultSlot slot : kind.Extremes)
        SetResult(slot, NoValue);
    timer = Counted(kind.Timer);
    if (!NormOn(kind.TimerNorm) || timer >= NormValue(kind.TimerNorm))
        return false;
    const double now = NowStamp * SecondsPerDay;
    dt = now - RandomEventSetup.LastFrameTime;
    RandomEventSetup.LastFrameTime = now;
    return true;
}

bool IsEvent(const TEventRow &row) {
    const float value = ResultValue(row.Value);
    if (value == NoValue || !NormOn(row.Norm))
        return false;
    return row.Minimum ? value < NormValue(row.Norm) : value > NormValue(row.Norm);
}

// Counts the frame's events and moves the shares of time and the timer on by dt. A frame without
// duration (dt + T <= 0) leaves the shares as they were.
void EndFrame(const TEventKind &kind, double dt, double timer) {
    for (const TEventRow &row : kind.Rows) {
        if (!NormOn(row.Norm)) {
            SetResult(row.Events, NoValue);
            SetResult(row.Percent, NoValue);
            continue;
        }
        const int e = IsEvent(row) ? 1 : 0;
        SetResult(row.Events, Counted(row.Events) + float(e));
        double p = Counted(row.Percent);
        if (dt + timer > 0)
            p = (p * 0.01 * timer + dt * e) * 100 / (dt + timer);
        SetResult(row.Percent, float(p));
    }
    SetResult(kind.Timer, float(timer + dt));
}

// A frame's extreme held on the side of the block's own value that it cannot pass (a minimum not above
// it, a maximum not below it); a block without a value holds nothing.
float HeldByBlock(float value, ResultSlot blockValue, bool minimum) {
    const float block = ResultValue(blockValue);
    if (block == NoValue || value == NoValue)
        return value;
    return minimum ? std::min(value, block) : std::max(value, block);
}

// A frame's extreme power as a level, held by the block's value.
float FrameLevel(int32_t q, ResultSlot blockValue, bool minimum) {
    const float g = EngineBuffers.SampleGain;
    const float level = PowerToDbm0(float(q) * g * g * FramePowerScale);
    return HeldByBlock(level, blockValue, minimum);
}

// 10 log10 of a frame's signal-to-noise sum over the divisor; a sum of 0 or less counts as 0.5.
float FrameSnr(int32_t q, double divisor) {
    return float(10 * std::log10((q <= 0 ? 0.5 : double(q)) / divisor * 0.25));
}

// The block's signal-to-noise per comb line over the line frequencies. Stand-in until the multitone
// measurement publishes its per-line results: no curve, so a frame's own minimum stands.
struct TLineCurve {
    const float *Frequency = nullptr;
    const float *Values = nullptr;
    int32_t Count = 0;
};
TLineCurve MttsSnrCurve() {
    return {};
}

// The line of the smallest signal-to-noise that has a value.
void WeakestLine(const TLineCurve &curve, float &snr, float &frequency) {
    snr = std::numeric_limits<float>::max();
    for (int32_t i = 0; i < curve.Count; ++i) {
        if (curve.Values[i] != NoValue && curve.Values[i] < snr) {
            snr = curve.Values[i];
            frequency = curve.Frequency[i];
        }
    }
}

} // namespace

int16_t StartRandomEvents(int16_t kind) {
    const TDeviceSettings &s = *DeviceSettings;
    TRandomEventSetup &setup = RandomEventSetup;
    setup.MergeCount = NearestInt(double(s.EventMergeInterval) * 1000 / (1024 / double(s.SampleRate)));
    setup.StartTime = NoValue;
    if (s.EventCounting == 0) {
        for (const TEventKind &k : EventKinds)
            ResetRows(k, NoValue);
        return 0;
    }
    if (kind == SinKind) {
        const double k = double(ResultValue(SlotSinFrequency)) / s.SampleRate * 1024;
        if (!(std::fabs(k - std::trunc(k + 0.5)) < ToneGridTolerance)) {
            ResetRows(EventKindOf(SinKind), NoValue);
            return 0;
        }
        const double b = std::trunc(k + 0.5);
        setup.BandStart = GridPosition(s.BandF0);
        setup.BandEnd = GridPosition(s.BandF1);
        setup.ToneStart = std::max(ClampedInt16(2 * (b - 1)), setup.BandStart);
        setup.ToneEnd = std::min(ClampedInt16(2 * (b + 1)), setup.BandEnd);
    } else if (kind == MttsKind) {
        const TEngineBuffers &b = EngineBuffers;
        setup.ToneStart = ClampedInt16(b.CombStart);
        setup.CombSpacing = ClampedInt16(b.CombSpacing);
        setup.ToneEnd = ClampedInt16(double(b.CombLineCount - 1) * setup.CombSpacing + setup.ToneStart);
    } else if (kind == NoiseKind) {
        setup.BandStart = GridPosition(s.BandF0);
        setup.BandEnd = GridPosition(s.BandF1);
    } else {
        return 0;
    }
    ResetRows(EventKindOf(kind), 0);
    setup.StartTime = setup.LastFrameTime = NowStamp * SecondsPerDay;
    return 1;
}

int16_t RandomEventsState(bool meterFramesOn) {
    const int16_t started = StartRandomEvents(int16_t(SignalKind));
    if (DeviceSettings->EventCounting == 1 && started != 0)
        return 1;
    return meterFramesOn ? -1 : 0;
}

void ProcessSinEvents(int32_t q0, int32_t q1, int32_t q2) {
    const TEventKind &kind = EventKindOf(SinKind);
    double dt = 0;
    double timer = 0;
    if (!BeginFrame(kind, dt, timer))
        return;
    const TRandomEventSetup &setup = RandomEventSetup;
    SetResult(SinMinSignal, FrameLevel(q0, SlotSinLevel, true));
    // The instrument sums the noise over the band less the tone's own bins; w scales it to the band.
    const double d = double(setup.BandEnd) + setup.ToneStart - setup.BandStart - setup.ToneEnd;
    const double w = d > 0 ? (double(setup.BandEnd) - setup.BandStart) / d : 1;
    SetResult(SinMaxNoise, FrameLevel(q1, SlotSinNoise, false));
    SetResult(SinMinSnr, HeldByBlock(FrameSnr(q2, w), SlotSinSnr, true));
    EndFrame(kind, dt, timer);
}

void ProcessNoiseEvents(int32_t q1) {
    const TEventKind &kind = EventKindOf(NoiseKind);
    double dt = 0;
    double timer = 0;
    if (!BeginFrame(kind, dt, timer))
        return;
    SetResult(NoiseMaxNoise, FrameLevel(q1, NoiseNoise, false));
    EndFrame(kind, dt, timer);
}

void ProcessMttsEvents(int32_t q2, int16_t q3) {
    const TEventKind &kind = EventKindOf(MttsKind);
    double dt = 0;
    double timer = 0;
    if (!BeginFrame(kind, dt, timer))
        return;
    // The comb's lines are s / 2 bins apart; the instrument's sum spans the lines' gaps, which the
    // factor h corrects. A comb closer than two bins (or none found yet) gives no factor and no value.
    const int32_t half = RandomEventSetup.CombSpacing / 2;
    if (half > 1) {
        const int32_t h = half / (half - 1);
        float snr = FrameSnr(q2, h);
        float frequency = float(DeviceSettings->SampleRate / 1024 * (q3 / 2));
        const TLineCurve curve = MttsSnrCurve();
        const float blockSnr =
            curve.Count > 0 ? InterpolateTable(frequency, curve.Count, curve.Frequency, curve.Values) : NoValue;
        if (blockSnr != NoValue && snr > blockSnr)
            WeakestLine(curve, snr, frequency);
        SetResult(MttsMinSnr, snr);
        SetResult(MttsMinSnrFrequency, frequency);
    }
    EndFrame(kind, dt, timer);
}

void ProcessSstFrame() {
    if (!SstParam)
        return;
    AddSstResult(SstParam, SstResultItem);
    if (SstParam->CurrentBin >= 0 && SstParam->LastSlot >= 0 && MirvakResultProcessing)
        MirvakResultProcessing(SstResultItem.SstNotScan);
}
