// Playback of a demo recording as a multiple of real time: ten minutes of multitone blocks (one every
// 50 ms, as the emulator delivers them) recorded by the recorder at 2048 and at 32768 samples, then replayed
// step by step through the analysis and the dispatch, with no window open and with four graph windows
// (spectrum, amplitude response, group delay and signal-to-noise of the comb) redrawn after every step. The
// recorded span divided by the replay time is the figure (on the clock, and in the process's CPU time,
// which a machine shared with other work leaves steadier); the goal is at least 100 without windows and 10
// with them.
// R9_REPLAY_MINUTES shortens the recording for a quick look.
#include "chart/ChartSeries.h"
#include "engine/EngineBuffers.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "link/EmulatorSynthesis.h"
#include "link/Library.h"
#include "link/connection/Tr9sendgetcommand.h"
#include "shell/WindowRegistries.h"
#include "state/DeviceSettings.h"
#include "state/MainGlobals.h"
#include "state/RecordChangeMask.h"
#include "storage/RecordTick.h"
#include "storage/playback/Tr9_playdata.h"
#include "storage/recording/RecordStreams.h"
#include "storage/recording/RecordingFormat.h"
#include "views/Fgraph.h"

#include "LargeOffscreenScreen.h"
#include "ProcessUsage.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <chrono>
#include <memory>
#include <vector>

namespace {

constexpr double DemoCadence = 0.05; // s
constexpr double StartTime = 46000.5;
const std::vector<int> FourWindows = {1, 5, 6, 7};

TDeviceSettings Settings;

double RecordedMinutes() {
    bool ok = false;
    const double minutes = qEnvironmentVariable("R9_REPLAY_MINUTES").toDouble(&ok);
    return ok && minutes > 0 ? minutes : 10;
}

// The demo's multitone road set up as Start sets it up, its blocks recorded into a folder of its own.
class TReplayRoad {
public:
    explicit TReplayRoad(int32_t samples) {
        qputenv("R9_PROGRAM_DIR", folder_.path().toLocal8Bit());
        QDir(folder_.path()).mkpath(QStringLiteral("Data"));
        Settings = DefaultDeviceSettings();
        DeviceSettings = &Settings;
        ConnectionKind = 0;
        InstanceNumber = 1;
        Settings.AdcSizeIndex = samples == 2048 ? 0 : 4;
        RecomputeBlockSizeFields(Settings);
        Settings.Block.State = 0;
        Settings.Mtts.State = 2;
        Settings.Mode = PendingMode | int32_t(EmuGenMtts);
        BuildParamCatalogue();
        AllocAnalysisBuffers(true);
        SendCommand();
        Record();
    }
    ~TReplayRoad() {
        FreeAnalysisBuffers();
        SignalKind = 0;
    }

    QString Base() const { return RecordingBaseName(1); }
    int32_t Blocks() const { return blocks_; }

private:
    void Record() {
        TEmulatorState emulator;
        blocks_ = int32_t(RecordedMinutes() * 60 / DemoCadence);
        Stopping = false;
        RecordingOn = true;
        for (int32_t i = 0; i < blocks_; ++i) {
            const TEmulatorSettings next = TakeEmulatorSettings(EngineBuffers.EmulatorAdcBuffer);
            const int32_t count = BuildEmulatorBlock(emulator, next);
            std::copy_n(EngineBuffers.EmulatorAdcBuffer, count, EngineBuffers.AdcSampleBuffer);
            NowStamp = StartTime + i * DemoCadence / 86400;
            RecordChangeMask |= 0x02;
            RecordTick();
        }
        CloseRecordFiles();
    }

    QTemporaryDir folder_;
    int32_t blocks_ = 0;
};

void Replay(benchmark::State &state, bool withWindows) {
    TReplayRoad road(int32_t(state.range(0)));
    std::vector<TForm_Graphic *> windows;
    if (withWindows)
        for (int kind : FourWindows) {
            auto *window = new TForm_Graphic(kind);
            window->show();
            window->resize(480, 320);
            GraphWindows[std::size_t(kind)] = window;
            windows.push_back(window);
        }
    QApplication::processEvents();
    PlaybackOn = true;
    double seconds = 0;
    double cpuSeconds = 0;
    int drawn = 0;
    for (auto _ : state) {
        std::unique_ptr<TR9_PlayData> play = TR9_PlayData::Open(road.Base());
        if (!play) {
            state.SkipWithError("the recording does not open");
            break;
        }
        const double cpuStart = ProcessCpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        for (int32_t i = 0; i < road.Blocks(); ++i) {
            play->Step();
            if (withWindows)
                QApplication::processEvents();
        }
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        cpuSeconds += ProcessCpuSeconds() - cpuStart;
    }
    PlaybackOn = false;
    for (TForm_Graphic *window : windows)
        drawn += window->Series()->Count() > 0;
    for (int kind : FourWindows)
        delete GraphWindows[std::size_t(kind)].data();
    QApplication::processEvents();
    if (state.iterations() == 0 || seconds <= 0)
        return;
    const double recorded = road.Blocks() * DemoCadence * double(state.iterations());
    state.counters["times_real_time"] = recorded / seconds;
    state.counters["times_real_time_cpu"] = cpuSeconds > 0 ? recorded / cpuSeconds : 0;
    state.counters["recorded_minutes"] = road.Blocks() * DemoCadence / 60;
    state.counters["graph_windows_with_points"] = drawn;
    state.counters["analysed_as_mtts"] = SignalKind == 3;
}

void RegisterReplays() {
    benchmark::RegisterBenchmark("Replay/NoWindows", Replay, false)
        ->Arg(2048)
        ->Arg(32768)
        ->Iterations(1)
        ->Unit(benchmark::kSecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("Replay/FourGraphWindows", Replay, true)
        ->Arg(2048)
        ->Arg(32768)
        ->Iterations(1)
        ->Unit(benchmark::kSecond)
        ->UseRealTime();
}

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        UseLargeOffscreenScreen();
    QApplication app(argc, argv);
    RegisterReplays();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
