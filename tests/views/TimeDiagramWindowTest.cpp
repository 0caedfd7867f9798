#include "views/Form_timediagr.h"

#include "chart/Chart.h"
#include "chart/ChartSeries.h"
#include "controls/Placemnt.h"
#include "engine/EngineBuffers.h"
#include "engine/TimeSeries.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "engine/catalogue/ParameterTable.h"
#include "engine/catalogue/TimeDiagramAxes.h"
#include "platform/IniFile.h"
#include "platform/MessageService.h"
#include "platform/NoValue.h"
#include "support/Screenshot.h"
#include "support/TempProgramDir.h"
#include "views/CursorOnGraph.h"
#include "views/GraphHost.h"
#include "views/Scalelabel.h"

#include <gtest/gtest.h>
#include <qcustomplot.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QPointer>
#include <QTest>

#include <array>
#include <memory>

namespace {

constexpr int32_t SignalId = 2; // "Сигнал,дБм0", in six of the seven tables
constexpr double Second = 1.0 / 86400;

// A program folder with its R9.ini, the catalogue, no series, and the time diagrams registered as the
// main window registers them: a binding adds a line to the open diagram of its unit or opens one.
class TimeDiagramTest : public ::testing::Test {
protected:
    void SetUp() override {
        BuildParamCatalogue();
        ReleaseAllTimeSeries();
        DTIME_SIGNAL = DefaultTimeSpan;
        NowStamp = 46000.5;
        GraphHost.IniFileName = [this] { return dir.path(QStringLiteral("R9.ini")); };
        TTimeSeriesViews &views = TimeSeriesViews();
        views.ShowSeries = [this](int32_t unit, int32_t slot) {
            if (windows[std::size_t(unit)])
                windows[std::size_t(unit)]->AddSeries(slot);
            else
                windows[std::size_t(unit)] = new TForm_TimeDiagram(unit);
        };
        views.RemoveSeries = [this](int32_t unit, int32_t slot) {
            if (windows[std::size_t(unit)])
                windows[std::size_t(unit)]->RemoveSeries(slot);
        };
        SetMessageBoxHandler([this](const MessageRequest &request) {
            messages.push_back(request.text);
            return int(IdOk);
        });
    }
    void TearDown() override {
        for (QPointer<TForm_TimeDiagram> &window : windows)
            delete window.data();
        ReleaseAllTimeSeries();
        TimeSeriesViews() = {};
        GraphHost = {};
        ScaleLabelHost = {};
        SetMessageBoxHandler({});
        NowStamp = 0;
    }

    static ParamDescriptor &Row(int32_t kind, int16_t id) {
        const ParameterTable table = ParameterTableOf(kind);
        for (int32_t i = 0; i < table.RowCount; ++i)
            if (table.Rows[i].ParamId == id)
                return table.Rows[i];
        return table.Rows[0];
    }
    // The SIN signal level bound as the parameter window binds it, with `value` measured.
    TForm_TimeDiagram &BindSignal(float value) {
        ParamDescriptor &row = Row(1, SignalId);
        row.Settings.Analyse = 1;
        row.Settings.TimeDiagram = 1;
        row.Result.Value = value;
        BindRowTimeSeries(&row, true);
        EXPECT_TRUE(windows[std::size_t(row.UnitGroup)]);
        return *windows[std::size_t(row.UnitGroup)];
    }
    // One frame: the clock moves on, the series take their points and the diagrams draw them.
    void Frame(double seconds, float value) {
        NowStamp += seconds * Second;
        Row(1, SignalId).Result.Value = value;
        AppendFrameToTimeSeries(1);
        for (QPointer<TForm_TimeDiagram> &window : windows)
            if (window)
                window->AppendPoints(true);
    }
    // Shown at a fixed size and drawn once, so that the plot has its width.
    static void ShowLaidOut(TForm_TimeDiagram &window) {
        window.resize(600, 300);
        window.show();
        QApplication::processEvents();
        window.Chart1->Repaint();
    }
    static int Drawn(const TChartSeries &line) {
        int count = 0;
        for (int i = 0; i < line.Count(); ++i)
            count += !line.IsNull(i);
        return count;
    }

