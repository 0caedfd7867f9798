#include "GraphWindowFixture.h"

#include "chart/Chart.h"
#include "chartlib/Chartlib.h"
#include "engine/SyncMeasurement.h"
#include "engine/catalogue/ParamDescriptor.h"
#include "platform/DateTime.h"
#include "state/SettingsLoadState.h"
#include "support/Screenshot.h"
#include "views/CursorOnGraph.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QToolButton>

#include <cmath>
#include <memory>

namespace {

constexpr int Enter = 13, Left = 37, Up = 38, Right = 39;

// A graph window with the main window's cursor tool bar stood in by buttons and labels of its own.
class GraphCursors : public GraphWindow {
protected:
    void SetUp() override {
        GraphWindow::SetUp();
        bar = std::make_unique<QWidget>();
        CursorBar.Button_Curs1 = new QToolButton(bar.get());
        CursorBar.Button_Curs2 = new QToolButton(bar.get());
        CursorBar.Label_Curs1 = new QLabel(bar.get());
        CursorBar.Label_Curs2 = new QLabel(bar.get());
        CursorBar.Label_DelCurs = new QLabel(bar.get());
    }
    void TearDown() override {
        window.reset();
        bar.reset();
        CursorBar = {};
        GraphWindow::TearDown();
    }

    TForm_Graphic &OpenSpectrum() {
        SignalKind = 1;
        FillSpectrum(1024);
        TForm_Graphic &w = Open(1);
        w.RedrawGraph();
        return w;
    }

    static int Image(const QToolButton *button) { return button->property("ImageIndex").toInt(); }

