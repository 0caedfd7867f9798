#include "DemoFixture.h"
#include "support/Screenshot.h"

#include "chart/Chart.h"
#include "chart/ChartSeries.h"
#include "chart/ChartlibChart.h"
#include "chartlib/Chartlib.h"
#include "engine/EngineBuffers.h"
#include "engine/MasterParam.h"
#include "engine/TimeSeries.h"
#include "engine/catalogue/MaskNameList.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "engine/catalogue/ParamDescriptor.h"
#include "engine/catalogue/ParameterTable.h"
#include "engine/catalogue/TimeDiagramAxes.h"
#include "engine/evaluation/DispatchTargets.h"
#include "engine/evaluation/PointVerdicts.h"
#include "engine/masks/MaskArray.h"
#include "engine/masks/MaskFile.h"
#include "engine/masks/MaskSlot.h"
#include "link/Emulator.h"
#include "link/Library.h"
#include "link/connection/Tr9sendgetcommand.h"
#include "platform/Clock.h"
#include "platform/IniFile.h"
#include "platform/NoValue.h"
#include "platform/ProgramDir.h"
#include "protocols/PackageWork.h"
#include "shell/WindowRegistries.h"
#include "state/MainGlobals.h"
#include "views/CursorOnGraph.h"
#include "views/Fgraph.h"
#include "views/Form_timediagr.h"
#include "views/GraphHost.h"
#include "views/Scalelabel.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPrinter>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <chrono>
#include <cmath>
#include <vector>

namespace {

// A point of a graph window's curve.
struct CurvePoint {
    double x, y;
};

std::vector<CurvePoint> CurveOf(const TForm_Graphic &window) {
    std::vector<CurvePoint> points;
    const TChartSeries &series = *window.Series();
    for (int i = 0; i < series.Count(); ++i)
        if (!series.IsNull(i))
            points.push_back({series.XValue(i), series.YValue(i)});
    return points;
}

// The program in demonstration mode with the graph windows it registers for itself (not the stand-ins
// of the other main-window tests), on a screen-sized main window.
class LiveDemoTest : public DemoWindowTest {
protected:
    void SetUp() override {
        DemoWindowTest::SetUp();
        WindowFactories.Graph = installed.Graph;
        WindowFactories.TimeDiagram = installed.TimeDiagram;
    }
    void TearDown() override {
        DemoWindowTest::TearDown();
        for (auto &side : MaskArray[spectrumSlot])
            side.reset();
        FreePointVerdicts(spectrumSlot);
    }

    TForm_Graphic *OpenGraph(TMainForm &form, int kind) {
        form.CurrentIndex = kind;
        return qobject_cast<TForm_Graphic *>(form.ShowGraphWindow());
    }

    // An upper mask over the whole band at `level` dBm0 loaded from a file of the mask folder into the
    // slot of the SIN spectrum, switched on for its parameter row, as the mask dialog leaves it.
    void LoadUpperMask(TForm_Graphic &spectrum, float level) {
        const QByteArray text = "== the tone must stay below this\r\n0 " + QByteArray::number(level) + "\r\n300 " +
                                QByteArray::number(level) + "\r\n";
        dir.write(QStringLiteral("Masks/tone.9sf"), text);
        auto mask = std::make_unique<TMASK>();
        mask->Names << QStringLiteral("tone.9sf");
        mask->Paths << dir.path(QStringLiteral("Masks/tone.9sf"));
        mask->Points = ReadMaskPoints(mask->Paths.first()).Points;
        ASSERT_EQ(mask->Count(), 2);
        MaskArray[spectrumSlot][MaskUpperSide] = std::move(mask);
        AllocPointVerdicts(spectrumSlot);
        ParamDescriptor *row = spectrum.FindKindParam();
        ASSERT_NE(row, nullptr);
        ASSERT_TRUE(row->UpperNormAllowed);
        row->Settings.Analyse = 1;
        row->Settings.ApplyUpper = 1;
        spectrum.RebindMasks(MaskUpperSide);
    }

