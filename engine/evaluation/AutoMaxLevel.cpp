#include "engine/evaluation/AutoMaxLevel.h"

#include "engine/EngineBuffers.h"
#include "engine/MeterRange.h"
#include "engine/evaluation/DispatchTargets.h"
#include "state/DeviceSettings.h"

namespace {

// Meter input range and meter settings.
constexpr int32_t MeterRangeModeBits = 0x101;

} // namespace

void AutoMaxLevelStep() {
    TDeviceSettings &settings = *DeviceSettings;
    if (!settings.AutoMaxLevel)
        return;
    const int8_t range = AutoRangeIndex();
    bool changed = false;
    if (settings.MaxLevelIndex != range) {
        settings.MaxLevelIndex = range;
        changed = true;
    } else if (EngineBuffers.OverloadFlag && settings.MaxLevelIndex > 0) {
        settings.MaxLevelIndex = int8_t(settings.MaxLevelIndex - 1);
        changed = true;
    }
    if (!changed)
        return;
    const TDispatchTargets &targets = DispatchTargets();
    Dispatch(targets.ShowMaxLevelRanges);
    settings.Mode |= MeterRangeModeBits;
    Dispatch(targets.SendCommand);
}
