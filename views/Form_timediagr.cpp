#include "views/Form_timediagr.h"

#include "chart/Chart.h"
#include "chart/ChartlibChart.h"
#include "chart/ChartlibChartDialogs.h"
#include "chartlib/Chartlib.h"
#include "controls/Placemnt.h"
#include "engine/EngineBuffers.h"
#include "engine/catalogue/ParameterTable.h"
#include "engine/catalogue/TimeDiagramAxes.h"
#include "platform/DateTime.h"
#include "platform/IniFile.h"
#include "platform/MessageService.h"
#include "platform/ProgramDir.h"
#include "platform/StringTable.h"
#include "views/ChartPrintHeader.h"
#include "views/CursorKeysStore.h"
#include "views/GraphHost.h"
#include "views/Scalelabel.h"

#include <QAction>
#include <QKeyEvent>
#include <QCloseEvent>
#include <QCursor>
#include <QMenu>
#include <QVBoxLayout>

#include <algorithm>

TTimeDiagramHost TimeDiagramHost;

namespace {

// Unit texts by unit code, as string-table numbers or literal texts; code 12 has none.
struct TUnitText {
    int StringNumber; // 0: the literal
    const char *Literal;
};
constexpr TUnitText UnitTexts[TimeDiagramUnitCount - 1] = {
    {107, nullptr}, {424, nullptr}, {0, "%"},       {140, nullptr}, {415, nullptr}, {443, nullptr},
    {254, nullptr}, {200, nullptr}, {293, nullptr}, {0, "нФ"},      {0, "кбит/с"},  {0, "бит"}};

constexpr int CaptionNumber = 448;
constexpr int TooManyGraphs = 307;
constexpr int WarningCaption = 7;
// A line of a chart holds at most this many series, cursor lines included.
constexpr int MaxChartSeries = 30;
// A stored span shorter than this is a mistake of an earlier version: the global span replaces it.
constexpr double ShortestStoredSpan = 1.7361111111111112e-5;
constexpr int DefaultLineWidth = 3;
constexpr int LastPointStyle = 8;
constexpr int RestoredLineWidth = 2;

const QString SeriesColorKey = QStringLiteral("_Series_Color");
const QString LineWidthKey = QStringLiteral("_Line_Width");
const QString MarksStyleKey = QStringLiteral("_Marks_Style");
const QString MarksVisibleKey = QStringLiteral("_Marks_Visible");
const QString PointVisibleKey = QStringLiteral("_Point_Visible");
const QString PointStyleKey = QStringLiteral("_Point_Style");

QAction *AddFixedItem(QMenu *menu, const char *name, const QString &caption, int tag) {
    QAction *item = menu->addAction(caption);
    item->setObjectName(QLatin1String(name));
    item->setProperty("Tag", tag);
    return item;
}

// The points of a line carry markers of (width + 1) pixels when shown, a width of 0 counting as 2.
int MarkerSize(bool visible, int width) {
    return visible ? (width == 0 ? 2 : width) + 1 : 1;
}

} // namespace

QString TimeDiagramCaption(int32_t unitCode, QString &unitText) {
    if (unitCode >= 0 && unitCode < TimeDiagramUnitCount - 1) {
        const TUnitText &unit = UnitTexts[unitCode];
        unitText = unit.StringNumber ? LoadStr(unit.StringNumber) : QString::fromUtf8(unit.Literal);
    }
    return unitText + QLatin1Char(' ') + LoadStr(CaptionNumber);
}

TForm_TimeDiagram::TForm_TimeDiagram(int32_t unitCode, QWidget *parent)
    : QWidget(parent), UnitCode(unitCode >= 0 && unitCode < TimeDiagramUnitCount ? unitCode : 0) {
    setObjectName(QStringLiteral("Form_TimeDiagram"));
    setAttribute(Qt::WA_DeleteOnClose);
    CursorSet.Window = this;
    CursorSet.Colours = CursorColours;
    CursorSet.DateTimeX = true;
    FormCreate();
}

