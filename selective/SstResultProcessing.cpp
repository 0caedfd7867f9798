#include "selective/SstResultProcessing.h"

#include "engine/EngineBuffers.h"
#include "engine/EngineMath.h"
#include "engine/LevelConversion.h"
#include "engine/ResultSlots.h"
#include "engine/SstParam2.h"
#include "platform/NoValue.h"
#include "selective/MirvakImpedance.h"
#include "selective/MirvakWork.h"
#include "selective/SstItemMath.h"
#include "selective/SstPeak.h"
#include "selective/SstScanLeakage.h"
#include "selective/SstSettingsSnapshot.h"
#include "state/DeviceSettings.h"

#include <algorithm>
#include <cmath>

namespace {

// Bins around the peak that hold its power (each side), and that the noise leaves out.
constexpr int32_t SignalHalfWidth = 2;
constexpr int32_t NoiseGapHalfWidth = 15;
// A scan range must span more bins than this for a noise figure.
constexpr int32_t NoiseMinSpan = 62;
// Excess attenuation of the bridge connection's level reference, dB.
constexpr float BridgeReferenceDb = -5.75f;

bool ValidBin(int32_t b) {
    return b >= 0 && b < MirvakWorkArrays.BinCount;
}

bool HasWeighting() {
    return WeightingCurve.Count > 0 && WeightingCurve.AscendingFrequencies;
}

float WeightingAt(float f) {
    return InterpolateTable(f, WeightingCurve.Count, WeightingCurve.AscendingFrequencies,
                            WeightingCurve.AscendingAttenuations);
}

// The items of the holder's current point averaged into the bin's power; its level is that of the sum of
// the bin's power after each item.
void AccumulatePoint(int32_t b) {
    TMirvakWorkArrays &w = MirvakWorkArrays;
    const TSST_Param2 &holder = *SstParam;
    float &power = w.BinPower[std::size_t(b)];
    float sum = 0;
    for (int32_t i = 0; i <= holder.LastSlot && i < int32_t(holder.ReSlots.size()); ++i) {
        const double re = holder.ReSlots[std::size_t(i)];
        const double im = holder.ImSlots[std::size_t(i)];
        if (re == NoValue || im == NoValue)
            continue;
        const float p = SstItemPower(float(re), float(im), w.BinFreq[std::size_t(b)]);
        power += (p - power) * MirvakAveragingWeight(b);
        sum += power;
    }
    w.BinLevel[std::size_t(b)] = PowerToDbm0(sum);
}

void SetPointResults(int32_t b) {
    const TMirvakWorkArrays &w = MirvakWorkArrays;
    SetResult(SlotMirvakFrequency, w.BinFreq[std::size_t(b)]);
    SetResult(SlotMirvakLevel, w.BinLevel[std::size_t(b)]);
    MirvakSelectionFreq = w.BinFreq[std::size_t(b)];
}

bool AfcCurveBuilt(int32_t connectionType, bool generatorOn) {
    switch (connectionType) {
    case 2:
    case 5:
    case 7:
    case 9:
    case 11:
    case 12:
        return true;
    case 3:
    case 8:
        return !generatorOn;
    case 4:
    case 10:
        return generatorOn;
    default:
        return false;
    }
}

void NormaliseAfc(float *afc, const float *freq, int32_t n) {
    const float ref = DeviceSettings->AfcRef;
    if (n <= 0)
        return;
    float g = NoValue;
    if (ref > 0 && ref >= freq[0] && ref <= freq[n - 1])
        g = InterpolateTable(ref, n, freq, afc);
    else if (ref == 0)
        g = *std::min_element(afc, afc + n);
    if (g == NoValue)
        return;
    for (int32_t j = 0; j < n; ++j)
        afc[j] -= g;
}

int32_t FirstBinFrom(float f) {
    const TMirvakWorkArrays &w = MirvakWorkArrays;
    for (int32_t b = 0; b < w.BinCount; ++b)
        if (w.BinFreq[std::size_t(b)] >= f)
            return b;
    return -1;
}

void ScanResults() {
    const TMirvakWorkArrays &w = MirvakWorkArrays;
    const TDeviceSettings &s = *DeviceSettings;
    const MirvakBlock &m = s.Mirvak;
    const float *power = w.BinPower.data();
    const float *dst = w.ScanLeakage.Output().data();
    const int32_t n = w.BinCount;
    const int32_t d = FirstBinFrom(m.Fc1);
    if (d < 0 || w.BinFreq[std::size_t(d)] > m.FcN || int32_t(w.ScanLeakage.Output().size()) != n)
        return;
    int32_t e = d;
    while (e + 1 < n && w.BinFreq[std::size_t(e + 1)] <= m.FcN)
        ++e;
    int32_t i = -1;
    float best = 0;
    for (int32_t b = d; b <= e; ++b)
        if (power[b] > best) {
            best = power[b];
            i = b;
        }
    // A range without power has no peak; a peak on the first or last bin takes a zero outer neighbour.
    if (i < 0)
        return;
    const float left = i > 0 ? power[i - 1] : 0;
    const float right = i + 1 < n ? power[i + 1] : 0;
    SetResult(SlotMirvakFrequency, w.BinFreq[std::size_t(i)] + PeakOffsetByTable(left, power[i], right, m.B));
    float signalSum = 0;
    for (int32_t b = std::max(d, i - SignalHalfWidth); b <= std::min(e, i + SignalHalfWidth); ++b)
        signalSum += dst[b];
    const float signal = PowerToDbm0(signalSum);
    SetResult(SlotMirvakLevel, signal);
    SetResult(SlotMirvakAttenuation, -signal);

    auto noiseSums = [&](int32_t gapFirst, int32_t gapLast, float &plain, float &weighted) {
        plain = weighted = 0;
        const bool weighting = HasWeighting();
        const float lo = weighting ? WeightingCurve.AscendingFrequencies[0] : 0;
        const float hi = weighting ? WeightingCurve.AscendingFrequencies[WeightingCurve.Count - 1] : 0;
        for (int32_t b = d; b < e; ++b) {
            if (b >= gapFirst && b <= gapLast)
                continue;
            plain += dst[b];
            const float f = w.BinFreq[std::size_t(b)];
            if (weighting && f >= lo && f <= hi)
                weighted += dst[b] / std::pow(10.0f, 0.1f * WeightingAt(f));
        }
    };
    const int32_t span = e - d;
    if (span > NoiseMinSpan) {
        float plain = 0;
        float weighted = 0;
        noiseSums(std::max(d, i - NoiseGapHalfWidth), std::min(e, i + NoiseGapHalfWidth), plain, weighted);
        if (plain > 0) {
            const float noise = PowerToDbm0(plain) + 10 * std::log10(float(span) / float(span - 31));
            SetResult(SlotMirvakNoise, noise);
            SetResult(SlotMirvakSnr, signal - noise);
        }
        if (weighted > 0) {
            const float noise = PowerToDbm0(weighted);
            SetResult(SlotMirvakWeightedNoise, noise);
            SetResult(SlotMirvakWeightedSnr, signal - noise);
        }
    }
    // An SNR never measured (a short range in a fresh run) does not decide that there is no signal.
    const float snr = ResultValue(SlotMirvakSnr);
    if (signal < s.Lmin || (snr != NoValue && snr < s.MinSnr)) {
        for (int32_t slot = SlotMirvakFrequency; slot <= SlotMirvakWeightedSnr; ++slot)
            SetResult(ResultSlot(slot), NoValue);
        float plain = 0;
        float weighted = 0;
        noiseSums(1, 0, plain, weighted);
        if (plain > 0)
            SetResult(SlotMirvakNoise, PowerToDbm0(plain));
        if (weighted > 0)
            SetResult(SlotMirvakWeightedNoise, PowerToDbm0(weighted));
    }
}

} // namespace

