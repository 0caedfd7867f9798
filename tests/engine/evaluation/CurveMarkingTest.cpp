#include "engine/evaluation/CurveMarking.h"

#include "EvaluationFixture.h"
#include "platform/NoValue.h"

#include <numeric>

namespace {

using CurveMarking = EvaluationTest;

TEST_F(CurveMarking, VerdictArraySizesBySlot) {
    const std::pair<int32_t, int32_t> sizes[] = {
        {0, 32768},  {1, 16384},   {2, 16384},   {3, 1023},  {4, 1023},  {5, 256},  {15, 256},    {16, 16384},
        {17, 16384}, {18, 4096},   {19, 4096},   {20, 2000}, {21, 2000}, {22, 256}, {23, 100000}, {35, 100000},
        {36, 16384}, {37, 100000}, {41, 100000}, {42, 4096}, {43, 4096}, {44, -1},  {-1, -1}};
    for (const auto &[slot, size] : sizes)
        EXPECT_EQ(PointVerdictSize(slot), size) << "slot " << slot;
}

TEST_F(CurveMarking, ArraysExistOnlyForSlotsWithMasks) {
    AllocPointVerdicts(5);
    EXPECT_EQ(PointVerdicts[5], nullptr);
    InstallMask(5, MaskLowerSide, {{0, 0}, {1, 0}});
    ASSERT_NE(PointVerdicts[5], nullptr);
    EXPECT_EQ(PointVerdictAt(5, 255), 1);
    EXPECT_EQ(PointVerdictAt(5, 256), 1); // past the end reads as passed
    FreePointVerdicts(5);
    EXPECT_EQ(PointVerdicts[5], nullptr);
}

TEST_F(CurveMarking, OnlyPointsInsideTheAnalysisBandAreJudged) {
    InstallMask(1, MaskUpperSide, {{0, 0}, {200, 0}});
    const float x[] = {0.99f, 1, 50, 100, 100.01f};
    const float y[] = {5, 5, -5, 5, 5};
    MarkCurvePoints(x, y, 5, 1);
    const uint8_t expected[] = {1, 0, 1, 0, 1};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(PointVerdictAt(1, i), expected[i]) << "x " << x[i];
    EXPECT_EQ(MaskArray[1][0]->Passed, 0);
}

TEST_F(CurveMarking, OscillogramIsJudgedWhateverTheBand) {
    InstallMask(0, MaskLowerSide, {{-1000, 0}, {1000, 0}});
    const float x[] = {-500, 500};
    const float y[] = {-1, 1};
    MarkCurvePoints(x, y, 2, 0);
    EXPECT_EQ(PointVerdictAt(0, 0), 255);
    EXPECT_EQ(PointVerdictAt(0, 1), 1);
}

TEST_F(CurveMarking, GapsPassAndLeaveTheMasksNotJudged) {
    TMASK *mask = InstallMask(16, MaskUpperSide, {{0, 0}, {200, 0}});
    mask->Passed = 0;
    const float x[] = {10, 20};
    const float y[] = {NoValue, NoValue};
    MarkCurvePoints(x, y, 2, 16);
    EXPECT_EQ(mask->Passed, 3);
    EXPECT_EQ(PointVerdictAt(16, 0), 1);
}

TEST_F(CurveMarking, SelectiveLevelsPackTheirVerdictsAndTreatMinus300AsAGap) {
    InstallMask(25, MaskUpperSide, {{0, 0}, {200, 0}});
    const float x[] = {10, 20, 30, 40};
    const float y[] = {5, -300, -5, 5};
    MarkCurvePoints(x, y, 4, 25);
    EXPECT_EQ(PointVerdictAt(25, 0), 0);
    EXPECT_EQ(PointVerdictAt(25, 1), 1);
    EXPECT_EQ(PointVerdictAt(25, 2), 0);
}

TEST_F(CurveMarking, MasterCurveOf1500PointsStaysInsideItsArray) {
    TMASK *mask = InstallMask(20, MaskUpperSide, {{0, 0}, {1e6, 0}});
    for (int32_t n : {1500, 2000, 2500}) {
        SCOPED_TRACE(n);
        std::vector<float> x(static_cast<size_t>(n)), y(static_cast<size_t>(n), 1);
        std::iota(x.begin(), x.end(), 0.0f);
        MarkCurvePoints(x.data(), y.data(), n, 20);
        EXPECT_EQ(PointVerdictAt(20, 0), 0);
        EXPECT_EQ(PointVerdictAt(20, std::min(n, 2000) - 1), 0);
        EXPECT_EQ(mask->Passed, 0);
    }
}

TEST_F(CurveMarking, NothingWithoutAnArrayOrCurve) {
    TMASK *mask = InstallMask(2, MaskUpperSide, {{0, 0}, {200, 0}});
    FreePointVerdicts(2);
    const float x[] = {10};
    const float y[] = {10};
    mask->Passed = 1;
    MarkCurvePoints(x, y, 1, 2);
    EXPECT_EQ(mask->Passed, 1);
    AllocPointVerdicts(2);
    MarkCurvePoints(nullptr, nullptr, 5, 2);
    MarkCurvePoints(x, y, 1, 99);
    EXPECT_EQ(mask->Passed, 1);
}

} // namespace
