#include "engine/Fft.h"
#include "engine/RecognitionSpectrum.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

namespace {

std::vector<int32_t> ToneCodes(int32_t n, double bin, double amplitude, double phase) {
    std::vector<int32_t> codes(n);
    for (int32_t i = 0; i < n; ++i)
        codes[i] = static_cast<int32_t>(std::lround(amplitude * std::cos(2 * std::numbers::pi * bin * i / n + phase)));
    return codes;
}

TEST(Fft, FloatRealTransformRoundTrips) {
    const int32_t n = 64;
    std::vector<float> data(n);
    for (int32_t i = 0; i < n; ++i)
        data[i] = static_cast<float>(std::sin(i * 0.7) + 0.25 * i);
    const std::vector<float> original = data;
    RealFft(data.data(), n / 2, 1);
    RealFft(data.data(), n / 2, -1);
    for (int32_t i = 0; i < n; ++i)
        EXPECT_NEAR(data[i] / (n / 2), original[i], 1e-4) << i;
}

TEST(Fft, ComplexTransformOfOneLineIsOneBin) {
    const int32_t nn = 32;
    std::vector<float> data(2 * nn);
    for (int32_t i = 0; i < nn; ++i) { // e^(-2 pi i 5 j/nn): the +i kernel gathers it at bin 5
        data[2 * i] = static_cast<float>(std::cos(2 * std::numbers::pi * 5 * i / nn));
        data[2 * i + 1] = static_cast<float>(-std::sin(2 * std::numbers::pi * 5 * i / nn));
    }
    ComplexFft(data.data(), nn, 1);
    for (int32_t k = 0; k < nn; ++k)
        EXPECT_NEAR(std::hypot(data[2 * k], data[2 * k + 1]), k == 5 ? nn : 0, 1e-4) << k;
}

// The fixed transform must put a tone on the same bin, with the same value, as the float one; the Q26
// twiddle recurrence drifts by a few parts in 10^5 over a stage.
TEST(Fft, FixedRealTransformMatchesTheFloatOne) {
    const int32_t n = 2048;
    for (const double bin : {1.0, 100.0, 100.5, 511.0, 1000.25}) {
        const std::vector<int32_t> codes = ToneCodes(n, bin, 20000, 0.4);
        std::vector<int32_t> fixed = codes;
        std::vector<float> real(codes.begin(), codes.end());
        FixedRealFft(fixed.data(), n / 2, 1);
        RealFft(real.data(), n / 2, 1);
        float largest = 0;
        for (float v : real)
            largest = std::max(largest, std::fabs(v));
        for (int32_t i = 0; i < n; ++i)
            ASSERT_NEAR(fixed[i], real[i], 5e-5 * largest) << "tone at " << bin << ", element " << i;
    }
}

// A length that is not a power of two within a transform's range leaves the data untouched.
TEST(Fft, LengthsOutsideTheRangeLeaveTheDataAlone) {
    struct Case {
        const char *transform;
        int32_t length;
    };
    const Case cases[] = {
        {"complex", 0},          {"complex", -4},    {"complex", 3},       {"complex", 24},
        {"complex", 32768},      {"real", 0},        {"real", -2},         {"real", 6},
        {"real", 1000},          {"real", 32768},    {"fixed complex", 0}, {"fixed complex", 12},
        {"fixed complex", 2048}, {"fixed real", -1}, {"fixed real", 768},  {"fixed real", 2048},
    };
    constexpr std::size_t size = 4 * 32768; // more than any case could touch
    for (const Case &c : cases) {
        std::vector<float> floats(size);
        std::vector<int32_t> ints(size);
        for (std::size_t i = 0; i < size; ++i) {
            floats[i] = static_cast<float>(i % 101) - 50;
            ints[i] = static_cast<int32_t>(i % 101) - 50;
        }
        const std::vector<float> floatsBefore = floats;
        const std::vector<int32_t> intsBefore = ints;
        const std::string transform = c.transform;
        if (transform == "complex")
            ComplexFft(floats.data(), c.length, 1);
        else if (transform == "real")
            RealFft(floats.data(), c.length, 1);
        else if (transform == "fixed complex")
            FixedComplexFft(ints.data(), c.length, 1);
        else
            FixedRealFft(ints.data(), c.length, 1);
        EXPECT_EQ(floats, floatsBefore) << c.transform << " " << c.length;
        EXPECT_EQ(ints, intsBefore) << c.transform << " " << c.length;
    }
}

// Every supported length, from 1 to the largest, against the transform done the slow way in double.
TEST(Fft, EveryLengthAgreesWithTheDefinition) {
    for (int32_t nn = 1; nn <= FloatFftMaxPoints; nn *= 2) {
        std::vector<float> data(2 * nn);
        for (int32_t i = 0; i < 2 * nn; ++i)
            data[i] = static_cast<float>(std::sin(0.9 * i + 0.1 * i * i / (2 * nn)));
        const std::vector<float> input = data;
        ComplexFft(data.data(), nn, -1);
        // A few bins are enough to catch a wrong order or twiddle; all of them for the short lengths.
        const int32_t step = std::max(1, nn / 16);
        for (int32_t k = 0; k < nn; k += step) {
            double re = 0, im = 0, largest = 1;
            for (int32_t j = 0; j < nn; ++j) {
                const double a = -2 * std::numbers::pi * (static_cast<int64_t>(j) * k % nn) / nn;
                re += input[2 * j] * std::cos(a) - input[2 * j + 1] * std::sin(a);
                im += input[2 * j] * std::sin(a) + input[2 * j + 1] * std::cos(a);
                largest += std::fabs(input[2 * j]) + std::fabs(input[2 * j + 1]);
            }
            ASSERT_NEAR(data[2 * k], re, 2e-6 * largest) << nn << " points, bin " << k;
            ASSERT_NEAR(data[2 * k + 1], im, 2e-6 * largest) << nn << " points, bin " << k;
        }
    }
}

TEST(Fft, FixedTransformsRoundTrip) {
    const int32_t n = 256;
    const std::vector<int32_t> codes = ToneCodes(n, 17.3, 12000, 1.0);
    std::vector<int32_t> data = codes;
    FixedRealFft(data.data(), n / 2, 1);
    FixedRealFft(data.data(), n / 2, -1);
    for (int32_t i = 0; i < n; ++i)
        EXPECT_NEAR(data[i] / (n / 2.0), codes[i], 4) << i;
}

TEST(Fft, FixedHelpers) {
    EXPECT_EQ(MulShift(-3, 5, 1), -8); // arithmetic shift of -15
    EXPECT_EQ(MulShift(1 << 30, 1 << 30, 40), 1 << 20);
    TFixedComplex out;
    FixedComplexMul({3, 4}, {5, -6}, out, 0);
    EXPECT_EQ(out.re, 3 * 5 + 4 * 6);
    EXPECT_EQ(out.im, -18 + 20);
    EXPECT_EQ(FixedTwiddleCos(0), -2 * (1 << 26));
    EXPECT_EQ(FixedTwiddleSin(1), 1 << 26);
    EXPECT_EQ(FixedWindowTable(0), -32768);
    EXPECT_EQ(FixedWindowTable(512), 0);
}

TEST(FixedHannWindow, IsOneMinusCosineWithPeakTwo) {
    const int32_t n = 2048;
    std::vector<int32_t> data(n, 10000);
    EXPECT_EQ(FixedHannWindow(data.data(), n), n);
    for (int32_t i = 0; i < n; ++i) {
        const double expected = 10000 * (1 - std::cos(2 * std::numbers::pi * (i + 1) / n));
        ASSERT_NEAR(data[i], expected, 1.5) << i;
    }
}

TEST(FixedHannWindow, ShorterBlocksStrideThroughTheTable) {
    const int32_t n = 512;
    std::vector<int32_t> data(n, 10000);
    FixedHannWindow(data.data(), n);
    for (int32_t i = 0; i < n; ++i)
        ASSERT_NEAR(data[i], 10000 * (1 - std::cos(2 * std::numbers::pi * (i + 1) / n)), 1.5) << i;
}

} // namespace
