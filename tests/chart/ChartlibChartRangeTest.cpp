#include "chart/ChartlibChart.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double Inf = std::numeric_limits<double>::infinity();

struct ClampCase {
    const char *name;
    TAxisRange range;
    double increment, lower, upper;
    bool upperLimited;
    TAxisRange expected;
};

// Each expectation follows the four steps by hand: max down to U, max up to L + 5i, min up to L, min down
// to U - 5i.
const ClampCase ClampCases[] = {
    {"inside", {2, 8}, 1, 0, 10, true, {2, 8}},
    {"max above upper", {2, 12}, 1, 0, 10, true, {2, 10}},
    {"short span at the lower limit", {-1, 3}, 1, 0, 10, true, {0, 5}},
    {"short span at the upper limit", {8, 12}, 1, 0, 10, true, {5, 10}},
    {"both limits crossed", {-4, 14}, 1, 0, 10, true, {0, 10}},
    {"no upper limit lets the axis grow", {100, 200}, 1, 0, 0, false, {100, 200}},
    {"no upper limit keeps five increments", {-3, 2}, 1, 0, 0, false, {0, 5}},
    {"reversed limits", {2, 8}, 1, 10, 0, true, {-5, 15}},
    {"reversed range", {8, 2}, 1, 0, 10, true, {5, 5}},
    {"zero increment", {3, 3}, 0, 0, 10, true, {3, 3}},
    {"negative increment sets no floor", {-1, 12}, -1, 0, 10, true, {0, 10}},
    {"NaN increment", {-1, 12}, NaN, 0, 10, true, {0, 10}},
    {"infinite increment", {2, 8}, Inf, 0, 10, true, {2, 8}},
};

class ClampAxis : public ::testing::TestWithParam<ClampCase> {};

TEST_P(ClampAxis, FollowsTheFourSteps) {
    const ClampCase &c = GetParam();
    const TAxisRange got = ClampAxisRange(c.range, c.increment, c.lower, c.upper, c.upperLimited);
    EXPECT_DOUBLE_EQ(got.Minimum, c.expected.Minimum) << c.name;
    EXPECT_DOUBLE_EQ(got.Maximum, c.expected.Maximum) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Cases, ClampAxis, ::testing::ValuesIn(ClampCases),
                         [](const auto &info) { return std::to_string(info.index); });

struct SpanCase {
    const char *name;
    TAxisRange range, previous;
    double resolution;
    bool centre;
    TAxisRange expected;
};

const SpanCase SpanCases[] = {
    {"wide enough", {0, 10}, {0, 20}, 1, false, {0, 10}},
    {"exactly five steps", {0, 5}, {0, 20}, 1, false, {0, 5}},
    {"zoom below the floor restores", {4, 6}, {0, 10}, 1, false, {0, 10}},
    {"scroll right keeps the maximum", {12, 15}, {0, 10}, 1, false, {10, 15}},
    {"scroll left keeps the maximum", {-3, -1}, {0, 10}, 1, false, {-6, -1}},
    {"left axis centres on a small previous span", {2.5, 3.5}, {2, 4}, 1, true, {0.5, 5.5}},
    {"left axis restores a wide previous span", {2.5, 3.5}, {0, 10}, 1, true, {0, 10}},
    {"other axes restore a small previous span", {2.5, 3.5}, {2, 4}, 1, false, {2, 4}},
    {"reversed new range is a zoom", {6, 4}, {0, 10}, 1, false, {0, 10}},
    {"zero resolution", {4, 4.1}, {0, 10}, 0, true, {4, 4.1}},
    {"negative resolution", {4, 4.1}, {0, 10}, -1, true, {4, 4.1}},
    {"NaN resolution", {4, 4.1}, {0, 10}, NaN, true, {4, 4.1}},
    {"no previous range", {4, 6}, {NaN, NaN}, 1, true, {1, 6}},
};

class LimitSpan : public ::testing::TestWithParam<SpanCase> {};

TEST_P(LimitSpan, KeepsFiveResolutionSteps) {
    const SpanCase &c = GetParam();
    const TAxisRange got = LimitAxisSpan(c.range, c.previous, c.resolution, c.centre);
    EXPECT_DOUBLE_EQ(got.Minimum, c.expected.Minimum) << c.name;
    EXPECT_DOUBLE_EQ(got.Maximum, c.expected.Maximum) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Cases, LimitSpan, ::testing::ValuesIn(SpanCases),
                         [](const auto &info) { return std::to_string(info.index); });

} // namespace
