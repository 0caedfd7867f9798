#include "engine/masks/MaskPolygon.h"
#include "views/masks/MaskDrawing.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>

namespace {

// A plot of 200 x 100 pixels showing x 0..20 and y 0..10, y growing upwards.
TMaskView View() {
    return {0, 20, 0, 10, [](double x) { return x * 10; }, [](double y) { return 100 - y * 10; }};
}

TMASK Mask(std::vector<TMaskPoint> points, bool upper, bool line = false) {
    TMASK mask;
    mask.Points = std::move(points);
    mask.Upper = upper;
    mask.IsLine = line;
    return mask;
}

std::vector<QPointF> Polygon(const TMASK &mask) {
    return MaskPolygon(mask, View()).Points;
}

TEST(MaskPolygon, UpperTemplateClosesAlongTheTopEdge) {
    const TMaskPolygon polygon = MaskPolygon(Mask({{0, 5}, {10, 5}, {15, 8}}, true), View());
    EXPECT_TRUE(polygon.Filled);
    EXPECT_EQ(polygon.Hatch, TMaskHatch::Backward);
    const std::vector<QPointF> expected = {{0, 0},    {0, 50},   {0, 50},   {100, 50},
                                           {100, 50}, {150, 20}, {150, 20}, {150, 0}};
    EXPECT_EQ(polygon.Points, expected);
}

TEST(MaskPolygon, LowerTemplateClosesAlongTheBottomEdge) {
    const TMaskPolygon polygon = MaskPolygon(Mask({{0, 5}, {10, 5}}, false), View());
    EXPECT_EQ(polygon.Hatch, TMaskHatch::Forward);
    ASSERT_EQ(polygon.Points.size(), 6u);
    EXPECT_EQ(polygon.Points.front(), QPointF(0, 100));
    EXPECT_EQ(polygon.Points.back(), QPointF(100, 100));
}

TEST(MaskPolygon, LineMaskIsAnOpenPolylineOfTheCurve) {
    const TMaskPolygon polygon = MaskPolygon(Mask({{0, 5}, {10, 5}, {15, 8}}, true, true), View());
    EXPECT_FALSE(polygon.Filled);
    const std::vector<QPointF> expected = {{0, 50}, {0, 50}, {100, 50}, {100, 50}, {150, 20}};
    EXPECT_EQ(polygon.Points, expected);
}

TEST(MaskPolygon, CurveBeyondThePlotIsClippedOntoItsBorder) {
    // The first segment lies wholly above the plot, the last runs out of it on the right.
    const std::vector<QPointF> points = Polygon(Mask({{-5, 20}, {5, 20}, {5, 5}, {30, 5}}, true));
    const std::vector<QPointF> expected = {
        {0, 0},               // the top edge above the first x, clamped to the left edge
        {0, 0},               // the first x clamped, at the height of the first clipped point
        {0, 0},    {50, 0},   // the first segment clamped onto the top edge
        {50, 0},   {50, 50},  // the vertical segment cut at the top edge
        {50, 50},  {200, 50}, // the last segment cut at the right edge
        {200, 50}, {200, 0},
    };
    EXPECT_EQ(points, expected);
}

TEST(MaskPolygon, TooFewOrOnlyUndrawablePointsGiveNothing) {
    EXPECT_TRUE(Polygon(Mask({{1, 1}}, true)).empty());
    EXPECT_TRUE(Polygon(Mask({{NAN, 1}, {2, INFINITY}}, true)).empty());
}

int HatchPixels(const QImage &image, int top, int bottom) {
    int count = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixel(x, y) != qRgb(255, 255, 255);
    return count;
}

TEST(MaskDrawing, TemplateIsHatchedOnTheForbiddenSideOnly) {
    QImage image(200, 100, QImage::Format_RGB32);
    image.fill(Qt::white);
    TMASK upper = Mask({{0, 5}, {20, 5}}, true);
    upper.Colour = 0x0000FF; // red as 0x00BBGGRR
    {
        QPainter painter(&image);
        DrawMaskOnChart(painter, upper, View());
    }
    EXPECT_GT(HatchPixels(image, 2, 48), 200);
    EXPECT_EQ(HatchPixels(image, 53, 100), 0);
    EXPECT_EQ(image.pixel(100, 50), qRgb(255, 0, 0));
}

} // namespace
