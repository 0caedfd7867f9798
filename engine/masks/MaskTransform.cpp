#include "engine/masks/MaskTransform.h"

#include <cmath>

void ShiftMaskX(TMASK &mask, double dx) {
    for (TMaskPoint &point : mask.Points)
        point.x += dx;
}

void ScaleMask(TMASK &mask, double percent) {
    const auto scale = int16_t(std::trunc(percent < 1 ? 1 : percent));
    // A mask read from a stored record may carry no percentage; it counts as the file's own values.
    const double from = mask.Scale >= 1 ? mask.Scale : 100;
    for (TMaskPoint &point : mask.Points)
        point.y = scale / from * point.y;
    mask.Scale = scale;
}

double MaskShiftStep(double span, int plotWidth, int windowWidth, bool shift, bool control) {
    const int pixels = plotWidth != 0 ? plotWidth : windowWidth;
    double step = pixels != 0 ? span / pixels : 0;
    if (shift)
        step *= 5;
    if (control)
        step *= 10;
    return step;
}
