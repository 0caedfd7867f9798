#include "chart/ChartAxis.h"

#include "chart/ChartTicker.h"
#include "chart/DottedGrid.h"

#include <algorithm>
#include <cmath>

namespace {

// QCustomPlot keeps the pictures of at most 16 tick labels per axis, fewer than a tall chart shows: every
// drawing then lays out and renders all its labels anew. Its cache sits in protected members, reached
// through pointers to members taken in derived classes.
struct AxisPainterOf : QCPAxis {
    static QCPAxisPainterPrivate *QCPAxis::*Member() { return &AxisPainterOf::mAxisPainter; }
};
struct LabelCacheOf : QCPAxisPainterPrivate {
    static QCache<QString, CachedLabel> QCPAxisPainterPrivate::*Member() { return &LabelCacheOf::mLabelCache; }
};
constexpr int LabelsKept = 256;

} // namespace

TChartAxis::TChartAxis(QCPAxis *axis) : axis_(axis) {
    if (QCPAxisPainterPrivate *painter = axis_->*AxisPainterOf::Member())
        (painter->*LabelCacheOf::Member()).setMaxCost(LabelsKept);
    axis_->setTicker(QSharedPointer<ChartTicker>::create(*this, *axis_));
    DottedGrid::Install(*axis_);
    // ticks stand outside the plot, so that nothing covers the curves
    axis_->setTickLength(0, 4);
    axis_->setSubTickLength(0, 2);
    Apply();
}

void TChartAxis::SetMinMax(double a, double b) {
    if (!std::isfinite(a) || !std::isfinite(b))
        return;
    minimum_ = std::min(a, b);
    maximum_ = std::max(a, b);
    Apply();
}

void TChartAxis::Apply() {
    // The drawing needs a span; an axis of a single value shows it in the middle of one unit around it.
    double lower = minimum_, upper = maximum_;
    if (!QCPRange::validRange(lower, upper)) {
        const double half = std::max(std::abs(lower) * 1e-9, 0.5);
        lower -= half;
        upper += half;
    }
    axis_->setRange(lower, upper);
}

void TChartAxis::SetIncrement(double increment) {
    increment_ = std::isfinite(increment) && increment > 0 ? increment : 0;
}

void TChartAxis::SetAutomatic(bool automatic) {
    automatic_ = automatic;
}

bool TChartAxis::Visible() const {
    return axis_->visible();
}

void TChartAxis::SetVisible(bool visible) {
    axis_->setVisible(visible);
}

QString TChartAxis::Title() const {
    return axis_->label();
}

void TChartAxis::SetTitle(const QString &title) {
    axis_->setLabel(title);
}

void TChartAxis::SetValueFormat(const QString &pattern) {
    valueFormat_ = pattern;
}

int TChartAxis::MaxLabelsWidth() const {
    QVector<double> ticks;
    QVector<QString> labels;
    axis_->ticker()->generate(axis_->range(), QLocale::c(), QLatin1Char('g'), 6, ticks, nullptr, &labels);
    const QFontMetrics metrics(axis_->tickLabelFont());
    int widest = 0;
    for (const QString &label : labels)
        widest = std::max(widest, metrics.horizontalAdvance(label));
    return widest;
}

bool TChartAxis::Horizontal() const {
    return axis_->orientation() == Qt::Horizontal;
}

void TChartAxis::RememberDrawing() {
    const QCPRange range = axis_->range();
    drawnLower_ = range.lower;
    drawnStart_ = axis_->coordToPixel(range.lower);
    drawnPixelsPerUnit_ = (axis_->coordToPixel(range.upper) - drawnStart_) / range.size();
    drawn_ = std::isfinite(drawnPixelsPerUnit_) && drawnPixelsPerUnit_ != 0;
}

double TChartAxis::CalcPosPoint(int pixel) const {
    if (!drawn_)
        return axis_->pixelToCoord(pixel);
    return drawnLower_ + (pixel - drawnStart_) / drawnPixelsPerUnit_;
}

int TChartAxis::CalcPosValue(double value) const {
    const double pixel =
        drawn_ ? drawnStart_ + (value - drawnLower_) * drawnPixelsPerUnit_ : axis_->coordToPixel(value);
    if (!std::isfinite(pixel))
        return int(drawn_ ? drawnStart_ : 0);
    return int(std::lround(std::clamp(pixel, -1e9, 1e9)));
}
