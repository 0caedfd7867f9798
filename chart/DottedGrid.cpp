#include "chart/DottedGrid.h"

#include "chart/RasterPixels.h"

#include <algorithm>
#include <cmath>

namespace {

// QCPAxis keeps its grid in a protected member, reached through a pointer to member taken in a derived class.
struct GridOf : QCPAxis {
    static QCPGrid *QCPAxis::*Member() { return &GridOf::mGrid; }
};

// The dots of a dotted cosmetic line from one point to another, the line level or upright: the first pixel,
// then every third one up to the last, inside the clip.
void SetDots(const TRasterPixels &pixels, QPoint from, QPoint to, QRgb colour) {
    from += pixels.Offset();
    to += pixels.Offset();
    const bool level = from.y() == to.y();
    const int start = level ? from.x() : from.y();
    const int along = (level ? to.x() : to.y()) >= start ? 3 : -3;
    const int count = std::abs((level ? to.x() : to.y()) - start) / 3 + 1;
    const int across = level ? from.y() : from.x();
    for (const QRect &area : pixels.Clip()) {
        if (across < (level ? area.top() : area.left()) || across > (level ? area.bottom() : area.right()))
            continue;
        // the dots start + along * i inside the rectangle
        const double low = ((level ? area.left() : area.top()) - start) / double(along);
        const double high = ((level ? area.right() : area.bottom()) - start) / double(along);
        const int first = std::max(int(std::ceil(std::min(low, high))), 0);
        const int last = std::min(int(std::floor(std::max(low, high))), count - 1);
        for (int i = first; i <= last; ++i) {
            const int at = start + along * i;
            pixels.Set(level ? at : across, level ? across : at, colour);
        }
    }
}

} // namespace

void DottedGrid::Install(QCPAxis &axis) {
    QCPGrid *&grid = axis.*GridOf::Member();
    auto *dotted = new DottedGrid(&axis);
    dotted->setVisible(grid->visible());
    dotted->setSubGridVisible(grid->subGridVisible());
    dotted->setAntialiasedSubGrid(grid->antialiasedSubGrid());
    dotted->setAntialiasedZeroLine(grid->antialiasedZeroLine());
    dotted->setPen(grid->pen());
    dotted->setSubGridPen(grid->subGridPen());
    dotted->setZeroLinePen(grid->zeroLinePen());
    delete grid;
    grid = dotted;
}

void DottedGrid::draw(QCPPainter *painter) {
    applyDefaultAntialiasingHint(painter);
    const std::optional<TRasterPixels> pixels = TRasterPixels::Of(*painter);
    const bool plainDots = mPen.style() == Qt::DotLine && mPen.widthF() == 0 && mPen.color().alpha() == 255 &&
                           mPen.dashOffset() == 0;
    if (!pixels || !plainDots || (mParentAxis->subTicks() && mSubGridVisible)) {
        QCPGrid::draw(painter);
        return;
    }
    // As QCustomPlot draws them: the zero line first, when the range holds it, in its own pen instead of the
    // dots at that tick; then level lines from left to right and upright ones from the bottom up, each at its
    // rounded pixel.
    const bool horizontal = mParentAxis->orientation() == Qt::Horizontal;
    const QCPAxisRect &rect = *mParentAxis->axisRect();
    const auto line = [&](double t) {
        return horizontal ? QLineF(t, rect.bottom(), t, rect.top()) : QLineF(rect.left(), t, rect.right(), t);
    };
    const QVector<double> ticks = mParentAxis->tickVector();
    const QCPRange range = mParentAxis->range();
    qsizetype zero = -1;
    if (mZeroLinePen.style() != Qt::NoPen && range.lower < 0 && range.upper > 0)
        for (qsizetype i = 0; i < ticks.size() && zero < 0; ++i)
            if (std::abs(ticks[i]) < range.size() * 1E-6)
                zero = i;
    if (zero >= 0) {
        painter->save();
        applyAntialiasingHint(painter, mAntialiasedZeroLine, QCP::aeZeroLine);
        painter->setPen(mZeroLinePen);
        painter->drawLine(line(mParentAxis->coordToPixel(ticks[zero])));
        painter->restore();
    }
    for (qsizetype i = 0; i < ticks.size(); ++i)
        if (i != zero) {
            const QLine dotted = line(mParentAxis->coordToPixel(ticks[i])).toLine();
            SetDots(*pixels, dotted.p1(), dotted.p2(), mPen.color().rgba());
        }
}
