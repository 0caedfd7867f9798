#include "engine/Fft.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <numbers>
#include <utility>

namespace {

constexpr int32_t TwiddleShift = 26;
constexpr int32_t TwiddleOne = 1 << TwiddleShift;
constexpr int32_t TwiddleSteps = 11;

struct TTwiddleTables {
    std::array<int32_t, TwiddleSteps> Cos;
    std::array<int32_t, TwiddleSteps> Sin;
};

const TTwiddleTables &Twiddles() {
    static const TTwiddleTables tables = [] {
        TTwiddleTables t{};
        for (int32_t m = 0; m < TwiddleSteps; ++m) {
            const double half = std::sin(std::numbers::pi / std::ldexp(1.0, m + 1));
            t.Cos[m] = static_cast<int32_t>(std::trunc(-2.0 * half * half * TwiddleOne));
            t.Sin[m] = static_cast<int32_t>(std::trunc(std::sin(std::numbers::pi / std::ldexp(1.0, m)) * TwiddleOne));
        }
        return t;
    }();
    return tables;
}

// A power of two from 1 to largest.
bool ValidLength(int32_t nn, int32_t largest) {
    return nn >= 1 && nn <= largest && (nn & (nn - 1)) == 0;
}

int32_t Log2(int32_t power) {
    int32_t m = 0;
    while ((1 << m) < power)
        ++m;
    return m;
}

template <typename T> void BitReverse(T *data, int32_t nn) {
    const int32_t n = nn * 2;
    int32_t j = 0;
    for (int32_t i = 0; i < n; i += 2) {
        if (j > i) {
            std::swap(data[j], data[i]);
            std::swap(data[j + 1], data[i + 1]);
        }
        int32_t m = nn;
        while (m >= 2 && j >= m) {
            j -= m;
            m >>= 1;
        }
        j += m;
    }
}

} // namespace

