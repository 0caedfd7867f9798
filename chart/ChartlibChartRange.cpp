#include "chart/ChartlibChart.h"

#include "chart/Chart.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace {

// Zoomed axes never show fewer than this many increments or resolution steps.
constexpr double SpanFloorSteps = 5;

// The span floor of an increment or resolution; none for a value that is not a positive number (a span
// of zero or a damaged setting must not turn the limits into nonsense).
double SpanFloor(double step) {
    return std::isfinite(step) && step > 0 ? SpanFloorSteps * step : 0;
}

TAxisRange ShownRange(const TChartAxis &axis) {
    return {axis.Minimum(), axis.Maximum()};
}

void ClampAxis(TChartAxis &axis, double increment, double lower, double upper, bool upperLimited) {
    const TAxisRange shown = ShownRange(axis);
    const TAxisRange kept = ClampAxisRange(shown, increment, lower, upper, upperLimited);
    if (!(kept == shown))
        SetAxisScale(axis, increment, kept.Minimum, kept.Maximum);
}

void LimitSpan(const TChart &chart, TChartAxis &axis, double resolution, bool centreSmallPrevious) {
    const TAxisRange shown = ShownRange(axis);
    const TAxisRange kept = LimitAxisSpan(shown, PreviousRange(chart, axis), resolution, centreSmallPrevious);
    if (!(kept == shown))
        axis.SetMinMax(kept.Minimum, kept.Maximum);
}

} // namespace

TAxisRange ClampAxisRange(TAxisRange range, double increment, double lower, double upper, bool upperLimited) {
    const double floor = SpanFloor(increment);
    if (upperLimited && range.Maximum > upper)
        range.Maximum = upper;
    if (range.Maximum < lower + floor)
        range.Maximum = lower + floor;
    if (range.Minimum < lower)
        range.Minimum = lower;
    if (upperLimited && range.Minimum > upper - floor)
        range.Minimum = upper - floor;
    return range;
}

TAxisRange LimitAxisSpan(TAxisRange range, TAxisRange previous, double resolution, bool centreSmallPrevious) {
    const double floor = SpanFloor(resolution);
    if (!(std::fabs(range.Maximum - range.Minimum) < floor))
        return range;
    const double lo = previous.Minimum;
    const double hi = previous.Maximum;
    const bool scrolled = (range.Maximum > hi && range.Minimum > lo) || (range.Maximum < hi && range.Minimum < lo);
    // Without a finite previous range there is nothing to go back to: the floor hangs from the new maximum.
    if (scrolled || !std::isfinite(lo) || !std::isfinite(hi))
        return {range.Maximum - floor, range.Maximum};
    if (centreSmallPrevious && std::fabs(hi - lo) < floor) {
        const double middle = (hi + lo) / 2;
        return {middle - floor / 2, middle + floor / 2};
    }
    return previous;
}

TAxisRange PreviousRange(const TChart &chart, const TChartAxis &axis) {
    const QRect rect = chart.ChartRect();
    if (axis.Horizontal())
        return {axis.CalcPosPoint(rect.left()), axis.CalcPosPoint(rect.left() + rect.width())};
    return {axis.CalcPosPoint(rect.top() + rect.height()), axis.CalcPosPoint(rect.top())};
}

void FitAxisToChart(TChart &chart, int side) {
    if (side == 0)
        return;
    TChartAxis &axis = side > 0 ? chart.LeftAxis() : chart.RightAxis();
    const TAxisRange previous = PreviousRange(chart, axis);
    axis.SetMinMax(previous.Minimum, previous.Maximum);
}

void SetAxisScale(TChartAxis &axis, double increment, double minimum, double maximum) {
    if (std::isfinite(increment) && increment >= 0)
        axis.SetIncrement(increment);
    axis.SetMinMax(minimum, maximum);
}

void ClampAxesToLimits(TChart &chart, double bottomIncrement, double bottomLower, double bottomUpper, double rightLower,
                       double rightUpper, double leftIncrement, double leftLower, double leftUpper) {
    ClampAxis(chart.BottomAxis(), bottomIncrement, bottomLower, bottomUpper, bottomUpper != bottomLower);
    ClampAxis(chart.LeftAxis(), leftIncrement, leftLower, leftUpper, true);
    TChartAxis &right = chart.RightAxis();
    if (rightLower != rightUpper)
        ClampAxis(right, right.Increment(), rightLower, rightUpper, true);
}

void LimitZoomSpan(TChart &chart, double bottomResolution, double rightResolution, double leftResolution) {
    LimitSpan(chart, chart.LeftAxis(), leftResolution, true);
    LimitSpan(chart, chart.RightAxis(), rightResolution, false);
    LimitSpan(chart, chart.BottomAxis(), bottomResolution, false);
}

bool ShiftLeftAxisByWheel(TChart &chart, int delta) {
    TChartAxis &left = chart.LeftAxis();
    const QScreen *screen = QGuiApplication::primaryScreen();
    const int screenHeight = screen ? screen->size().height() : 0;
    const double step = std::abs(std::abs(left.CalcPosPoint(0)) - std::abs(left.CalcPosPoint(screenHeight / 25)));
    const double shift = step * (delta / 120);
    if (!std::isfinite(shift))
        return false;
    left.SetMinMax(left.Minimum() - shift, left.Maximum() - shift);
    return true;
}
