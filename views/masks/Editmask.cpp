#include "views/masks/Editmask.h"

#include "controls/FormHelpers.h"
#include "controls/Placemnt.h"
#include "platform/AtomicFile.h"
#include "platform/MessageService.h"
#include "platform/ProgramDir.h"
#include "platform/StringTable.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSplitter>
#include <QStyle>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <set>

TMaskEditHost MaskEditHost;

namespace {

const QString EditorCaption = QStringLiteral("Редактор масок");

// A tool button with the two parts of its hint: the short one as its tip, the long one for the status bar.
QToolButton *ToolButton(QToolBar *bar, const char *name, const QIcon &icon, const QString &tip,
                        const QString &status = {}) {
    auto *button = NamedControl(new QToolButton(bar), name);
    button->setIcon(icon);
    button->setToolTip(tip);
    button->setStatusTip(status.isEmpty() ? tip : status);
    bar->addWidget(button);
    return button;
}

} // namespace

TForm_MaskEdit::TForm_MaskEdit(QWidget *parent, int mode) : QWidget(parent), Mode(mode) {
    setObjectName(QStringLiteral("Form_MaskEdit"));
    setAttribute(Qt::WA_DeleteOnClose);
    // The weighting characteristic has its own kind; masks take every other one.
    for (int row = 0; row < MaskKindCount; ++row)
        if ((row == WeightingMaskKind) == (Mode == 0))
            kindRows_.push_back(row);
    BuildControls();
    SetCaption();

    FormStorage1 = NamedControl(new TFormPlacement(this), "FormStorage1");
    const QString iniFileName = MaskEditHost.IniFileName ? MaskEditHost.IniFileName() : QString();
    FormStorage1->SetIniFileName(iniFileName.isEmpty() ? ProgramDir() + QStringLiteral("R9.ini") : iniFileName);
    FormStorage1->SetIniSection(EditorCaption);
    FormStorage1->OnCloseQuery = [this](bool &canClose) { canClose = AskSaveChanges(); };

    for (int row : kindRows_)
        ComboBox1->addItem(QString::fromUtf8(MaskKindTable[std::size_t(row)].Title));
    ComboBox1->setCurrentIndex(0);
    ComboBox1Change();
    ResetGrid();
}

TForm_MaskEdit::~TForm_MaskEdit() {
    FormStorage1->FormDestroy();
}

