#include "views/GraphXRange.h"
#include "state/DeviceSettings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

struct IncrementCase {
    double span;
    int labelWidth;
    int plotWidth;
    double increment;
};

TEST(GraphXRange, BottomIncrementRoundsTheStepToOneFiveOrTenTimesAPowerOfTen) {
    const IncrementCase cases[] = {
        {73, 50, 100, 50},    {37, 50, 100, 10},     {0.3, 50, 100, 0.1}, {0.07, 50, 100, 0.05}, {7, 50, 100, 1},
        {0.5, 50, 100, 1},    {120, 50, 100, 100},   {1000, 0, 400, 50},  {1000, 1, 400, 50},    {1000, 100, 400, 500},
        {5000, 10, 100, 500}, {2e-6, 50, 100, 1e-6}, {360, 30, 600, 10},
    };
    for (const IncrementCase &c : cases)
        EXPECT_DOUBLE_EQ(BottomIncrement(c.span, c.labelWidth, c.plotWidth), c.increment)
            << c.span << " " << c.labelWidth << " " << c.plotWidth;
}

TEST(GraphXRange, BottomIncrementOfAnEmptyPlotOrAnUnusableSpanIsOne) {
    EXPECT_EQ(BottomIncrement(100, 10, 0), 1);
    for (double span : {0.0, -5.0, std::nan(""), HUGE_VAL, -HUGE_VAL})
        EXPECT_EQ(BottomIncrement(span, 10, 400), 1) << span;
    // The smallest positive numbers end too.
    EXPECT_GT(BottomIncrement(std::numeric_limits<double>::denorm_min(), 10, 400), 0);
}

class DefaultRange : public ::testing::Test {
protected:
    void SetUp() override {
        settings = DefaultDeviceSettings();
        settings.SampleRate = 2560;
        settings.SpectrumStep = 1.25;
        settings.PresentationStep = 2.5;
        settings.BandF0 = 10;
        settings.BandF1 = 1010;
        settings.CableVelocity = 200;
    }
    TDeviceSettings settings{};
};

TEST_F(DefaultRange, LevelMasterWithTwoEntriesSpansItsCapsAfterWidening) {
    settings.MasterL.Source = 0;
    settings.MasterL.SetCount = 2;
    const TDefaultXRange r = DefaultXRange(19, settings);
    EXPECT_DOUBLE_EQ(r.XMin, -100);
    EXPECT_DOUBLE_EQ(r.XMax, 120);
    EXPECT_DOUBLE_EQ(r.ZoomResolution, 0.1);
}

TEST_F(DefaultRange, LevelMasterListTakesItsExtremesWidened) {
    settings.MasterL.Source = 0;
    settings.MasterL.SetCount = 3;
    settings.MasterL.Set[0].Value = -40;
    settings.MasterL.Set[1].Value = -10;
    settings.MasterL.Set[2].Value = -30;
    const TDefaultXRange r = DefaultXRange(19, settings);
    EXPECT_DOUBLE_EQ(r.XMax, -10 + 0.2 * 30);
    EXPECT_DOUBLE_EQ(r.XMin, -40 - 0.2 * (r.XMax + 40));
}

TEST_F(DefaultRange, FrequencyMasterIsCutToHalfTheSampleRateAndToZero) {
    settings.MasterF.Source = 1;
    settings.MasterF.RangeStart = 100;
    settings.MasterF.RangeN = 100;
    settings.MasterF.RangeStep = 12;
    const TDefaultXRange r = DefaultXRange(18, settings);
    EXPECT_DOUBLE_EQ(r.XMax, 1280);
    EXPECT_DOUBLE_EQ(r.XMin, 0);
    EXPECT_DOUBLE_EQ(r.ZoomResolution, 5); // 2 x 2.5 kHz, smaller than a tenth of the span
    EXPECT_TRUE(r.ResizeTable);
}

