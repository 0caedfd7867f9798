#pragma once

#include "engine/masks/TMASK.h"

#include <QPointF>

#include <functional>
#include <vector>

// What of the chart the drawing of a mask needs: the visible range in data units and the conversion of
// data values to pixels (x by the bottom axis, y by the mask's axis).
struct TMaskView {
    double XMin, XMax; // bottom axis at the plot's left and right edge
    double YMin, YMax; // the mask's axis at the plot's bottom and top edge
    std::function<double(double)> XToPixel;
    std::function<double(double)> YToPixel;
};

// Backward diagonal hatch above an upper mask, forward diagonal below a lower mask.
enum class TMaskHatch { Backward, Forward };

// The outline of a mask in pixels. A template is the filled polygon of every point: the curve clipped to
// the plot, closed along the plot's top edge (upper mask) or bottom edge (lower mask). A line mask is the
// polyline of the clipped curve alone. Empty when the mask has fewer than two drawable points.
struct TMaskPolygon {
    std::vector<QPointF> Points;
    bool Filled = false;
    TMaskHatch Hatch = TMaskHatch::Backward;
};

TMaskPolygon MaskPolygon(const TMASK &mask, const TMaskView &view);