    TempProgramDir dir;
    std::array<QPointer<TForm_TimeDiagram>, TimeDiagramUnitCount> windows;
    std::vector<QString> messages;
};

TEST_F(TimeDiagramTest, CaptionsNameTheUnit) {
    QString unit;
    EXPECT_EQ(TimeDiagramCaption(1, unit), QStringLiteral("дБм0 Временная диаграмма"));
    EXPECT_EQ(unit, QStringLiteral("дБм0"));
    QString none;
    EXPECT_EQ(TimeDiagramCaption(12, none), QStringLiteral(" Временная диаграмма"));
    EXPECT_TRUE(none.isEmpty());
    TForm_TimeDiagram volts(12);
    EXPECT_EQ(volts.windowTitle(), QStringLiteral(" Временная диаграмма"));
    EXPECT_TRUE(volts.Chart1->LeftAxis().Title().isEmpty());
}

// Bound the way the parameter window binds a row, the level draws as a line on a time axis that slides
// with the frames and keeps its span.
TEST_F(TimeDiagramTest, TheBoundLevelSlidesWithTheFrames) {
    TForm_TimeDiagram &window = BindSignal(-10);
    ASSERT_NE(window.Line(29), nullptr);
    EXPECT_EQ(window.Line(29)->LineWidth(), 3);
    EXPECT_EQ(window.Line(29)->Title(), QStringLiteral("Сигнал,дБм0"));
    ShowLaidOut(window);
    for (int i = 0; i < 40; ++i)
        Frame(1, float(-10 + (i % 5)));
    const TChartAxis &bottom = window.Chart1->BottomAxis();
    EXPECT_DOUBLE_EQ(bottom.Maximum(), NowStamp);
    EXPECT_NEAR(bottom.Maximum() - bottom.Minimum(), DTIME_SIGNAL, 1e-9);
    const double end = bottom.Maximum();
    Frame(1, -8);
    EXPECT_DOUBLE_EQ(window.Chart1->BottomAxis().Maximum(), end + Second);
    EXPECT_GT(Drawn(*window.Line(29)), 10);
    EXPECT_EQ(window.Line(29)->YValue(window.Line(29)->Count() - 1), -8);
    SaveScreenshot(window, QStringLiteral("time_diagram_unit"));
}

// The frames of one turn of the event loop are drawn once, at its end.
TEST_F(TimeDiagramTest, FramesOfOneTurnAreDrawnOnceAtItsEnd) {
    TForm_TimeDiagram &window = BindSignal(-10);
    ShowLaidOut(window);
    int drawings = 0;
    QObject::connect(window.Chart1->findChild<QCustomPlot *>(), &QCustomPlot::afterReplot, [&] { ++drawings; });
    for (int i = 0; i < 3; ++i)
        Frame(1, float(-10 - i));
    EXPECT_EQ(drawings, 0);
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 50)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    EXPECT_EQ(drawings, 1);
}

TEST_F(TimeDiagramTest, WithoutAPlotWidthAppendingDrawsNothing) {
    TForm_TimeDiagram &window = BindSignal(-10);
    window.resize(0, 0);
    Frame(1, -5);
    Frame(1, -4);
    EXPECT_EQ(window.Line(29)->Count(), 0);
    EXPECT_EQ(TimeSeriesSlots[29]->HasNewPoints, 1);
}

// A new line takes width 3; a stored section without the key gives a restored line width 2. A stored
// span shorter than 1.5 s is taken for the global one.
TEST_F(TimeDiagramTest, StoredStylesAndRanges) {
    TForm_TimeDiagram &window = BindSignal(-10);
    const QString section = window.windowTitle();
    TIniFile ini(dir.path(QStringLiteral("R9.ini")));
    ini.WriteFloat(section, QStringLiteral("DTIME_SIGNAL"), 1 * Second);
    ini.WriteFloat(section, QStringLiteral("LeftAxis_Minimum"), -30);
    ini.WriteFloat(section, QStringLiteral("LeftAxis_Maximum"), 5);
    window.FormStorage1->RestoreFormPlacement();
    EXPECT_EQ(window.Line(29)->LineWidth(), 2);
    EXPECT_DOUBLE_EQ(window.Span, DTIME_SIGNAL);
    EXPECT_DOUBLE_EQ(window.Chart1->LeftAxis().Minimum(), -30);
    EXPECT_DOUBLE_EQ(window.Chart1->LeftAxis().Maximum(), 5);

    window.Line(29)->SetLineWidth(4);
    window.close();
    EXPECT_EQ(ini.ReadInteger(section, QStringLiteral("Сигнал,дБм0_Line_Width"), 0), 4);
    ASSERT_TRUE(TimeSeriesSlots[29]) << "closing the window keeps the series";
}

TEST_F(TimeDiagramTest, AReopenedWindowShowsTheSamePoints) {
    TForm_TimeDiagram &first = BindSignal(-10);
    ShowLaidOut(first);
    for (int i = 0; i < 10; ++i)
        Frame(1, float(-10 - i));
    const int drawn = Drawn(*first.Line(29));
    delete &first;
    auto reopened = std::make_unique<TForm_TimeDiagram>(Row(1, SignalId).UnitGroup);
    ShowLaidOut(*reopened);
    reopened->AppendPoints(false);
    ASSERT_NE(reopened->Line(29), nullptr);
    EXPECT_EQ(Drawn(*reopened->Line(29)), drawn);
}

