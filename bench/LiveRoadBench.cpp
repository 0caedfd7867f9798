// The whole live road of demonstration mode, offscreen, as a share of its 50 ms cadence: the emulator's
// block, the main window's hand-over (ProcessAdcBlock: the analysis, the evaluation and the dispatch),
// and the windows a user keeps open redrawn: the graph windows that draw under the road's signal, three value
// windows and the time diagrams of two of their parameters; and one spectrum window maximised on a large
// screen. The desk's windows open either each as a top-level window of its own, or, as the program holds
// them, as children of one MDI area filling a main window the size of the screen, which paints and flushes
// them together. The windows that showed values after the last block are counted. Then the resident
// memory after 10,000 blocks against after 1,000, which must not grow.
#include "chart/ChartSeries.h"
#include "engine/EngineBuffers.h"
#include "engine/TimeSeries.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "engine/catalogue/ParamDescriptor.h"
#include "engine/catalogue/ParameterTable.h"
#include "link/EmulatorSynthesis.h"
#include "link/Library.h"
#include "link/connection/Tr9sendgetcommand.h"
#include "shell/MainTimeDiagrams.h"
#include "shell/WindowRegistries.h"
#include "state/DeviceSettings.h"
#include "state/MainGlobals.h"
#include "views/Fgraph.h"
#include "views/Form_timediagr.h"
#include "views/Scalelabel.h"

#include "LargeOffscreenScreen.h"
#include "ProcessUsage.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPoint>
#include <QScreen>
#include <QSize>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr double DemoCadence = 0.05; // s

// The windows a user keeps open: the graph kinds, each window's size, and whether the three value windows
// and the time diagrams of the first two of their parameters are open too.
struct TDesk {
    std::vector<int> GraphKinds;
    QSize Size;
    bool ValueWindows;
};
constexpr int TimeDiagramRows = 2;

struct TRoad {
    const char *Name;
    int32_t Kind;      // the signal kind the blocks are analysed as
    int32_t Generator; // the emulator's waveform
    int32_t Rows[3];   // the rows of the kind's table shown in value windows
    TDesk Desk;        // the graph windows that draw under the signal
};

// Under SIN the oscillogram and the spectrum draw (the weighted spectrum only with a weighting file);
// under MTTS also the comb's attenuation, group delay, signal-to-noise and bit-rate curves. The curves
// of impedance need the line's connection, which the demo does not give.
const TRoad Roads[] = {
    {"SIN", 1, EmuGenSin, {3, 4, 5}, {{0, 1}, QSize(480, 320), true}},
    {"MTTS", 3, EmuGenMtts, {2, 3, 4}, {{0, 1, 5, 6, 7, 12}, QSize(480, 320), true}},
};

// One spectrum window maximised on a large screen, as a new user tries the demo.
const TDesk OneLargeSpectrum{{1}, QSize(1600, 1000), false};

TDeviceSettings Settings;

// Where the desk's windows open: each a top-level window, or children of the main window's MDI area.
enum class THost { TopLevel, Mdi };

