#pragma once

#include <cstdint>

// The SignalKind of the last frame handed to the evaluation; -9999999 until the first, so that the first
// evaluated frame always counts as a change.
extern int32_t LastSignalKind;

// Before each evaluated frame: when SignalKind differs from LastSignalKind, moves the time series, graph
// windows and result table over to the new kind's parameter table.
void RebindTimeSeriesOnKindChange();
