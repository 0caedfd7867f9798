#include "engine/SignalRecognition.h"

#include "engine/Calibration.h"
#include "engine/EngineBuffers.h"
#include "engine/LevelConversion.h"
#include "engine/PrbsCorrelation.h"
#include "engine/RecognitionSpectrum.h"
#include "engine/ResultSlots.h"
#include "engine/Spectrum.h"
#include "engine/SpectrumSums.h"
#include "engine/TonePeaks.h"
#include "engine/catalogue/ParameterTable.h"
#include "state/DeviceSettings.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int32_t KindSettling = 0;
constexpr int32_t KindSin = 1;
constexpr int32_t KindSin2 = 2;
constexpr int32_t KindMtts = 3;
constexpr int32_t KindPrbs = 4;
constexpr int32_t KindNoise = 5;

constexpr int32_t RecognitionBins = RecognitionLength / 2;
constexpr float NoScore = -100000000.0f;
// Bins around a tone that count for it: in the single-tone score, in the two-tone score, and as its
// signal in the level checks.
constexpr int32_t SingleToneReach = 6;
constexpr int32_t TwoToneReach = 2;
constexpr int32_t ToneSignalBins = 2 * ToneHalfWidth + 1;
// The smallest tone spacing of a two-tone signal and of a comb, and the lowest bin of a tone.
constexpr int32_t MinTwoToneSpacing = 8;
constexpr int32_t MinCombSpacing = 4;
constexpr int32_t LowestToneBin = 4;
constexpr int32_t CombLineSignalBins = 3;

float Score(int32_t lo, int32_t hi, float threshold, auto counts) {
    const float *P = EngineBuffers.PowerSpectrum;
    float score = 0;
    for (int32_t b = lo; b <= hi; ++b)
        if (P[b] > threshold)
            score += counts(b) ? 1.0f : -1.0f;
    return score;
}

// The comb through both tone bins, reaching down to the band's lower edge and up to its upper one.
// Without two tones far enough apart there is no comb: all its values are 0 and it has no score.
float CombScore() {
    TEngineBuffers &b = EngineBuffers;
    const float *P = b.PowerSpectrum;
    const int32_t lo = b.BandLowBin;
    const int32_t hi = b.BandHighBin;
    const int32_t dist = std::abs(b.ToneBin2 - b.ToneBin1);
    if (dist < MinCombSpacing) {
        b.CombStart = b.CombSpacing = b.CombLineCount = 0;
        return NoScore;
    }
    const int32_t m = std::min(b.ToneBin1, b.ToneBin2);
    b.CombSpacing = dist;
    b.CombStart = m - ((m - lo) / dist) * dist;
    b.CombLineCount = std::clamp((hi - b.CombStart) / dist + 1, 0, MaxCombLines);
    const float threshold = 0.1f * P[b.ToneBin2];
    const auto above = [&](int32_t k) { return k >= 0 && k < RecognitionBins && P[k] > threshold; };
    float score = 0;
    for (int32_t j = 0; j < b.CombLineCount; ++j) {
        const int32_t c = b.CombStart + j * dist;
        for (int32_t k = c - 1; k <= c + 1; ++k)
            if (k >= lo && k <= hi && above(k))
                score += 1;
        for (int32_t o = -(dist / 2); o <= -2; ++o)
            if (c + o >= lo && above(c + o))
                score -= 1;
        for (int32_t o = 2; o <= dist / 2; ++o)
            if (c + o <= hi && above(c + o))
                score -= 1;
    }
    return score;
}

int32_t BestKind(float single, float comb, float twoTones) {
    int32_t kind = KindSin;
    float best = single;
    if (comb >= best) {
        best = comb;
        kind = KindMtts;
    }
    if (twoTones >= best) {
        best = twoTones;
        kind = KindSin2;
    }
    return best > 0 ? kind : KindNoise;
}

bool PassesLevelChecks(float signal, float noise) {
    const TDeviceSettings &s = *DeviceSettings;
    return !(signal < s.Lmin) && !(signal - noise < s.MinSnr);
}

