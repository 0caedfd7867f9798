#include "EngineTestSettings.h"

#include "engine/LevelConversion.h"
#include "engine/NoiseMeasurement.h"
#include "engine/ResultSlots.h"
#include "engine/catalogue/ParamCatalogue.h"

#include <cmath>

namespace {

class NoiseMeasurement : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        BuildParamCatalogue();
        PhasogramState = {};
        Settings.Phasogram = 1;
    }
};

TEST_F(NoiseMeasurement, PhasogramSegmentStepAndPointCount) {
    struct Case {
        float fs;
        int32_t n;
        float f0, f1, fref;
        uint8_t on;
        int32_t points;  // 2: no phasogram
        int32_t segment; // when there is one
    };
    const Case cases[] = {
        {640, 32768, 2.5f, 256, 0.05f, 1, 91, 1024}, // 12800 samples a period, step 12800/90
        {640, 32768, 10, 256, 0.05f, 1, 361, 256},    // a shorter segment halves the step twice
        {640, 32768, 2.5f, 256, 0.05f, 0, 2, 0},      // switched off
        {10.24f, 32768, 0.1f, 4, 0.05f, 1, 2, 0},     // 205 samples a period: below 2500
        {2560, 32768, 2.5f, 1024, 0.05f, 1, 2, 0},    // a period longer than the block
        {640, 2048, 2.5f, 256, 0.2f, 1, 2, 0},        // a bin wider than the reference
    };
    for (const Case &c : cases) {
        Settings.Phasogram = c.on;
        const int32_t points = ChoosePhasogramSegment(c.fs, c.n, c.f0, c.f1, c.fref);
        EXPECT_EQ(points, c.points) << c.fs << " " << c.n << " " << c.f0 << " " << c.fref;
        EXPECT_EQ(EngineBuffers.NoiseCurveLength, c.points);
        if (c.points > 2) {
            EXPECT_EQ(PhasogramState.Segment, c.segment);
            EXPECT_EQ(PhasogramState.Period, 12800);
            EXPECT_LE(PhasogramState.Step, c.segment / 4.0f);
        } else {
            EXPECT_EQ(EngineBuffers.NoiseCurves[0][0], NoValue);
            EXPECT_EQ(PhasogramState.Valid, 0);
        }
    }
}

// The reference line must reach -30, -50, -70 or (input range 3) -90 dBm before the phasogram is taken.
TEST_F(NoiseMeasurement, ReferenceLineMustReachTheThresholdOfTheInputRange) {
    Settings.SampleRate = 640;
    Settings.AdcSize = 32768;
    Settings.SpectrumStep = 640.0f / 32768;
    Settings.BandF0 = 2.5f;
    Settings.BandF1 = 256;
    Settings.PhasogramRef = 0.05f;
    const int32_t g = static_cast<int32_t>(0.05f / Settings.SpectrumStep + 0.5f);
    // The power of the three bins that makes the reference exactly 0 dBm.
    float unit = 1;
    unit /= std::pow(10.0f, 0.1f * PowerToDbm0(unit));
    struct Case {
        int8_t range;
        float level; // dBm of the reference line
        bool taken;
    };
    const Case cases[] = {{0, -29, true}, {0, -31, false}, {1, -49, true}, {1, -51, false},
                          {2, -69, true}, {2, -71, false}, {3, -89, true}, {3, -91, false}};
    for (const Case &c : cases) {
        Settings.MaxLevelIndex = c.range;
        std::fill(EngineBuffers.PowerSpectrum, EngineBuffers.PowerSpectrum + 16384, 0.0f);
        EngineBuffers.PowerSpectrum[g] = unit * std::pow(10.0f, 0.1f * c.level);
        MeasureNoise();
        EXPECT_EQ(PhasogramState.Valid == 1, c.taken) << "range " << int(c.range) << " at " << c.level << " dBm";
        EXPECT_EQ(EngineBuffers.NoiseCurves[0][0] != NoValue, c.taken);
    }
}

TEST_F(NoiseMeasurement, BandNoiseAndWeightedNoiseRows) {
    Settings.BandF0 = 100;
    Settings.BandF1 = 200;
    EngineBuffers.BandLowBin = 70;
    EngineBuffers.BandHighBin = 170;
    for (int32_t k = 0; k < 1024; ++k) {
        EngineBuffers.FrequencyAxis[k] = 1.25f * k;
        EngineBuffers.PowerSpectrum[k] = 1e-3f;
    }
    MeasureNoiseLevels();
    // Bins strictly inside 100 .. 200 kHz: 81 .. 159.
    EXPECT_NEAR(ResultValue(SlotNoiseLevel), PowerToDbm0(79 * 1e-3f), 1e-3);
    EXPECT_EQ(ResultValue(SlotNoiseWeighted), NoValue);
}

TEST_F(NoiseMeasurement, VoltsFromLevelIsTheRmsVoltageAcrossTheImpedance) {
    Settings.MeterImpedance = 600;
    Settings.MeterRef = 0;
    EXPECT_NEAR(VoltsFromLevel(0), std::sqrt(0.6), 1e-5);
    Settings.ConnectionType = 3;
    Settings.GenImpedance = 150;
    EXPECT_NEAR(VoltsFromLevel(-10), std::sqrt(0.015), 1e-5);
}

} // namespace
