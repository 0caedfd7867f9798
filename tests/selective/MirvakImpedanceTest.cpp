#include "selective/LineParameters.h"
#include "selective/MirvakGraphSources.h"
#include "selective/MirvakImpedance.h"
#include "selective/MirvakImpedancePhaseTable.h"

#include "engine/ResultSlots.h"
#include "platform/NoValue.h"

#include "SelectiveFixture.h"

#include <vector>

namespace {

class MirvakImpedance : public SelectiveTest {
protected:
    // A work record of the given points with R and C as given (NoValue where absent), a full pass.
    void Points(std::vector<float> freq, std::vector<float> r, std::vector<float> c = {}) {
        TMirvakWorkArrays &w = MirvakWorkArrays;
        const int32_t n = int32_t(freq.size());
        w.PointCount = w.PlanPoints = n;
        w.PointFreq = freq;
        w.R = r.empty() ? std::vector<float>(freq.size(), NoValue) : r;
        w.C = c.empty() ? std::vector<float>(freq.size(), NoValue) : c;
        for (std::vector<float> *a : {&w.LinePhase, &w.LineVelocity, &w.ZOpenRe, &w.ZOpenIm, &w.ZShortRe,
                                      &w.ZShortIm, &w.LineAtt, &w.LineZMod, &w.LineZPhase})
            a->assign(freq.size(), NoValue);
    }
};

TEST_F(MirvakImpedance, CapacitanceAtOneKilohertzTwenty) {
    Points({1.02f}, {}, {55});
    MirvakCapacitance102();
    EXPECT_FLOAT_EQ(ResultValue(SlotMirvakCapacitance102), 55);
    Points({1.05f}, {}, {55});
    MirvakCapacitance102();
    EXPECT_EQ(ResultValue(SlotMirvakCapacitance102), NoValue);
    Points({0.5f, 1, 2, 4}, {}, {40, 50, 60, 70});
    MirvakCapacitance102();
    EXPECT_NEAR(ResultValue(SlotMirvakCapacitance102), 50.2, 1e-4);
}

TEST_F(MirvakImpedance, DcResistanceExtrapolatesToZeroHertz) {
    struct Case {
        std::vector<float> f, r;
        float dc;
    };
    const Case cases[] = {
        {{1, 3}, {10, 12}, 9},
        {{1, 3}, {10, 30.5f}, 0},       // -0.25 Ohm shows 0
        {{1, 3}, {10, 34}, NoValue},    // -2 Ohm shows nothing
        {{2}, {17}, 17},
        {{1, 2, 3}, {10, 11, 13}, 10},  // s1 = 1, s2 = 2: s = 0
    };
    for (const Case &c : cases) {
        Points(c.f, c.r);
        MirvakDcResistance();
        EXPECT_FLOAT_EQ(ResultValue(SlotMirvakResistance), c.dc) << c.r.back();
    }
}

TEST_F(MirvakImpedance, WidelySpacedPointsGiveNoVelocity) {
    Points({1, 21, 41}, {});
    MirvakWorkArrays.LinePhase = {0.1f, 0.2f, 0.3f};
    LineVelocityFromPhase();
    for (float v : MirvakWorkArrays.LinePhase)
        EXPECT_EQ(v, NoValue);
    for (float v : MirvakWorkArrays.LineVelocity)
        EXPECT_EQ(v, NoValue);
}

TEST_F(MirvakImpedance, AZeroCableLengthCountsAsOneMetre) {
    settings.Mirvak.CableLength = 0;
    EXPECT_FLOAT_EQ(MirvakCableKm(), 0.001f);
}

TEST_F(MirvakImpedance, PhaseCorrectionGivesTheKnownPoints) {
    struct Case {
        int type;
        float fs;
        int index;
        float f, degrees;
    };
    const Case cases[] = {
        {3, 2560, 0, 0.04f, 2.499f},    {3, 2560, 1, 0.04f, 2.426f},    {3, 2560, 2, 0.04f, 2.493f},
        {3, 2560, 0, 1024, -3.998f},    {3, 2560, 1, 1024, -12.834f},   {3, 2560, 2, 1024, -2.386f},
        {3, 5120, 0, 2048, 139.889f},   {3, 5120, 1, 2048, 124.206f},   {3, 5120, 2, 2048, 142.36f},
        {3, 5120, 0, 1024, 139.889f / 2}, {8, 2560, 0, 100, 0},         {3, 2560, 3, 100, 0},
        {3, 2500, 0, 100, 0},
    };
    for (const Case &c : cases)
        EXPECT_NEAR(MirvakPhaseCorrection(c.type, c.fs, c.index, c.f), c.degrees, 1e-3) << c.type << " " << c.f;
}

} // namespace

namespace {

class MirvakLineRun : public SelectiveTest {
protected:
    void SetUp() override {
        SelectiveTest::SetUp();
        settings.ConnectionType = 3;
        settings.GenImpedance = 600;
        settings.Mirvak.DeviceSubMode = 1;
        settings.Mirvak.CableLength = 500;
        PresetList({10, 20, 30});
    }
    // One pass of the plan in a sub-mode, an item per point.
    void Pass(int subMode, double re, double im) {
        settings.Mirvak.SubMode = int8_t(subMode);
        Holder();
        for (double f : {10.0, 20.0, 30.0}) {
            SstResultItem = {re * f, im, FreqCode(f), 1};
            AddSstResult(SstParam, SstResultItem);
            ProcessMirvakResult(1);
        }
    }
};

// The open line first, then the shorted one: the line parameters come with the second pass, and the open
// line's curve survives the reset between the passes.
TEST_F(MirvakLineRun, TheLineStepRunsOnceBothLinesAreMeasured) {
    Pass(7, 3000, -9000);
    EXPECT_EQ(MirvakZOpenValid, 1);
    EXPECT_EQ(MirvakZShortValid, 0);
    ASSERT_EQ(MirvakWorkArrays.PointCount, 3);
    EXPECT_EQ(MirvakWorkArrays.LineAtt[0], NoValue);
    const float openAt20 = MirvakWorkArrays.ZOpenRe[1];
    EXPECT_NE(openAt20, NoValue);
    Pass(8, 300, 100);
    EXPECT_EQ(MirvakZShortValid, 1);
    EXPECT_EQ(MirvakWorkArrays.ZOpenRe[1], openAt20);
    for (int j = 0; j < 3; ++j) {
        EXPECT_NE(MirvakWorkArrays.LineAtt[std::size_t(j)], NoValue) << j;
        EXPECT_NE(MirvakWorkArrays.LineZMod[std::size_t(j)], NoValue) << j;
    }
    const auto curve = MirvakGraphCurve(35);
    ASSERT_TRUE(curve.has_value());
    EXPECT_EQ(curve->Count, 3);
    EXPECT_EQ(curve->Y, MirvakWorkArrays.LineZMod.data());
    EXPECT_FLOAT_EQ(curve->X[2], 30);
}

TEST_F(MirvakLineRun, AnUnlistedGeneratorImpedanceGivesLevelsOnly) {
    settings.GenImpedance = 50;
    Pass(3, 3000, -9000);
    EXPECT_EQ(MirvakWorkArrays.PointCount, 3); // the plan's points, none measured as an impedance
    EXPECT_EQ(MirvakWorkArrays.R[0], NoValue);
    EXPECT_NE(ResultValue(SlotMirvakLevel), NoValue);
    DeleteSstParam();
    EXPECT_FALSE(MirvakGraphCurve(21).has_value()); // no holder: nothing to draw
}

} // namespace