namespace {

// The butterfly loops are vectorised; on x86-64 they get a second, AVX2 build chosen at load time
// by what the processor supports. Without FMA both builds compute the same bits. Clang does not clone
// function templates: its build (the fuzzing build) has the default one only.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define R9_WIDE_VECTORS __attribute__((target_clones("avx2", "default")))
#else
#define R9_WIDE_VECTORS
#endif

// Table of the float transforms, built once for the largest block: e^(+i pi k/h) for k < h at
// [h, 2h) of Twiddle (h = 1 .. FloatFftMaxPoints; the real transform's split step reads the level of
// its own length).
struct TFloatTables {
    std::array<float, 4 * FloatFftMaxPoints> Twiddle; // interleaved (cos, sin)
};

const TFloatTables &FloatTables() {
    static const TFloatTables tables = [] {
        TFloatTables t{};
        for (int32_t h = 1; h <= FloatFftMaxPoints; h *= 2)
            for (int32_t k = 0; k < h; ++k) {
                const double angle = std::numbers::pi * k / h;
                t.Twiddle[2 * (h + k)] = static_cast<float>(std::cos(angle));
                t.Twiddle[2 * (h + k) + 1] = static_cast<float>(std::sin(angle));
            }
        return t;
    }();
    return tables;
}

int32_t ReversedBits(int32_t v, int32_t bits) {
    int32_t r = 0;
    for (int32_t bit = 0; bit < bits; ++bit)
        r = (r << 1) | ((v >> bit) & 1);
    return r;
}

// Swaps complex points i and j, each moved as one 8-byte unit.
void SwapPoints(float *data, int32_t i, int32_t j) {
    uint64_t x, y;
    std::memcpy(&x, data + 2 * i, sizeof x);
    std::memcpy(&y, data + 2 * j, sizeof y);
    std::memcpy(data + 2 * i, &y, sizeof y);
    std::memcpy(data + 2 * j, &x, sizeof x);
}

// The bit-reversal permutation of nn = 2^m points. Split an index into its top three bits a, middle
// bits b and low three bits c: it goes to (rev c, rev b, rev a). The 64 points of one middle value lie
// on eight 64-byte lines (one per a), and so do those of rev b, so a pair of middle values is swapped
// line by line instead of point by point across the whole array, which is larger than the cache.
void ReverseBits(float *data, int32_t nn) {
    const int32_t m = Log2(nn);
    constexpr int32_t EdgeBits = 3;
    constexpr int32_t Edge = 1 << EdgeBits;
    if (m < 2 * EdgeBits) {
        for (int32_t i = 0; i < nn; ++i)
            if (const int32_t j = ReversedBits(i, m); j > i)
                SwapPoints(data, i, j);
        return;
    }
    const int32_t middleBits = m - 2 * EdgeBits;
    const int32_t top = nn >> EdgeBits; // the step of a
    std::array<int32_t, Edge> edge;
    for (int32_t v = 0; v < Edge; ++v)
        edge[v] = ReversedBits(v, EdgeBits);
    for (int32_t b = 0; b < (1 << middleBits); ++b) {
        const int32_t rb = ReversedBits(b, middleBits);
        if (rb < b)
            continue; // swapped with rb already
        for (int32_t a = 0; a < Edge; ++a)
            for (int32_t c = 0; c < Edge; ++c) {
                const int32_t i = a * top + b * Edge + c;
                const int32_t j = edge[c] * top + rb * Edge + edge[a];
                if (rb != b || i < j)
                    SwapPoints(data, i, j);
            }
    }
}

// The first two radix-2 stages at once: their twiddles are 1 and ±i.
template <int Sign> R9_WIDE_VECTORS void FirstStages(float *x, int32_t nn) {
    for (int32_t g = 0; g < 2 * nn; g += 8) {
        float *p = x + g;
        const float ar = p[0] + p[2], ai = p[1] + p[3];
        const float br = p[0] - p[2], bi = p[1] - p[3];
        const float cr = p[4] + p[6], ci = p[5] + p[7];
        const float dr = p[4] - p[6], di = p[5] - p[7];
        // Sign·i·d
        const float er = -Sign * di, ei = Sign * dr;
        p[0] = ar + cr;
        p[1] = ai + ci;
        p[4] = ar - cr;
        p[5] = ai - ci;
        p[2] = br + er;
        p[3] = bi + ei;
        p[6] = br - er;
        p[7] = bi - ei;
    }
}

// Two complex points (re, im, re, im) in one vector register, and four for the butterfly stages. The
// vector helpers are always inlined, also in unoptimised builds: a 32-byte vector passed between an
// AVX2 clone and a helper built without AVX would travel by two different conventions, which is what
// the ABI warning silenced here is about.
#define R9_VECTOR_HELPER [[gnu::always_inline]] inline
#pragma GCC diagnostic ignored "-Wpsabi"
using TComplexPair = float __attribute__((vector_size(16)));
using TComplexQuad = float __attribute__((vector_size(32)));

template <typename V> R9_VECTOR_HELPER V Load(const float *p) {
    V v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

template <typename V> R9_VECTOR_HELPER void Store(float *p, const V &v) {
    std::memcpy(p, &v, sizeof v);
}

// x·w lane by lane, w = (cos, sin) taken as cos + Sign·i·sin.
template <int Sign> R9_VECTOR_HELPER TComplexPair Twiddled(TComplexPair x, TComplexPair w) {
    const TComplexPair c = __builtin_shufflevector(w, w, 0, 0, 2, 2);
    const TComplexPair s = __builtin_shufflevector(w, w, 1, 1, 3, 3) * TComplexPair{-Sign, Sign, -Sign, Sign};
    return x * c + __builtin_shufflevector(x, x, 1, 0, 3, 2) * s;
}

template <int Sign> R9_VECTOR_HELPER TComplexQuad Twiddled(const TComplexQuad &x, const TComplexQuad &w) {
    const TComplexQuad c = __builtin_shufflevector(w, w, 0, 0, 2, 2, 4, 4, 6, 6);
    const TComplexQuad s = __builtin_shufflevector(w, w, 1, 1, 3, 3, 5, 5, 7, 7) *
                           TComplexQuad{-Sign, Sign, -Sign, Sign, -Sign, Sign, -Sign, Sign};
    return x * c + __builtin_shufflevector(x, x, 1, 0, 3, 2, 5, 4, 7, 6) * s;
}

// Two radix-2 stages of spans h and 2h at once over groups of 4h points, h >= 4.
template <int Sign> R9_WIDE_VECTORS void TwoStages(float *x, int32_t nn, int32_t h, const float *twiddle) {
    using V = TComplexQuad;
    const float *w1 = twiddle + 2 * h;
    const float *w2 = twiddle + 4 * h;
    for (int32_t g = 0; g < nn; g += 4 * h) {
        float *p0 = x + 2 * g;
        float *p1 = p0 + 2 * h;
        float *p2 = p1 + 2 * h;
        float *p3 = p2 + 2 * h;
        for (int32_t i = 0; i < 2 * h; i += 8) {
            const V t1 = Twiddled<Sign>(Load<V>(p1 + i), Load<V>(w1 + i));
            const V t3 = Twiddled<Sign>(Load<V>(p3 + i), Load<V>(w1 + i));
            const V a0 = Load<V>(p0 + i);
            const V a2 = Load<V>(p2 + i);
            const V u2 = Twiddled<Sign>(a2 + t3, Load<V>(w2 + i));
            const V u3 = Twiddled<Sign>(a2 - t3, Load<V>(w2 + 2 * h + i));
            Store(p0 + i, a0 + t1 + u2);
            Store(p2 + i, a0 + t1 - u2);
            Store(p1 + i, a0 - t1 + u3);
            Store(p3 + i, a0 - t1 - u3);
        }
    }
}

// One radix-2 stage of span h >= 4, for a stage count that leaves one over.
template <int Sign> R9_WIDE_VECTORS void OneStage(float *x, int32_t nn, int32_t h, const float *twiddle) {
    using V = TComplexQuad;
    const float *w = twiddle + 2 * h;
    for (int32_t g = 0; g < nn; g += 2 * h) {
        float *p0 = x + 2 * g;
        float *p1 = p0 + 2 * h;
        for (int32_t i = 0; i < 2 * h; i += 8) {
            const V t = Twiddled<Sign>(Load<V>(p1 + i), Load<V>(w + i));
            const V a = Load<V>(p0 + i);
            Store(p0 + i, a + t);
            Store(p1 + i, a - t);
        }
    }
}

// The complex points of a stretch that stays in the first-level data cache (32 KiB).
constexpr int32_t CacheBlockPoints = 4096;

// The stages of an nn-point transform whose groups span at most blockPoints points, over one block
// x[0 .. 2·blockPoints). Each stage works group by group, so running the narrow stages block by block
// over cache-sized stretches computes the same values as running them over the whole array.
template <int Sign> void StagesUpTo(float *x, int32_t nn, int32_t blockPoints, const float *twiddle) {
    FirstStages<Sign>(x, blockPoints);
    int32_t h = 4;
    if (Log2(nn / h) % 2 == 1) {
        OneStage<Sign>(x, blockPoints, h, twiddle);
        h *= 2;
    }
    for (; 4 * h <= blockPoints; h *= 4)
        TwoStages<Sign>(x, blockPoints, h, twiddle);
}

template <int Sign> void Butterflies(float *x, int32_t nn, const float *twiddle) {
    if (nn == 2) {
        const float r = x[2], i = x[3];
        x[2] = x[0] - r;
        x[3] = x[1] - i;
        x[0] += r;
        x[1] += i;
        return;
    }
    if (nn < 4)
        return;
    // The narrow stages a cache-sized block at a time, then the wide ones over everything.
    const int32_t block = std::min(nn, CacheBlockPoints);
    for (int32_t first = 0; first < nn; first += block)
        StagesUpTo<Sign>(x + 2 * first, nn, block, twiddle);
    int32_t h = 4;
    if (Log2(nn / h) % 2 == 1)
        h *= 2;
    while (4 * h <= block)
        h *= 4;
    for (; h < nn; h *= 4)
        TwoStages<Sign>(x, nn, h, twiddle);
}

} // namespace

void ComplexFft(float *data, int32_t nn, int32_t isign) {
    if (!ValidLength(nn, FloatFftMaxPoints))
        return;
    const TFloatTables &t = FloatTables();
    ReverseBits(data, nn);
    if (isign == 1)
        Butterflies<1>(data, nn, t.Twiddle.data());
    else
        Butterflies<-1>(data, nn, t.Twiddle.data());
}

namespace {

// The step between the complex transform of the even and odd samples and the real spectrum, for
// bins k and k' = half - k in two lanes each: a holds bins (k, k + 1), b bins (k', k' - 1).
template <int Sign> void SplitBins(TComplexPair &a, TComplexPair &b, TComplexPair w) {
    const TComplexPair conjugate{1, -1, 1, -1};
    const TComplexPair h1 = 0.5f * (a + b * conjugate);
    const TComplexPair d = a - b * conjugate;
    const TComplexPair h2 =
        TComplexPair{d[1], d[0], d[3], d[2]} * TComplexPair{0.5f * Sign, -0.5f * Sign, 0.5f * Sign, -0.5f * Sign};
    const TComplexPair t = Twiddled<Sign>(h2, w);
    a = h1 + t;
    b = (h1 - t) * conjugate;
}

TComplexPair SwapHalves(TComplexPair v) {
    return TComplexPair{v[2], v[3], v[0], v[1]};
}

// Bins 1 .. half/2 - 1 with their mirrors; the DC, Nyquist and middle bins are left alone.
template <int Sign> R9_WIDE_VECTORS void SplitSpectrum(float *data, int32_t half, const float *w) {
    const int32_t n = 2 * half;
    const int32_t last = n / 4 - 1;
    int32_t k = 1;
    for (; k < last; k += 2) {
        TComplexPair a = Load<TComplexPair>(data + 2 * k);
        TComplexPair b = SwapHalves(Load<TComplexPair>(data + n - 2 * k - 2));
        SplitBins<Sign>(a, b, Load<TComplexPair>(w + 2 * k));
        Store(data + 2 * k, a);
        Store(data + n - 2 * k - 2, SwapHalves(b));
    }
    if (k == last) {
        float *p = data + 2 * k;
        float *q = data + n - 2 * k;
        TComplexPair a{p[0], p[1], p[0], p[1]};
        TComplexPair b{q[0], q[1], q[0], q[1]};
        SplitBins<Sign>(a, b, TComplexPair{w[2 * k], w[2 * k + 1], w[2 * k], w[2 * k + 1]});
        p[0] = a[0];
        p[1] = a[1];
        q[0] = b[0];
        q[1] = b[1];
    }
}

} // namespace

void RealFft(float *data, int32_t half, int32_t isign) {
    if (!ValidLength(half, FloatFftMaxPoints))
        return;
    const float *w = FloatTables().Twiddle.data() + 2 * half;
    if (isign == 1) {
        ComplexFft(data, half, 1);
        SplitSpectrum<1>(data, half, w);
        const float dc = data[0];
        data[0] = dc + data[1];
        data[1] = dc - data[1];
    } else {
        SplitSpectrum<-1>(data, half, w);
        const float first = data[0];
        data[0] = 0.5f * (first + data[1]);
        data[1] = 0.5f * (first - data[1]);
        ComplexFft(data, half, -1);
    }
}

int32_t MulShift(int32_t a, int32_t b, int32_t s) {
    return static_cast<int32_t>((static_cast<int64_t>(a) * b) >> s);
}

namespace {

// The product of FixedComplexMul, always inlined: the fixed transforms take one per butterfly, and a
// call each costs as much as the butterfly.
[[gnu::always_inline]] inline TFixedComplex FixedProduct(const TFixedComplex &x, const TFixedComplex &y, int32_t s) {
    const int64_t re = static_cast<int64_t>(x.re) * y.re - static_cast<int64_t>(x.im) * y.im;
    const int64_t im = static_cast<int64_t>(x.re) * y.im + static_cast<int64_t>(x.im) * y.re;
    return {static_cast<int32_t>(re >> s), static_cast<int32_t>(im >> s)};
}

} // namespace

void FixedComplexMul(const TFixedComplex &x, const TFixedComplex &y, TFixedComplex &out, int32_t s) {
    out = FixedProduct(x, y, s);
}

int32_t FixedTwiddleCos(int32_t m) {
    return Twiddles().Cos.at(m);
}
int32_t FixedTwiddleSin(int32_t m) {
    return Twiddles().Sin.at(m);
}

namespace {

// One step of the twiddle recurrence w := w·wp + w.
void AdvanceTwiddle(TFixedComplex &w, const TFixedComplex &step) {
    const TFixedComplex product = FixedProduct(w, step, TwiddleShift);
    w = {product.re + w.re, product.im + w.im};
}

} // namespace

void FixedComplexFft(int32_t *data, int32_t nn, int32_t isign) {
    if (!ValidLength(nn, FixedFftMaxPoints))
        return;
    BitReverse(data, nn);
    const int32_t n = nn * 2;
    for (int32_t mmax = 2; mmax < n; mmax *= 2) {
        const int32_t istep = mmax * 2;
        const int32_t m = Log2(mmax / 2);
        const TFixedComplex step{FixedTwiddleCos(m), isign * FixedTwiddleSin(m)};
        TFixedComplex w{TwiddleOne, 0};
        for (int32_t k = 0; k < mmax; k += 2) {
            for (int32_t i = k; i < n; i += istep) {
                const int32_t j = i + mmax;
                const TFixedComplex temp = FixedProduct(w, {data[j], data[j + 1]}, TwiddleShift);
                data[j] = data[i] - temp.re;
                data[j + 1] = data[i + 1] - temp.im;
                data[i] += temp.re;
                data[i + 1] += temp.im;
            }
            AdvanceTwiddle(w, step);
        }
    }
}

void FixedRealFft(int32_t *data, int32_t half, int32_t isign) {
    if (!ValidLength(half, FixedFftMaxPoints))
        return;
    const int32_t n = half * 2;
    const int32_t m = Log2(half);
    const TFixedComplex step{FixedTwiddleCos(m), isign == 1 ? FixedTwiddleSin(m) : -FixedTwiddleSin(m)};
    if (isign == 1)
        FixedComplexFft(data, half, 1);
    TFixedComplex w{TwiddleOne + step.re, step.im};
    for (int32_t k = 1; k < n / 4; ++k) {
        const int32_t a = 2 * k;
        const int32_t b = n - 2 * k;
        const int32_t h1r = (data[a] + data[b]) >> 1;
        const int32_t h1i = (data[a + 1] - data[b + 1]) >> 1;
        const TFixedComplex h2 = isign == 1
                                     ? TFixedComplex{(data[a + 1] + data[b + 1]) >> 1, (data[b] - data[a]) >> 1}
                                     : TFixedComplex{-(data[a + 1] + data[b + 1]) >> 1, (data[a] - data[b]) >> 1};
        const TFixedComplex t = FixedProduct(w, h2, TwiddleShift);
        data[a] = h1r + t.re;
        data[a + 1] = h1i + t.im;
        data[b] = h1r - t.re;
        data[b + 1] = -h1i + t.im;
        AdvanceTwiddle(w, step);
    }
    const int32_t first = data[0];
    if (isign == 1) {
        data[0] = first + data[1];
        data[1] = first - data[1];
    } else {
        data[0] = (first + data[1]) >> 1;
        data[1] = (first - data[1]) >> 1;
        FixedComplexFft(data, half, -1);
    }
}
