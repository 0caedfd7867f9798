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

// Each run of filled columns of one colour is cut into rectangles as a skyline is: the part that all of
// its columns share first, then what rises above it, so that most rows are filled across many columns at
// once. The raster engine fills a row of a rectangle in one go, but a rectangle one column wide costs it a
// call per row.
void TStairsColumns::ForEachRun(double bottom, const std::function<void(const QRect &, QRgb)> &fill) const {
    const int count = int(top_.size());
    const int base = Row(bottom);
    // The height of a column in rows above the bottom; a column that ends below the bottom lies outside the
    // plot.
    const auto height = [&](int i) { return std::max(base - Row(top_[std::size_t(i)]), 0); };
    std::vector<Rising> &rising = rising_;
    for (int i = 0; i < count;) {
        if (std::isnan(top_[std::size_t(i)])) {
            ++i;
            continue;
        }
        const QRgb colour = colour_[std::size_t(i)];
        int end = i;
        while (end < count && !std::isnan(top_[std::size_t(end)]) && colour_[std::size_t(end)] == colour)
            ++end;
        rising.clear();
        for (int x = i; x <= end; ++x) {
            const int h = x < end ? height(x) : 0;
            int from = x;
            while (!rising.empty() && rising.back().height > h) {
                const Rising step = rising.back();
                rising.pop_back();
                const int lower = std::max(h, rising.empty() ? 0 : rising.back().height);
                fill(QRect(first_ + step.from, base - step.height, x - step.from, step.height - lower), colour);
                from = step.from;
            }
            if (h > 0 && (rising.empty() || rising.back().height < h))
                rising.push_back({from, h});
        }
        i = end;
    }
}