// Deleting the line from the legend menu switches the diagram off in every table that has the parameter,
// the selective-mode and SYNC tables included, and frees the series however many bindings held it.
TEST_F(TimeDiagramTest, DeletingALineSwitchesItsParameterOffEverywhere) {
    int refreshes = 0;
    ScaleLabelHost.ShowParams = [&] { ++refreshes; };
    for (int32_t kind = FirstTableKind; kind <= LastTableKind; ++kind)
        Row(kind, SignalId).Settings.TimeDiagram = 1;
    TForm_TimeDiagram &window = BindSignal(-10);
    BindRowTimeSeries(&Row(1, SignalId), false);
    ASSERT_EQ(TimeSeriesSlots[29]->RefCount, 2);
    ASSERT_EQ(window.Menu_Delete->actions().size(), 1);
    window.Menu_Delete->actions().first()->trigger();
    EXPECT_FALSE(TimeSeriesSlots[29]);
    EXPECT_EQ(window.Line(29), nullptr);
    for (int32_t kind = FirstTableKind; kind <= LastTableKind; ++kind) {
        const ParamDescriptor &row = Row(kind, SignalId);
        if (row.ParamId == SignalId) {
            EXPECT_EQ(row.Settings.TimeDiagram, 0) << "table " << kind;
        }
    }
    EXPECT_EQ(refreshes, 1);
}

TEST_F(TimeDiagramTest, TheStoredRangeIsWhatAReopenedWindowShows) {
    TForm_TimeDiagram &window = BindSignal(-10);
    window.Chart1->LeftAxis().SetMinMax(-42, 3);
    window.StoreYRange();
    const int32_t unit = window.UnitCode;
    EXPECT_FLOAT_EQ(TimeDiagramAxes[unit].YMin, -42);
    EXPECT_FLOAT_EQ(TimeDiagramAxes[unit].YMax, 3);
    TForm_TimeDiagram again(unit);
    EXPECT_DOUBLE_EQ(again.Chart1->LeftAxis().Minimum(), -42);
    window.RestoreYRange();
    EXPECT_DOUBLE_EQ(window.Chart1->LeftAxis().Minimum(), window.YLowest);
    EXPECT_DOUBLE_EQ(window.Chart1->LeftAxis().Maximum(), window.YHighest);
}

TEST_F(TimeDiagramTest, ClearingEmptiesTheLinesNowAndTheSeriesAtTheNextFrame) {
    TForm_TimeDiagram &window = BindSignal(-10);
    window.resize(600, 300);
    Frame(1, -5);
    Frame(1, -4);
    window.ClearLines();
    EXPECT_EQ(window.Line(29)->Count(), 0);
    Frame(1, -3);
    EXPECT_EQ(TimeSeriesSlots[29]->Count(), 0);
}

