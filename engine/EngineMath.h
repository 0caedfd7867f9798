#pragma once

#include <bit>
#include <cstdint>

// trunc(v + 0.5), the rounding the analysis uses for bins and codes. A value that is not a number
// gives 0 and one beyond the int32 range the nearest end of it, so damaged settings cannot make the
// conversion undefined.
int32_t NearestInt(double v);

// Where x falls in an ascending table: between xs[Lower] and xs[Upper] at the fraction Position (0.5
// when the two points are equal), or on one end point (Lower = Upper) when x lies outside the table or
// is not a number. Found once, it serves every column that shares the xs.
struct TTableSegment {
    int32_t Lower;
    int32_t Upper;
    float Position;
};
TTableSegment FindTableSegment(float x, int32_t count, const float *xs);

// The value of a column ys at a segment; NoValue at either of its points spreads. count > 0.
float SegmentValue(const TTableSegment &segment, const float *ys);

// Linear interpolation in an ascending table, the end values held outside it. An empty table has no
// value: NoValue.
float InterpolateTable(float x, int32_t count, const float *xs, const float *ys);

int16_t IsGreater(float a, float b);

struct TComplex {
    float re;
    float im;
};
TComplex MakeComplex(float re, float im);
TComplex AddComplex(TComplex a, TComplex b);
TComplex DivideComplex(TComplex a, TComplex b);
float ComplexMagnitude(float re, float im);

// log10 of a positive, finite, normal double, within a few units of its last place: far finer than the
// float levels computed from it. Written without a library call or a branch so that a loop over the
// bins of a spectrum vectorises; any other argument gives an unspecified number, never a trap, so a
// loop may compute it for every bin and select afterwards.
inline double Log10OfPositive(double d) {
    // d = 2^k * m with m in [sqrt(1/2), sqrt(2)): the offset moves the mantissa's lower end from 1 to
    // sqrt(1/2), so that |ln m| stays below ln sqrt(2).
    constexpr uint64_t LowerEnd = 0x3fe6a09e667f3bcdull; // sqrt(1/2)
    const uint64_t bits = std::bit_cast<uint64_t>(d) + (0x3ff0000000000000ull - LowerEnd);
    const double m = std::bit_cast<double>((bits & 0x000fffffffffffffull) + LowerEnd);
    // k + 1023 + 2^52 as a double, read from its bits: an integer conversion that vectorises everywhere.
    const double k = std::bit_cast<double>(0x4330000000000000ull | (bits >> 52)) - (4503599627370496.0 + 1023.0);
    // ln m = 2 atanh s, s = (m - 1) / (m + 1), |s| < 0.1716: the series to s^19 leaves under 1e-17.
    const double s = (m - 1) / (m + 1);
    const double z = s * s;
    const double series =
        1 + z * (1.0 / 3 +
                 z * (1.0 / 5 +
                      z * (1.0 / 7 +
                           z * (1.0 / 9 +
                                z * (1.0 / 11 + z * (1.0 / 13 + z * (1.0 / 15 + z * (1.0 / 17 + z * (1.0 / 19)))))))));
    constexpr double Log10Of2 = 0.30102999566398119521;
    constexpr double Log10OfE = 0.43429448190325182765;
    return k * Log10Of2 + 2 * Log10OfE * s * series;
}
