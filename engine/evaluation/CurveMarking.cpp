#include "engine/evaluation/CurveMarking.h"

#include "engine/evaluation/PointVerdicts.h"
#include "engine/masks/MaskArray.h"
#include "engine/masks/MaskCheck.h"
#include "platform/NoValue.h"
#include "state/DeviceSettings.h"

namespace {

bool SelectiveCurve(int32_t slot) {
    return slot >= 25 && slot <= 41;
}

} // namespace

float CurveGapValue(int32_t slot) {
    return slot == 25 || slot == 26 ? -300.0f : NoValue;
}

bool JudgedInBandOnly(int32_t slot) {
    return !(slot == 0 || slot == 3 || slot == 4 || slot == 20 || slot == 21 || SelectiveCurve(slot));
}

void MarkCurvePoints(const float *x, const float *y, int32_t n, int32_t slot) {
    if (slot < 0 || slot >= MaskSlotCount || !PointVerdicts[slot] || !x || !y)
        return;
    uint8_t *verdicts = PointVerdicts[slot].get();
    const int32_t size = PointVerdictSize(slot);
    for (auto &mask : MaskArray[slot])
        if (mask && mask->Active)
            mask->Passed = 3;
    const float gap = CurveGapValue(slot);
    const bool packed = SelectiveCurve(slot);
    const bool bandOnly = JudgedInBandOnly(slot);
    const float f0 = DeviceSettings->BandF0;
    const float f1 = DeviceSettings->BandF1;
    int32_t c = 0;
    for (int32_t i = 0; i < n; ++i) {
        if (y[i] == gap) {
            if (i < size)
                verdicts[i] = PointWithinMasks;
            continue;
        }
        const int32_t index = packed ? c : i;
        const bool outsideBand = bandOnly && (x[i] < f0 || x[i] > f1);
        const uint8_t verdict = outsideBand ? PointWithinMasks : CheckPointAgainstMasks(slot, y[i], x[i]);
        if (index < size)
            verdicts[index] = verdict;
        ++c;
    }
}
