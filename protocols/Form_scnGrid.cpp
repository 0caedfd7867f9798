#include "protocols/Form_scn.h"

#include "chartlib/Chartlib.h"
#include "platform/MessageService.h"
#include "platform/NoValue.h"
#include "platform/StringTable.h"
#include "protocols/BatchLog.h"
#include "protocols/Form_scnmessage.h"
#include "protocols/ScenarClass.h"
#include "protocols/ScenarioProtocolView.h"
#include "state/FileNameList.h"
#include "state/MainGlobals.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTableWidget>
#include <QToolButton>

#include <algorithm>

namespace {

struct ColumnLayout {
    const char16_t *Caption;
    const char16_t *Hint;
};

const QString ResultHint =
    QStringLiteral("Рассчитанное качество и \nотметка соответствия результатов\nизмерений %1 анализатора нормам,\n"
                   "заданным в данной конфигурации\nбелый цвет фона - Норма \nкрасный цвет фона - Ненорма");

const ColumnLayout Columns[ScenarioColumnCount] = {
    {u"Конфигурация", u"Наименование конфигурации"},
    {u"Tкнф", u"Длительность исполнения конфигурации"},
    {u"Прт", u"Флаг протоколирования результатов\nизмерений собственного анализатора"},
    {u"уд.Прт", u"Флаг протоколирования результатов\nизмерений удаленного анализатора"},
    {u"Пауза", u"Флаг приостановки сценария\nперед началом исполнения\nтекущей конфигурации"},
    {u"Состояние", u"Отражает текущее состояние исполнения"},
    {u"Результат", nullptr},
    {u"уд.Результат", nullptr},
};

struct StateText {
    int16_t State;
    const char16_t *Text;
};

const StateText StateTexts[] = {
    {1, u"Загрузка"},
    {7, u"Пауза"},
    {2, u"Исполнение"},
    {5, u"Передача результатов"},
    {6, u"Разрыв соединения"},
    {-6, u"Разрыв соединения"},
    {-12, u"Разрыв соединения"},
    {3, u"Выполнена"},
    {-1, u"Нет результатов"},
    {-2, u"Нет соединения"},
    {-14, u"Режим не поддерживается"},
};

QString StateTextOf(int16_t state) {
    for (const StateText &entry : StateTexts)
        if (entry.State == state)
            return QString::fromUtf16(entry.Text);
    return {};
}

const QColor White(Qt::white);
const QColor Yellow(Qt::yellow);
const QColor Silver(0xC0, 0xC0, 0xC0);
const QColor Red(Qt::red);

QString VerdictWord(int verdict) {
    return verdict == 0 ? LoadStr(37) : verdict == 1 ? LoadStr(36) : QString();
}

// "1.25 дБ,Норма", the verdict alone without a quality.
QString ResultText(float quality, int16_t verdict) {
    if (quality == NoValue)
        return VerdictWord(verdict);
    return FormatValue(quality) + QStringLiteral(" дБ,") + VerdictWord(verdict);
}

bool IsResultColumn(int column) {
    return column == ColResult || column == ColRemoteResult;
}

// A grid cell that holds one control at its right edge, the rest of the cell showing the cell's colour.
QWidget *RightAlignedCell(QWidget *control, const QMargins &margins) {
    auto *cell = new QWidget;
    auto *layout = new QHBoxLayout(cell);
    layout->setContentsMargins(margins);
    layout->addStretch(1);
    layout->addWidget(control);
    return cell;
}

} // namespace

void TForm_Scenario::InitGrid() {
    SG->setColumnCount(ScenarioColumnCount);
    SG->setRowCount(2);
    SG->verticalHeader()->hide();
    SG->verticalHeader()->setDefaultSectionSize(20);
    SG->horizontalHeader()->setMinimumHeight(40);
    SG->horizontalHeader()->setDefaultSectionSize(40);
    SG->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SG->setSelectionMode(QAbstractItemView::SingleSelection);
    SG->setSelectionBehavior(QAbstractItemView::SelectItems);
    SG->setWordWrap(false);
    headerHints_.clear();
    for (int column = 0; column < ScenarioColumnCount; ++column) {
        const ColumnLayout &layout = Columns[column];
        const QString hint = layout.Hint ? QString::fromUtf16(layout.Hint)
                                         : ResultHint.arg(column == ColResult ? QStringLiteral("собственного")
                                                                              : QStringLiteral("удаленного"));
        auto *header = new QTableWidgetItem(QString::fromUtf16(layout.Caption));
        header->setToolTip(hint);
        SG->setHorizontalHeaderItem(column, header);
        headerHints_ << hint;
    }
    ClearSummaryRow();
    SizeFirstColumn();
    SG->installEventFilter(this);
    SG->viewport()->installEventFilter(this);
    connect(SG, &QTableWidget::currentCellChanged, this,
            [this](int row, int column, int previousRow, int previousColumn) {
                // Only the result cells of data rows become current; a press elsewhere selects its row.
                if (row < 0 || (IsResultColumn(column) && row + 1 < SG->rowCount()))
                    return;
                const int targetRow = row + 1 < SG->rowCount() ? row : std::max(previousRow, 0);
                const int targetColumn = IsResultColumn(previousColumn) ? previousColumn : ColResult;
                const QSignalBlocker blocker(SG);
                SG->setCurrentCell(targetRow, targetColumn);
            });
}

