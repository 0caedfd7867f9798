// Which graph windows draw and which say "Не измеряется" after each kind of block has gone through the
// engine: a curve that nothing has measured holds the no-value sentinel and is never drawn as a value.
#include "engine/BlockProcessing.h"
#include "engine/Calibration.h"
#include "engine/EngineBuffers.h"
#include "engine/RandomSource.h"
#include "engine/SpectrumAveraging.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "state/DeviceSettings.h"
#include "views/Fgraph.h"

#include "support/TempProgramDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <numbers>
#include <random>
#include <string>
#include <vector>

namespace {

// The graph kinds the engine draws from its own arrays: oscillogram, spectrum, weighted spectrum, the
// two reflectograms and the four phasogram curves.
const int GraphKinds[] = {0, 1, 2, 3, 4, 16, 17, 37, 38};

void Meter(int32_t n, float fs) {
    TDeviceSettings &s = *DeviceSettings;
    s.SampleRate = fs;
    s.MaxFrequency = fs / 2.5f;
    s.AdcSize = n;
    s.SpectrumStep = s.PresentationStep = fs / n;
    s.SpectrumStepIndex = 1;
    s.BandF0 = fs / 1024;
    s.BandF1 = s.MaxFrequency;
    s.ConnectionType = 0;
    s.MeterImpedance = 600;
    s.MeterRef = 0;
    s.MaxLevelIndex = 0;
    s.Lmin = -60;
    s.MinSnr = 5;
    s.AveragingInterval = 0;
    s.Phasogram = 0;
    s.SyncGenState = 0;
    s.Mirvak.RunState = 0;
}

void Codes(const std::function<double(int32_t)> &sample) {
    for (int32_t i = 0; i < DeviceSettings->AdcSize; ++i)
        EngineBuffers.AdcSampleBuffer[i] = static_cast<int16_t>(std::lround(sample(i)));
}

double PrbsSample(int32_t i) {
    static const std::vector<int> chips = [] {
        std::vector<int> c;
        uint32_t state = 0x3ff;
        for (int k = 0; k < 1023; ++k) {
            const uint32_t bit = ((state >> 6) ^ (state >> 9)) & 1;
            state = ((state << 1) | bit) & 0x3ff;
            c.push_back(bit ? 1 : -1);
        }
        return c;
    }();
    const auto at = [&](int32_t k) { return double(chips[((k % 2046) + 2046) % 2046 / 2]); };
    // Smoothed by the output path, with an echo of opposite sign 200 samples later.
    const auto smooth = [&](int32_t k) { return 0.25 * at(k - 1) + 0.5 * at(k) + 0.25 * at(k + 1); };
    return 3000 * (smooth(i) - 0.2 * smooth(i - 200));
}

struct TRow {
    const char *What;
    std::function<void()> Produce; // sets the block and the settings, then runs the engine
    std::vector<int> Drawn;        // graph kinds that draw; every other one says "Не измеряется"
};

void Blocks(int count) {
    static int block = 0;
    for (int i = 0; i < count; ++i) {
        NowStamp = 45000 + (++block) * 0.05 / 86400;
        ProcessBlock();
    }
}

class GraphRouting : public ::testing::Test {
protected:
    void SetUp() override {
        saved = *DeviceSettings;
        BuildParamCatalogue();
        // Every curve row analysed: the table shows what is measured, not what the user chose.
        for (auto &row : GraphParamSettings)
            for (ParamSettings *settings : row)
                if (settings)
                    settings->Analyse = 1;
        std::memset(EepromImage, 0, sizeof EepromImage);
        SeedEngineRandom(3);
    }
    void TearDown() override {
        FreeAnalysisBuffers();
        *DeviceSettings = saved;
        SignalKind = 0;
        BuildParamCatalogue();
    }

    // Fresh engine arrays, as at start, for the meter of each row.
    static void FreshEngine(int32_t n, float fs) {
        FreeAnalysisBuffers();
        EngineBuffers = TEngineBuffers{};
        NoiseRunMemory = {};
        SignalKind = 0;
        ResetAveragingClock();
        Meter(n, fs);
        ASSERT_GT(AllocAnalysisBuffers(false), 0);
        EngineBuffers.MeterScaleLevel = 35;
    }

    TempProgramDir dir;
    TDeviceSettings saved{};
};

TEST_F(GraphRouting, EveryWindowDrawsOnlyWhatItsSignalKindMeasured) {
    const TRow rows[] = {
        {"a PRBS kind before any PRBS block", [] { SignalKind = 4; }, {0}},
        {"a SYNC run finished before it measured",
         [] {
             DeviceSettings->SyncGenState = 3;
             Blocks(1);
         },
         {}},
        {"SIN",
         [] {
             Codes([](int32_t i) { return 8000 * std::cos(2 * std::numbers::pi * 100.3 * i / 2048); });
             Blocks(2);
         },
         {0, 1}},
        {"PRBS with an echo",
         [] {
             Codes(PrbsSample);
             Blocks(2);
         },
         {0, 1, 3, 4}},
        {"NOISE without the phasogram",
         [] {
             std::mt19937 random(5);
             std::normal_distribution<double> gauss(0, 500);
             Codes([&](int32_t) { return gauss(random); });
             Blocks(2);
         },
         {0, 1}},
        {"NOISE with the phasogram and its reference line",
         [] {
             FreshEngine(32768, 640);
             DeviceSettings->BandF0 = 2.5f;
             DeviceSettings->Phasogram = 1;
             DeviceSettings->PhasogramRef = 0.05f;
             std::mt19937 random(5);
             std::normal_distribution<double> gauss(0, 1000);
             const double w = 2 * std::numbers::pi * 0.05 / 640;
             Codes([&](int32_t i) { return (1 + 0.5 * std::cos(w * i)) * gauss(random) + 300 * std::sin(w * i); });
             Blocks(2);
         },
         // Without a weighting curve the weighted spectrum and weighted phasogram curves stay unmeasured.
         {0, 1, 16, 37}},
        {"SYNC with the oscillogram window open",
         [] {
             DeviceSettings->SyncGenState = 1;
             TForm_Graphic oscillogram(0);
             Codes([](int32_t i) { return 8000 * std::cos(2 * std::numbers::pi * 100.3 * i / 2048); });
             Blocks(2);
         },
         {0, 1}},
        {"SYNC without the oscillogram window",
         [] {
             DeviceSettings->SyncGenState = 1;
             Codes([](int32_t i) { return 8000 * std::cos(2 * std::numbers::pi * 100.3 * i / 2048); });
             Blocks(2);
         },
         {0}},
    };
    for (const TRow &row : rows) {
        FreshEngine(2048, 2560);
        row.Produce();
        std::string drawn;
        for (int kind : GraphKinds) {
            TForm_Graphic window(kind);
            window.resize(400, 300);
            window.show(); // a hidden window puts its series off until it shows
            window.RedrawGraph();
            if (window.HasValue())
                drawn += std::to_string(kind) + " ";
        }
        std::string expected;
        for (int kind : row.Drawn)
            expected += std::to_string(kind) + " ";
        EXPECT_EQ(drawn, expected) << row.What << " (signal kind " << SignalKind << ")";
    }
}

} // namespace
