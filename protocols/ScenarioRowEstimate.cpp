#include "protocols/ScenarioRowEstimate.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>

namespace {

constexpr std::array<int32_t, 5> SetupSecondsByAdcIndex = {4, 6, 9, 15, 28};
constexpr int32_t RemotePrbsSetupSeconds = 8;
constexpr int32_t RemoteLinkSetupSeconds = 2;
// A master's last point still needs a whole averaging pass, at least this long.
constexpr int32_t MinMasterAveragingSeconds = 6;

// The points a master steps through: its range (Source bit 0; bit 1 only reverses the order) has N + 1
// points, its preset list one more than its row count.
int64_t MasterPoints(const MasterBlock &master) {
    return int64_t(master.Source & 1 ? master.RangeN : SetRowCount(master)) + 1;
}

// Sums of values a damaged file may hold at their extremes are taken in 64 bits and brought back.
int32_t ClampedSeconds(int64_t seconds) {
    return int32_t(std::clamp<int64_t>(seconds, INT32_MIN, INT32_MAX));
}

int32_t MasterDuration(const MasterBlock &master, const TDeviceSettings &settings) {
    return ClampedSeconds(ConfigOverheadSeconds(settings) + MasterPoints(master) * master.Interval +
                          std::max(settings.AveragingInterval, MinMasterAveragingSeconds));
}

int32_t TruncatedNorm(float norm) {
    // A norm beyond the int range (a damaged file) counts as the largest time, a NaN as none.
    if (!(norm > -2147483648.0f))
        return 0;
    if (norm >= 2147483647.0f)
        return INT32_MAX;
    return int32_t(std::trunc(norm));
}

} // namespace

int32_t ConfigSetupSeconds(int32_t adcSizeIndex, bool remoteLink) {
    const auto index = std::size_t(std::clamp<int32_t>(adcSizeIndex, 0, int32_t(SetupSecondsByAdcIndex.size()) - 1));
    return SetupSecondsByAdcIndex[index] + (remoteLink ? RemoteLinkSetupSeconds : 0);
}

int32_t ConfigOverheadSeconds(const TDeviceSettings &settings) {
    if (settings.RemoteGenState[3] > 0)
        return RemotePrbsSetupSeconds;
    return ConfigSetupSeconds(settings.AdcSizeIndex, settings.ConnectState > 0);
}

void FillRowFromConfig(ScenarioRow &row, const TDeviceSettings &settings, float noiseTimerNorm, float mttsTimerNorm,
                       float sinTimerNorm) {
    row.RemoteLink = int16_t(settings.ConnectState);
    row.SinTimerNorm = sinTimerNorm;
    row.MttsTimerNorm = mttsTimerNorm;
    row.NoiseTimerNorm = noiseTimerNorm;
    row.AveragingTime = settings.AveragingInterval;
    row.CountingMode = settings.EventCounting;
    row.AdcSizeIndex = uint8_t(settings.AdcSizeIndex);
    if (settings.MasterF.State >= 1) {
        row.Duration = MasterDuration(settings.MasterF, settings);
        row.ModeClass = 1;
    } else if (settings.MasterL.State >= 1) {
        row.Duration = MasterDuration(settings.MasterL, settings);
        row.ModeClass = 2;
    } else if (settings.EventCounting) {
        const int32_t timer =
            std::max({0, TruncatedNorm(sinTimerNorm), TruncatedNorm(mttsTimerNorm), TruncatedNorm(noiseTimerNorm)});
        row.Duration =
            ClampedSeconds(int64_t(std::max(settings.AveragingInterval, timer)) + ConfigOverheadSeconds(settings));
        row.ModeClass = 0;
    } else {
        row.Duration = ClampedSeconds(int64_t(ConfigOverheadSeconds(settings)) + settings.AveragingInterval);
        row.ModeClass = 255;
    }
}

void SetRowFromConfig(const TDeviceSettings &settings, float noiseTimerNorm, float mttsTimerNorm, float sinTimerNorm) {
    if (!CurrentScenario || ScenarioInsertIndex < 0 || ScenarioInsertIndex >= CurrentScenario->RowCount())
        return;
    FillRowFromConfig(CurrentScenario->Rows[std::size_t(ScenarioInsertIndex)], settings, noiseTimerNorm, mttsTimerNorm,
                      sinTimerNorm);
}
