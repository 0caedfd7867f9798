#include "DemoFixture.h"
#include "SimulatedInstrument.h"
#include "support/Screenshot.h"

#include "chart/ChartSeries.h"
#include "engine/EngineBuffers.h"
#include "engine/SstParam2.h"
#include "engine/masks/MaskArray.h"
#include "engine/masks/TMASK.h"
#include "link/InstrumentIdent.h"
#include "link/connection/Tr9sendgetcommand.h"
#include "platform/ProgramDir.h"
#include "selective/MirvakRun.h"
#include "selective/MirvakWork.h"
#include "shell/MainSst.h"
#include "shell/StatusBar2.h"
#include "shell/WindowRegistries.h"
#include "sim/SimDspApplication.h"
#include "sim/SimSstProgram.h"
#include "state/MainGlobals.h"
#include "storage/playback/PlaybackServices.h"
#include "views/Fgraph.h"

#include <QDir>
#include <QFile>
#include <QTextStream>
#include <QToolButton>

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

namespace {

constexpr int EnterKey = 13;
const float Plan[] = {20.0f, 100.0f, 300.0f, 600.0f};

// A selective run of the main window against the simulated instrument, which runs the selective program
// it downloads from r9_307_sst.i00. The graph windows are the program's own.
class SelectiveRunTest : public DemoWindowTest {
protected:
    void SetUp() override {
        DemoWindowTest::SetUp();
        WindowFactories.Graph = installed.Graph;
    }

    // The main window with an AFC plan on connection type 4 (generator and meter at one end of a line,
    // the generator on), on the 1024 kHz range the AFC needs; the instrument is not started yet.
    TMainForm &OpenAfc() {
        sim = &Instrument();
        dir.write(QStringLiteral("r9_307.i00"), ":0400100012345678D8\r\n:00000001FF\r\n");
        dir.write(QStringLiteral("r9_307_sst.i00"), QByteArray::fromStdString(SimSstProgramHex()));
        FreeAnalysisBuffers();
        TMainForm &form = Start();
        messages.clear();
        form.resize(1600, 1000);
        form.show();
        TDeviceSettings &s = *DeviceSettings;
        form.SetFrequencyPanel(1024);
        s.ConnectionType = 4;
        // The simulated instrument plays the generator's level words straight into the converter: on the
        // input range of -5 dB the line's attenuation reads about 17 dB, inside the graph's default range.
        s.MaxLevelIndex = 2;
        s.AutoMaxLevel = 0;
        s.AveragingInterval = 0;
        MirvakBlock &m = s.Mirvak;
        m.SubMode = 0;
        m.SinOn = 1;
        m.SinLevel = -10;
        m.B = 0.1f;
        m.Flags = 0;
        m.Options = 0;
        m.RunState = 0;
        m.RunActive = 0;
        m.SetCount = 0;
        for (float f : Plan)
            m.Set[m.SetCount++] = {f, 1};
        form.StatusBar2->SetPanelText(0, QStringLiteral("R-9"));
        return form;
    }

    void StartInstrument(TMainForm &form) {
        InstrumentIdent.DspFirmwareVersion = -1;
        form.Button_Start->click();
        ASSERT_TRUE(messages.empty()) << messages[0].text.toStdString();
        ASSERT_TRUE(WaitFor([] { return InstrumentIdent.DspFirmwareVersion > 0; }, 30));
    }

    // The page's Start, as its button runs it.
    void BeginRun() {
        ASSERT_TRUE(MirvakStartRefusal(QStringLiteral("+10")).isEmpty());
        const QString refusal = BeginMirvakRun({});
        ASSERT_TRUE(refusal.isEmpty()) << refusal.toStdString();
        EXPECT_EQ(MirvakFirmware, 1) << "the selective program is loaded for the run";
    }

    // The page's Start; then the pass, until the run stops after it.
    void RunOnePass() {
        ASSERT_NO_FATAL_FAILURE(BeginRun());
        ASSERT_TRUE(WaitFor([] { return DeviceSettings->Mirvak.RunState == 3; }, 120))
            << "run state " << DeviceSettings->Mirvak.RunState;
        EXPECT_TRUE(messages.empty());
    }

