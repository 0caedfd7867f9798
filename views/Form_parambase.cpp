#include "views/Form_parambase.h"

#include "controls/Placemnt.h"
#include "engine/EngineBuffers.h"
#include "engine/catalogue/MaskNameList.h"
#include "engine/catalogue/ParameterTable.h"
#include "platform/ProgramDir.h"
#include "platform/StringTable.h"
#include "views/Form_parammeter.h"
#include "views/GraphHost.h"
#include "views/ParamGridCells.h"
#include "views/ParamGrids.h"
#include "views/ParamWindowHost.h"
#include "views/ResultTableCells.h"

#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QTableWidget>
#include <QVBoxLayout>

std::array<QPointer<QWidget>, BaseParWindowCount> BaseParWindows;

namespace {

constexpr int ResultHeaderHeight = 40;
constexpr int ResultRowHeight = 20;
constexpr int ResultDefaultWidth = 40;

QString ResultHeaderText(int column) {
    static const int numbers[ResultColumnCount] = {427, 439, 430, 431, 0};
    return column == ResColMargin ? QStringLiteral("Запас") : LoadStr(numbers[column]);
}

void SetCell(QTableWidget *grid, int column, int row, const QString &text) {
    GridItem(grid, column, row)->setText(text);
}

TForm_BasePar *ResultTable(int index) {
    return qobject_cast<TForm_BasePar *>(BaseParWindows[std::size_t(index)].data());
}

} // namespace

