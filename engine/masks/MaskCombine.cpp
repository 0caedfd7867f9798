#include "engine/masks/MaskCombine.h"

#include <cfloat>
#include <cmath>

namespace {

// The slope of a segment as the stored mask files were combined: rounded to single precision. A vertical
// segment adds nothing, and a slope beyond single precision keeps its double value.
double SegmentSlope(const TMaskPoint &from, const TMaskPoint &to) {
    const double dx = to.x - from.x;
    if (dx == 0)
        return 0;
    const double slope = (to.y - from.y) / dx;
    return std::fabs(slope) <= FLT_MAX ? double(float(slope)) : slope;
}

// The value of the curve that ends its last segment at next, interpolated at x from the point before.
double Along(const TMaskPoint &before, const TMaskPoint &next, double x) {
    return before.y + (x - before.x) * SegmentSlope(before, next);
}

} // namespace

void CombineMaskPoints(TMASK &mask, int index, const std::vector<TMaskPoint> &points) {
    if (index == 0) {
        mask.Points = points;
        return;
    }
    const std::vector<TMaskPoint> &a = mask.Points;
    const std::vector<TMaskPoint> &b = points;
    std::vector<TMaskPoint> sum;
    sum.reserve(a.size() + b.size());
    size_t k = 0, j = 0;
    while (k < a.size() && j < b.size()) {
        if (a[k].x > b[j].x) {
            sum.push_back(k > 0 ? TMaskPoint{b[j].x, b[j].y + Along(a[k - 1], a[k], b[j].x)} : b[j]);
            ++j;
        } else if (a[k].x == b[j].x) {
            sum.push_back({a[k].x, a[k].y + b[j].y});
            ++k;
            ++j;
        } else {
            sum.push_back(j > 0 ? TMaskPoint{a[k].x, a[k].y + Along(b[j - 1], b[j], a[k].x)} : a[k]);
            ++k;
        }
    }
    sum.insert(sum.end(), a.begin() + std::ptrdiff_t(k), a.end());
    sum.insert(sum.end(), b.begin() + std::ptrdiff_t(j), b.end());
    mask.Points = std::move(sum);
}
