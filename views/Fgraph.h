#pragma once

#include "views/CursorOnGraph.h"
#include "views/GraphDecimation.h"
#include "views/GraphValueTable.h"

#include <QString>
#include <QStringList>
#include <QWidget>

#include <cstdint>

class QAction;
class QListWidget;
class QMenu;
class QSpinBox;
class QSplitter;
class QTimer;
class QToolButton;
class QTableView;
class QLabel;
class TChart;
class TChartSeries;
class TFormStorage;
class TMASK;
class TCursorOnGraph;
struct ParamDescriptor;

// The graph window of one graph kind (0..38): the kind's curve in a chart, its exact values in a table
// above or beside it, and the labels of the masks it is judged against. At most one window per kind,
// registered in GraphWindows[kind].
class TForm_Graphic : public QWidget {
    Q_OBJECT
public:
    TForm_Graphic(int kind, QWidget *parent = nullptr);
    ~TForm_Graphic() override;

    // Controls.
    QSplitter *Splitter1 = nullptr;
    TChart *Chart1 = nullptr;
    QTableView *Table1 = nullptr;
    QWidget *Mask_Panel = nullptr;
    QLabel *Label_TopMask = nullptr;
    QLabel *Label_DnMask = nullptr;
    QToolButton *SBtn_TopMask = nullptr; // holds the list of the upper mask's files open while pressed
    QToolButton *SBtn_DnMask = nullptr;
    QWidget *ScrollMask_Panel = nullptr;
    QToolButton *SBtn_Left = nullptr;
    QSpinBox *Edit_ScaleMask = nullptr;
    QToolButton *SBtn_Right = nullptr;
    QMenu *PopupMenu_Chart = nullptr;
    QMenu *PopupMenu_Table = nullptr;
    TFormStorage *FormStorage1 = nullptr;

    int Kind() const { return kind_; }
    TGraphValueTable &ValueTable() { return table_; }
    TChartSeries *Series() const { return series_; }
    bool HasValue() const { return hasValue_; }
    QString Caption() const { return windowTitle(); }

    // Ranges.
    void SetDefaultXRange(bool force);
    ParamDescriptor *FindKindParam() const;
    void LoadYRange();
    void RestoreYRange();
    void StoreYRange();
    void SetBottomIncrement();
    void RestoreGraphWindow();

    // Data.
    void RedrawGraph();
    void UpdateSeries(); // the series, the value table, the mask panel and the cursors from the current curve
    void CheckKindChange();
    void ResizeTable();
    TBinGeometry GetBinGeometry() const;
    void FillSeriesDecimated(const float *x, const float *y, int32_t n);
    void MarkBandAndTones(double binWidth);
    void FillValueTable(const float *x, const float *y, int32_t n);
    // The marks of the selective levels: none on the floor, the frequency to three decimals as "X value".
    void Series1GetMarkText(const TChartSeries &series, int index, QString &text) const;

    // Masks.
    int32_t MaskSlot() const;
    void RebindMasks(int which);
    void ResetMaskBinding();
    TMASK *BoundMask(int side) const { return masks_[side]; }
    ParamDescriptor *Param() const { return param_; }
    void UpdateMaskMenuItem(int side);
    void UpdateMaskPanel();
    void ColourMaskLabels();
    // The curve as a mask file: with ask through the save dialog (a cancel gives true and an empty path),
    // else at path. False when the window has no mask slot or no curve.
    bool SaveGraphAsMask(QString &path, bool ask);
    // Installs the file as the side's mask of the window's slot and switches it on.
    void SetMaskFromFile(int side, const QString &path);
    void ClearMaskSide(int side);
    // The selective mode's trace masks: the curve becomes trace 1; trace 1 moves to trace 2.
    void SaveTraceAsMask(int side);
    void ShiftTraceMask(int side);
    // Handlers of the mask panel and the chart menu.
    void SBtn_MaskMouseDown(int side);
    void SBtn_MaskMouseUp();
    void SBtn_ShiftMouseDown(int direction, Qt::KeyboardModifiers modifiers); // -1 SBtn_Left, +1 SBtn_Right
    void SBtn_ShiftMouseUp();
    void Edit_ScaleMaskChange(int percent);
    void PopupMenu_ChartPopup();
    void N_SaveToMaskClick();
    void N_SetAsMaskClick(int side);
    void N_ClearMaskClick(int side);
    // The colour, width and style of the side's mask ("Норма сверху: ", "Норма снизу: ").
    void ShowMaskColourDialog(int side);
    QAction *N_SaveToMask = nullptr;
    QAction *N_SetAsMaskUp = nullptr;
    QAction *N_SetAsMaskDn = nullptr;
    QAction *N_ClearMaskUp = nullptr;
    QAction *N_ClearMaskDn = nullptr;
    QListWidget *MaskFileList = nullptr;

