#include "chart/ChartlibChart.h"

#include "chart/Chart.h"
#include "engine/masks/MaskArray.h"
#include "platform/NoValue.h"

#include <cmath>

namespace {

// The level curves of the selective mode mark their gaps with this value.
constexpr double LevelGapValue = -300;

bool CountsForRange(const TChartSeries &series, int index) {
    const double y = series.YValue(index);
    return series.Label(index) != GapLabel && !series.IsNull(index) && std::isfinite(y) && y != NoValue &&
           std::isfinite(series.XValue(index));
}

void Widen(double value, double &minimum, double &maximum) {
    if (value > maximum)
        maximum = value;
    if (value < minimum)
        minimum = value;
}

double Interpolate(const TMaskPoint &a, const TMaskPoint &b, double x) {
    return a.y + (x - a.x) * (b.y - a.y) / (b.x - a.x);
}

} // namespace

void SeriesValueRange(const TChartSeries &series, double &yMinimum, double &yMaximum, double &xMinimum,
                      double &xMaximum, int gapMode) {
    yMinimum = 1e9;
    yMaximum = -1e9;
    xMinimum = NoValue;
    xMaximum = NoValue;
    bool any = false;
    for (int i = 0; i < series.Count(); ++i) {
        if (!CountsForRange(series, i))
            continue;
        any = true;
        const double y = series.YValue(i);
        if (y < yMinimum && (gapMode == 0 || (gapMode == 1 && y > LevelGapValue)))
            yMinimum = y;
        if (y > yMaximum)
            yMaximum = y;
        const double x = series.XValue(i);
        if (xMinimum == NoValue || x < xMinimum)
            xMinimum = x;
        if (xMaximum == NoValue || x > xMaximum)
            xMaximum = x;
    }
    if (series.Count() > 0 && !any) {
        yMinimum = yMaximum = 0;
        xMinimum = series.XValue(0);
        xMaximum = series.XValue(series.Count() - 1);
    }
}

void MaskSlotRange(int slot, int side, double xMinimum, double xMaximum, double &yMaximum, double &yMinimum) {
    const TMASK *mask = SlotMask(slot, side);
    if (!mask || !mask->Active)
        return;
    const std::vector<TMaskPoint> &points = mask->Points;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const TMaskPoint &point = points[i];
        double value;
        if (point.x < xMinimum)
            continue;
        if (point.x > xMaximum) {
            if (i == 0 || !(points[i - 1].x < xMaximum))
                continue;
            value = Interpolate(points[i - 1], point, xMaximum);
        } else if (i >= 1 && points[i - 1].x < xMinimum) {
            value = Interpolate(points[i - 1], point, xMinimum);
        } else {
            value = point.y;
        }
        if (value != NoValue && std::isfinite(value))
            Widen(value, yMinimum, yMaximum);
    }
}

void MaskRangeForAutoY(int slot, double xMinimum, double xMaximum, double &yMinimum, double &yMaximum) {
    if (slot < 0 || xMinimum == NoValue || xMaximum == NoValue)
        return;
    MaskSlotRange(slot, MaskUpperSide, xMinimum, xMaximum, yMaximum, yMinimum);
    MaskSlotRange(slot, MaskLowerSide, xMinimum, xMaximum, yMaximum, yMinimum);
}
