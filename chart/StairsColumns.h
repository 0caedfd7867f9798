#pragma once

#include <QColor>

#include <functional>
#include <vector>

// The steps of a stairs area reduced to the pixel columns of the plot. Each column keeps the step that
// reaches furthest up (the smallest pixel y) among those that fall in it, with that step's colour, so a
// step narrower than a pixel still shows in its colour at any zoom; a column that a wide step covers takes
// it as the filled polygon would (the step covers the column's centre). The buffers keep their capacity from
// drawing to drawing.
class TStairsColumns {
public:
    // Columns first..first+count-1 of the plot, all empty.
    void Reset(int first, int count);
    // A step from pixel x left to right (either order) whose top is at pixel y top.
    void AddStep(double left, double right, double top, QRgb colour);
    // The filled columns as rectangles from their tops down to bottom (the pixel y of the axis bottom), in
    // the colour of each column; together they cover each column once.
    void ForEachRun(double bottom, const std::function<void(const QRect &rect, QRgb colour)> &fill) const;

private:
    void Take(int column, double top, QRgb colour);

    int first_ = 0;
    std::vector<double> top_; // NaN for an empty column
    std::vector<QRgb> colour_;
    struct Rising {
        int from, height;
    };
    mutable std::vector<Rising> rising_; // the skyline's open steps while a run is cut into rectangles
};
