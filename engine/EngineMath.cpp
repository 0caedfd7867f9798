#include "engine/EngineMath.h"

#include "engine/EngineBuffers.h"

#include <cmath>
#include <limits>

int32_t NearestInt(double v) {
    const double r = std::trunc(v + 0.5);
    if (std::isnan(r))
        return 0;
    if (r <= std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    if (r >= std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(r);
}

TTableSegment FindTableSegment(float x, int32_t count, const float *xs) {
    if (x <= xs[0])
        return {0, 0, 0};
    if (x > xs[count - 1])
        return {count - 1, count - 1, 0};
    for (int32_t i = 1; i < count; ++i) {
        if (xs[i] >= x) {
            const float d = xs[i] - xs[i - 1];
            return {i - 1, i, d > 0 ? (x - xs[i - 1]) / d : 0.5f};
        }
    }
    return {0, 0, 0};
}

float SegmentValue(const TTableSegment &segment, const float *ys) {
    const float low = ys[segment.Lower];
    if (segment.Lower == segment.Upper)
        return low;
    const float high = ys[segment.Upper];
    if (low == NoValue || high == NoValue)
        return NoValue;
    return low + (high - low) * segment.Position;
}

float InterpolateTable(float x, int32_t count, const float *xs, const float *ys) {
    if (count <= 0)
        return NoValue;
    return SegmentValue(FindTableSegment(x, count, xs), ys);
}

int16_t IsGreater(float a, float b) {
    return a > b ? 1 : 0;
}

TComplex MakeComplex(float re, float im) {
    return {re, im};
}

TComplex AddComplex(TComplex a, TComplex b) {
    return {a.re + b.re, a.im + b.im};
}

TComplex DivideComplex(TComplex a, TComplex b) {
    const float d = b.re * b.re + b.im * b.im;
    return {(a.re * b.re + a.im * b.im) / d, (a.im * b.re - a.re * b.im) / d};
}

float ComplexMagnitude(float re, float im) {
    return std::sqrt(re * re + im * im);
}