    // R9.ini.
    void FormStorage1SavePlacement();
    void FormStorage1RestorePlacement();

    // Scale and zoom handlers, and the wheel (delta in 1/120 notches).
    void Chart1Scroll();
    void Chart1UndoZoom();
    void Chart1Resize();
    void Chart1Click();
    void Chart1DblClick();
    void MouseWheel(int delta);

    // Measuring cursors: the cursor keys (13 Enter, 37..40 arrows) while the chart has the focus, and
    // the window's activation, which shows its cursors on the main window's tool bar.
    void FormKeyDown(int key, Qt::KeyboardModifiers shift);
    void FormActivate();
    void FormDeactivate();
    TCursorLimits CursorLimits() const;
    TCursorSet CursorSet;

    // The colour items of the chart menu, one per data series, after "Цвет фона".
    void AddSeriesColourItems();
    void ShowSeriesColourDialog(int tag);

    // Export of the value table: text, or HTML for a name ending in ".html".
    void N_TableSaveClick();

    // Value-table cells (columns and rows as the table counts them, the header at row 0): a Shift-click
    // opens a value window of the cell's point, a Ctrl-click binds it to a time diagram; the two items of
    // PopupMenu_Table do the same for the cell last pressed.
    void Table1MouseDown(Qt::MouseButton button, QPoint position, Qt::KeyboardModifiers shift);
    void Table1MouseMove(QPoint position);
    void Table1DblClick();
    void NTextWinClick();
    void NTimeDiagClick();
    // 0 for a cell without a point; else index := the point, 1 for its x cell, 2 for its value cell.
    int CellToPoint(int column, int row, int32_t &index, int columnsPerPoint, int32_t count);
    bool OpenCellView(int column, int row, Qt::KeyboardModifiers shift, const QString &unitText, QString name,
                      int columnsPerPoint, int32_t count, const float *x);
    QAction *NTextWin = nullptr;
    QAction *NTimeDiag = nullptr;
    QPoint LastCell; // LastCellX, LastCellY

    double XMin = 0, XMax = 0, ZoomResolution = 0, FullXMin = 0, FullXMax = 0;
    double YMin = 0, YMax = 0, YIncrement = 0, YShownMin = 0, YShownMax = 0;
    int32_t BandColour = 0x0000FF;
    int32_t ToneColour = 0xFF0000;
    int32_t MaskColours[2] = {0xFFFF00, 0x808000};
    int32_t MaskWidths[2] = {1, 1};
    int32_t MaskIsLine[2] = {0, 0};
    int32_t CursorColours[2] = {255, 0xFF0000};
    int32_t SeenSignalKind = -9999999;
    int32_t WindowMaskSlot = -1;

protected:
    // A window redraws itself whenever it is shown.
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void FormCreate();
    void SetupTable();
    void SetupTableCells();
    void SetupCellViews();
    void SetupAxes();
    void CreateDataSeries();
    void BindMask(int side);
    void BuildMaskPanel();
    void BuildMaskMenuItems();
    void ShiftMasksStep();
    void Chart1AfterDraw(class QPainter &painter, const QRect &chartRect);
    void DrawNotMeasured(QPainter &painter, const QRect &chartRect);
    void DrawMasks(QPainter &painter);
    void EmptyValueTable();
    void CopyBottomRange();

    int kind_;
    ParamDescriptor *param_ = nullptr;
    TChartSeries *series_ = nullptr;
    TGraphValueTable table_;
    TDecimatedCurve decimated_;
    bool hasValue_ = false;
    TMASK *masks_[2] = {nullptr, nullptr};
    QStringList columnHints_;
    int hintColumn_ = -1, hintRow_ = -1;
    QString ownMaskFolder_, ownReportFolder_;
    QTimer *ShiftTimer = nullptr;
    Qt::KeyboardModifiers ShiftState;
    int ShiftButton = 0;
    int32_t marksStyle_ = 0, marksVisible_ = 0, pointStyle_ = 0, lineWidth_ = 3;
};

// The factory the main window opens graph windows with.
QWidget *CreateGraphWindow(int kind);
