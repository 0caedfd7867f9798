#include "engine/masks/ClipSegment.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

const TClipRect Rect{0, 10, 0, 10};

struct ClipCase {
    const char *name;
    double in[4];
    TClipResult result;
    double out[4];
};

TEST(ClipSegment, Cases) {
    const ClipCase cases[] = {
        {"inside stays", {1, 1, 9, 9}, TClipResult::Inside, {1, 1, 9, 9}},
        {"crossing the left edge", {-10, 0, 10, 10}, TClipResult::Inside, {0, 5, 10, 10}},
        {"crossing both corners", {-5, -5, 15, 15}, TClipResult::Inside, {0, 0, 10, 10}},
        {"leaving at the top", {5, 5, 5, 20}, TClipResult::Inside, {5, 5, 5, 10}},
        {"vertical, wholly left", {-3, 2, -3, 8}, TClipResult::OnBorder, {0, 2, 0, 8}},
        {"horizontal, wholly left", {-8, 4, -2, 4}, TClipResult::OnBorder, {0, 4, 0, 4}},
        {"wholly above, reaching past both sides", {-5, 20, 15, 30}, TClipResult::OnBorder, {0, 10, 10, 10}},
        {"on the border", {0, 0, 10, 0}, TClipResult::Inside, {0, 0, 10, 0}},
    };
    for (const ClipCase &c : cases) {
        SCOPED_TRACE(c.name);
        double x0 = c.in[0], y0 = c.in[1], x1 = c.in[2], y1 = c.in[3];
        EXPECT_EQ(ClipSegment(x0, y0, x1, y1, Rect), c.result);
        EXPECT_DOUBLE_EQ(x0, c.out[0]);
        EXPECT_DOUBLE_EQ(y0, c.out[1]);
        EXPECT_DOUBLE_EQ(x1, c.out[2]);
        EXPECT_DOUBLE_EQ(y1, c.out[3]);
    }
}

TEST(ClipSegment, NonFiniteEndsAreRejectedUntouched) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (double bad : {nan, inf, -inf}) {
        double x0 = bad, y0 = 1, x1 = 5, y1 = 5;
        EXPECT_EQ(ClipSegment(x0, y0, x1, y1, Rect), TClipResult::Rejected);
        EXPECT_EQ(y0, 1);
        double a = 1, b = 1, c = 5, d = bad;
        EXPECT_EQ(ClipSegment(a, b, c, d, Rect), TClipResult::Rejected);
    }
    double x0 = 1, y0 = 1, x1 = 2, y1 = 2;
    EXPECT_EQ(ClipSegment(x0, y0, x1, y1, TClipRect{10, 0, 0, 10}), TClipResult::Rejected);
}

TEST(ClipSegment, HugeCoordinatesEndInsideTheRectangle) {
    const double big = 1e300;
    double x0 = -big, y0 = 3, x1 = big, y1 = 7 + 1e-300;
    ClipSegment(x0, y0, x1, y1, Rect);
    for (double v : {x0, y0, x1, y1}) {
        EXPECT_GE(v, 0);
        EXPECT_LE(v, 10);
    }
}

TEST(ClipSegment, OutcodeBits) {
    EXPECT_EQ(PointOutcode(5, 5, Rect), 0);
    EXPECT_EQ(PointOutcode(-1, 5, Rect), 1);
    EXPECT_EQ(PointOutcode(11, 5, Rect), 2);
    EXPECT_EQ(PointOutcode(5, -1, Rect), 4);
    EXPECT_EQ(PointOutcode(5, 11, Rect), 8);
    EXPECT_EQ(PointOutcode(NAN, NAN, Rect), 5);
    EXPECT_EQ(PointOutcode(-1, 11, Rect), 9);
}

} // namespace
