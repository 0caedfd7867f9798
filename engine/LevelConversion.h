#pragma once

#include "engine/EngineMath.h"

#include <cstdint>
#include <limits>

// The lowest level the analysis reports, dBm0.
inline constexpr float LevelFloor = -160.0f;

// A power sum of spectrum bins as a level in dBm0 at the meter (or, in connection types 3 and 8, the
// generator) impedance. Zero, negative, tiny or non-finite powers and a zero impedance give LevelFloor.
float PowerToDbm0(float p);

// The settings' part of PowerToDbm0, taken once for a loop over many bins; PowerToDbm0 (p, scale)
// gives the same value as PowerToDbm0 (p) while the settings stay.
struct TDbm0Scale {
    double PerPower;   // 1 mW over the impedance times the spectrum's power scale
    double Reference;  // MeterRef, dBm
    double Correction; // dB of the generator's side in connection types 3 and 8
};
TDbm0Scale Dbm0Scale();
// The steps of PowerToDbm0, shared with its loop over an array: the power in milliwatts, its level, and
// the level kept or LevelFloor (a not-a-number d or level fails the comparisons and falls to the floor).
inline double Dbm0Power(float p, const TDbm0Scale &scale) {
    return static_cast<double>(p) * scale.PerPower;
}
inline double Dbm0Level(double d, const TDbm0Scale &scale) {
    return 10.0 * Log10OfPositive(d) - scale.Reference + scale.Correction;
}
inline double FlooredLevel(double d, double level) {
    const bool measurable = d > 1e-16 && d <= std::numeric_limits<double>::max() && level > LevelFloor;
    return measurable ? level : LevelFloor;
}
inline float PowerToDbm0(float p, const TDbm0Scale &scale) {
    const double d = Dbm0Power(p, scale);
    return static_cast<float>(FlooredLevel(d, Dbm0Level(d, scale)));
}

// PowerToDbm0 of count power sums, in place; the displayed spectrum converts up to 16384 bins a block
// with it.
void PowersToDbm0(float *values, int32_t count, const TDbm0Scale &scale);

// A generator level (dB, with reference ref dB, into R Ohm) as an amplitude code for the given
// connection type; halve for an output that feeds a matched divider.
float LevelToCode(float level, float R, float ref, int32_t connectionType, bool halve);
float AmplitudeToCode(float u, float R, int32_t connectionType, bool halve, float kA = 14748.0f, float kB = 7672.0f);
// The level in dBm of the largest amplitude the generator can give.
float CodeToLevel(float R, int32_t connectionType, bool halve);
