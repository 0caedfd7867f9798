#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

struct TDeviceSettings;

// The meter page's rules that do not need its widgets.

// "mm:ss" as seconds: characters 1-2 and 4-5 each read as a decimal integer from their first characters
// (leading blanks skipped; no digits count 0). Not limited: "99:99" gives 6039.
int ParseMinSec(const QString &text);
inline constexpr int MaxAveragingSeconds = 3599; // 59:59

// The cable velocity typed as a number ("3,5" too) or a quotient ("300/2", "/2" = 1/2, "600/" = 600/1),
// limited to 1..300 m/us. A text that does not convert (or divides by zero) gives 150 and Ok false.
struct TVelocityEntry {
    float Value;
    bool Ok;
};
TVelocityEntry ParseCableVelocity(const QString &text);
// The velocity as the page shows it: fixed, two decimals.
QString VelocityText(float velocity);

// The band as the page edits it: edges F0, F1 and centre Fc, width B (kHz). After an edit of Fc or B
// (centreEdited) the edges follow them, within one spectrum step s and the maximum frequency M; in every
// case Fc and B follow the edges. Every result passes through RoundFrequency.
struct TBandEntry {
    double F0, F1, Fc, B;
};
TBandEntry ChangeBand(TBandEntry band, bool centreEdited, double s, double M);

// The current level of the recognised signal kind's level row ("Сигнал,дБм0", or "Шум,дБм0" for the
// NOISE), the no-value mark for kind 0 or a kind without a table.
float MeasuredSignalLevel(int signalKind);

// The weighting characteristic applied: with points it becomes the engine's characteristic, and its path
// is appended to FileNameList at the first apply (WeightingIndex takes the new index) or replaces the
// entry of WeightingIndex; without points the entry is emptied (ClearWeightingName) and the index kept.
void ApplyWeighting(TDeviceSettings &settings, const std::vector<float> &x, const std::vector<float> &y,
                    const QString &path);
// Empties the FileNameList entry of the weighting index (the index stays) and the characteristic's graph.
void ClearWeightingName(const TDeviceSettings &settings);
// The path of the applied weighting file, empty without one.
QString WeightingPathOf(const TDeviceSettings &settings);

// The four maximum input levels offered for a meter impedance Z (Ohm) and reference level (dBm):
// e + 40, e + 20, e, e - 20 with e = trunc(10 log10(k / (Z x 0.001)) - reference - 3 + 0.5), k by the
// meter's input (types 6 and above but 12 are coaxial). Nothing below 10 Ohm or for a reference that is
// not a number.
std::optional<std::array<int16_t, 4>> MaxLevelChoices(double impedance, int connectionType, double reference);

// "Рестарт" under a remote link: the record of the peer's running generator, the program step of the
// local one, then RestartM9 and RestartM9_R.
std::array<uint8_t, 4> RestartCodes(const TDeviceSettings &settings);