    const int32_t spectrumSlot = MaskSlotOf(1, 1);
};

// Start in demonstration mode with the SIN generator, the oscillogram and the spectrum open, and a mask
// that the tone breaks: the windows follow the emulator's blocks and the mask marks the tone.
TEST_F(LiveDemoTest, TheGraphWindowsFollowTheEmulatorsBlocks) {
    ASSERT_TRUE(installed.Graph) << "the program registers no graph windows";
    ASSERT_TRUE(DispatchTargets().RedrawGraph) << "the dispatch redraws no graph window";
    VirtualClock fast(200000, 0);
    TMainForm &form = StartSinDemo();
    const double toneKHz = DeviceSettings->Sin.F1;
    ASSERT_GT(toneKHz, DeviceSettings->BandF0);
    ASSERT_LT(toneKHz, DeviceSettings->BandF1);
    // The oscillogram is drawn once its row is analysed, as the user switches it on in the SIN table.
    ASSERT_NE(GraphParamSettings[0][1], nullptr);
    GraphParamSettings[0][1]->Analyse = 1;

    form.Button_Start->click();
    ASSERT_TRUE(messages.empty());
    ASSERT_NE(Emulator, nullptr);
    TForm_Graphic *oscillogram = OpenGraph(form, 0);
    TForm_Graphic *spectrum = OpenGraph(form, 1);
    ASSERT_TRUE(oscillogram && spectrum);
    form.MdiArea->tileSubWindows();

    // The block as the emulator delivered it and the curves right after the main window handled it.
    std::vector<int16_t> samples;
    std::vector<CurvePoint> shown;
    const auto deliver = Emulator->OnAdcArray;
    Emulator->OnAdcArray = [&](TEmulator *sender, const int16_t *block, uint32_t n, uint32_t t) {
        deliver(sender, block, n, t);
        samples.assign(block, block + n);
        shown = CurveOf(*oscillogram);
        ++blocks;
    };
    RunBlocks(10);
    ASSERT_EQ(SignalKind, 1);
    // The user loads a mask while the measurement runs.
    LoadUpperMask(*spectrum, -20);
    RunBlocks(2);
    const std::vector<CurvePoint> first = shown;
    const QImage before = oscillogram->grab().toImage();
    RunBlocks(3);
    const QImage after = oscillogram->grab().toImage();
    ASSERT_FALSE(shown.empty());
    EXPECT_FALSE(oscillogram->Series()->Count() == 0);

    // The engine holds the block just delivered, in one scale throughout, and every point of the
    // oscillogram is one of its samples: the drawing keeps the lowest and highest sample of each pixel at
    // the pixel's first sample time.
    const TEngineBuffers &b = EngineBuffers;
    ASSERT_EQ(int32_t(samples.size()), DeviceSettings->AdcSize);
    double scale = 0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (samples[i] == 0)
            continue;
        if (scale == 0)
            scale = b.SampleVolts[i] / samples[i];
        ASSERT_NEAR(b.SampleVolts[i], scale * samples[i], std::abs(scale) * 1e-3) << "sample " << i;
    }
    ASSERT_NE(scale, 0);
    const double step = b.SampleTimeAxis[1] - b.SampleTimeAxis[0];
    const auto span = std::size_t(std::ceil(double(samples.size()) / oscillogram->Chart1->ChartWidth())) + 1;
    for (const CurvePoint &p : shown) {
        const auto first = std::size_t(std::lround((p.x - b.SampleTimeAxis[0]) / step));
        ASSERT_LT(first, samples.size());
        ASSERT_DOUBLE_EQ(p.x, b.SampleTimeAxis[first]);
        bool found = false;
        for (std::size_t j = first; !found && j < std::min(samples.size(), first + span); ++j)
            found = std::abs(p.y - scale * samples[j]) <= std::abs(scale) * 1e-3;
        ASSERT_TRUE(found) << "no sample of " << p.y << " V near " << p.x << " us";
    }
    // The curve moved from one block to the next.
    bool moved = first.size() != shown.size();
    for (std::size_t i = 0; !moved && i < shown.size(); ++i)
        moved = first[i].y != shown[i].y;
    EXPECT_TRUE(moved);
    EXPECT_NE(before, after);

    // The spectrum's highest point lies at the generator's frequency.
    const std::vector<CurvePoint> spectral = CurveOf(*spectrum);
    ASSERT_FALSE(spectral.empty());
    const CurvePoint peak = *std::max_element(spectral.begin(), spectral.end(),
                                              [](const CurvePoint &a, const CurvePoint &c) { return a.y < c.y; });
    int32_t top = 1;
    for (int32_t i = 1; i < b.DisplayPointCount; ++i)
        if (b.PowerSpectrum[i] > b.PowerSpectrum[top])
            top = i;
    EXPECT_NEAR(b.FrequencyAxis[top], toneKHz, DeviceSettings->SpectrumStep);
    // The drawing keeps each pixel's highest bin at the pixel's first bin.
    const TChartAxis &bottom = spectrum->Chart1->BottomAxis();
    const double pixel = (bottom.Maximum() - bottom.Minimum()) / spectrum->Chart1->ChartWidth();
    EXPECT_NEAR(peak.x, toneKHz, pixel + DeviceSettings->SpectrumStep);
    EXPECT_FLOAT_EQ(peak.y, b.PowerSpectrum[top]);

