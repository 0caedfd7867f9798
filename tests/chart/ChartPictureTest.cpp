// The stairs area drawn per pixel column against pictures of the same chart drawn bin by bin by the test:
// the polygon drawing the chart had before (right wherever every bin is wider than a pixel) and the plain
// drawing of every bin as a rectangle at least one pixel wide, higher bins over lower ones (what the user
// must see at any zoom); and a wide line drawn in column bars against the same line stroked by Qt. The
// pictures may differ only at the edges of what they fill.
#include "ChartFixture.h"

#include "chart/ChartSeries.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace {

constexpr int Bins = 16384;

struct TBin {
    double X, Y;
    QColor Colour;
};

// The reference drawings, on the plot's layer below the series.
class ReferenceStairs final : public QCPAbstractPlottable {
public:
    enum class Mode { Polygon, Rectangles, WideLine };
    ReferenceStairs(QCustomPlot &plot, const std::vector<TBin> &bins, Mode mode)
        : QCPAbstractPlottable(plot.xAxis, plot.yAxis), bins_(bins), mode_(mode) {
        setAntialiased(false);
        setAntialiasedFill(false);
    }
    double selectTest(const QPointF &, bool, QVariant *) const override { return -1; }
    QCPRange getKeyRange(bool &found, QCP::SignDomain) const override { return found = false, QCPRange(); }
    QCPRange getValueRange(bool &found, QCP::SignDomain, const QCPRange &) const override {
        return found = false, QCPRange();
    }

protected:
    void drawLegendIcon(QCPPainter *, const QRectF &) const override {}
    void draw(QCPPainter *painter) override {
        painter->setPen(Qt::NoPen);
        if (mode_ == Mode::Polygon)
            Polygons(painter);
        else if (mode_ == Mode::Rectangles)
            Rectangles(painter);
        else
            Polyline(painter);
    }

private:
    double X(double v) const { return mKeyAxis->coordToPixel(v); }
    double Y(double v) const { return mValueAxis->coordToPixel(v); }

    // Step i from bin i - 1 to bin i at the height of bin i - 1 in the colour of bin i; neighbouring steps
    // of one colour as one polygon.
    void Polygons(QCPPainter *painter) const {
        const double bottom = Y(mValueAxis->range().lower);
        QPolygonF run;
        QColor runColour;
        const auto flush = [&] {
            if (run.size() > 1) {
                run << QPointF(run.back().x(), bottom);
                painter->setBrush(runColour);
                painter->drawPolygon(run);
            }
            run.clear();
        };
        for (std::size_t i = 1; i < bins_.size(); ++i) {
            if (bins_[i].Colour != runColour)
                flush();
            runColour = bins_[i].Colour;
            if (run.isEmpty())
                run << QPointF(X(bins_[i - 1].X), bottom);
            run << QPointF(X(bins_[i - 1].X), Y(bins_[i - 1].Y)) << QPointF(X(bins_[i].X), Y(bins_[i - 1].Y));
        }
        flush();
    }

    // Every step as a rectangle over the columns whose centres it covers, or the column of its left end,
    // the highest painted last.
    void Rectangles(QCPPainter *painter) const {
        std::vector<std::size_t> order;
        for (std::size_t i = 1; i < bins_.size(); ++i)
            order.push_back(i);
        std::stable_sort(order.begin(), order.end(),
                         [&](std::size_t a, std::size_t b) { return bins_[a - 1].Y < bins_[b - 1].Y; });
        const int bottom = int(std::lround(Y(mValueAxis->range().lower)));
        for (std::size_t i : order) {
            const double left = X(bins_[i - 1].X), right = X(bins_[i].X);
            int from = int(std::lround(left)), to = int(std::lround(right));
            if (to <= from) {
                from = int(std::floor(left));
                to = from + 1;
            }
            const int top = int(std::lround(Y(bins_[i - 1].Y)));
            painter->fillRect(QRect(QPoint(from, top), QPoint(to - 1, bottom - 1)), bins_[i].Colour);
        }
    }

    // The bins as one polyline in a three-pixel pen.
    void Polyline(QCPPainter *painter) const {
        QPolygonF line;
        for (const TBin &bin : bins_)
            line << QPointF(X(bin.X), Y(bin.Y));
        painter->setPen(QPen(Qt::darkGray, 3));
        painter->drawPolyline(line);
    }

    const std::vector<TBin> &bins_;
    Mode mode_;
};

class StairsPicture : public ChartFixture {
protected:
    StairsPicture() {
        chart.resize(800, 500);
        chart.LeftAxis().SetMinMax(-100, 0);
        area = chart.AddSeries(TChartSeries::Style::StairsArea);
        area->SetColor(Qt::darkGray);
    }

    // A smooth spectrum, its band in blue, with the noise of the given depth on every bin.
    void Fill(double noise) {
        std::mt19937 random(7);
        std::uniform_real_distribution<double> spread(-noise, noise);
        bins.clear();
        area->Clear();
        for (int i = 0; i < Bins; ++i) {
            const double y = -60 + 10 * std::sin(2 * M_PI * i / Bins) + spread(random);
            bins.push_back({double(i), y, i >= 4000 && i < 6000 ? QColor(Qt::blue) : QColor(Qt::darkGray)});
        }
    }
    void ColourBin(int i, const QColor &colour) { bins[std::size_t(i)].Colour = colour; }
    void Show(double from, double to) {
        for (const TBin &bin : bins)
            area->AddXY(bin.X, bin.Y, {}, bin.Colour);
        chart.BottomAxis().SetMinMax(from, to);
        chart.Repaint();
    }

