#pragma once

#include "engine/masks/TMASK.h"

#include <cstdint>
#include <vector>

// The helpers that the multitone measurement and the line analysis share on the response
// ResultArrays.Frequency / ResultArrays.Attenuation over CombLineCount points.

// Normalises the attenuation by DeviceSettings->AfcRef: above 0 relative to the response at that
// frequency (no value anywhere when no pair of valid neighbours brackets it), 0 relative to the
// smallest valid value (below 10000), below 0 unchanged.
void NormaliseAttenuation();

// A curve of mask points at x, linear between them; below under the first point, above over the last.
// An empty curve gives below.
double InterpolatePairs(double x, const std::vector<TMaskPoint> &points, double below, double above);

// Whether more than one line in the window before line i has a negative or missing signal-to-noise
// ratio: the comb has a gap there.
bool HasLineGap(int32_t i);

// Subtracts v from every valid value of y[0 .. count - 1].
void SubtractFromValid(float *y, int32_t count, float v);
// The value at f between the first pair of neighbouring points with valid values that brackets it;
// NoValue when there is none.
float ValueAtBracket(const float *x, const float *y, int32_t count, float f);
// The smallest valid value below limit; NoValue when there is none.
float SmallestValid(const float *y, int32_t count, float limit);
