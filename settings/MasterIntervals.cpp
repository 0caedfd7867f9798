#include "settings/MasterIntervals.h"

#include "state/MainGlobals.h"

#include <algorithm>
#include <cmath>

int32_t MasterMinIntervalF[5] = {};
int32_t MasterMinIntervalL[5] = {};

void RecomputeMasterMinIntervals() {
    for (int i = 0; i < 5; ++i) {
        const int32_t interval = std::max(3, int32_t(std::ceil(5 * double(StepTimeTable[i]) + 0.5)));
        MasterMinIntervalF[i] = interval;
        MasterMinIntervalL[i] = interval;
    }
}
