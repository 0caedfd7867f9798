#pragma once

#include <cstdint>

// XMin <= XMax and YMin <= YMax.
struct TClipRect {
    double XMin, XMax, YMin, YMax;
};

// Bits of a point's position against the rectangle: 1 left of it (or x not a number), 2 right, 4 below
// (or y not a number), 8 above.
uint8_t PointOutcode(double x, double y, const TClipRect &rect);

enum class TClipResult {
    Inside,   // the segment was cut to its part inside the rectangle
    OnBorder, // both ends lay outside on one side: every coordinate was clamped onto the border
    Rejected, // an end was not a finite number, or the rectangle is not one: the segment is left as it was
};

// Cohen-Sutherland clipping, except that a segment wholly outside on one side is clamped onto the
// border instead of dropped, so that a mask keeps its outline along the plot's edge. Ends after at most
// four moves of an end point; rounding that keeps a point just outside then clamps it.
TClipResult ClipSegment(double &x0, double &y0, double &x1, double &y1, const TClipRect &rect);
