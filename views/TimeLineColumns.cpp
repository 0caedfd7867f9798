#include "views/TimeLineColumns.h"

#include "platform/NoValue.h"

#include <algorithm>
#include <cmath>

namespace {

// A gap's own x when it has no two neighbours to sit between.
constexpr double GapNudge = 1e-6;

bool IsGap(double value) {
    return value == double(NoValue);
}

// The points first .. end - 1 of one column, with their smallest and largest value.
void FlushColumn(const std::deque<TimePoint> &points, std::size_t first, std::size_t end, double low, double high,
                 std::vector<TTimeLinePoint> &line) {
    const std::size_t n = end - first;
    if (n == 0)
        return;
    const TimePoint &a = points[first];
    const TimePoint &b = points[end - 1];
    if (!IsGap(low) && !IsGap(high)) {
        const double middle = (a.Time + b.Time) / 2;
        if (n > 1)
            line.push_back({a.Time, a.Value, false});
        if (n > 2) {
            line.push_back({middle - GapNudge, low, false});
            line.push_back({middle, high, false});
        }
        line.push_back({b.Time, b.Value, false});
        return;
    }
    for (std::size_t i = first; i < end; ++i) {
        const TimePoint &point = points[i];
        if (!IsGap(point.Value)) {
            line.push_back({point.Time, point.Value, false});
            continue;
        }
        const bool between = i + 1 < points.size() && i >= 2;
        const double x = between ? (points[i - 1].Time + points[i + 1].Time) / 2 : point.Time + GapNudge;
        line.push_back({x, 0, true});
    }
}

} // namespace

bool BuildTimeLine(const std::deque<TimePoint> &points, double retainStart, double columnWidth,
                   std::vector<TTimeLinePoint> &line) {
    if (points.empty() || !(columnWidth > 0) || !std::isfinite(columnWidth))
        return false;
    line.clear();
    const auto firstShown = std::lower_bound(points.begin(), points.end(), retainStart,
                                             [](const TimePoint &point, double time) { return point.Time < time; });
    std::size_t i = std::size_t(firstShown - points.begin());
    if (i > 0)
        FlushColumn(points, i - 1, i, points[i - 1].Value, points[i - 1].Value, line);
    double columnEnd = retainStart;
    std::size_t first = i;
    double low = 0, high = 0;
    for (; i < points.size(); ++i) {
        const TimePoint &point = points[i];
        if (point.Time >= columnEnd) {
            FlushColumn(points, first, i, low, high, line);
            // Straight to the column of this point: empty columns between flush nothing.
            const double column = std::floor((point.Time - retainStart) / columnWidth);
            columnEnd = retainStart + (column + 1) * columnWidth;
            first = i;
            low = high = point.Value;
            continue;
        }
        // The sentinel is the smallest value there is, so any gap makes the column's minimum a gap.
        low = std::min(low, point.Value);
        high = std::max(high, point.Value);
    }
    FlushColumn(points, first, i, low, high, line);
    std::stable_sort(line.begin(), line.end(),
                     [](const TTimeLinePoint &a, const TTimeLinePoint &b) { return a.X < b.X; });
    return true;
}
