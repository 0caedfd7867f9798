#include "SelectiveRig.h"

#include "link/Library.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>

namespace {

constexpr std::uint32_t Unit = 167772; // 2^32 / 25600 truncated: one band of 0.1 kHz at 2560 kHz

double Power(const SstEvent &e) {
    return e.Re * e.Re + e.Im * e.Im;
}

class SelectiveFirmware : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(rig.status, 0); }
    void TearDown() override { EXPECT_TRUE(rig.Violations().empty()); }

    // A run of the sub-mode over the plan, one pass unless the options say continuous (0x04).
    void Run(int subMode, const std::vector<double> &plan, bool generator, std::int32_t options = 0) {
        MirvakBlock &m = rig.settings.Mirvak;
        m.RunActive = 1;
        m.B = 0.1f;
        m.SubMode = std::int8_t(subMode);
        m.SinOn = generator;
        m.SinLevel = -10;
        m.Options = options;
        rig.SetPlan(plan);
        ASSERT_TRUE(R9_setSST());
    }

    SelectiveRig rig;
};

TEST_F(SelectiveFirmware, AfcPointsGiveTheirThreeBandsAndThenTheEnd) {
    const std::vector<double> plan = {10, 20, 30};
    Run(0, plan, true);
    ASSERT_TRUE(rig.WaitForEnd(2));
    ASSERT_EQ(rig.events.size(), 10u);
    for (std::size_t p = 0; p < plan.size(); ++p) {
        const SstEvent *group = &rig.events[3 * p];
        const std::uint32_t word = SelectiveRig::Word(plan[p]);
        EXPECT_EQ(group[0].dP, word);
        EXPECT_EQ(group[1].dP, word - Unit);
        EXPECT_EQ(group[2].dP, word + Unit);
        EXPECT_EQ(group[0].T, 0u) << "only a point's last item is time-stamped";
        EXPECT_EQ(group[1].T, 0u);
        EXPECT_NE(group[2].T, 0u);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(group[i].SstEnd, 0);
        // The tone sits in the middle band; the Hann window hands each neighbour a quarter of its power.
        EXPECT_NEAR(Power(group[1]) / Power(group[0]), 0.25, 0.01);
        EXPECT_NEAR(Power(group[2]) / Power(group[0]), 0.25, 0.01);
    }
    const SstEvent &end = rig.events.back();
    EXPECT_EQ(end.SstEnd, 2);
    EXPECT_EQ(end.dP, 0u) << "the end item has no frequency, so that the holder takes no point from it";
    EXPECT_NE(end.T, 0u);
    EXPECT_GE(end.T, rig.events[8].T);
}

TEST_F(SelectiveFirmware, WithoutTheGeneratorTheBandsHoldOnlyTheLineNoise) {
    Run(0, {10}, false);
    ASSERT_TRUE(rig.WaitForEnd(2));
    ASSERT_EQ(rig.events.size(), 4u);
    SelectiveRig withTone;
    ASSERT_EQ(withTone.status, 0);
    MirvakBlock &m = withTone.settings.Mirvak;
    m = rig.settings.Mirvak;
    m.SinOn = 1;
    withTone.SetPlan({10});
    ASSERT_TRUE(R9_setSST());
    ASSERT_TRUE(withTone.WaitForEnd(2));
    ASSERT_EQ(withTone.events.size(), 4u);
    EXPECT_GT(Power(rig.events[0]), 0) << "noise, not silence";
    EXPECT_LT(10 * std::log10(Power(rig.events[0]) / Power(withTone.events[0])), -60);
}