TForm_TimeDiagram::~TForm_TimeDiagram() {
    FormStorage1->FormDestroy();
    DetachCursorMenus(CursorSet);
    RemoveCursors(CursorSet);
}

QWidget *CreateTimeDiagramWindow(int unitCode) {
    return new TForm_TimeDiagram(unitCode);
}

QString TForm_TimeDiagram::IniFileName() const {
    const QString name = GraphHost.IniFileName ? GraphHost.IniFileName() : QString();
    return name.isEmpty() ? ProgramDir() + QStringLiteral("R9.ini") : name;
}

void TForm_TimeDiagram::FormCreate() {
    Span = DTIME_SIGNAL;
    QString unitText;
    setWindowTitle(TimeDiagramCaption(UnitCode, unitText));

    Chart1 = new TChart(this);
    Chart1->setObjectName(QStringLiteral("Chart1"));
    Chart1->setFocusPolicy(Qt::ClickFocus);
    CursorSet.Chart = Chart1;
    Chart1->SetLegendVisible(true);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Chart1);
    TChartAxis &left = Chart1->LeftAxis();
    left.SetTitle(unitText);
    left.SetAutomatic(false);
    left.SetValueFormat(QStringLiteral("#0.#####"));
    TChartAxis &bottom = Chart1->BottomAxis();
    bottom.SetAutomatic(false);
    bottom.SetValueFormat(QStringLiteral("hh:nn:ss"));
    Chart1->RightAxis().SetMinMax(0, 0);

    PopupMenu_Chart = new QMenu(this);
    PopupMenu_Chart->setObjectName(QStringLiteral("PopupMenu_Chart"));
    connect(AddFixedItem(PopupMenu_Chart, "N_ColorBack", QStringLiteral("Цвет фона"), -1), &QAction::triggered, this,
            [this] { ChooseChartBackColor(this, *Chart1); });
    PopupMenu_Chart->addSeparator()->setProperty("Tag", -1);
    connect(AddFixedItem(PopupMenu_Chart, "N_ChartCopy", QStringLiteral("Сохранить график в буфер"), -2),
            &QAction::triggered, this, [this] { CopyChartToClipboard(*Chart1); });
    connect(AddFixedItem(PopupMenu_Chart, "N_ChartSave", QStringLiteral("Сохранить график в файл"), -3),
            &QAction::triggered, this, [this] {
                const TPauseScope pause;
                SaveChartPicture(this, *Chart1);
            });
    connect(AddFixedItem(PopupMenu_Chart, "N_ChartPrint", QStringLiteral("Печать графика"), -4), &QAction::triggered,
            this, &TForm_TimeDiagram::N_ChartPrintClick);
    PopupMenu_Chart->addSeparator()->setProperty("Tag", -1);
    Menu_Delete = new QMenu(this);
    Menu_Delete->setObjectName(QStringLiteral("Menu_Delete"));

    FormStorage1 = new TFormStorage(this);
    FormStorage1->setObjectName(QStringLiteral("FormStorage1"));
    FormStorage1->SetIniFileName(IniFileName());
    FormStorage1->SetIniSection(windowTitle());
    FormStorage1->OnSavePlacement = [this] { FormStorage1SavePlacement(); };
    FormStorage1->OnRestorePlacement = [this] { FormStorage1RestorePlacement(); };

    InitAxes();
    for (int32_t slot = 0; slot < TimeSeriesSlotCount; ++slot)
        if (const TimeSeries *series = TimeSeriesSlots[std::size_t(slot)].get(); series && series->UnitCode == UnitCode)
            AddSeries(slot);

    connect(Chart1, &TChart::OnZoom, this, &TForm_TimeDiagram::Chart1Scroll);
    connect(Chart1, &TChart::OnScroll, this, &TForm_TimeDiagram::Chart1Scroll);
    connect(Chart1, &TChart::OnUndoZoom, this, &TForm_TimeDiagram::Chart1UndoZoom);
    connect(Chart1, &TChart::OnClick, this, &TForm_TimeDiagram::Chart1Click);
    connect(Chart1, &TChart::OnDblClick, this, &TForm_TimeDiagram::Chart1DblClick);
    connect(Chart1, &TChart::OnClickLegend, this, &TForm_TimeDiagram::Chart1ClickLegend);
    connect(Chart1, &TChart::OnMouseWheel, this, &TForm_TimeDiagram::MouseWheel);
}

