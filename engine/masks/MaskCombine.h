#pragma once

#include "engine/masks/TMASK.h"

#include <vector>

// Index 0 makes the given curve the mask's curve; any other index adds it to the mask's curve over the
// union of both x lists, each curve counting as 0 outside its own x range.
void CombineMaskPoints(TMASK &mask, int index, const std::vector<TMaskPoint> &points);