// Demonstration mode set up as Start sets it up, with the generator of the road on, the windows open as
// the main window's factories open them, and the emulator building its blocks in this thread.
class TLiveRoad {
public:
    TLiveRoad(const TRoad &road, int32_t samples, const TDesk &desk, THost host = THost::TopLevel)
        : road_(road), desk_(desk) {
        if (host == THost::Mdi) {
            frame_ = std::make_unique<QMainWindow>();
            area_ = new QMdiArea;
            frame_->setCentralWidget(area_);
            frame_->resize(QGuiApplication::primaryScreen()->size());
            frame_->show();
            // The value windows open in the area as the main window places them.
            hostPlace_ = ScaleLabelHost.Place;
            ScaleLabelHost.Place = [this](QWidget *window, int) {
                QMdiSubWindow *sub = area_->addSubWindow(window);
                sub->show();
                Lay(sub);
            };
        }
        Settings = DefaultDeviceSettings();
        DeviceSettings = &Settings;
        ConnectionKind = 0;
        Settings.AdcSizeIndex = samples == 2048 ? 0 : 4;
        RecomputeBlockSizeFields(Settings);
        Settings.Block.State = 0;
        (road.Generator == EmuGenSin ? Settings.Sin : Settings.Mtts).State = 1;
        Settings.Mode = PendingMode | road.Generator;
        BuildParamCatalogue();
        AllocAnalysisBuffers(true);
        SendCommand();
        for (int kind : desk.GraphKinds) {
            // The curve's row analysed, as the user who keeps the window open has it.
            if (ParamSettings *settings = GraphParamSettings[std::size_t(kind)][std::size_t(road.Kind)])
                settings->Analyse = 1;
            auto *window = new TForm_Graphic(kind);
            Open(window);
            GraphWindows[std::size_t(kind)] = window;
        }
        const ParameterTable table = ParameterTableOf(road.Kind);
        for (int32_t row : road.Rows) {
            if (!desk.ValueWindows)
                break;
            table.Rows[row].Settings.Analyse = 1;
            table.Rows[row].Settings.TextWindow = 1;
            ShowParamScaleLabel(QString::fromUtf8(table.Rows[row].Caption), road.Kind, row);
        }
        // Time diagrams open as the parameter window opens them: the diagram of the row's unit comes up
        // and the binding adds the line; the dispatch redraws them after every frame.
        InstallTimeDiagrams();
        for (int i = 0; i < TimeDiagramRows && desk.ValueWindows; ++i) {
            ParamDescriptor &row = table.Rows[road.Rows[i]];
            QPointer<QWidget> &diagram = TimeDiagramWindows[std::size_t(row.UnitGroup)];
            if (!diagram) {
                diagram = new TForm_TimeDiagram(row.UnitGroup);
                Open(diagram);
            }
            row.Settings.TimeDiagram = 1;
            BindRowTimeSeries(&row, true);
        }
        QApplication::processEvents();
        for (int block = 0; block < 8; ++block) // past settling, with the engine's tables built
            Block();
    }
    ~TLiveRoad() {
        for (QPointer<QWidget> &window : ScaleLabelWindows)
            delete window.data();
        for (int kind : desk_.GraphKinds)
            delete GraphWindows[std::size_t(kind)].data();
        for (QPointer<QWidget> &diagram : TimeDiagramWindows)
            delete diagram.data();
        ReleaseAllTimeSeries();
        frame_.reset();
        if (area_)
            ScaleLabelHost.Place = hostPlace_;
        QApplication::processEvents();
        FreeAnalysisBuffers();
        SignalKind = 0;
    }

    bool OnItsKind() const { return SignalKind == road_.Kind; }
    QWidget *Frame() const { return frame_.get(); }

    // One block from the emulator through the main window's handler to the redrawn windows.
    void Block() {
        const TEmulatorSettings next = TakeEmulatorSettings(EngineBuffers.EmulatorAdcBuffer);
        const int32_t count = BuildEmulatorBlock(emulator_, next);
        std::copy_n(EngineBuffers.EmulatorAdcBuffer, count, EngineBuffers.AdcSampleBuffer);
        NowStamp += DemoCadence / 86400;
        ProcessAdcBlock();
        QApplication::processEvents();
    }

private:
    // Shows a window of the desk at the desk's size, sized once shown: showing restores its placement.
    void Open(QWidget *window) {
        if (!area_) {
            window->show();
            window->resize(desk_.Size);
            return;
        }
        QMdiSubWindow *sub = area_->addSubWindow(window);
        window->show();
        sub->resize(desk_.Size);
        Lay(sub);
    }

    // The windows side by side in the order they open, in rows across the area, as a user arranges a desk.
    void Lay(QMdiSubWindow *sub) {
        if (next_.x() > 0 && next_.x() + sub->width() > area_->width()) {
            next_ = QPoint(0, next_.y() + rowHeight_);
            rowHeight_ = 0;
        }
        sub->move(next_);
        next_.rx() += sub->width();
        rowHeight_ = std::max(rowHeight_, sub->height());
    }

    const TRoad &road_;
    const TDesk &desk_;
    std::unique_ptr<QMainWindow> frame_;
    QMdiArea *area_ = nullptr;
    decltype(ScaleLabelHost.Place) hostPlace_;
    QPoint next_;
    int rowHeight_ = 0;
    TEmulatorState emulator_;
};

