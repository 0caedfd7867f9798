#pragma once

#include <cmath>
#include <cstdint>

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
// Inline: the spectrum converts every one of up to 16384 bins with it.
inline float PowerToDbm0(float p, const TDbm0Scale &scale) {
    const double d = static_cast<double>(p) * scale.PerPower;
    if (!std::isfinite(d) || d <= 1e-16)
        return LevelFloor;
    const double level = 10.0 * std::log10(d) - scale.Reference + scale.Correction;
    return level > LevelFloor ? static_cast<float>(level) : LevelFloor;
}

// A generator level (dB, with reference ref dB, into R Ohm) as an amplitude code for the given
// connection type; halve for an output that feeds a matched divider.
float LevelToCode(float level, float R, float ref, int32_t connectionType, bool halve);
float AmplitudeToCode(float u, float R, int32_t connectionType, bool halve, float kA = 14748.0f, float kB = 7672.0f);
// The level in dBm of the largest amplitude the generator can give.
float CodeToLevel(float R, int32_t connectionType, bool halve);
