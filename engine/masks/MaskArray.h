#pragma once

#include "engine/catalogue/MaskCodeRange.h"
#include "engine/masks/TMASK.h"

#include <cstdint>
#include <memory>

inline constexpr int32_t MaskUpperSide = 0;
inline constexpr int32_t MaskLowerSide = 1;

// The masks of every mask slot, [slot][side]; an empty entry means no mask. The arrays own their masks,
// so replacing an entry frees the old one.
extern std::unique_ptr<TMASK> MaskArray[MaskSlotCount][2];
// Masks from a configuration or from the remote analyser, waiting to be swapped into MaskArray.
extern std::unique_ptr<TMASK> PendingMaskArray[MaskSlotCount][2];

// MaskArray[slot][side], or null for a slot or side out of range.
TMASK *SlotMask(int32_t slot, int32_t side);

// MaskArray[slot][which] (0 upper, 1 lower) when it exists, has points and is active: the mask in force
// for the engine and the evaluation. Null otherwise, also for a slot or side out of range.
TMASK *GetActiveMask(int32_t slot, int32_t which);

// Frees the masks of both arrays (program close).
void FreeAllMasks();
