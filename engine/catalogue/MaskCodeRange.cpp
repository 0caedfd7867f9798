#include "engine/catalogue/MaskCodeRange.h"

#include "engine/catalogue/ParameterTable.h"

namespace {

enum : int32_t { KindSin = 1, KindMtts = 3, KindPrbs = 4, KindNoise = 5, KindMirvak = 6, KindSync = 7 };

struct SlotRange {
    int32_t First;
    int32_t Last;
    double XMin;
    double XMax;
    int32_t Kind; // the table whose rows carry these slots; SIN2 owns none
};

// clang-format off
constexpr SlotRange SlotRanges[] = {
    {0, 0, 0.1, 200000, KindPrbs},
    {1, 2, 0.001, 10000, KindSin},
    {3, 4, 1, 1000000, KindPrbs},
    {5, 15, 0.001, 10000, KindMtts},
    {16, 19, 0.001, 10000, KindNoise},
    {20, 20, 0.001, 10000, KindSin},
    {21, 21, -100, 120, KindSin},
    {22, 22, 0.001, 10000, KindPrbs},
    {23, 35, 0.001, 10000, KindMirvak},
    {36, 36, 0.001, 10000, KindSync},
    {37, 41, 0.001, 10000, KindMirvak},
    {42, 43, 0.001, 10000, KindNoise},
};
// clang-format on

const SlotRange *FindSlotRange(int32_t slot) {
    for (const SlotRange &range : SlotRanges)
        if (slot >= range.First && slot <= range.Last)
            return &range;
    return nullptr;
}

} // namespace

void GetParamDefaultRange(double &xMin, double &xMax, int32_t slot) {
    if (const SlotRange *range = FindSlotRange(slot)) {
        xMin = range->XMin;
        xMax = range->XMax;
    }
}

void FindParamDescriptor(double &min, double &max, int32_t &steps, uint8_t &size, int32_t slot) {
    min = 0;
    max = 0;
    steps = 0;
    size = 4;
    const SlotRange *range = FindSlotRange(slot);
    if (!range)
        return;
    const ParameterTable table = ParameterTableOf(range->Kind);
    for (int32_t i = 0; i < table.RowCount; ++i) {
        const ParamDescriptor &row = table.Rows[i];
        if (row.MaskSlot == slot) {
            min = row.MinValue;
            max = row.MaxValue;
            steps = row.CodeSteps;
            size = row.WireBytes;
            return;
        }
    }
}
