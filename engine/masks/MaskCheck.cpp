#include "engine/masks/MaskCheck.h"

#include "engine/masks/MaskArray.h"
#include "platform/NoValue.h"

namespace {

bool Judges(const TMASK *mask) {
    return mask && mask->Active && !mask->IsLine;
}

// Whether (x, y) is on the forbidden side (above an upper, below a lower mask) of the mask's first segment that spans x
// (in either order); a point outside every segment is allowed.
bool Violates(const TMASK &mask, bool upper, double x, double y) {
    const std::vector<TMaskPoint> &p = mask.Points;
    for (size_t j = 0; j + 1 < p.size(); ++j) {
        const TMaskPoint &a = p[j];
        const TMaskPoint &b = p[j + 1];
        if (!((a.x <= x && x <= b.x) || (b.x <= x && x <= a.x)))
            continue;
        if (a.x == b.x)
            return upper ? (y >= a.y || y >= b.y) : (y <= a.y || y <= b.y);
        const double limit = a.y == b.y ? a.y : a.y + (x - a.x) * (b.y - a.y) / (b.x - a.x);
        return upper ? y >= limit : y <= limit;
    }
    return false;
}

} // namespace

uint8_t CheckPointAgainstMasks(int32_t slot, double y, double x) {
    if (y == double(NoValue))
        return PointWithinMasks;
    uint8_t upper = 3, lower = 3;
    if (TMASK *mask = SlotMask(slot, MaskUpperSide); Judges(mask)) {
        upper = 1;
        lower = 1;
        if (Violates(*mask, true, x, y))
            upper = 0;
        mask->Passed &= upper;
    }
    if (TMASK *mask = SlotMask(slot, MaskLowerSide); Judges(mask)) {
        upper &= 1;
        lower &= 1;
        if (Violates(*mask, false, x, y))
            lower = 0;
        mask->Passed &= lower;
    }
    if (lower == 0)
        return PointBelowLowerMask;
    return upper == 0 ? PointAboveUpperMask : PointWithinMasks;
}
