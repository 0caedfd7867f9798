#include "chart/SeriesPlottable.h"

#include "chart/ChartSeries.h"
#include "chart/RasterPixels.h"
#include "chartlib/Chartlib.h"

#include <QFontMetrics>

#include <algorithm>
#include <cmath>
#include <optional>

SeriesPlottable::SeriesPlottable(const TChartSeries &series, QCPAxis *keyAxis, QCPAxis *valueAxis)
    : QCPAbstractPlottable(keyAxis, valueAxis), series_(series) {
    setAntialiased(false);
    setAntialiasedFill(false);
}

QCPRange SeriesPlottable::getKeyRange(bool &foundRange, QCP::SignDomain) const {
    double lower = 0, upper = 0;
    foundRange = series_.Range(series_.x_, false, lower) && series_.Range(series_.x_, true, upper);
    return QCPRange(lower, upper);
}

QCPRange SeriesPlottable::getValueRange(bool &foundRange, QCP::SignDomain, const QCPRange &) const {
    double lower = 0, upper = 0;
    foundRange = series_.Range(series_.y_, false, lower) && series_.Range(series_.y_, true, upper);
    return QCPRange(lower, upper);
}

namespace {

// The linear value-to-pixel map of an axis at this drawing, kept far outside the plot but inside what the
// painter handles quickly.
struct PixelMap {
    explicit PixelMap(const QCPAxis &axis)
        : lower(axis.range().lower), start(axis.coordToPixel(lower)),
          perUnit((axis.coordToPixel(axis.range().upper) - start) / axis.range().size()) {}
    double operator()(double value) const { return std::clamp(start + (value - lower) * perUnit, -1e5, 1e5); }
    double lower, start, perUnit;
};

} // namespace

void SeriesPlottable::draw(QCPPainter *painter) {
    if (!mKeyAxis || !mValueAxis || series_.Count() == 0)
        return;
    if (series_.SeriesStyle() == TChartSeries::Style::StairsArea) {
        DrawStairs(painter);
        return;
    }
    if (series_.PenVisible())
        DrawLine(painter);
    if (series_.PointerVisible())
        DrawPointers(painter);
    if (series_.MarksVisible())
        DrawMarks(painter);
}

namespace {

// The points of one pixel column of a line: drawn through the first, the lowest, the highest and the last,
// a line gives the same pixels as through all of them.
class ColumnReducer {
public:
    explicit ColumnReducer(QPolygonF &out) : out_(out) {}
    void Add(const QPointF &p) {
        const int column = int(std::floor(p.x()));
        if (count_ > 0 && column != column_)
            Close();
        if (count_++ == 0) {
            column_ = column;
            first_ = low_ = high_ = p;
            lowFirst_ = true;
        } else if (p.y() < low_.y()) {
            low_ = p;
            lowFirst_ = false;
        } else if (p.y() > high_.y()) {
            high_ = p;
            lowFirst_ = true;
        }
        last_ = p;
    }
    void Close() {
        if (count_ == 0)
            return;
        out_ << first_;
        if (count_ > 2)
            out_ << (lowFirst_ ? low_ : high_) << (lowFirst_ ? high_ : low_);
        if (count_ > 1)
            out_ << last_;
        count_ = 0;
    }

private:
    QPolygonF &out_;
    int column_ = 0;
    int count_ = 0;
    QPointF first_, low_, high_, last_;
    bool lowFirst_ = true;
};

} // namespace

void SeriesPlottable::DrawLine(QCPPainter *painter) const {
    if (series_.LineWidth() > 1) {
        DrawWideLine(painter);
        return;
    }
    painter->setPen(QPen(series_.Color(), series_.LineWidth()));
    painter->setBrush(Qt::NoBrush);
    const bool reduce = series_.XOrdered() && series_.Count() > 2 * mKeyAxis->axisRect()->width();
    QPolygonF run;
    ColumnReducer columns(run);
    const auto flush = [&] {
        columns.Close();
        if (run.size() > 1)
            painter->drawPolyline(run);
        run.clear();
    };
    const PixelMap px(*mKeyAxis), py(*mValueAxis);
    const std::vector<double> &xs = series_.x_, &ys = series_.y_;
    for (std::size_t i = 0; i < xs.size(); ++i) {
        if (!std::isfinite(xs[i]) || !std::isfinite(ys[i])) {
            flush();
            continue;
        }
        const QPointF p(px(xs[i]), py(ys[i]));
        if (reduce)
            columns.Add(p);
        else
            run << p;
    }
    flush();
}

