#include "chart/StairsColumns.h"

#include <gtest/gtest.h>

#include <QRect>

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

namespace {

constexpr QRgb Grey = 0xFF808080, Red = 0xFFFF0000, Blue = 0xFF0000FF;

// What the rectangles fill: each pixel's colour and how often it was filled.
struct TCover {
    std::map<std::pair<int, int>, std::pair<QRgb, int>> Pixels;
    std::vector<QRect> Rects;
};

TCover Cover(const TStairsColumns &columns, double bottom) {
    TCover cover;
    columns.ForEachRun(bottom, [&](const QRect &rect, QRgb colour) {
        cover.Rects.push_back(rect);
        for (int x = rect.left(); x <= rect.right(); ++x)
            for (int y = rect.top(); y <= rect.bottom(); ++y) {
                auto &pixel = cover.Pixels[{x, y}];
                pixel = {colour, pixel.second + 1};
            }
    });
    return cover;
}

// A column filled once in one colour from its top row down to the row above bottom, and nothing else.
void ExpectColumn(const TCover &cover, int x, int top, int bottom, QRgb colour) {
    for (int y = top - 2; y < bottom + 2; ++y) {
        const auto it = cover.Pixels.find({x, y});
        if (y < top || y >= bottom) {
            EXPECT_TRUE(it == cover.Pixels.end()) << x << "," << y;
            continue;
        }
        ASSERT_TRUE(it != cover.Pixels.end()) << x << "," << y;
        EXPECT_EQ(it->second.first, colour) << x << "," << y;
        EXPECT_EQ(it->second.second, 1) << x << "," << y;
    }
}

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
    const TCover cover = Cover(columns, 100);
    const std::vector<std::tuple<int, int, QRgb>> expected = {
        {10, 50, Grey}, {11, 50, Grey}, {12, 40, Red}, {13, 50, Grey}, {14, 50, Blue}, {15, 50, Blue},
    };
    for (const auto &[x, top, colour] : expected)
        ExpectColumn(cover, x, top, 100, colour);
    for (int x = 16; x < 20; ++x)
        ExpectColumn(cover, x, 100, 100, 0); // nothing inside the plot
}

TEST(StairsColumns, AStepOfTheSameHeightDrawnLaterWinsAndResetEmptiesEveryColumn) {
    TStairsColumns columns;
    columns.Reset(0, 4);
    columns.AddStep(3.0, 1.0, 30, Grey); // right to left
    columns.AddStep(1.2, 1.4, 30, Red);
    TCover cover = Cover(columns, 100);
    ExpectColumn(cover, 1, 30, 100, Red);
    ExpectColumn(cover, 2, 30, 100, Grey);
    columns.Reset(0, 4);
    EXPECT_TRUE(Cover(columns, 100).Rects.empty());
    columns.AddStep(-5, -1, 10, Grey); // left of the plot
    EXPECT_TRUE(Cover(columns, 100).Rects.empty());
}

// A noisy run of one colour: what its columns share is one rectangle across all of them, and there are
// never more rectangles than columns.
TEST(StairsColumns, ARunIsCutIntoFewWideRectangles) {
    TStairsColumns columns;
    columns.Reset(0, 200);
    std::vector<int> tops;
    for (int x = 0; x < 200; ++x) {
        tops.push_back(40 + (x * 37) % 23);
        columns.AddStep(x, x + 1, tops.back(), Grey);
    }
    const TCover cover = Cover(columns, 100);
    for (int x = 0; x < 200; ++x)
        ExpectColumn(cover, x, tops[std::size_t(x)], 100, Grey);
    EXPECT_LE(cover.Rects.size(), 200u);
    // rows 62..99, below the lowest top
    EXPECT_NE(std::find(cover.Rects.begin(), cover.Rects.end(), QRect(0, 62, 200, 38)), cover.Rects.end());
}
