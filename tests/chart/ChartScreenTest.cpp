// What a chart paints on the screen against its picture: the layers painted straight into the widget show
// the same pixels as the bitmap export, wherever the widget sits in its window and whatever part of it is
// painted, and as the painter's own calls paint it; the dotted grid set pixel by pixel shows the dots
// QCustomPlot's own grid draws. The tick labels
// are left out of the comparisons: on screen QCustomPlot draws them from its cache of label pictures, which
// the export does without, and the two differ by a shade at the glyphs' edges.
#include "ChartFixture.h"

#include "chart/ChartSeries.h"

#include <QGuiApplication>
#include <QPainter>
#include <QBackingStore>
#include <QWindow>

#include <cmath>

namespace {

// A chart at an odd place inside a window, as a graph window holds it.
class ChartScreen : public ::testing::Test {
protected:
    ChartScreen() : chart(new TChart(&window)) {
        window.resize(700, 460);
        chart->setGeometry(37, 23, 611, 397);
        window.show();
        for (int i = 0; i < 100 && !window.windowHandle()->isExposed(); ++i)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    QCustomPlot &Plot() { return *chart->findChild<QCustomPlot *>(); }
    // A spectrum-like area with a coloured band, a line above it, a wide line swinging in every column
    // below, and the after-draw painting.
    void FillSeries() {
        TChartSeries *area = chart->AddSeries(TChartSeries::Style::StairsArea);
        area->SetColor(Qt::darkGray);
        TChartSeries *line = chart->AddSeries(TChartSeries::Style::Line);
        line->SetColor(Qt::red);
        TChartSeries *wide = chart->AddSeries(TChartSeries::Style::Line);
        wide->SetColor(Qt::darkGreen);
        wide->SetLineWidth(3);
        for (int i = 0; i <= 300; ++i) {
            const double y = -70 + 20 * std::sin(i / 17.0) + (i % 7) * 2;
            area->AddXY(i, y, {}, i >= 100 && i < 140 ? QColor(Qt::blue) : QColor());
            line->AddXY(i, y + 15);
        }
        for (int i = 0; i <= 3000; ++i)
            wide->AddXY(i / 10.0, -95 + 8 * std::sin(i * 2.3));
        chart->SetOnAfterDraw([](QPainter &painter, const QRect &rect) {
            painter.setPen(Qt::green);
            painter.drawLine(rect.topLeft(), rect.bottomRight());
        });
    }
    // The chart's pixels in a grab of its window.
    QImage Screen(const QRect &part) {
        return window.grab(part.translated(chart->pos())).toImage().convertToFormat(QImage::Format_RGB32);
    }
    // The chart's pixels in its window's backing store, which the window system shows; null where the
    // platform keeps them in no image.
    QImage Held() {
        QPaintDevice *device = window.backingStore() ? window.backingStore()->paintDevice() : nullptr;
        if (!device || device->devType() != QInternal::Image)
            return {};
        return static_cast<QImage *>(device)->copy(chart->geometry()).convertToFormat(QImage::Format_RGB32);
    }
    QImage Picture() { return chart->Bitmap().convertToFormat(QImage::Format_RGB32); }
    // The chart painted wholly by the painter's own calls: its pixels of 24 bits are not set directly.
    QImage PaintedByPainter() {
        QImage image(chart->size(), QImage::Format_RGB888);
        image.fill(Qt::white);
        QCPPainter painter(&image);
        Plot().toPainter(&painter, image.width(), image.height());
        painter.end();
        return image.convertToFormat(QImage::Format_RGB32);
    }
    // The plot with its axis lines and ticks, without the tick labels.
    QRect Plotted() const { return chart->ChartRect().adjusted(-3, -3, 3, 3); }

    QWidget window;
    TChart *chart;
};

// Pixels that differ between two pictures of one size inside an area of them.
int Differing(const QImage &a, const QImage &b, const QRect &area) {
    if (a.size() != b.size())
        return -1;
    const QRect inside = area & a.rect();
    int count = 0;
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            count += a.pixel(x, y) != b.pixel(x, y);
    return count;
}

} // namespace

TEST_F(ChartScreen, TheScreenShowsThePictureWhollyAndInParts) {
    FillSeries();
    // An earlier drawing leaves its pixels in the window, where the next must paint over every one.
    chart->BottomAxis().SetMinMax(150, 450);
    chart->LeftAxis().SetMinMax(-150, -40);
    chart->Repaint();
    chart->BottomAxis().SetMinMax(0, 300);
    chart->LeftAxis().SetMinMax(-100, 10);
    chart->Repaint();
    const QImage picture = Picture();
    struct Case {
        const char *name;
        QRect part;
    };
    const QRect whole = chart->rect();
    for (const Case &c : {Case{"whole", whole}, Case{"inside the plot", QRect(101, 57, 203, 131)},
                          Case{"across an axis", QRect(0, 300, 250, 97)}}) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Differing(Screen(c.part), picture.copy(c.part), Plotted().translated(-c.part.topLeft())), 0);
    }
    EXPECT_EQ(Differing(picture, PaintedByPainter(), Plotted()), 0);
    const QImage held = Held();
    ASSERT_FALSE(held.isNull());
    EXPECT_EQ(Differing(held, picture, Plotted()), 0);
}

