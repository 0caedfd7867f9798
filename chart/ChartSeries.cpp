#include "chart/ChartSeries.h"

#include "chart/ChartAxis.h"
#include "chart/SeriesPlottable.h"
#include "chartlib/Chartlib.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
constexpr double NotANumber = std::numeric_limits<double>::quiet_NaN();
}

TChartSeries::TChartSeries(Style style, TChartAxis &vertical) : style_(style), vertAxis_(&vertical) {}

void TChartSeries::AddXY(double x, double y, const QString &label, const QColor &colour) {
    std::size_t at = x_.size();
    if (ordered_ && !x_.empty() && std::isfinite(x) && x < x_.back())
        at = std::size_t(std::upper_bound(x_.begin(), x_.end(), x, [](double v, double e) { return v < e; }) -
                         x_.begin());
    x_.insert(x_.begin() + std::ptrdiff_t(at), x);
    // Points that ascended still do when the new one sits between its neighbours.
    ascending_ = ascending_ && !std::isnan(x) && (at == 0 || x_[at - 1] <= x) && (at + 1 == x_.size() || x <= x_[at + 1]);
    y_.insert(y_.begin() + std::ptrdiff_t(at), y);
    colours_.insert(colours_.begin() + std::ptrdiff_t(at), colour.isValid() ? colour.rgb() : QRgb(0));
    // The label list stays empty until the first label, then runs parallel to the points.
    if (!label.isEmpty() || !labels_.empty()) {
        labels_.resize(x_.size() - 1);
        labels_.insert(labels_.begin() + std::ptrdiff_t(at), label);
    }
}

void TChartSeries::AddNull(double x) {
    AddXY(x, NotANumber);
}

void TChartSeries::Clear() {
    x_.clear();
    ascending_ = true;
    y_.clear();
    colours_.clear();
    labels_.clear();
}

double TChartSeries::XValue(int index) const {
    return index >= 0 && index < Count() ? x_[std::size_t(index)] : NotANumber;
}

double TChartSeries::YValue(int index) const {
    return index >= 0 && index < Count() ? y_[std::size_t(index)] : NotANumber;
}

bool TChartSeries::IsNull(int index) const {
    return !std::isfinite(XValue(index)) || !std::isfinite(YValue(index));
}

QString TChartSeries::Label(int index) const {
    return index >= 0 && std::size_t(index) < labels_.size() ? labels_[std::size_t(index)] : QString();
}

QColor TChartSeries::ValueColor(int index) const {
    const QRgb own = index >= 0 && index < Count() ? colours_[std::size_t(index)] : 0;
    return own != 0 ? QColor::fromRgba(own) : colour_;
}

void TChartSeries::ColorRange(double fromX, double toX, const QColor &colour) {
    const QRgb rgb = colour.isValid() ? colour.rgb() : QRgb(0);
    if (!ascending_) {
        for (std::size_t i = 0; i < x_.size(); ++i)
            if (x_[i] >= fromX && x_[i] <= toX)
                colours_[i] = rgb;
        return;
    }
    if (!(fromX <= toX)) // empty, or a bound that is no number: no point lies inside
        return;
    const auto first = std::lower_bound(x_.begin(), x_.end(), fromX);
    const auto end = std::upper_bound(first, x_.end(), toX);
    std::fill(colours_.begin() + (first - x_.begin()), colours_.begin() + (end - x_.begin()), rgb);
}

bool TChartSeries::SnapBound(double &bound) const {
    const std::size_t n = x_.size();
    if (!ascending_) {
        for (std::size_t p = 0; p + 1 < n; ++p)
            if (x_[p] <= bound && bound <= x_[p + 1]) {
                bound = x_[p + 1];
                return true;
            }
        return false;
    }
    if (std::isnan(bound))
        return false;
    // The first pair whose right point is not below the bound, if its left point is not above it.
    const std::size_t notBelow = std::size_t(std::lower_bound(x_.begin(), x_.end(), bound) - x_.begin());
    const std::size_t p = notBelow > 0 ? notBelow - 1 : 0;
    if (p + 1 >= n || x_[p] > bound)
        return false;
    bound = x_[p + 1];
    return true;
}

bool TChartSeries::SnapInterval(double &from, double &to) const {
    const bool fromFound = SnapBound(from);
    const bool toFound = SnapBound(to);
    return fromFound || toFound;
}

bool TChartSeries::Range(const std::vector<double> &values, bool maximum, double &result) const {
    bool found = false;
    for (int i = 0; i < Count(); ++i) {
        if (IsNull(i))
            continue;
        const double v = values[std::size_t(i)];
        if (!found || (maximum ? v > result : v < result))
            result = v;
        found = true;
    }
    return found;
}

double TChartSeries::MinXValue() const {
    double v = 0;
    return Range(x_, false, v) ? v : 0;
}

double TChartSeries::MaxXValue() const {
    double v = 0;
    return Range(x_, true, v) ? v : 0;
}

double TChartSeries::MinYValue() const {
    double v = 0;
    return Range(y_, false, v) ? v : 0;
}

double TChartSeries::MaxYValue() const {
    double v = 0;
    return Range(y_, true, v) ? v : 0;
}

void TChartSeries::SetActive(bool active) {
    active_ = active;
    plottable_->setVisible(active);
}

void TChartSeries::SetColor(const QColor &colour) {
    if (colour.isValid())
        colour_ = colour;
}

void TChartSeries::SetLineWidth(int width) {
    lineWidth_ = std::clamp(width, 1, 100);
}

void TChartSeries::SetPointer(bool visible, PointerStyle style, int size) {
    pointerVisible_ = visible;
    pointerStyle_ = style;
    pointerSize_ = std::clamp(size, 1, 100);
}

void TChartSeries::SetVertAxis(TChartAxis &axis) {
    vertAxis_ = &axis;
    plottable_->setValueAxis(axis.Axis());
}

void TChartSeries::SetTitle(const QString &title) {
    title_ = title;
    if (plottable_)
        plottable_->setName(title);
}

void TChartSeries::SetShowInLegend(bool show) {
    if (plottable_)
        show ? plottable_->addToLegend() : plottable_->removeFromLegend();
}

void TChartSeries::SetMarks(bool visible, int style) {
    marksVisible_ = visible;
    marksStyle_ = style;
}

QString TChartSeries::MarkText(int index) const {
    if (index < 0 || index >= Count() || IsNull(index))
        return {};
    const QString value = FormatValue(y_[std::size_t(index)]);
    const QString label = Label(index);
    QString text;
    switch (marksStyle_) {
    case MarksLabel:
        text = label;
        break;
    case MarksLabelValue:
        text = label.isEmpty() ? value : label + QLatin1Char(' ') + value;
        break;
    case MarksXValue:
        text = FormatValue(x_[std::size_t(index)]);
        break;
    default:
        text = value;
    }
    if (OnGetMarkText)
        OnGetMarkText(*this, index, text);
    return text;
}
