#include "views/GraphDecimation.h"
#include "platform/NoValue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <random>
#include <vector>

namespace {

struct PixelExtremes {
    float lo = std::numeric_limits<float>::max();
    float hi = std::numeric_limits<float>::lowest();
};

// The extremes of every pixel, by bucketing each point on its own.
std::map<long, PixelExtremes> BucketExtremes(const std::vector<float> &x, const std::vector<float> &y, double edge,
                                             double width) {
    std::map<long, PixelExtremes> buckets;
    for (std::size_t i = 0; i < x.size(); ++i) {
        PixelExtremes &b = buckets[long(std::floor((x[i] - edge) / width))];
        b.lo = std::min(b.lo, y[i]);
        b.hi = std::max(b.hi, y[i]);
    }
    return buckets;
}

void ExpectTwoPointsPerPixelWithExtremes(const std::vector<float> &x, const std::vector<float> &y, int pixels) {
    const double width = PixelBinWidth(x.back() + 1 - x.front(), 0, pixels);
    TBinGeometry geometry{width, 0, x.front(), x.front() + width};
    TDecimatedCurve curve;
    DecimateCurve(0, x.data(), y.data(), int32_t(x.size()), geometry, curve);

    const auto expected = BucketExtremes(x, y, x.front(), width);
    std::map<long, std::vector<float>> drawn;
    for (const TPlotPoint &p : curve.Points) {
        ASSERT_FALSE(p.Gap);
        drawn[long(std::floor((p.X - x.front()) / width))].push_back(float(p.Y));
    }
    EXPECT_LE(int(drawn.size()), pixels);
    EXPECT_EQ(drawn.size(), expected.size());
    for (const auto &[pixel, values] : drawn) {
        EXPECT_LE(values.size(), 2u) << "pixel " << pixel;
        EXPECT_EQ(*std::min_element(values.begin(), values.end()), expected.at(pixel).lo) << "pixel " << pixel;
        EXPECT_EQ(*std::max_element(values.begin(), values.end()), expected.at(pixel).hi) << "pixel " << pixel;
    }
    EXPECT_TRUE(curve.HasValue);
}

TEST(GraphDecimation, RampOf32768PointsKeepsEachPixelsExtremesInTwoPoints) {
    std::vector<float> x(32768), y(32768);
    for (int i = 0; i < 32768; ++i) {
        x[i] = float(i);
        y[i] = float(i) * 0.5f - 3000;
    }
    ExpectTwoPointsPerPixelWithExtremes(x, y, 400);
}

TEST(GraphDecimation, NoisyCurveKeepsEachPixelsExtremesInTwoPoints) {
    std::mt19937 random(0);
    std::normal_distribution<float> noise(0, 1);
    std::vector<float> x(32768), y(32768);
    for (int i = 0; i < 32768; ++i) {
        x[i] = float(i) * 0.125f;
        y[i] = noise(random);
    }
    ExpectTwoPointsPerPixelWithExtremes(x, y, 397);
}

TEST(GraphDecimation, AllSentinelCurveGivesOnlyGapsExceptForTheMasterKinds) {
    std::vector<float> x(1000), y(1000, NoValue);
    for (int i = 0; i < 1000; ++i)
        x[i] = float(i);
    const TBinGeometry geometry{10, 0, 0, 10};
    for (int kind : {0, 1, 5, 16, 21, 25, 18, 19}) {
        TDecimatedCurve curve;
        DecimateCurve(kind, x.data(), y.data(), 1000, geometry, curve);
        EXPECT_FALSE(curve.HasValue) << kind;
        const bool master = kind == 18 || kind == 19;
        EXPECT_EQ(curve.Points.empty(), master) << kind;
        for (const TPlotPoint &p : curve.Points)
            EXPECT_TRUE(p.Gap) << kind;
        // One gap per pixel; the selective response kinds leave out the one at the end.
        if (!master) {
            EXPECT_EQ(int(curve.Points.size()), kind == 25 ? 99 : 100) << kind;
        }
    }
}

TEST(GraphDecimation, SpectraEndOneStepBeyondTheirLastPoint) {
    const float single[] = {12.5f};
    const float level[] = {-40};
    TDecimatedCurve curve;
    DecimateCurve(1, single, level, 1, TBinGeometry{0.1, 0.25, 0, 0.1}, curve);
    ASSERT_EQ(curve.Points.size(), 2u);
    EXPECT_DOUBLE_EQ(curve.Points[0].X, 12.25);
    EXPECT_DOUBLE_EQ(curve.Points[1].X, 12.75);
    EXPECT_EQ(curve.Points[1].Y, -40);

    const float x[] = {1, 2, 3};
    const float y[] = {-10, -20, -30};
    DecimateCurve(2, x, y, 3, TBinGeometry{0.1, 0.5, 0, 0.1}, curve);
    ASSERT_EQ(curve.Points.size(), 4u); // the maximum of each pixel only, then the end
    EXPECT_DOUBLE_EQ(curve.Points.back().X, 2 * 3 - 2 - 0.5);
    EXPECT_EQ(curve.Points.back().Y, -30);
}

TEST(GraphDecimation, SelectiveLevelsDrawOnePixelBarsThatFallToTheFloor) {
    const float x[] = {100, 200};
    const float y[] = {-300, -20};
    TDecimatedCurve curve;
    DecimateCurve(21, x, y, 2, TBinGeometry{1, 0, 0, 1}, curve);
    ASSERT_EQ(curve.Points.size(), 5u);
    EXPECT_DOUBLE_EQ(curve.Points[0].X, 99);
    EXPECT_DOUBLE_EQ(curve.Points[1].X, 100);
    EXPECT_DOUBLE_EQ(curve.Points[2].X, 101);
    EXPECT_EQ(curve.Points[3].Y, -20);
    EXPECT_EQ(curve.Points[4].Y, -20); // the end one step beyond
    EXPECT_TRUE(curve.HasValue);
}

TEST(GraphDecimation, ASentinelInsideAPixelIsNeitherItsMinimumNorItsMaximum) {
    const float x[] = {0, 0.1f, 0.2f, 5};
    const float y[] = {3, NoValue, 7, 1};
    TDecimatedCurve curve;
    DecimateCurve(0, x, y, 4, TBinGeometry{1, 0, 0, 1}, curve);
    for (const TPlotPoint &p : curve.Points)
        EXPECT_NE(float(p.Y), NoValue);
    ASSERT_EQ(curve.Points.size(), 4u);
    EXPECT_EQ(curve.Points[0].Y, 3);
    EXPECT_EQ(curve.Points[1].Y, 7);
}

TEST(GraphDecimation, PointsLeftOfTheFirstEdgeAreNotDrawnButCountAsValues) {
    const float x[] = {-5, -4};
    const float y[] = {1, 2};
    TDecimatedCurve curve;
    DecimateCurve(0, x, y, 2, TBinGeometry{1, 0, 0, 1}, curve);
    EXPECT_TRUE(curve.Points.empty());
    EXPECT_TRUE(curve.HasValue);
}

TEST(GraphDecimation, AnUnusableBinWidthDrawsEveryPointAndEnds) {
    const float x[] = {0, 1, 2, 3};
    const float y[] = {4, 5, 6, 7};
    for (double width : {0.0, -1.0, std::nan(""), HUGE_VAL}) {
        TDecimatedCurve curve;
        DecimateCurve(5, x, y, 4, TBinGeometry{width, 0, 0, 0}, curve);
        ASSERT_EQ(curve.Points.size(), 5u) << width; // the last pixel adds its minimum as well
        EXPECT_EQ(curve.Points[2].Y, 6);
    }
}

TEST(GraphDecimation, MissingArraysOrNoPointsLeaveNothing) {
    const float x[] = {1};
    TDecimatedCurve curve;
    curve.Points.push_back({1, 1, false});
    DecimateCurve(0, x, nullptr, 1, TBinGeometry{1, 0, 0, 1}, curve);
    EXPECT_TRUE(curve.Points.empty());
    DecimateCurve(0, x, x, 0, TBinGeometry{1, 0, 0, 1}, curve);
    EXPECT_TRUE(curve.Points.empty());
}

TEST(GraphDecimation, BinWidthFallsBackToTheFullRangeWhenZoomedBelowItsFloor) {
    EXPECT_DOUBLE_EQ(PixelBinWidth(4, 100, 400), 0.01);
    EXPECT_DOUBLE_EQ(PixelBinWidth(0.001, 100, 400), 0.25);
    EXPECT_EQ(PixelBinWidth(0, 0, 400), 0);
    EXPECT_EQ(PixelBinWidth(std::nan(""), std::nan(""), 400), 0);
    EXPECT_EQ(PixelBinWidth(10, 10, 0), 0);
}

} // namespace
