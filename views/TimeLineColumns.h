#pragma once

#include "engine/TimeSeries.h"

#include <deque>
#include <vector>

// One point of a time diagram's line: a time (TDateTime) and a value, or a gap that breaks the line.
struct TTimeLinePoint {
    double X;
    double Y;
    bool Gap;
};

// The line of a time series on a time axis whose pixel columns are columnWidth days wide from
// retainStart: at most four points per column (first, minimum, maximum, last), so that a redraw costs as
// much as the plot is wide however many points are stored. A column that holds a gap shows each of its
// points, the gap as a break half-way between its neighbours. The point before retainStart enters from
// the left edge. False (and `line` untouched) when the series has no points or the width is not positive:
// the line keeps what it shows.
bool BuildTimeLine(const std::deque<TimePoint> &points, double retainStart, double columnWidth,
                   std::vector<TTimeLinePoint> &line);
