#pragma once

#include <cstdint>

// The shortest step interval of each master per spectrum size (AdcSizeIndex), seconds:
// max(3, ceil(5 t + 0.5)) with t the step time of that size (StepTimeTable). The master pages recompute
// them when they load; until they are built, the Common page recomputes them before it uses them.
extern int32_t MasterMinIntervalF[5];
extern int32_t MasterMinIntervalL[5];
void RecomputeMasterMinIntervals();