// A line wider than a pixel through points that lie a column or less apart: each column is the vertical bar
// of the pen's width from its lowest to its highest point, reaching the last point of the column before it;
// only the steps over wider distances are stroked. The raster engine strokes a wide polyline that swings up
// and down in every column (an oscillogram, a dense curve) as one huge path, which costs it far more than
// the bars it covers.
void SeriesPlottable::DrawWideLine(QCPPainter *painter) const {
    const int width = series_.LineWidth();
    const QColor colour = series_.Color();
    const PixelMap px(*mKeyAxis), py(*mValueAxis);
    struct Column {
        int x = 0;
        double low = 0, high = 0;
        QPointF last;
        bool open = false;
    } column;
    steps_.clear();
    const std::optional<TRasterPixels> pixels =
        colour.alpha() == 255 ? TRasterPixels::Of(*painter) : std::optional<TRasterPixels>();
    const auto closeColumn = [&] {
        if (!column.open)
            return;
        const int top = int(std::floor(column.low)), bottom = int(std::floor(column.high));
        const QRect bar(column.x - width / 2, top - width / 2, width, bottom - top + width);
        if (pixels)
            pixels->FillRect(bar, colour.rgba());
        else
            painter->fillRect(bar, colour);
        column.open = false;
    };
    bool afterGap = true;
    const std::vector<double> &xs = series_.x_, &ys = series_.y_;
    for (std::size_t i = 0; i < xs.size(); ++i) {
        if (!std::isfinite(xs[i]) || !std::isfinite(ys[i])) {
            closeColumn();
            afterGap = true;
            continue;
        }
        const QPointF p(px(xs[i]), py(ys[i]));
        const int x = int(std::floor(p.x()));
        if (column.open && x == column.x) {
            column.low = std::min(column.low, p.y());
            column.high = std::max(column.high, p.y());
            column.last = p;
            continue;
        }
        const bool joined = !afterGap && column.open;
        const bool neighbour = joined && std::abs(x - column.x) == 1;
        const QPointF before = column.last;
        if (joined && !neighbour)
            steps_.push_back(QLineF(before, p));
        closeColumn();
        column = {x, p.y(), p.y(), p, true};
        if (neighbour) {
            column.low = std::min(column.low, before.y());
            column.high = std::max(column.high, before.y());
        }
        afterGap = false;
    }
    closeColumn();
    if (steps_.isEmpty())
        return;
    painter->setPen(QPen(colour, width));
    painter->setBrush(Qt::NoBrush);
    painter->drawLines(steps_);
}

namespace {

// One pointer of the given half size centred on p, in the painter's pen and brush.
void DrawPointer(QCPPainter *painter, TChartSeries::PointerStyle style, const QPointF &p, double half) {
    using Style = TChartSeries::PointerStyle;
    const auto polygon = [&](std::initializer_list<QPointF> offsets) {
        QPolygonF corners;
        for (const QPointF &offset : offsets)
            corners << p + offset * half;
        painter->drawPolygon(corners);
    };
    const auto lines = [&](std::initializer_list<std::pair<QPointF, QPointF>> ends) {
        for (const auto &[from, to] : ends)
            painter->drawLine(p + from * half, p + to * half);
    };
    switch (style) {
    case Style::Rectangle:
        painter->drawRect(QRectF(p.x() - half, p.y() - half, 2 * half, 2 * half));
        break;
    case Style::Circle:
        painter->drawEllipse(p, half, half);
        break;
    case Style::Triangle:
        polygon({{0, -1}, {1, 1}, {-1, 1}});
        break;
    case Style::DownTriangle:
        polygon({{0, 1}, {1, -1}, {-1, -1}});
        break;
    case Style::Cross:
        lines({{{-1, 0}, {1, 0}}, {{0, -1}, {0, 1}}});
        break;
    case Style::DiagCross:
        lines({{{-1, -1}, {1, 1}}, {{-1, 1}, {1, -1}}});
        break;
    case Style::Star:
        lines({{{-1, 0}, {1, 0}}, {{0, -1}, {0, 1}}, {{-1, -1}, {1, 1}}, {{-1, 1}, {1, -1}}});
        break;
    case Style::Diamond:
        polygon({{0, -1}, {1, 0}, {0, 1}, {-1, 0}});
        break;
    case Style::SmallDot:
        painter->drawPoint(p);
        break;
    }
}

} // namespace

