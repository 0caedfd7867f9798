#include "engine/LineResponse.h"

#include "engine/EngineBuffers.h"
#include "engine/ResultArrays.h"
#include "state/DeviceSettings.h"

#include <algorithm>
#include <cmath>

void SubtractFromValid(float *y, int32_t count, float v) {
    for (int32_t i = 0; i < count; ++i)
        if (y[i] != NoValue)
            y[i] -= v;
}

float ValueAtBracket(const float *x, const float *y, int32_t count, float f) {
    for (int32_t i = 0; i + 1 < count; ++i) {
        if (y[i] == NoValue || y[i + 1] == NoValue || !(x[i] <= f && f <= x[i + 1]))
            continue;
        const float d = x[i + 1] - x[i];
        return d > 0 ? y[i] + (y[i + 1] - y[i]) * (f - x[i]) / d : 0.5f * (y[i] + y[i + 1]);
    }
    return NoValue;
}

float SmallestValid(const float *y, int32_t count, float limit) {
    float smallest = NoValue;
    for (int32_t i = 0; i < count; ++i)
        if (y[i] != NoValue && y[i] < limit && (smallest == NoValue || y[i] < smallest))
            smallest = y[i];
    return smallest;
}

void NormaliseAttenuation() {
    const float reference = DeviceSettings->AfcRef;
    if (reference < 0)
        return;
    TResultArrays &r = ResultArrays;
    const int32_t count = LineResultCount();
    constexpr float LargestAttenuation = 10000;
    const float v = reference > 0 ? ValueAtBracket(r.Frequency, r.Attenuation, count, reference)
                                  : SmallestValid(r.Attenuation, count, LargestAttenuation);
    if (v == NoValue)
        std::fill(r.Attenuation, r.Attenuation + count, NoValue);
    else
        SubtractFromValid(r.Attenuation, count, v);
}

double InterpolatePairs(double x, const std::vector<TMaskPoint> &points, double below, double above) {
    if (points.empty() || x < points.front().x)
        return below;
    if (x > points.back().x)
        return above;
    for (size_t k = 0; k + 1 < points.size(); ++k) {
        const TMaskPoint &a = points[k];
        const TMaskPoint &b = points[k + 1];
        if (x <= b.x) {
            const double dx = b.x - a.x;
            return dx > 0 ? a.y + (b.y - a.y) * (x - a.x) / dx : a.y;
        }
    }
    return points.back().y;
}

bool HasLineGap(int32_t i) {
    const int32_t c = LineResultCount();
    const int32_t lo = std::max(0, i - static_cast<int32_t>(std::trunc(12.0 * c / 204 + 0.5)));
    const int32_t hi = std::max(lo, std::min(c - 1, i + static_cast<int32_t>(std::trunc(-2.0 * c / 204 + 0.5))));
    int32_t missing = 0;
    for (int32_t k = lo; k <= hi; ++k)
        if (ResultArrays.SignalToNoise[k] < 0)
            ++missing;
    return missing > 1;
}
