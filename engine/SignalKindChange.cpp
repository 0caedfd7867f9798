#include "engine/SignalKindChange.h"

#include "platform/NoValue.h"

int32_t LastSignalKind = int32_t(NoValue);

// Will rebind the time series and the views to the new kind's rows and record the kind.
void RebindTimeSeriesOnKindChange() {}
