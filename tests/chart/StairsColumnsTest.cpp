#include "chart/StairsColumns.h"

#include <gtest/gtest.h>

#include <QRect>

#include <vector>

namespace {

struct TRun {
    QRect Rect;
    QRgb Colour;
    bool operator==(const TRun &other) const { return Rect == other.Rect && Colour == other.Colour; }
};

std::vector<TRun> Runs(const TStairsColumns &columns, double bottom) {
    std::vector<TRun> runs;
    columns.ForEachRun(bottom, [&](const QRect &rect, QRgb colour) { runs.push_back({rect, colour}); });
    return runs;
}

constexpr QRgb Grey = 0xFF808080, Red = 0xFFFF0000, Blue = 0xFF0000FF;

} // namespace

// Columns 10..19, the axis bottom at pixel y 100.
TEST(StairsColumns, EachColumnShowsItsHighestStepInThatStepsColour) {
    TStairsColumns columns;
    columns.Reset(10, 10);
    columns.AddStep(10.0, 12.0, 50, Grey);  // covers the centres of 10 and 11
    columns.AddStep(12.0, 12.2, 40, Red);   // narrower than a pixel: column 12
    columns.AddStep(12.2, 12.4, 60, Grey);  // lower, also in 12: the red one stays
    columns.AddStep(12.4, 14.0, 50, Grey);  // the centres of 12 (lower than red) and 13
    columns.AddStep(14.0, 16.0, 50, Blue);  // same height, another colour
    columns.AddStep(16.0, 25.0, 120, Grey); // below the axis bottom and past the last column
    const std::vector<TRun> expected = {
        {QRect(10, 50, 2, 50), Grey}, {QRect(12, 40, 1, 60), Red},   {QRect(13, 50, 1, 50), Grey},
        {QRect(14, 50, 2, 50), Blue}, {QRect(16, 100, 4, 20), Grey},
    };
    EXPECT_EQ(Runs(columns, 100), expected);
}

TEST(StairsColumns, AStepOfTheSameHeightDrawnLaterWinsAndResetEmptiesEveryColumn) {
    TStairsColumns columns;
    columns.Reset(0, 4);
    columns.AddStep(3.0, 1.0, 30, Grey); // right to left
    columns.AddStep(1.2, 1.4, 30, Red);
    EXPECT_EQ(Runs(columns, 100), (std::vector<TRun>{{QRect(1, 30, 1, 70), Red}, {QRect(2, 30, 1, 70), Grey}}));
    columns.Reset(0, 4);
    EXPECT_TRUE(Runs(columns, 100).empty());
    columns.AddStep(-5, -1, 10, Grey); // left of the plot
    EXPECT_TRUE(Runs(columns, 100).empty());
}