    // The tone breaks the mask: its points are marked, the floor's are not, and the label turns the
    // mask's colour.
    const TMASK *mask = MaskArray[spectrumSlot][MaskUpperSide].get();
    ASSERT_TRUE(mask && mask->Active);
    EXPECT_EQ(mask->Passed, 0);
    int violated = 0, passed = 0;
    for (int32_t i = 1; i < b.DisplayPointCount; ++i) {
        const bool above = b.PowerSpectrum[i] >= -20 && b.FrequencyAxis[i] >= DeviceSettings->BandF0 &&
                           b.FrequencyAxis[i] <= DeviceSettings->BandF1;
        const uint8_t verdict = PointVerdictAt(spectrumSlot, i - 1);
        ASSERT_EQ(verdict, above ? 0 : 1) << "point " << i << " at " << b.FrequencyAxis[i] << " kHz";
        (above ? violated : passed)++;
    }
    EXPECT_GT(violated, 0);
    EXPECT_GT(passed, violated);
    EXPECT_TRUE(spectrum->Label_TopMask->isVisible());
    EXPECT_TRUE(spectrum->Label_TopMask->text().contains(QStringLiteral("tone.9sf")));
    EXPECT_EQ(spectrum->Label_TopMask->palette().color(QPalette::Window), WinColor(mask->Colour));

    // Two pictures a moment apart, for a look at the live road.
    SaveScreenshot(form, QStringLiteral("live1"));
    RunBlocks(20);
    SaveScreenshot(form, QStringLiteral("live2"));
    EXPECT_TRUE(form.StopMeasurement(QString(), false));
}

// A big-digit window of the SIN level as a child of the main window: it shows the level of every judged
// block, comes up from its Window-menu item, and its close takes the item, the registry slot and the row's
// switch with it.
TEST_F(LiveDemoTest, AValueWindowFollowsTheLevel) {
    ASSERT_TRUE(DispatchTargets().UpdateValueWindows) << "the dispatch updates no value window";
    VirtualClock fast(200000, 0);
    TMainForm &form = StartSinDemo();
    ParamDescriptor &level = ParameterTableOf(1).Rows[3];
    ASSERT_EQ(QString::fromUtf8(level.Caption), QStringLiteral("Сигнал,дБм0\n"));
    level.Settings.Analyse = 1;
    level.Settings.TextWindow = 1;
    ASSERT_TRUE(ShowParamScaleLabel(QStringLiteral("SIN:") + QString::fromUtf8(level.Caption), 1, 3));
    auto *window = qobject_cast<TFormScaleLabel *>(ScaleLabelWindows[9].data());
    ASSERT_NE(window, nullptr);
    QPointer<QMdiSubWindow> sub = qobject_cast<QMdiSubWindow *>(window->parentWidget());
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(sub->mdiArea(), form.MdiArea);
    EXPECT_EQ(window->Label2->text(), QStringLiteral("Не измеряется"));
    EXPECT_LE(sub->width(), form.MdiArea->width());

    form.Button_Start->click();
    ASSERT_TRUE(messages.empty());
    ASSERT_NE(Emulator, nullptr);
    // After each SIN block the window shows the row's value as the evaluation left it.
    int sinBlocks = 0;
    const auto deliver = Emulator->OnAdcArray;
    Emulator->OnAdcArray = [&](TEmulator *sender, const int16_t *block, uint32_t n, uint32_t t) {
        deliver(sender, block, n, t);
        ++blocks;
        if (SignalKind != 1)
            return;
        ++sinBlocks;
        ASSERT_NE(level.Result.Value, NoValue);
        EXPECT_EQ(window->Label2->text(), FormatValue(level.Result.Value)) << blocks;
    };
    RunBlocks(12);
    EXPECT_GT(sinBlocks, 5);
    SaveScreenshot(form, QStringLiteral("live_value_window"));

    // A double click files the value in Report/Temp<n>/, or in the result folder while a batch runs.
    const QString stem = QFileInfo(window->ValueFileName()).fileName();
    EXPECT_TRUE(stem.startsWith(QStringLiteral("SIN=Сигнал,дБм0"))) << stem.toStdString();
    window->FormDblClick();
    EXPECT_TRUE(QFileInfo::exists(ReportTempFolder() + stem));
    {
        TPackageWork batch(QStringLiteral("batch.lst"));
        batch.ResultPath = QDir(ProgramDir()).filePath(QStringLiteral("Results")) + '/';
        PackageWork = &batch;
        window->FormDblClick();
        PackageWork = nullptr;
        EXPECT_TRUE(QFileInfo::exists(batch.ResultPath + stem));
    }

    // The Window menu brings the minimised window back.
    QAction *item = nullptr;
    for (QAction *candidate : form.WindowMenuItems())
        if (candidate->property("Tag").toInt() == 90)
            item = candidate;
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text(), QStringLiteral("SIN:Сигнал,дБм0 - Текстовое окно"));
    sub->showMinimized();
    form.WindowMenuItemClick(item);
    EXPECT_FALSE(sub->isMinimized());
    EXPECT_EQ(form.MdiArea->activeSubWindow(), sub.data());

    EXPECT_TRUE(form.StopMeasurement(QString(), false));
    sub->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(ScaleLabelWindows[9].isNull());
    EXPECT_TRUE(sub.isNull());
    EXPECT_EQ(level.Settings.TextWindow, 0);
    for (QAction *candidate : form.WindowMenuItems())
        EXPECT_NE(candidate->property("Tag").toInt(), 90);
}

