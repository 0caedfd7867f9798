#include "engine/MasterParam.h"

#include "chartlib/Chartlib.h"
#include "platform/NoValue.h"
#include "state/DeviceSettings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

// A spectrum step of 1 kHz: measurements closer than 0.5 kHz merge.
class MasterParam : public ::testing::Test {
protected:
    void SetUp() override {
        Settings = DefaultDeviceSettings();
        Settings.SpectrumStep = 1;
        DeviceSettings = &Settings;
        SetPrecisionZeros(2);
    }
    void TearDown() override { DeviceSettings = nullptr; }

    // One measurement merged or added by its measured x, normalised to the maximum.
    bool Add(float x, float y, float referenceX = 0) {
        master.SetCurrent(x, y);
        return master.AddCurrentPoint(referenceX, true, 0);
    }
    std::vector<float> Shown() const { return {master.YValues(), master.YValues() + master.ArrayCount}; }
    std::vector<float> ShownX() const { return {master.XValues(), master.XValues() + master.ArrayCount}; }

    TDeviceSettings Settings{};
    TMaster_Param master;
};

TEST_F(MasterParam, StartsEmptyWithoutACurrentMeasurement) {
    EXPECT_EQ(master.ArrayCount, 0);
    EXPECT_EQ(master.XValues(), nullptr);
    EXPECT_EQ(master.CurrentX, NoValue);
    EXPECT_FALSE(master.AddCurrentPoint(0, true, 0));
    EXPECT_TRUE(master.Points.empty());
}

TEST_F(MasterParam, CloseMeasurementsMergeIntoTheirRunningMean) {
    EXPECT_TRUE(Add(10, -4));
    EXPECT_FALSE(Add(10.4f, -2)); // 0.4 steps apart: one point
    ASSERT_EQ(master.Points.size(), 1u);
    EXPECT_FLOAT_EQ(master.Points[0].x, 10.2f);
    EXPECT_FLOAT_EQ(master.Points[0].y, -3);
    EXPECT_EQ(master.Points[0].count, 2);
    EXPECT_EQ(master.LastIndex, 0);
    EXPECT_FALSE(Add(10.5f, -6)); // 0.3 from the mean: a third measurement
    EXPECT_FLOAT_EQ(master.Points[0].x, (10 + 10.4f + 10.5f) / 3);
    EXPECT_FLOAT_EQ(master.Points[0].y, -4);
    EXPECT_TRUE(Add(master.Points[0].x + 0.5f, -1)); // half a step apart: a new point
    EXPECT_EQ(master.ArrayCount, 2);
    EXPECT_EQ(master.LastIndex, -1);
}

TEST_F(MasterParam, AMergeThatMovesAPointPastItsNeighbourKeepsThemSorted) {
    Add(10, -1);
    Add(10.6f, -2);
    // Both lie within half a step of 11.4; the first is found first and its mean moves past the second.
    Settings.SpectrumStep = 3;
    master.SetCurrent(11.4f, -3);
    master.AddCurrentPoint(-1, true, 0);
    const std::vector<float> x = ShownX();
    EXPECT_TRUE(std::is_sorted(x.begin(), x.end()));
    EXPECT_FLOAT_EQ(x[0], 10.6f);
    EXPECT_FLOAT_EQ(x[1], 10.7f);
    EXPECT_EQ(master.LastIndex, 1);
    EXPECT_EQ(master.Points[1].count, 2);
}

TEST_F(MasterParam, ByStepXOnlyAnEqualStepMerges) {
    master.SetCurrent(10, -4);
    EXPECT_TRUE(master.AddCurrentPoint(-1, false, 10));
    master.SetCurrent(33, -2);
    EXPECT_FALSE(master.AddCurrentPoint(-1, false, 10));
    EXPECT_FLOAT_EQ(master.Points[0].x, 10);
    EXPECT_FLOAT_EQ(master.Points[0].y, -3);
    master.SetCurrent(10, -2);
    EXPECT_TRUE(master.AddCurrentPoint(-1, false, 10.01f));
    EXPECT_EQ(master.ArrayCount, 2);
}