void TForm_TimeDiagram::InitAxes() {
    const TimeDiagramAxis &axis = TimeDiagramAxes[UnitCode];
    YLowest = axis.YLowest;
    YHighest = axis.YHighest;
    YIncrement = axis.YIncrement;
    YMin = axis.YMin;
    YMax = axis.YMax;
    Chart1->LeftAxis().SetIncrement(YIncrement);
    if (NowStamp == 0)
        NowStamp = ::Now();
    Now = NowStamp;
    RetainStart = Now - Span;
    ViewEnd = Now;
    ViewStart = RetainStart;
    Chart1->LeftAxis().SetMinMax(YMin, YMax);
    Chart1->BottomAxis().SetMinMax(RetainStart, Now);
    Chart1->BottomAxis().SetIncrement(XIncrement);
}

TChartSeries *TForm_TimeDiagram::Line(int32_t slot) const {
    return slot >= 0 && slot < TimeSeriesSlotCount ? Lines[std::size_t(slot)] : nullptr;
}

QString TForm_TimeDiagram::LineTitle(int32_t slot) const {
    const TimeSeries *series = TimeSeriesSlots[std::size_t(slot)].get();
    return series ? ReplaceAll(series->Caption, QStringLiteral("\n"), QString()) : QString();
}

void TForm_TimeDiagram::AddSeries(int32_t slot) {
    if (slot < 0 || slot >= TimeSeriesSlotCount || Lines[std::size_t(slot)])
        return;
    const TimeSeries *series = TimeSeriesSlots[std::size_t(slot)].get();
    if (!series)
        return;
    if (Chart1->SeriesCount() > MaxChartSeries) {
        ShowMessage({LoadStr(TooManyGraphs), LoadStr(WarningCaption), MsgIcon::Warning, MsgButtons::Ok});
        return;
    }
    DetachCursorMenus(CursorSet);
    TChartSeries *line = Chart1->AddSeries(TChartSeries::Style::Line);
    Lines[std::size_t(slot)] = line;
    line->SetLineWidth(RestoredLineWidth);
    line->SetPointer(false, TChartSeries::PointerStyle::Rectangle, 1);
    line->SetTitle(LineTitle(slot));
    line->SetColor(WinColor(series->Colour));
    line->SetXOrdered(true);
    line->SetActive(true);
    RebuildLineItems();
    RebuildCursorMenus();
    TIniFile ini(IniFileName());
    ReadLineStyle(ini, windowTitle(), slot, DefaultLineWidth);
    RefillLine(slot, ColumnWidth());
}

void TForm_TimeDiagram::ReadLineStyle(TCustomIniFile &ini, const QString &section, int32_t slot, int defaultWidth) {
    TChartSeries *line = Lines[std::size_t(slot)];
    const QString title = line->Title();
    line->SetColor(WinColor(ini.ReadInteger(section, title + SeriesColorKey, WinColorValue(line->Color()))));
    const int width = ini.ReadInteger(section, title + LineWidthKey, defaultWidth);
    line->SetLineWidth(width);
    line->SetPenVisible(width != 0);
    const int marksStyle = ini.ReadInteger(section, title + MarksStyleKey, 0);
    line->SetMarks(ini.ReadInteger(section, title + MarksVisibleKey, 0) != 0, marksStyle);
    const bool points = ini.ReadInteger(section, title + PointVisibleKey, 0) != 0;
    const int pointStyle = std::clamp(ini.ReadInteger(section, title + PointStyleKey, 0), 0, LastPointStyle);
    line->SetPointer(points, TChartSeries::PointerStyle(pointStyle), MarkerSize(points, width));
}