// The chart menu of a graph window: pictures, printing, the clipboard and the background, with Pause
// held down while the file dialog is open.
TEST_F(LiveDemoTest, TheChartMenuSavesPrintsCopiesAndColours) {
    TMainForm &form = Start({QStringLiteral("/demo")});
    form.Button_Stop->setEnabled(true);
    TForm_Graphic *spectrum = OpenGraph(form, 1);
    ASSERT_NE(spectrum, nullptr);
    bool pausedInDialog = false;
    const QString picture = dir.path(QStringLiteral("Picture/spectrum.bmp"));
    const QString printed = dir.path(QStringLiteral("printed.pdf"));
    TChartDialogs dialogs;
    dialogs.askSaveFileName = [&](QWidget *, const TSaveDialogRequest &) {
        pausedInDialog = form.Button_Stop->isChecked();
        return picture;
    };
    dialogs.askPrinter = [&](QWidget *, QPrinter &printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printed);
        return true;
    };
    dialogs.askColor = [](QWidget *, const QColor &) { return QColor(Qt::darkCyan); };
    SetChartDialogs(dialogs);
    const auto trigger = [spectrum](const char *name) {
        QAction *item = spectrum->PopupMenu_Chart->findChild<QAction *>(QLatin1String(name));
        ASSERT_NE(item, nullptr) << name;
        item->trigger();
    };
    trigger("N_ChartSave");
    EXPECT_TRUE(pausedInDialog);
    EXPECT_FALSE(form.Button_Stop->isChecked());
    EXPECT_EQ(QImage(picture).size(), spectrum->Chart1->size());
    trigger("N_ChartPrint");
    EXPECT_GT(QFileInfo(printed).size(), 0);
    trigger("N_ChartCopy");
    EXPECT_EQ(QGuiApplication::clipboard()->image().size(), spectrum->Chart1->size());
    trigger("N_ColorBack");
    EXPECT_EQ(spectrum->Chart1->BackColor(), QColor(Qt::darkCyan));
    SetChartDialogs({});
}

// While blocks are measured the meter summary names their kind; choosing another maximum frequency
// takes the open graph windows to the new range at once, and so does choosing a connection type.
TEST_F(LiveDemoTest, TheGraphWindowsAndTheSummaryFollowTheChoices) {
    VirtualClock fast(200000, 0);
    TMainForm &form = StartSinDemo();
    form.Button_Start->click();
    ASSERT_NE(Emulator, nullptr);
    TForm_Graphic *oscillogram = OpenGraph(form, 0);
    TForm_Graphic *spectrum = OpenGraph(form, 1);
    ASSERT_TRUE(oscillogram && spectrum);
    form.N_TileVertClick();
    const auto deliver = Emulator->OnAdcArray;
    Emulator->OnAdcArray = [&](TEmulator *sender, const int16_t *block, uint32_t n, uint32_t t) {
        deliver(sender, block, n, t);
        ++blocks;
    };
    RunBlocks(5);
    ASSERT_EQ(SignalKind, 1);
    EXPECT_TRUE(form.ToolButton20->text().contains(QStringLiteral("\\SIN\\")))
        << form.ToolButton20->text().toStdString();
    EXPECT_FALSE(form.ToolButton20->text().contains(QStringLiteral("Нет данных!")));
    EXPECT_DOUBLE_EQ(spectrum->Chart1->BottomAxis().Maximum(), 320);
    EXPECT_DOUBLE_EQ(oscillogram->Chart1->BottomAxis().Maximum(), 3200);

    form.OpenStatusList(1);
    ASSERT_NE(form.LB1, nullptr);
    form.LB1Choose(int(form.FrequencyList.indexOf(QStringLiteral("512 кГц"))));
    EXPECT_FLOAT_EQ(DeviceSettings->MaxFrequency, 512);
    EXPECT_DOUBLE_EQ(spectrum->Chart1->BottomAxis().Maximum(), 640);
    EXPECT_DOUBLE_EQ(oscillogram->Chart1->BottomAxis().Maximum(), 1600);
    RunBlocks(5);
    SaveScreenshot(form, QStringLiteral("range512"));

    // A zoomed spectrum goes back to the full range when the connection type changes, and the generator
    // calibration starts afresh.
    spectrum->Chart1->BottomAxis().SetMinMax(10, 20);
    GenCalibrationMode = 0;
    form.CloseStatusList();
    form.OpenStatusList(2);
    ASSERT_NE(form.LB1, nullptr);
    form.LB1Choose(DeviceSettings->ConnectionType == 2 ? 3 : 2);
    EXPECT_DOUBLE_EQ(spectrum->Chart1->BottomAxis().Minimum(), 0);
    EXPECT_DOUBLE_EQ(spectrum->Chart1->BottomAxis().Maximum(), 640);
    EXPECT_EQ(GenCalibrationMode, 1);
    EXPECT_TRUE(form.StopMeasurement(QString(), false));
}

