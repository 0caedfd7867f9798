#include "engine/PrbsCorrelation.h"

#include "engine/EngineBuffers.h"
#include "engine/LevelConversion.h"
#include "engine/ResultSlots.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int32_t PrbsLags = PrbsReferenceLength / 2;
// The last index of the direct pulse's window; the reflections follow it.
constexpr int32_t DirectPulseEnd = 2 * DirectPulseIndex;
constexpr int32_t EnergyShift = 20;
// The correlation energy of the generator's PRBS lies this much above the level of the signal.
constexpr float PrbsLevelCorrection = 3.12f;

// Adds sign·codes[(position + d) mod length] to out[d] for every lag d: two contiguous runs per
// position, so that the loops over the lags vectorise. The sums of 16-bit codes over at most 2^15
// positions stay within int32.
void AccumulateAtLags(const int16_t *codes, int32_t *out, int32_t length, int32_t lags, const int16_t *positions,
                      int32_t count, int32_t sign) {
    for (int32_t k = 0; k < count; ++k) {
        const int32_t p = positions[k];
        const int32_t wrap = length - p; // the lag at which the run goes on from codes[0]
        const int32_t direct = std::min(lags, wrap);
        for (int32_t d = 0; d < direct; ++d)
            out[d] += sign * codes[p + d];
        for (int32_t d = std::max(wrap, 0); d < lags; ++d)
            out[d] += sign * codes[d - wrap];
    }
}

} // namespace

void CorrelatePrbs(const int16_t *codes, int32_t *out, int32_t length, int32_t lags, const int16_t *positive,
                   int32_t positiveCount, const int16_t *negative, int32_t negativeCount) {
    std::fill(out, out + lags, 0);
    AccumulateAtLags(codes, out, length, lags, positive, positiveCount, 1);
    AccumulateAtLags(codes, out, length, lags, negative, negativeCount, -1);
    for (int32_t d = 0; d < lags; ++d)
        out[d + lags] = -out[d];
}

void RotateCircular(int32_t *values, int32_t count, int32_t target, int32_t index) {
    if (count <= 0)
        return;
    const int32_t shift = ((index - target) % count + count) % count;
    std::rotate(values, values + shift, values + count);
}

int32_t EnergySum(const int32_t *values, int32_t first, int32_t last, int32_t shift) {
    int64_t sum = 0;
    for (int32_t i = first; i <= last; ++i)
        sum += static_cast<int64_t>(values[i]) * values[i];
    return static_cast<int32_t>(sum >> shift);
}

void MeasurePrbsCorrelation() {
    TEngineBuffers &b = EngineBuffers;
    int32_t *corr = b.PrbsCorrelation;
    CorrelatePrbs(b.AdcSampleBuffer, corr, PrbsReferenceLength, PrbsLags, b.PrbsPositiveIndexes, b.PrbsPositiveCount,
                  b.PrbsNegativeIndexes, b.PrbsNegativeCount);
    int32_t peak = 0;
    for (int32_t i = 1; i < PrbsReferenceLength; ++i)
        if (std::llabs(corr[i]) > std::llabs(corr[peak]))
            peak = i;
    b.PrbsPeakLag = static_cast<int16_t>(peak);
    const bool negative = corr[peak] < 0;
    RotateCircular(corr, PrbsReferenceLength, DirectPulseIndex, peak);
    if (negative)
        for (int32_t i = 0; i < PrbsReferenceLength; ++i)
            corr[i] = -corr[i];

    const double e1 = static_cast<double>(EnergySum(corr, 0, DirectPulseEnd, EnergyShift));
    const double e2 = static_cast<double>(EnergySum(corr, DirectPulseEnd + 1, PrbsLags - 1, EnergyShift));
    const double k = static_cast<double>(b.SampleGain) * 1024.0 * b.SampleGain * 1024.0;
    const float direct = PowerToDbm0(static_cast<float>(k * e1)) - PrbsLevelCorrection;
    const float reflections = PowerToDbm0(static_cast<float>(k * e2)) - PrbsLevelCorrection;
    SetResult(SlotPrbsLevel, direct);
    SetResult(SlotPrbsReflections, reflections);
    SetResult(SlotPrbsSnr, direct - reflections);
}
