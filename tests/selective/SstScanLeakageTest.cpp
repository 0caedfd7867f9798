#include "selective/SstPeak.h"
#include "selective/SstScanLeakage.h"

#include "SelectiveFixture.h"

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

namespace {

class SstScanLeakage : public SelectiveTest {
protected:
    // A scan of n bins: a few Hann-windowed tones between bins over a noise floor.
    std::vector<float> Spectrum(int n, unsigned seed) {
        std::mt19937 gen(seed);
        std::uniform_real_distribution<float> noise(1e-9f, 4e-9f);
        std::vector<float> p(static_cast<std::size_t>(n));
        for (float &v : p)
            v = noise(gen);
        auto kernel = [](double u) {
            const double a = std::fabs(u);
            if (a < 1e-9)
                return 1.0;
            if (std::fabs(a - 1) < 1e-9)
                return 0.5;
            return std::sin(M_PI * a) / (M_PI * a * (1 - a * a));
        };
        for (double centre : {n * 0.2 + 0.3, n * 0.5 - 0.25, n * 0.52 + 0.1, n * 0.8})
            for (int k = 0; k < n; ++k) {
                const double w = kernel(k - centre);
                p[std::size_t(k)] += float(1e-3 * w * w);
            }
        return p;
    }
    TLeakageInput Input(const std::vector<float> &freq, const std::vector<float> &src, int highest) {
        TLeakageInput in;
        in.Freq = freq.data();
        in.Src = src.data();
        in.Count = int32_t(src.size());
        in.Highest = highest;
        in.Floor = 5e-9f;
        in.LowFrequencyCorrection = true;
        return in;
    }
    static bool SameBits(const std::vector<float> &a, const std::vector<float> &b) {
        return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
    }
};

// The incremental update after each item gives the full recomputation's bins bit for bit, the noise fill
// included, whether the items come in scan order or revisit bins anywhere (a second pass with averaging).
TEST_F(SstScanLeakage, UpdatesEqualTheFullRecomputation) {
    const int n = 600;
    const std::vector<float> target = Spectrum(n, 11);
    std::vector<float> freq(static_cast<std::size_t>(n));
    for (int k = 0; k < n; ++k)
        freq[std::size_t(k)] = 0.02f * float(k); // the first bins lie in the low-frequency correction
    std::vector<float> src(static_cast<std::size_t>(n), 0);
    TScanLeakage incremental;
    SeedEngineRandom(9);
    incremental.Reset(n);
    std::mt19937 gen(5);
    std::uniform_int_distribution<int> anyBin(0, n - 1);
    int highest = 0;
    for (int step = 0; step < 2 * n; ++step) {
        const int b = step < n ? step : anyBin(gen);
        src[std::size_t(b)] = step < n ? target[std::size_t(b)] : 0.5f * (src[std::size_t(b)] + target[std::size_t(b)] * 1.3f);
        const int previous = highest;
        highest = std::max(highest, b);
        incremental.Update(Input(freq, src, highest), b, previous);
        if (step % 37 == 0 || step == n - 1 || step == 2 * n - 1) {
            TScanLeakage full;
            SeedEngineRandom(9);
            full.Reset(n);
            full.Full(Input(freq, src, highest));
            ASSERT_TRUE(SameBits(incremental.Output(), full.Output())) << "after item " << step << " at bin " << b;
        }
    }
}

// A Hann tone between two bins collapses into its peak bin: the peak takes back the power its window
// spread, the bins around it fall to the noise fill below the floor.
TEST_F(SstScanLeakage, AToneCollapsesIntoItsPeakBin) {
    const int n = 200;
    std::vector<float> src(static_cast<std::size_t>(n), 0);
    double total = 0;
    for (int k = 0; k < n; ++k) {
        const double u = k - 100.3;
        const double w = std::fabs(u) < 1e-9 ? 1 : std::sin(M_PI * u) / (M_PI * u * (1 - u * u));
        src[std::size_t(k)] = float(w * w);
        total += w * w;
    }
    std::vector<float> freq(static_cast<std::size_t>(n), 100);
    TScanLeakage leakage;
    leakage.Reset(n);
    TLeakageInput in = Input(freq, src, n - 1);
    in.Floor = 1e-6f;
    leakage.Full(in);
    const std::vector<float> &out = leakage.Output();
    EXPECT_NEAR(out[100], total, 2e-3 * total);
    for (int k = 58; k <= 142; ++k) {
        if (k == 100)
            continue;
        EXPECT_LT(std::fabs(out[std::size_t(k)]), 2e-3 * total) << k;
        EXPECT_GT(out[std::size_t(k)], 0) << k; // what fell below the floor was filled with noise
    }
}

TEST_F(SstScanLeakage, LocalPeaksNeedFallingFlanks) {
    struct Case {
        std::vector<float> p;
        int i;
        bool peak;
    };
    const Case cases[] = {
        {{1, 2, 5, 3, 1}, 2, true},
        {{1, 2, 5, 5, 1}, 2, false}, // not above the right neighbour
        {{5, 5, 5, 3, 1}, 2, false}, // the left flank does not fall further out
        {{1, 2, 5, 3, 4}, 2, false},
        {{2, 5, 3, 1}, 1, true}, // no bin two to the left
        {{0, 0, 0, 0, 0}, 2, false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(IsLocalPeak(c.p.data(), c.i, int32_t(c.p.size())), c.peak);
}

} // namespace
