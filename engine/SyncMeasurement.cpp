#include "engine/SyncMeasurement.h"

#include "engine/EngineBuffers.h"
#include "engine/EngineMath.h"
#include "engine/LeakageCollapse.h"
#include "engine/LevelConversion.h"
#include "engine/ResultSlots.h"
#include "engine/Spectrum.h"
#include "engine/SpectrumAveraging.h"
#include "engine/TonePeaks.h"
#include "state/DeviceSettings.h"

#include <algorithm>
#include <cmath>

std::function<TOscillogramCursors()> OscillogramCursors;
TSyncState SyncState;

namespace {

constexpr float MaxEventCount = 999999;
constexpr int32_t ShortestFragment = 32;
// The band must hold this many bins before a noise beside the line is reported.
constexpr int32_t NoiseBandBins = 63;
constexpr int32_t LineHalfWidth = 2;
constexpr int32_t NoiseNotchHalfWidth = 15;

// Microseconds from the first sample of the block to the SYNC event, by the edge mode: modes 2 and 3
// put the event at the end of the block. An edge mode or delay that a damaged file left out of range
// adds nothing.
float TimeOrigin(int32_t n, float h) {
    const TDeviceSettings &s = *DeviceSettings;
    const int32_t mode = s.SyncEdgeMode;
    if (mode < 0 || mode > 3)
        return 0;
    float delay = s.SyncDelay[mode];
    if (!std::isfinite(delay))
        delay = 0;
    return mode >= 2 ? delay - n * h : delay;
}

// The instrument's own delay between the event and its sample, in sample-rate units.
float Latency(float fs) {
    switch (NearestInt(fs)) {
    case 5120:
        return 18000;
    case 10240:
        return 8000;
    default:
        return 26000;
    }
}

void CountEvent() {
    const float count = ResultValue(SlotSyncEvents);
    if (count != NoValue) {
        const float next = std::trunc(count + 0.5f) + 1;
        SetResult(SlotSyncEvents, next > MaxEventCount ? NoValue : next);
    }
    const double now = NowStamp * SecondsPerDay;
    if (SyncState.LastEventTime > 0)
        SetResult(SlotSyncTimer, static_cast<float>(now - SyncState.LastEventTime));
    SyncState.LastEventTime = now;
}

// The fragment [first, first + n) of the stored oscillogram that the cursors mark; n a power of two of at
// least 32. A fragment that would reach past the stored samples moves back so that it ends at the last.
bool MarkedFragment(int32_t N, float t0, float h, int32_t &first, int32_t &n) {
    if (!OscillogramCursors)
        return false;
    const TEngineBuffers &b = EngineBuffers;
    const TOscillogramCursors cursors = OscillogramCursors();
    const float start = cursors.FirstSet ? cursors.First : b.SyncTimeAxis[0];
    const float end = cursors.SecondSet ? cursors.Second : b.SyncTimeAxis[N - 1];
    const float lo = std::min(start, end), hi = std::max(start, end);
    first = std::max(0, static_cast<int32_t>(std::clamp((lo - t0) / h + 0.5f, -1.0f, float(N))));
    const int32_t last = std::min(N, static_cast<int32_t>(std::clamp((hi - t0) / h + 1.5f, -1.0f, float(N))));
    n = ShortestFragment;
    while (2 * n <= std::max(last - first, ShortestFragment) && 2 * n <= N)
        n *= 2;
    first = std::min(first, N - n);
    return true;
}

} // namespace

void ResetSyncResults() {
    TEngineBuffers &b = EngineBuffers;
    const TDeviceSettings &s = *DeviceSettings;
    const int32_t N = std::min(int32_t(s.AdcSize), MaxBlockSize);
    SetResult(SlotSyncEvents, 0);
    for (ResultSlot slot : {SlotSyncDuration, SlotSyncTimer, SlotSyncFrequency, SlotSyncLevel, SlotSyncNoise,
                            SlotSyncSnr})
        SetResult(slot, NoValue);
    SyncState = {};
    for (int32_t i = 0; i < N; ++i) {
        b.SyncCurve[i] = NoValue;
        b.SyncTimeAxis[i] = i * 1000.0f / s.SampleRate;
    }
    const int32_t f = std::max(1, NearestInt(s.PresentationStep / s.SpectrumStep));
    b.DisplayPointCount = std::clamp(NearestInt((N / 2.0) / f), 0, N / 2);
    for (int32_t j = 0; j < N / 2; ++j) {
        b.PowerSpectrum[j] = b.WeightedLevels[j] = NoValue;
        b.FrequencyAxis[j] = j < b.DisplayPointCount ? s.SpectrumStep * f * j : NoValue;
    }
}