void TForm_MaskEdit::BuildControls() {
    ControlBar1 = NamedControl(new QWidget(this), "ControlBar1");
    auto *bars = new QHBoxLayout(ControlBar1);
    bars->setContentsMargins(0, 0, 0, 0);

    auto *fileBar = new QToolBar(ControlBar1);
    PopupMenu_File = NamedControl(new QMenu(this), "PopupMenu_File");
    const struct {
        const char *name;
        const char *caption;
        QKeySequence keys;
        void (TForm_MaskEdit::*handler)();
    } items[] = {{"New1", "&Новый", QKeySequence(Qt::CTRL | Qt::Key_N), &TForm_MaskEdit::New1Click},
                 {"Close1", "&Закрыть", {}, &TForm_MaskEdit::New1Click},
                 {"Open1", "&Открыть", QKeySequence(Qt::CTRL | Qt::Key_O), &TForm_MaskEdit::Open1Click},
                 {nullptr, nullptr, {}, nullptr},
                 {"Save1", "&Сохранить", QKeySequence(Qt::CTRL | Qt::Key_S), &TForm_MaskEdit::SaveButtonClick},
                 {"SaveAs1", "Сохранить &как...", {}, &TForm_MaskEdit::SaveAsButtonClick},
                 {nullptr, nullptr, {}, nullptr},
                 {"Exit1", "&Выход", {}, &TForm_MaskEdit::Exit1Click}};
    for (const auto &item : items) {
        if (!item.name) {
            PopupMenu_File->addSeparator();
            continue;
        }
        QAction *action = PopupMenu_File->addAction(QString::fromUtf8(item.caption));
        action->setObjectName(QLatin1String(item.name));
        if (!item.keys.isEmpty()) {
            action->setShortcut(item.keys);
            action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
            addAction(action); // the keys work without the menu open
        }
        connect(action, &QAction::triggered, this, item.handler);
    }
    FileButton = NamedControl(new QToolButton(fileBar), "FileButton");
    FileButton->setText(QStringLiteral("&Файл"));
    FileButton->setMenu(PopupMenu_File);
    FileButton->setPopupMode(QToolButton::InstantPopup);
    FileButton->setToolButtonStyle(Qt::ToolButtonTextOnly);
    fileBar->addWidget(FileButton);

    auto *editBar = new QToolBar(ControlBar1);
    NewButton = ToolButton(editBar, "NewButton", style()->standardIcon(QStyle::SP_FileIcon),
                           QStringLiteral("Новый файл"), QStringLiteral("Создать новый файл"));
    OpenButton = ToolButton(editBar, "OpenButton", style()->standardIcon(QStyle::SP_DialogOpenButton),
                            QStringLiteral("Открыть"), QStringLiteral("Открыть существующий файл"));
    SaveButton = ToolButton(editBar, "SaveButton", style()->standardIcon(QStyle::SP_DialogSaveButton),
                            QStringLiteral("Сохранить"), QStringLiteral("Сохранить файл"));
    SaveAsButton = ToolButton(editBar, "SaveAsButton", style()->standardIcon(QStyle::SP_DriveFDIcon),
                              QStringLiteral("Сохранить как"));
    editBar->addSeparator();
    Button_AddRow = ToolButton(editBar, "Button_AddRow", style()->standardIcon(QStyle::SP_ArrowDown),
                               QStringLiteral("Добавить строку"));
    Button_DelRow = ToolButton(editBar, "Button_DelRow", style()->standardIcon(QStyle::SP_DialogDiscardButton),
                               QStringLiteral("Удалить строку"));
    connect(NewButton, &QToolButton::clicked, this, &TForm_MaskEdit::New1Click);
    connect(OpenButton, &QToolButton::clicked, this, &TForm_MaskEdit::Open1Click);
    connect(SaveButton, &QToolButton::clicked, this, &TForm_MaskEdit::SaveButtonClick);
    connect(SaveAsButton, &QToolButton::clicked, this, &TForm_MaskEdit::SaveAsButtonClick);
    connect(Button_AddRow, &QToolButton::clicked, this, &TForm_MaskEdit::Button_AddRowClick);
    connect(Button_DelRow, &QToolButton::clicked, this, &TForm_MaskEdit::Button_DelRowClick);

    auto *kindBar = new QToolBar(ControlBar1);
    ComboBox1 = NamedControl(new QComboBox(kindBar), "ComboBox1");
    ComboBox1->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    kindBar->addWidget(ComboBox1);
    connect(ComboBox1, &QComboBox::activated, this, &TForm_MaskEdit::ComboBox1Change);
    for (QToolBar *bar : {fileBar, editBar, kindBar})
        bars->addWidget(bar);
    bars->addStretch();

    Splitter1 = NamedControl(new QSplitter(Qt::Horizontal, this), "Splitter1");
    Panel1 = NamedControl(new QWidget(Splitter1), "Panel1");
    auto *panel = new QVBoxLayout(Panel1);
    panel->setContentsMargins(0, 0, 0, 0);
    panel->addWidget(new QLabel(QStringLiteral("Комментарий:"), Panel1));
    Memo = NamedControl(new QPlainTextEdit(Panel1), "Memo");
    Memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    panel->addWidget(Memo);

    StringGrid1 = NamedControl(new QTableWidget(1, 2, Splitter1), "StringGrid1");
    StringGrid1->verticalHeader()->hide();
    StringGrid1->setColumnWidth(0, 153);
    StringGrid1->setColumnWidth(1, 127);
    // Both columns and a scroll bar fit without scrolling sideways.
    StringGrid1->setMinimumWidth(153 + 127 + StringGrid1->verticalScrollBar()->sizeHint().width() +
                                 2 * StringGrid1->frameWidth() + 2);
    StringGrid1->setSelectionMode(QAbstractItemView::ContiguousSelection);
    StringGrid1->setEditTriggers(QAbstractItemView::AllEditTriggers);
    StringGrid1->setTabKeyNavigation(true);
    connect(StringGrid1, &QTableWidget::currentCellChanged, this, [this](int row, int column) {
        const QTableWidgetItem *item = StringGrid1->item(row, column);
        EditText = item ? item->text() : QString();
    });
    connect(StringGrid1, &QTableWidget::itemChanged, this, [this](QTableWidgetItem *item) {
        if (!filling_ && item->text() != EditText)
            GridModified = 1;
        EditText = item->text();
    });
    Splitter1->setStretchFactor(1, 1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(ControlBar1);
    layout->addWidget(Splitter1, 1);
    resize(620, 400);
}

void TForm_MaskEdit::SetCaption() {
    setWindowTitle(CurrentPath.isEmpty() ? EditorCaption
                                         : EditorCaption + QLatin1Char(':') + QDir::toNativeSeparators(CurrentPath));
}

void TForm_MaskEdit::SetCell(int row, int column, const QString &text) {
    filling_ = true;
    if (QTableWidgetItem *item = StringGrid1->item(row, column))
        item->setText(text);
    else
        StringGrid1->setItem(row, column, new QTableWidgetItem(text));
    filling_ = false;
}

void TForm_MaskEdit::EditCell(int row, int column) {
    row = std::clamp(row, 0, StringGrid1->rowCount() - 1);
    StringGrid1->setCurrentCell(row, column);
    StringGrid1->setFocus();
    StringGrid1->editItem(StringGrid1->item(row, column));
}

bool TForm_MaskEdit::Modified() const {
    return GridModified != 0 || Memo->document()->isModified();
}

void TForm_MaskEdit::ClearModified() {
    GridModified = 0;
    Memo->document()->setModified(false);
}

QString TForm_MaskEdit::MaskFolder() const {
    QString folder = MaskEditHost.MaskDir ? MaskEditHost.MaskDir() : QString();
    if (folder.isEmpty())
        folder = ProgramDir() + QStringLiteral("Masks/");
    if (!folder.endsWith(QLatin1Char('/')) && !folder.endsWith(QLatin1Char('\\')))
        folder += QLatin1Char('/');
    return folder;
}

std::vector<TMaskRow> TForm_MaskEdit::GridRows() const {
    std::vector<TMaskRow> rows;
    for (int row = 0; row < StringGrid1->rowCount(); ++row) {
        TMaskRow cells;
        for (int column = 0; column < 2; ++column)
            if (const QTableWidgetItem *item = StringGrid1->item(row, column))
                cells[std::size_t(column)] = item->text();
        rows.push_back(cells);
    }
    return rows;
}

void TForm_MaskEdit::ComboBox1Change() {
    const int index = std::clamp(ComboBox1->currentIndex(), 0, int(kindRows_.size()) - 1);
    Kind = MaskKindTable[std::size_t(kindRows_[std::size_t(index)])];
    ShowKindHeader();
}

void TForm_MaskEdit::ShowKindHeader() {
    StringGrid1->setHorizontalHeaderLabels({QString::fromUtf8(Kind.XUnit), QString::fromUtf8(Kind.YUnit)});
    ComboBox1->setToolTip(QString::fromUtf8(Kind.Description));
}

void TForm_MaskEdit::ClearComment() {
    Memo->clear();
    CurrentPath.clear();
    SetCaption();
    Memo->document()->setModified(false);
}

void TForm_MaskEdit::ResetGrid() {
    GridModified = 0;
    StringGrid1->setRowCount(1);
    SetCell(0, 0, QString());
    SetCell(0, 1, QString());
    StringGrid1->setCurrentCell(0, 0);
}

void TForm_MaskEdit::New1Click() {
    if (AskSaveChanges()) {
        ClearComment();
        ResetGrid();
    }
    setFocus();
}

void TForm_MaskEdit::Open1Click() {
    if (AskSaveChanges()) {
        const QString start = MaskFolder();
        const QString filter = QString::fromUtf8(Kind.Title);
        const QString path = AskOpenFileName ? AskOpenFileName(this, start, filter)
                                             : QFileDialog::getOpenFileName(this, QString(), start, filter);
        if (!path.isEmpty())
            LoadMaskFile(path);
    }
    setFocus();
}

bool TForm_MaskEdit::LoadMaskFile(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ShowMessage({LoadStr(413) + QStringLiteral(" '") + path + QLatin1Char('\''), LoadStr(5)});
        return false;
    }
    const TMaskEditContents contents = ParseMaskEditFile(file.readAll());
    ClearComment();
    ResetGrid();
    Memo->setPlainText(contents.Comment.join(QLatin1Char('\n')));
    if (!contents.Points.empty())
        StringGrid1->setRowCount(int(contents.Points.size()));
    for (int row = 0; row < int(contents.Points.size()); ++row) {
        SetCell(row, 0, MaskCellText(contents.Points[std::size_t(row)].x));
        SetCell(row, 1, MaskCellText(contents.Points[std::size_t(row)].y));
    }
    CurrentPath = path;
    SetCaption();
    ClearModified();
    return true;
}

