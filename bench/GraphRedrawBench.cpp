// Redraw of a spectrum graph window with its value table, offscreen, as a share of the demo mode's
// 50 ms cadence: ten open windows must keep up with it, so one redraw should stay under 3 ms.
#include "chart/Chart.h"
#include "engine/EngineBuffers.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "state/DeviceSettings.h"
#include "state/MainGlobals.h"
#include "views/Fgraph.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTableView>

#include <chrono>
#include <cmath>
#include <memory>

namespace {

constexpr double DemoCadence = 0.05; // s
constexpr int Bins = 16384;

TDeviceSettings Settings;

void SetUpSpectrum() {
    Settings = DefaultDeviceSettings();
    Settings.SampleRate = 10240;
    Settings.MaxFrequency = 4096;
    Settings.AdcSize = 2 * Bins;
    Settings.SpectrumStep = Settings.SampleRate / Settings.AdcSize;
    Settings.SpectrumStepIndex = 1;
    Settings.PresentationStep = Settings.SpectrumStep;
    Settings.BandF0 = 10;
    Settings.BandF1 = 4096;
    DeviceSettings = &Settings;
    BuildParamCatalogue();
    AllocAnalysisBuffers(false);
    SpectrumTableMinStep = 0;
    SignalKind = 1;
    EngineBuffers.ToneBin1 = 1000;
    EngineBuffers.DisplayPointCount = Bins;
    for (int i = 0; i < Bins; ++i) {
        EngineBuffers.FrequencyAxis[i] = Settings.SpectrumStep * float(i);
        EngineBuffers.PowerSpectrum[i] = -90.0f + 10.0f * float(std::sin(i * 0.01)) + (i == 1000 ? 80.0f : 0.0f);
    }
}

void BM_SpectrumWindowRedraw(benchmark::State &state) {
    SetUpSpectrum();
    TForm_Graphic window(1);
    window.resize(800, 600);
    window.show();
    QApplication::processEvents();
    float shift = 0;
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        // A new spectrum each time, as the demo mode delivers it.
        EngineBuffers.PowerSpectrum[1] = shift;
        shift = shift > 0 ? -1.0f : 1.0f;
        window.RedrawGraph();
        window.Table1->viewport()->repaint();
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    state.counters["chart_points"] = window.Series()->Count();
    if (state.iterations() > 0)
        state.counters["share_of_demo_cadence"] = seconds / double(state.iterations()) / DemoCadence;
}
BENCHMARK(BM_SpectrumWindowRedraw)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