    QImage Picture() { return chart.Bitmap().convertToFormat(QImage::Format_RGB32); }
    QImage ReferencePicture(ReferenceStairs::Mode mode, TChartSeries *shown = nullptr) {
        shown = shown ? shown : area;
        auto *reference = new ReferenceStairs(Plot(), bins, mode);
        shown->SetActive(false);
        QImage image = Picture();
        Plot().removePlottable(reference);
        shown->SetActive(true);
        return image;
    }

    // Pixels of the plot that differ, all of them and those away from every edge of the reference.
    struct TDifference {
        int All = 0, AwayFromEdges = 0;
    };
    // An edge: a pixel with another colour within reach pixels in the reference.
    TDifference Compare(const QImage &shown, const QImage &reference, int reach = 1) {
        TDifference difference;
        const QRect plot = chart.ChartRect().adjusted(reach, reach, -reach, -reach);
        const auto atEdge = [&](int x, int y) {
            for (int dy = -reach; dy <= reach; ++dy)
                for (int dx = -reach; dx <= reach; ++dx)
                    if (reference.pixel(x + dx, y + dy) != reference.pixel(x, y))
                        return true;
            return false;
        };
        for (int y = plot.top(); y <= plot.bottom(); ++y)
            for (int x = plot.left(); x <= plot.right(); ++x)
                if (shown.pixel(x, y) != reference.pixel(x, y)) {
                    ++difference.All;
                    difference.AwayFromEdges += !atEdge(x, y);
                }
        return difference;
    }
    int PlotPixels() { return chart.ChartRect().width() * chart.ChartRect().height(); }

    TChartSeries *area;
    std::vector<TBin> bins;
};

} // namespace

// Sixteen thousand bins on some seven hundred columns, and twenty bins over the whole plot.
TEST_F(StairsPicture, MatchesEveryBinDrawnAsARectangleAtFullRangeAndZoomed) {
    struct Case {
        const char *name;
        double noise, from, to;
    };
    for (const Case &c : {Case{"full range", 3, 0, Bins - 1}, Case{"20 bins", 3, 8000, 8020}}) {
        SCOPED_TRACE(c.name);
        Fill(c.noise);
        Show(c.from, c.to);
        const TDifference d = Compare(Picture(), ReferencePicture(ReferenceStairs::Mode::Rectangles));
        EXPECT_EQ(d.AwayFromEdges, 0);
        EXPECT_LT(d.All, PlotPixels() / 200);
    }
}

// Where every bin is wider than a pixel the old polygon drawing showed every bin; so does the new one.
TEST_F(StairsPicture, MatchesThePolygonDrawingWhereEveryBinIsWiderThanAPixel) {
    Fill(3);
    ColourBin(8010, Qt::red);
    Show(8000, 8020);
    const TDifference d = Compare(Picture(), ReferencePicture(ReferenceStairs::Mode::Polygon));
    EXPECT_EQ(d.AwayFromEdges, 0);
    EXPECT_LT(d.All, PlotPixels() / 200);
}

// Single bins a mask marks keep their colour at full range, where twenty bins share a column: the column
// of each shows it at the bottom of the plot (the bin before it is the highest of its column).
TEST_F(StairsPicture, ASingleColouredBinShowsInItsColumnAtFullRange) {
    Fill(0);
    const int marked[] = {1001, 7000, 12345};
    for (int i : marked) {
        ColourBin(i, Qt::red);
        bins[std::size_t(i - 1)].Y += 20;
    }
    Show(0, Bins - 1);
    const QImage shown = Picture();
    const TDifference d = Compare(shown, ReferencePicture(ReferenceStairs::Mode::Rectangles));
    EXPECT_EQ(d.AwayFromEdges, 0);
    const int bottom = chart.ChartRect().bottom() - 2;
    for (int i : marked) {
        const double x = chart.BottomAxis().CalcPosValue(i - 0.5);
        bool red = false;
        for (int column = int(x) - 1; column <= int(x) + 1; ++column)
            red = red || QColor(shown.pixel(column, bottom)) == QColor(Qt::red);
        EXPECT_TRUE(red) << i;
    }
}

// An oscillogram-like line with two points per column swinging over the plot, and a sparse one, in a pen
// three pixels wide.
TEST_F(StairsPicture, AWideLineMatchesTheStrokedPolyline) {
    area->SetActive(false);
    TChartSeries *line = chart.AddSeries(TChartSeries::Style::Line);
    line->SetColor(Qt::darkGray);
    line->SetLineWidth(3);
    struct Case {
        const char *name;
        int points;
        double swing;
    };
    for (const Case &c : {Case{"dense", 1500, 30}, Case{"sparse", 40, 30}}) {
        SCOPED_TRACE(c.name);
        bins.clear();
        line->Clear();
        for (int i = 0; i < c.points; ++i) {
            const double y = -50 + c.swing * std::sin(i * 2.3) * std::cos(i * 0.01);
            bins.push_back({double(i), y, Qt::darkGray});
            line->AddXY(i, y);
        }
        chart.BottomAxis().SetMinMax(0, c.points - 1);
        chart.Repaint();
        // The stroker's joins reach a pixel further at the sharp turns.
        const TDifference d = Compare(Picture(), ReferencePicture(ReferenceStairs::Mode::WideLine, line), 2);
        EXPECT_LT(d.All, PlotPixels() / 50);
        EXPECT_LT(d.AwayFromEdges, PlotPixels() / 5000);
    }
}