// The measuring cursors of a time diagram: Enter makes one, the line (not the cursor's own) is offered to
// follow, the arrows move it within the time retained, and the window keeps it with the line it follows.
TEST_F(TimeDiagramTest, ACursorFollowsALineAndComesBackWithIt) {
    TForm_TimeDiagram &window = BindSignal(-10);
    ShowLaidOut(window);
    for (int i = 0; i < 20; ++i)
        Frame(1, float(-20 + i));
    QApplication::setActiveWindow(&window);
    window.Chart1->setFocus();
    QTest::keyClick(window.Chart1, Qt::Key_Return);
    TCursorOnGraph *cursor = window.CursorSet.Cursors[0];
    ASSERT_NE(cursor, nullptr);
    EXPECT_EQ(window.Menu_Delete->actions().size(), 1) << "the cursor's own line is no data line";
    QMenu *menu = window.CursorSet.CursorMenus[0];
    ASSERT_NE(menu, nullptr);
    QAction *follow = nullptr;
    for (QAction *item : menu->actions())
        if (item->text() == QStringLiteral("Сигнал,дБм0"))
            follow = item;
    ASSERT_NE(follow, nullptr) << "the cursor menu offers the line";
    follow->trigger();
    EXPECT_EQ(cursor->BindSeries, window.Line(29));

    for (int i = 0; i < 2000; ++i)
        QTest::keyClick(window.Chart1, Qt::Key_Right, Qt::ControlModifier);
    EXPECT_LE(cursor->Ps_x, window.Now + 1e-9) << "a cursor stays inside the time retained";
    EXPECT_GE(cursor->Ps_x, window.RetainStart - 1e-9);
    for (int i = 0; i < 200; ++i)
        QTest::keyClick(window.Chart1, Qt::Key_Left);
    SaveScreenshot(window, QStringLiteral("time_diagram_cursor"));

    const QString section = window.windowTitle();
    window.close();
    TIniFile ini(dir.path(QStringLiteral("R9.ini")));
    EXPECT_EQ(ini.ReadInteger(section, QStringLiteral("CurGraph0_Visible"), 0), 1);
    EXPECT_EQ(ini.ReadInteger(section, QStringLiteral("CurGraph0_BindToSeries"), 0), 1);
    EXPECT_EQ(ini.ReadString(section, QStringLiteral("CurGraph0_BindSeries"), {}), QStringLiteral("Сигнал,дБм0"));
    EXPECT_EQ(ini.ReadInteger(section, QStringLiteral("CurGraph1_Visible"), 1), 0);
    EXPECT_FALSE(ini.ValueExists(section, QStringLiteral("CurGraph0_BindToCursor1")))
        << "a time diagram keeps only the position and the line of its cursors";

    auto reopened = std::make_unique<TForm_TimeDiagram>(Row(1, SignalId).UnitGroup);
    ShowLaidOut(*reopened);
    ASSERT_NE(reopened->CursorSet.Cursors[0], nullptr);
    EXPECT_EQ(reopened->CursorSet.Cursors[0]->BindSeries, reopened->Line(29));
    EXPECT_EQ(reopened->CursorSet.Cursors[1], nullptr);
}

// Deleting the line a cursor follows leaves the cursor on the left axis, and the next line offered anew.
TEST_F(TimeDiagramTest, DeletingTheFollowedLineUnbindsTheCursor) {
    TForm_TimeDiagram &window = BindSignal(-10);
    ShowLaidOut(window);
    Frame(1, -5);
    window.FormKeyDown(13, Qt::NoModifier);
    TCursorOnGraph *cursor = window.CursorSet.Cursors[0];
    ASSERT_NE(cursor, nullptr);
    BindCursorToSeriesTitle(window.CursorSet, 0, QStringLiteral("Сигнал,дБм0"));
    cursor->BindToSeries = 1;
    ASSERT_EQ(cursor->BindSeries, window.Line(29));
    window.Menu_Delete->actions().first()->trigger();
    EXPECT_EQ(cursor->BindSeries, nullptr);
    EXPECT_EQ(cursor->BindToSeries, 0);
    EXPECT_EQ(cursor->VertAxis, &window.Chart1->LeftAxis());
    window.FormKeyDown(39, Qt::NoModifier);
    Frame(1, -4);
}

// The line's item of the chart menu opens the graph colour dialog; the colour chosen becomes the colour of
// the parameter's rows in the five measurement tables, and a line drawn without pen is stored as width 0.
TEST_F(TimeDiagramTest, TheLineColourReachesTheParameterRows) {
    TForm_TimeDiagram &window = BindSignal(-10);
    const QColor chosen(10, 200, 30);
    int dialogs = 0;
    GraphHost.EditSeriesColour = [&](QWidget *owner, int kind, TChartSeries &series) {
        ++dialogs;
        EXPECT_EQ(owner, &window);
        EXPECT_EQ(kind, window.UnitCode);
        series.SetColor(chosen);
        series.SetPenVisible(false);
        return true;
    };
    QAction *item = nullptr;
    for (QAction *action : window.PopupMenu_Chart->actions())
        if (action->property("Tag").toInt() == 0)
            item = action;
    ASSERT_NE(item, nullptr);
    item->trigger();
    EXPECT_EQ(dialogs, 1);
    const int32_t value = chosen.red() | (chosen.green() << 8) | (chosen.blue() << 16);
    EXPECT_EQ(TimeSeriesSlots[29]->Colour, value);
    for (int32_t kind = FirstTableKind; kind <= 5; ++kind)
        if (const ParamDescriptor &row = Row(kind, SignalId); row.ParamId == SignalId) {
            EXPECT_EQ(row.Settings.Colour, value) << "table " << kind;
        }
    const QString section = window.windowTitle();
    window.close();
    TIniFile ini(dir.path(QStringLiteral("R9.ini")));
    EXPECT_EQ(ini.ReadInteger(section, QStringLiteral("Сигнал,дБм0_Line_Width"), -1), 0);
    EXPECT_EQ(ini.ReadInteger(section, QStringLiteral("Сигнал,дБм0_Series_Color"), -1), value);
}

} // namespace
