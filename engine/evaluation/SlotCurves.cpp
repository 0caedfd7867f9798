#include "engine/evaluation/SlotCurves.h"

#include "engine/EngineBuffers.h"
#include "engine/PrbsMeasurement.h"
#include "engine/ResultArrays.h"
#include "engine/masks/MaskArray.h"
#include "state/DeviceSettings.h"

#include <algorithm>

namespace {

constexpr int32_t PhasogramAxis = 4;

TCurve Curve(const float *x, const float *y, int32_t count, int32_t capacity) {
    if (!x || !y)
        return {};
    return {x, y, std::clamp(count, 0, capacity)};
}

std::function<TCurve()> SlotCurveSources[MaskSlotCount];

} // namespace

TCurve OscillogramCurve() {
    const TEngineBuffers &b = EngineBuffers;
    return Curve(b.SampleTimeAxis, b.SampleVolts, DeviceSettings->AdcSize, MaxBlockSize);
}

TCurve SyncOscillogramCurve() {
    const TEngineBuffers &b = EngineBuffers;
    return Curve(b.SyncTimeAxis, b.SyncCurve, DeviceSettings->AdcSize, MaxBlockSize);
}

TCurve SpectrumCurve() {
    const TEngineBuffers &b = EngineBuffers;
    if (!b.FrequencyAxis || !b.PowerSpectrum)
        return {};
    return Curve(b.FrequencyAxis + 1, b.PowerSpectrum + 1, b.DisplayPointCount - 1, MaxSpectrumBins - 1);
}

TCurve WeightedSpectrumCurve() {
    const TEngineBuffers &b = EngineBuffers;
    if (!b.FrequencyAxis || !b.WeightedLevels)
        return {};
    return Curve(b.FrequencyAxis + 1, b.WeightedLevels + 1, b.DisplayPointCount - 1, MaxSpectrumBins - 1);
}

TCurve ReflectogramLevelCurve() {
    const TEngineBuffers &b = EngineBuffers;
    return Curve(b.Reflectograms[ReflectogramDistance], b.Reflectograms[ReflectogramLevel], ReflectogramLength,
                 ReflectogramLength);
}

TCurve ReflectogramPercentCurve() {
    const TEngineBuffers &b = EngineBuffers;
    return Curve(b.Reflectograms[ReflectogramDistance], b.Reflectograms[ReflectogramPercent], ReflectogramLength,
                 ReflectogramLength);
}

TCurve PhasogramCurve(int32_t index) {
    const TEngineBuffers &b = EngineBuffers;
    if (index < 0 || index >= PhasogramAxis)
        return {};
    return Curve(b.NoiseCurves[PhasogramAxis], b.NoiseCurves[index], b.NoiseCurveLength, MaxBlockSize);
}

TCurve LineResultCurve(int32_t graphKind) {
    return Curve(ResultArrays.Frequency, LineResultValues(graphKind), LineResultCount(), MaxCombLines);
}

void SetSlotCurveSource(int32_t slot, std::function<TCurve()> source) {
    if (slot >= 0 && slot < MaskSlotCount)
        SlotCurveSources[slot] = std::move(source);
}

TCurve PublishedSlotCurve(int32_t slot) {
    if (slot < 0 || slot >= MaskSlotCount || !SlotCurveSources[slot])
        return {};
    return SlotCurveSources[slot]();
}