// A selective preset list spans its extremes and ten selection bands more on either side, so three equal
// frequencies still give an axis of some width; a list of two spans half the sample rate.
TEST_F(DefaultRange, SelectivePresetListsSpanTenBandsBeyondTheirExtremes) {
    MirvakBlock &m = settings.Mirvak;
    m.SubMode = 0;
    m.Flags = 0;
    m.B = 0.02f;
    m.SetCount = 3;
    for (int i = 0; i < 3; ++i)
        m.Set[i] = {100, 1};
    double lowest = 0, highest = 0;
    GetMirvakBand(settings, lowest, highest);
    EXPECT_NEAR(lowest, 100 - 10 * 0.02, 1e-5);
    EXPECT_NEAR(highest, 100 + 10 * 0.02, 1e-5);
    const TDefaultXRange r = DefaultXRange(21, settings);
    EXPECT_GT(r.XMax - r.XMin, 0.4);
    m.SetCount = 2;
    GetMirvakBand(settings, lowest, highest);
    EXPECT_DOUBLE_EQ(lowest, 0);
    EXPECT_DOUBLE_EQ(highest, 1280);
}

TEST_F(DefaultRange, FixedKindsTakeTheirRanges) {
    const TDefaultXRange phasogram = DefaultXRange(37, settings);
    EXPECT_DOUBLE_EQ(phasogram.XMin, 0);
    EXPECT_DOUBLE_EQ(phasogram.XMax, 360);
    const TDefaultXRange spectrum = DefaultXRange(1, settings);
    EXPECT_DOUBLE_EQ(spectrum.XMax, 1280);
    EXPECT_DOUBLE_EQ(spectrum.ZoomResolution, 5);
    const TDefaultXRange oscillogram = DefaultXRange(0, settings);
    EXPECT_DOUBLE_EQ(oscillogram.XMax, 800);
    EXPECT_DOUBLE_EQ(oscillogram.ZoomResolution, 2000.0 / 2560);
    const TDefaultXRange reflectogram = DefaultXRange(3, settings);
    EXPECT_DOUBLE_EQ(reflectogram.XMin, 1000.0 / 2560 * -31 * 200);
    EXPECT_DOUBLE_EQ(reflectogram.XMax, 1000.0 / 2560 * 991 * 200);
    const TDefaultXRange groupDelay = DefaultXRange(6, settings);
    EXPECT_TRUE(groupDelay.Force && groupDelay.SetsYRange);
    EXPECT_DOUBLE_EQ(groupDelay.YShownMax, 400);
    EXPECT_DOUBLE_EQ(groupDelay.YShownMin, -400);
    EXPECT_DOUBLE_EQ(groupDelay.ZoomResolution, 10);
}

TEST_F(DefaultRange, OscillogramTakesTheSyncWindowInSyncMode) {
    settings.SyncGenState = 1;
    settings.SyncEdgeMode = 2;
    settings.SyncDelay[2] = 50;
    const TDefaultXRange r = DefaultXRange(0, settings);
    EXPECT_DOUBLE_EQ(r.XMin, 50 - 800);
    EXPECT_DOUBLE_EQ(r.XMax, 50);
}

TEST_F(DefaultRange, AZeroVelocityOrSampleRateGivesAFiniteRange) {
    settings.CableVelocity = 0;
    TDefaultXRange r = DefaultXRange(4, settings);
    EXPECT_EQ(r.XMin, 0);
    EXPECT_EQ(r.XMax, 0);
    settings.SampleRate = 0;
    settings.SpectrumStep = 0;
    for (int kind = 0; kind < 39; ++kind) {
        r = DefaultXRange(kind, settings);
        EXPECT_TRUE(std::isfinite(r.XMin) && std::isfinite(r.XMax) && std::isfinite(r.ZoomResolution)) << kind;
        EXPECT_TRUE(std::isfinite(r.YShownMax)) << kind;
    }
}

TEST(GraphXRange, StoredBottomRangeWiderThanTheDefaultOnBothSidesIsReplaced) {
    double lo = 0, hi = 0;
    EXPECT_TRUE(RestoredBottomRange(-10, 2000, 0, 1280, lo, hi));
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 1280);
    EXPECT_TRUE(RestoredBottomRange(100, 200, 0, 1280, lo, hi));
    EXPECT_EQ(lo, 100);
    EXPECT_EQ(hi, 200);
    EXPECT_TRUE(RestoredBottomRange(-10, 200, 0, 1280, lo, hi)); // wider on one side only
    EXPECT_EQ(lo, -10);
    EXPECT_FALSE(RestoredBottomRange(5, 5, 0, 1280, lo, hi));
}

} // namespace
