#include "engine/NoiseMeasurement.h"

// Not measured yet: the NOISE rows and the phasogram curves keep the no-value sentinel.
void MeasureNoiseLevels() {}

void MeasureNoise() {}
