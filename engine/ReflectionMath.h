#pragma once

#include <cstdint>

// The small numeric functions of the reflectogram analysis.

// 1 for x >= 0, else -1.
float Sign(float x);

// The four-wire offsets of the direct pulse in correlation steps, by the maximum frequency (the
// nearest of 4 .. 4096 kHz); 0 for any other.
float PulseFactorA();
float PulseFactorB();

// The offset (-0.5 .. 0.5 steps) of a pulse's true peak from the step y0, from the values on each side.
float PulsePeakOffset(float yLeft, float y0, float yRight);

// The first echo of EchoPeaks (the search stops at the first without a position) whose widened extent,
// twice its widths on each side, holds step s; -1 when none does.
int32_t FindReflectionAt(int32_t s);

// Whether c or d lies in a .. b; and whether two intervals overlap, testing the ends of the shorter one
// against the longer one.
bool IntervalContains(float a, float b, float c, float d);
bool IntervalsOverlap(float a, float b, float c, float d);