    static void OpenGraphs(TMainForm &form, std::initializer_list<int> kinds) {
        for (int kind : kinds) {
            form.CurrentIndex = kind;
            ASSERT_NE(form.ShowGraphWindow(), nullptr) << kind;
        }
    }

    static TForm_Graphic &Graph(int kind) {
        TForm_Graphic *graph = OpenGraphWindow(kind);
        EXPECT_NE(graph, nullptr) << kind;
        return *graph;
    }

    // The points a graph window draws (x, y), gaps left out; the chart draws a pixel's lowest and highest
    // value at the same x, and both are one point here.
    static std::vector<std::pair<double, double>> Shown(const TForm_Graphic &graph) {
        std::vector<std::pair<double, double>> points;
        const TChartSeries &series = *graph.Series();
        for (int i = 0; i < series.Count(); ++i)
            if (!series.IsNull(i) && (points.empty() || series.XValue(i) != points.back().first))
                points.emplace_back(series.XValue(i), series.YValue(i));
        return points;
    }

    // The frequencies a level graph shows measured, with their levels: the chart draws a measured bin as
    // a bar from the floor of -300 dBm0 (the level of a bin not measured), a pixel wide; the columns of
    // one bar, closer than 10 Hz, are one frequency here.
    static std::vector<std::pair<double, double>> Measured(const TForm_Graphic &graph) {
        std::map<double, double> columns;
        const TChartSeries &series = *graph.Series();
        for (int i = 0; i < series.Count(); ++i)
            if (!series.IsNull(i) && series.YValue(i) > -300) {
                auto [at, added] = columns.emplace(series.XValue(i), series.YValue(i));
                at->second = std::max(at->second, series.YValue(i));
            }
        std::vector<std::pair<double, double>> bars;
        for (const auto &[x, y] : columns) {
            if (!bars.empty() && x - bars.back().first < 0.01)
                bars.back().second = std::max(bars.back().second, y);
            else
                bars.emplace_back(x, y);
        }
        return bars;
    }

    // What the numeric check needs: the settings that scale the levels, the tones the simulated line
    // carried in each measured window, and the curves of the graph windows.
    void Dump() {
        const QString path = qEnvironmentVariable("R9_SST_RUN_DUMP");
        if (path.isEmpty())
            return;
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Text));
        QTextStream out(&file);
        out.setRealNumberPrecision(12);
        const TDeviceSettings &s = *DeviceSettings;
        out << "settings " << s.ConnectionType << ' ' << s.SampleRate << ' ' << s.MeterImpedance << ' '
            << s.MeterRef << ' ' << s.GenRef << ' ' << s.Mirvak.SinLevel << ' ' << s.MaxLevelIndex << '\n';
        sim->WithApplication([&](SimDspApplication &app) {
            for (const SimSstWindow &w : app.Selective().Windows())
                out << "window " << w.length << ' ' << w.toneWord << ' ' << w.tonePeak << '\n';
        });
        for (int kind : {21, 22})
            for (const auto &[x, y] : Measured(Graph(kind)))
                out << "curve " << kind << ' ' << x << ' ' << y << '\n';
        for (const auto &[x, y] : Shown(Graph(23)))
            out << "curve 23 " << x << ' ' << y << '\n';
    }

    SimInstrument *sim = nullptr;
};

