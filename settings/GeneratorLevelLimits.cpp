#include "settings/GeneratorLevelLimits.h"

#include "engine/LevelConversion.h"
#include "state/DeviceSettings.h"

#include <cmath>
#include <limits>

namespace {

// Which headroom an edit takes at 4096 kHz.
enum Headroom { HSin, HSin2, HRnd, HMtts, HNoise };

struct LevelRule {
    double BelowGreatest; // dB below L
    Headroom Room;
    double Lowest;       // dBm absolute; NaN: the edit keeps its minimum
    bool RelativeToRef;  // the remote-control level is absolute
};

constexpr double None = std::numeric_limits<double>::quiet_NaN();

// clang-format off
constexpr LevelRule Rules[LevelEditCount] = {
    {0, HSin,   -70,  true},  // Sin
    {3, HSin2,  -40,  true},  // Sin2
    {3, HRnd,   -40,  true},  // Rnd
    {8, HMtts,  -40,  true},  // Mtts
    {8, HNoise, -70,  true},  // Noise
    {8, HMtts,  None, false}, // Connect
    {0, HSin,   -70,  true},  // MasterFreqSin
    {0, HSin,   -70,  true},  // MirvakSin
};
// The 4096 kHz range keeps the synthesised signal below the DAC's limit at its highest frequencies;
// the coaxial outputs (types above 5, except the symmetric generator of type 11) need more of it.
constexpr double CoaxialHeadroom[5] = {8, 9, 4, 0, 0};
constexpr double SymmetricHeadroom[5] = {5, 9, 3, 0, 0};
// clang-format on

constexpr float WidestRangeThreshold = 3000; // kHz: only 4096 kHz lies above

} // namespace

int16_t TruncateLevel(double x) {
    if (!(x >= std::numeric_limits<int16_t>::min()))
        return std::numeric_limits<int16_t>::min();
    if (x >= std::numeric_limits<int16_t>::max())
        return std::numeric_limits<int16_t>::max();
    return int16_t(std::trunc(x));
}

float GreatestGeneratorLevel(const TDeviceSettings &settings) {
    return CodeToLevel(settings.GenImpedance, settings.ConnectionType, settings.GenLowImpedance != 0);
}

std::array<LevelLimit, LevelEditCount> GeneratorLevelLimits(double L, double R, float maxFrequency,
                                                            int connectionType) {
    const bool widest = maxFrequency > WidestRangeThreshold;
    const double *headroom = connectionType > 5 && connectionType != 11 ? CoaxialHeadroom : SymmetricHeadroom;
    std::array<LevelLimit, LevelEditCount> limits{};
    for (int i = 0; i < LevelEditCount; ++i) {
        const LevelRule &rule = Rules[i];
        const double ref = rule.RelativeToRef ? R : 0;
        const double room = widest ? headroom[rule.Room] : 0;
        LevelLimit &limit = limits[std::size_t(i)];
        limit.Max = TruncateLevel(L - rule.BelowGreatest - ref + 0.5 - room);
        limit.HasMin = !std::isnan(rule.Lowest);
        limit.Min = limit.HasMin ? TruncateLevel(rule.Lowest - R) : std::numeric_limits<int16_t>::min();
        if (limit.Max < limit.Min)
            limit.Max = limit.Min;
    }
    return limits;
}
