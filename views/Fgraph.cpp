#include "views/Fgraph.h"

#include "chart/Chart.h"
#include "chart/ChartlibChart.h"
#include "chartlib/Chartlib.h"
#include "controls/Placemnt.h"
#include "engine/SyncMeasurement.h"
#include "engine/catalogue/GraphKindTable.h"
#include "platform/ProgramDir.h"
#include "platform/StringTable.h"
#include "state/DeviceSettings.h"
#include "views/ChartPrintHeader.h"
#include "views/CursorKeysStore.h"
#include "views/GraphHost.h"

#include <QAction>
#include <QColor>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

TGraphHost GraphHost;

namespace {

// The header of a printed chart: the frequency range, the connection, the generator and the meter as the
// main window shows them, and what the kind's curve is measured against.
QStringList ChartPrintLines(const QWidget *window, int kind) {
    QStringList lines = MainWindowPrintLines(window);
    const TDeviceSettings &s = *DeviceSettings;
    if (kind == 5 || kind == 20) {
        if (s.AfcRef < 0)
            lines << QStringLiteral("АЧХ определяется относительно опорного уровня измерителя.");
        else if (s.AfcRef != 0)
            lines << QStringLiteral("АЧХ определяется относительно затухания на частоте ") + FormatFrequency(s.AfcRef) +
                         QStringLiteral(" кГц.");
        else
            lines << QStringLiteral("АЧХ определяется относительно минимума в полосе анализа.");
    } else if (kind == 6) {
        lines << (s.GvpRef != 0 ? QStringLiteral("ГВП определяется относительно времени прохождения на частоте ") +
                                      FormatFrequency(s.GvpRef) + QStringLiteral(" кГц.")
                                : QStringLiteral("ГВП определяется относительно минимума в полосе анализа."));
    } else if (kind == 16 || kind == 17 || kind == 37 || kind == 38) {
        lines << QStringLiteral("Фазограмма определяется на частоте ") + FormatFrequency(s.PhasogramRef) +
                     QStringLiteral(" кГц.");
    }
    return lines;
}

QAction *AddItem(QMenu *menu, const char *name, const QString &caption) {
    QAction *item = menu->addAction(caption);
    item->setObjectName(QLatin1String(name));
    return item;
}

} // namespace

QColor WinColor(int colour) {
    return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

int WinColorValue(const QColor &colour) {
    return colour.red() | (colour.green() << 8) | (colour.blue() << 16);
}

TForm_Graphic::TForm_Graphic(int kind, QWidget *parent)
    : QWidget(parent), kind_(kind >= 0 && kind < GraphKindCount ? kind : 0) {
    setObjectName(QStringLiteral("Form_Graphic"));
    setAttribute(Qt::WA_DeleteOnClose);
    CursorSet.Window = this;
    CursorSet.Colours = CursorColours;
    FormCreate();
    // The SYNC fragment is cut from the oscillogram between its measuring cursors, and only while this
    // window exists.
    if (kind_ == 0)
        OscillogramCursors = [this] {
            TOscillogramCursors marks;
            if (const TCursorOnGraph *first = CursorSet.Cursors[0]) {
                marks.FirstSet = true;
                marks.First = float(first->Ps_x);
            }
            if (const TCursorOnGraph *second = CursorSet.Cursors[1]) {
                marks.SecondSet = true;
                marks.Second = float(second->Ps_x);
            }
            return marks;
        };
}

TForm_Graphic::~TForm_Graphic() {
    if (kind_ == 0)
        OscillogramCursors = nullptr;
    FormStorage1->FormDestroy();
    DetachCursorMenus(CursorSet);
    RemoveCursors(CursorSet);
}

void TForm_Graphic::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    FollowMdiFrame(*this, [this](bool active) { active ? FormActivate() : FormDeactivate(); });
    RedrawGraph();
}

QWidget *CreateGraphWindow(int kind) {
    return new TForm_Graphic(kind);
}

