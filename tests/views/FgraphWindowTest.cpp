#include "GraphWindowFixture.h"

#include "chart/Chart.h"
#include "chart/ChartlibChart.h"
#include "chartlib/Chartlib.h"
#include "engine/EngineBuffers.h"
#include "engine/NoiseMeasurement.h"
#include "engine/catalogue/GraphKindTable.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "engine/catalogue/ParameterTable.h"
#include "platform/Cp1251.h"
#include "platform/NoValue.h"
#include "state/DeviceSettings.h"
#include "state/MainGlobals.h"
#include "support/Screenshot.h"
#include "views/Fgraph.h"
#include "views/GraphSources.h"

#include "support/TempProgramDir.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QTableView>

#include <cmath>
#include <memory>
#include <vector>

namespace {

TEST_F(GraphWindow, OscillogramDrawsAtMostTwoPointsPerPixelAndHidesItsTable) {
    SignalKind = 1;
    Analyse(0, 1);
    for (int i = 0; i < 2048; ++i) {
        EngineBuffers.SampleTimeAxis[i] = float(i) * 1000.0f / 2560;
        EngineBuffers.SampleVolts[i] = float(std::sin(i * 0.05));
    }
    TForm_Graphic &w = Open(0);
    EXPECT_EQ(w.windowTitle(), "Осциллограмма");
    w.RedrawGraph();
    EXPECT_TRUE(w.Table1->isHidden());
    EXPECT_TRUE(w.HasValue());
    const int pixels = w.Chart1->ChartWidth();
    ASSERT_GT(pixels, 100);
    EXPECT_LE(w.Series()->Count(), 2 * pixels + 2);
    EXPECT_GT(w.Series()->Count(), pixels);
    EXPECT_DOUBLE_EQ(w.Chart1->BottomAxis().Maximum(), 800);
}

TEST_F(GraphWindow, SpectrumFillsItsTableAndColoursTheBandAndTheTone) {
    SignalKind = 1;
    EngineBuffers.ToneBin1 = 120;
    FillSpectrum(1024);
    TForm_Graphic &w = Open(1);
    w.RedrawGraph();
    ASSERT_FALSE(w.Table1->isHidden());
    const TGraphValueTable &t = w.ValueTable();
    EXPECT_EQ(t.RowCount(), (1023 + 5) / 6 + 1);
    EXPECT_EQ(t.Cell(0, 0), "кГц");
    EXPECT_EQ(t.Cell(0, 1), "1.25"); // the spectra skip display point 0
    EXPECT_EQ(t.Cell(1, 1), FormatValue(EngineBuffers.PowerSpectrum[1]));
    const int rows = t.RowCount() - 1;
    EXPECT_EQ(t.Cell(3, 1), FormatValue(EngineBuffers.PowerSpectrum[1 + rows]));
    EXPECT_TRUE(w.HasValue());

    const TChartSeries &s = *w.Series();
    bool band = false, tone = false, plain = false;
    for (int i = 0; i < s.Count(); ++i) {
        const QColor c = s.ValueColor(i);
        band = band || c == QColor(255, 0, 0);
        tone = tone || c == QColor(0, 0, 255);
        plain = plain || c == QColor(0xFF, 0xCB, 0xC0);
    }
    EXPECT_TRUE(band && tone && plain);
    // One display step beyond the last point.
    EXPECT_NEAR(s.XValue(s.Count() - 1), 2 * 1023 * 1.25 - 1022 * 1.25 - 0.625, 1e-3);
    SaveScreenshot(w, QStringLiteral("graph_spectrum"));
}

TEST_F(GraphWindow, SpectrumTableStaysHiddenBelowItsMinimumStep) {
    SignalKind = 1;
    SpectrumTableMinStep = 8;
    DeviceSettings->SpectrumStepIndex = 4;
    FillSpectrum(256);
    TForm_Graphic &w = Open(1);
    w.RedrawGraph();
    EXPECT_TRUE(w.Table1->isHidden());
}

TEST_F(GraphWindow, PhasogramIsShownOnlyWhileNoiseIsMeasured) {
    Analyse(17, 5);
    // Settings that call for a phasogram, so that the table has room for the curve.
    DeviceSettings->Phasogram = 1;
    DeviceSettings->AdcSize = 32768;
    DeviceSettings->PhasogramRef = 2560.0f / 3000;
    EngineBuffers.NoiseCurveLength = 13;
    for (int i = 0; i < 13; ++i) {
        EngineBuffers.NoiseCurves[4][i] = 30.0f * float(i);
        EngineBuffers.NoiseCurves[1][i] = -40.0f - float(i);
    }
    SignalKind = 5;
    TForm_Graphic &w = Open(17);
    w.RedrawGraph();
    EXPECT_DOUBLE_EQ(w.Chart1->BottomAxis().Maximum(), 360);
    EXPECT_EQ(w.ValueTable().Cell(0, 2), "30.00");
    EXPECT_EQ(w.ValueTable().Cell(1, 2), "-41.00");
    EXPECT_TRUE(w.HasValue());

    SignalKind = 1;
    w.RedrawGraph();
    EXPECT_EQ(w.ValueTable().Cell(1, 2), "");
    EXPECT_EQ(w.Series()->Count(), 0);
    EXPECT_FALSE(w.HasValue()); // "Не измеряется"
}

TEST_F(GraphWindow, SelectiveLevelsPackTheirTableAndMarkTheMeasuredToneWithinTheList) {
    Analyse(21, 6);
    static const float x[] = {100, 110, 120, 130};
    static const float y[] = {-20, -300, -35, -50};
    GraphSources.Selective = [](int kind) -> std::optional<TCurveArrays> {
        if (kind != 21)
            return std::nullopt;
        return TCurveArrays{x, y, 4};
    };
    // Between two bins the search answers -1; the window keeps its reads inside the list.
    GraphSources.SelectiveFindBin = [](float) { return -1; };
    const ParameterTable mirvak = ParameterTableOf(6);
    for (int32_t i = 0; i < mirvak.RowCount; ++i)
        if (QString::fromUtf8(mirvak.Rows[i].Caption) == "Частота,кГц\n")
            mirvak.Rows[i].Result.Value = 105;
    DeviceSettings->Mirvak.SubMode = 1;
    DeviceSettings->Mirvak.B = 10;
    DeviceSettings->Mirvak.Fc1 = 100;
    DeviceSettings->Mirvak.FcN = 130;
    SignalKind = 6;
    TForm_Graphic &w = Open(21);
    w.RedrawGraph();
    const TGraphValueTable &t = w.ValueTable();
    EXPECT_EQ(t.Cell(0, 1), "100.00");
    EXPECT_EQ(t.Cell(2, 1), "120.00");
    EXPECT_EQ(t.Cell(5, 1), "-50.00");
    EXPECT_EQ(t.Cell(6, 1), "");
    EXPECT_TRUE(w.HasValue());

    // Without its holder the window keeps what it shows.
    GraphSources.Selective = {};
    const int shown = w.Series()->Count();
    w.RedrawGraph();
    EXPECT_EQ(w.Series()->Count(), shown);
    EXPECT_EQ(t.Cell(0, 1), "100.00");
}

TEST_F(GraphWindow, DefaultXRangeKeepsAZoomInsideTheFullRange) {
    SignalKind = 1;
    FillSpectrum(1024);
    TForm_Graphic &w = Open(1);
    w.Chart1->BottomAxis().SetMinMax(200, 300);
    w.SetDefaultXRange(false);
    EXPECT_DOUBLE_EQ(w.Chart1->BottomAxis().Minimum(), 200);
    DeviceSettings->SampleRate = 500;
    w.SetDefaultXRange(false);
    EXPECT_DOUBLE_EQ(w.Chart1->BottomAxis().Maximum(), 250);
    EXPECT_DOUBLE_EQ(w.Chart1->BottomAxis().Minimum(), 0);
}

TEST_F(GraphWindow, WheelShiftsTheLeftAxisByWholeSteps) {
    SignalKind = 1;
    FillSpectrum(1024);
    TForm_Graphic &w = Open(1);
    w.RedrawGraph();
    TChartAxis &left = w.Chart1->LeftAxis();
    left.SetMinMax(-100, -20);
    w.Chart1->Repaint();
    const double before = left.Minimum();
    const double span = left.Maximum() - left.Minimum();
    w.MouseWheel(240);
    EXPECT_LT(left.Minimum(), before);
    EXPECT_NEAR(left.Maximum() - left.Minimum(), span, 1e-9);
    const double afterTwo = before - left.Minimum();
    left.SetMinMax(-100, -20);
    w.Chart1->Repaint();
    w.MouseWheel(120);
    EXPECT_NEAR(before - left.Minimum(), afterTwo / 2, 1e-9);
    w.MouseWheel(60); // less than a notch moves nothing
    EXPECT_NEAR(before - left.Minimum(), afterTwo / 2, 1e-9);
}

TEST_F(GraphWindow, TableExportsAsTextAndAsHtmlAndACancelWritesNothing) {
    SignalKind = 1;
    FillSpectrum(400);
    TForm_Graphic &w = Open(1);
    w.RedrawGraph();
    QString answer;
    TChartDialogs dialogs;
    dialogs.askSaveFileName = [&answer](QWidget *, const TSaveDialogRequest &) { return answer; };
    SetChartDialogs(dialogs);

    answer = dir.path("spectrum.txt");
    w.N_TableSaveClick();
    const QByteArray text = dir.read("spectrum.txt");
    EXPECT_TRUE(text.startsWith(ToCp1251(QStringLiteral("==Сел.уровни\n==кГц дБм0 \n1.25 "))));
    EXPECT_EQ(text.count('\n'), 2 + 399);

    answer = dir.path("spectrum.html");
    w.N_TableSaveClick();
    const QByteArray html = dir.read("spectrum.html");
    EXPECT_TRUE(
        html.startsWith("<HTML><HEAD><META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=windows-1251\">"));
    EXPECT_TRUE(html.contains(ToCp1251(QStringLiteral("Сел.уровни"))));
    EXPECT_EQ(html.count("<p></p>"), 2); // 399 points in rows of five: 80 rows, three tables

    answer.clear();
    pauses.clear();
    w.N_TableSaveClick();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);
    EXPECT_EQ(pauses, (std::vector<bool>{true, false}));
}