int32_t CheckSin() {
    const TEngineBuffers &b = EngineBuffers;
    const int32_t t = b.ToneBin1;
    const TBinSum signal = SumBins(t - ToneHalfWidth, t + ToneHalfWidth, RecognitionBins);
    TBinSum noise = SumBins(b.BandLowBin, t - ToneHalfWidth - 1, RecognitionBins);
    AddBins(noise, t + ToneHalfWidth + 1, b.BandHighBin, RecognitionBins);
    const float level = PowerToDbm0(static_cast<float>(signal.Power));
    const float noiseLevel = PowerToDbm0(static_cast<float>(ScaledNoise(noise, ToneSignalBins)));
    SetResult(SlotSinLevel, level);
    SetResult(SlotSinNoise, noiseLevel);
    SetResult(SlotSinSnr, level - noiseLevel);
    return PassesLevelChecks(level, noiseLevel) && t >= LowestToneBin ? KindSin : KindNoise;
}

int32_t CheckSin2() {
    const TEngineBuffers &b = EngineBuffers;
    const int32_t t1 = b.ToneBin1;
    const int32_t t2 = b.ToneBin2;
    TBinSum signal = SumBins(t1 - ToneHalfWidth, t1 + ToneHalfWidth, RecognitionBins);
    AddBins(signal, t2 - ToneHalfWidth, t2 + ToneHalfWidth, RecognitionBins);
    TBinSum noise = SumBins(b.BandLowBin, t1 - ToneHalfWidth - 1, RecognitionBins);
    AddBins(noise, t1 + ToneHalfWidth + 1, t2 - ToneHalfWidth - 1, RecognitionBins);
    AddBins(noise, t2 + ToneHalfWidth + 1, b.BandHighBin - 1, RecognitionBins);
    const float level = PowerToDbm0(static_cast<float>(signal.Power));
    const float noiseLevel = PowerToDbm0(static_cast<float>(ScaledNoise(noise, 2 * ToneSignalBins)));
    SetResult(SlotSin2Level, level);
    SetResult(SlotSin2Noise, noiseLevel);
    SetResult(SlotSin2Snr, level - noiseLevel);
    const bool tonesHighEnough = t1 >= LowestToneBin && t2 >= LowestToneBin;
    return PassesLevelChecks(level, noiseLevel) && tonesHighEnough ? KindSin2 : KindNoise;
}

// Per comb line its three signal bins against the noise between it and the next line. Without a comb
// the rows have no value.
int32_t CheckMtts() {
    TEngineBuffers &b = EngineBuffers;
    const TDeviceSettings &s = *DeviceSettings;
    const int32_t dist = b.CombSpacing;
    double signalSum = 0;
    double noiseSum = 0;
    double differenceSum = 0;
    for (int32_t j = 0; j < b.CombLineCount; ++j) {
        const int32_t c = b.CombStart + j * dist;
        const TBinSum signal = SumBins(c - 1, c + 1, RecognitionBins);
        const double noise = ScaledNoise(SumBins(c + 2, c + dist - 2, RecognitionBins), CombLineSignalBins);
        signalSum += signal.Power;
        noiseSum += noise;
        b.CombLineSignal[j] = PowerToDbm0(static_cast<float>(signal.Power));
        b.CombLineNoise[j] = PowerToDbm0(static_cast<float>(noise));
        differenceSum += b.CombLineSignal[j] - b.CombLineNoise[j];
    }
    if (b.CombLineCount <= 0) {
        SetResult(SlotMttsLevel, NoValue);
        SetResult(SlotMttsNoise, NoValue);
        SetResult(SlotMttsSnr, NoValue);
        return b.ForcedKindHint == KindMtts ? KindMtts : KindNoise;
    }
    const float level = PowerToDbm0(static_cast<float>(signalSum));
    const float snr = static_cast<float>(differenceSum / b.CombLineCount);
    SetResult(SlotMttsLevel, level);
    SetResult(SlotMttsNoise, PowerToDbm0(static_cast<float>(noiseSum)));
    SetResult(SlotMttsSnr, snr);
    if (b.ForcedKindHint == KindMtts)
        return KindMtts;
    return level < s.Lmin || snr < s.MinSnr ? KindNoise : KindMtts;
}

// The PRBS test looks for the generator's sequence only where it can be: across the whole band, and on
// the connections where a peer's RND generator feeds the line only while it runs.
bool PrbsTestApplies() {
    const TDeviceSettings &s = *DeviceSettings;
    if (EngineBuffers.ForcedKindHint != KindPrbs && s.BandF1 < s.MaxFrequency)
        return false;
    const int32_t type = s.ConnectionType;
    const bool needsRunningGenerator = type == 5 || type == 9 || type == 11 || type == 12;
    return !needsRunningGenerator || s.Rnd.State == 2;
}

