#pragma once

#include <array>
#include <cstdint>

struct TDeviceSettings;

// The ranges of the generator level edits, from the generator's greatest output level into its load.
// The edits hold levels relative to the generator reference R: a single sine may reach the greatest
// level L, two tones and PRBS 3 dB less, multitone and noise 8 dB less, each less the headroom the
// 4096 kHz range needs; the lowest level is -70 dBm absolute (SIN, NOISE, the two masters' SIN) or
// -40 dBm (SIN2, RND, MTTS).

enum class LevelEdit { Sin, Sin2, Rnd, Mtts, Noise, Connect, MasterFreqSin, MirvakSin };
inline constexpr int LevelEditCount = 8;

struct LevelLimit {
    int16_t Max;
    int16_t Min;
    bool HasMin; // false: the edit keeps its own minimum (the remote-control level), Min is not used
};

// x truncated toward zero into 16 bits; beyond them it saturates, and a value that is not a number
// gives the lowest code.
int16_t TruncateLevel(double x);

// L in dBm: the greatest level the generator gives into GenImpedance on the connection type.
float GreatestGeneratorLevel(const TDeviceSettings &settings);

// The limits of every level edit for greatest level L and reference R, indexed by LevelEdit. A maximum
// that computes below its minimum is raised to the minimum, so that no edit gets an empty range.
std::array<LevelLimit, LevelEditCount> GeneratorLevelLimits(double L, double R, float maxFrequency,
                                                            int connectionType);
