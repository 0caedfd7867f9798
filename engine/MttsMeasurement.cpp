#include "engine/MttsMeasurement.h"

// Not measured yet: beyond what recognition writes, the MTTS rows keep the no-value sentinel.
void MeasureMtts() {}

void MeasureGroupDelay() {}
