#include "engine/EngineBuffers.h"
#include "engine/Spectrum.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

class WeightingCurveTest : public ::testing::Test {
protected:
    void TearDown() override { SetWeightingCurve(0, nullptr, nullptr); }
};

std::vector<float> Copy(const float *a, int n) {
    return std::vector<float>(a, a + n);
}

TEST_F(WeightingCurveTest, KeepsTheFileOrderAndInterpolatesOverAnAscendingCopy) {
    // A file written from the top frequency down.
    const float x[] = {3.4f, 2, 1, 0.3f};
    const float y[] = {-10, 0, 10, 20};
    ASSERT_TRUE(SetWeightingCurve(4, x, y));
    EXPECT_EQ(WeightingCurve.Count, 4);
    EXPECT_EQ(Copy(WeightingCurve.Frequencies, 4), Copy(x, 4));
    EXPECT_EQ(Copy(WeightingCurve.Attenuations, 4), Copy(y, 4));
    EXPECT_EQ(Copy(WeightingCurve.AscendingFrequencies, 4), (std::vector<float>{0.3f, 1, 2, 3.4f}));
    EXPECT_EQ(Copy(WeightingCurve.AscendingAttenuations, 4), (std::vector<float>{20, 10, 0, -10}));
    // 1.5 kHz lies halfway between 10 dB and 0 dB: 5 dB of attenuation, a power factor 10^-0.5.
    EXPECT_NEAR(WeightingFactor(1.5f), std::pow(10.0, -0.5), 1e-6);
    // Beyond the ends the end values hold.
    EXPECT_NEAR(WeightingFactor(0.1f), 0.01, 1e-8);
    EXPECT_NEAR(WeightingFactor(10), 10, 1e-5);
}

TEST_F(WeightingCurveTest, PointsOfOneFrequencyKeepTheirOrder) {
    const float x[] = {2, 1, 1, 0};
    const float y[] = {0, 5, 7, 0};
    ASSERT_TRUE(SetWeightingCurve(4, x, y));
    EXPECT_EQ(Copy(WeightingCurve.AscendingAttenuations, 4), (std::vector<float>{0, 5, 7, 0}));
}

TEST_F(WeightingCurveTest, NoPointsMeansNoCharacteristic) {
    const float x[] = {1};
    const float y[] = {3};
    ASSERT_TRUE(SetWeightingCurve(1, x, y));
    EXPECT_NEAR(WeightingFactor(123), std::pow(10.0, -0.3), 1e-6);
    ASSERT_TRUE(SetWeightingCurve(0, x, y));
    EXPECT_EQ(WeightingCurve.Count, 0);
    EXPECT_EQ(WeightingCurve.Frequencies, nullptr);
    EXPECT_EQ(WeightingCurve.AscendingFrequencies, nullptr);
}

} // namespace
