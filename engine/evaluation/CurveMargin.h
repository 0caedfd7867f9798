#pragma once

#include "engine/masks/TMASK.h"

#include <cstdint>

// The margin of a slot's curve into the row that owns the slot: the smallest distance of a judged point
// to the slot's active template masks, positive inside them, in the unit of the curve; the no-value
// sentinel when the row computes no margin or no point had a mask segment above or below it.
void CheckCurveAgainstMasks(const float *x, const float *y, int32_t n, int32_t slot);

// The distance of (x, y) to a mask at x (mask value minus y for an upper mask, y minus mask value for a
// lower one; at a vertical segment the more demanding of its ends) lowers best. False, best unchanged,
// when no segment of the mask spans x.
bool MarginToMask(double x, double y, const TMASK &mask, double &best);

// MarginToMask against each judging mask of the slot (active, not a line); count grows by one for every
// point that one of them measured.
void MarginToMasks(double x, double y, int32_t slot, double &best, int32_t &count);
