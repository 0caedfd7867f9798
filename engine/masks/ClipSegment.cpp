#include "engine/masks/ClipSegment.h"

#include <algorithm>
#include <cmath>

uint8_t PointOutcode(double x, double y, const TClipRect &rect) {
    uint8_t code = 0;
    if (x < rect.XMin || std::isnan(x))
        code |= 1;
    else if (x > rect.XMax)
        code |= 2;
    if (y < rect.YMin || std::isnan(y))
        code |= 4;
    else if (y > rect.YMax)
        code |= 8;
    return code;
}

namespace {

void ClampInto(double &x, double &y, const TClipRect &rect) {
    x = std::clamp(x, rect.XMin, rect.XMax);
    y = std::clamp(y, rect.YMin, rect.YMax);
}

} // namespace

TClipResult ClipSegment(double &x0, double &y0, double &x1, double &y1, const TClipRect &rect) {
    if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1) ||
        !(rect.XMin <= rect.XMax) || !(rect.YMin <= rect.YMax))
        return TClipResult::Rejected;
    uint8_t c0 = PointOutcode(x0, y0, rect);
    uint8_t c1 = PointOutcode(x1, y1, rect);
    constexpr int MaxMoves = 4;
    for (int moves = 0; (c0 | c1) != 0; ++moves) {
        if ((c0 & c1) != 0 || moves == MaxMoves) {
            ClampInto(x0, y0, rect);
            ClampInto(x1, y1, rect);
            return (c0 & c1) != 0 ? TClipResult::OnBorder : TClipResult::Inside;
        }
        const bool first = c0 != 0;
        double &x = first ? x0 : x1;
        double &y = first ? y0 : y1;
        const uint8_t code = first ? c0 : c1;
        const double dx = x1 - x0;
        const double dy = y1 - y0;
        if (code & 3) {
            const double edge = (code & 1) ? rect.XMin : rect.XMax;
            y = y0 + dy * (edge - x0) / dx;
            x = edge;
        } else {
            const double edge = (code & 4) ? rect.YMin : rect.YMax;
            x = x0 + dx * (edge - y0) / dy;
            y = edge;
        }
        (first ? c0 : c1) = PointOutcode(x, y, rect);
    }
    return TClipResult::Inside;
}
