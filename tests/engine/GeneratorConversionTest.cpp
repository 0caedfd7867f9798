#include "EngineTestSettings.h"

#include "engine/GeneratorSynthesis.h"
#include "engine/LevelConversion.h"
#include "engine/MeterRange.h"

#include <cmath>
#include <cstdlib>
#include <string>

namespace {

using GeneratorConversion = EngineTest;

TEST_F(GeneratorConversion, LargestAmplitudeLevelMapsBackToItsCode) {
    struct Case {
        int32_t type;
        float R;
        float code;
    };
    const Case cases[] = {{0, 300, 6.5845f * 7672},
                          {3, 150, 6.5845f * 7672},
                          {0, 600, 6.5845f * 7672 * 1.0186f * 1.0186f}, // raised on the way there and back
                          {6, 150, 3.2922f * 14748},
                          {12, 75, 3.2922f * 14748}};
    for (const Case &c : cases)
        EXPECT_NEAR(LevelToCode(CodeToLevel(c.R, c.type, false), c.R, 0, c.type, false), c.code, 0.1f)
            << "type " << c.type;
    // A reference level shifts the level one to one; a halved output needs (R + 3)/(2R) of the code.
    EXPECT_NEAR(LevelToCode(-10, 600, 10, 0, false), LevelToCode(0, 600, 0, 0, false), 1e-2f);
    EXPECT_NEAR(LevelToCode(0, 600, 0, 0, true), LevelToCode(0, 600, 0, 0, false) * 603 / 1200, 1e-2f);
    // Above 500 Ohm the 7672 path is raised by 1.0186.
    EXPECT_NEAR(AmplitudeToCode(1, 501, 0, false), 7672 * 1.0186f, 1e-2f);
    EXPECT_NEAR(AmplitudeToCode(1, 500, 0, false), 7672, 1e-2f);
    EXPECT_NEAR(AmplitudeToCode(1, 501, 9, false), 14748, 1e-2f);
}

TEST_F(GeneratorConversion, OutputStageFollowsTheCodeAndConnection) {
    struct Case {
        int16_t type;
        uint8_t lowImpedance;
        float code;
        float amplitude;
        int16_t step;
        int32_t result;
    };
    const Case cases[] = {
        {7, 0, 100, 0, 1, 1000},                                                      // type 7 always raises, by 10
        {0, 0, 100, 1, 1, static_cast<int32_t>(std::trunc(100 * 31.622555f + 0.5f))}, // small code: raised
        {10, 0, 100, 1, 0, 100},                                                      // type 10 cannot raise
        {6, 1, 100, 1, 0, 100}, // low-impedance output of type 6 neither
        {6, 0, 100, 1, 1, 1000},
        {0, 0, 30000, 1, -1, static_cast<int32_t>(std::trunc(30000 * 0.19952513f + 0.5f))}, // above the limit
        {0, 0, 20000, 1, 0, 20000},
    };
    for (const Case &c : cases) {
        Settings.ConnectionType = c.type;
        Settings.GenLowImpedance = c.lowImpedance;
        GenRangeStep = 99;
        EXPECT_EQ(ChooseGenRangeStep(c.code, c.amplitude, 25000), c.result) << "type " << c.type << " code " << c.code;
        EXPECT_EQ(GenRangeStep, c.step) << "type " << c.type << " code " << c.code;
    }
}

// The output stage is raised from program start until the first generator command chooses one. The
// check runs in a fresh copy of the test program, as other tests here change the stage.
TEST(GeneratorOutputStage, RaisedAtProgramStart) {
    const std::string style = GTEST_FLAG_GET(death_test_style);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::exit(GenRangeStep == 1 ? 0 : 10 + GenRangeStep), ::testing::ExitedWithCode(0), "");
    GTEST_FLAG_SET(death_test_style, style);
}

TEST(FitGeneratorFrequency, FindsExactFrequenciesAndClampsToTheBand) {
    float actual = 0;
    uint32_t phase = 0;
    EXPECT_EQ(FitGeneratorFrequency(10240, 2, 2560, actual, phase), 1280);
    EXPECT_FLOAT_EQ(actual, 2);
    EXPECT_EQ(phase, static_cast<uint32_t>(std::trunc(4294967296.0 / 1280 + 0.5)));

    EXPECT_EQ(FitGeneratorFrequency(10240, 5000, 2560, actual, phase), 1024) << "fs/2 in two samples, repeated";
    EXPECT_FLOAT_EQ(actual, 1280);
    EXPECT_EQ(phase, 2147483648u);

    // 3 periods in 7 samples is the best fraction for 3/7 of fs within a 10-sample table.
    EXPECT_EQ(FitGeneratorFrequency(10, 3.0f / 7 * 1000, 1000, actual, phase), 1029) << "147 repeats of 7";
    EXPECT_NEAR(actual, 3000.0 / 7, 1e-3);
    EXPECT_EQ(phase, static_cast<uint32_t>(std::trunc(3.0 / 7 * 4294967296.0 + 0.5)));

    EXPECT_EQ(FitGeneratorFrequency(10240, 40, 0, actual, phase), 1024) << "no sample rate: a silent table";
    EXPECT_EQ(phase, 0u);
}