TEST_F(MasterParam, ShownLevelsFollowTheReference) {
    Add(10, -10, -1);
    Add(20, -3, -1);
    Add(30, -7, -1);
    struct Case {
        const char *name;
        float referenceX;
        std::vector<float> shown;
    };
    const Case cases[] = {
        {"negative: absolute", -1, {-10, -3, -7}},
        {"0: relative to the maximum", 0, {-7, 0, -4}},
        {"between two points: relative to the interpolated level", 25, {-5, 2, -2}},
        {"on a point", 30, {-3, 4, 0}},
        {"below the first point", 5, {NoValue, NoValue, NoValue}},
        {"above the last point", 31, {NoValue, NoValue, NoValue}},
    };
    for (const Case &c : cases) {
        // Merging into the last point with its own values refreshes the arrays without changing them.
        master.SetCurrent(30, -7);
        master.AddCurrentPoint(c.referenceX, true, 0);
        master.Points[2] = {30, -7, 1};
        const std::vector<float> shown = Shown();
        ASSERT_EQ(shown.size(), 3u) << c.name;
        for (std::size_t i = 0; i < 3; ++i)
            EXPECT_FLOAT_EQ(shown[i], c.shown[i]) << c.name << " point " << i;
    }
}

TEST_F(MasterParam, RestartAveragingActsOnlyAfterAMerge) {
    Add(10, -4);
    master.SetCurrent(50, -1);
    master.RestartAveraging(); // after an add: nothing, not even the current measurement
    EXPECT_FLOAT_EQ(master.CurrentX, 50);
    Add(10.1f, -6);
    master.SetCurrent(50, -1);
    master.RestartAveraging();
    EXPECT_EQ(master.Points[0].count, 1);
    EXPECT_EQ(master.CurrentX, NoValue);
    Add(10, -1); // the old mean weighs as one measurement
    EXPECT_FLOAT_EQ(master.Points[0].y, -3);
}

TEST_F(MasterParam, TheTwoThousandFirstPointIsRefused) {
    for (int i = 0; i < TMaster_Param::MaxPoints; ++i)
        ASSERT_TRUE(Add(float(i), -1, -1)) << i;
    const std::vector<float> before = ShownX();
    EXPECT_FALSE(Add(5000, -2, -1));
    EXPECT_EQ(master.ArrayCount, TMaster_Param::MaxPoints);
    EXPECT_EQ(ShownX(), before);
    EXPECT_FALSE(Add(3.2f, -3, -1)); // a merge still works on a full list
    EXPECT_FLOAT_EQ(master.Points[3].y, -2);
}

TEST_F(MasterParam, LevelPointsMergeBySetLevelRoundedToThePrecision) {
    Settings.SpectrumStep = 0.001f; // half a step below the 0.006 kHz that is always accepted
    EXPECT_FALSE(master.AddLevelPoint(1.0061f, 1, -10, -11));
    EXPECT_FALSE(master.AddLevelPoint(1, 1, NoValue, -11));
    EXPECT_FALSE(master.AddLevelPoint(1, 1, -10, NoValue));
    EXPECT_TRUE(master.AddLevelPoint(1.0059f, 1, -10.004f, -11.004f));
    EXPECT_FALSE(master.AddLevelPoint(1, 1, -9.996f, -12.996f)); // both round to -10.00
    EXPECT_TRUE(master.AddLevelPoint(1, 1, -10.01f, -10.01f));
    ASSERT_EQ(master.ArrayCount, 2);
    EXPECT_FLOAT_EQ(master.XValues()[0], -10.01f);
    EXPECT_FLOAT_EQ(master.YValues()[0], 0);
    EXPECT_FLOAT_EQ(master.XValues()[1], -10.004f);
    EXPECT_FLOAT_EQ(master.YValues()[1], -2); // mean of -1 and -3, not normalised
    EXPECT_EQ(master.LastIndex, -1);
}

TEST_F(MasterParam, ClearEmptiesEverythingAndZeroesTheTimingWords) {
    Add(10, -4);
    master.StepTick = master.FreqStepTick = master.ArmTick = master.TimerStartTick = 7;
    master.StepTime = 2;
    master.SetCurrent(1, 1);
    master.Clear();
    EXPECT_TRUE(master.Points.empty());
    EXPECT_EQ(master.ArrayCount, 0);
    EXPECT_EQ(master.StepTick + master.FreqStepTick + master.ArmTick + master.TimerStartTick, 0);
    EXPECT_EQ(master.StepTime, 0);
    EXPECT_EQ(master.CurrentY, NoValue);
}

} // namespace
