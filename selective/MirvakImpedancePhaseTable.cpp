#include "selective/MirvakImpedancePhaseTable.h"

#include "engine/EngineMath.h"

#include <iterator>

namespace {

// One curve: its frequency axis (kHz) and a value column per maximum-level index (degrees), linearly
// interpolated and held at its ends.
//
// The maker's calibration of these curves is not available to us; what is known of them is their
// values at a few points. Each curve here is the simplest model that gives exactly those points:
// - type 3 at 2560 kHz: known at both ends of its axis (0.04 and 1024 kHz), so a straight line between
//   them;
// - type 3 at 5120 kHz: known only at its top (2048 kHz), so a phase proportional to the frequency (a
//   pure delay, the path's usual phase error), taken at both ends of the axis 20 .. 2048 kHz;
// - type 3 at 10240 kHz and all of type 8: nothing is known, so no correction (the rows are absent and
//   the lookup gives 0).
// The maker's curves (52, 16 and 29 points for type 3; 47, 13 and 26 for type 8) replace these rows as
// they stand: each row takes any number of points.
struct TPhaseCurve {
    int32_t ConnectionType;
    int32_t SampleRate;
    int32_t Count;
    float Freq[2];
    float Degrees[3][2];
};

constexpr float Delay5120At20 = 20.0f / 2048.0f;
constexpr TPhaseCurve PhaseCurves[] = {
    {3, 2560, 2, {0.04f, 1024.0f}, {{2.499f, -3.998f}, {2.426f, -12.834f}, {2.493f, -2.386f}}},
    {3,
     5120,
     2,
     {20.0f, 2048.0f},
     {{139.889f * Delay5120At20, 139.889f}, {124.206f * Delay5120At20, 124.206f}, {142.36f * Delay5120At20, 142.36f}}},
};

} // namespace

float MirvakPhaseCorrection(int32_t connectionType, float sampleRate, int32_t maxLevelIndex, float f) {
    if (maxLevelIndex < 0 || maxLevelIndex > 2)
        return 0;
    for (const TPhaseCurve &curve : PhaseCurves)
        if (curve.ConnectionType == connectionType && float(curve.SampleRate) == sampleRate)
            return InterpolateTable(f, curve.Count, curve.Freq, curve.Degrees[maxLevelIndex]);
    return 0;
}
