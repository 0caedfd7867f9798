#include "chart/ChartTicker.h"

#include "chart/AxisLabelFormat.h"
#include "chart/ChartAxis.h"

#include <cmath>

namespace {

// A time-of-day axis steps through whole clock intervals (seconds), so that its labels read as round times.
constexpr double ClockSteps[] = {1,   2,   5,    10,   15,   30,    60,    120,   300,
                                 600, 900, 1800, 3600, 7200, 10800, 21600, 43200, 86400};
constexpr double ClockSecondsPerDay = 86400;

} // namespace

double ChartTicker::getTickStep(const QCPRange &range) {
    const double span = range.size();
    double step = axis_.Increment();
    if (!(step > 0) || !std::isfinite(step) || !(span > 0) || !std::isfinite(span))
        return QCPAxisTicker::getTickStep(range);

    // room for the labels: their width across a horizontal axis, their height along a vertical one
    const QFontMetrics metrics(drawnAxis_.tickLabelFont());
    const bool horizontal = drawnAxis_.orientation() == Qt::Horizontal;
    const int length = horizontal ? drawnAxis_.axisRect()->width() : drawnAxis_.axisRect()->height();
    const int label = horizontal ? std::max(LabelWidth(getTickLabel(range.lower, {}, {}, 0)),
                                            LabelWidth(getTickLabel(range.upper, {}, {}, 0))) +
                                       8
                                 : metrics.height() + 2;
    const double fitting = std::max(2.0, double(length) / std::max(label, 1));
    const double ticks = span / step;
    if (IsTimeOfDayFormat(axis_.ValueFormat())) {
        for (double seconds : ClockSteps)
            if (seconds / ClockSecondsPerDay >= step && span / (seconds / ClockSecondsPerDay) <= fitting)
                return seconds / ClockSecondsPerDay;
        return ClockSteps[std::size(ClockSteps) - 1] / ClockSecondsPerDay;
    }
    if (ticks > fitting)
        step *= std::exp2(std::ceil(std::log2(ticks / fitting)));
    return step;
}

int ChartTicker::LabelWidth(const QString &label) {
    const QFont font = drawnAxis_.tickLabelFont();
    if (font != widthsFont_ || labelWidths_.size() > 256) {
        labelWidths_.clear();
        widthsFont_ = font;
    }
    const auto known = labelWidths_.constFind(label);
    if (known != labelWidths_.cend())
        return *known;
    return labelWidths_[label] = QFontMetrics(font).horizontalAdvance(label);
}

void ChartTicker::generate(const QCPRange &range, const QLocale &locale, QChar formatChar, int precision,
                           QVector<double> &ticks, QVector<double> *subTicks, QVector<QString> *tickLabels) {
    const bool horizontal = drawnAxis_.orientation() == Qt::Horizontal;
    const Generated now{range.lower,
                        range.upper,
                        axis_.Increment(),
                        axis_.ValueFormat(),
                        horizontal ? drawnAxis_.axisRect()->width() : drawnAxis_.axisRect()->height(),
                        tickCount(),
                        tickOrigin(),
                        drawnAxis_.tickLabelFont(),
                        locale,
                        formatChar,
                        precision,
                        subTicks != nullptr,
                        tickLabels != nullptr};
    if (generated_ != now) {
        QCPAxisTicker::generate(range, locale, formatChar, precision, ticks_, subTicks ? &subTicks_ : nullptr,
                                tickLabels ? &labels_ : nullptr);
        generated_ = now;
    }
    ticks = ticks_;
    if (subTicks)
        *subTicks = subTicks_;
    if (tickLabels)
        *tickLabels = labels_;
}

QString ChartTicker::getTickLabel(double tick, const QLocale &, QChar, int) {
    return FormatAxisLabel(tick, axis_.ValueFormat());
}