TForm_BasePar::TForm_BasePar(int32_t index, QWidget *parent) : QWidget(parent), Index(index == 1 ? 1 : 0) {
    setObjectName(QStringLiteral("Form_BasePar"));
    setAttribute(Qt::WA_DeleteOnClose);
    SG = new QTableWidget(1, ResultColumnCount, this);
    SG->setObjectName(QStringLiteral("SG"));
    SG->horizontalHeader()->setDefaultSectionSize(ResultDefaultWidth);
    SG->verticalHeader()->setDefaultSectionSize(ResultRowHeight);
    SG->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SG->setSelectionMode(QAbstractItemView::NoSelection);
    SG->setProperty("FixedRows", 1);
    SetupFixedHeaders(SG, ResultHeaderHeight);
    SG->viewport()->installEventFilter(this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(SG);

    PopupMenu_Table = new QMenu(this);
    PopupMenu_Table->setObjectName(QStringLiteral("PopupMenu_Table"));
    N_TableSave = PopupMenu_Table->addAction(QStringLiteral("Сохранить таблицу в файл"));
    N_TableSave->setObjectName(QStringLiteral("N_TableSave"));
    connect(N_TableSave, &QAction::triggered, this, &TForm_BasePar::N_TableSaveClick);
    connect(SG, &QTableWidget::cellDoubleClicked, this, [this](int row, int column) { SGDblClick(column, row); });
    connect(SG->verticalHeader(), &QHeaderView::sectionDoubleClicked, this,
            [this](int row) { SGDblClick(ResColCaption, row); });
    connect(SG->horizontalHeader(), &QHeaderView::sectionDoubleClicked, this,
            [this](int column) { SGDblClick(column, 0); });
    connect(SG, &QTableWidget::currentCellChanged, this, [this](int row, int, int previousRow, int) {
        ShowRowColours(previousRow);
        ShowRowColours(row);
    });

    FormStorage1 = new TFormStorage(this);
    FormStorage1->setObjectName(QStringLiteral("FormStorage1"));
    const QString iniFileName = GraphHost.IniFileName ? GraphHost.IniFileName() : QString();
    FormStorage1->SetIniFileName(iniFileName.isEmpty() ? ProgramDir() + QStringLiteral("R9.ini") : iniFileName);
    // One section per window whatever the kind it shows.
    FormStorage1->SetIniSection(ResultsCaption(Index == 1));
    FormStorage1->OnSavePlacement = [this] { FormStorage1SavePlacement(); };
    FormStorage1->OnRestorePlacement = [this] { FormStorage1RestorePlacement(); };

    // The first rebuild leaves the Window menu alone: the window has no item yet.
    setProperty("Tag", -1);
    Rebuild();
}

TForm_BasePar::~TForm_BasePar() {
    Ready = 0;
    FormStorage1->FormDestroy();
}

QWidget *CreateBaseParWindow(int index) {
    return new TForm_BasePar(index);
}

const ParamResult &TForm_BasePar::ResultOf(int32_t tableRow) const {
    return *Results[std::size_t(tableRow)];
}

void TForm_BasePar::Rebuild() {
    Ready = 0;
    const bool remote = Index == 1;
    const int32_t kind = remote ? RemoteSignalKind : SignalKind;
    const int32_t tableKind = kind >= FirstTableKind && kind <= LastTableKind ? kind : 5;
    const ParameterTable table = ParameterTableOf(tableKind);
    Table = table.Rows;
    RowCount = table.RowCount;
    Results.assign(std::size_t(RowCount), nullptr);
    for (int32_t i = 0; i < RowCount; ++i)
        Results[std::size_t(i)] = remote ? &table.RemoteResults[i] : &table.Rows[i].Result;
    setWindowTitle(ResultKindPrefix(kind, remote) + ResultsCaption(remote));

    RowOfGridRow.assign(std::size_t(RowCount), -1);
    GridRowOfRow.assign(std::size_t(RowCount), -1);
    SG->setRowCount(RowCount + 1);
    for (int column = 0; column < ResultColumnCount; ++column) {
        SetCell(SG, column, 0, ResultHeaderText(column));
        SG->item(0, column)->setTextAlignment(Qt::AlignCenter);
        SG->item(0, column)->setBackground(palette().button());
    }
    FillRows();
    for (int column = 0; column < ResultColumnCount; ++column)
        FitGridColumn(SG, column);
    if (property("Tag").toInt() >= 0 && ParamWindowHost.UpdateWindowMenuCaption)
        ParamWindowHost.UpdateWindowMenuCaption(this);
    Ready = 1;
    for (int row = 1; row < SG->rowCount(); ++row)
        ShowRowColours(row);
}

void TForm_BasePar::FillRows() {
    int shown = 0;
    for (int32_t i = 0; i < RowCount; ++i) {
        const ParamDescriptor &row = Table[i];
        GridRowOfRow[std::size_t(i)] = -1;
        if (!row.Settings.Analyse)
            continue;
        const int gridRow = ++shown;
        RowOfGridRow[std::size_t(gridRow - 1)] = i;
        GridRowOfRow[std::size_t(i)] = gridRow;
        SetCell(SG, ResColCaption, gridRow, ParamCaptionText(row));
        SG->item(gridRow, ResColCaption)->setToolTip(QString::fromUtf8(row.Hint));
        SetCell(SG, ResColValue, gridRow, ResultValueText(row, i, ResultOf(i), false));
        SetCell(SG, ResColLower, gridRow, ResultNormText(row, false, false));
        SetCell(SG, ResColUpper, gridRow, ResultNormText(row, true, false));
        SetCell(SG, ResColMargin, gridRow, ResultMarginText(row, ResultOf(i)));
    }
    SG->setRowCount(shown + 1);
    ShowFixedHeaders(SG);
}

void TForm_BasePar::ResizeGrid() {
    Ready = 0;
    SG->setUpdatesEnabled(false);
    SG->setRowCount(RowCount + 1);
    FillRows();
    Ready = 1;
    for (int row = 1; row < SG->rowCount(); ++row)
        ShowRowColours(row);
    SG->setUpdatesEnabled(true);
}

void TForm_BasePar::RefreshValues() {
    if (!Ready)
        return;
    for (int gridRow = 1; gridRow < SG->rowCount(); ++gridRow) {
        const int32_t i = RowOfGridRow[std::size_t(gridRow - 1)];
        SetCell(SG, ResColValue, gridRow, ResultValueText(Table[i], i, ResultOf(i), true));
        SetCell(SG, ResColMargin, gridRow, ResultMarginText(Table[i], ResultOf(i)));
        ShowRowColours(gridRow);
    }
}

void TForm_BasePar::UpdateNormCells(int32_t parameterGridRow) {
    const int32_t i = parameterGridRow - 1;
    if (!Ready || i < 0 || i >= RowCount || !Table[i].Settings.Analyse)
        return;
    const int gridRow = GridRowOfRow[std::size_t(i)];
    if (gridRow < 1)
        return;
    const ParamDescriptor &row = Table[i];
    SetCell(SG, ResColLower, gridRow, ResultNormText(row, false, true));
    SetCell(SG, ResColUpper, gridRow, ResultNormText(row, true, true));
    FitGridColumn(SG, ResColLower);
    FitGridColumn(SG, ResColUpper);
}

int32_t TForm_BasePar::CellColour(int column, int row) const {
    if (!Ready || row < 1 || row >= SG->rowCount())
        return CellWhite;
    const int32_t i = RowOfGridRow[std::size_t(row - 1)];
    return ResultCellColour(Table[i], ResultOf(i), column);
}

void TForm_BasePar::ShowRowColours(int gridRow) {
    if (!Ready || gridRow < 1 || gridRow >= SG->rowCount())
        return;
    for (int column = 0; column < ResultColumnCount; ++column) {
        QTableWidgetItem *item = SG->item(gridRow, column);
        if (!item)
            continue;
        const int32_t colour = CellColour(column, gridRow);
        item->setBackground(WinColor(colour));
        const bool current = column == ResColCaption && gridRow == SG->currentRow();
        item->setForeground(colour == CellRed ? QColor(Qt::white) : current ? QColor(Qt::blue) : QColor(Qt::black));
    }
    ShowFixedHeader(SG, gridRow);
}

void TForm_BasePar::SGDblClick(int column, int row) {
    if (row < 1)
        row = 1;
    if (Index == 0 && column == ResColCaption) {
        const int32_t tableIndex = SignalKind > 0 ? SignalKind - 1 : 4;
        QWidget *opened = ParamWindowHost.ShowMeasParWindow ? ParamWindowHost.ShowMeasParWindow(tableIndex) : nullptr;
        auto *window = qobject_cast<TForm_MeasPar *>(opened);
        if (!window)
            return;
        int paramRow = row - 1 < int(RowOfGridRow.size()) ? RowOfGridRow[std::size_t(row - 1)] + 1 : 1;
        if (paramRow < 1 || paramRow > window->RowCount)
            paramRow = 1;
        window->SGSelectCell(window->SG->currentColumn(), paramRow);
        return;
    }
    PopupMenu_Table->popup(QCursor::pos());
}

void TForm_BasePar::N_TableSaveClick() {
    QString localMasks, localReport;
    QString *masks = GraphHost.DirMaskFile ? GraphHost.DirMaskFile() : nullptr;
    QString *report = GraphHost.DirReport ? GraphHost.DirReport() : nullptr;
    SaveGridToFile(this, SG, masks ? *masks : localMasks, report ? *report : localReport);
}

// The HTML export writes the protocol's results table of the local rows; the remote window's results are
// not in its rows, so its grid is written cell by cell.
const ParamDescriptor *TForm_BasePar::ResultRows() const {
    return Index == 0 ? Table : nullptr;
}

int TForm_BasePar::ResultRowCount() const {
    return RowCount;
}

QStringList TForm_BasePar::MaskNames() const {
    return MaskNameList;
}

bool TForm_BasePar::eventFilter(QObject *watched, QEvent *event) {
    if (watched == SG->viewport() && event->type() == QEvent::Wheel)
        return true;
    return QWidget::eventFilter(watched, event);
}

void TForm_BasePar::FormStorage1SavePlacement() {
    SaveGridColumnWidths(*FormStorage1, *SG, ResultColumnCount);
}

void TForm_BasePar::FormStorage1RestorePlacement() {
    RestoreGridColumnWidths(*FormStorage1, *SG, ResultColumnCount);
}

void RefreshLocalResultTable() {
    if (TForm_BasePar *window = ResultTable(0))
        window->RefreshValues();
}

void RebuildLocalResultTable() {
    if (TForm_BasePar *window = ResultTable(0))
        window->Rebuild();
}
