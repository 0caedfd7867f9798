#include "engine/evaluation/PointVerdicts.h"

#include "engine/masks/MaskArray.h"

#include <cstring>

std::unique_ptr<uint8_t[]> PointVerdicts[MaskSlotCount];

namespace {

// The longest master point list: the frequency and level masters add at most this many points.
constexpr int32_t MasterPointCapacity = 2000;

bool ValidSlot(int32_t slot) {
    return slot >= 0 && slot < MaskSlotCount;
}

} // namespace

int32_t PointVerdictSize(int32_t slot) {
    if (slot == 0)
        return 32768;
    if (slot == 1 || slot == 2 || slot == 16 || slot == 17 || slot == 36)
        return 16384;
    if (slot == 3 || slot == 4)
        return 1023;
    if ((slot >= 5 && slot <= 15) || slot == 22)
        return 256;
    if (slot == 18 || slot == 19 || slot == 42 || slot == 43)
        return 4096;
    if (slot == 20 || slot == 21)
        return MasterPointCapacity;
    if ((slot >= 23 && slot <= 35) || (slot >= 37 && slot <= 41))
        return 100000;
    return -1;
}

void FreePointVerdicts(int32_t slot) {
    if (ValidSlot(slot))
        PointVerdicts[slot].reset();
}

void AllocPointVerdicts(int32_t slot) {
    if (!ValidSlot(slot))
        return;
    PointVerdicts[slot].reset();
    const int32_t size = PointVerdictSize(slot);
    if (size <= 0 || (!MaskArray[slot][MaskUpperSide] && !MaskArray[slot][MaskLowerSide]))
        return;
    PointVerdicts[slot] = std::make_unique<uint8_t[]>(size_t(size));
    std::memset(PointVerdicts[slot].get(), 1, size_t(size));
}

void FreeAllPointVerdicts() {
    for (auto &verdicts : PointVerdicts)
        verdicts.reset();
}

uint8_t PointVerdictAt(int32_t slot, int32_t index) {
    if (!ValidSlot(slot) || !PointVerdicts[slot] || index < 0 || index >= PointVerdictSize(slot))
        return 1;
    return PointVerdicts[slot][size_t(index)];
}