TEST_F(GraphWindow, StylesAndRangesComeBackFromR9Ini) {
    SignalKind = 1;
    FillSpectrum(1024);
    {
        TForm_Graphic &w = Open(1);
        w.Chart1->SetBackColor(QColor(0x10, 0x20, 0x30));
        w.BandColour = 0x00FF00;
        w.Chart1->LeftAxis().SetMinMax(-70, 5);
        w.Chart1->BottomAxis().SetMinMax(100, 400);
        window.reset();
    }
    const QByteArray ini = dir.read("R9.ini");
    EXPECT_TRUE(ini.contains(ToCp1251(QStringLiteral("[Сел.уровни]"))));
    EXPECT_TRUE(ini.contains("Chart_BackColor=3153936"));
    TForm_Graphic &w = Open(1);
    EXPECT_EQ(w.Chart1->BackColor(), QColor(0x10, 0x20, 0x30));
    EXPECT_EQ(w.BandColour, 0x00FF00);
    EXPECT_DOUBLE_EQ(w.Chart1->LeftAxis().Minimum(), -70);
    EXPECT_DOUBLE_EQ(w.Chart1->BottomAxis().Minimum(), 100);
    EXPECT_DOUBLE_EQ(w.Chart1->BottomAxis().Maximum(), 400);
}

