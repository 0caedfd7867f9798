#include "ChartFixture.h"

#include <qcustomplot.h>

#include <cmath>
#include <limits>

TEST_F(ChartFixture, CalcPosValueIsLinearOverThePlotRectangleAndCalcPosPointReversesIt) {
    chart.BottomAxis().SetMinMax(-50, 150);
    chart.LeftAxis().SetMinMax(-80, 20);
    chart.Repaint();
    const QRect r = chart.ChartRect();
    ASSERT_GT(r.width(), 100);
    ASSERT_GT(r.height(), 100);

    // the plot's own linear map: the minimum at the left (bottom) edge, the span over the width (height)
    for (double x : {-50.0, -12.5, 0.0, 77.7, 150.0}) {
        const double expected = r.left() + (x + 50) / 200 * r.width();
        EXPECT_NEAR(chart.BottomAxis().CalcPosValue(x), expected, 0.5) << x;
        EXPECT_NEAR(chart.BottomAxis().CalcPosPoint(chart.BottomAxis().CalcPosValue(x)), x, 200.0 / r.width());
    }
    for (double y : {-80.0, -33.3, 0.0, 20.0}) {
        const double expected = r.bottom() - (y + 80) / 100 * r.height();
        EXPECT_NEAR(chart.LeftAxis().CalcPosValue(y), expected, 0.5) << y;
        EXPECT_NEAR(chart.LeftAxis().CalcPosPoint(chart.LeftAxis().CalcPosValue(y)), y, 100.0 / r.height());
    }
    for (int pixel : {r.left(), r.center().x(), r.right()})
        EXPECT_EQ(chart.BottomAxis().CalcPosValue(chart.BottomAxis().CalcPosPoint(pixel)), pixel);
}

TEST_F(ChartFixture, PixelConversionsKeepTheScaleOfTheLastDrawing) {
    chart.BottomAxis().SetMinMax(0, 100);
    chart.Repaint();
    const QRect r = chart.ChartRect();
    chart.BottomAxis().SetMinMax(40, 60); // not drawn yet: the edges still show the old range
    EXPECT_NEAR(chart.BottomAxis().CalcPosPoint(r.left()), 0, 1e-9);
    EXPECT_NEAR(chart.BottomAxis().CalcPosPoint(r.left() + r.width()), 100, 1e-9);
    chart.Repaint();
    EXPECT_NEAR(chart.BottomAxis().CalcPosPoint(r.left()), 40, 1e-9);
    EXPECT_EQ(chart.BottomAxis().CalcPosValue(std::numeric_limits<double>::quiet_NaN()), r.left());
}

TEST_F(ChartFixture, SetMinMaxSwapsReversedLimitsAndIgnoresNonFiniteOnes) {
    TChartAxis &axis = chart.LeftAxis();
    axis.SetMinMax(30, -10);
    EXPECT_EQ(axis.Minimum(), -10);
    EXPECT_EQ(axis.Maximum(), 30);
    axis.SetMinMax(std::numeric_limits<double>::quiet_NaN(), 5);
    axis.SetMinMax(0, std::numeric_limits<double>::infinity());
    EXPECT_EQ(axis.Minimum(), -10);
    EXPECT_EQ(axis.Maximum(), 30);
    axis.SetMaximum(-20); // below the minimum: the limits trade places
    EXPECT_EQ(axis.Minimum(), -20);
    EXPECT_EQ(axis.Maximum(), -10);

    // a range of one value is kept as given and still drawn
    axis.SetMinMax(0, 0);
    chart.Repaint();
    EXPECT_EQ(axis.Minimum(), 0);
    EXPECT_EQ(axis.Maximum(), 0);
    EXPECT_NEAR(axis.CalcPosValue(0), chart.ChartYCenter(), 1);
}

TEST_F(ChartFixture, TickLabelsFollowTheIncrementAndTheValueFormat) {
    TChartAxis &axis = chart.BottomAxis();
    axis.SetValueFormat(QStringLiteral("# ### ##0.#"));
    axis.SetMinMax(0, 4000000);
    axis.SetIncrement(1000000);
    chart.Repaint();
    const QCPAxis *drawn = Plot().xAxis;
    EXPECT_EQ(drawn->tickVector(), (QVector<double>{0, 1000000, 2000000, 3000000, 4000000}));
    EXPECT_EQ(drawn->tickVectorLabels(), (QStringList{"0", "1 000 000", "2 000 000", "3 000 000", "4 000 000"}));
    const QFontMetrics metrics(drawn->tickLabelFont());
    EXPECT_EQ(axis.MaxLabelsWidth(), metrics.horizontalAdvance(QStringLiteral("4 000 000")));

    axis.SetValueFormat(QStringLiteral("###0.###"));
    axis.SetMinMax(0, 1);
    axis.SetIncrement(0.25);
    chart.Repaint();
    EXPECT_EQ(drawn->tickVectorLabels(), (QStringList{"0", "0.25", "0.5", "0.75", "1"}));
}