void SetWeightedBinLevel(int32_t bin) {
    TMirvakWorkArrays &w = MirvakWorkArrays;
    if (HasWeighting())
        w.BinWeighted[std::size_t(bin)] = w.BinLevel[std::size_t(bin)] - WeightingAt(w.BinFreq[std::size_t(bin)]);
}

void ProcessMirvakResult(int32_t end) {
    if (!SstParam)
        return;
    const int32_t sub = DeviceSettings->Mirvak.SubMode;
    if (sub == 0 || sub == -1)
        ProcessMirvakAfc(end);
    else if (sub == 1)
        ProcessMirvakScan(end);
    else if (sub == 2)
        ProcessMirvakMonitor(end);
    else if (sub >= 3 && sub <= 8)
        ProcessMirvakImpedance(end);
}

void ProcessMirvakAfc(int32_t end) {
    if (end != 1 || !SstParam)
        return;
    TMirvakWorkArrays &w = MirvakWorkArrays;
    const TDeviceSettings &s = *DeviceSettings;
    const MirvakBlock &m = s.Mirvak;
    const int32_t b = SstParam->CurrentBin;
    if (m.DeviceSubMode == 3 && ValidBin(b)) {
        AccumulatePoint(b);
        SetPointResults(b);
    }
    if (!AfcCurveBuilt(s.ConnectionType, m.SinOn != 0))
        return;
    const int32_t capacity = std::min({w.PlanPoints, int32_t(w.PointFreq.size()), int32_t(w.Afc.size())});
    int32_t count = 0;
    for (int32_t k = 0; k < w.BinCount && count < capacity; ++k)
        if (w.BinLevel[std::size_t(k)] != SelectiveGap) {
            w.PointFreq[std::size_t(count)] = w.BinFreq[std::size_t(k)];
            w.Afc[std::size_t(count)] = -w.BinLevel[std::size_t(k)];
            ++count;
        }
    w.PointCount = count;
    float *afc = w.Afc.data();
    if (s.ConnectionType == 4 || s.ConnectionType == 10) {
        const float shift = s.GenRef + m.SinLevel - s.MeterRef + (s.ConnectionType == 10 ? BridgeReferenceDb : 0);
        for (int32_t j = 0; j < count; ++j)
            afc[j] += shift;
    } else {
        const bool calibrated = int32_t(w.AfcCal.size()) >= count;
        if (m.SubMode == -1 && calibrated) {
            for (int32_t j = 0; j < count; ++j)
                w.AfcCal[std::size_t(j)] = m.AfcCalDb - afc[j];
        } else if (m.SubMode == 0 && MirvakCalAfcValid == 1 && calibrated) {
            for (int32_t j = 0; j < count; ++j)
                afc[j] += w.AfcCal[std::size_t(j)];
        }
        NormaliseAfc(afc, w.PointFreq.data(), count);
    }
    if (m.SubMode == -1 && count == w.PlanPoints) {
        MirvakCalAfcValid = 1;
        SnapshotMirvakSettings();
    }
}