// A phasogram window opened before the first NOISE block has room in its table for the whole phasogram
// the settings call for, not for the two points the last block left.
TEST_F(GraphWindow, ThePhasogramTableIsSizedByTheSettingsNotByTheLastBlock) {
    DeviceSettings->Phasogram = 1;
    DeviceSettings->AdcSize = 32768;
    DeviceSettings->PhasogramRef = 2560.0f / 3000;
    EngineBuffers.NoiseCurveLength = 2;
    const int32_t points = PlanPhasogram(2560, 32768, 100, 200, 2560.0f / 3000).Points;
    ASSERT_GT(points, 300);
    TForm_Graphic &w = Open(16);
    const int pairs = GraphKindTable[16].ColCount / 2;
    EXPECT_EQ(w.ValueTable().RowCount(), (points + pairs - 1) / pairs + 1);
    EXPECT_EQ(EngineBuffers.NoiseCurveLength, 2) << "opening a window changed the engine's state";
}

// The cell under a press: its point, and whether it is the point's x (1) or value (2) cell.
TEST_F(GraphWindow, CellsMapToTheirPoints) {
    SignalKind = 1;
    FillSpectrum(1024);
    TForm_Graphic &w = Open(1);
    w.RedrawGraph();
    const int rows = w.ValueTable().RowCount() - 1;
    struct Case {
        int column, row, count, result, index;
    };
    const Case cases[] = {{0, 0, 1023, 0, -1}, {-1, 1, 1023, 0, -1},  {0, 1, 1023, 1, 0},
                          {1, 1, 1023, 2, 0},  {3, 2, 1023, 2, rows + 1}, {1, 5, 3, 0, -1}};
    for (const Case &c : cases) {
        int32_t index = -1;
        EXPECT_EQ(w.CellToPoint(c.column, c.row, index, 2, c.count), c.result) << c.column << "," << c.row;
        EXPECT_EQ(index, c.index) << c.column << "," << c.row;
    }
}