void TForm_TimeDiagram::WriteLineStyle(TCustomIniFile &ini, const QString &section, int32_t slot) const {
    const TChartSeries *line = Lines[std::size_t(slot)];
    const QString title = line->Title();
    ini.WriteInteger(section, title + SeriesColorKey, WinColorValue(line->Color()));
    ini.WriteInteger(section, title + LineWidthKey, line->PenVisible() ? line->LineWidth() : 0);
    ini.WriteInteger(section, title + MarksStyleKey, line->MarksStyleNumber());
    ini.WriteInteger(section, title + MarksVisibleKey, line->MarksVisible() ? 1 : 0);
    ini.WriteInteger(section, title + PointVisibleKey, line->PointerVisible() ? 1 : 0);
    ini.WriteInteger(section, title + PointStyleKey, int(line->Pointer()));
}

double TForm_TimeDiagram::ColumnWidth() const {
    const int plotWidth = Chart1->ChartWidth() > 0 ? Chart1->ChartWidth() : width();
    const TChartAxis &bottom = Chart1->BottomAxis();
    return plotWidth > 0 ? (bottom.Maximum() - bottom.Minimum()) / plotWidth : 0;
}

void TForm_TimeDiagram::RemoveSeries(int32_t slot) {
    TChartSeries *line = Line(slot);
    if (!line)
        return;
    DetachCursorMenus(CursorSet);
    for (TCursorOnGraph *cursor : CursorSet.Cursors)
        if (cursor && cursor->BindSeries == line) {
            cursor->BindToSeries = 0;
            cursor->BindSeries = nullptr;
            cursor->VertAxis = &Chart1->LeftAxis();
            cursor->Line->SetVertAxis(*cursor->VertAxis);
        }
    TIniFile ini(IniFileName());
    WriteLineStyle(ini, windowTitle(), slot);
    Chart1->RemoveSeries(line);
    Lines[std::size_t(slot)] = nullptr;
    RebuildLineItems();
    RebuildCursorMenus();
    Chart1->Repaint();
}

void TForm_TimeDiagram::RebuildCursorMenus() {
    for (int n = 0; n < 2; ++n)
        if (const TCursorOnGraph *cursor = CursorSet.Cursors[n]) {
            BuildCursorMenu(CursorSet, n);
            if (cursor->BindSeries)
                BindCursorToSeriesTitle(CursorSet, n, cursor->BindSeries->Title());
        }
}

// One item per line in chart order, in the chart menu after "Цвет фона" (the line's colour) and in the
// legend menu (delete the line); the fixed items carry negative Tags.
void TForm_TimeDiagram::RebuildLineItems() {
    for (QAction *item : PopupMenu_Chart->actions())
        if (item->property("Tag").toInt() >= 0) {
            PopupMenu_Chart->removeAction(item);
            item->deleteLater();
        }
    Menu_Delete->clear();
    QAction *before = PopupMenu_Chart->actions().value(1);
    const std::vector<TChartSeries *> lines = DataSeries(CursorSet);
    for (int index = 0; index < int(lines.size()); ++index) {
        const QString title = lines[std::size_t(index)]->Title();
        auto *colour = new QAction(title, PopupMenu_Chart);
        colour->setProperty("Tag", index);
        connect(colour, &QAction::triggered, this, [this, index] { ChooseLineColour(index); });
        PopupMenu_Chart->insertAction(before, colour);
        QAction *remove = Menu_Delete->addAction(title);
        remove->setProperty("Tag", index);
        connect(remove, &QAction::triggered, this, [this, index] { DeleteLine(index); });
    }
}