// An AFC run from Start to its curves: the instrument is opened, the page's Start loads the selective
// program, the pass measures every plan frequency, and the curve of the attenuation (kind 23) has one
// point per plan frequency; the level graph (kind 21) shows the measured bins, the weighted level graph
// (kind 22) nothing, since AFC weighs nothing. The bound cursor follows the measured frequency. Stop
// stops the instrument's measurement and drops the holder, the work record and the buffered items; a
// second Start measures again from an empty curve. The numbers are checked by check_selective_run.py.
TEST_F(SelectiveRunTest, AfcRunDrawsItsCurveAndStopsAndStartsAgain) {
    TMainForm &form = OpenAfc();
    ASSERT_NO_FATAL_FAILURE(StartInstrument(form));
    EXPECT_EQ(MirvakFirmware, 0);
    ASSERT_NO_FATAL_FAILURE(OpenGraphs(form, {21, 22, 23}));
    TForm_Graphic &levels = Graph(21);
    levels.FormKeyDown(EnterKey, Qt::NoModifier);
    ASSERT_NE(levels.CursorSet.Cursors[0], nullptr);
    levels.CursorSet.Cursors[0]->BindCursorToX = 1;

    ASSERT_NO_FATAL_FAILURE(RunOnePass());
    ASSERT_NE(SstParam, nullptr);
    EXPECT_EQ(MirvakWorkArrays.PointCount, int(std::size(Plan)));
    const auto curve = Shown(Graph(23));
    ASSERT_EQ(curve.size(), std::size(Plan));
    for (std::size_t i = 0; i < curve.size(); ++i)
        EXPECT_NEAR(curve[i].first, Plan[i], 1e-3);
    EXPECT_EQ(Measured(Graph(21)).size(), std::size(Plan)) << "one measured bin per plan frequency";
    EXPECT_TRUE(Measured(Graph(22)).empty());
    EXPECT_NEAR(levels.CursorSet.Cursors[0]->Ps_x, Plan[std::size(Plan) - 1], 1e-3);
    EXPECT_GT(form.LastSstTime, 0u);
    EXPECT_GE(NowStamp, RunStart + form.LastSstTime / (86400.0 * 1024) - 1e-9)
        << "the items' time stamps advance the newest data time";
    Dump();
    SaveScreenshot(form, QStringLiteral("selective_afc_main"));
    SaveScreenshot(Graph(23), QStringLiteral("selective_afc_graph23"));

    EXPECT_TRUE(form.StopMeasurement(QString(), false));
    EXPECT_EQ(SstParam, nullptr);
    EXPECT_EQ(MirvakWorkArrays.BinCount, 0);
    EXPECT_TRUE(MirvakWorkArrays.AfcCal.empty());
    EXPECT_TRUE(form.BufferedSstItems().empty());
    EXPECT_EQ(DspIo, nullptr);
    sim->WithApplication([](SimDspApplication &app) {
        EXPECT_FALSE(app.Selective().Running());
        EXPECT_TRUE(app.Violations().empty());
    });

    ASSERT_NO_FATAL_FAILURE(StartInstrument(form));
    ASSERT_NO_FATAL_FAILURE(RunOnePass());
    EXPECT_EQ(Shown(Graph(23)).size(), std::size(Plan));
    EXPECT_TRUE(form.StopMeasurement(QString(), false));
    EXPECT_TRUE(messages.empty());
}

// A continuous AFC run with two traces: at the end of each pass the AFC window moves its last trace
// below (the lower mask) and keeps the new curve as the upper mask, both as files in the mask folder.
// Stop during the run ends the instrument's measurement before the link goes.
TEST_F(SelectiveRunTest, ContinuousRunKeepsTwoTracesAndStopEndsTheMeasurement) {
    TMainForm &form = OpenAfc();
    DeviceSettings->Mirvak.Options = 0x04 | 0x20;
    ASSERT_NO_FATAL_FAILURE(StartInstrument(form));
    ASSERT_NO_FATAL_FAILURE(OpenGraphs(form, {23}));
    const QDir masks(ProgramDir() + QStringLiteral("Masks"));
    const auto traces = [&masks](int trace) {
        return masks.entryList({QStringLiteral("*_след%1*").arg(trace)}, QDir::Files);
    };
    ASSERT_NO_FATAL_FAILURE(BeginRun());
    ASSERT_TRUE(WaitFor([&] { return !traces(2).isEmpty(); }, 120)) << "no second pass";
    EXPECT_EQ(traces(1).size(), 1);
    EXPECT_EQ(traces(2).size(), 1);
    const int slot = 27; // the AFC curve's masks
    for (int side : {0, 1}) {
        const TMASK *mask = MaskArray[slot][side].get();
        ASSERT_NE(mask, nullptr) << side;
        ASSERT_EQ(mask->Count(), int(std::size(Plan))) << side;
        for (std::size_t i = 0; i < std::size(Plan); ++i) {
            EXPECT_NEAR(mask->Points[i].x, Plan[i], 1e-3);
            EXPECT_NEAR(mask->Points[i].y, MirvakWorkArrays.Afc[i], 0.05) << "the line does not change";
        }
    }
    EXPECT_GE(DeviceSettings->Mirvak.RunState, 1);
    EXPECT_LE(DeviceSettings->Mirvak.RunState, 2) << "a continuous run goes on after its passes";
    EXPECT_TRUE(form.StopMeasurement(QString(), false));
    sim->WithApplication([](SimDspApplication &app) {
        EXPECT_FALSE(app.Selective().Running()) << "the instrument still measures after Stop";
        EXPECT_TRUE(app.Violations().empty());
    });
    EXPECT_EQ(SstParam, nullptr);
    EXPECT_TRUE(messages.empty());
}

