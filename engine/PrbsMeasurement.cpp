#include "engine/PrbsMeasurement.h"

// Not measured yet: beyond what recognition writes, the PRBS rows keep the no-value sentinel.
void MeasurePrbs() {}
