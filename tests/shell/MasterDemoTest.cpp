#include "DemoFixture.h"
#include "support/Screenshot.h"

#include "chart/Chart.h"
#include "chart/ChartSeries.h"
#include "engine/MasterParam.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "engine/catalogue/ParamDescriptor.h"
#include "engine/evaluation/PointVerdicts.h"
#include "engine/masks/MaskArray.h"
#include "engine/masks/TMASK.h"
#include "settings/Masters.h"
#include "settings/window/Form_SetDev.h"
#include "settings/window/MasterFreqPage.h"
#include "state/MainGlobals.h"
#include "views/Fgraph.h"
#include "views/GraphXRange.h"

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QPushButton>

#include <cmath>
#include <vector>

namespace {

class MasterDemoTest : public DemoWindowTest {
protected:
    void SetUp() override {
        DemoWindowTest::SetUp();
        WindowFactories.Graph = installed.Graph;
    }
    void TearDown() override {
        DemoWindowTest::TearDown();
        FreePointVerdicts(20);
        MaskArray[20][MaskUpperSide].reset();
    }

    // Pumps until the run's characteristic has `points` points (the frames of a step have been taken).
    void RunUntilPoints(int points) {
        for (int i = 0; i < 60 && (!FreqMasterParam || FreqMasterParam->ArrayCount < points); ++i)
            RunBlocks(1);
        ASSERT_NE(FreqMasterParam, nullptr);
        ASSERT_EQ(FreqMasterParam->ArrayCount, points);
    }

