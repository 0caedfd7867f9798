// ProcessBlock per signal kind at the smallest and the largest block, as a fraction of the block's
// own duration at the maximum sample rate and of the 50 ms cadence of the demo mode, on one core.
#include "engine/BlockProcessing.h"
#include "engine/EngineBuffers.h"
#include "engine/NoiseMeasurement.h"
#include "engine/ResultArrays.h"
#include "engine/ResultSlots.h"
#include "engine/RandomSource.h"
#include "engine/SpectrumAveraging.h"
#include "engine/SyncMeasurement.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "engine/catalogue/ParameterTable.h"
#include "state/DeviceSettings.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr double MaxSampleRate = 10240; // kHz
constexpr double DemoCadence = 0.05;    // s

TDeviceSettings Settings;

// Each kind with its full measurement: NOISE with the phasogram (a reference of 0.8 kHz, 12800 samples a
// period, fits the largest block only), PRBS with an open end on connection type 3 while the RND
// generator runs (the line analysis), SYNC with the oscillogram window open (the fragment spectrum).
struct TKind {
    int32_t Kind;
    const char *Name;
    void (*Setup)() = nullptr;    // settings beyond the plain meter of SetUpEngine
    bool (*Measured)() = nullptr; // whether the setting's own, full results came out
};

// MTTS on a line to measure (type 2): the cable length and every DSL rate pair with its model rate.
void SetUpDslRates() {
    Settings.ConnectionType = 2;
    constexpr int32_t FirstDslRow = 31;
    ParamDescriptor *rows = ParameterTableOf(3).Rows;
    for (int32_t row = FirstDslRow; row < ParameterTableOf(3).RowCount; ++row)
        rows[row].Settings.Analyse = 1;
}

// The own MTTS on the coaxial pair (type 8): the impedance of every line, calibration running.
void SetUpImpedance() {
    Settings.ConnectionType = 8;
    Settings.GenImpedance = 75;
    Settings.Mtts.State = 2;
    Settings.Mtts.F1 = static_cast<float>(5 * MaxSampleRate / 2048);
    Settings.Mtts.Step = Settings.Mtts.F1;
    Settings.Mtts.Count = 163;
    ImpedanceCalState = 1;
}

// PRBS on a balanced line with the own generator: the reflectogram and the line analysis.
void SetUpLineAnalysis() {
    Settings.ConnectionType = 3;
    Settings.GenImpedance = 150;
    Settings.Rnd.State = 2;
    Settings.CableVelocity = 200;
}

void SetUpPhasogram() {
    Settings.Phasogram = 1;
    Settings.PhasogramRef = 0.8f;
}

void SetUpSync() {
    Settings.SyncGenState = 1;
    OscillogramCursors = [] { return TOscillogramCursors{}; };
}

bool DslRatesMeasured() {
    return ResultValue(SlotMttsFirstDslRate) != NoValue;
}

bool ImpedanceMeasured() {
    return ResultArrays.Resistance[10] != NoValue;
}

bool LineAnalysed() {
    return ResultValue(SlotPrbsOpenEndDelay) != NoValue;
}

// The phasogram needs a period of its reference and a segment inside the block: the largest block only.
bool PhasogramMeasured() {
    return Settings.AdcSize != MaxBlockSize || PhasogramState.Valid == 1;
}

const TKind Kinds[] = {{1, "SIN"},
                       {2, "SIN2"},
                       {3, "MTTS"},
                       {3, "MTTS+DSL", SetUpDslRates, DslRatesMeasured},
                       {3, "MTTS+Z", SetUpImpedance, ImpedanceMeasured},
                       {4, "PRBS", SetUpLineAnalysis, LineAnalysed},
                       {5, "NOISE", SetUpPhasogram, PhasogramMeasured},
                       {7, "SYNC", SetUpSync}};

void SetUpEngine(int32_t n) {
    Settings = DefaultDeviceSettings();
    Settings.MaxFrequency = static_cast<float>(MaxSampleRate / 2.5);
    Settings.SampleRate = static_cast<float>(MaxSampleRate);
    Settings.AdcSize = n;
    Settings.SpectrumStep = Settings.SampleRate / n;
    Settings.PresentationStep = Settings.SpectrumStep;
    Settings.ConnectionType = 0;
    Settings.MeterImpedance = 600;
    Settings.BandF0 = Settings.SampleRate / 1024;
    Settings.BandF1 = Settings.MaxFrequency;
    Settings.Lmin = -60;
    Settings.MinSnr = 5;
    Settings.AveragingInterval = 10;
    DeviceSettings = &Settings;
    AllocAnalysisBuffers(false);
    EngineBuffers.MeterScaleLevel = 35;
    SeedEngineRandom(1);
    BuildParamCatalogue();
    ResetAveragingClock();
}

// x^10 + x^7 + 1, two samples a chip, repeated every 2046 samples.
int PrbsChip(int32_t i) {
    static const std::vector<int> chips = [] {
        std::vector<int> c;
        uint32_t state = 0x3ff;
        for (int k = 0; k < 1023; ++k) {
            state = ((state << 1) | (((state >> 6) ^ (state >> 9)) & 1)) & 0x3ff;
            c.push_back(state & 1 ? 1 : -1);
        }
        return c;
    }();
    return chips[((i % 2046) + 2046) % 2046 / 2];
}

