#include "views/TimeLineColumns.h"

#include "platform/NoValue.h"

#include <gtest/gtest.h>

namespace {

constexpr double Start = 100.0;
constexpr double Width = 1.0; // one column per day keeps the arithmetic plain

std::deque<TimePoint> Points(std::initializer_list<TimePoint> points) {
    return points;
}

TEST(TimeLineColumns, NothingToDrawWithoutPointsOrWithoutWidth) {
    std::vector<TTimeLinePoint> line = {{1, 2, false}};
    EXPECT_FALSE(BuildTimeLine({}, Start, Width, line));
    EXPECT_FALSE(BuildTimeLine(Points({{Start, 1}}), Start, 0, line));
    EXPECT_FALSE(BuildTimeLine(Points({{Start, 1}}), Start, -1, line));
    ASSERT_EQ(line.size(), 1u);
}

// Many points in one column give its first, its lowest, its highest and its last value.
TEST(TimeLineColumns, AColumnShowsFirstLowestHighestAndLast) {
    std::vector<TTimeLinePoint> line;
    ASSERT_TRUE(BuildTimeLine(
        Points({{Start + 0.1, 5}, {Start + 0.2, -3}, {Start + 0.3, 9}, {Start + 0.4, 2}, {Start + 1.5, 7}}), Start,
        Width, line));
    ASSERT_EQ(line.size(), 5u);
    EXPECT_DOUBLE_EQ(line[0].Y, 5);
    EXPECT_DOUBLE_EQ(line[1].Y, -3);
    EXPECT_DOUBLE_EQ(line[2].Y, 9);
    EXPECT_DOUBLE_EQ(line[1].X, Start + 0.25 - 1e-6);
    EXPECT_DOUBLE_EQ(line[2].X, Start + 0.25);
    EXPECT_DOUBLE_EQ(line[3].Y, 2);
    EXPECT_DOUBLE_EQ(line[4].X, Start + 1.5);
    EXPECT_DOUBLE_EQ(line[4].Y, 7);
}

// The last point before the shown span enters the line from the left edge.
TEST(TimeLineColumns, ThePointBeforeTheSpanEntersFromTheLeft) {
    std::vector<TTimeLinePoint> line;
    ASSERT_TRUE(BuildTimeLine(Points({{Start - 5, 1}, {Start - 2, 4}, {Start + 0.5, 6}}), Start, Width, line));
    ASSERT_EQ(line.size(), 2u);
    EXPECT_DOUBLE_EQ(line[0].X, Start - 2);
    EXPECT_DOUBLE_EQ(line[1].X, Start + 0.5);
}

// A column with a gap draws each point; the gap breaks the line half-way between its neighbours.
TEST(TimeLineColumns, AGapBreaksTheLineHalfWayBetweenItsNeighbours) {
    std::vector<TTimeLinePoint> line;
    ASSERT_TRUE(BuildTimeLine(
        Points(
            {{Start + 0.1, 1}, {Start + 0.2, 2}, {Start + 0.3, double(NoValue)}, {Start + 0.5, 3}, {Start + 0.6, 4}}),
        Start, Width, line));
    ASSERT_EQ(line.size(), 5u);
    EXPECT_TRUE(line[2].Gap);
    EXPECT_DOUBLE_EQ(line[2].X, Start + 0.35);
    for (std::size_t i = 1; i < line.size(); ++i)
        EXPECT_LE(line[i - 1].X, line[i].X);
    // A gap with fewer than two points before it sits just after its own time.
    ASSERT_TRUE(BuildTimeLine(Points({{Start + 0.1, double(NoValue)}, {Start + 0.5, 3}}), Start, Width, line));
    ASSERT_EQ(line.size(), 2u);
    EXPECT_TRUE(line[0].Gap);
    EXPECT_DOUBLE_EQ(line[0].X, Start + 0.1 + 1e-6);
}

// However many points are stored, a line carries at most four per column.
TEST(TimeLineColumns, TheLineCostsThePlotWidthNotThePointCount) {
    std::deque<TimePoint> points;
    for (int i = 0; i < 100000; ++i)
        points.push_back({Start + i * 1e-4, double(i % 17)});
    std::vector<TTimeLinePoint> line;
    ASSERT_TRUE(BuildTimeLine(points, Start, Width, line));
    EXPECT_LE(line.size(), 4u * 11);
}

} // namespace
