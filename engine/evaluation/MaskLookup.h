#pragma once

#include "engine/catalogue/ParamDescriptor.h"
#include "engine/masks/TMASK.h"

#include <cstdint>

// MaskArray[slot][which] (0 upper, 1 lower) when it exists, has points and is active: the mask in force
// for the engine and the evaluation. Null otherwise, also for a slot or side out of range.
TMASK *GetActiveMask(int32_t slot, int32_t which);

// The first row of the current signal kind's table that owns the curve of a mask slot; null for the
// settling kind, SIN2 (no curve rows) and kinds outside the tables, and when no row has that slot.
ParamDescriptor *FindParamByMaskSlot(int32_t slot);
