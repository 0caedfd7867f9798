#include "views/Form_parammeter.h"

#include "chartlib/Chartlib.h"
#include "controls/Placemnt.h"
#include "controls/Zeltcspinedit.h"
#include "engine/EngineBuffers.h"
#include "engine/TimeSeries.h"
#include "engine/catalogue/ParameterTable.h"
#include "engine/masks/MaskArray.h"
#include "platform/ProgramDir.h"
#include "platform/StringTable.h"
#include "settings/RemoteParamChange.h"
#include "settings/SettingsInterlocks.h"
#include "state/MainGlobals.h"
#include "state/ProgramSettings.h"
#include "state/RecordChangeMask.h"
#include "views/Form_parambase.h"
#include "views/GraphHost.h"
#include "views/ParamGridCells.h"
#include "views/ParamGrids.h"
#include "views/ParamWindowHost.h"
#include "views/Scalelabel.h"
#include "views/masks/Form_selectmask.h"

#include <QCheckBox>
#include <QEvent>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

std::array<QPointer<QWidget>, MeasParWindowCount> MeasParWindows;
TParamWindowHost ParamWindowHost;

namespace {

constexpr int HeaderRowHeight = 40;
constexpr int DataRowHeight = 20;
constexpr int DefaultColumnWidth = 40;
const QColor CurrentRowText = Qt::blue;

int CellTag(int column, int row) {
    return (column << 8) | row;
}

const int ParamHeaderTexts[ParamColumnCount] = {427, 428, 429, 435, 436, 437, 430, 438, 431, 0};

QString ParamHeaderText(int column) {
    return column == ColMargin ? QStringLiteral("Расчет\nзапаса") : LoadStr(ParamHeaderTexts[column]);
}

// The grid lets Tab stop only on the two norm columns, and the arrow keys across go from one norm column
// to the other, never onto a check box.
class TNormColumnGrid : public QTableWidget {
public:
    using QTableWidget::QTableWidget;

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override {
        const QModelIndex current = currentIndex();
        if (!current.isValid())
            return QTableWidget::moveCursor(action, modifiers);
        const int row = current.row();
        const int column = current.column();
        switch (action) {
        case MoveNext:
            if (column == ColLowerNorm)
                return model()->index(row, ColUpperNorm);
            return model()->index(row + 1 < rowCount() ? row + 1 : 1, ColLowerNorm);
        case MovePrevious:
            if (column == ColUpperNorm)
                return model()->index(row, ColLowerNorm);
            return model()->index(row > 1 ? row - 1 : rowCount() - 1, ColUpperNorm);
        case MoveLeft:
        case MoveRight: {
            const int target = NormColumnFor(column, column + (action == MoveLeft ? -1 : 1));
            return target < 0 ? current : model()->index(row, target);
        }
        default:
            return QTableWidget::moveCursor(action, modifiers);
        }
    }
};

TForm_BasePar *LocalResultTable() {
    return qobject_cast<TForm_BasePar *>(BaseParWindows[0].data());
}

void NoteSettingsChange() {
    if (RecordingOn)
        RecordChangeMask |= 1;
}

} // namespace

TForm_MeasPar::TForm_MeasPar(int32_t index, QWidget *parent)
    : QWidget(parent), Index(index >= 0 && index < MeasParWindowCount ? index : 0) {
    setObjectName(QStringLiteral("Form_MeasPar"));
    setAttribute(Qt::WA_DeleteOnClose);
    RunMaskDialog = [](TForm_SetMask &dialog) { dialog.exec(); };
    FormCreate();
}

TForm_MeasPar::~TForm_MeasPar() {
    FormStorage1->FormDestroy();
    DropNormEditor();
}

QWidget *CreateMeasParWindow(int index) {
    return new TForm_MeasPar(index);
}

QString ParamTableCaption(int32_t tableIndex) {
    return ParamTitlePrefix(tableIndex) + LoadStr(426);
}

