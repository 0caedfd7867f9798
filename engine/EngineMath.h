#pragma once

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
