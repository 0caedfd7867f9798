#include "ChartFixture.h"

#include <cmath>
#include <utility>
#include <vector>

TEST_F(ChartFixture, GapsAreSkippedByTheRangeFunctions) {
    TChartSeries *s = chart.AddSeries(TChartSeries::Style::Line);
    s->AddNull(-100);
    s->AddXY(2, 7);
    s->AddNull(50);
    s->AddXY(4, -3, QStringLiteral("p"));
    s->AddXY(std::nan(""), 1000); // no x: a gap as well
    EXPECT_EQ(s->MinXValue(), 2);
    EXPECT_EQ(s->MaxXValue(), 4);
    EXPECT_EQ(s->MinYValue(), -3);
    EXPECT_EQ(s->MaxYValue(), 7);

    TChartSeries *onlyGaps = chart.AddSeries(TChartSeries::Style::StairsArea);
    onlyGaps->AddNull(1);
    onlyGaps->AddNull(2);
    EXPECT_EQ(onlyGaps->Count(), 2);
    EXPECT_EQ(onlyGaps->MinXValue(), 0);
    EXPECT_EQ(onlyGaps->MaxYValue(), 0);
}

TEST_F(ChartFixture, PointsKeepXAscendingWithTheirLabelsAndColoursUnlessUnordered) {
    TChartSeries *s = chart.AddSeries(TChartSeries::Style::Line);
    s->AddXY(1, 10);
    s->AddXY(3, 30, QStringLiteral("c"), Qt::green);
    s->AddNull(2); // a gap whose x comes late
    s->AddXY(3, 31);
    s->AddXY(0, 0, QStringLiteral("a"));
    const double xs[] = {0, 1, 2, 3, 3};
    const double ys[] = {0, 10, NAN, 30, 31};
    const char *labels[] = {"a", "", "", "c", ""};
    ASSERT_EQ(s->Count(), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(s->XValue(i), xs[i]) << i;
        EXPECT_EQ(std::isnan(s->YValue(i)), std::isnan(ys[i])) << i;
        if (!std::isnan(ys[i])) {
            EXPECT_EQ(s->YValue(i), ys[i]) << i;
        }
        EXPECT_EQ(s->Label(i), QString::fromLatin1(labels[i])) << i;
    }
    EXPECT_TRUE(s->IsNull(2));
    EXPECT_EQ(s->ValueColor(3), QColor(Qt::green));
    EXPECT_EQ(s->ValueColor(4), s->Color());

    // outside the points
    EXPECT_TRUE(std::isnan(s->XValue(-1)));
    EXPECT_TRUE(std::isnan(s->YValue(5)));
    EXPECT_TRUE(s->IsNull(5));
    EXPECT_EQ(s->Label(99), QString());

    TChartSeries *cursor = chart.AddSeries(TChartSeries::Style::Line);
    cursor->SetXOrdered(false);
    for (double x : {5.0, 5.0, 5.0, std::nan(""), 0.0, 5.0, 10.0})
        cursor->AddXY(x, 1);
    EXPECT_EQ(cursor->XValue(4), 0);
    EXPECT_EQ(cursor->XValue(6), 10);
}

TEST_F(ChartFixture, ALabelOnTheFirstPointIsKept) {
    // A curve that starts with a labelled gap, then a point inserted in front of it.
    TChartSeries *s = chart.AddSeries(TChartSeries::Style::Line);
    s->AddXY(1, NAN, QStringLiteral("NULL"));
    s->AddXY(2, 5);
    s->AddXY(0, 3);
    ASSERT_EQ(s->Count(), 3);
    EXPECT_EQ(s->Label(0), QString());
    EXPECT_EQ(s->Label(1), QStringLiteral("NULL"));
    EXPECT_EQ(s->Label(2), QString());

    s->Clear();
    s->AddXY(4, 4, QStringLiteral("only"));
    EXPECT_EQ(s->Label(0), QStringLiteral("only"));
}

TEST_F(ChartFixture, ColorRangeColoursThePointsInsideTheClosedInterval) {
    TChartSeries *s = chart.AddSeries(TChartSeries::Style::StairsArea);
    for (int i = 0; i < 6; ++i)
        s->AddXY(i, 1);
    s->ColorRange(1, 3, Qt::blue);
    s->ColorRange(3, 3, Qt::red);
    const QColor expected[] = {s->Color(), Qt::blue, Qt::blue, Qt::red, s->Color(), s->Color()};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(s->ValueColor(i), expected[i]) << i;
    s->Clear();
    EXPECT_EQ(s->Count(), 0);
    EXPECT_EQ(chart.SeriesCount(), 1);
    chart.RemoveSeries(s);
    EXPECT_EQ(chart.SeriesCount(), 0);
    EXPECT_EQ(chart.Series(0), nullptr);
}

