#pragma once

#include <cstdint>

inline constexpr uint8_t PointWithinMasks = 1;
inline constexpr uint8_t PointAboveUpperMask = 0;
inline constexpr uint8_t PointBelowLowerMask = 255;

// The verdict of one curve point against the active template masks of a slot: 1 passed (also when not
// judged: no mask, a line mask, x outside the mask, the no-value sentinel), 0 on or above the upper
// mask, 255 on or below the lower mask (also when it violates both). ANDs the outcome into Passed of the
// masks that judged. Allocates nothing.
uint8_t CheckPointAgainstMasks(int32_t slot, double y, double x);
