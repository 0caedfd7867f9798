#include "engine/MeterRange.h"

#include "engine/EngineBuffers.h"
#include "engine/EngineMath.h"
#include "state/DeviceSettings.h"

#include <algorithm>
#include <cmath>

int16_t RangeMaxLevels[MeterRangeCount];

int32_t ValidMeterRange(int32_t index) {
    return std::clamp(index, 0, MeterRangeCount - 1);
}

void ComputeRangeMaxLevels(float R, float ref) {
    if (!(R >= 10))
        return;
    const int16_t type = DeviceSettings->ConnectionType;
    const double k = type > 5 && type != 12 ? 1.7151894569 * 1.7151894569 * 0.25 : 1.7389097214 * 1.7389097214;
    const double e = std::trunc(10.0 * std::log10(k / (R * 0.001)) - ref + 2 - 5 + 0.5);
    const int16_t top = static_cast<int16_t>(std::clamp(e, -30000.0, 30000.0));
    RangeMaxLevels[0] = static_cast<int16_t>(top + 40);
    RangeMaxLevels[1] = static_cast<int16_t>(top + 20);
    RangeMaxLevels[2] = top;
    RangeMaxLevels[3] = static_cast<int16_t>(top - 20);
}

int8_t AutoRangeIndex() {
    int32_t r = ValidMeterRange(DeviceSettings->MaxLevelIndex);
    ComputeRangeMaxLevels(DeviceSettings->MeterImpedance, DeviceSettings->MeterRef);
    const float m = RangeMaxLevels[r];
    if (EngineBuffers.ReceivedLevelDbm > m - 12)
        r -= 1;
    if (EngineBuffers.ReceivedLevelDbm < m - 38)
        r += 1;
    return static_cast<int8_t>(ValidMeterRange(r));
}

int16_t SnapBandLimits(float &f0, float &f1) {
    const double fs = DeviceSettings->SampleRate;
    const double c = fs / 1024;
    const double step = 8 * c;
    const double top = 0.4 * fs;
    const double f0max = top - 3 * step - c;
    double low = f0;
    double high = f1;
    if (low < c)
        low = c;
    if (low > f0max)
        low = f0max;
    if (high > top)
        high = top;
    low = c + step * std::trunc(low / step + 0.5);
    const int32_t n = std::max(3, NearestInt((high - low - c) / step));
    high = c + step * n + low;
    f0 = static_cast<float>(low);
    f1 = static_cast<float>(high);
    return static_cast<int16_t>(n - 1);
}
