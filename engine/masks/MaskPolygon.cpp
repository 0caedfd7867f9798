#include "engine/masks/MaskPolygon.h"

#include "engine/masks/ClipSegment.h"

#include <algorithm>

TMaskPolygon MaskPolygon(const TMASK &mask, const TMaskView &view) {
    TMaskPolygon polygon;
    polygon.Hatch = mask.Upper ? TMaskHatch::Backward : TMaskHatch::Forward;
    const std::vector<TMaskPoint> &p = mask.Points;
    if (p.size() < 2)
        return polygon;
    const TClipRect rect{std::min(view.XMin, view.XMax), std::max(view.XMin, view.XMax), std::min(view.YMin, view.YMax),
                         std::max(view.YMin, view.YMax)};
    std::vector<QPointF> curve;
    curve.reserve(2 * p.size());
    for (size_t j = 1; j < p.size(); ++j) {
        double x0 = p[j - 1].x, y0 = p[j - 1].y, x1 = p[j].x, y1 = p[j].y;
        if (ClipSegment(x0, y0, x1, y1, rect) == TClipResult::Rejected)
            continue;
        curve.emplace_back(view.XToPixel(x0), view.YToPixel(y0));
        curve.emplace_back(view.XToPixel(x1), view.YToPixel(y1));
    }
    if (curve.empty())
        return polygon;
    const auto clampX = [&](double x) { return view.XToPixel(std::clamp(x, rect.XMin, rect.XMax)); };
    const QPointF first(clampX(p.front().x), curve.front().y());
    const QPointF last(clampX(p.back().x), curve.back().y());
    if (mask.IsLine) {
        polygon.Points.push_back(first);
        polygon.Points.insert(polygon.Points.end(), curve.begin(), curve.end());
        return polygon;
    }
    const double edge = view.YToPixel(mask.Upper ? view.YMax : view.YMin);
    polygon.Filled = true;
    polygon.Points.reserve(curve.size() + 4);
    polygon.Points.emplace_back(first.x(), edge);
    polygon.Points.push_back(first);
    polygon.Points.insert(polygon.Points.end(), curve.begin(), curve.end());
    polygon.Points.push_back(last);
    polygon.Points.emplace_back(last.x(), edge);
    return polygon;
}
