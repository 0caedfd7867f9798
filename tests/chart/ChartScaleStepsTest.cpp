#include "ChartFixture.h"

#include "chart/ChartScaleSteps.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

using ScaleSteps = ChartFixture;

struct Ranges {
    double bottomMin, bottomMax, leftMin, leftMax;
};

Ranges RangesOf(TChart &chart) {
    return {chart.BottomAxis().Minimum(), chart.BottomAxis().Maximum(), chart.LeftAxis().Minimum(),
            chart.LeftAxis().Maximum()};
}

// Each code moves the edges of the plot rectangle by a tenth of its size (truncated to whole pixels), and
// the axes take the values that lay under the moved edges.
TEST_F(ScaleSteps, EachCodeZoomsToTheMovedPlotRectangle) {
    struct Case {
        int code;
        int left, top, right, bottom; // multiples of the step moved
    };
    const Case cases[] = {{1, 0, 1, 0, -1},  {3, 0, -1, 0, 1}, {2, 1, 0, -1, 0},  {4, -1, 0, 1, 0},
                          {7, 0, -1, 0, -1}, {8, 0, 1, 0, 1},  {9, -1, 0, -1, 0}, {10, 1, 0, 1, 0}};
    for (const Case &c : cases) {
        chart.BottomAxis().SetMinMax(0, 10);
        chart.LeftAxis().SetMinMax(0, 10);
        chart.Repaint();
        const QRect plot = chart.ChartRect();
        ASSERT_GT(plot.width(), 100);
        const int dx = int(0.1 * plot.width()), dy = int(0.1 * plot.height());
        const Ranges expected{chart.BottomAxis().CalcPosPoint(plot.left() + c.left * dx),
                              chart.BottomAxis().CalcPosPoint(plot.right() + c.right * dx),
                              chart.LeftAxis().CalcPosPoint(plot.bottom() + c.bottom * dy),
                              chart.LeftAxis().CalcPosPoint(plot.top() + c.top * dy)};
        QSignalSpy zoomed(&chart, &TChart::OnZoom);
        StepChart(chart, c.code);
        const Ranges r = RangesOf(chart);
        EXPECT_DOUBLE_EQ(r.bottomMin, expected.bottomMin) << c.code;
        EXPECT_DOUBLE_EQ(r.bottomMax, expected.bottomMax) << c.code;
        EXPECT_DOUBLE_EQ(r.leftMin, expected.leftMin) << c.code;
        EXPECT_DOUBLE_EQ(r.leftMax, expected.leftMax) << c.code;
        EXPECT_EQ(zoomed.count(), 1) << c.code;
        chart.UndoZoom();
    }
    const Ranges before = RangesOf(chart);
    StepChart(chart, 5); // not a step code
    EXPECT_EQ(RangesOf(chart).bottomMax, before.bottomMax);
}

TEST_F(ScaleSteps, ZoomPercentKeepsTheCentreAndTheUndoComesBack) {
    const QRect plot = chart.ChartRect();
    const double centre = chart.BottomAxis().CalcPosPoint(plot.center().x());
    chart.ZoomPercent(120);
    const double span = chart.BottomAxis().Maximum() - chart.BottomAxis().Minimum();
    EXPECT_NEAR(span, 10 / 1.2, 0.1); // whole pixels
    EXPECT_NEAR((chart.BottomAxis().Maximum() + chart.BottomAxis().Minimum()) / 2, centre, 0.05);
    chart.Repaint();
    chart.ZoomPercent(80);
    EXPECT_NEAR(chart.BottomAxis().Maximum() - chart.BottomAxis().Minimum(), span * 1.25, 0.1);
    QSignalSpy undone(&chart, &TChart::OnUndoZoom);
    chart.UndoZoomByCode();
    EXPECT_EQ(undone.count(), 1);
    EXPECT_DOUBLE_EQ(chart.BottomAxis().Minimum(), 0);
    EXPECT_DOUBLE_EQ(chart.BottomAxis().Maximum(), 10);
    EXPECT_FALSE(chart.Zoomed());
}

TEST(AutomaticYRange, AFlatCurveGetsFiveStepsAndAMargin) {
    // 3 +- 2.6 x 0.1, widened by a tenth of that span, 0.052, on each side.
    double yMin = 3, yMax = 3;
    ASSERT_TRUE(AutomaticYRange(yMin, yMax, 0.1, false, 0, 10));
    EXPECT_NEAR(yMin, 2.688, 1e-12);
    EXPECT_NEAR(yMax, 3.312, 1e-12);
    // A wide curve takes a tenth of its own span.
    yMin = -50, yMax = -10;
    ASSERT_TRUE(AutomaticYRange(yMin, yMax, 0.1, false, 0, 10));
    EXPECT_DOUBLE_EQ(yMin, -54);
    EXPECT_DOUBLE_EQ(yMax, -6);
}

TEST(AutomaticYRange, NothingToShowLeavesTheAxis) {
    double yMin = 1e9, yMax = -1e9;
    EXPECT_FALSE(AutomaticYRange(yMin, yMax, 0.1, false, 0, 10));
    EXPECT_FALSE(AutomaticYRange(yMin, yMax, 0.1, true, 0, 10));
}

// Under remote control the margin is a tenth of the axis, and the axis moves only when an end lies more
// than that margin away from it.
TEST(AutomaticYRange, UnderRemoteControlTheAxisChangesOnlyBeyondTheMargin) {
    struct Case {
        double yMin, yMax;
        bool changes;
    };
    // Axis [0, 100]: e = 10; the widened range is [yMin - 10, yMax + 10].
    const Case cases[] = {
        {10, 90, false}, // widened to the axis itself
        {15, 85, false}, // 5 inside at both ends
        {25, 90, true},  // the lower end 15 inside
        {10, 75, true},  // the upper end 15 inside
        {-5, 90, true},  // the lower end 15 outside
        {10, 105, true}, // the upper end 15 outside
    };
    for (const Case &c : cases) {
        double yMin = c.yMin, yMax = c.yMax;
        EXPECT_EQ(AutomaticYRange(yMin, yMax, 0.1, true, 0, 100), c.changes) << c.yMin << ".." << c.yMax;
        EXPECT_DOUBLE_EQ(yMin, c.yMin - 10);
        EXPECT_DOUBLE_EQ(yMax, c.yMax + 10);
    }
}

} // namespace