void TForm_MaskEdit::Exit1Click() {
    CloseWindowFrame(this);
}

void TForm_MaskEdit::SaveButtonClick() {
    SaveToCurrentFile();
}

void TForm_MaskEdit::SaveAsButtonClick() {
    SaveMaskFileAs();
}

bool TForm_MaskEdit::ValidateMask() {
    const QString text = Memo->toPlainText();
    const QStringList lines = text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
    const QStringList comment = MaskCommentLines(lines);
    if (comment != lines) {
        const bool modified = Memo->document()->isModified();
        Memo->setPlainText(comment.join(QLatin1Char('\n')));
        Memo->document()->setModified(modified);
    }
    std::vector<TMaskRow> rows = GridRows();
    const TMaskCheck check = CheckMaskRows(rows, Kind);
    for (int row = 0; row < int(rows.size()); ++row)
        for (int column = 0; column < 2; ++column)
            SetCell(row, column, rows[std::size_t(row)][std::size_t(column)]);
    if (check.Ok)
        return true;
    ShowMessage({check.Message, LoadStr(5), MsgIcon::Warning, MsgButtons::Ok});
    EditCell(check.Row, check.Column);
    return false;
}

bool TForm_MaskEdit::SaveMaskFile(const QString &path) {
    if (!ValidateMask())
        return false;
    if (path.isEmpty())
        return true;
    const QString target = MaskPathWithExtension(path, Kind);
    const QString text = Memo->toPlainText();
    const QStringList comment = text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
    if (!WriteFileAtomically(target, MaskEditFileText(comment, GridRows()))) {
        ShowMessage({QStringLiteral("Не могу записать файл '") + target + QLatin1Char('\''), LoadStr(5)});
        return false;
    }
    CurrentPath = target;
    ClearModified();
    SetCaption();
    return true;
}

