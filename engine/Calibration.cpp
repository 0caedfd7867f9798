#include "engine/Calibration.h"

#include "engine/EngineMath.h"
#include "engine/MeterRange.h"

#include <algorithm>
#include <array>
#include <cmath>

uint8_t EepromImage[EepromImageLength];

namespace {

constexpr std::array<float, 6> Curve1X = {0, 0.04f, 0.08f, 0.12f, 0.16f, 0.5f};
constexpr std::array<float, 6> Curve1Y = {0, 0.016f, 0.044f, 0.08f, 0.12f, 0.46f};
constexpr std::array<float, 15> Curve2X = {0,          1 / 32.0f,  2 / 32.0f,  3 / 32.0f,  4 / 32.0f,
                                           5 / 32.0f,  6 / 32.0f,  7 / 32.0f,  8 / 32.0f,  9 / 32.0f,
                                           10 / 32.0f, 11 / 32.0f, 12 / 32.0f, 13 / 32.0f, 0.5f};
constexpr std::array<float, 15> Curve2Y = {0,        0.00031f, 0.00085f, 0.0018f,  0.00344f,
                                           0.00629f, 0.01124f, 0.01985f, 0.03481f, 0.06081f,
                                           0.10602f, 0.18458f, 0.32114f, 0.5585f,  1.26968f};

// The normalised frequencies at which a refitted curve must agree with the stored one.
constexpr std::array<float, 3> FitPoints = {0.0244140625f, 0.234375f, 0.3759765625f};

constexpr float Q13 = 8192.0f;

int16_t ToInt16(double v) {
    return static_cast<int16_t>(std::clamp(std::trunc(v), -32768.0, 32767.0));
}

} // namespace

int32_t FftSizeCode(float maxFrequency) {
    switch (NearestInt(maxFrequency)) {
    case 256:
        return 1;
    case 512:
        return 2;
    case 1024:
        return 3;
    case 2048:
        return 4;
    case 4096:
        return 5;
    default:
        return 0;
    }
}

int16_t CalibrationIndex(float maxFrequency, int32_t A, int32_t B, int32_t range) {
    if (range == -1 && B == 0)
        range = 2;
    return static_cast<int16_t>(FftSizeCode(maxFrequency) + 6 * (A ? 1 : 0) + 12 * ValidMeterRange(range) +
                                36 * (B ? 1 : 0));
}

TCalibrationRow ReadCalibrationRow(int32_t row) {
    row = std::clamp(row, 0, CalibrationRowCount - 1);
    const uint8_t *p = EepromImage + CalibrationRowsOffset + 6 * row;
    const auto word = [](const uint8_t *q) { return static_cast<int16_t>(q[0] | (q[1] << 8)); };
    return {word(p), word(p + 2), word(p + 4)};
}

float PassbandCurve0(float) {
    return 1.0f;
}

float PassbandCurve1(float x) {
    return InterpolateTable(x, Curve1X.size(), Curve1X.data(), Curve1Y.data());
}

float PassbandCurve2(float x) {
    return InterpolateTable(x, Curve2X.size(), Curve2X.data(), Curve2Y.data());
}

int16_t AdjustCalibration(float fs, int16_t &c0, int16_t &c1, int16_t &c2) {
    const float r = fs * 0.003125f;
    if (r > 1)
        return 0;
    const auto response = [&](float x) {
        return (1 + c0 / Q13) * PassbandCurve0(x) + (c1 / Q13) * PassbandCurve1(x) + (c2 / Q13) * PassbandCurve2(x);
    };
    float m[3][3];
    float v[3];
    for (int k = 0; k < 3; ++k) {
        const float xi = FitPoints[k];
        m[k][0] = PassbandCurve0(xi);
        m[k][1] = PassbandCurve1(xi);
        m[k][2] = PassbandCurve2(xi);
        v[k] = response(xi * r);
    }
    float abc[3];
    if (!SolveLinear3(m, v, abc))
        return 0;
    c0 = ToInt16((abc[0] - 1) * Q13);
    c1 = ToInt16(abc[1] * Q13);
    c2 = ToInt16(abc[2] * Q13);
    return 1;
}

float Det3(float a11, float a12, float a13, float a21, float a22, float a23, float a31, float a32, float a33) {
    return a11 * (a22 * a33 - a23 * a32) - a12 * (a21 * a33 - a23 * a31) + a13 * (a21 * a32 - a22 * a31);
}

int32_t SolveLinear3(const float m[3][3], const float v[3], float x[3]) {
    const float d = Det3(m[0][0], m[0][1], m[0][2], m[1][0], m[1][1], m[1][2], m[2][0], m[2][1], m[2][2]);
    if (d == 0)
        return 0;
    for (int c = 0; c < 3; ++c) {
        float a[3][3];
        for (int r = 0; r < 3; ++r)
            for (int k = 0; k < 3; ++k)
                a[r][k] = k == c ? v[r] : m[r][k];
        x[c] = Det3(a[0][0], a[0][1], a[0][2], a[1][0], a[1][1], a[1][2], a[2][0], a[2][1], a[2][2]) / d;
    }
    return 1;
}
