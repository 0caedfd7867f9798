#pragma once

#include <cstdint>
#include <vector>

// Selective levels below this lie on the floor: their bars fall back to it on both sides and carry no mark.
inline constexpr double SelectiveFloorLevel = -190;

// Where the pixels of a plot lie on the X axis and how far each point is drawn left of its x.
struct TBinGeometry {
    double BinWidth = 0;  // X units per pixel
    double HalfStep = 0;  // every point is drawn at x - HalfStep, so a stairs bar is centred on its x
    double FirstEdge = 0; // the kind's default X minimum: points left of it are not drawn
    double SecondEdge = 0;
};

// X units per pixel for an axis span on a plot of plotWidth pixels; the full span serves when the zoomed
// one is narrower than 0.00001 per pixel. Zero when no finite positive width can be had (a zero or
// non-finite span, no pixels).
double PixelBinWidth(double axisSpan, double fullSpan, int plotWidth);

// One point handed to the chart: a value, or a gap at X.
struct TPlotPoint {
    double X;
    double Y;
    bool Gap;
};

struct TDecimatedCurve {
    std::vector<TPlotPoint> Points; // ascending X
    bool HasValue = false;          // some y was not the no-value sentinel
    void Clear() {
        Points.clear();
        HasValue = false;
    }
};

// Reduces a curve of n points to at most two points per pixel (the minimum and the maximum of the
// points inside it; only the maximum for the spectral kinds), with gaps where a pixel holds only the
// no-value sentinel (none for the master kinds 18 and 19, and none at the end for kinds 18 to 36). The
// selective level kinds draw each measured point as a one-pixel bar that falls back to the floor; the
// spectral kinds end one step beyond their last point. The sentinel never counts as a pixel's minimum or
// maximum. Without a usable bin width every point is its own pixel. The output keeps its capacity.
void DecimateCurve(int kind, const float *x, const float *y, int32_t n, const TBinGeometry &geometry,
                   TDecimatedCurve &out);