int32_t PrbsTest() {
    const TDeviceSettings &s = *DeviceSettings;
    MeasurePrbsCorrelation();
    if (EngineBuffers.ForcedKindHint == KindPrbs)
        return KindPrbs;
    return ResultValue(SlotPrbsLevel) > s.Lmin && ResultValue(SlotPrbsSnr) > s.MinSnr ? KindPrbs : KindNoise;
}

int32_t DetectChange(int32_t kind) {
    TEngineBuffers &b = EngineBuffers;
    TLastRecognition &last = b.LastRecognition;
    int32_t result = kind;
    switch (kind) {
    case KindSin:
        if (last.Kind != KindSin || std::abs(b.ToneBin1 - last.ToneBin1) > 1) {
            RestartSinAveraging();
            last.ToneBin1 = b.ToneBin1;
            result = KindSettling;
        }
        last = {KindSin, last.ToneBin1, 0, 0, 0, 0};
        break;
    case KindSin2:
        if (last.Kind != KindSin2 || b.ToneBin1 != last.ToneBin1 || b.ToneBin2 != last.ToneBin2) {
            RestartSpectrumAveraging();
            result = KindSettling;
        }
        last = {KindSin2, b.ToneBin1, b.ToneBin2, 0, 0, 0};
        break;
    case KindMtts:
        if (last.Kind != KindMtts || b.CombStart != last.CombStart || b.CombSpacing != last.CombSpacing ||
            b.CombLineCount != last.CombLineCount) {
            RestartSpectrumAveraging();
            result = KindSettling;
        }
        last = {KindMtts, 0, 0, b.CombStart, b.CombSpacing, b.CombLineCount};
        break;
    case KindPrbs:
    case KindNoise:
        if (last.Kind != kind) {
            RestartSpectrumAveraging();
            result = KindSettling;
        }
        last = {kind, 0, 0, 0, 0, 0};
        break;
    default:
        break;
    }
    for (int32_t other = KindSin; other <= KindNoise; ++other)
        if (other != kind)
            ClearKindResults(other);
    return result;
}

} // namespace

int32_t RecogniseSignal() {
    TEngineBuffers &b = EngineBuffers;
    const TDeviceSettings &s = *DeviceSettings;
    FixedRecognitionSpectrum(RecognitionLength);
    CalibrateSpectrum(RecognitionLength);
    const float threshold = FindTonePeaks(RecognitionLength);
    int32_t kind = KindNoise;

    const float total = PowerToDbm0(static_cast<float>(SumBins(1, RecognitionBins - 1, RecognitionBins).Power));
    b.ReceivedLevelDbm = total + s.MeterRef;
    if (!(total < s.Lmin)) {
        const int32_t lo = b.BandLowBin;
        const int32_t hi = b.BandHighBin;
        const int32_t t1 = b.ToneBin1;
        const int32_t t2 = b.ToneBin2;
        const float single = Score(lo, hi, threshold, [&](int32_t k) { return std::abs(k - t1) <= SingleToneReach; });
        float twoTones = NoScore;
        if (std::abs(t2 - t1) >= MinTwoToneSpacing)
            twoTones = Score(lo, hi, threshold, [&](int32_t k) {
                return std::abs(k - t1) <= TwoToneReach || std::abs(k - t2) <= TwoToneReach;
            });
        const float comb = CombScore();

        kind = b.ForcedKindHint != 0 ? b.ForcedKindHint : BestKind(single, comb, twoTones);
        // The phasogram is a measurement of noise: with it on, nothing else is looked for.
        const bool phasogram = s.Phasogram == 1;
        if (phasogram)
            kind = KindNoise;

        switch (kind) {
        case KindSin:
            kind = CheckSin();
            break;
        case KindSin2:
            kind = CheckSin2();
            break;
        case KindMtts:
            kind = CheckMtts();
            break;
        default:
            kind = KindNoise;
            break;
        }
        if (kind == KindNoise && !phasogram && PrbsTestApplies())
            kind = PrbsTest();
    }
    SignalKind = DetectChange(kind);
    return SignalKind;
}

void ResetRecognitionState() {
    EngineBuffers.LastRecognition = {};
}

void RestartSinAveraging() {
    EngineBuffers.AveragingContinues = 0;
    EngineBuffers.SinLevelStats.Count = 0;
}

void RestartSpectrumAveraging() {
    EngineBuffers.AveragingContinues = 0;
}

void ClearKindResults(int32_t kind) {
    if (kind < KindSin || kind > KindNoise)
        return;
    const ParameterTable table = ParameterTableOf(kind);
    for (int32_t i = 0; i < table.RowCount; ++i)
        table.Rows[i].Result.Value = NoValue;
}
