#pragma once

#include <cstdint>

// The lowest level the analysis reports, dBm0.
inline constexpr float LevelFloor = -160.0f;

// A power sum of spectrum bins as a level in dBm0 at the meter (or, in connection types 3 and 8, the
// generator) impedance. Zero, negative, tiny or non-finite powers and a zero impedance give LevelFloor.
float PowerToDbm0(float p);

// A generator level (dB, with reference ref dB, into R Ohm) as an amplitude code for the given
// connection type; halve for an output that feeds a matched divider.
float LevelToCode(float level, float R, float ref, int32_t connectionType, bool halve);
float AmplitudeToCode(float u, float R, int32_t connectionType, bool halve, float kA = 14748.0f, float kB = 7672.0f);
// The level in dBm of the largest amplitude the generator can give.
float CodeToLevel(float R, int32_t connectionType, bool halve);
