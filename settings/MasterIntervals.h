#pragma once

#include <cstdint>

// The shortest step interval of each master per spectrum size (AdcSizeIndex), seconds, with t the step
// time of that size (StepTimeTable): max(3, ceil(5 t + 0.5)) for the frequency master, max(3,
// ceil(8 t + 0.5)) for the level master, whose frames are taken only after a settling time. The master
// pages and the Common page recompute them before they use them.
extern int32_t MasterMinIntervalF[5];
extern int32_t MasterMinIntervalL[5];
void RecomputeMasterMinIntervals();