void TForm_Graphic::FormCreate() {
    BuildMaskPanel();

    Splitter1 = new QSplitter(this);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Table1 = new QTableView(Splitter1);
    Table1->setObjectName(QStringLiteral("Table1"));
    Table1->setModel(&table_);
    Table1->verticalHeader()->hide();
    Table1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Table1->setMouseTracking(true);
    SetupTableCells();
    Chart1 = new TChart(Splitter1);
    Chart1->setObjectName(QStringLiteral("Chart1"));
    Chart1->setFocusPolicy(Qt::ClickFocus);
    CursorSet.Chart = Chart1;
    Splitter1->setStretchFactor(1, 1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Mask_Panel);
    layout->addWidget(Splitter1, 1);

    PopupMenu_Chart = new QMenu(this);
    PopupMenu_Chart->setObjectName(QStringLiteral("PopupMenu_Chart"));
    connect(AddItem(PopupMenu_Chart, "N_ColorBack", QStringLiteral("Цвет фона")), &QAction::triggered, this,
            [this] { ChooseChartBackColor(this, *Chart1); });
    PopupMenu_Chart->addSeparator();
    connect(AddItem(PopupMenu_Chart, "N_ChartCopy", QStringLiteral("Сохранить график в буфере")), &QAction::triggered,
            this, [this] { CopyChartToClipboard(*Chart1); });
    connect(AddItem(PopupMenu_Chart, "N_ChartSave", QStringLiteral("Сохранить график в файле")), &QAction::triggered,
            this, [this] {
                const TPauseScope pause;
                SaveChartPicture(this, *Chart1);
            });
    connect(AddItem(PopupMenu_Chart, "N_ChartPrint", QStringLiteral("Печать графика")), &QAction::triggered, this,
            [this] { PrintChart(this, *Chart1, ChartPrintLines(this, kind_)); });
    BuildMaskMenuItems();
    PopupMenu_Table = new QMenu(this);
    PopupMenu_Table->setObjectName(QStringLiteral("PopupMenu_Table"));
    PopupMenu_Table->addAction(QStringLiteral("Сохранить таблицу в файле"), this, &TForm_Graphic::N_TableSaveClick);
    Table1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Table1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { PopupMenu_Table->popup(Table1->viewport()->mapToGlobal(at)); });
    SetupCellViews();

    SetupTable();
    FormStorage1 = new TFormStorage(this);
    FormStorage1->setObjectName(QStringLiteral("FormStorage1"));
    const QString iniFileName = GraphHost.IniFileName ? GraphHost.IniFileName() : QString();
    FormStorage1->SetIniFileName(iniFileName.isEmpty() ? ProgramDir() + "R9.ini" : iniFileName);
    FormStorage1->SetIniSection(windowTitle());
    FormStorage1->SetStoredProps({QStringLiteral("Table1.Height"), QStringLiteral("Table1.Width")});
    FormStorage1->OnSavePlacement = [this] { FormStorage1SavePlacement(); };
    FormStorage1->OnRestorePlacement = [this] { FormStorage1RestorePlacement(); };

    const int k = kind_;
    if (k == 1 || k == 2 || k == 16 || k == 17 || k == 37 || k == 38 || k == 18 || k == 19)
        ResizeTable();
    SetupAxes();
    CreateDataSeries();
    AddSeriesColourItems();

    Chart1->SetOnAfterDraw([this](QPainter &painter, const QRect &rect) { Chart1AfterDraw(painter, rect); });
    Chart1->SetOnUpdateSeries([this] { UpdateSeries(); });
    connect(Chart1, &TChart::OnZoom, this, &TForm_Graphic::Chart1Scroll);
    connect(Chart1, &TChart::OnScroll, this, &TForm_Graphic::Chart1Scroll);
    connect(Chart1, &TChart::OnUndoZoom, this, &TForm_Graphic::Chart1UndoZoom);
    connect(Chart1, &TChart::OnResize, this, &TForm_Graphic::Chart1Resize);
    connect(Chart1, &TChart::OnClick, this, &TForm_Graphic::Chart1Click);
    connect(Chart1, &TChart::OnDblClick, this, &TForm_Graphic::Chart1DblClick);
    connect(Chart1, &TChart::OnMouseWheel, this, &TForm_Graphic::MouseWheel);
    RebindMasks(2);
}

void TForm_Graphic::SetupTable() {
    const TGraphKindRecord &record = GraphKindTable[kind_];
    setWindowTitle(GraphText(record.Caption));
    Table1->setVisible(record.TableVisible);
    Splitter1->setOrientation(record.TableOnTop ? Qt::Vertical : Qt::Horizontal);
    const int perPoint = ColumnsPerPoint(kind_);
    QStringList header;
    columnHints_.clear();
    for (int c = 0; c < record.ColCount; ++c) {
        header << GraphText(record.ColumnUnits[c % perPoint]);
        columnHints_ << GraphText(record.ColumnHints[c % perPoint]);
    }
    const auto layout = kind_ == 3 || kind_ == 4 ? TGraphValueTable::TLayout::Events
                        : IsSelectiveKind(kind_) ? TGraphValueTable::TLayout::Packed
                                                 : TGraphValueTable::TLayout::Pairs;
    table_.Setup(layout, record.RowCount, record.ColCount, header);
    table_.SetColumnHints(columnHints_);
}

void TForm_Graphic::SetupAxes() {
    const TGraphKindRecord &record = GraphKindTable[kind_];
    Chart1->RightAxis().SetMinMax(0, 0);
    TChartAxis &left = Chart1->LeftAxis();
    left.SetTitle(GraphText(record.YUnit));
    left.SetVisible(record.YVisible);
    left.SetAutomatic(false);
    left.SetValueFormat(GraphText(record.YFormat));
    TChartAxis &bottom = Chart1->BottomAxis();
    bottom.SetTitle(GraphText(record.XUnit));
    bottom.SetVisible(record.XVisible);
    bottom.SetAutomatic(false);
    bottom.SetValueFormat(GraphText(record.XFormat));
    LoadYRange();
    left.SetMinMax(YShownMin, YShownMax);
    SetDefaultXRange(true);
}

void TForm_Graphic::CreateDataSeries() {
    const bool area = IsSpectralKind(kind_);
    series_ = Chart1->AddSeries(area ? TChartSeries::Style::StairsArea : TChartSeries::Style::Line);
    const bool red = kind_ == 2 || kind_ == 17 || kind_ == 22;
    series_->SetColor(WinColor(red ? 0x0000FF : 0xC0CBFF));
    if (!area) {
        series_->SetXOrdered(true);
        const bool diamond = kind_ == 18 || kind_ == 19 || (kind_ >= 23 && kind_ <= 36);
        series_->SetPointer(false,
                            diamond ? TChartSeries::PointerStyle::Diamond : TChartSeries::PointerStyle::Rectangle, 1);
    }
    series_->SetTitle(windowTitle());
    series_->SetActive(true);
    if (IsSelectiveLevelKind(kind_))
        series_->OnGetMarkText = [this](const TChartSeries &series, int index, QString &text) {
            Series1GetMarkText(series, index, text);
        };
    BandColour = 0x0000FF;
    ToneColour = 0xFF0000;
}