bool TForm_Scenario::eventFilter(QObject *watched, QEvent *event) {
    if (watched == SG->viewport() && event->type() == QEvent::Wheel)
        return true;
    if (watched == SG && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            QToolButton *button = ResultButton(SG->currentColumn(), SelectedGridRow());
            if (button && button->isEnabled())
                button->click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

int TForm_Scenario::GridRowCount() const {
    return SG->rowCount() + 1;
}

QTableWidgetItem *TForm_Scenario::Item(int column, int gridRow) const {
    QTableWidgetItem *item = SG->item(gridRow - 1, column);
    if (!item) {
        item = new QTableWidgetItem;
        SG->setItem(gridRow - 1, column, item);
    }
    return item;
}

QString TForm_Scenario::Cell(int column, int gridRow) const {
    if (gridRow == 0)
        return SG->horizontalHeaderItem(column)->text();
    const QTableWidgetItem *item = SG->item(gridRow - 1, column);
    return item ? item->text() : QString();
}

void TForm_Scenario::SetCell(int column, int gridRow, const QString &text) {
    Item(column, gridRow)->setText(text);
}

int TForm_Scenario::SelectedGridRow() const {
    return std::max(SG->currentRow(), 0) + 1;
}

void TForm_Scenario::SelectGridRow(int gridRow) {
    const int column = IsResultColumn(SG->currentColumn()) ? SG->currentColumn() : ColResult;
    const QSignalBlocker blocker(SG);
    SG->setCurrentCell(gridRow - 1, column);
}

void TForm_Scenario::SetCurrentColumn(int column) {
    const QSignalBlocker blocker(SG);
    SG->setCurrentCell(std::max(SG->currentRow(), 0), column);
}

void TForm_Scenario::SizeFirstColumn() {
    int widest = SG->fontMetrics().horizontalAdvance(Cell(ColConfig, 0));
    for (int gridRow = 1; gridRow < GridRowCount(); ++gridRow)
        widest = std::max(widest, SG->fontMetrics().horizontalAdvance(Cell(ColConfig, gridRow)));
    SG->setColumnWidth(ColConfig, widest + 3 + 2 * SG->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 6);
}

ScenarioRow *TForm_Scenario::RowOf(int gridRow) const {
    if (!CurrentScenario || gridRow < 1 || gridRow > CurrentScenario->RowCount())
        return nullptr;
    return &CurrentScenario->Rows[std::size_t(gridRow - 1)];
}

void TForm_Scenario::SetCellColor(int column, int gridRow) {
    QColor colour = White;
    const bool summary = gridRow == GridRowCount() - 1;
    if (const ScenarioRow *row = RowOf(gridRow)) {
        switch (column) {
        case ColPrt:
            colour = row->Prt ? White : Yellow;
            break;
        case ColRemotePrt:
            colour = !row->RemoteLink ? Silver : row->RemotePrt ? White : Yellow;
            break;
        case ColResult:
            colour = !row->Prt ? Silver : row->NormOk == 0 ? Red : White;
            break;
        case ColRemoteResult:
            colour = !(row->RemoteLink && row->RemotePrt) ? Silver : row->RemoteNormOk == 0 ? Red : White;
            break;
        default:
            break;
        }
    } else if (summary && CurrentScenario && CurrentScenario->RowCount() > 0) {
        if (column >= ColDuration && column <= ColPause)
            colour = Silver;
        else if (column == ColResult && LocalContributed && LocalVerdict == 0)
            colour = Red;
        else if (column == ColRemoteResult && RemoteContributed && RemoteVerdict == 0)
            colour = Red;
    }
    QTableWidgetItem *item = Item(column, gridRow);
    item->setBackground(colour);
    item->setForeground(colour == Red ? QColor(Qt::white) : palette().color(QPalette::WindowText));
}

void TForm_Scenario::PaintRow(int gridRow) {
    for (int column = 0; column < ScenarioColumnCount; ++column)
        SetCellColor(column, gridRow);
}

QCheckBox *TForm_Scenario::FlagBox(int column, int gridRow) const {
    QWidget *cell = SG->cellWidget(gridRow - 1, column);
    return cell ? cell->findChild<QCheckBox *>() : nullptr;
}

QToolButton *TForm_Scenario::ResultButton(int column, int gridRow) const {
    QWidget *cell = SG->cellWidget(gridRow - 1, column);
    return cell ? cell->findChild<QToolButton *>() : nullptr;
}

// The box sits in the right half of its cell, over the cell's own colour.
void TForm_Scenario::CheckBoxInGrid(int column, int gridRow) {
    const ScenarioRow *row = RowOf(gridRow);
    if (!row || SG->cellWidget(gridRow - 1, column) || (column == ColRemotePrt && !row->RemoteLink))
        return;
    auto *box = new QCheckBox;
    box->setFocusPolicy(Qt::NoFocus);
    box->setEnabled(ScenarioRunning == 0);
    SG->setCellWidget(gridRow - 1, column, RightAlignedCell(box, QMargins(0, 0, 3, 0)));
    connect(box, &QCheckBox::clicked, this, [this, box, column](bool checked) {
        if (const int gridRow = ControlRow(column, box))
            CheckBoxClick(column, gridRow, checked);
    });
}

// A ">>" button at the right edge of a result cell, disabled until the row shows its results.
void TForm_Scenario::BtnInGrid(int column, int gridRow) {
    if (SG->cellWidget(gridRow - 1, column))
        return;
    auto *button = new QToolButton;
    button->setText(QStringLiteral(">>"));
    button->setToolTip(QStringLiteral("Подробная информация о\nрезультатах измерения"));
    QFont font = button->font();
    font.setPointSize(7);
    button->setFont(font);
    const int side = SG->verticalHeader()->defaultSectionSize() - 4;
    button->setFixedSize(side, side);
    button->setEnabled(false);
    SG->setCellWidget(gridRow - 1, column, RightAlignedCell(button, QMargins(0, 2, 3, 2)));
    connect(button, &QToolButton::clicked, this, [this, button, column] { BtnClick(button, column); });
}

// The row is found where the control stands now, since rows move as others are inserted or deleted;
// 0 when it stands in none.
int TForm_Scenario::ControlRow(int column, const QWidget *control) const {
    for (int gridRow = 1; gridRow < GridRowCount() - 1; ++gridRow) {
        const QWidget *cell = SG->cellWidget(gridRow - 1, column);
        if (cell && control->parentWidget() == cell)
            return gridRow;
    }
    return 0;
}

void TForm_Scenario::BtnClick(QToolButton *button, int column) {
    const ScenarioRow *row = RowOf(ControlRow(column, button));
    if (!row)
        return;
    const bool local = column == ColResult;
    ShowProtocol(*CurrentScenario, FixedText(local ? row->M_Cnt0 : row->R_Cnt0),
                 FixedText(local ? row->M_Data : row->R_Data), ScenarioWindowHost().OpenUrl);
}

void TForm_Scenario::RemoveCellControl(int column, int gridRow) {
    if (SG->cellWidget(gridRow - 1, column))
        SG->removeCellWidget(gridRow - 1, column);
}

void TForm_Scenario::RemoveAllGridControls() {
    for (int gridRow = 1; gridRow < GridRowCount(); ++gridRow)
        for (int column = ColPrt; column < ScenarioColumnCount; ++column)
            RemoveCellControl(column, gridRow);
}

void TForm_Scenario::ShowRowHints(int gridRow) {
    const ScenarioRow *row = RowOf(gridRow);
    if (!row)
        return;
    Item(ColConfig, gridRow)->setToolTip(FileNameList.value(row->ConfigIndex));
    Item(ColDuration, gridRow)->setToolTip(DurationHint(*row));
    Item(ColPause, gridRow)->setToolTip(row->PauseBefore ? FixedText(row->PauseMessage) : QString());
}

void TForm_Scenario::FillRow(int index) {
    const int gridRow = index + 1;
    ScenarioRow &row = CurrentScenario->Rows[std::size_t(index)];
    const QString name = QFileInfo(FileNameList.value(row.ConfigIndex)).fileName();
    SetCell(ColConfig, gridRow, name.left(std::max<qsizetype>(name.size() - 4, 0)));
    SetCell(ColDuration, gridRow, SecondsToClock(row.Duration, true));
    RemoveCellControl(ColPrt, gridRow);
    RemoveCellControl(ColRemotePrt, gridRow);
    for (int column : {ColPrt, ColRemotePrt, ColPause})
        CheckBoxInGrid(column, gridRow);
    if (!row.RemoteLink)
        row.RemotePrt = 0;
    const auto show = [this, gridRow](int column, bool on) {
        if (QCheckBox *box = FlagBox(column, gridRow))
            box->setChecked(on);
    };
    show(ColPause, row.PauseBefore);
    show(ColPrt, row.Prt);
    show(ColRemotePrt, row.RemotePrt);
    for (const auto &[column, on] :
         {std::pair{ColResult, row.Prt != 0}, std::pair{ColRemoteResult, row.RemotePrt != 0}})
        if (on)
            BtnInGrid(column, gridRow);
        else
            RemoveCellControl(column, gridRow);
    ShowRowHints(gridRow);
    PaintRow(gridRow);
}

void TForm_Scenario::FillRowsFrom(int index) {
    for (int i = index; i < CurrentScenario->RowCount(); ++i)
        FillRow(i);
}

void TForm_Scenario::CheckBoxClick(int column, int gridRow, bool checked) {
    ScenarioRow *row = RowOf(gridRow);
    if (!row)
        return;
    (column == ColPrt ? row->Prt : column == ColRemotePrt ? row->RemotePrt : row->PauseBefore) = checked ? 1 : 0;
    if (!ApplyFlagChange(column, gridRow)) {
        ShowMessage({QStringLiteral("Одновременное отсутствие флагов протоколирования недопустимо!"), LoadStr(5),
                     MsgIcon::Error, MsgButtons::Ok});
        FlagBox(column, gridRow)->setChecked(!checked);
    }
    ShowRowHints(gridRow);
    PaintRow(gridRow);
    SelectGridRow(gridRow);
    SG->setFocus();
    Modified = true;
    UpdateButtons();
}

bool TForm_Scenario::ApplyFlagChange(int column, int gridRow) {
    ScenarioRow &row = *RowOf(gridRow);
    switch (column) {
    case ColPrt:
        if (row.RemotePrt == 0) {
            row.Prt = 1;
            return false;
        }
        break;
    case ColRemotePrt:
        if (row.Prt == 0) {
            row.RemotePrt = 1;
            return false;
        }
        break;
    case ColPause:
        if (row.PauseBefore)
            EditPauseMessage(this, row);
        return true;
    default:
        return true;
    }
    const int resultColumn = column == ColPrt ? ColResult : ColRemoteResult;
    if (column == ColPrt ? row.Prt : row.RemotePrt)
        BtnInGrid(resultColumn, gridRow);
    else
        RemoveCellControl(resultColumn, gridRow);
    return true;
}

void TForm_Scenario::ShowRowState(int index) {
    const int gridRow = index + 1;
    const ScenarioRow &row = CurrentScenario->Rows[std::size_t(index)];
    const QString state = StateTextOf(row.State);
    SetCell(ColState, gridRow, state);
    if (row.State == 3) {
        if (row.Prt) {
            SetCell(ColResult, gridRow, ResultText(row.Quality, row.NormOk));
            if (QToolButton *button = ResultButton(ColResult, gridRow))
                button->setEnabled(true);
        }
        if (row.RemotePrt) {
            SetCell(ColRemoteResult, gridRow, ResultText(row.RemoteQuality, row.RemoteNormOk));
            if (QToolButton *button = ResultButton(ColRemoteResult, gridRow))
                button->setEnabled(true);
        }
    }
    PaintRow(gridRow);
    if (BatchMessagesDiverted())
        AppendBatchLog(0, FileNameWithoutExt(FileNameList.value(row.ConfigIndex)) + u'=' + state);
}

void TForm_Scenario::ShowSummary() {
    const TScenarClass &s = *CurrentScenario;
    const int gridRow = GridRowCount() - 1;
    float localMin = NoValue, remoteMin = NoValue;
    bool allDone = true;
    for (const ScenarioRow &row : s.Rows) {
        if (row.State != 3) {
            allDone = false;
            continue;
        }
        const auto take = [](bool on, int16_t verdict, float quality, uint8_t &combined, bool &contributed,
                             float &minimum) {
            if (!on)
                return;
            combined &= uint8_t(verdict);
            contributed = true;
            if (quality != NoValue && (minimum == NoValue || quality < minimum))
                minimum = quality;
        };
        take(row.Prt != 0, row.NormOk, row.Quality, LocalVerdict, LocalContributed, localMin);
        take(row.RemotePrt != 0, row.RemoteNormOk, row.RemoteQuality, RemoteVerdict, RemoteContributed, remoteMin);
    }
    QString state;
    if (allDone)
        state = QStringLiteral("Выполнен");
    else if (s.CurrentRow == s.RowCount() - 1)
        state = QStringLiteral("Ошибка!");
    SetCell(ColState, gridRow, state);
    if (BatchMessagesDiverted() && !state.isEmpty())
        AppendBatchLog(0, QStringLiteral("Итог ") + state);
    const auto summary = [](float minimum, uint8_t verdict, bool contributed) {
        const QString word = verdict == 0 ? LoadStr(37) : verdict == 1 ? LoadStr(36) : QString();
        if (minimum != NoValue)
            return FormatValue(minimum) + QStringLiteral(" дБ") + (word.isEmpty() ? QString() : u',' + word);
        if (contributed)
            return word.isEmpty() ? QStringLiteral("-") : word;
        return QString();
    };
    SetCell(ColResult, gridRow, summary(localMin, LocalVerdict, LocalContributed));
    SetCell(ColRemoteResult, gridRow, summary(remoteMin, RemoteVerdict, RemoteContributed));
    PaintRow(gridRow);
}

void TForm_Scenario::ResetSummary() {
    const int gridRow = GridRowCount() - 1;
    for (int column = ColState; column < ScenarioColumnCount; ++column)
        SetCell(column, gridRow, QString());
    LocalVerdict = RemoteVerdict = 3;
    LocalContributed = RemoteContributed = false;
    PaintRow(gridRow);
}

void TForm_Scenario::ClearSummaryRow() {
    const int gridRow = GridRowCount() - 1;
    SetCell(ColConfig, gridRow, QStringLiteral("Итог"));
    Item(ColConfig, gridRow)->setToolTip(QStringLiteral("Итог исполнения сценария"));
    for (int column = ColDuration; column < ScenarioColumnCount; ++column) {
        SetCell(column, gridRow, QString());
        Item(column, gridRow)->setToolTip(QString());
    }
    PaintRow(gridRow);
}

void TForm_Scenario::ResetRowResults(int index) {
    const int gridRow = index + 1;
    for (int column : {ColResult, ColRemoteResult})
        if (QToolButton *button = ResultButton(column, gridRow))
            button->setEnabled(false);
    for (int column = ColState; column < ScenarioColumnCount; ++column)
        SetCell(column, gridRow, QString());
    ScenarioRow &row = CurrentScenario->Rows[std::size_t(index)];
    row.State = 0;
    row.NormOk = 3;
    row.Quality = NoValue;
    row.RemoteNormOk = 3;
    row.RemoteQuality = NoValue;
    SetFixedText(row.M_Cnt0, QString());
    SetFixedText(row.M_Data, QString());
    SetFixedText(row.R_Cnt0, QString());
    SetFixedText(row.R_Data, QString());
    PaintRow(gridRow);
}

void TForm_Scenario::ClearGrid() {
    RemoveAllGridControls();
    SG->clearContents();
    SG->setRowCount(2);
    SelectGridRow(1);
    ClearSummaryRow();
    ResetSummary();
    PaintRow(1);
    CurrentScenario->Name.clear();
}

void TForm_Scenario::DeleteCurrentRow() {
    const int gridRow = SelectedGridRow();
    if (!RowOf(gridRow))
        return;
    for (int r = gridRow; r < GridRowCount() - 1; ++r)
        for (int column = ColPrt; column < ScenarioColumnCount; ++column)
            RemoveCellControl(column, r);
    DeleteConfigRow(*CurrentScenario, gridRow - 1);
    if (CurrentScenario->RowCount() > 0) {
        SG->setRowCount(CurrentScenario->RowCount() + 1);
        FillRowsFrom(gridRow - 1);
        SelectGridRow(CurrentScenario->RowCount());
    } else {
        ClearGrid();
    }
    SetCurrentColumn(ColResult);
    SizeFirstColumn();
    Modified = true;
    UpdateButtons();
    ClearSummaryRow();
}

void TForm_Scenario::Tlb_DelCfgClick() {
    DeleteCurrentRow();
}
