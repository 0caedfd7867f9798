#pragma once

#include "engine/EngineBuffers.h"
#include "engine/RandomSource.h"
#include "engine/SstParam2.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "selective/MirvakWork.h"
#include "state/MirvakGrid.h"

#include "support/QuietSettings.h"

#include <gtest/gtest.h>

// The 1024 kHz range (fs 2560 kHz) with a running selective run, the result rows published, the engine's
// random source seeded; a holder is built by the test through Holder().
class SelectiveTest : public ::testing::Test {
protected:
    void SetUp() override {
        settings = QuietSettings();
        settings.Mirvak.RunState = 2;
        settings.Mirvak.Options = 0;
        settings.MeterRef = 0;
        settings.AveragingInterval = 0;
        DeviceSettings = &settings;
        SetMirvakGrid(settings.SampleRate);
        BuildParamCatalogue();
        ASSERT_GT(AllocAnalysisBuffers(false), 0);
        SeedEngineRandom(3);
        NowStamp = 46000;
    }
    void TearDown() override {
        ResetMirvakCalibration();
        DeleteSstParam();
        FreeAnalysisBuffers();
        SetEngineRandom(nullptr);
        DeviceSettings = nullptr;
    }
    // A fresh holder for the settings as they stand, and a fresh work record.
    TSST_Param2 &Holder() {
        DeleteSstParam();
        SstParam = new TSST_Param2;
        SstParam->BuildBins();
        ResetMirvakWork();
        return *SstParam;
    }
    void PresetList(std::initializer_list<float> values) {
        int i = 0;
        for (float v : values)
            settings.Mirvak.Set[i++] = {v, 1};
        settings.Mirvak.SetCount = int8_t(i);
        settings.Mirvak.Flags = 0;
    }
    static uint32_t FreqCode(double kHz) { return uint32_t(kHz / 2560.0 * 4294967296.0 + 0.5); }

    TDeviceSettings settings{};
};