    // The frequencies the curve is drawn at; the chart draws a pixel's lowest and highest level at the
    // same x.
    static std::vector<double> ShownX(const TForm_Graphic &window) {
        std::vector<double> x;
        const TChartSeries &series = *window.Series();
        for (int i = 0; i < series.Count(); ++i)
            if (!series.IsNull(i) && (x.empty() || series.XValue(i) != x.back()))
                x.push_back(series.XValue(i));
        return x;
    }
};

// In demonstration mode a frequency master run over a list of frequencies, stepped by Next, builds the
// amplitude-frequency characteristic point by point, and the graph window of kind 18 draws each new
// point as it comes; the run finishes after the last marked frequency.
TEST_F(MasterDemoTest, AFrequencyMasterRunDrawsItsCharacteristicStepByStep) {
    TMainForm &form = Start({QStringLiteral("/demo")});
    messages.clear();
    form.resize(1600, 1000);
    form.show();
    ASSERT_GE(DeviceSettings->ConnectionType, 2) << "the demo measures with a meter connected";
    ASSERT_NE(DeviceSettings->ConnectionType, 6);
    MasterBlock &m = DeviceSettings->MasterF;
    const float plan[] = {2.0f, 5.0f, 9.0f, 14.0f};
    int rows = 0;
    for (float f : plan)
        m.Set[rows++] = {f, 1};
    m.Set[rows++] = {20.0f, 0}; // unmarked: skipped
    m.SetCount = int8_t(rows);
    m.Source = 0;
    m.SinOn = 1;
    m.SinValue = -10;
    m.BandType = 0;
    m.AutoByTime = 0;
    DeviceSettings->AfcRef = 0;
    ASSERT_NE(GraphParamSettings[18][1], nullptr);
    GraphParamSettings[18][1]->Analyse = 1;

    form.Button_Start->click();
    ASSERT_TRUE(messages.empty());
    ASSERT_NE(Emulator, nullptr);
    CountBlocks();

    // The graph is open before the run, zoomed elsewhere; the run's fresh characteristic puts it back on
    // the plan's span.
    form.CurrentIndex = 18;
    auto *graph = qobject_cast<TForm_Graphic *>(form.ShowGraphWindow());
    ASSERT_NE(graph, nullptr);
    form.MdiArea->tileSubWindows();
    graph->Chart1->BottomAxis().SetMinMax(100, 200);
    StartMasterFreq();
    ASSERT_NE(FreqMasterParam, nullptr);
    const TDefaultXRange span = DefaultXRange(18, *DeviceSettings);
    EXPECT_LE(span.XMin, 2);
    EXPECT_GE(span.XMax, 20);
    EXPECT_LT(span.XMax, 100);
    EXPECT_EQ(graph->Chart1->BottomAxis().Minimum(), span.XMin);
    EXPECT_EQ(graph->Chart1->BottomAxis().Maximum(), span.XMax);

    for (int step = 0; step < 4; ++step) {
        SCOPED_TRACE(step);
        EXPECT_EQ(m.State > 0, true);
        EXPECT_FLOAT_EQ(DeviceSettings->BandF0 + DeviceSettings->SpectrumStep / 2, plan[step])
            << "the meter's narrow band is centred on the plan frequency";
        RunUntilPoints(step + 1);
        EXPECT_EQ(FreqMasterParam->Points[step].x, plan[step]);
        EXPECT_GE(FreqMasterParam->Points[step].count, 1);
        RunBlocks(2);
        const std::vector<double> shown = ShownX(*graph);
        ASSERT_EQ(shown.size(), size_t(step + 1)) << "the graph draws every point measured so far";
        EXPECT_NEAR(shown.back(), plan[step], 0.01);
        // Normalised to the largest level: no point lies above 0 dB and one sits at 0.
        const float *y = FreqMasterParam->YValues();
        EXPECT_NEAR(*std::max_element(y, y + FreqMasterParam->ArrayCount), 0, 1e-4);
        if (step == 1)
            SaveScreenshot(form, QStringLiteral("frequency_master_two_points"));
        MasterFreqStep(nullptr);
    }
    EXPECT_EQ(m.State, 0) << "the meter walked past the last marked frequency";
    EXPECT_NEAR(DeviceSettings->Sin.F1, plan[3], 0.01) << "the generator keeps its last frequency";
    RunBlocks(3);
    EXPECT_EQ(FreqMasterParam->ArrayCount, 4) << "frames after the finish add nothing";
    SaveScreenshot(form, QStringLiteral("frequency_master_finished"));

    // An upper mask arrives while the SIN is on show; the graph binds it once a new run starts afresh.
    ASSERT_EQ(SignalKind, 1);
    MaskArray[20][MaskUpperSide] = std::make_unique<TMASK>();
    TMASK *mask = MaskArray[20][MaskUpperSide].get();
    mask->Points = {{1, 5}, {30, 5}};
    mask->Upper = 1;
    mask->Active = 1;
    EXPECT_EQ(graph->BoundMask(MaskUpperSide), nullptr);
    StartMasterFreq();
    EXPECT_EQ(graph->BoundMask(MaskUpperSide), mask);
    StopMasterFreq();
    EXPECT_TRUE(form.StopMeasurement(QString(), false));
    EXPECT_EQ(FreqMasterParam, nullptr) << "the measurement's stop deletes the characteristic";
    MasterFreqStep(nullptr);
}

// A new user's session with the frequency master, in each order of the steps a user may take: the
// master's Start on its page ("Мастер частоты", F7) before or after the measurement's Start, and the
// graph "SIN: АЧХ, дБ" opened before or after the master starts; then "Следующая частота" a few times.
// Whatever the order, every step's point reaches the graph window.
struct UserOrder {
    const char *name;
    bool masterBeforeMeasurement;
    bool graphBeforeMaster;
};

class MasterDemoUserTest : public MasterDemoTest, public ::testing::WithParamInterface<UserOrder> {};

TEST_P(MasterDemoUserTest, TheFrequencyMastersPointsReachTheGraph) {
    const UserOrder order = GetParam();
    WindowFactories.SetDev = installed.SetDev;
    TMainForm &form = Start({QStringLiteral("/demo")});
    messages.clear();
    form.resize(1600, 1000);
    form.show();
    QAction *item = form.findChild<QAction *>(QStringLiteral("N_masterF"));
    ASSERT_NE(item, nullptr);
    item->trigger();
    auto *window = qobject_cast<TForm_SetDev *>(Form_SetDev.data());
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(window->PageControl1->currentWidget(), window->TabSheet_MasterFreq);
    TMasterFreqPage &page = *window->MasterFreqPage;
    // A new user has not switched on the analysis of the SIN row "АЧХ,дБ".
    ASSERT_NE(GraphParamSettings[18][1], nullptr);
    ASSERT_EQ(GraphParamSettings[18][1]->Analyse, 0);
    const auto openGraph = [&form]() -> TForm_Graphic * {
        form.CurrentIndex = 18;
        return qobject_cast<TForm_Graphic *>(form.ShowGraphWindow());
    };
    const auto startMeasurement = [&] {
        form.Button_Start->click();
        ASSERT_TRUE(messages.empty());
        ASSERT_NE(Emulator, nullptr);
        CountBlocks();
        RunBlocks(2);
    };
    TForm_Graphic *graph = nullptr;
    if (order.graphBeforeMaster)
        graph = openGraph();
    if (!order.masterBeforeMeasurement)
        startMeasurement();
    page.Button_Start->click();
    ASSERT_GT(DeviceSettings->MasterF.State, 0);
    ASSERT_EQ(DeviceSettings->MasterF.AutoByTime, 0) << "the demo's master steps by the button";
    if (order.masterBeforeMeasurement)
        startMeasurement();
    if (!graph)
        graph = openGraph();
    ASSERT_NE(graph, nullptr);
    form.MdiArea->tileSubWindows();

    for (int step = 1; step <= 3; ++step) {
        SCOPED_TRACE(step);
        page.Button_Next->click();
        for (int i = 0; i < 40 && (!FreqMasterParam || FreqMasterParam->ArrayCount < step); ++i)
            RunBlocks(1);
        ASSERT_NE(FreqMasterParam, nullptr);
        ASSERT_GE(FreqMasterParam->ArrayCount, step) << "the step's frames made a point";
        RunBlocks(2);
        EXPECT_TRUE(graph->HasValue()) << "the graph measures the characteristic";
        EXPECT_GE(ShownX(*graph).size(), size_t(step)) << "the graph draws every point so far";
    }
    SaveScreenshot(form, QStringLiteral("frequency_master_user_") + QLatin1String(order.name));
    // The demo reads its tone about 22 dB above what it sends, so relative to the reference level the
    // points lie below the row's default scale; the picture also shows them with the scale moved there.
    graph->Chart1->LeftAxis().SetMinMax(-40, 10);
    QApplication::processEvents();
    SaveScreenshot(*graph, QStringLiteral("frequency_master_user_scaled_") + QLatin1String(order.name));
    EXPECT_EQ(GraphParamSettings[18][1]->Analyse, 1) << "the run's row is analysed";
    page.Button_Stop->click();
    EXPECT_TRUE(form.StopMeasurement(QString(), false));
}

INSTANTIATE_TEST_SUITE_P(Orders, MasterDemoUserTest,
                         ::testing::Values(UserOrder{"master_first_graph_after", true, false},
                                           UserOrder{"master_first_graph_before", true, true},
                                           UserOrder{"measurement_first_graph_after", false, false},
                                           UserOrder{"measurement_first_graph_before", false, true}),
                         [](const ::testing::TestParamInfo<UserOrder> &info) { return info.param.name; });

} // namespace
