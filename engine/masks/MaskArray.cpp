#include "engine/masks/MaskArray.h"

std::unique_ptr<TMASK> MaskArray[MaskSlotCount][2];
std::unique_ptr<TMASK> PendingMaskArray[MaskSlotCount][2];

TMASK *SlotMask(int32_t slot, int32_t side) {
    if (slot < 0 || slot >= MaskSlotCount || side < 0 || side > 1)
        return nullptr;
    return MaskArray[slot][side].get();
}

void FreeAllMasks() {
    for (int32_t slot = 0; slot < MaskSlotCount; ++slot)
        for (int32_t side = 0; side < 2; ++side) {
            MaskArray[slot][side].reset();
            PendingMaskArray[slot][side].reset();
        }
}

TMASK *GetActiveMask(int32_t slot, int32_t which) {
    TMASK *mask = SlotMask(slot, which);
    return mask && mask->Count() > 0 && mask->Active ? mask : nullptr;
}
