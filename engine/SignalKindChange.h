#pragma once

#include <cstdint>
#include <functional>

// The SignalKind of the last frame handed to the evaluation; -9999999 until the first, so that the first
// evaluated frame always counts as a change.
extern int32_t LastSignalKind;

// Before each evaluated frame: when SignalKind differs from LastSignalKind while a meter is connected,
// the meter is switched anew for the new kind (OnSignalKindChange) and the kind is recorded. Not built
// yet: the rebinding of the time series, graph windows and result table to the new kind's rows, and the
// switch to the smallest block for a PRBS signal.
void RebindTimeSeriesOnKindChange();

// Set by the connection control at start: shows the new kind in the meter summary and issues the meter
// command again. Called before LastSignalKind takes the new kind.
extern std::function<void()> OnSignalKindChange;
