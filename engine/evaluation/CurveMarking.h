#pragma once

#include <cstdint>

// Judges every point of a slot's curve against the slot's masks into PointVerdicts[slot], after setting
// Passed of its active masks to 3 (not judged). Nothing when the slot has no verdict array. Points
// outside the analysis band pass unjudged except on the curves whose x is not a frequency (oscillogram,
// reflectograms, master characteristics, selective curves); the selective curves keep the verdicts of
// their non-gap points packed from index 0. Only as many verdicts as the array holds are kept.
void MarkCurvePoints(const float *x, const float *y, int32_t n, int32_t slot);

// The gap value of a slot's curve: -300 on the selective level curves, the no-value sentinel elsewhere.
float CurveGapValue(int32_t slot);

// Whether a slot's curve is judged only inside the analysis band.
bool JudgedInBandOnly(int32_t slot);