int32_t TForm_TimeDiagram::SlotOfLine(int lineIndex) const {
    const std::vector<TChartSeries *> lines = DataSeries(CursorSet);
    const TChartSeries *line = lineIndex >= 0 && lineIndex < int(lines.size()) ? lines[std::size_t(lineIndex)] : nullptr;
    for (int32_t slot = 0; line && slot < TimeSeriesSlotCount; ++slot)
        if (Lines[std::size_t(slot)] == line)
            return slot;
    return -1;
}

void TForm_TimeDiagram::RefillLine(int32_t slot, double columnWidth) {
    TChartSeries *line = Lines[std::size_t(slot)];
    const TimeSeries *series = TimeSeriesSlots[std::size_t(slot)].get();
    if (!line || !series || !BuildTimeLine(series->Points, RetainStart, columnWidth, line_))
        return;
    line->SetActive(false);
    line->Clear();
    for (const TTimeLinePoint &point : line_) {
        if (point.Gap)
            line->AddNull(point.X);
        else
            line->AddXY(point.X, point.Y);
    }
    line->SetActive(true);
}

void TForm_TimeDiagram::AppendPoints(bool newOnly) {
    if (newOnly) {
        Now = NowStamp;
        RetainStart = Now - DTIME_SIGNAL;
        ViewEnd = Now;
        ViewStart = Now - Span;
        Chart1->BottomAxis().SetMinMax(ViewStart, ViewEnd);
        Chart1->BottomAxis().SetIncrement(XIncrement);
    }
    // Without a plot width (a window never laid out) there are no columns to fill.
    const double columnWidth = ColumnWidth();
    if (!(columnWidth > 0))
        return;
    for (int32_t slot = 0; slot < TimeSeriesSlotCount; ++slot) {
        TimeSeries *series = TimeSeriesSlots[std::size_t(slot)].get();
        if (!series || !Lines[std::size_t(slot)] || (newOnly && !series->HasNewPoints))
            continue;
        RefillLine(slot, columnWidth);
        series->HasNewPoints = 0;
    }
    RefreshCursors(CursorSet);
    // A frame's drawing waits for the end of the event loop's turn, to be painted with the other windows'
    // and flushed to the screen with them once, and not at all while the diagram is covered or minimised.
    if (newOnly)
        Chart1->RepaintLater();
    else
        Chart1->Repaint();
}

bool TForm_TimeDiagram::Frozen() const {
    return TimeDiagramHost.DisplayFrozen && TimeDiagramHost.DisplayFrozen();
}

void TForm_TimeDiagram::Chart1Scroll() {
    ClampAxesToLimits(*Chart1, XIncrement, RetainStart, Now, 0, 0, YIncrement, YLowest, YHighest);
    LimitZoomSpan(*Chart1, XIncrement, 0, YIncrement);
    Span = Chart1->BottomAxis().Maximum() - Chart1->BottomAxis().Minimum();
    if (Frozen()) {
        AppendPoints(false);
    } else {
        RefreshCursors(CursorSet);
        Chart1->Repaint();
    }
}

void TForm_TimeDiagram::Chart1UndoZoom() {
    Chart1->LeftAxis().SetMinMax(YMin, YMax);
    Span = DTIME_SIGNAL;
    if (Frozen()) {
        AppendPoints(true);
    } else {
        RefreshCursors(CursorSet);
        Chart1->Repaint();
    }
}

void TForm_TimeDiagram::Chart1Click() {
    ActivateMdiChild(this);
    Chart1->SetAllowZoom(true);
}

void TForm_TimeDiagram::Chart1DblClick() {
    Chart1->SetAllowZoom(false);
    PopupMenu_Chart->popup(QCursor::pos());
}

void TForm_TimeDiagram::Chart1ClickLegend(QPoint globalPosition) {
    Menu_Delete->popup(globalPosition);
}

void TForm_TimeDiagram::MouseWheel(int delta) {
    if (ShiftLeftAxisByWheel(*Chart1, delta))
        Chart1Scroll();
}

