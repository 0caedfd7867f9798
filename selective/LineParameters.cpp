#include "selective/LineParameters.h"

#include "engine/EngineMath.h"
#include "engine/ResultSlots.h"
#include "platform/NoValue.h"
#include "selective/MirvakImpedanceComplex.h"
#include "selective/MirvakWork.h"
#include "state/DeviceSettings.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr float NeperToDb = 8.686f;
constexpr float MinCableMetres = 1.0f;
// The capacitive start of an open line's curve, and where its search gives up.
constexpr float CapacitiveBelowDegrees = -25.0f;
constexpr float CapacitiveBelowOhm = 5000.0f;
constexpr float NotCapacitiveAboveDegrees = -20.0f;
constexpr float NotCapacitiveBelowOhm = 5.0f;
constexpr float ShortLineTopKHz = 0.3f;
constexpr float VelocityTopKHz = 15.0f;
constexpr float MaxNeighbourGapKHz = 15.0f;
constexpr float MaxVelocity = 300.0f; // m/us

float Degrees(float rad) {
    return rad * 180.0f / std::numbers::pi_v<float>;
}

} // namespace

float MirvakCableKm() {
    return std::max(float(DeviceSettings->Mirvak.CableLength), MinCableMetres) * 0.001f;
}

void LineStep(int32_t j) {
    TMirvakWorkArrays &w = MirvakWorkArrays;
    const std::size_t i = std::size_t(j);
    const TComplex open = MakeComplex(w.ZOpenRe[i], w.ZOpenIm[i]);
    const TComplex shorted = MakeComplex(w.ZShortRe[i], w.ZShortIm[i]);
    if (open.re == NoValue || open.im == NoValue || shorted.re == NoValue || shorted.im == NoValue)
        return;
    const TComplex t = SqrtComplex(MultiplyComplex(shorted, ReciprocalComplex(open)));
    const TComplex g = AtanhComplex(t);
    const float len = MirvakCableKm();
    w.LineAtt[i] = g.re * NeperToDb / len;
    w.LinePhase[i] = g.im / len;
    const TComplex zc = SqrtComplex(MultiplyComplex(shorted, open));
    w.LineZMod[i] = ComplexModulus(zc);
    w.LineZPhase[i] = Degrees(ComplexArgument(zc));
}

void LineCapacitanceFromOpen() {
    const TMirvakWorkArrays &w = MirvakWorkArrays;
    const int32_t n = std::min(w.PointCount, int32_t(w.ZOpenRe.size()));
    int32_t c = -1;
    for (int32_t j = 0; j < n && c < 0; ++j) {
        const TComplex z = MakeComplex(w.ZOpenRe[std::size_t(j)], w.ZOpenIm[std::size_t(j)]);
        if (z.re == NoValue || z.im == NoValue)
            continue;
        const float phase = Degrees(ComplexArgument(z));
        const float modulus = ComplexModulus(z);
        if (phase < CapacitiveBelowDegrees && modulus < CapacitiveBelowOhm)
            c = j;
        else if (phase > NotCapacitiveAboveDegrees || modulus < NotCapacitiveBelowOhm)
            return;
    }
    if (c < 0)
        return;
    const float lo = w.PointFreq[std::size_t(c)];
    const float hi = w.PointFreq[std::size_t(n - 1)];
    float f = 1;
    while (f < lo)
        f *= 2;
    if (f > hi)
        return;
    const float x = InterpolateTable(f, n - c, &w.PointFreq[std::size_t(c)], &w.ZOpenIm[std::size_t(c)]);
    if (x == NoValue || x == 0)
        return;
    SetResult(SlotMirvakCapacitanceFrequency, f);
    SetResult(SlotMirvakCapacitancePerKm,
              std::fabs(1e6f / (2 * std::numbers::pi_v<float> * f * x) / MirvakCableKm()));
}

void LineResistanceFromShort() {
    const TMirvakWorkArrays &w = MirvakWorkArrays;
    if (w.PointCount < 1 || w.ZShortRe.empty() || !(w.PointFreq[0] <= ShortLineTopKHz) || w.ZShortRe[0] == NoValue)
        return;
    SetResult(SlotMirvakResistancePerKm, w.ZShortRe[0] / MirvakCableKm() * 0.5f);
}

void LineVelocityFromPhase() {
    TMirvakWorkArrays &w = MirvakWorkArrays;
    const int32_t n = std::min(w.PointCount, int32_t(w.LinePhase.size()));
    if (n < 1 || !(w.PointFreq[0] < VelocityTopKHz))
        return;
    for (int32_t j = 1; j < n; ++j)
        if (w.PointFreq[std::size_t(j)] - w.PointFreq[std::size_t(j - 1)] > MaxNeighbourGapKHz) {
            std::fill_n(w.LinePhase.begin(), n, NoValue);
            std::fill_n(w.LineVelocity.begin(), n, NoValue);
            return;
        }
    const float len = MirvakCableKm();
    const float pi = std::numbers::pi_v<float>;
    for (int32_t j = 1; j < n; ++j) {
        const float step = len * (w.LinePhase[std::size_t(j)] - w.LinePhase[std::size_t(j - 1)]);
        const float turn = step < -pi / 2 ? pi / len : step > pi / 2 ? -pi / len : 0;
        if (turn != 0)
            for (int32_t k = j; k < n; ++k)
                w.LinePhase[std::size_t(k)] += turn;
    }
    for (int32_t j = 0; j < n; ++j) {
        const float b = w.LinePhase[std::size_t(j)];
        float v = b > 0 ? 2 * pi * w.PointFreq[std::size_t(j)] / b : NoValue;
        w.LineVelocity[std::size_t(j)] = v > MaxVelocity ? NoValue : v;
    }
}
