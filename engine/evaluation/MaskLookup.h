#pragma once

#include "engine/catalogue/ParamDescriptor.h"
#include "engine/masks/MaskArray.h"

#include <cstdint>

// The first row of the current signal kind's table that owns the curve of a mask slot; null for the
// settling kind, SIN2 (no curve rows) and kinds outside the tables, and when no row has that slot.
ParamDescriptor *FindParamByMaskSlot(int32_t slot);