// Time per block as a share of the cadence, on the clock and in the CPU time of every thread (Qt composites
// large pictures on its thread pool), with what the windows showed after the last block.
void RunRoad(benchmark::State &state, const TRoad &road, const TDesk &desk, THost host = THost::TopLevel) {
    TLiveRoad live(road, int32_t(state.range(0)), desk, host);
    if (!live.OnItsKind()) {
        state.SkipWithError("the emulator's blocks are not analysed as the road's kind");
        return;
    }
    double seconds = 0;
    double processSeconds = 0;
    for (auto _ : state) {
        const double processStart = ProcessCpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        live.Block();
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        processSeconds += ProcessCpuSeconds() - processStart;
    }
    if (state.iterations() == 0)
        return;
    state.counters["share_of_demo_cadence"] = seconds / double(state.iterations()) / DemoCadence;
    state.counters["cpu_share_of_demo_cadence"] = processSeconds / double(state.iterations()) / DemoCadence;
    int drawn = 0;
    for (int kind : desk.GraphKinds)
        if (auto *window = qobject_cast<TForm_Graphic *>(GraphWindows[std::size_t(kind)].data()))
            drawn += window->HasValue();
    int measured = 0;
    for (const QPointer<QWidget> &window : ScaleLabelWindows)
        if (auto *label = qobject_cast<TFormScaleLabel *>(window.data()))
            measured += label->Label2->text() != QStringLiteral("Не измеряется");
    int lines = 0;
    for (const QPointer<QWidget> &window : TimeDiagramWindows)
        if (auto *diagram = qobject_cast<TForm_TimeDiagram *>(window.data()))
            for (int32_t slot = 0; slot < TimeSeriesSlotCount; ++slot)
                lines += diagram->Line(slot) && diagram->Line(slot)->Count() > 0;
    state.counters["graph_windows"] = double(desk.GraphKinds.size());
    state.counters["graph_windows_with_points"] = drawn;
    state.counters["time_diagram_lines_with_points"] = lines;
    state.counters["value_windows_measured"] = measured;
    // A picture of the desk, for a look by eye.
    if (const QString shots = qEnvironmentVariable("R9_SCREENSHOTS"); !shots.isEmpty() && live.Frame())
        live.Frame()->grab().save(shots + QStringLiteral("/desk_%1_%2.png").arg(road.Name).arg(state.range(0)));
}

void LiveRoad(benchmark::State &state, const TRoad &road) {
    RunRoad(state, road, road.Desk);
}

void LiveRoadMdi(benchmark::State &state, const TRoad &road) {
    RunRoad(state, road, road.Desk, THost::Mdi);
}

void LiveRoadOneLargeSpectrum(benchmark::State &state, const TRoad &road) {
    RunRoad(state, road, OneLargeSpectrum);
}

void LiveRoadMemory(benchmark::State &state, const TRoad &road) {
    TLiveRoad live(road, int32_t(state.range(0)), road.Desk);
    for (auto _ : state) {
        for (int block = 0; block < 1000; ++block)
            live.Block();
        const long after1000 = ResidentBytes();
        for (int block = 1000; block < 10000; ++block)
            live.Block();
        const long after10000 = ResidentBytes();
        state.counters["rss_1000_MB"] = double(after1000) / (1 << 20);
        state.counters["rss_10000_MB"] = double(after10000) / (1 << 20);
        state.counters["rss_10000_over_1000"] = after1000 > 0 ? double(after10000) / double(after1000) : 0;
    }
}

void RegisterRoads() {
    for (const TRoad &road : Roads) {
        benchmark::RegisterBenchmark((std::string("LiveRoad/") + road.Name).c_str(), LiveRoad, road)
            ->Arg(2048)
            ->Arg(32768)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
        benchmark::RegisterBenchmark((std::string("LiveRoadMdi/") + road.Name).c_str(), LiveRoadMdi, road)
            ->Arg(2048)
            ->Arg(32768)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
        benchmark::RegisterBenchmark((std::string("LiveRoadOneLargeSpectrum/") + road.Name).c_str(),
                                     LiveRoadOneLargeSpectrum, road)
            ->Arg(2048)
            ->Arg(32768)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
        benchmark::RegisterBenchmark((std::string("LiveRoadMemory/") + road.Name).c_str(), LiveRoadMemory, road)
            ->Arg(2048)
            ->Arg(32768)
            ->Iterations(1)
            ->Unit(benchmark::kSecond)
            ->UseRealTime();
    }
}

} // namespace

int main(int argc, char **argv) {
    // A display of one's own (xvfb-run) shows what drawing to a real screen costs.
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        UseLargeOffscreenScreen();
    QApplication app(argc, argv);
    RegisterRoads();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
