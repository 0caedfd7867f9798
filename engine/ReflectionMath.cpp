#include "engine/ReflectionMath.h"

#include "engine/EngineMath.h"
#include "engine/PrbsMeasurement.h"
#include "state/DeviceSettings.h"

#include <array>
#include <cmath>

namespace {

constexpr std::array<int32_t, 11> PulseFrequencies = {4, 8, 16, 32, 64, 128, 256, 512, 1024, 2048, 4096};
constexpr std::array<float, 11> FactorA = {2.6481f, 1.8146f, 1.7496f, 2.6391f, 1.8104f, 1.7535f,
                                           2.1565f, 1.9663f, 2.0894f, 2.0437f, 1.8485f};
constexpr std::array<float, 11> FactorB = {3.0725f, 1.6681f, 1.4591f, 3.0596f, 1.6535f, 1.4424f,
                                           2.2121f, 1.9158f, 2.1207f, 2.07f,   1.621f};

// The peak offset (k/128, k = 0 .. 64) against the shape measure of the three values around a pulse.
constexpr std::array<float, 65> OffsetShape = {
    -1,       -0.96529, -0.934,   -0.90399, -0.875,   -0.84693, -0.8197,  -0.79326, -0.76757, -0.74258, -0.71826,
    -0.69459, -0.67152, -0.64903, -0.62711, -0.60572, -0.58485, -0.56447, -0.54457, -0.52513, -0.50613, -0.48755,
    -0.46967, -0.453,   -0.43671, -0.42079, -0.40521, -0.38997, -0.37506, -0.36047, -0.34619, -0.33221, -0.31851,
    -0.3051,  -0.29196, -0.27909, -0.26647, -0.2541,  -0.24198, -0.2301,  -0.21844, -0.20701, -0.1958,  -0.1848,
    -0.174,   -0.16341, -0.15302, -0.14283, -0.13282, -0.12301, -0.11337, -0.10391, -0.09464, -0.08553, -0.07661,
    -0.06785, -0.05927, -0.05087, -0.04264, -0.03461, -0.02678, -0.01917, -0.01185, -0.00495, 0};
const std::array<float, 65> &OffsetValues() {
    static const std::array<float, 65> values = [] {
        std::array<float, 65> v{};
        for (int32_t k = 0; k < 65; ++k)
            v[k] = k / 128.0f;
        return v;
    }();
    return values;
}

float ByMaxFrequency(const std::array<float, 11> &factors) {
    const int32_t m = NearestInt(DeviceSettings->MaxFrequency);
    for (size_t i = 0; i < PulseFrequencies.size(); ++i)
        if (PulseFrequencies[i] == m)
            return factors[i];
    return 0;
}

} // namespace

float Sign(float x) {
    return x >= 0 ? 1.0f : -1.0f;
}

float PulseFactorA() {
    return ByMaxFrequency(FactorA);
}

float PulseFactorB() {
    return ByMaxFrequency(FactorB);
}

float PulsePeakOffset(float yLeft, float y0, float yRight) {
    const float s = Sign(y0);
    const float A = s * y0 - s * yLeft;
    const float B = s * y0 - s * yRight;
    if (y0 == 0)
        return 0;
    float r, m;
    if (A >= B) {
        if (A == 0)
            return 0;
        r = B / A;
        m = std::min(B, A - B) / (s * y0);
    } else {
        if (B == 0)
            return 0;
        r = -A / B;
        m = -std::min(A, B - A) / (s * y0);
    }
    const float q = Sign(m) * std::sqrt(std::fabs(m)) * 0.12f + 0.21f * m;
    return Sign(r) * InterpolateTable(-std::fabs(r - q), OffsetShape.size(), OffsetShape.data(), OffsetValues().data());
}

int32_t FindReflectionAt(int32_t s) {
    const TEchoPeaks &e = EchoPeaks;
    for (int32_t i = 0; i < TableEchoCount; ++i) {
        if (e.Position[i] < 0)
            break;
        if (s >= e.Position[i] - 2 * e.Left[i] && s <= e.Position[i] + 2 * e.Right[i])
            return i;
    }
    return -1;
}

bool IntervalContains(float a, float b, float c, float d) {
    return (c >= a && c <= b) || (d >= a && d <= b);
}

bool IntervalsOverlap(float a, float b, float c, float d) {
    return b - a >= d - c ? IntervalContains(a, b, c, d) : IntervalContains(c, d, a, b);
}