void ProcessMirvakMonitor(int32_t end) {
    if (end != 1 || !SstParam || DeviceSettings->Mirvak.DeviceSubMode != 5)
        return;
    const int32_t b = SstParam->CurrentBin;
    if (!ValidBin(b))
        return;
    AccumulatePoint(b);
    SetWeightedBinLevel(b);
    SetPointResults(b);
    SetResult(SlotMirvakAttenuation, -MirvakWorkArrays.BinLevel[std::size_t(b)]);
}

void ProcessMirvakScan(int32_t end) {
    if (!SstParam)
        return;
    TMirvakWorkArrays &w = MirvakWorkArrays;
    const TSST_Param2 &holder = *SstParam;
    TLeakageInput in;
    in.Freq = w.BinFreq.data();
    in.Src = w.BinPower.data();
    in.Count = w.BinCount;
    in.Floor = ScanLeakageFloor();
    in.LowFrequencyCorrection = DeviceSettings->MaxLevelIndex == 3;
    if (end == 0) {
        const int32_t last = holder.LastSlot;
        const int32_t b = holder.CurrentBin;
        if (last < 0 || last >= int32_t(holder.ReSlots.size()) || !ValidBin(b))
            return;
        const double re = holder.ReSlots[std::size_t(last)];
        const double im = holder.ImSlots[std::size_t(last)];
        if (re == NoValue || im == NoValue)
            return;
        float &power = w.BinPower[std::size_t(b)];
        power += (SstItemPower(float(re), float(im), w.BinFreq[std::size_t(b)]) - power) * MirvakAveragingWeight(b);
        MirvakSelectionFreq = w.BinFreq[std::size_t(b)];
        const int32_t previousHighest = w.HighestBin;
        w.HighestBin = std::max(w.HighestBin, b);
        in.Highest = w.HighestBin;
        w.ScanLeakage.Update(in, b, previousHighest);
    } else {
        in.Highest = w.HighestBin;
        if (int32_t(w.ScanLeakage.Output().size()) != w.BinCount)
            w.ScanLeakage.Full(in);
    }
    if (w.ScanLevelSource.size() != w.BinLevel.size())
        w.ScanLevelSource.assign(w.BinLevel.size(), 0);
    const std::vector<float> &dst = w.ScanLeakage.Output();
    const int32_t first = std::max(w.ScanLeakage.ChangedFirst, 0);
    const int32_t last = std::min(w.ScanLeakage.ChangedLast, int32_t(dst.size()) - 1);
    for (int32_t k = first; k <= last; ++k) {
        const float v = dst[std::size_t(k)];
        if (v > 0 && v != w.ScanLevelSource[std::size_t(k)]) {
            w.ScanLevelSource[std::size_t(k)] = v;
            w.BinLevel[std::size_t(k)] = PowerToDbm0(v);
            SetWeightedBinLevel(k);
        }
    }
    if (end == 1)
        ScanResults();
}
