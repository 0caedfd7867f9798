#include "engine/catalogue/TimeDiagramAxes.h"

#include <gtest/gtest.h>

TEST(TimeDiagramAxes, PresetsPerUnitGroup) {
    TimeDiagramAxes[1].YMin = 5; // a window stored its shown range; a new start brings the preset back
    InitTimeDiagramAxes();

    struct AxisCase {
        int32_t Group;
        TimeDiagramAxis Axis;
    };
    const AxisCase cases[] = {
        {0, {-100, 120, 1, -10, 80}},
        {1, {-160, 100, 1, -80, 10}},
        {6, {-1000000, 1000000, 1, -1000, 1000}},
        {7, {-180, 180, 0.2f, -180, 180}},
        {8, {-100000, 100000, 0.001f, -10000, 10000}},
        {10, {0, 120000, 0.1f, 0, 40000}},
        {12, {-100, 100, 1, -100, 100}},
    };
    for (const AxisCase &c : cases) {
        const TimeDiagramAxis &a = TimeDiagramAxes[c.Group];
        EXPECT_EQ(a.YLowest, c.Axis.YLowest) << c.Group;
        EXPECT_EQ(a.YHighest, c.Axis.YHighest) << c.Group;
        EXPECT_EQ(a.YIncrement, c.Axis.YIncrement) << c.Group;
        EXPECT_EQ(a.YMin, c.Axis.YMin) << c.Group;
        EXPECT_EQ(a.YMax, c.Axis.YMax) << c.Group;
    }
}
