#pragma once

#include <cstdint>

// The masters' step timing in tick milliseconds. Every interval is measured from the run's origin, so a
// late timer callback shortens the next interval instead of pushing every later step back. Tick
// differences are taken in uint32 arithmetic, so a run across the wrap of the tick count keeps its pace.

// The shortest interval a master timer is given: an interval of 0 would fire continuously.
inline constexpr int64_t MinTimerIntervalMs = 1;

// The interval until step `stepsFromOrigin` intervals of `intervalSeconds` after `originTick`, taken at
// `stepTick`; never below MinTimerIntervalMs and never beyond what a timer takes.
int32_t StepIntervalMs(int32_t intervalSeconds, int32_t stepsFromOrigin, uint32_t stepTick, uint32_t originTick);

// The meter's settling allowance of three step times t (seconds), in whole milliseconds: an armed meter's
// origin lies this far before the arming frame.
int32_t SettlingMs(float stepTime);

// The first interval of an armed meter timer: one step interval after its backdated origin.
int32_t FirstMeterIntervalMs(int32_t intervalSeconds, float stepTime);

// Whether a frame `elapsedMs` after the level master's meter step falls into the settled part of the
// step: after the settling allowance and before the end of the first interval.
bool InSettledPart(double elapsedMs, int32_t intervalSeconds, float stepTime);

// The step time t of the current spectrum size (StepTimeTable by AdcSizeIndex, kept in bounds).
float CurrentStepTime();
