#pragma once

#include <cstdint>

// Y-axis presets of the time-diagram windows, one per unit group. The windows write their shown
// range back, so a reopened window shows the last range.
struct TimeDiagramAxis {
    float YLowest;
    float YHighest;
    float YIncrement;
    float YMin; // shown range
    float YMax;
};

inline constexpr int32_t UnitGroupCount = 13;

extern TimeDiagramAxis TimeDiagramAxes[UnitGroupCount];
void InitTimeDiagramAxes();
