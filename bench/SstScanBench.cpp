// One selective scan of the largest size (16,428 bins) processed item by item, against the time the
// instrument takes to send it, and against the full recomputation of the leakage removal after every item.
// The instrument sends a scan item every round(Fs / B) samples, 1 / B ms; at the 4096 kHz range the
// largest scan fits with B = 0.2 kHz: 16,428 items of 5 ms.
#include "engine/EngineBuffers.h"
#include "engine/RandomSource.h"
#include "engine/SstParam2.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "selective/MirvakWork.h"
#include "selective/SstResultProcessing.h"
#include "selective/SstScanLeakage.h"
#include "state/DeviceSettings.h"
#include "state/MirvakGrid.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr double BandKHz = 0.2;
constexpr double ItemSeconds = 1e-3 / BandKHz;

TDeviceSettings Settings = DefaultDeviceSettings();
std::vector<TSstResultItem> Items;

void SetUpScan() {
    Settings.MaxFrequency = 4096;
    Settings.SampleRate = 10240;
    Settings.ConnectionType = 2;
    Settings.MeterImpedance = 600;
    Settings.AveragingInterval = 0;
    Settings.Mirvak.SubMode = 1;
    Settings.Mirvak.DeviceSubMode = 1;
    Settings.Mirvak.RunState = 2;
    Settings.Mirvak.Options = 0;
    Settings.Mirvak.B = float(BandKHz);
    Settings.Mirvak.Fc1 = 10;
    Settings.Mirvak.FcN = float(10 + 16394 * BandKHz);
    DeviceSettings = &Settings;
    SetMirvakGrid(Settings.SampleRate);
    BuildParamCatalogue();
    AllocAnalysisBuffers(false);
    SeedEngineRandom(1);
    DeleteSstParam();
    SstParam = new TSST_Param2;
    SstParam->BuildBins();
    Items.clear();
    // Noise with a tone every 1000 bins.
    TSeededRandom random(5);
    for (int32_t k = 0; k < SstParam->BinCount; ++k) {
        const double f = SstParam->Bins[std::size_t(k)] * BandKHz;
        const double a = (k % 1000 == 500 ? 3e4 : 0) + 10 + 20 * random.Next15() / 32767.0;
        Items.push_back({a, 0, uint32_t(f / Settings.SampleRate * 4294967296.0 + 0.5), 0});
    }
}

void ProcessScan() {
    for (const TSstResultItem &item : Items) {
        SstResultItem = item;
        AddSstResult(SstParam, SstResultItem);
        ProcessMirvakResult(0);
    }
    ProcessMirvakResult(1);
}

void SstScanIncremental(benchmark::State &state) {
    SetUpScan();
    for (auto _ : state) {
        state.PauseTiming();
        ResetMirvakWork();
        state.ResumeTiming();
        ProcessScan();
    }
    state.counters["bins"] = SstParam->BinCount;
}

// What the leakage removal costs when every item recomputes it over the whole scan.
void SstScanFullLeakageOfOneItem(benchmark::State &state) {
    SetUpScan();
    ResetMirvakWork();
    ProcessScan();
    const TMirvakWorkArrays &w = MirvakWorkArrays;
    std::vector<float> dst(w.BinPower.size());
    for (auto _ : state)
        RemoveScanLeakage(w.BinFreq.data(), w.BinPower.data(), dst.data(), w.BinCount, w.HighestBin);
}

class TRatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &r : runs)
            if (!r.error_occurred && r.run_type == Run::RT_Iteration)
                Times[r.run_name.str()] = r.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(r.time_unit);
    }
    void PrintRatios() const {
        const auto scan = Times.find("SstScan/Incremental");
        const auto full = Times.find("SstScan/FullLeakageOfOneItem");
        if (scan == Times.end() || full == Times.end())
            return;
        const double bins = double(Items.size());
        std::printf("\nscan of %.0f bins: %.1f ms CPU; %.5f of the %.1f s the instrument takes to send it\n", bins,
                    scan->second * 1e3, scan->second / (bins * ItemSeconds), bins * ItemSeconds);
        std::printf("full leakage recomputation after every item: %.0f times the incremental scan\n",
                    full->second * bins / scan->second);
    }
    std::map<std::string, double> Times; // CPU seconds per iteration
};

} // namespace

int main(int argc, char **argv) {
    benchmark::RegisterBenchmark("SstScan/Incremental", SstScanIncremental)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("SstScan/FullLeakageOfOneItem", SstScanFullLeakageOfOneItem)
        ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
