#include "engine/masks/MaskTransform.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "engine/catalogue/ParameterTable.h"
#include "engine/masks/MaskDefaults.h"

#include <gtest/gtest.h>

namespace {

TMASK MaskOf(std::initializer_list<TMaskPoint> points) {
    TMASK mask;
    mask.Points = points;
    return mask;
}

TEST(MaskTransform, ScalingRescalesFromTheCurrentPercentage) {
    TMASK mask = MaskOf({{1, -40}, {2, 10}, {3, 0}});
    ScaleMask(mask, 50);
    EXPECT_EQ(mask.Scale, 50);
    EXPECT_DOUBLE_EQ(mask.Points[0].y, -20);
    EXPECT_DOUBLE_EQ(mask.Points[1].y, 5);
    ScaleMask(mask, 200);
    EXPECT_EQ(mask.Scale, 200);
    EXPECT_DOUBLE_EQ(mask.Points[0].y, -80); // twice the file's value
    EXPECT_DOUBLE_EQ(mask.Points[1].y, 20);
    EXPECT_DOUBLE_EQ(mask.Points[2].y, 0);
    // Back to 100 gives the file's values; x never moves.
    ScaleMask(mask, 100);
    EXPECT_DOUBLE_EQ(mask.Points[0].y, -40);
    EXPECT_DOUBLE_EQ(mask.Points[0].x, 1);
}

TEST(MaskTransform, AScaleOfZeroCountsAsOnePercentAndFractionsAreDropped) {
    TMASK mask = MaskOf({{0, 100}});
    ScaleMask(mask, 0);
    EXPECT_EQ(mask.Scale, 1);
    EXPECT_DOUBLE_EQ(mask.Points[0].y, 1);
    ScaleMask(mask, 10.9);
    EXPECT_EQ(mask.Scale, 10);
    EXPECT_DOUBLE_EQ(mask.Points[0].y, 10);
}

TEST(MaskTransform, ShiftMovesEveryPointAlongX) {
    TMASK mask = MaskOf({{1, 5}, {4, 6}});
    ShiftMaskX(mask, -2.5);
    EXPECT_DOUBLE_EQ(mask.Points[0].x, -1.5);
    EXPECT_DOUBLE_EQ(mask.Points[1].x, 1.5);
    EXPECT_DOUBLE_EQ(mask.Points[1].y, 6);
}

TEST(MaskTransform, ShiftStepIsOnePixelTimesTheHeldKeys) {
    struct Case {
        bool shift, control;
        int plot, window;
        double step;
    };
    // A span of 800 over 400 pixels: 2 per pixel.
    const Case cases[] = {
        {false, false, 400, 640, 2}, {true, false, 400, 640, 10}, {false, true, 400, 640, 20},
        {true, true, 400, 640, 100}, {false, false, 0, 200, 4},   {false, false, 0, 0, 0},
    };
    for (const Case &c : cases)
        EXPECT_DOUBLE_EQ(MaskShiftStep(800, c.plot, c.window, c.shift, c.control), c.step)
            << c.shift << c.control << " " << c.plot;
}

TEST(MaskDefaults, TheRowThatCarriesASlotsCurve) {
    BuildParamCatalogue();
    double yMin = 0, yMax = 0;
    int32_t steps = -1;
    uint8_t bytes = 0;
    // Slot 0 is the oscillogram of PRBS, NOISE and SYNC, whose mask only NOISE's row carries.
    const ParameterTable noise = ParameterTableOf(5);
    const ParamDescriptor *oscillogram = nullptr;
    for (int32_t i = 0; i < noise.RowCount && !oscillogram; ++i)
        if (noise.Rows[i].MaskSlot == 0)
            oscillogram = &noise.Rows[i];
    ASSERT_NE(oscillogram, nullptr);
    FindParamDescriptor(yMin, yMax, steps, bytes, 0);
    EXPECT_EQ(yMin, oscillogram->MinValue);
    EXPECT_EQ(yMax, oscillogram->MaxValue);
    EXPECT_EQ(steps, oscillogram->CodeSteps);
    EXPECT_EQ(bytes, oscillogram->WireBytes);
    FindParamDescriptor(yMin, yMax, steps, bytes, 23); // no window uses it, no row carries it
    EXPECT_EQ(yMin, 0);
    EXPECT_EQ(yMax, 0);
    EXPECT_EQ(steps, 0);
    EXPECT_EQ(bytes, 4);
}

} // namespace
