#pragma once

#include "chart/ChartlibChart.h"
#include "engine/EngineBuffers.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "state/DeviceSettings.h"
#include "state/MainGlobals.h"
#include "views/Fgraph.h"
#include "views/GraphSources.h"

#include "support/TempProgramDir.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

// A program folder, the catalogue, the engine's arrays and one open graph window of a kind.
class GraphWindow : public ::testing::Test {
protected:
    void SetUp() override {
        BuildParamCatalogue();
        saved = *DeviceSettings;
        DeviceSettings->SampleRate = 2560;
        DeviceSettings->AdcSize = 2048;
        DeviceSettings->SpectrumStep = 1.25f;
        DeviceSettings->SpectrumStepIndex = 1;
        DeviceSettings->PresentationStep = 1.25f;
        DeviceSettings->BandF0 = 100;
        DeviceSettings->BandF1 = 200;
        DeviceSettings->SyncGenState = 0;
        DeviceSettings->PeerConnectState = 0;
        ASSERT_GT(AllocAnalysisBuffers(false), 0);
        savedMinStep = SpectrumTableMinStep;
        SpectrumTableMinStep = 0;
        SetPauseHandler([this](bool on) { pauses.push_back(on); });
    }
    void TearDown() override {
        window.reset();
        GraphSources = {};
        SetPauseHandler({});
        SetChartDialogs({});
        SpectrumTableMinStep = savedMinStep;
        *DeviceSettings = saved;
        SignalKind = 0;
    }

    TForm_Graphic &Open(int kind) {
        window = std::make_unique<TForm_Graphic>(kind);
        window->setAttribute(Qt::WA_DeleteOnClose, false);
        window->resize(640, 480);
        window->show();
        return *window;
    }

    static void Analyse(int kind, int signalKind) {
        ASSERT_NE(GraphParamSettings[kind][signalKind], nullptr) << kind << " " << signalKind;
        GraphParamSettings[kind][signalKind]->Analyse = 1;
    }

    // A spectrum of the display points 0..count-1: a tone of -10 dBm0 at point 120 on a -90 floor.
    static void FillSpectrum(int count) {
        EngineBuffers.DisplayPointCount = count;
        for (int i = 0; i < count; ++i) {
            EngineBuffers.FrequencyAxis[i] = 1.25f * float(i);
            EngineBuffers.PowerSpectrum[i] = i == 120 ? -10.0f : -90.0f + float(i % 7);
        }
    }

    TempProgramDir dir;
    TDeviceSettings saved{};
    int32_t savedMinStep = 8;
    std::vector<bool> pauses;
    std::unique_ptr<TForm_Graphic> window;
};