void ProcessSyncBlock(int32_t fresh) {
    TEngineBuffers &b = EngineBuffers;
    const TDeviceSettings &s = *DeviceSettings;
    const int32_t N = std::min(int32_t(s.AdcSize), MaxBlockSize);
    const float fs = s.SampleRate;
    if (N < ShortestFragment || !(fs > 0))
        return;
    const float h = 1000.0f / fs;
    const float t0 = TimeOrigin(N, h);
    if (fresh) {
        CountEvent();
        const float shift = t0 - Latency(fs) / fs;
        for (int32_t i = 0; i < N; ++i)
            b.SyncTimeAxis[i] = i * h + shift;
        std::copy(b.SampleVolts, b.SampleVolts + N, b.SyncCurve);
    }
    int32_t first = 0, n = 0;
    if (!MarkedFragment(N, t0, h, first, n))
        return;
    if (!fresh || first != SyncState.FragmentFirst || first + n != SyncState.FragmentEnd)
        b.AveragingWeight = 1;
    SyncState.FragmentFirst = first;
    SyncState.FragmentEnd = first + n;
    std::copy(b.SyncCurve + first, b.SyncCurve + first + n, b.SampleVolts);
    HannSpectrum(n, false);
    CalibrateSpectrum(n);
    AverageSpectrum(n);
    CollapseLeakage(n);
    SyncSpectrumResults(n);
    PublishSpectrum(n);
}

void SyncSpectrumResults(int32_t n) {
    const TEngineBuffers &b = EngineBuffers;
    const TDeviceSettings &s = *DeviceSettings;
    const float *A = b.AveragedPower;
    const float *P = b.PowerSpectrum;
    const float fs = s.SampleRate;
    // A band up to half the sample rate ends at the last bin of the spectrum.
    const int32_t lo = std::max(1, NearestInt(n * s.BandF0 / fs));
    const int32_t hi = std::min(n / 2 - 1, NearestInt(n * s.BandF1 / fs));
    for (ResultSlot slot : {SlotSyncFrequency, SlotSyncLevel, SlotSyncNoise, SlotSyncSnr})
        SetResult(slot, NoValue);
    if (lo > hi)
        return;
    int32_t m = 0;
    for (int32_t j = lo; j <= hi; ++j)
        if (A[j] > 0 && (m == 0 || A[j] > A[m]))
            m = j;
    // The last bin has no neighbour above: its line gets no fractional offset.
    const float offset = m >= 1 && m <= n / 2 - 2 ? FractionalBinOffset(m) : 0;
    double line = 0;
    for (int32_t j = std::max(lo, m - LineHalfWidth); j <= std::min(hi, m + LineHalfWidth); ++j)
        line += P[j];
    const float level = PowerToDbm0(static_cast<float>(line));
    float noise = NoValue, snr = NoValue;
    if (hi - lo >= NoiseBandBins) {
        double sum = 0;
        const int32_t notchLo = std::max(lo, m - NoiseNotchHalfWidth), notchHi = std::min(hi, m + NoiseNotchHalfWidth);
        for (int32_t j = lo; j < hi; ++j)
            if (j < notchLo || j > notchHi)
                sum += P[j];
        noise = PowerToDbm0(static_cast<float>(sum)) +
                10.0f * std::log10(static_cast<float>(hi - lo) / static_cast<float>(hi - lo - 31));
        snr = level - noise;
    }
    if (level >= s.Lmin && (snr == NoValue || snr >= s.MinSnr)) {
        SetResult(SlotSyncFrequency, b.FrequencyAxis[m] + offset * fs / n);
        SetResult(SlotSyncLevel, level);
        SetResult(SlotSyncNoise, noise);
        SetResult(SlotSyncSnr, snr);
        return;
    }
    double all = 0;
    for (int32_t j = lo; j < hi; ++j)
        all += P[j];
    if (all > 0)
        SetResult(SlotSyncNoise, PowerToDbm0(static_cast<float>(all)));
}
