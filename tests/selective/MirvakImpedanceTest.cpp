#include "selective/LineParameters.h"
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