// The signal level bound to its time diagram as the parameter window binds it: the diagram opens and its
// time axis slides with the blocks, the line at the level of each block. In the spectrum's value table a
// Shift-click opens a value window of the cell's point and a Ctrl-click binds the point to a time diagram.
TEST_F(LiveDemoTest, ATimeDiagramSlidesAndTheValueTableOpensViews) {
    ASSERT_TRUE(installed.TimeDiagram) << "the program registers no time diagrams";
    VirtualClock fast(200000, 0);
    SpectrumTableMinStep = 0;
    TMainForm &form = StartSinDemo();
    ParamDescriptor &level = ParameterTableOf(1).Rows[3];
    ASSERT_EQ(QString::fromUtf8(level.Caption), QStringLiteral("Сигнал,дБм0\n"));
    level.Settings.Analyse = 1;
    level.Settings.TimeDiagram = 1;
    BindRowTimeSeries(&level, true);
    auto *diagram = qobject_cast<TForm_TimeDiagram *>(TimeDiagramWindows[std::size_t(level.UnitGroup)].data());
    ASSERT_NE(diagram, nullptr);
    EXPECT_EQ(diagram->windowTitle(), QStringLiteral("дБм0 Временная диаграмма"));
    ASSERT_NE(diagram->Line(29), nullptr);

    form.Button_Start->click();
    ASSERT_TRUE(messages.empty());
    ASSERT_NE(Emulator, nullptr);
    const auto deliver = Emulator->OnAdcArray;
    Emulator->OnAdcArray = [&](TEmulator *sender, const int16_t *block, uint32_t n, uint32_t t) {
        deliver(sender, block, n, t);
        ++blocks;
    };
    RunBlocks(10);
    ASSERT_EQ(SignalKind, 1);
    const double end = diagram->Chart1->BottomAxis().Maximum();
    RunBlocks(20);
    const TChartAxis &bottom = diagram->Chart1->BottomAxis();
    EXPECT_GT(bottom.Maximum(), end) << "the time axis does not slide";
    EXPECT_DOUBLE_EQ(bottom.Maximum(), NowStamp);
    EXPECT_NEAR(bottom.Maximum() - bottom.Minimum(), diagram->Span, 1e-9);
    const TimeSeries &series = *TimeSeriesSlots[29];
    ASSERT_GT(series.Count(), 1);
    for (const TimePoint &point : series.Points)
        ASSERT_LE(point.Time, NowStamp);
    // A run of equal values (at the shown precision) is one point that moves along with the frames.
    EXPECT_EQ(RoundToPrecision(series.Points.back().Value), RoundToPrecision(level.Result.Value));
    const TChartSeries &line = *diagram->Line(29);
    ASSERT_GT(line.Count(), 0);
    EXPECT_EQ(RoundToPrecision(line.YValue(line.Count() - 1)), RoundToPrecision(level.Result.Value));

    // The spectrum's value table: the value cell of its tenth point.
    TForm_Graphic *spectrum = OpenGraph(form, 1);
    ASSERT_NE(spectrum, nullptr);
    ParamDescriptor *spectrumRow = spectrum->FindKindParam();
    ASSERT_NE(spectrumRow, nullptr);
    spectrumRow->Settings.Analyse = 1;
    form.MdiArea->tileSubWindows();
    RunBlocks(3);
    ASSERT_TRUE(spectrum->Table1->isVisible());
    const QModelIndex cell = spectrum->Table1->model()->index(9, 1);
    spectrum->Table1->scrollTo(cell);
    const QPoint at = spectrum->Table1->visualRect(cell).center();
    QTest::mouseClick(spectrum->Table1->viewport(), Qt::LeftButton, Qt::ShiftModifier, at);
    auto *valueWindow = qobject_cast<TFormScaleLabel *>(ScaleLabelWindows[9].data());
    ASSERT_NE(valueWindow, nullptr) << "a Shift-click opens no value window";
    EXPECT_EQ(valueWindow->FormIndexPar, 1);
    EXPECT_EQ(valueWindow->IndexValue, 9);
    QTest::mouseClick(spectrum->Table1->viewport(), Qt::LeftButton, Qt::ControlModifier, at);
    int pointSlot = -1;
    for (int slot = 0; slot < TimeSeriesSlotCount; ++slot)
        if (TimeSeriesSlots[std::size_t(slot)] && TimeSeriesSlots[std::size_t(slot)]->GraphKind == 1)
            pointSlot = slot;
    ASSERT_EQ(pointSlot, 28) << "a Ctrl-click binds no time series";
    auto *pointDiagram =
        qobject_cast<TForm_TimeDiagram *>(TimeDiagramWindows[std::size_t(spectrumRow->UnitGroup)].data());
    ASSERT_NE(pointDiagram, nullptr);
    ASSERT_NE(pointDiagram->Line(pointSlot), nullptr);
    EXPECT_TRUE(pointDiagram->Line(pointSlot)->Title().startsWith(QStringLiteral("Сел.уровни,дБм0 ")));
    RunBlocks(5);
    EXPECT_GT(TimeSeriesSlots[std::size_t(pointSlot)]->Count(), 0);
    EXPECT_NE(valueWindow->Label2->text(), QStringLiteral("Не измеряется"));
    // The user scrolls the diagram to the level and looks at it full size.
    diagram->Chart1->LeftAxis().SetMinMax(level.Result.Value - 20, level.Result.Value + 10);
    QMdiSubWindow *frame = form.SubWindowOf(diagram);
    ASSERT_NE(frame, nullptr);
    frame->showMaximized();
    QApplication::processEvents();
    // Zoomed to the last ten seconds, the diagram keeps that span while it slides.
    const double second = 1.0 / 86400;
    diagram->Chart1->BottomAxis().SetMinMax(NowStamp - 10 * second, NowStamp);
    diagram->Chart1Scroll();
    EXPECT_NEAR(diagram->Span, 10 * second, 1e-9);
    RunBlocks(30);
    EXPECT_DOUBLE_EQ(bottom.Maximum(), NowStamp);
    EXPECT_NEAR(bottom.Maximum() - bottom.Minimum(), 10 * second, 1e-9);
    SaveScreenshot(*diagram, QStringLiteral("time_diagram"));
    SaveScreenshot(form, QStringLiteral("time_diagram_main"));

    // The scale tool bar acts on the active diagram: automatic Y takes the range of all its lines with a
    // tenth of margin and is what a reopened diagram of the unit starts with; Clear empties the lines now
    // and the unit's series at the next frame.
    form.MdiArea->setActiveSubWindow(frame);
    form.findChild<QToolButton *>(QStringLiteral("Tlb_AutoY"))->click();
    double top = -1e9, low = 1e9;
    for (const TChartSeries *line : DataSeries(diagram->CursorSet))
        for (int i = 0; i < line->Count(); ++i)
            if (!line->IsNull(i)) {
                top = std::max(top, line->YValue(i));
                low = std::min(low, line->YValue(i));
            }
    ASSERT_GT(top, low);
    const TChartAxis &left = diagram->Chart1->LeftAxis();
    EXPECT_NEAR(left.Maximum(), top + 0.1 * (top - low), 1e-6);
    EXPECT_NEAR(left.Minimum(), low - 0.1 * (top - low), 1e-6);
    EXPECT_FLOAT_EQ(TimeDiagramAxes[std::size_t(level.UnitGroup)].YMax, float(left.Maximum()));
    form.findChild<QToolButton *>(QStringLiteral("Tlb_ClearAll"))->click();
    EXPECT_EQ(diagram->Line(29)->Count(), 0);
    EXPECT_EQ(TimeSeriesClearRequest.Flag, 1);
    EXPECT_EQ(TimeSeriesClearRequest.UnitCode, level.UnitGroup);
    RunBlocks(1);
    EXPECT_EQ(TimeSeriesClearRequest.Flag, 0);
    EXPECT_LE(series.Count(), 1) << "the series of the unit were not emptied";

    // The time-diagram menu opens the diagram of its unit, empty while no series of that unit exists.
    form.Menu_TimeDiag->actions().first()->trigger();
    auto *decibels = qobject_cast<TForm_TimeDiagram *>(TimeDiagramWindows[0].data());
    ASSERT_NE(decibels, nullptr);
    EXPECT_EQ(decibels->windowTitle(), QStringLiteral("дБ Временная диаграмма"));
    EXPECT_EQ(decibels->Chart1->SeriesCount(), 0);

    // Stop saves the open diagrams' settings, the zoomed span among them; closing the program releases
    // every series.
    EXPECT_TRUE(form.StopMeasurement(QString(), false));
    TIniFile ini(form.IniFileName);
    EXPECT_NEAR(ini.ReadFloat(diagram->windowTitle(), QStringLiteral("DTIME_SIGNAL"), 0), 10 * second, 1e-9);
    bool canClose = true;
    form.FormCloseQuery(canClose);
    EXPECT_TRUE(canClose);
    for (const std::unique_ptr<TimeSeries> &slot : TimeSeriesSlots)
        EXPECT_FALSE(slot);
    level.Settings.TimeDiagram = 0;
}