// A mark shows what its style names; the mark-text handler may change it or leave the point without one.
TEST_F(ChartFixture, MarksFollowTheirStyleAndTheHandler) {
    TChartSeries *s = chart.AddSeries(TChartSeries::Style::Line);
    s->AddXY(1.5, -7.25, QStringLiteral("a"));
    s->AddNull(2);
    s->AddXY(3, 4);
    EXPECT_FALSE(s->MarksVisible());
    struct Case {
        int style;
        const char16_t *first, *last;
    };
    const Case cases[] = {{TChartSeries::MarksValue, u"-7.25", u"4.00"},
                          {TChartSeries::MarksLabel, u"a", u""},
                          {TChartSeries::MarksLabelValue, u"a -7.25", u"4.00"},
                          {TChartSeries::MarksXValue, u"1.50", u"3.00"}};
    for (const Case &c : cases) {
        s->SetMarks(true, c.style);
        EXPECT_EQ(s->MarkText(0), QString::fromUtf16(c.first)) << c.style;
        EXPECT_EQ(s->MarkText(2), QString::fromUtf16(c.last)) << c.style;
        EXPECT_EQ(s->MarkText(1), QString()) << "a gap has no mark";
    }
    s->OnGetMarkText = [](const TChartSeries &, int index, QString &text) {
        if (index == 0)
            text.clear();
    };
    EXPECT_EQ(s->MarkText(0), QString());
    EXPECT_EQ(s->MarkText(2), QStringLiteral("3.00"));
    chart.Repaint(); // drawing the marks
}

// Colouring a range and snapping an interval search the points when their x ascend; whatever the points,
// both must give what going through every point gives.
TEST_F(ChartFixture, ColourRangesAndSnappedIntervalsMatchAWalkThroughEveryPoint) {
    const double nan = std::nan(""), inf = INFINITY;
    struct Points {
        const char *name;
        std::vector<double> x; // in the order added
        bool ordered;
        bool ascending;
    } const pointSets[] = {
        {"ascending", {0, 1, 2, 3, 4, 5}, true, true},
        {"repeated x", {0, 1, 1, 1, 2, 4}, true, true},
        {"added out of order, kept ascending", {5, 1, 3, 0, 4, 2}, true, true},
        {"a gap without x", {0, 1, nan, 3, 4}, true, false},
        {"a gap without x, then smaller x", {3, nan, 1, 2}, true, false},
        {"unordered", {4, 2, 5, 0, 3}, false, false},
        {"unordered but ascending", {0, 2, 3, 7}, false, true},
        {"infinite ends", {-inf, 0, 1, inf}, true, true},
        {"one point", {2}, true, true},
        {"none", {}, true, true},
    };
    const std::pair<double, double> intervals[] = {
        {1, 3}, {3, 3}, {1.5, 2.5}, {-10, 10}, {-10, -5}, {6, 9}, {3, 1}, {nan, 3}, {1, nan}, {4, 5}, {0, 0}, {5, 5},
        {-inf, 1}, {2, inf},
    };
    for (const Points &points : pointSets) {
        SCOPED_TRACE(points.name);
        TChartSeries *s = chart.AddSeries(TChartSeries::Style::StairsArea);
        s->SetXOrdered(points.ordered);
        for (double x : points.x)
            s->AddXY(x, 1);
        EXPECT_EQ(s->XAscending(), points.ascending);
        std::vector<double> xs;
        for (int i = 0; i < s->Count(); ++i)
            xs.push_back(s->XValue(i));
        for (const auto &[from, to] : intervals) {
            SCOPED_TRACE(testing::Message() << "[" << from << ", " << to << "]");
            s->ColorRange(-inf, inf, QColor()); // back to the series colour, gaps without x stay so too
            s->ColorRange(from, to, Qt::blue);
            for (int i = 0; i < s->Count(); ++i) {
                const bool inside = xs[std::size_t(i)] >= from && xs[std::size_t(i)] <= to;
                EXPECT_EQ(s->ValueColor(i), inside ? QColor(Qt::blue) : s->Color()) << "point " << i;
            }
            // Each bound moves to the right point of the first neighbours that hold it.
            double expectedFrom = from, expectedTo = to;
            bool fromFound = false, toFound = false;
            for (std::size_t p = 0; p + 1 < xs.size(); ++p) {
                if (!fromFound && xs[p] <= from && from <= xs[p + 1])
                    expectedFrom = xs[p + 1], fromFound = true;
                if (!toFound && xs[p] <= to && to <= xs[p + 1])
                    expectedTo = xs[p + 1], toFound = true;
            }
            double snappedFrom = from, snappedTo = to;
            EXPECT_EQ(s->SnapInterval(snappedFrom, snappedTo), fromFound || toFound);
            EXPECT_EQ(std::isnan(snappedFrom), std::isnan(expectedFrom));
            if (!std::isnan(expectedFrom))
                EXPECT_EQ(snappedFrom, expectedFrom);
            if (!std::isnan(expectedTo))
                EXPECT_EQ(snappedTo, expectedTo);
        }
        chart.RemoveSeries(s);
    }
}