void SeriesPlottable::DrawPointers(QCPPainter *painter) const {
    const double half = std::max(series_.PointerSize(), 1) / 2.0;
    const PixelMap px(*mKeyAxis), py(*mValueAxis);
    for (int i = 0; i < series_.Count(); ++i) {
        if (series_.IsNull(i))
            continue;
        painter->setPen(series_.ValueColor(i));
        painter->setBrush(series_.ValueColor(i));
        DrawPointer(painter, series_.Pointer(), QPointF(px(series_.XValue(i)), py(series_.YValue(i))), half);
    }
}

// Step i runs from point i - 1 to point i at the height of point i - 1 and takes the colour of point i.
// The steps are reduced to the plot's pixel columns and filled as rectangles: a polygon with a vertex pair
// per step costs the raster engine's scan conversion far more than the pixels it fills.
void SeriesPlottable::DrawStairs(QCPPainter *painter) {
    const PixelMap px(*mKeyAxis), py(*mValueAxis);
    const QRect plot = mKeyAxis->axisRect()->rect();
    columns_.Reset(plot.left(), plot.width());
    for (int i = 1; i < series_.Count(); ++i)
        if (!series_.IsNull(i - 1) && !series_.IsNull(i))
            columns_.AddStep(px(series_.XValue(i - 1)), px(series_.XValue(i)), py(series_.YValue(i - 1)),
                             series_.ValueColor(i).rgba());
    // A fine spectrum comes out as a rectangle or more per pixel column, each a few columns wide: set
    // straight into the pixels where it can be, they cost a fraction of what the painter's calls cost.
    const std::optional<TRasterPixels> pixels = TRasterPixels::Of(*painter);
    columns_.ForEachRun(py(mValueAxis->range().lower), [&](const QRect &rect, QRgb colour) {
        if (pixels && qAlpha(colour) == 255)
            pixels->FillRect(rect, colour);
        else
            painter->fillRect(rect, QColor::fromRgba(colour));
    });
}

// Each mark a framed box with its text in the line's colour, a few pixels above its point.
void SeriesPlottable::DrawMarks(QCPPainter *painter) const {
    const PixelMap x(*mKeyAxis), y(*mValueAxis);
    const QFontMetrics metrics(painter->font());
    painter->setPen(series_.Color());
    for (int i = 0; i < series_.Count(); ++i) {
        const QString text = series_.MarkText(i);
        if (text.isEmpty())
            continue;
        QRectF box = metrics.boundingRect(text).adjusted(-2, -1, 2, 1);
        box.moveCenter(QPointF(x(series_.x_[std::size_t(i)]), y(series_.y_[std::size_t(i)]) - box.height() / 2 - 4));
        painter->fillRect(box, Qt::white);
        painter->drawRect(box);
        painter->drawText(box, Qt::AlignCenter, text);
    }
}

// A line shows as a stroke of its own width, an area as a filled box.
void SeriesPlottable::drawLegendIcon(QCPPainter *painter, const QRectF &rect) const {
    if (series_.SeriesStyle() == TChartSeries::Style::StairsArea) {
        painter->fillRect(rect, series_.Color());
        return;
    }
    painter->setPen(QPen(series_.Color(), std::max(series_.LineWidth(), 1)));
    painter->drawLine(QLineF(rect.left(), rect.center().y(), rect.right(), rect.center().y()));
}
