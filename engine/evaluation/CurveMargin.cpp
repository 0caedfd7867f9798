#include "engine/evaluation/CurveMargin.h"

#include "engine/evaluation/CurveMarking.h"
#include "engine/evaluation/MaskLookup.h"
#include "engine/masks/MaskArray.h"
#include "platform/NoValue.h"
#include "state/DeviceSettings.h"

#include <algorithm>

namespace {

// A mask that measures margins: in force and drawn as a template.
const TMASK *MarginMask(int32_t slot, int32_t side) {
    const TMASK *mask = GetActiveMask(slot, side);
    return mask && !mask->IsLine ? mask : nullptr;
}

} // namespace

bool MarginToMask(double x, double y, const TMASK &mask, double &best) {
    const std::vector<TMaskPoint> &p = mask.Points;
    for (size_t k = 0; k + 1 < p.size(); ++k) {
        if (!(p[k].x <= x && x <= p[k + 1].x))
            continue;
        const double dx = p[k + 1].x - p[k].x;
        double m;
        if (dx == 0)
            m = mask.Upper ? std::min(p[k].y, p[k + 1].y) : std::max(p[k].y, p[k + 1].y);
        else
            m = p[k].y + (x - p[k].x) * (p[k + 1].y - p[k].y) / dx;
        const double distance = mask.Upper ? m - y : y - m;
        if (distance < best)
            best = distance;
        return true;
    }
    return false;
}

void MarginToMasks(double x, double y, int32_t slot, double &best, int32_t &count) {
    bool measured = false;
    for (int32_t side = MaskUpperSide; side <= MaskLowerSide; ++side)
        if (const TMASK *mask = MarginMask(slot, side))
            measured = MarginToMask(x, y, *mask, best) || measured;
    if (measured)
        ++count;
}

void CheckCurveAgainstMasks(const float *x, const float *y, int32_t n, int32_t slot) {
    ParamDescriptor *row = FindParamByMaskSlot(slot);
    if (!row)
        return;
    row->Result.Margin = NoValue;
    const TMASK *upper = MarginMask(slot, MaskUpperSide);
    const TMASK *lower = MarginMask(slot, MaskLowerSide);
    if (!row->Settings.ComputeMargin || !row->MarginAllowed || (!upper && !lower) || !x || !y)
        return;
    double xlo = upper ? upper->Points.front().x : lower->Points.front().x;
    double xhi = upper ? upper->Points.back().x : lower->Points.back().x;
    if (upper && lower) {
        xlo = std::min(upper->Points.front().x, lower->Points.front().x);
        xhi = std::max(upper->Points.back().x, lower->Points.back().x);
    }
    const float gap = CurveGapValue(slot);
    const bool bandOnly = JudgedInBandOnly(slot);
    const double f0 = DeviceSettings->BandF0;
    const double f1 = DeviceSettings->BandF1;
    double best = -NoValue;
    int32_t count = 0;
    for (int32_t i = 0; i < n; ++i) {
        const double xi = x[i];
        if (xi < xlo || xi > xhi || y[i] == gap || (bandOnly && (xi < f0 || xi > f1)))
            continue;
        MarginToMasks(xi, y[i], slot, best, count);
    }
    row->Result.Margin = count > 0 ? float(best) : NoValue;
}
