#pragma once

#include "engine/EngineBuffers.h"
#include "engine/RandomSource.h"
#include "state/DeviceSettings.h"

#include <gtest/gtest.h>

// A random source that always answers the same value, so the random floor is known.
class FixedRandom final : public TRandomSource {
public:
    explicit FixedRandom(int32_t value) : Value(value) {}
    int32_t Next31() override { return Value; }
    int32_t Value;
};

// A fresh settings record and engine buffers for each test: fs 2560 kHz, 2048-sample blocks, meter
// 600 Ohm, reference 0.
class EngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        Settings = DefaultDeviceSettings();
        Settings.MaxFrequency = 1024;
        Settings.SampleRate = 2560;
        Settings.AdcSize = 2048;
        Settings.ConnectionType = 0;
        Settings.MeterImpedance = 600;
        Settings.BandF0 = 2.5f;
        Settings.BandF1 = 1024;
        DeviceSettings = &Settings;
        ASSERT_EQ(AllocAnalysisBuffers(false), 2048);
        EngineBuffers.MeterScaleLevel = 35;
        SeedEngineRandom(1);
    }
    void TearDown() override {
        FreeAnalysisBuffers();
        SetEngineRandom(nullptr);
        DeviceSettings = nullptr;
    }

    TDeviceSettings Settings{};
};