// The echoes, the master characteristics and the selective-mode curves open no views from their cells.
TEST_F(GraphWindow, TablesWithoutCellViewsDisableTheirItems) {
    for (int kind : {3, 4, 18, 19, 21, 36}) {
        TForm_Graphic &w = Open(kind);
        w.Table1MouseDown(Qt::LeftButton, {5, 5}, Qt::ShiftModifier);
        EXPECT_FALSE(w.NTextWin->isEnabled()) << kind;
        EXPECT_FALSE(w.NTimeDiag->isEnabled()) << kind;
    }
}

// The selective levels' marks: none on the floor, the frequency to three decimals in the "X value" style.
TEST_F(GraphWindow, SelectiveLevelMarksLeaveTheFloorOut) {
    TForm_Graphic &w = Open(21);
    TChartSeries &s = *w.Series();
    s.Clear();
    s.AddXY(12.34567, -40);
    s.AddXY(13.5, -200);
    s.SetMarks(true, TChartSeries::MarksXValue);
    EXPECT_EQ(s.MarkText(0), QStringLiteral("12.346"));
    EXPECT_EQ(s.MarkText(1), QString());
    s.SetMarks(true, TChartSeries::MarksValue);
    EXPECT_EQ(s.MarkText(0), FormatValue(-40));
    EXPECT_EQ(s.MarkText(1), QString());
    TForm_Graphic &other = Open(1);
    other.Series()->Clear();
    other.Series()->AddXY(13.5, -200);
    other.Series()->SetMarks(true, TChartSeries::MarksValue);
    EXPECT_EQ(other.Series()->MarkText(0), FormatValue(-200)) << "only the selective levels leave the floor out";
}

} // namespace

namespace {

TEST_F(GraphWindow, AFirstOpeningShowsTheDefaultLook) {
    SignalKind = 5;
    TForm_Graphic &w = Open(0);
    EXPECT_EQ(w.Chart1->BackColor(), QColor(Qt::white));
    EXPECT_EQ(w.Series()->LineWidth(), 3);
    EXPECT_FALSE(w.Series()->PointerVisible());
    EXPECT_EQ(w.CursorColours[0], 0x0000FF);
    EXPECT_EQ(w.CursorColours[1], 0xFF0000);
    EXPECT_EQ(w.MaskColours[0], 0xFFFF00);
    EXPECT_EQ(w.MaskColours[1], 0x808000);
    EXPECT_EQ(w.MaskWidths[0], 1);
    EXPECT_EQ(w.CursorSet.Cursors[0], nullptr);
    // The left axis steps by the parameter's increment.
    ASSERT_NE(w.FindKindParam(), nullptr);
    EXPECT_DOUBLE_EQ(w.Chart1->LeftAxis().Increment(), w.FindKindParam()->Increment);
}

// A stored bottom range wider than the kind's on both sides comes back as the kind's range; while a
// peer analyser is linked the window always starts at the kind's full range.
TEST_F(GraphWindow, TheStoredBottomRangeGivesWayToTheKindsRange) {
    SignalKind = 1;
    FillSpectrum(1024);
    const auto reopenWith = [this](double minimum, double maximum) -> TForm_Graphic & {
        Open(1).Chart1->BottomAxis().SetMinMax(minimum, maximum);
        window.reset();
        return Open(1);
    };
    TChartAxis *bottom = &reopenWith(-100, 2000).Chart1->BottomAxis();
    EXPECT_DOUBLE_EQ(bottom->Minimum(), 0);
    EXPECT_DOUBLE_EQ(bottom->Maximum(), 1280);
    bottom = &reopenWith(-100, 400).Chart1->BottomAxis();
    EXPECT_DOUBLE_EQ(bottom->Minimum(), -100);
    EXPECT_DOUBLE_EQ(bottom->Maximum(), 400);

    DeviceSettings->PeerConnectState = 1;
    bottom = &reopenWith(100, 400).Chart1->BottomAxis();
    EXPECT_DOUBLE_EQ(bottom->Minimum(), 0);
    EXPECT_DOUBLE_EQ(bottom->Maximum(), 1280);
}

} // namespace
