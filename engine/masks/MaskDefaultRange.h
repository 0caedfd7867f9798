#pragma once

#include <cstdint>

// The admissible x range of a new mask in a slot: 0.1..200000 for slot 0, 1..1000000 for the
// reflectograms (3, 4), -100..120 for slot 21, 0.001..10000 for every other slot. A slot outside 0..43
// leaves minimum and maximum as they were.
void GetParamDefaultRange(double &minimum, double &maximum, int32_t slot);
