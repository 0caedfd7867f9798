#include "engine/Fft.h"

#include <array>
#include <cmath>
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

void ComplexFft(float *data, int32_t nn, int32_t isign) {
    BitReverse(data, nn);
    const int32_t n = nn * 2;
    for (int32_t mmax = 2; mmax < n; mmax *= 2) {
        const int32_t istep = mmax * 2;
        const double theta = isign * (2 * std::numbers::pi / mmax);
        const double s = std::sin(0.5 * theta);
        const double wpr = -2.0 * s * s;
        const double wpi = std::sin(theta);
        double wr = 1.0;
        double wi = 0.0;
        for (int32_t m = 0; m < mmax; m += 2) {
            for (int32_t i = m; i < n; i += istep) {
                const int32_t j = i + mmax;
                const float tempr = static_cast<float>(wr * data[j] - wi * data[j + 1]);
                const float tempi = static_cast<float>(wr * data[j + 1] + wi * data[j]);
                data[j] = data[i] - tempr;
                data[j + 1] = data[i + 1] - tempi;
                data[i] += tempr;
                data[i + 1] += tempi;
            }
            const double w = wr;
            wr = w * wpr - wi * wpi + wr;
            wi = wi * wpr + w * wpi + wi;
        }
    }
}

void RealFft(float *data, int32_t half, int32_t isign) {
    const int32_t n = half * 2;
    double theta = std::numbers::pi / half;
    const float c1 = 0.5f;
    float c2;
    if (isign == 1) {
        c2 = -0.5f;
        ComplexFft(data, half, 1);
    } else {
        c2 = 0.5f;
        theta = -theta;
    }
    const double s = std::sin(0.5 * theta);
    const double wpr = -2.0 * s * s;
    const double wpi = std::sin(theta);
    double wr = 1.0 + wpr;
    double wi = wpi;
    for (int32_t k = 1; k < n / 4; ++k) {
        const int32_t a = 2 * k;
        const int32_t b = n - 2 * k;
        const float h1r = c1 * (data[a] + data[b]);
        const float h1i = c1 * (data[a + 1] - data[b + 1]);
        const float h2r = -c2 * (data[a + 1] + data[b + 1]);
        const float h2i = c2 * (data[a] - data[b]);
        data[a] = static_cast<float>(h1r + wr * h2r - wi * h2i);
        data[a + 1] = static_cast<float>(h1i + wr * h2i + wi * h2r);
        data[b] = static_cast<float>(h1r - wr * h2r + wi * h2i);
        data[b + 1] = static_cast<float>(-h1i + wr * h2i + wi * h2r);
        const double w = wr;
        wr = w * wpr - wi * wpi + wr;
        wi = wi * wpr + w * wpi + wi;
    }
    const float first = data[0];
    if (isign == 1) {
        data[0] = first + data[1];
        data[1] = first - data[1];
    } else {
        data[0] = c1 * (first + data[1]);
        data[1] = c1 * (first - data[1]);
        ComplexFft(data, half, -1);
    }
}

int32_t MulShift(int32_t a, int32_t b, int32_t s) {
    return static_cast<int32_t>((static_cast<int64_t>(a) * b) >> s);
}

void FixedComplexMul(const TFixedComplex &x, const TFixedComplex &y, TFixedComplex &out, int32_t s) {
    const int64_t re = static_cast<int64_t>(x.re) * y.re - static_cast<int64_t>(x.im) * y.im;
    const int64_t im = static_cast<int64_t>(x.re) * y.im + static_cast<int64_t>(x.im) * y.re;
    out = {static_cast<int32_t>(re >> s), static_cast<int32_t>(im >> s)};
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
    TFixedComplex product;
    FixedComplexMul(w, step, product, TwiddleShift);
    w = {product.re + w.re, product.im + w.im};
}

} // namespace

void FixedComplexFft(int32_t *data, int32_t nn, int32_t isign) {
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
                TFixedComplex temp;
                FixedComplexMul(w, {data[j], data[j + 1]}, temp, TwiddleShift);
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
        TFixedComplex t;
        FixedComplexMul(w, h2, t, TwiddleShift);
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
