#include "DemoFixture.h"
#include "SimulatedInstrument.h"
#include "support/Screenshot.h"

#include "chart/ChartSeries.h"
#include "engine/EngineBuffers.h"
#include "engine/SstParam2.h"
#include "link/InstrumentIdent.h"
#include "link/connection/Tr9sendgetcommand.h"
#include "selective/MirvakRun.h"
#include "selective/MirvakWork.h"
#include "shell/MainSst.h"
#include "shell/StatusBar2.h"
#include "shell/WindowRegistries.h"
#include "sim/SimDspApplication.h"
#include "sim/SimSstProgram.h"
#include "state/MainGlobals.h"
#include "views/Fgraph.h"

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

    // The page's Start, as its button runs it; then the pass, until the run stops after it.
    void RunOnePass() {
        ASSERT_TRUE(MirvakStartRefusal(QStringLiteral("+10")).isEmpty());
        const QString refusal = BeginMirvakRun({});
        ASSERT_TRUE(refusal.isEmpty()) << refusal.toStdString();
        EXPECT_EQ(MirvakFirmware, 1) << "the selective program is loaded for the run";
        ASSERT_TRUE(WaitFor([] { return DeviceSettings->Mirvak.RunState == 3; }, 120))
            << "run state " << DeviceSettings->Mirvak.RunState;
        EXPECT_TRUE(messages.empty());
    }

    static TForm_Graphic &Graph(int kind) {
        auto *graph = qobject_cast<TForm_Graphic *>(GraphWindows[std::size_t(kind)].data());
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
    for (int kind : {21, 22, 23}) {
        form.CurrentIndex = kind;
        ASSERT_NE(form.ShowGraphWindow(), nullptr);
    }
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
    EXPECT_GT(NowStamp, RunStart) << "the items' time stamps advance the newest data time";
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

} // namespace
