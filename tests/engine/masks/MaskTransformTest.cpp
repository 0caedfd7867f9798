#include "engine/masks/MaskTransform.h"

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

} // namespace