bool TForm_MaskEdit::SaveToCurrentFile() {
    return CurrentPath.isEmpty() ? SaveMaskFileAs() : SaveMaskFile(CurrentPath);
}

// A cancelled dialog saved nothing, so whoever asked for the save does not go on as if it had.
bool TForm_MaskEdit::SaveMaskFileAs() {
    const QString start = MaskFolder() + QStringLiteral("noname");
    const QString filter = QString::fromUtf8(Kind.Title);
    const QString path = AskSaveFileName
                             ? AskSaveFileName(this, start, filter)
                             : QFileDialog::getSaveFileName(this, QStringLiteral("Сохранить как"), start, filter);
    return !path.isEmpty() && SaveMaskFile(path);
}

bool TForm_MaskEdit::AskSaveChanges() {
    if (!Modified())
        return true;
    switch (ShowMessage({QStringLiteral("Текущий файл изменен.Сохранить изменения?"),
                         QStringLiteral("Сообщения редактора масок"), MsgIcon::Warning, MsgButtons::YesNoCancel})) {
    case IdYes:
        return SaveToCurrentFile();
    case IdNo:
        ClearModified();
        return true;
    default:
        return false;
    }
}

void TForm_MaskEdit::Button_AddRowClick() {
    const int current = StringGrid1->currentRow() >= 0 ? StringGrid1->currentRow() : StringGrid1->rowCount() - 1;
    const int column = std::max(0, StringGrid1->currentColumn());
    const bool modified = GridModified != 0;
    StringGrid1->insertRow(current + 1);
    SetCell(current + 1, 0, QString());
    SetCell(current + 1, 1, QString());
    GridModified = modified ? 1 : 0;
    StringGrid1->setCurrentCell(current + 1, column);
}

void TForm_MaskEdit::Button_DelRowClick() {
    if (StringGrid1->currentRow() < 0)
        return;
    StringGrid1->setFocus(); // leaves edit mode, keeping what was typed
    std::set<int, std::greater<int>> rows;
    for (const QTableWidgetSelectionRange &range : StringGrid1->selectedRanges())
        for (int row = range.topRow(); row <= range.bottomRow(); ++row)
            rows.insert(row);
    if (rows.empty())
        rows.insert(StringGrid1->currentRow());
    for (int row : rows) {
        if (StringGrid1->rowCount() <= 1)
            ResetGrid();
        else
            StringGrid1->removeRow(row);
    }
    GridModified = 1;
}
