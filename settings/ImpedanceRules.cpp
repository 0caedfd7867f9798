#include "settings/ImpedanceRules.h"

#include "engine/catalogue/ValueQuantizer.h"
#include "state/DeviceSettings.h"

#include <cmath>

namespace {

constexpr int GeneratorImpedanceQuantizer = 2;
constexpr int MeterImpedanceQuantizer = 4;

// One row per connection type: the bounds with the flag off and on, for the generator and the meter.
// Min = Max = 0 stands for the side's full range.
struct SideBounds {
    ImpedanceRange Off;
    ImpedanceRange On;
};

constexpr ImpedanceRange Full{0, 0};
constexpr ImpedanceRange Symmetric{100, 600};
constexpr ImpedanceRange Coaxial{75, 75};
constexpr ImpedanceRange Bridge{124, 124};

// clang-format off
constexpr SideBounds GeneratorBounds[13] = {
    {Full, Full}, {Symmetric, Full}, {Full, Full}, {Symmetric, Symmetric}, {Bridge, Bridge},
    {Symmetric, Full}, {Coaxial, Full}, {Full, Full}, {Coaxial, Full}, {Coaxial, Full},
    {Coaxial, Coaxial}, {Symmetric, Full}, {Coaxial, Full},
};
constexpr SideBounds MeterBounds[13] = {
    {Full, Full}, {Full, Full}, {Symmetric, Full}, {Full, Full}, {Bridge, Bridge},
    {Symmetric, Full}, {Full, Full}, {Coaxial, Full}, {Full, Full}, {Coaxial, Full},
    {Coaxial, Coaxial}, {Coaxial, Full}, {Symmetric, Full},
};
// clang-format on

double NearestStandard(double value) {
    const auto &t = StandardImpedances;
    for (std::size_t i = 0; i < t.size(); ++i)
        if (t[i] >= value) {
            if (i == 0)
                return t[0];
            return value - t[i - 1] > t[i] - value ? t[i] : t[i - 1];
        }
    return t.back();
}

} // namespace

bool SideConnected(int connectionType, bool isGenerator) {
    return isGenerator ? connectionType != 2 && connectionType != 7 : connectionType != 1 && connectionType != 6;
}

void SnapImpedance(double &value, double &memory) {
    const auto &t = StandardImpedances;
    if (memory == value)
        value = NearestStandard(value);
    double snapped;
    if (memory >= value) {
        snapped = t.front();
        for (double s : t)
            if (s <= value)
                snapped = s;
    } else {
        snapped = t.back();
        for (auto it = t.rbegin(); it != t.rend(); ++it)
            if (*it >= value)
                snapped = *it;
    }
    value = snapped;
    memory = value;
}

float SnapImpedance(float value) {
    double v = value;
    double memory = value;
    SnapImpedance(v, memory);
    return float(v);
}

ImpedanceRange ImpedanceRangeFor(int connectionType, bool flag, bool isGenerator) {
    const ValueQuantizer &q =
        ValueQuantizers[isGenerator ? GeneratorImpedanceQuantizer : MeterImpedanceQuantizer];
    if (connectionType < 0 || connectionType > 12)
        return {q.Min, q.Max};
    const SideBounds &row = (isGenerator ? GeneratorBounds : MeterBounds)[connectionType];
    const ImpedanceRange r = flag ? row.On : row.Off;
    return r.Max == 0 ? ImpedanceRange{q.Min, q.Max} : r;
}

void LimitImpedanceValue(double &value, double &memory, double cap, bool flag, bool isGenerator) {
    const TDeviceSettings &s = *DeviceSettings;
    if (s.MaxFrequency > MatchedFrequencyThreshold && cap > MatchedImpedanceLimit && !flag &&
        SideConnected(s.ConnectionType, isGenerator))
        cap = MatchedImpedanceLimit;
    if (!flag)
        SnapImpedance(value, memory);
    if (value > cap || !std::isfinite(value)) {
        value = cap;
        memory = cap;
    }
}

float LimitImpedance(float value, float cap, bool flag, bool isGenerator) {
    double v = value;
    double memory = value;
    LimitImpedanceValue(v, memory, cap, flag, isGenerator);
    return float(v);
}

bool SnapsWhileTyping(int connectionType, bool isGenerator) {
    if (isGenerator)
        return connectionType >= 0 && connectionType <= 11 && connectionType != 4 && connectionType != 8 &&
               connectionType != 9 && connectionType != 10;
    return (connectionType >= 0 && connectionType <= 7) || connectionType == 12;
}

std::optional<double> PresetReference(int preset, double impedance) {
    if (!(impedance > 0))
        return std::nullopt;
    if (preset == 2)
        return -10 * std::log10(impedance / 600);
    if (preset == 3)
        return -10 * std::log10(impedance / 1000);
    return std::nullopt;
}