// Over one range drawn again and again, the ticks still follow every change of what they depend on.
TEST_F(ChartFixture, TicksOfAnUnchangedRangeFollowTheFormatTheIncrementAndTheWidth) {
    TChartAxis &axis = chart.BottomAxis();
    axis.SetMinMax(0, 8);
    axis.SetIncrement(1);
    axis.SetValueFormat(QStringLiteral("###0"));
    chart.Repaint();
    const QCPAxis *drawn = Plot().xAxis;
    EXPECT_EQ(drawn->tickVector().size(), 9);
    axis.SetValueFormat(QStringLiteral("###0.0"));
    chart.Repaint();
    EXPECT_EQ(drawn->tickVectorLabels().value(1), QStringLiteral("1.0"));
    axis.SetIncrement(2);
    chart.Repaint();
    EXPECT_EQ(drawn->tickVector(), (QVector<double>{0, 2, 4, 6, 8}));
    axis.SetIncrement(1);
    chart.resize(120, 300); // too narrow for nine labels
    chart.Repaint();
    EXPECT_LT(drawn->tickVector().size(), 9);
}

TEST_F(ChartFixture, AnIncrementTooSmallForTheAxisIsWidenedNotDrawnTickByTick) {
    TChartAxis &axis = chart.BottomAxis();
    axis.SetMinMax(0, 1e6);
    axis.SetIncrement(1e-3); // a billion labels
    chart.Repaint();
    const auto ticks = Plot().xAxis->tickVector();
    ASSERT_GE(ticks.size(), 2);
    EXPECT_LE(ticks.size(), chart.ChartWidth());
    const double step = ticks[1] - ticks[0];
    EXPECT_NEAR(std::log2(step / 1e-3), std::round(std::log2(step / 1e-3)), 1e-9); // a power-of-two multiple

    for (double bad : {0.0, -5.0, std::numeric_limits<double>::quiet_NaN()}) {
        axis.SetIncrement(bad);
        EXPECT_EQ(axis.Increment(), 0);
        chart.Repaint();
        EXPECT_LE(Plot().xAxis->tickVector().size(), 20);
    }
}

// Half an hour of a time-of-day axis with a one-second increment: the labels step by a whole clock
// interval and fall on round times.
TEST_F(ChartFixture, ATimeOfDayAxisStepsByClockIntervals) {
    TChartAxis &axis = chart.BottomAxis();
    const double second = 1.0 / 86400;
    axis.SetValueFormat(QStringLiteral("hh:nn:ss"));
    axis.SetMinMax(46000.5 + 7 * second, 46000.5 + 7 * second + 1800 * second);
    axis.SetIncrement(second);
    chart.Repaint();
    const auto ticks = Plot().xAxis->tickVector();
    ASSERT_GE(ticks.size(), 2);
    const double step = std::round((ticks[1] - ticks[0]) / second);
    EXPECT_TRUE(step == 60 || step == 120 || step == 300 || step == 600 || step == 900) << step;
    for (const QString &label : Plot().xAxis->tickVectorLabels())
        EXPECT_TRUE(label.endsWith(QStringLiteral(":00"))) << label.toStdString();
}

TEST_F(ChartFixture, AnAutomaticAxisFollowsTheActiveSeriesOfThatAxis) {
    TChartSeries *a = chart.AddSeries(TChartSeries::Style::Line);
    TChartSeries *b = chart.AddSeries(TChartSeries::Style::Line);
    a->AddXY(1, 5);
    a->AddNull(9);
    a->AddXY(3, -2);
    b->AddXY(-4, 100);
    chart.LeftAxis().SetAutomatic(true);
    chart.BottomAxis().SetAutomatic(true);
    chart.Repaint();
    EXPECT_EQ(chart.BottomAxis().Minimum(), -4);
    EXPECT_EQ(chart.BottomAxis().Maximum(), 3); // the gap at 9 is no value
    EXPECT_EQ(chart.LeftAxis().Maximum(), 100);
    b->SetActive(false);
    chart.Repaint();
    EXPECT_EQ(chart.LeftAxis().Minimum(), -2);
    EXPECT_EQ(chart.LeftAxis().Maximum(), 5);
    b->SetVertAxis(chart.RightAxis());
    b->SetActive(true);
    chart.Repaint();
    EXPECT_EQ(chart.LeftAxis().Maximum(), 5);
}
