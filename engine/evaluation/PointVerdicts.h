#pragma once

#include "engine/masks/MaskArray.h"

#include <cstdint>
#include <memory>

// The verdict of every point of a masked curve, one array per mask slot (empty when the slot has no
// mask): 1 within the masks (also outside the judged range and for a gap), 0 above the upper mask, 255
// below the lower mask. The graph windows colour their value tables by them and the protocol copies them.
extern std::unique_ptr<uint8_t[]> PointVerdicts[MaskSlotCount];

// The length of a slot's array, -1 for a slot that has none. The master characteristics (slots 20, 21)
// hold as many points as a master point list can.
int32_t PointVerdictSize(int32_t slot);

// Frees the slot's array, then gives it a new one filled with 1 when the slot holds an upper or a lower
// mask.
void AllocPointVerdicts(int32_t slot);
void FreePointVerdicts(int32_t slot);
void FreeAllPointVerdicts();

// Entry index of a slot's array; 1 where there is no array or the index lies outside it.
uint8_t PointVerdictAt(int32_t slot, int32_t index);
