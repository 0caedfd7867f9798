#include "EngineTestSettings.h"

#include "engine/LevelConversion.h"
#include "engine/PrbsReference.h"
#include "engine/SampleScaling.h"

#include <cmath>
#include <limits>

namespace {

using BlockScaling = EngineTest;

TEST_F(BlockScaling, InvertsTheSignAndScalesByTheConnectionsDivisor) {
    struct Case {
        int16_t type;
        float codesPerVolt;
    };
    const Case cases[] = {{0, 14968}, {3, 14968}, {6, 14968}, {7, 15175}, {9, 15175}, {11, 15175}, {12, 14968}};
    EngineBuffers.MeterScaleLevel = -5;
    EngineBuffers.AdcSampleBuffer[0] = 1000;
    EngineBuffers.AdcSampleBuffer[1] = -2000;
    for (const Case &c : cases) {
        Settings.ConnectionType = c.type;
        ScaleBlock(2048);
        const float gain = std::pow(10.0f, -0.25f) / c.codesPerVolt;
        EXPECT_FLOAT_EQ(EngineBuffers.SampleGain, gain) << "type " << c.type;
        EXPECT_FLOAT_EQ(EngineBuffers.SampleVolts[0], -1000 * gain) << "type " << c.type;
        EXPECT_FLOAT_EQ(EngineBuffers.SampleVolts[1], 2000 * gain) << "type " << c.type;
    }
    EXPECT_FLOAT_EQ(EngineBuffers.SampleTimeAxis[1], 1000.0f / 2560);
    EXPECT_FLOAT_EQ(EngineBuffers.SampleTimeAxis[2047], 2047 * 1000.0f / 2560);
}

TEST_F(BlockScaling, ClipsOnlyBeyondTheThreshold) {
    struct Case {
        int16_t code;
        int16_t overload;
    };
    for (const Case c : {Case{26028, 0}, Case{-26028, 0}, Case{26029, 1}, Case{-26029, 1}, Case{-32768, 1}}) {
        std::fill(EngineBuffers.AdcSampleBuffer, EngineBuffers.AdcSampleBuffer + 2048, int16_t{0});
        EngineBuffers.AdcSampleBuffer[2047] = c.code;
        ScaleBlock(2048);
        EXPECT_EQ(EngineBuffers.OverloadFlag, c.overload) << c.code;
    }
    // A code past the block does not count.
    EngineBuffers.AdcSampleBuffer[2047] = 0;
    EngineBuffers.AdcSampleBuffer[2048] = 30000;
    ScaleBlock(2048);
    EXPECT_EQ(EngineBuffers.OverloadFlag, 0);
}

using PowerLevel = EngineTest;

TEST_F(PowerLevel, FloorsPowersThatGiveNoLevel) {
    const float powers[] = {0, -5, 1e-20f, std::numeric_limits<float>::quiet_NaN(),
                            std::numeric_limits<float>::infinity()};
    for (float p : powers)
        EXPECT_EQ(PowerToDbm0(p), LevelFloor) << p;
    Settings.MeterImpedance = 0;
    EXPECT_EQ(PowerToDbm0(1e9f), LevelFloor);
}

TEST_F(PowerLevel, GeneratorImpedanceAndCorrectionOfTypes3And8) {
    Settings.MeterImpedance = 600;
    Settings.GenImpedance = 150;
    Settings.ConnectionType = 0;
    const float p = 1e8f;
    const float atMeter = PowerToDbm0(p);
    Settings.MeterImpedance = 150;
    const float atGenerator = PowerToDbm0(p);
    EXPECT_NEAR(atGenerator - atMeter, 10 * std::log10(4.0), 1e-4); // a quarter of the impedance
    Settings.MeterImpedance = 600;
    Settings.ConnectionType = 3;
    EXPECT_NEAR(PowerToDbm0(p), atGenerator - 0.113f, 1e-4);
    Settings.ConnectionType = 8;
    EXPECT_NEAR(PowerToDbm0(p), atGenerator - 0.18f, 1e-4);
    Settings.ConnectionType = 4;
    Settings.MeterRef = -10;
    EXPECT_NEAR(PowerToDbm0(p), atMeter + 10, 1e-4);
}

TEST(AnalysisBuffers, AllocateOnceAndFreeEverything) {
    TDeviceSettings settings = DefaultDeviceSettings();
    DeviceSettings = &settings;
    settings.AdcSize = 8192;
    EXPECT_FALSE(AnalysisBuffersReady());
    ASSERT_EQ(AllocAnalysisBuffers(true), 8192);
    EXPECT_TRUE(AnalysisBuffersReady());
    ASSERT_NE(EngineBuffers.EmulatorAdcBuffer, nullptr);
    EngineBuffers.AdcSampleBuffer[MaxBlockSize - 1] = 7;
    int16_t *const first = EngineBuffers.AdcSampleBuffer;
    settings.AdcSize = 32768;
    EXPECT_EQ(AllocAnalysisBuffers(true), 32768);
    EXPECT_EQ(EngineBuffers.AdcSampleBuffer, first) << "a second call only notes the block size";
    EXPECT_EQ(EngineBuffers.AdcSampleBuffer[MaxBlockSize - 1], 7);
    EXPECT_EQ(EngineBuffers.PrbsPositiveCount + EngineBuffers.PrbsNegativeCount, 1024);
    FreeAnalysisBuffers();
    EXPECT_FALSE(AnalysisBuffersReady());
    EXPECT_EQ(EngineBuffers.AdcSampleBuffer, nullptr);
    EXPECT_EQ(EngineBuffers.Reflectograms[3], nullptr);
    EXPECT_EQ(EngineBuffers.PrbsPositiveIndexes, nullptr);

    ASSERT_EQ(AllocAnalysisBuffers(false), 32768);
    EXPECT_EQ(EngineBuffers.EmulatorAdcBuffer, nullptr) << "only demo mode has the emulator's buffer";
    FreeAnalysisBuffers();
    DeviceSettings = nullptr;
}

} // namespace
