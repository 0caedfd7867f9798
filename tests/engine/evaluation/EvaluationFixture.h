#pragma once

#include "engine/EngineBuffers.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "engine/catalogue/ParameterTable.h"
#include "engine/evaluation/DispatchTargets.h"
#include "engine/evaluation/PointVerdicts.h"
#include "engine/masks/MaskArray.h"
#include "state/DeviceSettings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// A fresh catalogue, settings record (a meter connected, band 1..100 kHz) and engine buffers, with every
// dispatch target recording its calls.
class EvaluationTest : public ::testing::Test {
protected:
    void SetUp() override {
        Previous = DeviceSettings;
        Settings = DefaultDeviceSettings();
        Settings.ConnectionType = 2;
        Settings.AdcSize = 2048;
        Settings.BandF0 = 1;
        Settings.BandF1 = 100;
        Settings.AutoMaxLevel = 0;
        DeviceSettings = &Settings;
        BuildParamCatalogue();
        ASSERT_GT(AllocAnalysisBuffers(false), 0);
        SignalKind = 1;
        TDispatchTargets &t = DispatchTargets();
        t = TDispatchTargets();
        t.RedrawGraph = [this](int32_t kind) { Redrawn.push_back(kind); };
        t.RefreshResultTable = [this] { Calls.push_back("result table"); };
        t.AppendTimeSeries = [this](int32_t source) { Calls.push_back("time series " + std::to_string(source)); };
        t.StepScenario = [this] { Calls.push_back("scenario"); };
        t.SendCommand = [this] { Calls.push_back("send command"); };
    }
    void TearDown() override {
        DispatchTargets() = TDispatchTargets();
        FreeAllPointVerdicts();
        FreeAllMasks();
        FreeAnalysisBuffers();
        SignalKind = 0;
        DeviceSettings = Previous;
    }

    // Installs an active template mask on a slot side and gives the slot its verdict array.
    TMASK *InstallMask(int32_t slot, int32_t side, std::vector<TMaskPoint> points) {
        MaskArray[slot][side] = std::make_unique<TMASK>();
        TMASK *mask = MaskArray[slot][side].get();
        mask->Points = std::move(points);
        mask->Upper = side == MaskUpperSide;
        mask->Active = 1;
        AllocPointVerdicts(slot);
        return mask;
    }

    bool Called(const std::string &call) const {
        for (const std::string &c : Calls)
            if (c == call)
                return true;
        return false;
    }

    TDeviceSettings Settings{};
    TDeviceSettings *Previous = nullptr;
    std::vector<int32_t> Redrawn;
    std::vector<std::string> Calls;
};
