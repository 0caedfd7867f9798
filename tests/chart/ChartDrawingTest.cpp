#include "ChartFixture.h"

#include <QPainter>

namespace {

QColor PixelAt(const QImage &image, int x, int y) {
    return QColor(image.pixel(x, y));
}

} // namespace

// Five stairs bars over 0..10: point i at x = 2i holds its height up to the next point; point 3 is a gap.
class StairsFixture : public ChartFixture {
protected:
    StairsFixture() {
        area = chart.AddSeries(TChartSeries::Style::StairsArea);
        area->SetColor(Qt::darkGray);
        area->AddXY(0, 8);
        area->AddXY(2, 4, {}, Qt::red);
        area->AddXY(4, 6, {}, Qt::blue);
        area->AddNull(6);
        area->AddXY(8, 2, {}, Qt::green);
        area->AddXY(10, 2);
        chart.Repaint();
        image = chart.Bitmap();
    }
    int X(double x) { return chart.BottomAxis().CalcPosValue(x); }
    int Y(double y) { return chart.LeftAxis().CalcPosValue(y); }

    TChartSeries *area;
    QImage image;
};

TEST_F(StairsFixture, EachStepFillsDownToTheBottomInTheColourOfThePointThatEndsIt) {
    const int bottom = chart.ChartRect().bottom() - 1;
    struct Step {
        double from, to, height;
        QColor colour;
    };
    const Step steps[] = {
        {0, 2, 8, Qt::red},       // ended by point 1
        {2, 4, 4, Qt::blue},      // ended by point 2
        {8, 10, 2, Qt::darkGray}, // ended by the last point, in the series colour
    };
    for (const Step &s : steps) {
        const int x = (X(s.from) + X(s.to)) / 2;
        EXPECT_EQ(PixelAt(image, x, bottom), s.colour) << s.from;
        EXPECT_EQ(PixelAt(image, x, Y(s.height) + 2), s.colour) << s.from;
        EXPECT_EQ(PixelAt(image, x, Y(s.height) - 3), QColor(Qt::white)) << s.from;
    }
}

TEST_F(StairsFixture, NoStepTouchesAGap) {
    const int bottom = chart.ChartRect().bottom() - 1;
    EXPECT_EQ(PixelAt(image, (X(4) + X(6)) / 2, bottom), QColor(Qt::white));
    EXPECT_EQ(PixelAt(image, (X(6) + X(8)) / 2, bottom), QColor(Qt::white));
}

TEST_F(ChartFixture, ALineBreaksAtAGapAndAfterDrawPaintsAboveIt) {
    TChartSeries *line = chart.AddSeries(TChartSeries::Style::Line);
    line->SetColor(Qt::blue);
    line->SetLineWidth(3);
    // off the grid lines, which would look like the line itself
    line->AddXY(0, 5.3);
    line->AddXY(4, 5.3);
    line->AddNull(5);
    line->AddXY(6, 5.3);
    line->AddXY(10, 5.3);
    QRect seenRect;
    chart.SetOnAfterDraw([&](QPainter &painter, const QRect &chartRect) {
        seenRect = chartRect;
        painter.fillRect(QRect(QPoint(chart.BottomAxis().CalcPosValue(8), chart.LeftAxis().CalcPosValue(6)),
                               QPoint(chart.BottomAxis().CalcPosValue(9), chart.LeftAxis().CalcPosValue(4))),
                         Qt::magenta);
    });
    chart.Repaint();
    const QImage image = chart.Bitmap();
    EXPECT_EQ(seenRect, chart.ChartRect());
    const int y = chart.LeftAxis().CalcPosValue(5.3);
    const auto x = [&](double v) { return chart.BottomAxis().CalcPosValue(v); };
    EXPECT_EQ(PixelAt(image, x(2), y), QColor(Qt::blue));
    EXPECT_EQ(PixelAt(image, x(5), y), QColor(Qt::white)); // the gap between 4 and 6
    EXPECT_EQ(PixelAt(image, x(7), y), QColor(Qt::blue));
    EXPECT_EQ(PixelAt(image, x(8) + 5, y), QColor(Qt::magenta)); // above the line

    line->SetActive(false);
    chart.SetOnAfterDraw({});
    EXPECT_EQ(PixelAt(chart.Bitmap(), x(2), y), QColor(Qt::white));
}

// A line without pen shows only its pointers; every pointer style puts colour at its point; marks write
// the value or the x above the point.
TEST_F(ChartFixture, PointersAndMarksOfALineWithoutPen) {
    TChartSeries *line = chart.AddSeries(TChartSeries::Style::Line);
    line->SetColor(Qt::blue);
    line->AddXY(2, 5.3);
    line->AddXY(8, 5.3);
    line->SetPenVisible(false);
    const auto x = [&](double v) { return chart.BottomAxis().CalcPosValue(v); };
    const int y = chart.LeftAxis().CalcPosValue(5.3);
    const auto blueAround = [&](const QImage &image, int cx, int cy) {
        int count = 0;
        for (int dx = -3; dx <= 3; ++dx)
            for (int dy = -3; dy <= 3; ++dy)
                count += PixelAt(image, cx + dx, cy + dy) == QColor(Qt::blue);
        return count;
    };
    chart.Repaint();
    QImage image = chart.Bitmap();
    EXPECT_EQ(PixelAt(image, x(5), y), QColor(Qt::white)); // no pen between the points
    EXPECT_EQ(blueAround(image, x(2), y), 0);

    for (int style = 0; style < TChartSeries::PointerStyleCount; ++style) {
        line->SetPointer(true, TChartSeries::PointerStyle(style), 7);
        chart.Repaint();
        image = chart.Bitmap();
        EXPECT_GT(blueAround(image, x(2), y), 0) << style;
        EXPECT_EQ(PixelAt(image, x(5), y), QColor(Qt::white)) << style;
    }

    line->SetPointer(false, TChartSeries::PointerStyle::Rectangle, 1);
    const auto blueAbove = [&](const QImage &shown) {
        int count = 0;
        for (int dx = -20; dx <= 20; ++dx)
            for (int dy = 4; dy <= 20; ++dy)
                count += PixelAt(shown, x(8) + dx, y - dy) == QColor(Qt::blue);
        return count;
    };
    chart.Repaint();
    EXPECT_EQ(blueAbove(chart.Bitmap()), 0);
    line->SetMarks(true, TChartSeries::MarksXValue);
    EXPECT_EQ(line->MarksStyle(), TChartSeries::MarksXValue);
    chart.Repaint();
    EXPECT_GT(blueAbove(chart.Bitmap()), 0);
    line->SetMarks(true, 3); // anything but the x is the value
    EXPECT_EQ(line->MarksStyle(), TChartSeries::MarksValue);
}
