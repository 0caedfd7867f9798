#pragma once

#include <cstdint>

// In-place radix-2 transforms with the kernel e^(+2 pi i jk/N) for isign = +1 (e^(-...) for -1).
// ComplexFft: nn complex points interleaved (re, im) in data[0 .. 2nn - 1], nn a power of two of at
// most FloatFftMaxPoints (the complex half of the largest block).
// RealFft: 2·half real samples in data[0 .. 2·half - 1]; the forward result holds the DC term at 0,
// the Nyquist term at 1 and bin k (1 <= k < half) as re at 2k, im at 2k + 1. The inverse takes that
// layout back to the samples times half.
// A length outside those leaves the data as it was. The twiddle and bit-reversal tables are built
// once, on the first call, for the largest length; a call allocates nothing.
inline constexpr int32_t FloatFftMaxPoints = 16384;
void ComplexFft(float *data, int32_t nn, int32_t isign);
void RealFft(float *data, int32_t half, int32_t isign);

// The same transforms in int32 arithmetic with Q26 twiddle factors, for at most 1024 complex points.
// The split step of the real transform halves its sums, so the fixed forward result matches the float
// one for the same input. Other lengths leave the data as it was.
inline constexpr int32_t FixedFftMaxPoints = 1024;
void FixedComplexFft(int32_t *data, int32_t nn, int32_t isign);
void FixedRealFft(int32_t *data, int32_t half, int32_t isign);

// (a·b) in 64 bits, arithmetically shifted right by s, low 32 bits.
int32_t MulShift(int32_t a, int32_t b, int32_t s);

struct TFixedComplex {
    int32_t re;
    int32_t im;
};
void FixedComplexMul(const TFixedComplex &x, const TFixedComplex &y, TFixedComplex &out, int32_t s);

// Twiddle steps of the fixed transforms for a span of 2^m complex points, m = 0 .. 10: 2^26 times
// -2·sin²(pi/2^(m+1)) and sin(pi/2^m).
int32_t FixedTwiddleCos(int32_t m);
int32_t FixedTwiddleSin(int32_t m);