// Which open graph windows the selective items reach in each sub-mode, and the cursor they move: to the
// frequency of the holder's current bin, and nowhere for a group between two bins.
TEST_F(SelectiveRunTest, ItemsReachTheGraphsOfTheirSubModeAndMoveTheirCursor) {
    TMainForm &form = Start();
    form.show();
    std::vector<int> kinds;
    for (int kind = 20; kind <= 37; ++kind)
        kinds.push_back(kind);
    for (int kind : kinds) {
        form.CurrentIndex = kind;
        ASSERT_NE(form.ShowGraphWindow(), nullptr) << kind;
    }
    const struct {
        int subMode;
        std::vector<int> shown;
    } cases[] = {
        {-2, {}},
        {-1, {21, 22, 23}},
        {0, {21, 22, 23}},
        {1, {21, 22}},
        {2, {21, 22}},
        {3, {21, 22, 23, 27, 28, 29, 30}},
        {6, {21, 22, 23, 27, 28, 29, 30}},
        {7, {21, 22, 23, 24, 25, 26, 28, 29, 30, 32, 33, 34, 35, 36}},
        {8, {21, 22, 23, 24, 25, 26, 28, 29, 30, 32, 33, 34, 35, 36}},
        {9, {}},
    };
    for (const auto &c : cases) {
        DeviceSettings->Mirvak.SubMode = int8_t(c.subMode);
        std::vector<int> shown;
        for (int index = -1; index <= GraphWindowCount; ++index)
            if (IsShownSstGraph(index))
                shown.push_back(index);
        EXPECT_EQ(shown, c.shown) << "sub-mode " << c.subMode;
    }
    GraphWindows[23]->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    DeviceSettings->Mirvak.SubMode = 0;
    EXPECT_FALSE(IsShownSstGraph(23)) << "a closed window";

    TForm_Graphic &levels = Graph(21);
    levels.FormKeyDown(EnterKey, Qt::NoModifier);
    ASSERT_NE(levels.CursorSet.Cursors[0], nullptr);
    TCursorOnGraph &cursor = *levels.CursorSet.Cursors[0];
    cursor.Ps_x = 1;
    MoveCursorsToSstFrequency(); // no holder
    EXPECT_EQ(cursor.Ps_x, 1);
    SstParam = new TSST_Param2;
    SstParam->Bins = {399, 400, 401};
    SstParam->BinCount = 3;
    SstParam->Resolution = 0.001;
    SstParam->Divider = 2;
    SstParam->CurrentBin = 1;
    MoveCursorsToSstFrequency();
    EXPECT_EQ(cursor.Ps_x, 1) << "a cursor not bound to the selective frequency stays";
    cursor.BindCursorToX = 1;
    MoveCursorsToSstFrequency();
    EXPECT_DOUBLE_EQ(cursor.Ps_x, 0.2);
    SstParam->CurrentBin = -1;
    cursor.Ps_x = 1;
    MoveCursorsToSstFrequency();
    EXPECT_EQ(cursor.Ps_x, 1) << "a group between two bins";
    SstParam->CurrentBin = 2;
    ASSERT_TRUE(PlaybackServices().MoveCursorsToSstFrequency);
    PlaybackServices().MoveCursorsToSstFrequency();
    EXPECT_DOUBLE_EQ(cursor.Ps_x, 0.2005) << "playback reaches the cursors";
    EXPECT_TRUE(PlaybackServices().StoreSstTraces);
    DeleteSstParam();
}

