#include "engine/masks/MaskCheck.h"
#include "engine/masks/MaskArray.h"
#include "platform/NoValue.h"

#include <gtest/gtest.h>

namespace {

constexpr int32_t Slot = 16;

// Slot 16 with an upper mask falling from 10 to 0 over x 0..10 and a lower mask at -5 over 0..10.
class MaskCheck : public ::testing::Test {
protected:
    void SetUp() override {
        upper = Install(MaskUpperSide, {{0, 10}, {10, 0}});
        lower = Install(MaskLowerSide, {{0, -5}, {10, -5}});
    }
    void TearDown() override { FreeAllMasks(); }

    TMASK *Install(int32_t side, std::vector<TMaskPoint> points) {
        MaskArray[Slot][side] = std::make_unique<TMASK>();
        TMASK *mask = MaskArray[Slot][side].get();
        mask->Points = std::move(points);
        mask->Upper = side == MaskUpperSide;
        mask->Active = 1;
        return mask;
    }

    TMASK *upper = nullptr;
    TMASK *lower = nullptr;
};

struct PointCase {
    const char *name;
    double x, y;
    uint8_t verdict;
};

TEST_F(MaskCheck, PointVerdicts) {
    const PointCase cases[] = {
        {"below the upper mask", 4, 5.9, PointWithinMasks},
        {"exactly on the upper mask", 4, 6, PointAboveUpperMask},
        {"above the upper mask", 4, 7, PointAboveUpperMask},
        {"exactly on the lower mask", 4, -5, PointBelowLowerMask},
        {"below the lower mask", 4, -6, PointBelowLowerMask},
        {"left of both masks", -0.001, 100, PointWithinMasks},
        {"right of both masks", 10.001, -100, PointWithinMasks},
        {"at the first mask point", 0, 10, PointAboveUpperMask},
        {"at the last mask point", 10, -5, PointBelowLowerMask},
        {"the no-value sentinel", 4, double(NoValue), PointWithinMasks},
    };
    for (const PointCase &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CheckPointAgainstMasks(Slot, c.y, c.x), c.verdict);
    }
}

TEST_F(MaskCheck, PointViolatingBothMasksIsBelowTheLower) {
    lower->Points = {{0, 20}, {10, 20}};
    EXPECT_EQ(CheckPointAgainstMasks(Slot, 15, 5), PointBelowLowerMask);
    EXPECT_EQ(upper->Passed, 0);
    EXPECT_EQ(lower->Passed, 0);
}

TEST_F(MaskCheck, PassedFlagsAreTheAndOfTheJudgedPoints) {
    upper->Passed = lower->Passed = 3;
    CheckPointAgainstMasks(Slot, 0, 5);
    EXPECT_EQ(upper->Passed, 1);
    EXPECT_EQ(lower->Passed, 1);
    CheckPointAgainstMasks(Slot, 9, 5);
    CheckPointAgainstMasks(Slot, 0, 5);
    EXPECT_EQ(upper->Passed, 0);
    EXPECT_EQ(lower->Passed, 1);
    upper->Passed = lower->Passed = 3;
    CheckPointAgainstMasks(Slot, double(NoValue), 5);
    EXPECT_EQ(upper->Passed, 3);
}

TEST_F(MaskCheck, VerticalSegmentFailsFromItsLowerEnd) {
    upper->Points = {{5, 10}, {5, 2}, {10, 2}};
    EXPECT_EQ(CheckPointAgainstMasks(Slot, 2, 5), PointAboveUpperMask);
    EXPECT_EQ(CheckPointAgainstMasks(Slot, 1.9, 5), PointWithinMasks);
    // Only the first segment that spans x judges: here the step down comes after a flat part.
    upper->Points = {{0, 10}, {5, 10}, {5, 2}, {10, 2}};
    EXPECT_EQ(CheckPointAgainstMasks(Slot, 5, 5), PointWithinMasks);
    EXPECT_EQ(CheckPointAgainstMasks(Slot, 5, 5.1), PointAboveUpperMask);
}

TEST_F(MaskCheck, LineMasksAndInactiveMasksNeverFail) {
    upper->IsLine = 1;
    lower->Active = 0;
    upper->Passed = lower->Passed = 3;
    EXPECT_EQ(CheckPointAgainstMasks(Slot, 1000, 5), PointWithinMasks);
    EXPECT_EQ(CheckPointAgainstMasks(Slot, -1000, 5), PointWithinMasks);
    EXPECT_EQ(upper->Passed, 3);
    EXPECT_EQ(lower->Passed, 3);
}

TEST_F(MaskCheck, SlotsWithoutMasksAndSlotsOutOfRangePass) {
    EXPECT_EQ(CheckPointAgainstMasks(Slot + 1, 1e9, 5), PointWithinMasks);
    EXPECT_EQ(CheckPointAgainstMasks(-1, 1e9, 5), PointWithinMasks);
    EXPECT_EQ(CheckPointAgainstMasks(MaskSlotCount, 1e9, 5), PointWithinMasks);
}

TEST_F(MaskCheck, DescendingSegmentsAreFoundInEitherOrder) {
    upper->Points = {{10, 0}, {0, 10}};
    EXPECT_EQ(CheckPointAgainstMasks(Slot, 6, 4), PointAboveUpperMask);
    EXPECT_EQ(CheckPointAgainstMasks(Slot, 5.9, 4), PointWithinMasks);
}

} // namespace
