#pragma once

#include "engine/catalogue/ValueQuantizer.h"
#include "state/DeviceSettings.h"
#include "support/QuietSettings.h"

#include <gtest/gtest.h>

// A settings record of its own for every test (1024 kHz, connection type 2) and the quantizers filled
// as at start.
class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitValueQuantizers();
        settings = QuietSettings();
        saved = DeviceSettings;
        DeviceSettings = &settings;
    }
    void TearDown() override { DeviceSettings = saved; }

    TDeviceSettings settings{};
    TDeviceSettings *saved = nullptr;
};
