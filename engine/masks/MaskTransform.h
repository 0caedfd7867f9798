#pragma once

#include "engine/masks/TMASK.h"

// Moves every point of the mask by dx along x.
void ShiftMaskX(TMASK &mask, double dx);

// Rescales every y from the percentage the mask carries now to percent (0 counts as 1, the fraction is
// dropped) and keeps the new percentage, so that a return to 100 gives the file's values back.
void ScaleMask(TMASK &mask, double percent);

// One step of the mask shift buttons: one pixel of the bottom axis (span over the plot width, or over
// the window width while the plot has none), times 5 with Shift and times 10 with Ctrl held.
double MaskShiftStep(double span, int plotWidth, int windowWidth, bool shift, bool control);
