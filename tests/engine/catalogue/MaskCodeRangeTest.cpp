#include "engine/catalogue/MaskCodeRange.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "engine/catalogue/ParameterTable.h"

#include <gtest/gtest.h>

namespace {

class MaskCodeRanges : public ::testing::Test {
protected:
    void SetUp() override { BuildParamCatalogue(); }
};

} // namespace

TEST_F(MaskCodeRanges, DefaultXRangeBySlot) {
    struct Case {
        int32_t Slot;
        double XMin;
        double XMax;
    };
    const Case cases[] = {{0, 0.1, 200000}, {3, 1, 1000000}, {4, 1, 1000000}, {21, -100, 120}, {1, 0.001, 10000},
                          {2, 0.001, 10000}, {5, 0.001, 10000}, {20, 0.001, 10000}, {22, 0.001, 10000},
                          {43, 0.001, 10000}};
    for (const Case &c : cases) {
        double xMin = -1, xMax = -1;
        GetParamDefaultRange(xMin, xMax, c.Slot);
        EXPECT_EQ(xMin, c.XMin) << c.Slot;
        EXPECT_EQ(xMax, c.XMax) << c.Slot;
    }
    for (int32_t slot : {-1, 44, 127}) {
        double xMin = 7, xMax = 8;
        GetParamDefaultRange(xMin, xMax, slot);
        EXPECT_EQ(xMin, 7) << slot;
        EXPECT_EQ(xMax, 8) << slot;
    }
}

// Each slot is looked for only in the table of the kind that owns it; SIN2 owns no slot.
TEST_F(MaskCodeRanges, CodingComesFromTheRowOfTheOwningTable) {
    auto owner = [](int32_t slot) {
        if (slot == 0 || slot == 3 || slot == 4 || slot == 22)
            return 4;
        if (slot == 1 || slot == 2 || slot == 20 || slot == 21)
            return 1;
        if (slot >= 5 && slot <= 15)
            return 3;
        if ((slot >= 16 && slot <= 19) || slot == 42 || slot == 43)
            return 5;
        if (slot == 36)
            return 7;
        return 6;
    };
    int32_t found = 0;
    for (int32_t slot = 0; slot < MaskSlotCount; ++slot) {
        SCOPED_TRACE(slot);
        const ParamDescriptor *expected = nullptr;
        const ParameterTable table = ParameterTableOf(owner(slot));
        for (int32_t i = 0; i < table.RowCount && !expected; ++i)
            if (table.Rows[i].MaskSlot == slot)
                expected = &table.Rows[i];
        double min = -1, max = -1;
        int32_t steps = -1;
        uint8_t size = 0;
        FindParamDescriptor(min, max, steps, size, slot);
        if (!expected) {
            EXPECT_EQ(min, 0);
            EXPECT_EQ(max, 0);
            EXPECT_EQ(steps, 0);
            EXPECT_EQ(size, 4);
            continue;
        }
        ++found;
        EXPECT_EQ(min, double(expected->MinValue));
        EXPECT_EQ(max, double(expected->MaxValue));
        EXPECT_EQ(steps, expected->CodeSteps);
        EXPECT_EQ(size, expected->WireBytes);
    }
    EXPECT_GT(found, 30);
}

TEST_F(MaskCodeRanges, UnknownSlotTravelsAsFloat) {
    for (int32_t slot : {44, 100, -1}) {
        double min = -1, max = -1;
        int32_t steps = -1;
        uint8_t size = 0;
        FindParamDescriptor(min, max, steps, size, slot);
        EXPECT_EQ(min, 0);
        EXPECT_EQ(max, 0);
        EXPECT_EQ(steps, 0);
        EXPECT_EQ(size, 4);
    }
}