void TForm_TimeDiagram::StoreYRange() {
    YMax = Chart1->LeftAxis().Maximum();
    YMin = Chart1->LeftAxis().Minimum();
    TimeDiagramAxes[UnitCode].YMin = float(YMin);
    TimeDiagramAxes[UnitCode].YMax = float(YMax);
}

void TForm_TimeDiagram::RestoreYRange() {
    YMax = YHighest;
    YMin = YLowest;
    Chart1->LeftAxis().SetMinMax(YLowest, YHighest);
}

void TForm_TimeDiagram::ClearLines() {
    for (TChartSeries *line : Lines)
        if (line)
            line->Clear();
    TimeSeriesClearRequest = {1, UnitCode};
    Chart1->Repaint();
}

void TForm_TimeDiagram::N_ChartPrintClick() {
    PrintChart(this, *Chart1, MainWindowPrintLines(this));
}

// A new colour of a parameter's line becomes the colour of its rows in every table, so the parameter
// window and the next binding show it too.
void TForm_TimeDiagram::ChooseLineColour(int lineIndex) {
    const int32_t chosen = SlotOfLine(lineIndex);
    if (chosen < 0)
        return;
    TChartSeries &line = *Lines[std::size_t(chosen)];
    if (GraphHost.EditSeriesColour) {
        GraphHost.EditSeriesColour(this, UnitCode, line);
    } else if (const QColor colour = AskColor(this, line.Color()); colour.isValid()) {
        line.SetColor(colour);
    }
    for (int32_t slot = 0; slot < TimeSeriesSlotCount; ++slot) {
        TimeSeries *series = TimeSeriesSlots[std::size_t(slot)].get();
        if (!series || !Lines[std::size_t(slot)])
            continue;
        const int32_t value = WinColorValue(Lines[std::size_t(slot)]->Color());
        if (value == series->Colour)
            continue;
        // The selective-mode and SYNC tables keep their own colours.
        for (int32_t kind = FirstTableKind; kind <= 5; ++kind) {
            const ParameterTable table = ParameterTableOf(kind);
            for (int32_t row = 0; row < table.RowCount; ++row)
                if (table.Rows[row].ParamId == series->ParamId)
                    table.Rows[row].Settings.Colour = value;
        }
        series->Colour = value;
    }
    AppendPoints(false);
    Chart1->SetAllowZoom(true);
}

// Deleting a parameter's line switches its time diagram off in every table that has the parameter and
// frees the series however many bindings held it.
void TForm_TimeDiagram::DeleteLine(int lineIndex) {
    const int32_t slot = SlotOfLine(lineIndex);
    if (slot < 0)
        return;
    TimeSeries &series = *TimeSeriesSlots[std::size_t(slot)];
    if (series.ParamId >= 0 && series.ParamId < 100) {
        for (int32_t kind = FirstTableKind; kind <= LastTableKind; ++kind) {
            const ParameterTable table = ParameterTableOf(kind);
            for (int32_t row = 0; row < table.RowCount; ++row)
                if (table.Rows[row].ParamId == series.ParamId)
                    table.Rows[row].Settings.TimeDiagram = 0;
        }
        if (series.DiagramFlagPtr)
            *series.DiagramFlagPtr = 0;
        if (ScaleLabelHost.ShowParams)
            ScaleLabelHost.ShowParams();
        series.RefCount = 1;
    }
    ReleaseTimeSeries(slot);
}

