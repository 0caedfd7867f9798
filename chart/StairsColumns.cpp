#include "chart/StairsColumns.h"

#include <QRect>

#include <algorithm>
#include <cmath>
#include <limits>

void TStairsColumns::Reset(int first, int count) {
    first_ = first;
    top_.assign(std::size_t(std::max(count, 0)), std::numeric_limits<double>::quiet_NaN());
    colour_.assign(top_.size(), 0);
}

void TStairsColumns::Take(int column, double top, QRgb colour) {
    double &shown = top_[std::size_t(column - first_)];
    // A later step of the same height wins, as it would paint over the earlier one.
    if (std::isnan(shown) || top <= shown) {
        shown = top;
        colour_[std::size_t(column - first_)] = colour;
    }
}

void TStairsColumns::AddStep(double left, double right, double top, QRgb colour) {
    if (right < left)
        std::swap(left, right);
    // The columns whose centres the step covers; a narrower step falls into the column that holds its left.
    int from = int(std::ceil(left - 0.5));
    int to = int(std::ceil(right - 0.5)) - 1;
    if (to < from)
        from = to = int(std::floor(left));
    from = std::max(from, first_);
    to = std::min(to, first_ + int(top_.size()) - 1);
    for (int column = from; column <= to; ++column)
        Take(column, top, colour);
}

namespace {

// The pixel rows between two pixel y that a filled polygon edge at each would cover.
int Row(double y) {
    return int(std::ceil(std::clamp(y, -1e5, 1e5) - 0.5));
}

} // namespace

void TStairsColumns::ForEachRun(double bottom, const std::function<void(const QRect &, QRgb)> &fill) const {
    const int count = int(top_.size());
    for (int i = 0; i < count;) {
        if (std::isnan(top_[std::size_t(i)])) {
            ++i;
            continue;
        }
        const int a = Row(top_[std::size_t(i)]), b = Row(bottom);
        int end = i + 1;
        while (end < count && !std::isnan(top_[std::size_t(end)]) && Row(top_[std::size_t(end)]) == a &&
               colour_[std::size_t(end)] == colour_[std::size_t(i)])
            ++end;
        if (a != b)
            fill(QRect(first_ + i, std::min(a, b), end - i, std::abs(b - a)), colour_[std::size_t(i)]);
        i = end;
    }
}