TEST_F(SelectiveFirmware, ScanSendsEveryBandAndThenTheEnd) {
    rig.settings.Sin.F1 = 10;
    rig.settings.Sin.Level = -10;
    ASSERT_TRUE(G9_setSinSst());
    Run(1, {9, 11}, true);
    ASSERT_TRUE(rig.WaitForEnd(2));
    ASSERT_EQ(rig.events.size(), 22u) << "21 bands of 0.1 kHz from 9 to 11 kHz, then the end";
    std::size_t peak = 0;
    for (std::size_t i = 0; i < 21; ++i) {
        EXPECT_EQ(rig.events[i].dP, SelectiveRig::Word(9) + Unit * std::uint32_t(i));
        EXPECT_NE(rig.events[i].T, 0u) << "every band is a point of its own";
        EXPECT_EQ(rig.events[i].SstEnd, 0);
        if (Power(rig.events[i]) > Power(rig.events[peak]))
            peak = i;
    }
    EXPECT_EQ(peak, 10u) << "the sine at 10 kHz";
    EXPECT_EQ(rig.events.back().SstEnd, 2);
}

// Monitoring measures two bands either side of each point; with the meter's spectrum shift inverted every
// band lies mirrored below the shift, and the end item carries the image of no frequency.
TEST_F(SelectiveFirmware, MonitoringWithAnInverseShiftMirrorsItsFiveBands) {
    rig.settings.Mirvak.FcM = 100;
    Run(2, {10}, false, 0x01); // meter shift on, inverse
    ASSERT_TRUE(rig.WaitForEnd(2));
    ASSERT_EQ(rig.events.size(), 6u);
    const std::uint32_t shift = SelectiveRig::Word(100), word = SelectiveRig::Word(10);
    const std::vector<SstEvent> &pass = rig.events;
    const std::int64_t offsets[] = {0, -2, -1, 2, 1};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(pass[std::size_t(i)].dP, shift - (word + std::uint32_t(offsets[i]) * Unit));
        EXPECT_EQ(pass[std::size_t(i)].T != 0, i == 4);
    }
    EXPECT_EQ(pass[5].SstEnd, 2);
    EXPECT_EQ(pass[5].dP, shift);
}

TEST_F(SelectiveFirmware, ImpedancePointsGiveOneItemEach) {
    Run(3, {1, 4, 16}, true);
    ASSERT_TRUE(rig.WaitForEnd(2));
    ASSERT_EQ(rig.events.size(), 4u);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_NE(rig.events[i].T, 0u);
    EXPECT_EQ(rig.events[1].dP, SelectiveRig::Word(4));
}

TEST_F(SelectiveFirmware, AnEmptySetupGetsTheStopReport) {
    Run(0, {}, true);
    ASSERT_TRUE(rig.WaitForStop());
    rig.settings.Mirvak.RunActive = 0;
    ASSERT_TRUE(R9_setSST());
    ASSERT_TRUE(WaitUntil([&] { return rig.stops == 2; }));
    EXPECT_TRUE(rig.events.empty());
}

TEST_F(SelectiveFirmware, AStopEndsAContinuousRun) {
    Run(0, {10, 20}, true, 0x04);
    ASSERT_TRUE(rig.WaitForEnd(2));
    ASSERT_TRUE(WaitUntil([&] { return rig.events.size() > 7; })) << "a continuous run goes on by itself";
    rig.settings.Mirvak.RunActive = 0;
    ASSERT_TRUE(R9_setSST());
    ASSERT_TRUE(rig.WaitForStop());
    const std::size_t seen = rig.events.size();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    WaitUntil([] { return false; }, 0.1);
    EXPECT_EQ(rig.events.size(), seen) << "nothing after the stop report";
}

TEST(SelectiveFirmwareFile, TheOrdinaryProgramMeasuresNoPlan) {
    SelectiveRig rig(false);
    ASSERT_EQ(rig.status, 0);
    rig.settings.Mirvak.RunActive = 1;
    rig.settings.Mirvak.B = 0.1f;
    rig.SetPlan({10});
    ASSERT_TRUE(R9_setSST());
    WaitUntil([] { return false; }, 0.3);
    EXPECT_TRUE(rig.events.empty());
    rig.settings.Mirvak.RunActive = 0;
    ASSERT_TRUE(R9_setSST());
    EXPECT_TRUE(rig.WaitForStop()) << "it still reports a stop";
}

} // namespace
