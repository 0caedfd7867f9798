#include "engine/masks/MaskSlot.h"

namespace {

struct MaskSlotRow {
    int8_t SignalKind;
    int8_t GraphKind;
    int8_t Slot;
};

// Pairs not listed have no masks; SIN2 and settling blocks have none at all, and no window uses slots
// 23 and 24.
constexpr MaskSlotRow MaskSlotRows[] = {
    {1, 1, 1},   {1, 2, 2},   {1, 18, 20}, {1, 19, 21}, {3, 5, 5},   {3, 6, 6},   {3, 7, 7},   {3, 8, 8},   {3, 9, 9},
    {3, 10, 10}, {3, 11, 11}, {3, 12, 12}, {3, 13, 13}, {3, 14, 14}, {3, 15, 15}, {4, 0, 0},   {4, 3, 3},   {4, 4, 4},
    {4, 20, 22}, {5, 0, 0},   {5, 1, 16},  {5, 2, 17},  {5, 16, 18}, {5, 17, 19}, {5, 37, 42}, {5, 38, 43}, {6, 21, 25},
    {6, 22, 26}, {6, 23, 27}, {6, 24, 28}, {6, 25, 29}, {6, 26, 30}, {6, 27, 31}, {6, 28, 32}, {6, 29, 33}, {6, 30, 34},
    {6, 31, 35}, {6, 32, 37}, {6, 33, 38}, {6, 34, 39}, {6, 35, 40}, {6, 36, 41}, {7, 0, 0},   {7, 1, 36},
};

constexpr int32_t SinKind = 1;
constexpr int32_t SelectiveKind = 6;

} // namespace

int32_t MaskSlotOf(int32_t signalKind, int32_t graphKind) {
    for (const MaskSlotRow &row : MaskSlotRows)
        if (row.SignalKind == signalKind && row.GraphKind == graphKind)
            return row.Slot;
    return -1;
}

bool MasksFollowKindChange(int32_t graphKind, int32_t newSignalKind) {
    if (graphKind == 18 || graphKind == 19)
        return newSignalKind == SinKind;
    if (graphKind >= 21 && graphKind <= 36)
        return newSignalKind == SelectiveKind;
    return true;
}
