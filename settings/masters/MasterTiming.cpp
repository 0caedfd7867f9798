#include "settings/masters/MasterTiming.h"

#include "state/DeviceSettings.h"
#include "state/MainGlobals.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

int32_t ClampInterval(double ms) {
    return int32_t(std::clamp<double>(ms, double(MinTimerIntervalMs), double(std::numeric_limits<int32_t>::max())));
}

} // namespace

int32_t StepIntervalMs(int32_t intervalSeconds, int32_t stepsFromOrigin, uint32_t stepTick, uint32_t originTick) {
    const uint32_t sinceOrigin = stepTick - originTick;
    return ClampInterval(double(intervalSeconds) * 1000 * stepsFromOrigin - double(sinceOrigin));
}

// t is a float: 3 x 0.6f is a hair above 1.8, which the truncations below keep as the program always had
// them (2199 ms, not 2200, for a 4 s interval).
int32_t SettlingMs(float stepTime) {
    return int32_t(std::trunc(3 * double(stepTime) * 1000));
}

int32_t FirstMeterIntervalMs(int32_t intervalSeconds, float stepTime) {
    return ClampInterval(std::trunc((double(intervalSeconds) - 3 * double(stepTime)) * 1000));
}

bool InSettledPart(double elapsedMs, int32_t intervalSeconds, float stepTime) {
    const double settling = 3 * double(stepTime) * 1000;
    const double end = std::trunc((double(intervalSeconds) - 3 * double(stepTime)) * 1000);
    return std::trunc(elapsedMs - settling) > 0 && std::trunc(elapsedMs - end) < 0;
}

float CurrentStepTime() {
    return StepTimeTable[std::clamp(int32_t(DeviceSettings->AdcSizeIndex), 0, 4)];
}