    std::unique_ptr<QWidget> bar;
};

TEST_F(GraphCursors, EnterCyclesCursorOneThenBothThenNone) {
    TForm_Graphic &w = OpenSpectrum();
    TCursorSet &set = w.CursorSet;
    const int series = w.Chart1->SeriesCount();
    w.FormKeyDown(Enter, Qt::NoModifier);
    ASSERT_NE(set.Cursors[0], nullptr);
    EXPECT_EQ(set.Cursors[1], nullptr);
    EXPECT_EQ(set.Cursors[0]->Line->Color(), QColor(255, 0, 0));
    EXPECT_EQ(w.Chart1->SeriesCount(), series + 1);
    EXPECT_TRUE(CursorBar.Button_Curs1->isEnabled());
    EXPECT_EQ(Image(CursorBar.Button_Curs1), CursorImage1Selected);
    EXPECT_EQ(CursorBar.Button_Curs1->menu(), set.CursorMenus[0]);

    w.FormKeyDown(Enter, Qt::NoModifier);
    ASSERT_NE(set.Cursors[1], nullptr);
    EXPECT_EQ(set.Cursors[1]->Line->Color(), QColor(0, 0, 255));
    EXPECT_TRUE(set.Cursors[1]->ActiveCursor);
    EXPECT_FALSE(set.Cursors[0]->ActiveCursor);
    EXPECT_EQ(Image(CursorBar.Button_Curs2), CursorImage2Selected);
    EXPECT_EQ(Image(CursorBar.Button_Curs1), CursorImage1);
    EXPECT_TRUE(CursorBar.Label_DelCurs->text().startsWith(QStringLiteral("DX = ")));

    w.FormKeyDown(Enter, Qt::NoModifier);
    EXPECT_EQ(set.Cursors[0], nullptr);
    EXPECT_EQ(set.Cursors[1], nullptr);
    EXPECT_EQ(set.CursorMenus[0], nullptr);
    EXPECT_EQ(w.Chart1->SeriesCount(), series);
    EXPECT_FALSE(CursorBar.Button_Curs1->isEnabled());
    EXPECT_FALSE(CursorBar.Button_Curs2->isEnabled());
    EXPECT_EQ(Image(CursorBar.Button_Curs1), CursorImage1);
    EXPECT_EQ(Image(CursorBar.Button_Curs2), CursorImage2);
    EXPECT_TRUE(CursorBar.Label_Curs1->text().isEmpty());

    w.CursorColours[0] = 0x00FF00;
    w.FormKeyDown(Enter, Qt::NoModifier);
    ASSERT_NE(set.Cursors[0], nullptr);
    EXPECT_EQ(set.Cursors[1], nullptr);
    EXPECT_EQ(set.Cursors[0]->Line->Color(), QColor(0, 255, 0));
}

// An arrow moves the selected cursor 1 pixel, 30 with Ctrl and 10 with Shift (also with Ctrl held).
TEST_F(GraphCursors, ArrowStepsDependOnTheHeldKeys) {
    TForm_Graphic &w = OpenSpectrum();
    w.FormKeyDown(Enter, Qt::NoModifier);
    TCursorOnGraph &cursor = *w.CursorSet.Cursors[0];
    // Start well inside the plot.
    cursor.Ps_x = 500;
    cursor.Ps_y = -50;
    cursor.UpdateCursorFromValues();
    struct Case {
        int key;
        Qt::KeyboardModifiers held;
        int dx, dy;
    };
    const Case cases[] = {
        {Right, Qt::NoModifier, 1, 0},     {Right, Qt::ControlModifier, 30, 0},
        {Right, Qt::ShiftModifier, 10, 0}, {Left, Qt::ShiftModifier | Qt::ControlModifier, -10, 0},
        {Up, Qt::ControlModifier, 0, -30},
    };
    for (const Case &c : cases) {
        const int x = w.Chart1->BottomAxis().CalcPosValue(cursor.Ps_x);
        const int y = w.Chart1->LeftAxis().CalcPosValue(cursor.Ps_y);
        w.FormKeyDown(c.key, c.held);
        EXPECT_EQ(cursor.Pxs_x - x, c.dx) << c.key << " " << int(c.held);
        EXPECT_EQ(cursor.Pxs_y - y, c.dy) << c.key << " " << int(c.held);
        EXPECT_DOUBLE_EQ(cursor.Ps_x, w.Chart1->BottomAxis().CalcPosPoint(cursor.Pxs_x));
    }
    EXPECT_EQ(CursorBar.Label_Curs1->text(),
              QStringLiteral("X = ") + FormatValue(cursor.Ps_x) + QStringLiteral("\nY = ") + FormatValue(cursor.Ps_y));
}

// Zoomed out beyond the kind's range, a cursor still stops at the kind's X maximum.
TEST_F(GraphCursors, ACursorStopsAtTheKindsMaximumWhenZoomedOut) {
    TForm_Graphic &w = OpenSpectrum();
    ASSERT_DOUBLE_EQ(w.XMax, 1280);
    w.Chart1->BottomAxis().SetMinMax(-1000, 4000);
    w.Chart1->Repaint();
    w.FormKeyDown(Enter, Qt::NoModifier);
    TCursorOnGraph &cursor = *w.CursorSet.Cursors[0];
    for (int i = 0; i < 20; ++i)
        w.FormKeyDown(Right, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(cursor.Ps_x, 1280);
    EXPECT_NEAR(cursor.Pxs_x, w.Chart1->BottomAxis().CalcPosValue(1280), 1);
    for (int i = 0; i < 40; ++i)
        w.FormKeyDown(Left, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(cursor.Ps_x, 0);
}

// Bound to the curve through its menu, the cursor takes the Y of the nearer point, the left one at the
// midpoint, and keeps its X when the data changes.
TEST_F(GraphCursors, ACursorOnTheCurveTakesTheNearerPoint) {
    TForm_Graphic &w = OpenSpectrum();
    w.FormKeyDown(Enter, Qt::NoModifier);
    TCursorSet &set = w.CursorSet;
    QAction *curve = nullptr;
    for (QAction *item : set.CursorMenus[0]->actions())
        if (item->property("Tag").toInt() == 4)
            curve = item;
    ASSERT_NE(curve, nullptr);
    EXPECT_EQ(curve->text(), w.Series()->Title());
    curve->trigger();
    TCursorOnGraph &cursor = *set.Cursors[0];
    EXPECT_TRUE(cursor.BindToSeries);
    EXPECT_EQ(cursor.BindSeries, w.Series());
    const TChartSeries &s = *w.Series();
    int i = 1;
    while (i + 1 < s.Count() && s.YValue(i) == s.YValue(i + 1))
        ++i;
    ASSERT_LT(i + 1, s.Count());
    const double middle = (s.XValue(i) + s.XValue(i + 1)) / 2;
    cursor.Ps_x = middle;
    w.RedrawGraph();
    EXPECT_DOUBLE_EQ(cursor.Ps_x, middle);
    EXPECT_DOUBLE_EQ(cursor.Ps_y, s.YValue(i));
    cursor.Ps_x = middle + (s.XValue(i + 1) - s.XValue(i)) / 100;
    cursor.UpdateCursorFromValues();
    EXPECT_DOUBLE_EQ(cursor.Ps_y, s.YValue(i + 1));
}

TEST_F(GraphCursors, WindowXFollowsCursorOneAndNeedsIt) {
    TForm_Graphic &w = OpenSpectrum();
    w.FormKeyDown(Enter, Qt::NoModifier);
    w.FormKeyDown(Enter, Qt::NoModifier);
    TCursorSet &set = w.CursorSet;
    set.Cursors[0]->Ps_x = 400;
    set.Cursors[0]->UpdateCursorFromValues();
    set.Cursors[1]->Ps_x = 300;
    set.Cursors[1]->UpdateCursorFromValues();
    QAction *windowX = set.CursorMenus[1]->actions().last();
    ASSERT_EQ(windowX->text(), QStringLiteral("Окно Х"));
    windowX->trigger();
    EXPECT_TRUE(set.Cursors[1]->BindToCursor1);
    EXPECT_NEAR(set.Cursors[1]->BindCursor_delta, 100, 5);
    // Cursor 1 selected: an arrow moves both by the same step.
    CursorBar.Button_Curs1->setProperty("ImageIndex", CursorImage1Selected);
    CursorBar.Button_Curs2->setProperty("ImageIndex", CursorImage2);
    const int first = set.Cursors[0]->Pxs_x, second = set.Cursors[1]->Pxs_x;
    w.FormKeyDown(Right, Qt::ShiftModifier);
    EXPECT_EQ(set.Cursors[0]->Pxs_x - first, 10);
    EXPECT_EQ(set.Cursors[1]->Pxs_x - second, 10);
    EXPECT_EQ(set.CursorMenus[0]->actions().last()->text(), QStringLiteral("Отсчет Х"));
}

TEST(CursorReadouts, DateTimesShowAsTimesOfDay) {
    TChart chart;
    chart.resize(400, 300);
    chart.show();
    chart.Repaint();
    TCursorOnGraph first(chart, 255, QPoint(), true);
    TCursorOnGraph second(chart, 0xFF0000, QPoint(), true);
    TDateTime start = 0, later = 0;
    ASSERT_TRUE(TryEncodeTime(12, 34, 56, 789, start));
    ASSERT_TRUE(TryEncodeTime(12, 36, 27, 289, later));
    first.Ps_x = EncodeDate(2026, 12, 11) + start;
    first.Ps_y = 1.5;
    second.Ps_x = EncodeDate(2026, 12, 11) + later;
    second.Ps_y = 2;
    EXPECT_EQ(CursorReadout(first), QStringLiteral("X = 12:34:56.789\nY = ") + FormatValue(1.5));
    EXPECT_EQ(CursorDifference(first, second), QStringLiteral("DX = 00:01:30.500\nDY = ") + FormatValue(0.5));
    // The difference keeps its sign and does not wrap at a day.
    EXPECT_EQ(CursorDifference(second, first), QStringLiteral("DX = -00:01:30.500\nDY = ") + FormatValue(-0.5));
    second.Ps_x = first.Ps_x + 1 + 2.0 / 24 + 0.25 / 86400;
    EXPECT_TRUE(CursorDifference(first, second).startsWith(QStringLiteral("DX = 26:00:00.250\n")))
        << CursorDifference(first, second).toStdString();
    first.DateTimeX = second.DateTimeX = false;
    first.Ps_x = 10;
    second.Ps_x = 12.5;
    EXPECT_EQ(CursorDifference(first, second),
              QStringLiteral("DX = ") + FormatValue(2.5) + QStringLiteral("\nDY = ") + FormatValue(0.5));
}

// In the oscillogram of a SYNC run the fragment between the cursors is measured anew as an arrow moves
// them, unless settings are being loaded.
TEST_F(GraphCursors, ArrowsInTheSyncOscillogramMeasureTheFragmentAnew) {
    SignalKind = 7;
    DeviceSettings->SyncGenState = 2;
    SettingsLoadState = 1;
    TForm_Graphic &w = Open(0);
    w.FormKeyDown(Enter, Qt::NoModifier);
    w.FormKeyDown(Enter, Qt::NoModifier);
    ASSERT_TRUE(w.CursorSet.Both());
    w.CursorSet.Cursors[0]->Ps_x = 100;
    w.CursorSet.Cursors[1]->Ps_x = 400;
    const auto reset = [] { SyncState.FragmentFirst = SyncState.FragmentEnd = -1; };

    reset();
    SettingsLoadState = 2;
    w.FormKeyDown(Right, Qt::NoModifier);
    EXPECT_EQ(SyncState.FragmentFirst, -1);
    EXPECT_EQ(SettingsLoadState, 2);

    SettingsLoadState = 1;
    w.FormKeyDown(Enter, Qt::NoModifier); // no cursor left: Enter moves nothing
    EXPECT_EQ(SyncState.FragmentFirst, -1);
    w.FormKeyDown(Enter, Qt::NoModifier);
    w.FormKeyDown(Right, Qt::NoModifier);
    EXPECT_EQ(SyncState.FragmentFirst, -1) << "one cursor is not a fragment";
    w.FormKeyDown(Enter, Qt::NoModifier);
    w.FormKeyDown(Right, Qt::NoModifier);
    EXPECT_GE(SyncState.FragmentFirst, 0);
    const int32_t n = SyncState.FragmentEnd - SyncState.FragmentFirst;
    EXPECT_GE(n, 32);
    EXPECT_EQ(n & (n - 1), 0);
    EXPECT_EQ(SettingsLoadState, 1);

    reset();
    DeviceSettings->SyncGenState = 0;
    w.FormKeyDown(Right, Qt::NoModifier);
    EXPECT_EQ(SyncState.FragmentFirst, -1);
    OscillogramCursors = nullptr;
}

// The cursors, their bindings and the selection come back with the window.
TEST_F(GraphCursors, ReopeningTheWindowRestoresItsCursors) {
    double stored = 0;
    {
        TForm_Graphic &w = OpenSpectrum();
        w.FormKeyDown(Enter, Qt::NoModifier);
        w.FormKeyDown(Enter, Qt::NoModifier);
        TCursorSet &set = w.CursorSet;
        set.Cursors[0]->Ps_x = 400.125;
        set.Cursors[0]->UpdateCursorFromValues();
        for (QAction *item : set.CursorMenus[0]->actions())
            if (item->property("Tag").toInt() == 4)
                item->trigger();
        set.CursorMenus[1]->actions().last()->trigger(); // "Окно Х"
        w.CursorColours[1] = 0x00FF00;
        stored = set.Cursors[0]->Ps_x;
        window.reset();
    }
    TForm_Graphic &w = OpenSpectrum();
    const TCursorSet &set = w.CursorSet;
    ASSERT_TRUE(set.Both());
    EXPECT_DOUBLE_EQ(set.Cursors[0]->Ps_x, stored);
    EXPECT_NEAR(stored, 400.125, 5);
    EXPECT_TRUE(set.Cursors[0]->BindToSeries);
    EXPECT_EQ(set.Cursors[0]->BindSeries, w.Series());
    EXPECT_TRUE(set.Cursors[1]->BindToCursor1);
    EXPECT_TRUE(set.Cursors[1]->ActiveCursor);
    EXPECT_FALSE(set.Cursors[0]->ActiveCursor);
    EXPECT_EQ(Image(CursorBar.Button_Curs2), CursorImage2Selected);
    EXPECT_EQ(w.CursorColours[1], 0x00FF00);
    const auto checked = [](const QMenu *menu, int tag) {
        for (const QAction *item : menu->actions())
            if (item->property("Tag").toInt() == tag)
                return item->isChecked();
        return false;
    };
    EXPECT_TRUE(checked(set.CursorMenus[0], 4));
    EXPECT_FALSE(checked(set.CursorMenus[0], 2));
    EXPECT_TRUE(checked(set.CursorMenus[1], 100));
    SaveScreenshot(w, QStringLiteral("graph_cursors"));
}

} // namespace
