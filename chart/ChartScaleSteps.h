#pragma once

class TChart;

// Moves or zooms the chart by a tenth of its plot rectangle and zooms to the changed rectangle: 1 zoom
// Y, 3 reduce Y, 2 zoom X, 4 reduce X, 7 up, 8 down, 9 left, 10 right. Other codes do nothing.
void StepChart(TChart &chart, int code);

// The automatic vertical range of a chart window's curves [yMin, yMax] at resolution res: a span below
// five resolution steps becomes the centre +- 2.6 steps, then a margin e (a tenth of the span, or of
// the axis span [axisMin, axisMax] under remote control) widens both ends. False when there is nothing
// to show (yMax <= -1e9 or yMin >= 1e9) or, under remote control, when the new range lies within e of
// the axis at both ends, so that a peer's frames do not make the axis jitter.
bool AutomaticYRange(double &yMin, double &yMax, double res, bool remote, double axisMin, double axisMax);
