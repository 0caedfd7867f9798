#include "settings/MasterIntervals.h"

#include "state/MainGlobals.h"

#include <algorithm>
#include <cmath>

int32_t MasterMinIntervalF[5] = {};
int32_t MasterMinIntervalL[5] = {};

namespace {

int32_t MinInterval(double timesStepTime, float stepTime) {
    return std::max(3, int32_t(std::ceil(timesStepTime * double(stepTime) + 0.5)));
}

} // namespace

void RecomputeMasterMinIntervals() {
    for (int i = 0; i < 5; ++i) {
        MasterMinIntervalF[i] = MinInterval(5, StepTimeTable[i]);
        MasterMinIntervalL[i] = MinInterval(8, StepTimeTable[i]);
    }
}