TEST(WaveTable, ScalesInQ14AndSaturates) {
    SynthBuffer[0] = 16384;
    SynthBuffer[1] = -1000;
    SynthBuffer[2] = 30000;
    ScaleWaveTable(8192); // one half
    EXPECT_EQ(SynthBuffer[0], 8192);
    EXPECT_EQ(SynthBuffer[1], -500);
    EXPECT_EQ(SynthBuffer[2], 15000);
    ScaleWaveTable(32767); // almost two: 15000 would wrap
    EXPECT_EQ(SynthBuffer[2], 29999);
    EXPECT_EQ(SynthBuffer[0], 16383);
    SynthBuffer[0] = 30000;
    ScaleWaveTable(32767);
    EXPECT_EQ(SynthBuffer[0], 32767);
    EXPECT_EQ(SynthesisTableLength(), 8192);
    EXPECT_EQ(MulShift16(-3, 5, 1), -8);
}

using MeterRanges = EngineTest;

TEST_F(MeterRanges, RangeLevelsStepByTwentyAndNeedAnImpedance) {
    ComputeRangeMaxLevels(600, 0);
    const double e = std::trunc(10 * std::log10(1.7389097214 * 1.7389097214 / 0.6) - 3 + 0.5);
    EXPECT_EQ(RangeMaxLevels[2], e);
    EXPECT_EQ(RangeMaxLevels[0], e + 40);
    EXPECT_EQ(RangeMaxLevels[1], e + 20);
    EXPECT_EQ(RangeMaxLevels[3], e - 20);
    ComputeRangeMaxLevels(9.9f, -30);
    EXPECT_EQ(RangeMaxLevels[2], e) << "below 10 Ohm nothing changes";
}

TEST_F(MeterRanges, AutomaticRangeMovesOneStepAndStaysValid) {
    Settings.MeterImpedance = 600;
    ComputeRangeMaxLevels(600, 0);
    const float top1 = RangeMaxLevels[1];
    struct Case {
        int8_t index;
        float level;
        int8_t expected;
    };
    const Case cases[] = {
        {1, top1 - 20, 1}, // comfortably inside
        {1, top1 - 5, 0},  // near the top: one range up
        {1, top1 - 60, 2}, // far below: one range down, not two
        {0, 100, 0},       // already the highest
        {3, -200, 3},      // already the lowest
        {-1, -200, 1},     // a stored -1 counts as range 0
        {9, 100, 2},       // a damaged index counts as range 3
    };
    for (const Case &c : cases) {
        Settings.MaxLevelIndex = c.index;
        EngineBuffers.ReceivedLevelDbm = c.level;
        EXPECT_EQ(AutoRangeIndex(), c.expected) << "index " << int(c.index) << " level " << c.level;
    }
}

TEST_F(MeterRanges, BandLimitsSnapToTheGrid) {
    struct Case {
        float fs, f0, f1;
        float snapped0, snapped1;
        int16_t result;
    };
    const Case cases[] = {
        {1024, 384.6f, 409.6f, 385, 410, 2}, // clamped first, so the top may pass 0.4 fs a little
        {1024, 100, 101, 105, 130, 2},       // widened to three grid steps
        {1024, 0, 200, 1, 202, 24},          // the lower limit is at least one bin
        {1024, 50, 1000, 49, 410, 44},       // the upper limit at most 0.4 fs before snapping
    };
    for (const Case &c : cases) {
        Settings.SampleRate = c.fs;
        float f0 = c.f0;
        float f1 = c.f1;
        EXPECT_EQ(SnapBandLimits(f0, f1), c.result) << c.f0 << ".." << c.f1;
        EXPECT_FLOAT_EQ(f0, c.snapped0) << c.f0 << ".." << c.f1;
        EXPECT_FLOAT_EQ(f1, c.snapped1) << c.f0 << ".." << c.f1;
    }
}

} // namespace