void TForm_MeasPar::FormCreate() {
    const ParameterTable table = ParameterTableOf(Index + 1);
    Table = table.Rows;
    RowCount = table.RowCount;
    setWindowTitle(ParamTableCaption(Index));

    SG = new TNormColumnGrid(RowCount + 1, ParamColumnCount, this);
    SG->setObjectName(QStringLiteral("SG"));
    SG->horizontalHeader()->setDefaultSectionSize(DefaultColumnWidth);
    SG->verticalHeader()->setDefaultSectionSize(DataRowHeight);
    SG->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SG->setSelectionMode(QAbstractItemView::NoSelection);
    SG->setTabKeyNavigation(true);
    SG->setProperty("FixedRows", 1);
    SG->installEventFilter(this);
    SG->viewport()->installEventFilter(this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(SG);

    for (int column = 0; column < ParamColumnCount; ++column) {
        QTableWidgetItem *header = GridItem(SG, column, 0);
        header->setText(ParamHeaderText(column));
        header->setTextAlignment(Qt::AlignCenter);
        header->setBackground(palette().button());
    }
    SetupFixedHeaders(SG, HeaderRowHeight);
    for (int row = 1; row <= RowCount; ++row) {
        QTableWidgetItem *caption = GridItem(SG, ColCaption, row);
        caption->setBackground(palette().button());
        caption->setToolTip(QString::fromUtf8(RowOf(row).Hint));
        CreateCheckBoxes(row);
    }

    FormStorage1 = new TFormStorage(this);
    FormStorage1->setObjectName(QStringLiteral("FormStorage1"));
    const QString iniFileName = GraphHost.IniFileName ? GraphHost.IniFileName() : QString();
    FormStorage1->SetIniFileName(iniFileName.isEmpty() ? ProgramDir() + QStringLiteral("R9.ini") : iniFileName);
    FormStorage1->SetIniSection(windowTitle());
    FormStorage1->OnSavePlacement = [this] { FormStorage1SavePlacement(); };
    FormStorage1->OnRestorePlacement = [this] { FormStorage1RestorePlacement(); };

    connect(SG, &QTableWidget::currentCellChanged, this, &TForm_MeasPar::CurrentCellChanged);
    EnableEditors();
    SGSelectCell(ColLowerNorm, RowCount > 0 ? 1 : 0);
    for (int column = 0; column < ParamColumnCount; ++column)
        FitGridColumn(SG, column);
}

ParamDescriptor &TForm_MeasPar::RowOf(int gridRow) const {
    return Table[gridRow - 1];
}

void TForm_MeasPar::CreateCheckBoxes(int row) {
    ParamDescriptor &param = RowOf(row);
    for (int column = ColAnalyse; column < ParamColumnCount; ++column) {
        if (column == ColLowerNorm || column == ColUpperNorm || !ParamCellAllowed(param, column))
            continue;
        // The box shows the switch; a click on its cell goes through CBoxClick, which may refuse it.
        auto *cell = new QWidget;
        cell->setProperty("Tag", CellTag(column, row));
        auto *layout = new QHBoxLayout(cell);
        layout->setContentsMargins(0, 4, 3, 3);
        layout->addStretch();
        auto *box = new QCheckBox(cell);
        box->setAttribute(Qt::WA_TransparentForMouseEvents);
        box->setFocusPolicy(Qt::NoFocus);
        layout->addWidget(box);
        layout->addStretch();
        cell->installEventFilter(this);
        SG->setCellWidget(row, column, cell);
    }
}

QWidget *TForm_MeasPar::CheckBoxAt(int column, int row) const {
    if (column == ColLowerNorm || column == ColUpperNorm)
        return nullptr;
    return SG->cellWidget(row, column);
}

bool TForm_MeasPar::BoxChecked(int column, int row) const {
    const QWidget *cell = CheckBoxAt(column, row);
    const QCheckBox *box = cell ? cell->findChild<QCheckBox *>() : nullptr;
    return box && box->isChecked();
}

TZeltCSpinEdit *TForm_MeasPar::SpinEdit() const {
    return editorColumn_ < 0 ? nullptr : qobject_cast<TZeltCSpinEdit *>(SG->cellWidget(editorRow_, editorColumn_));
}

QToolButton *TForm_MeasPar::MaskButton() const {
    QWidget *cell = editorColumn_ < 0 ? nullptr : SG->cellWidget(editorRow_, editorColumn_);
    return cell ? cell->findChild<QToolButton *>() : nullptr;
}

int32_t TForm_MeasPar::CellColour(int column, int row) const {
    return row >= 1 && row <= RowCount ? ParamCellColour(RowOf(row), column) : CellGrey;
}

bool TForm_MeasPar::SettingsLocked() const {
    const bool recorded = ProgramSettings.UseRecordedSettings != 0;
    const bool scenario = ParamWindowHost.ScenarioRunning && ParamWindowHost.ScenarioRunning();
    return (PlaybackOn && recorded) || scenario;
}

bool TForm_MeasPar::IsCurrentTable() const {
    return Index + 1 == SignalKind || (Index == 4 && SignalKind == 0);
}

void TForm_MeasPar::UpdateRowEnables(int row) {
    const bool locked = SettingsLocked();
    const ParamDescriptor &param = RowOf(row);
    for (int column = ColAnalyse; column < ParamColumnCount; ++column)
        if (QWidget *cell = CheckBoxAt(column, row))
            cell->setEnabled(ParamBoxEnabled(param, column, locked));
}

void TForm_MeasPar::ShowRow(int row) {
    ParamDescriptor &param = RowOf(row);
    GridItem(SG, ColCaption, row)->setText(ParamCaptionText(param));
    for (int column = ColAnalyse; column < ParamColumnCount; ++column) {
        QTableWidgetItem *item = GridItem(SG, column, row);
        item->setBackground(WinColor(ParamCellColour(param, column)));
        if (QWidget *cell = CheckBoxAt(column, row))
            cell->findChild<QCheckBox *>()->setChecked(*ParamSwitch(param, column) != 0);
    }
    const ParamSettings &s = param.Settings;
    const auto normText = [&param](bool allowed, float norm, int16_t maskName) {
        if (!allowed)
            return QString();
        if (!param.TextNorms)
            return FormatValue(norm);
        return maskName >= 0 ? MaskTemplateText(maskName) : QString();
    };
    GridItem(SG, ColLowerNorm, row)->setText(normText(param.LowerNormAllowed, s.LowerNorm, s.LowerMaskName));
    GridItem(SG, ColUpperNorm, row)->setText(normText(param.UpperNormAllowed, s.UpperNorm, s.UpperMaskName));
    UpdateRowEnables(row);
}

void TForm_MeasPar::ShowParams() {
    SG->setUpdatesEnabled(false);
    for (int row = 1; row <= RowCount; ++row)
        ShowRow(row);
    ShowCurrentRowColour(SG->currentRow(), true);
    ShowFixedHeaders(SG);
    SG->setUpdatesEnabled(true);
}

void TForm_MeasPar::EnableEditors() {
    ShowParams();
    const bool locked = SettingsLocked();
    if (QWidget *editor = editorColumn_ < 0 ? nullptr : SG->cellWidget(editorRow_, editorColumn_))
        editor->setEnabled(!locked);
    if (TZeltCSpinEdit *edit = SpinEdit()) {
        writing_ = true;
        edit->SetValue(RoundTo3Decimals(SG->item(editorRow_, editorColumn_)->text().toDouble()));
        writing_ = false;
    }
}

void TForm_MeasPar::ShowCurrentRowColour(int row, bool current) {
    if (row < 1 || row > RowCount)
        return;
    GridItem(SG, ColCaption, row)->setForeground(current ? CurrentRowText : palette().color(QPalette::Text));
    ShowFixedHeader(SG, row);
}

void TForm_MeasPar::CBoxClick(int column, int row) {
    QWidget *cell = row >= 1 && row <= RowCount ? CheckBoxAt(column, row) : nullptr;
    if (!cell || !cell->isEnabled())
        return;
    const bool breaksLink = column == ColAnalyse || column == ColProtocol || column == ColApplyLower ||
                            column == ColApplyUpper || column == ColMargin;
    if (breaksLink && (!ConfirmBreakConnection() || !WarnRemoteParamChange())) {
        SG->setFocus();
        return;
    }
    uint8_t &flag = *ParamSwitch(RowOf(row), column);
    flag = flag ? 0 : 1;
    ShowRow(row);
    SG->setFocus();
    ColumnAction(column, row);
    NoteSettingsChange();
}

void TForm_MeasPar::ColumnAction(int column, int row) {
    ParamDescriptor &param = RowOf(row);
    const int32_t tableRow = row - 1;
    switch (column) {
    case ColAnalyse:
        if (IsCurrentTable())
            if (TForm_BasePar *results = LocalResultTable())
                results->ResizeGrid();
        SetParamFromConfig(tableRow, param.Settings.TimeDiagram != 0, Index);
        if (param.GraphKind >= 0 && param.Settings.Analyse == 1 && ParamWindowHost.ShowGraphWindow)
            ParamWindowHost.ShowGraphWindow(param.GraphKind);
        break;
    case ColTimeDiagram:
        BindRowTimeSeries(&param, true);
        break;
    case ColTextWindow:
        BindRowTextWindow(tableRow, Index);
        break;
    case ColApplyLower:
    case ColApplyUpper:
        ApplyMaskSide(column, row);
        [[fallthrough]];
    case ColMargin:
        if (IsCurrentTable())
            if (TForm_BasePar *results = LocalResultTable())
                results->ResizeGrid();
        break;
    default:
        break;
    }
}

// A curve row's mask of the switched side is judged exactly while the row is analysed with that norm
// applied; its graph window, when open, binds it anew.
void TForm_MeasPar::ApplyMaskSide(int column, int row) {
    ParamDescriptor &param = RowOf(row);
    if (param.MaskSlot < 0)
        return;
    const bool lower = column == ColApplyLower || column == ColLowerNorm;
    const int side = lower ? MaskLowerSide : MaskUpperSide;
    TMASK *mask = SlotMask(param.MaskSlot, side);
    if (!mask)
        return;
    const ParamSettings &s = param.Settings;
    mask->Active =
        uint8_t(s.Analyse && (lower ? s.ApplyLower && param.LowerNormAllowed : s.ApplyUpper && param.UpperNormAllowed));
    if (param.GraphKind >= 0 && ParamWindowHost.RebindGraphMasks)
        ParamWindowHost.RebindGraphMasks(param.GraphKind, side);
}

bool TForm_MeasPar::SGSelectCell(int column, int row) {
    if (row < 1 || row > RowCount)
        return false;
    const int target = NormColumnFor(SG->currentColumn(), column);
    if (target < 0)
        return false;
    SG->setCurrentCell(row, target);
    return target == column;
}

void TForm_MeasPar::CurrentCellChanged(int row, int column, int previousRow, int previousColumn) {
    if (selecting_)
        return;
    selecting_ = true;
    if (row >= 1 && column != ColLowerNorm && column != ColUpperNorm) {
        const int target = NormColumnFor(previousColumn, column);
        if (target >= 0)
            column = target;
        else
            row = previousRow, column = previousColumn;
        SG->setCurrentCell(row, column);
    }
    if (previousRow != row) {
        ShowCurrentRowColour(previousRow, false);
        ShowCurrentRowColour(row, true);
    }
    if (row != editorRow_ || column != editorColumn_) {
        DropNormEditor();
        if (row >= 1 && (column == ColLowerNorm || column == ColUpperNorm)) {
            editorRow_ = row;
            editorColumn_ = column;
            PlaceNormEditor();
        }
    }
    selecting_ = false;
}

void TForm_MeasPar::DropNormEditor() {
    normAgreed_ = normDeclined_ = false;
    const int row = editorRow_;
    const int column = editorColumn_;
    editorRow_ = editorColumn_ = -1;
    QPointer<QWidget> editor = column >= 0 ? SG->cellWidget(row, column) : nullptr;
    if (!editor)
        return;
    // Gone from the screen at once; freed once the event that led here has been handled.
    editor->hide();
    SG->removeCellWidget(row, column);
    if (editor)
        editor->deleteLater();
}

void TForm_MeasPar::PlaceNormEditor() {
    ParamDescriptor &param = RowOf(editorRow_);
    const bool lower = editorColumn_ == ColLowerNorm;
    if (!(lower ? param.LowerNormAllowed : param.UpperNormAllowed))
        return;
    const bool locked = SettingsLocked();
    if (param.TextNorms) {
        auto *cell = new QWidget;
        auto *layout = new QHBoxLayout(cell);
        layout->setContentsMargins(0, 4, 3, 3);
        layout->addStretch();
        auto *button = new QToolButton(cell);
        button->setText(QStringLiteral("..."));
        QFont bold = button->font();
        bold.setBold(true);
        button->setFont(bold);
        button->setFixedSize(DataRowHeight - 7, DataRowHeight - 7);
        button->setEnabled(!locked);
        layout->addWidget(button);
        const int column = editorColumn_;
        const int row = editorRow_;
        connect(button, &QToolButton::clicked, this, [this, column, row] { BtnClick(column, row); });
        SG->setCellWidget(editorRow_, editorColumn_, cell);
        return;
    }
    auto *edit = new TZeltCSpinEdit;
    edit->setProperty("Tag", CellTag(editorColumn_, editorRow_));
    edit->SetIncrement(1);
    edit->SetMinValue(RoundTo3Decimals(param.ScaleMin));
    edit->SetMaxValue(RoundTo3Decimals(param.ScaleMax));
    writing_ = true;
    edit->SetValue(RoundTo3Decimals(lower ? param.Settings.LowerNorm : param.Settings.UpperNorm));
    writing_ = false;
    edit->setEnabled(!locked);
    edit->installEventFilter(this);
    connect(edit, &TZeltCSpinEdit::Change, this, &TForm_MeasPar::SpEdtChange);
    SG->setCellWidget(editorRow_, editorColumn_, edit);
}

bool TForm_MeasPar::SpEdtEnter() {
    if (ConfirmBreakConnection() && WarnRemoteParamChange())
        return true;
    SG->setFocus();
    return false;
}

// Asks once per entry into the norm editor; a change that comes without an entry (the mouse wheel) asks
// itself, and one that follows a declined question (the arrow click that entered the editor) is refused
// without asking again.
bool TForm_MeasPar::AgreeToNormChange() {
    if (normAgreed_ || normDeclined_ || asking_)
        return normAgreed_;
    asking_ = true;
    normAgreed_ = SpEdtEnter();
    normDeclined_ = !normAgreed_;
    asking_ = false;
    return normAgreed_;
}

void TForm_MeasPar::SpEdtChange() {
    TZeltCSpinEdit *edit = SpinEdit();
    if (!edit || writing_)
        return;
    ParamDescriptor &param = RowOf(editorRow_);
    if (!AgreeToNormChange()) {
        writing_ = true;
        edit->SetValue(editorColumn_ == ColLowerNorm ? param.Settings.LowerNorm : param.Settings.UpperNorm);
        writing_ = false;
        return;
    }
    const double norm = SnapNorm(param, edit->GetValue());
    if (param.WireBytes != 4 && edit->Increment() < NormCodeStep(param))
        edit->SetIncrement(NormCodeStep(param));
    (editorColumn_ == ColLowerNorm ? param.Settings.LowerNorm : param.Settings.UpperNorm) = float(norm);
    GridItem(SG, editorColumn_, editorRow_)->setText(FormatValue(norm));
    RefreshResultNormCells(editorRow_);
    NoteSettingsChange();
}

// The typed text stays as typed while the user edits; the norm the row keeps is shown once the edit is
// left.
void TForm_MeasPar::SpEdtExit() {
    TZeltCSpinEdit *edit = SpinEdit();
    if (!edit)
        return;
    SpEdtChange();
    const ParamDescriptor &param = RowOf(editorRow_);
    writing_ = true;
    edit->SetValue(editorColumn_ == ColLowerNorm ? param.Settings.LowerNorm : param.Settings.UpperNorm);
    writing_ = false;
}

// Only while the result table shows this window's table: its row maps belong to the table it shows.
void TForm_MeasPar::RefreshResultNormCells(int row) {
    TForm_BasePar *results = IsCurrentTable() ? LocalResultTable() : nullptr;
    if (results && results->Table == Table)
        results->UpdateNormCells(row);
}

void TForm_MeasPar::BtnClick(int column, int row) {
    if (!WarnRemoteParamChange() || !ConfirmBreakConnection())
        return;
    EditMaskNorm(column, row);
    RefreshResultNormCells(row);
}

bool TForm_MeasPar::eventFilter(QObject *watched, QEvent *event) {
    if (watched == SG->viewport() && event->type() == QEvent::Wheel)
        return true;
    // Enter on a norm cell goes into its editor: the spin edit takes the focus, the "..." button is pressed.
    if (watched == SG && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter)
            return false;
        if (TZeltCSpinEdit *edit = SpinEdit())
            edit->setFocus(Qt::OtherFocusReason);
        else if (QToolButton *button = MaskButton())
            button->click();
        return true;
    }
    if (auto *edit = qobject_cast<TZeltCSpinEdit *>(watched); edit && edit == SpinEdit()) {
        const auto reason = [event] { return static_cast<QFocusEvent *>(event)->reason(); };
        if (event->type() == QEvent::FocusIn && !asking_ && reason() != Qt::ActiveWindowFocusReason) {
            normAgreed_ = normDeclined_ = false;
            AgreeToNormChange();
        } else if (event->type() == QEvent::FocusOut) {
            SpEdtExit();
            // Leaving the editor ends the agreement: the next entry asks again.
            if (reason() != Qt::ActiveWindowFocusReason)
                normAgreed_ = false;
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
                SpEdtExit();
                SG->setFocus();
                return true;
            }
        }
        return false;
    }
    if (event->type() == QEvent::MouseButtonPress)
        if (auto *cell = qobject_cast<QWidget *>(watched); cell && cell->property("Tag").isValid()) {
            const int tag = cell->property("Tag").toInt();
            CBoxClick(tag >> 8, tag & 0xFF);
            return true;
        }
    return QWidget::eventFilter(watched, event);
}

