#pragma once

#include <QLabel>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QToolButton>

#include <cstdint>
#include <functional>
#include <vector>

class QAction;
class QMenu;
class QWidget;
class TChart;
class TChartAxis;
class TChartSeries;

// The main window's cursor tool bar, which shows the cursors of the active chart window. The buttons'
// "ImageIndex" is the selection the arrow keys follow: 25 cursor 1 selected (23 not), 26 cursor 2
// selected (24 not). Registered by the main window; empty members (tests, or once the main window is
// gone) leave the selection to the cursors' own ActiveCursor flags.
struct TCursorBar {
    QPointer<QToolButton> Button_Curs1;
    QPointer<QToolButton> Button_Curs2;
    QPointer<QLabel> Label_Curs1;
    QPointer<QLabel> Label_Curs2;
    QPointer<QLabel> Label_DelCurs;
    // Whether the window is the main window's active child; empty counts every window as active.
    std::function<bool(const QWidget *window)> IsActiveChild;
};
extern TCursorBar CursorBar;

// The Tags of a cursor menu's items: its colour, the left axis, the data series from TagFirstSeries on,
// and the binding of cursor 2 to cursor 1 ("Окно Х") or of cursor 1 to the selective frequency.
inline constexpr int TagColour = 1, TagAxisY = 2, TagFirstSeries = 4, TagWindowX = 100, TagSampleX = 101;

inline constexpr int CursorImage1 = 23, CursorImage1Selected = 25;
inline constexpr int CursorImage2 = 24, CursorImage2Selected = 26;

// A measuring cross-hair on a chart: a vertical and a horizontal line through its point, drawn as a line
// series of its own.
class TCursorOnGraph {
public:
    // Placed at the mouse position (chart coordinates); dateTimeX for a bottom axis of date-times.
    TCursorOnGraph(TChart &chart, int32_t colour, QPoint mouse, bool dateTimeX);
    ~TCursorOnGraph();
    TCursorOnGraph(const TCursorOnGraph &) = delete;
    TCursorOnGraph &operator=(const TCursorOnGraph &) = delete;

    double Ps_x = 0, Ps_y = 0;    // axis values
    int32_t Pxs_x = 0, Pxs_y = 0; // chart pixels
    uint8_t BindToSeries = 0;     // Y follows BindSeries
    uint8_t BindToCursor1 = 0;    // cursor 2: moves with cursor 1 ("Окно Х")
    uint8_t BindCursorToX = 0;    // cursor 1: X follows the selective frequency ("Отсчет Х")
    uint8_t ActiveCursor = 0;     // the selected cursor
    double BindCursor_delta = 0;  // X of cursor 1 minus X of cursor 2 when "Окно Х" was switched on
    TChartSeries *Line = nullptr;
    TChartSeries *BindSeries = nullptr;
    TChart *Chart = nullptr;
    TChartAxis *VertAxis = nullptr;
    TChartAxis *BottomAxis = nullptr;
    bool DateTimeX = false;

    void PlaceAtMouse(QPoint mouse);
    void DrawCursor();
    void UpdateCursorFromPixels();
    void UpdateCursorFromValues();
    // Arrow keys 37..40: 10 pixels with Shift, else 30 with Ctrl, else 1; then kept inside the limits.
    void MoveCursorByKey(int key, Qt::KeyboardModifiers shift, double xMin, double xMax, double yMin, double yMax,
                         double rightMin, double rightMax);

private:
    void FollowSeries();
};

// The limits a cursor may not leave: the kind's X range and the value range of its vertical axis.
struct TCursorLimits {
    double XMin = 0, XMax = 0, YMin = 0, YMax = 0, RightMin = 0, RightMax = 0;
};

// The cursors of one chart window with their menus on the tool buttons; the window owns it.
struct TCursorSet {
    QWidget *Window = nullptr;
    TChart *Chart = nullptr;
    int32_t *Colours = nullptr; // the window's two cursor colours
    bool DateTimeX = false;
    TCursorOnGraph *Cursors[2] = {nullptr, nullptr};
    QMenu *CursorMenus[2] = {nullptr, nullptr};

    ~TCursorSet();
    bool Both() const { return Cursors[0] && Cursors[1]; }
    bool IsCursorLine(const TChartSeries *series) const;
};

// The chart's series that are not cursor lines, in their order.
std::vector<TChartSeries *> DataSeries(const TCursorSet &set);

// Enter creates cursor 1, then cursor 2, then removes both; arrows move the selected cursor.
void CursorKey(TCursorSet &set, int key, Qt::KeyboardModifiers shift, const TCursorLimits &limits);
void ShowCursorReadouts(const TCursorSet &set);
void RefreshCursors(TCursorSet &set);
void ActivateCursors(TCursorSet &set);
void RememberActiveCursor(TCursorSet &set);
void DetachCursorMenus(TCursorSet &set);
void BuildCursorMenu(TCursorSet &set, int which);
void CursorMenuClick(TCursorSet &set, QAction *item);
void SetBoundCursorX(TCursorSet &set, double x);
// The check mark of the first item of a cursor menu with the Tag.
void CheckPopupItem(QMenu *menu, int tag, bool checked);
// A restored cursor follows the data series of that title (menu item 4 on), or none when no series has
// it; the menu's check marks show the choice.
void BindCursorToSeriesTitle(TCursorSet &set, int which, const QString &title);
// Shows the selection of the cursors on the tool buttons.
void ShowCursorSelection(const TCursorSet &set);
// Both cursors and their menus go (window close).
void RemoveCursors(TCursorSet &set);

// The readout texts: "X = ..\nY = .." and "DX = ..\nDY = .."; date-times as hh:mm:ss.zzz.
QString CursorReadout(const TCursorOnGraph &cursor);
QString CursorDifference(const TCursorOnGraph &first, const TCursorOnGraph &second);

// The key code of the cursor handler for a Qt key: 13 Enter, 37..40 the arrows, 0 for any other.
int CursorVirtualKey(int qtKey);
