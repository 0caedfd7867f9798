#include "engine/ImpedanceMeasurement.h"

// Not measured yet: the impedance rows keep the no-value sentinel.
void MeasureImpedance() {}