// A paint Qt asks for by itself shows the last drawing again; it is no drawing of the chart's own.
TEST_F(ChartScreen, APaintOfItsOwnIsNoDrawing) {
    FillSeries();
    chart->Repaint();
    int drawings = 0;
    QObject::connect(&Plot(), &QCustomPlot::afterReplot, [&] { ++drawings; });
    Screen(chart->rect());
    EXPECT_EQ(drawings, 0);
    chart->Repaint();
    EXPECT_EQ(drawings, 1);
}

// A chart that cannot paint is drawn all the same: its pixel conversions follow the new range at once.
TEST(ChartHidden, IsDrawnAtOnce) {
    TChart chart;
    chart.resize(400, 300);
    chart.BottomAxis().SetMinMax(0, 10);
    chart.show();
    chart.Repaint();
    chart.hide();
    const int end = chart.BottomAxis().CalcPosValue(10);
    chart.BottomAxis().SetMinMax(0, 20);
    chart.Repaint();
    EXPECT_EQ(chart.BottomAxis().CalcPosValue(20), end);
    EXPECT_LT(chart.BottomAxis().CalcPosValue(10), end);
}

// The grid against QCustomPlot's own grid of the same axes: ticks at fractional pixels, odd and even sizes,
// a range across zero with its solid zero line, another grid colour, and the grid on screen.
TEST_F(ChartScreen, TheDottedGridMatchesQCustomPlotsGrid) {
    struct Case {
        const char *name;
        QSize size;
        double left, right, bottom, top;
        QColor colour;
    };
    const Case cases[] = {
        {"plain", {611, 397}, 0, 300, -100, -10, QColor(200, 200, 200)},
        {"across zero", {610, 398}, -7.3, 291.1, -93.7, 12.9, QColor(200, 200, 200)},
        {"dark, small", {173, 129}, 0.37, 1.91, 3, 17, QColor(Qt::darkBlue)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        chart->resize(c.size);
        chart->BottomAxis().SetMinMax(c.left, c.right);
        chart->LeftAxis().SetMinMax(c.bottom, c.top);
        for (QCPAxis *axis : {Plot().xAxis, Plot().yAxis})
            axis->grid()->setPen(QPen(c.colour, 0, Qt::DotLine));
        chart->Repaint();
        ASSERT_GT(Plot().xAxis->tickVector().size(), 2);
        const QImage picture = Picture();
        const QImage screen = Screen(chart->rect());
        const QImage held = Held();

        std::vector<QCPGrid *> references;
        for (QCPAxis *axis : {Plot().xAxis, Plot().yAxis}) {
            auto *reference = new QCPGrid(axis);
            reference->setPen(axis->grid()->pen());
            reference->setZeroLinePen(axis->grid()->zeroLinePen());
            axis->grid()->setVisible(false);
            references.push_back(reference);
        }
        const QImage expected = Picture();
        for (QCPGrid *reference : references)
            delete reference;
        for (QCPAxis *axis : {Plot().xAxis, Plot().yAxis})
            axis->grid()->setVisible(true);

        EXPECT_EQ(Differing(picture, expected, picture.rect()), 0);
        EXPECT_EQ(Differing(screen, expected, Plotted()), 0);
        EXPECT_EQ(Differing(held, expected, Plotted()), 0);
    }
}
