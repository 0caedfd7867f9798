#include "engine/LevelConversion.h"

#include "state/DeviceSettings.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// The fixed normalisation of the spectrum scale: a power sum divided by it is in watts times the
// impedance's ohms, over one milliwatt.
constexpr double SpectrumPowerScale = 798176.0625;

// Connection types whose generator output runs through the transformer stage with its own gain.
bool TransformerOutput(int32_t connectionType) {
    switch (connectionType) {
    case 6:
    case 8:
    case 9:
    case 10:
    case 12:
        return true;
    default:
        return false;
    }
}

float HalvingFactor(float R) {
    return (R + 3) / (2 * R);
}

} // namespace

TDbm0Scale Dbm0Scale() {
    double R = DeviceSettings->MeterImpedance;
    double correction = 0;
    if (DeviceSettings->ConnectionType == 3) {
        R = DeviceSettings->GenImpedance;
        correction = -0.113;
    } else if (DeviceSettings->ConnectionType == 8) {
        R = DeviceSettings->GenImpedance;
        correction = -0.18;
    }
    return {R > 0 ? 1000.0 / (R * SpectrumPowerScale) : 0.0, DeviceSettings->MeterRef, correction};
}

float PowerToDbm0(float p) {
    return PowerToDbm0(p, Dbm0Scale());
}

void PowersToDbm0(float *values, int32_t count, const TDbm0Scale &scale) {
    // In slices, one step of PowerToDbm0 per loop: each loop then keeps to one width of number and no
    // branch, which the compiler vectorises (the whole of it in one loop it does not).
    constexpr int32_t Slice = 256;
    std::array<double, Slice> d;
    std::array<double, Slice> level;
    for (int32_t start = 0; start < count; start += Slice) {
        const int32_t n = std::min(Slice, count - start);
        float *v = values + start;
        for (int32_t i = 0; i < n; ++i)
            d[i] = Dbm0Power(v[i], scale);
        for (int32_t i = 0; i < n; ++i)
            level[i] = Dbm0Level(d[i], scale);
        for (int32_t i = 0; i < n; ++i)
            level[i] = FlooredLevel(d[i], level[i]);
        for (int32_t i = 0; i < n; ++i)
            v[i] = static_cast<float>(level[i]);
    }
}

float AmplitudeToCode(float u, float R, int32_t connectionType, bool halve, float kA, float kB) {
    float code = TransformerOutput(connectionType) ? u * kA : (R > 500 ? u * kB * 1.0186f : u * kB);
    if (halve)
        code *= HalvingFactor(R);
    return code;
}

float LevelToCode(float level, float R, float ref, int32_t connectionType, bool halve) {
    const float u = std::sqrt(std::pow(10.0f, (level + ref) / 10.0f) * R * 0.001f);
    return AmplitudeToCode(u, R, connectionType, halve);
}

float CodeToLevel(float R, int32_t connectionType, bool halve) {
    const bool transformer = TransformerOutput(connectionType);
    const float base = transformer ? 3.2922f : 6.5845f;
    const float divisor = transformer ? 14748.0f : 7672.0f;
    float f = AmplitudeToCode(base, R, connectionType, halve) / divisor;
    if (halve) {
        const float h = HalvingFactor(R);
        f /= h * h;
    }
    return 10.0f * std::log10(f * f / (R * 0.001f));
}
