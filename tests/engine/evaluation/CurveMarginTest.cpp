#include "engine/evaluation/CurveMargin.h"
#include "engine/evaluation/MaskLookup.h"

#include "EvaluationFixture.h"
#include "platform/NoValue.h"

namespace {

// The SIN spectrum's row (slot 1) computing its margin.
class CurveMargin : public EvaluationTest {
protected:
    void SetUp() override {
        EvaluationTest::SetUp();
        row = FindParamByMaskSlot(1);
        ASSERT_NE(row, nullptr);
        row->Settings.ComputeMargin = 1;
    }
    float Margin(std::vector<float> x, std::vector<float> y) {
        CheckCurveAgainstMasks(x.data(), y.data(), int32_t(x.size()), 1);
        return row->Result.Margin;
    }
    ParamDescriptor *row = nullptr;
};

TEST_F(CurveMargin, SmallestDistanceToTheMasks) {
    // Upper mask y = 10 + x/10 over 0..100: at 10, 20, 30 it is 11, 12, 13.
    InstallMask(1, MaskUpperSide, {{0, 10}, {100, 20}});
    EXPECT_FLOAT_EQ(Margin({10, 20, 30}, {5, 11, 10}), 1);
    EXPECT_FLOAT_EQ(Margin({10, 20, 30}, {5, 11, 14}), -1);
    // Lower mask y = -10 flat: distance y + 10, smaller than the upper's at x = 50 (15 - 12 = 3 vs 2 + 10).
    InstallMask(1, MaskLowerSide, {{0, -10}, {100, -10}});
    EXPECT_FLOAT_EQ(Margin({50}, {2}), 12);
    EXPECT_FLOAT_EQ(Margin({50}, {-8}), 2);
}

TEST_F(CurveMargin, VerticalSegmentTakesItsMoreDemandingEnd) {
    InstallMask(1, MaskUpperSide, {{50, 10}, {50, 4}, {100, 4}});
    EXPECT_FLOAT_EQ(Margin({50}, {0}), 4);
    InstallMask(1, MaskLowerSide, {{50, -10}, {50, -2}, {100, -2}});
    EXPECT_FLOAT_EQ(Margin({50}, {0}), 2);
}

TEST_F(CurveMargin, NoMarginOutsideTheMasksOrTheBandOrForGaps) {
    InstallMask(1, MaskUpperSide, {{20, 10}, {40, 10}});
    EXPECT_EQ(Margin({10, 50}, {0, 0}), NoValue);
    EXPECT_EQ(Margin({30}, {NoValue}), NoValue);
    Settings.BandF1 = 25;
    EXPECT_EQ(Margin({30}, {0}), NoValue);
    EXPECT_FLOAT_EQ(Margin({25}, {0}), 10); // on the band edge it counts
}

TEST_F(CurveMargin, RowsWithoutMarginOrWithoutTemplateMasksGetNone) {
    TMASK *mask = InstallMask(1, MaskUpperSide, {{0, 10}, {100, 10}});
    row->Result.Margin = 3;
    mask->IsLine = 1;
    EXPECT_EQ(Margin({50}, {0}), NoValue);
    mask->IsLine = 0;
    mask->Active = 0;
    EXPECT_EQ(Margin({50}, {0}), NoValue);
    mask->Active = 1;
    row->Settings.ComputeMargin = 0;
    EXPECT_EQ(Margin({50}, {0}), NoValue);
}

TEST_F(CurveMargin, SlotsWithoutARowOfTheKindStoreNothing) {
    InstallMask(23, MaskUpperSide, {{0, 10}, {100, 10}});
    const float x[] = {50}, y[] = {0};
    CheckCurveAgainstMasks(x, y, 1, 23); // no SIN row owns slot 23
    EXPECT_EQ(FindParamByMaskSlot(23), nullptr);
    SignalKind = 2;
    EXPECT_EQ(FindParamByMaskSlot(1), nullptr);
    SignalKind = 0;
    EXPECT_EQ(FindParamByMaskSlot(1), nullptr);
    SignalKind = 1;
    EXPECT_EQ(FindParamByMaskSlot(-1), nullptr);
}

TEST_F(CurveMargin, ActiveMaskLookUp) {
    TMASK *mask = InstallMask(7, MaskUpperSide, {{0, 10}, {100, 10}});
    EXPECT_EQ(GetActiveMask(7, 0), mask);
    EXPECT_EQ(GetActiveMask(7, 1), nullptr);
    EXPECT_EQ(GetActiveMask(7, 2), nullptr);
    EXPECT_EQ(GetActiveMask(44, 0), nullptr);
    mask->Active = 0;
    EXPECT_EQ(GetActiveMask(7, 0), nullptr);
    mask->Active = 1;
    mask->Points.clear();
    EXPECT_EQ(GetActiveMask(7, 0), nullptr);
}

} // namespace