void TForm_MeasPar::FormStorage1SavePlacement() {
    SaveGridColumnWidths(*FormStorage1, *SG, ParamColumnCount);
}

void TForm_MeasPar::FormStorage1RestorePlacement() {
    RestoreGridColumnWidths(*FormStorage1, *SG, ParamColumnCount);
}

void ShowParamsOfAllWindows() {
    for (QPointer<QWidget> &slot : MeasParWindows)
        if (auto *window = qobject_cast<TForm_MeasPar *>(slot.data()))
            window->ShowParams();
}

void EnableEditorsOfAllWindows() {
    for (QPointer<QWidget> &slot : MeasParWindows)
        if (auto *window = qobject_cast<TForm_MeasPar *>(slot.data()))
            window->EnableEditors();
}

void SetParamFromConfig(int32_t row, bool releaseIfOff, int32_t tableIndex) {
    BindRowTextWindow(row, tableIndex);
    const ParameterTable table = ParameterTableOf(tableIndex + 1);
    if (row >= 0 && row < table.RowCount)
        BindRowTimeSeries(&table.Rows[row], releaseIfOff);
}

void BindRowTextWindow(int32_t row, int32_t tableIndex) {
    const ParameterTable table = ParameterTableOf(tableIndex + 1);
    if (row < 0 || row >= table.RowCount)
        return;
    ParamDescriptor &param = table.Rows[row];
    const ParamSettings &s = param.Settings;
    if (param.TextWindowAllowed) {
        if (s.Analyse && s.TextWindow)
            ShowParamScaleLabel(ParamTextWindowPrefix(tableIndex) + QString::fromUtf8(param.Caption), tableIndex + 1,
                                row);
        else
            CloseParamScaleLabels(&param.Settings.TextWindow);
    } else if (!s.Analyse && param.GraphKind >= 0) {
        ClosePointScaleLabels(param.GraphKind);
    }
}