// A change of the frequency range shows again whether the selective calibrations still hold.
TEST_F(SelectiveRunTest, RangeChangeShowsTheSelectiveCalibration) {
    TMainForm &form = Start();
    int shown = 0;
    MirvakPlanHooks().ShowMirvakCalibration = [&shown] { ++shown; };
    form.SetFrequencyPanel(1024);
    EXPECT_TRUE(form.ApplySampleRate(false));
    MirvakPlanHooks().ShowMirvakCalibration = {};
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(DeviceSettings->SampleRate, 2560);
}

// Which masks the end of a scan or a pass keeps, by the run's options: nothing unless the run is
// continuous or when both mask options are set; the upper mask, or the lower one with the upper option
// (not in the scan and monitoring sub-modes); with two traces the older trace moves below.
TEST_F(SelectiveRunTest, TracesFollowTheRunOptions) {
    TMainForm &form = Start();
    form.show();
    ASSERT_NO_FATAL_FAILURE(OpenGraphs(form, {21, 23}));
    SstParam = new TSST_Param2;
    TMirvakWorkArrays &w = MirvakWorkArrays;
    w.BinFreq = {10, 20};
    w.BinLevel = {-20, -30};
    w.BinWeighted = {-300, -300};
    w.BinCount = 2;
    w.PointFreq = {10, 20};
    w.Afc = {1, 2};
    w.PointCount = 2;
    const int levelSlot = 25, afcSlot = 27;
    const QDir masks(ProgramDir() + QStringLiteral("Masks"));
    const auto clear = [&] {
        for (int slot : {levelSlot, afcSlot})
            for (auto &side : MaskArray[slot])
                side.reset();
        for (const QString &name : masks.entryList(QDir::Files))
            QFile::remove(masks.filePath(name));
    };
    // Which sides of a slot hold a mask: bit 0 the upper, bit 1 the lower.
    const auto sides = [](int slot) { return (MaskArray[slot][0] ? 1 : 0) | (MaskArray[slot][1] ? 2 : 0); };
    const struct {
        int32_t options;
        int8_t subMode;
        int calls;
        int levelSides, afcSides;
    } cases[] = {
        {0x00, 0, 1, 0, 0},        {0x04, 0, 1, 1, 1}, {0x04 | 0x08, 0, 1, 2, 2}, {0x04 | 0x10, 0, 1, 1, 1},
        {0x04 | 0x18, 0, 1, 0, 0}, {0x04 | 0x08, 1, 1, 0, 0}, {0x04, 1, 1, 1, 0},
        {0x04 | 0x20, 0, 1, 1, 1}, // no older trace yet
        {0x04 | 0x20, 0, 2, 3, 3},
    };
    for (const auto &c : cases) {
        clear();
        DeviceSettings->Mirvak.Options = c.options;
        DeviceSettings->Mirvak.SubMode = c.subMode;
        for (int i = 0; i < c.calls; ++i)
            StoreSstTraces();
        EXPECT_EQ(sides(levelSlot), c.levelSides) << c.options << " sub-mode " << int(c.subMode) << " x" << c.calls;
        EXPECT_EQ(sides(afcSlot), c.afcSides) << c.options << " sub-mode " << int(c.subMode) << " x" << c.calls;
    }
    ASSERT_NE(MaskArray[afcSlot][0], nullptr);
    ASSERT_EQ(MaskArray[afcSlot][0]->Count(), 2);
    EXPECT_EQ(MaskArray[afcSlot][0]->Points[1].y, 2);
    clear();
    DeleteSstParam();
    FreeMirvakWork();
}

} // namespace