// The spectrum of the running demonstration: the current curve becomes the upper mask, raised to half
// its levels and shifted to the right, so that the tone now breaks it and its points are marked; the measuring
// cursor on the curve reads the tone's frequency and level; the scale tool bar zooms and undoes.
TEST_F(LiveDemoTest, AMaskFromTheCurveCursorsAndTheScaleBar) {
    VirtualClock fast(200000, 0);
    TMainForm &form = StartSinDemo();
    DeviceSettings->Sin.F1 = 30;
    // Every level below 0 dBm0, so that a scale below 100 % raises the whole mask.
    DeviceSettings->MeterRef = 40;
    DeviceSettings->BandF0 = 0.3f;
    DeviceSettings->BandF1 = 100;
    // With no window open the scale buttons do nothing.
    QToolButton *zoom = form.findChild<QToolButton *>(QStringLiteral("Zoom_ToolButton"));
    QToolButton *restore = form.findChild<QToolButton *>(QStringLiteral("Restore_ToolButton"));
    ASSERT_TRUE(zoom && restore);
    zoom->click();

    form.Button_Start->click();
    ASSERT_TRUE(messages.empty());
    ASSERT_NE(Emulator, nullptr);
    TForm_Graphic *spectrum = OpenGraph(form, 1);
    ASSERT_NE(spectrum, nullptr);
    QMdiSubWindow *sub = qobject_cast<QMdiSubWindow *>(spectrum->parentWidget());
    ASSERT_NE(sub, nullptr);
    sub->showMaximized();
    const auto deliver = Emulator->OnAdcArray;
    Emulator->OnAdcArray = [&](TEmulator *sender, const int16_t *block, uint32_t n, uint32_t t) {
        deliver(sender, block, n, t);
        ++blocks;
    };
    RunBlocks(10);
    ASSERT_EQ(SignalKind, 1);
    // A maximised graph window fills the client area in a normal frame.
    EXPECT_FALSE(sub->isMaximized());
    EXPECT_EQ(sub->geometry(), form.MdiArea->viewport()->rect());

    // "Установить график как маску сверху" with the row analysed.
    ParamDescriptor *row = spectrum->FindKindParam();
    ASSERT_NE(row, nullptr);
    row->Settings.Analyse = 1;
    TChartDialogs dialogs;
    const QString maskPath = dir.path(QStringLiteral("Masks/curve.9sf"));
    dialogs.askSaveFileName = [&](QWidget *, const TSaveDialogRequest &) { return maskPath; };
    SetChartDialogs(dialogs);
    spectrum->PopupMenu_ChartPopup();
    ASSERT_TRUE(spectrum->N_SetAsMaskUp->isEnabled());
    spectrum->N_SetAsMaskUp->trigger();
    SetChartDialogs({});
    TMASK *mask = spectrum->BoundMask(MaskUpperSide);
    ASSERT_NE(mask, nullptr);
    ASSERT_TRUE(mask->Active);
    EXPECT_EQ(MaskNameList.value(row->Settings.UpperMaskName), QStringLiteral("curve.9sf;"));

    // The tone's display point, and the verdicts of the points of the band.
    const TEngineBuffers &b = EngineBuffers;
    int32_t tone = 1;
    for (int32_t i = 1; i < b.DisplayPointCount; ++i)
        if (b.PowerSpectrum[i] > b.PowerSpectrum[tone])
            tone = i;
    ASSERT_NEAR(b.FrequencyAxis[tone], 30, 2 * DeviceSettings->SpectrumStep);
    ASSERT_LT(b.PowerSpectrum[tone], 0) << "a tone above 0 dBm0 would not be raised by the scale";
    const auto violations = [&] {
        int count = 0;
        for (int32_t i = 0; i < b.DisplayPointCount; ++i)
            count += PointVerdictAt(spectrumSlot, i) == 0 ? 1 : 0;
        return count;
    };

    // At half its levels the mask lies far above the noise floor and above the tone.
    spectrum->Edit_ScaleMask->setValue(50);
    RunBlocks(3);
    EXPECT_EQ(violations(), 0);
    EXPECT_EQ(mask->Passed, 1);

    // Shifted right by 5 pixels (Shift held), the tone meets the mask's low floor and breaks it.
    spectrum->SBtn_ShiftMouseDown(1, Qt::ShiftModifier);
    spectrum->SBtn_ShiftMouseUp();
    RunBlocks(3);
    EXPECT_EQ(PointVerdictAt(spectrumSlot, tone - 1), 0);
    EXPECT_GT(violations(), 0);
    EXPECT_LT(violations(), 20);
    EXPECT_EQ(mask->Passed, 0);
    EXPECT_EQ(spectrum->Label_TopMask->palette().color(QPalette::Window), WinColor(mask->Colour));

    // Cursor 1 on the curve, moved by the arrow keys onto the tone, reads its frequency and level.
    form.MdiArea->setActiveSubWindow(sub);
    spectrum->Chart1Click();
    spectrum->FormKeyDown(13, Qt::NoModifier);
    TCursorOnGraph *cursor = spectrum->CursorSet.Cursors[0];
    ASSERT_NE(cursor, nullptr);
    for (QAction *item : spectrum->CursorSet.CursorMenus[0]->actions())
        if (item->property("Tag").toInt() == 4)
            item->trigger();
    ASSERT_TRUE(cursor->BindToSeries);
    const TChartAxis &bottom = spectrum->Chart1->BottomAxis();
    const double pixel = (bottom.Maximum() - bottom.Minimum()) / spectrum->Chart1->ChartWidth();
    for (int i = 0; i < 2000 && cursor->Ps_x < b.FrequencyAxis[tone] - pixel / 2; ++i)
        spectrum->FormKeyDown(39, Qt::NoModifier);
    RunBlocks(1);
    EXPECT_NEAR(cursor->Ps_x, b.FrequencyAxis[tone], pixel);
    EXPECT_NEAR(cursor->Ps_y, b.PowerSpectrum[tone], 0.5);
    EXPECT_EQ(form.Label_Curs1->text(), QStringLiteral("X = ") + FormatValue(cursor->Ps_x) + QStringLiteral("\nY = ") +
                                            FormatValue(cursor->Ps_y));
    EXPECT_EQ(form.Button_Curs1->property("ImageIndex").toInt(), CursorImage1Selected);
    form.PageControl1->setCurrentWidget(form.ToolBar_Cursor->parentWidget());
    SaveScreenshot(form, QStringLiteral("live_mask_cursor"));
    form.PageControl1->setCurrentWidget(form.ToolBar_Scale->parentWidget());

    // Zoom in from the tool bar, then undo.
    const double span = bottom.Maximum() - bottom.Minimum();
    zoom->click();
    EXPECT_NEAR(bottom.Maximum() - bottom.Minimum(), span / 1.2, 2 * pixel);
    RunBlocks(1);
    SaveScreenshot(form, QStringLiteral("live_zoomed"));
    restore->click();
    EXPECT_DOUBLE_EQ(bottom.Minimum(), spectrum->FullXMin);
    EXPECT_DOUBLE_EQ(bottom.Maximum(), spectrum->FullXMax);
    EXPECT_DOUBLE_EQ(spectrum->Chart1->LeftAxis().Minimum(), spectrum->YMin);
    EXPECT_DOUBLE_EQ(spectrum->Chart1->LeftAxis().Maximum(), spectrum->YMax);
    EXPECT_FLOAT_EQ(row->Settings.YScaleMax, float(spectrum->YMax));
    // Automatic Y takes the curve's range with a tenth of margin.
    form.findChild<QToolButton *>(QStringLiteral("Tlb_AutoY"))->click();
    const TChartAxis &left = spectrum->Chart1->LeftAxis();
    EXPECT_GT(left.Maximum(), b.PowerSpectrum[tone]);
    EXPECT_LT(left.Maximum(), b.PowerSpectrum[tone] + 0.2 * (left.Maximum() - left.Minimum()));
    EXPECT_TRUE(form.StopMeasurement(QString(), false));
    row->Settings.UpperMaskName = -1;
    row->Settings.ApplyUpper = 0;
}

// Clearing the frequency master's window starts its characteristic afresh.
TEST_F(LiveDemoTest, ClearingTheMasterWindowRecreatesItsPointList) {
    TMainForm &form = Start({QStringLiteral("/demo")});
    TForm_Graphic *master = OpenGraph(form, 18);
    ASSERT_NE(master, nullptr);
    form.MdiArea->setActiveSubWindow(qobject_cast<QMdiSubWindow *>(master->parentWidget()));
    ASSERT_EQ(FreqMasterParam, nullptr);
    form.findChild<QToolButton *>(QStringLiteral("Tlb_ClearAll"))->click();
    ASSERT_NE(FreqMasterParam, nullptr);
    EXPECT_TRUE(FreqMasterParam->Points.empty());
    EXPECT_GE(PointVerdictSize(20), 0);
    DeleteMasterParams();
    FreePointVerdicts(20);
}

} // namespace
