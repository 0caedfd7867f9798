#include "chart/ChartTicker.h"

#include "chart/AxisLabelFormat.h"
#include "chart/ChartAxis.h"

#include <cmath>

double ChartTicker::getTickStep(const QCPRange &range) {
    const double span = range.size();
    double step = axis_.Increment();
    if (!(step > 0) || !std::isfinite(step) || !(span > 0) || !std::isfinite(span))
        return QCPAxisTicker::getTickStep(range);

    // room for the labels: their width across a horizontal axis, their height along a vertical one
    const QFontMetrics metrics(drawnAxis_.tickLabelFont());
    const bool horizontal = drawnAxis_.orientation() == Qt::Horizontal;
    const int length = horizontal ? drawnAxis_.axisRect()->width() : drawnAxis_.axisRect()->height();
    const int label = horizontal ? std::max(metrics.horizontalAdvance(getTickLabel(range.lower, {}, {}, 0)),
                                            metrics.horizontalAdvance(getTickLabel(range.upper, {}, {}, 0))) +
                                       8
                                 : metrics.height() + 2;
    const double fitting = std::max(2.0, double(length) / std::max(label, 1));
    const double ticks = span / step;
    if (ticks > fitting)
        step *= std::exp2(std::ceil(std::log2(ticks / fitting)));
    return step;
}

QString ChartTicker::getTickLabel(double tick, const QLocale &, QChar, int) {
    return FormatAxisLabel(tick, axis_.ValueFormat());
}