// Bins are those of the 2048-sample recognition block, scaled to the block; a little deterministic
// noise under every kind.
void FillBlock(int32_t kind, int32_t n) {
    const double q = n / 2048.0;
    constexpr double OpenEnd[] = {0.2, 0.6, 1, 0.75, 0.55, 0.4, 0.3, 0.22, 0.16, 0.12, 0.09, 0.06};
    for (int32_t i = 0; i < n; ++i) {
        double x = (i * 7919 % 61) - 30;
        switch (kind) {
        case 1:
            x += 10000 * std::cos(2 * std::numbers::pi * 100 * q * i / n);
            break;
        case 2:
            x += 8000 * (std::cos(2 * std::numbers::pi * 100 * q * i / n) +
                         std::cos(2 * std::numbers::pi * 140 * q * i / n + 1));
            break;
        case 3:
            for (int32_t k = 5; k <= 815; k += 5)
                x += 100 * std::cos(2 * std::numbers::pi * k * q * i / n + k);
            break;
        case 4: // the sequence and its reflection from the open end 300 samples later
            x = 8000 * PrbsChip(i);
            for (int32_t j = 0; j < 12; ++j)
                x += 2400 * OpenEnd[j] * PrbsChip(i - 300 - j);
            break;
        case 7:
            x += 10000 * std::cos(2 * std::numbers::pi * 100 * q * i / n);
            break;
        default: // with the reference line of the phasogram
            x = 3000 * std::sin(i * 0.7 + std::cos(i * 0.013 * i)) + x +
                300 * std::sin(2 * std::numbers::pi * 0.8 * i / MaxSampleRate);
            break;
        }
        EngineBuffers.AdcSampleBuffer[i] = static_cast<int16_t>(std::lround(x));
    }
}

void ProcessBlockOfKind(benchmark::State &state, const TKind &k) {
    const int32_t kind = k.Kind;
    const int32_t n = static_cast<int32_t>(state.range(0));
    SetUpEngine(n);
    if (k.Setup)
        k.Setup();
    FillBlock(kind, n);
    for (int block = 0; block < 4; ++block) { // past settling, with the engine's tables built
        NowStamp += DemoCadence / 86400;
        ProcessBlock();
    }
    if (SignalKind != kind || (k.Measured && !k.Measured())) {
        state.SkipWithError(("the block is analysed as kind " + std::to_string(SignalKind) +
                             (k.Measured ? " without the results of its setting" : ""))
                                .c_str());
        FreeAnalysisBuffers();
        OscillogramCursors = nullptr;
        SignalKind = 0;
        return;
    }
    for (auto _ : state) {
        NowStamp += DemoCadence / 86400;
        ProcessBlock();
    }
    const int32_t analysedAs = SignalKind;
    FreeAnalysisBuffers();
    OscillogramCursors = nullptr;
    SignalKind = 0;
    if (analysedAs != kind)
        state.SkipWithError(("the block turned into kind " + std::to_string(analysedAs)).c_str());
}

void RegisterKinds() {
    for (const TKind &k : Kinds)
        benchmark::RegisterBenchmark((std::string("ProcessBlock/") + k.Name).c_str(), ProcessBlockOfKind, k)
            ->Arg(2048)
            ->Arg(32768)
            ->Unit(benchmark::kMicrosecond);
}

// Prints as usual, then each benchmark's time per block (the median when the run has repetitions) as
// a percentage of the block's duration at the maximum sample rate and of the demo cadence.
class TFractionReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &r : runs) {
            if (r.error_occurred)
                continue;
            const double seconds = r.GetAdjustedCPUTime() / 1e6; // CPU microseconds: one core, whatever else runs
            if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "median")
                Times[r.run_name.str()] = seconds;
            else if (r.run_type == Run::RT_Iteration && !Times.count(r.run_name.str()))
                Times[r.run_name.str()] = seconds;
        }
    }

    void PrintFractions() const {
        std::printf("\n%-8s %7s %12s %16s %12s\n", "kind", "samples", "CPU us/block", "% of block time", "% of 50 ms");
        for (const TKind &k : Kinds)
            for (const int32_t n : {2048, 32768}) {
                char name[64];
                std::snprintf(name, sizeof name, "ProcessBlock/%s/%d", k.Name, n);
                const auto it = Times.find(name);
                if (it == Times.end())
                    continue;
                const double blockTime = n / (MaxSampleRate * 1000);
                std::printf("%-8s %7d %12.0f %16.1f %12.2f\n", k.Name, n, it->second * 1e6,
                            100 * it->second / blockTime, 100 * it->second / DemoCadence);
            }
    }

private:
    std::map<std::string, double> Times; // seconds per block
};

} // namespace

int main(int argc, char **argv) {
    RegisterKinds();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    TFractionReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintFractions();
    benchmark::Shutdown();
    return 0;
}