void TForm_TimeDiagram::FormStorage1SavePlacement() {
    TCustomIniFile *ini = FormStorage1->GetIniFile();
    if (!ini)
        return;
    const QString section = FormStorage1->GetIniSection();
    ini->WriteInteger(section, QStringLiteral("Chart_BackColor"), WinColorValue(Chart1->BackColor()));
    for (int32_t slot = 0; slot < TimeSeriesSlotCount; ++slot)
        if (Lines[std::size_t(slot)])
            WriteLineStyle(*ini, section, slot);
    ini->WriteFloat(section, QStringLiteral("LeftAxis_Maximum"), Chart1->LeftAxis().Maximum());
    ini->WriteFloat(section, QStringLiteral("LeftAxis_Minimum"), Chart1->LeftAxis().Minimum());
    ini->WriteFloat(section, QStringLiteral("DTIME_SIGNAL"), Span);
    for (int j = 0; j < 2; ++j) {
        std::optional<TCursorKeys> keys = closingCursors_[j];
        if (!keys && CursorSet.Cursors[j])
            keys = CursorKeysOf(*CursorSet.Cursors[j]);
        SaveTimeDiagramCursorKeys(*ini, section, j, keys ? &*keys : nullptr);
        ini->WriteInteger(section, QStringLiteral("FCursColor") + QString::number(j), CursorColours[j]);
    }
}

void TForm_TimeDiagram::FormStorage1RestorePlacement() {
    TCustomIniFile *ini = FormStorage1->GetIniFile();
    if (!ini)
        return;
    const QString section = FormStorage1->GetIniSection();
    Chart1->SetBackColor(WinColor(ini->ReadInteger(section, QStringLiteral("Chart_BackColor"), 0xFFFFFF)));
    for (int32_t slot = 0; slot < TimeSeriesSlotCount; ++slot)
        if (Lines[std::size_t(slot)])
            ReadLineStyle(*ini, section, slot, RestoredLineWidth);
    const double maximum = ini->ReadFloat(section, QStringLiteral("LeftAxis_Maximum"), YMax);
    const double minimum = ini->ReadFloat(section, QStringLiteral("LeftAxis_Minimum"), YMin);
    Span = ini->ReadFloat(section, QStringLiteral("DTIME_SIGNAL"), Span);
    if (!(Span >= ShortestStoredSpan))
        Span = DTIME_SIGNAL;
    for (int j = 0; j < 2; ++j)
        CursorColours[j] =
            ini->ReadInteger(section, QStringLiteral("FCursColor") + QString::number(j), CursorColours[j]);
    InitAxes();
    Chart1->LeftAxis().SetMinMax(minimum, maximum);
    for (int j = 0; j < 2; ++j)
        if (CursorKeysVisible(*ini, section, j))
            RestoreCursor(CursorSet, *ini, section, j, CursorLimits());
    RefreshCursors(CursorSet);
}

void TForm_TimeDiagram::closeEvent(QCloseEvent *event) {
    for (int j = 0; j < 2; ++j)
        if (const TCursorOnGraph *cursor = CursorSet.Cursors[j])
            closingCursors_[j] = CursorKeysOf(*cursor);
    for (int32_t slot = 0; slot < TimeSeriesSlotCount; ++slot)
        RemoveSeries(slot);
    QWidget::closeEvent(event);
}

void TForm_TimeDiagram::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    closingCursors_[0].reset();
    closingCursors_[1].reset();
    FollowMdiFrame(*this, [this](bool active) { active ? FormActivate() : FormDeactivate(); });
}

TCursorLimits TForm_TimeDiagram::CursorLimits() const {
    return {RetainStart, Now, YLowest, YHighest, 0, 0};
}

void TForm_TimeDiagram::keyPressEvent(QKeyEvent *event) {
    const int key = CursorVirtualKey(event->key());
    QWidget *focus = focusWidget();
    if (key == 0 || !(focus == Chart1 || Chart1->isAncestorOf(focus))) {
        QWidget::keyPressEvent(event);
        return;
    }
    FormKeyDown(key, event->modifiers());
}

void TForm_TimeDiagram::FormKeyDown(int key, Qt::KeyboardModifiers shift) {
    CursorKey(CursorSet, key, shift, CursorLimits());
    Chart1->Repaint();
}

void TForm_TimeDiagram::FormActivate() {
    ActivateCursors(CursorSet);
}

void TForm_TimeDiagram::FormDeactivate() {
    RememberActiveCursor(CursorSet);
}
