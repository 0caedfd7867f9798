#pragma once

#include <cstdint>

// The instrument's 2048-byte identification image; from byte 164 it holds the frequency-response
// rows {c0, c1, c2} (int16, Q13) of the meter and the generator.
inline constexpr int32_t EepromImageLength = 2048;
inline constexpr int32_t CalibrationRowsOffset = 164;
inline constexpr int32_t CalibrationRowCount = 84;
extern uint8_t EepromImage[EepromImageLength];

struct TCalibrationRow {
    int16_t c0;
    int16_t c1;
    int16_t c2;
};

// 1 .. 5 for a maximum frequency of 256, 512, 1024, 2048 or 4096 kHz, else 0.
int32_t FftSizeCode(float maxFrequency);

// The row of a maximum frequency, connection group A (0, 1), input range and half B (1 meter, 0
// generator). A stored range of -1 means range 2 on the generator side; any range outside 0 .. 3 is
// brought into it, so the row always lies inside the image.
int16_t CalibrationIndex(float maxFrequency, int32_t A, int32_t B, int32_t range);
TCalibrationRow ReadCalibrationRow(int32_t row);

// Basis curves of the response over x = f / SampleRate (0 .. 0.5).
float PassbandCurve0(float x);
float PassbandCurve1(float x);
float PassbandCurve2(float x);

// The rows hold the response at a 320 kHz sample rate; below it the curve is refitted to the
// frequency range of the sample rate fs (kHz). Returns 1 when the coefficients were refitted.
int16_t AdjustCalibration(float fs, int16_t &c0, int16_t &c1, int16_t &c2);

// Determinant of a 3x3 matrix given row by row.
float Det3(float a11, float a12, float a13, float a21, float a22, float a23, float a31, float a32, float a33);
// Solves m·x = v by Cramer's rule; returns 0 and leaves x untouched when m is singular.
int32_t SolveLinear3(const float m[3][3], const float v[3], float x[3]);
