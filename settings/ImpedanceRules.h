#pragma once

#include <array>
#include <optional>

// How the connection type fixes or bounds the generator and meter impedances, and the standard values an
// impedance without its low-ohm (generator) or high-ohm (meter) flag is moved to.

inline constexpr std::array<double, 4> StandardImpedances = {100, 120, 135, 600}; // Ohm, ascending

// Above this maximum frequency (that is at 2048 and 4096 kHz) a side on the line needs an impedance of
// at most MatchedImpedanceLimit unless its flag is set.
inline constexpr double MatchedFrequencyThreshold = 1100; // kHz
inline constexpr double MatchedImpedanceLimit = 135;      // Ohm

// Whether the side is on the line: types 2 and 7 switch only the meter, types 1 and 6 only the generator.
bool SideConnected(int connectionType, bool isGenerator);

// Moves value onto a standard impedance. memory is the value as last snapped: when they agree the value
// goes to the nearest standard value (a tie to the lower one); otherwise it goes in the direction it
// moved from memory, so that the spin buttons step through 100, 120, 135, 600. memory takes the result.
void SnapImpedance(double &value, double &memory);
// For a settings field, which is its own memory: the nearest standard impedance.
float SnapImpedance(float value);

struct ImpedanceRange {
    double Min;
    double Max;
};

// The range an impedance edit allows on a connection type; flag is the side's low-ohm or high-ohm box.
// Outside the types' rows it is the side's full quantizer range (30..1500 Ohm).
ImpedanceRange ImpedanceRangeFor(int connectionType, bool flag, bool isGenerator);

// Without its flag an impedance snaps to a standard value, and above 1100 kHz the cap of a connected
// side drops to 135 Ohm; a value above the cap becomes the cap. A value that is not a number becomes
// the cap as well.
void LimitImpedanceValue(double &value, double &memory, double cap, bool flag, bool isGenerator);
// The same rule on a settings field (value and memory are that one field); returns the new value.
float LimitImpedance(float value, float cap, bool flag, bool isGenerator);

// Whether an impedance edit snaps while it is typed into on this connection type (clear flag): the
// types whose row bounds the side; on the others the value is free within the edit's range.
bool SnapsWhileTyping(int connectionType, bool isGenerator);

// The reference level that a voltage-based reference preset gives at impedance Z: preset 2 (0.775 V)
// -10 log10(Z / 600), preset 3 (1.0 V) -10 log10(Z / 1000); nothing for the other presets or for an
// impedance that is not positive.
std::optional<double> PresetReference(int preset, double impedance);
