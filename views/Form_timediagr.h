#pragma once

#include "engine/TimeSeries.h"
#include "views/CursorOnGraph.h"
#include "views/GraphWindowKeys.h"
#include "views/TimeLineColumns.h"

#include <QString>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class QMenu;
class TChart;
class TChartSeries;
class TFormStorage;

inline constexpr int32_t TimeDiagramUnitCount = 13; // unit codes 0..12

// What a time diagram takes from the main window, which fills it at start. Empty: never frozen.
struct TTimeDiagramHost {
    // No frames arrive (Pause is down, or the playback is suspended): scrolling redraws at once.
    std::function<bool()> DisplayFrozen;
};
extern TTimeDiagramHost TimeDiagramHost;

// The caption of the time diagram of a unit code: its unit text and "Временная диаграмма"; unitText
// takes the unit, and stays as passed for a code without one (12, the phasograms in volts).
QString TimeDiagramCaption(int32_t unitCode, QString &unitText);

// The time diagram of one unit: every time series of that unit as a line over a time axis that slides
// with the frames and keeps DTIME_SIGNAL. Lines mirror the occupied slots of its unit; closing the window
// keeps the series and their points.
class TForm_TimeDiagram : public QWidget {
    Q_OBJECT
public:
    explicit TForm_TimeDiagram(int32_t unitCode, QWidget *parent = nullptr);
    ~TForm_TimeDiagram() override;

    TChart *Chart1 = nullptr;
    QMenu *PopupMenu_Chart = nullptr;
    QMenu *Menu_Delete = nullptr;
    TFormStorage *FormStorage1 = nullptr;

    int32_t UnitCode = 0;
    double YLowest = 0, YHighest = 0, YIncrement = 0;
    double YMax = 0, YMin = 0;
    double RetainStart = 0; // the oldest time drawn
    double Now = 0;         // NowStamp of the last frame drawn
    double XIncrement = 1.0 / 86400;
    double ViewEnd = 0, ViewStart = 0;
    double Span = 0; // the visible time span, days
    int32_t CursorColours[2] = {255, 0xFF0000};

    TChartSeries *Line(int32_t slot) const;
    void AddSeries(int32_t slot);
    void RemoveSeries(int32_t slot);
    // After a frame with true (the axis slides, new points are drawn); with false everything is redrawn.
    void AppendPoints(bool newOnly);
    void InitAxes();
    void StoreYRange();
    void RestoreYRange();
    // The scale tool bar's clear command: the lines empty now, the series of this unit at the next frame.
    void ClearLines();

    void Chart1Scroll();
    void Chart1UndoZoom();
    void Chart1Click();
    void Chart1DblClick();
    void Chart1ClickLegend(QPoint globalPosition);
    void MouseWheel(int delta);
    void N_ChartPrintClick();
    // The legend menu's item of the line at lineIndex (counted among the lines in chart order).
    void DeleteLine(int lineIndex);
    void ChooseLineColour(int lineIndex);

    void FormStorage1SavePlacement();
    void FormStorage1RestorePlacement();

    // Measuring cursors over time: Enter and the arrows while the chart has the focus, limited to the
    // time retained and the unit's value range; the window's activation shows them on the tool bar.
    void FormKeyDown(int key, Qt::KeyboardModifiers shift);
    void FormActivate();
    void FormDeactivate();
    TCursorLimits CursorLimits() const;
    TCursorSet CursorSet;

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void FormCreate();
    bool Frozen() const;
    void RefillLine(int32_t slot, double columnWidth);
    void RebuildLineItems();
    // The cursor menus offer the lines to follow: built anew whenever a line comes or goes.
    void RebuildCursorMenus();
    int32_t SlotOfLine(int lineIndex) const;
    QString LineTitle(int32_t slot) const;
    // The six keys of a line's style in R9.ini, named after its title.
    void ReadLineStyle(class TCustomIniFile &ini, const QString &section, int32_t slot, int defaultWidth);
    void WriteLineStyle(class TCustomIniFile &ini, const QString &section, int32_t slot) const;
    // Days per pixel column of the plot; 0 before the window has a width.
    double ColumnWidth() const;
    QString IniFileName() const;

    std::array<TChartSeries *, TimeSeriesSlotCount> Lines{};
    // Closing removes the lines before the placement is saved: the cursors are kept as they were.
    std::optional<TCursorKeys> closingCursors_[2];
    std::vector<TTimeLinePoint> line_; // refill buffer, kept between frames
};

// The factory the main window opens time diagrams with (index = unit code).
QWidget *CreateTimeDiagramWindow(int unitCode);
