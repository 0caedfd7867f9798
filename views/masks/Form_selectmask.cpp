#include "views/masks/Form_selectmask.h"

#include "controls/FormHelpers.h"
#include "controls/Placemnt.h"
#include "engine/masks/MaskFile.h"
#include "platform/MessageService.h"
#include "platform/ProgramDir.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TForm_SetMask::TForm_SetMask(QWidget *parent, TMASK *mask, const QString &fileMask, QString *maskFolder)
    : QDialog(parent), FileAsk(this), mask_(mask), fileMask_(fileMask), maskFolder_(maskFolder) {
    setObjectName(QStringLiteral("Form_SetMask"));
    setWindowTitle(QStringLiteral("Выбор маски"));
    DriveComboBox1 = NamedControl(new QComboBox(this), "DriveComboBox1");
    DirLBox = NamedControl(new QListWidget(this), "DirLBox");
    Label_Src = NamedControl(new QLabel(QStringLiteral("Доступные маски:"), this), "Label_Src");
    SrcList = NamedControl(new QListWidget(this), "SrcList");
    SrcList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    Label_Dst = NamedControl(new QLabel(QStringLiteral("Выбранные маски:"), this), "Label_Dst");
    DstList = NamedControl(new QListWidget(this), "DstList");
    DstList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    IncludeBtn = NamedControl(new QPushButton(QStringLiteral(">"), this), "IncludeBtn");
    IncAllBtn = NamedControl(new QPushButton(QStringLiteral(">>"), this), "IncAllBtn");
    ExcludeBtn = NamedControl(new QPushButton(QStringLiteral("<"), this), "ExcludeBtn");
    ExcAllBtn = NamedControl(new QPushButton(QStringLiteral("<<"), this), "ExcAllBtn");
    Button1 = NamedControl(new QPushButton(QStringLiteral("Сохранить набор"), this), "Button1");
    Button_SetMask = NamedControl(new QPushButton(QStringLiteral("OK"), this), "Button_SetMask");
    for (QPushButton *button : {IncludeBtn, IncAllBtn, ExcludeBtn, ExcAllBtn, Button1, Button_SetMask})
        button->setAutoDefault(false);

    auto *folders = new QVBoxLayout;
    folders->addWidget(DriveComboBox1);
    folders->addWidget(DirLBox);
    auto *moves = new QVBoxLayout;
    moves->addStretch();
    for (QPushButton *button : {IncludeBtn, IncAllBtn, ExcludeBtn, ExcAllBtn})
        moves->addWidget(button);
    moves->addStretch();
    auto *grid = new QGridLayout(this);
    grid->addLayout(folders, 0, 0, 3, 1);
    grid->addWidget(Label_Src, 0, 1);
    grid->addWidget(SrcList, 1, 1);
    grid->addLayout(moves, 1, 2);
    grid->addWidget(Label_Dst, 0, 3);
    grid->addWidget(DstList, 1, 3);
    grid->addWidget(Button1, 2, 1);
    grid->addWidget(Button_SetMask, 2, 3);

    connect(IncludeBtn, &QPushButton::clicked, this, &TForm_SetMask::IncludeBtnClick);
    connect(IncAllBtn, &QPushButton::clicked, this, &TForm_SetMask::IncAllBtnClick);
    connect(ExcludeBtn, &QPushButton::clicked, this, &TForm_SetMask::ExcludeBtnClick);
    connect(ExcAllBtn, &QPushButton::clicked, this, &TForm_SetMask::ExcAllBtnClick);
    connect(Button1, &QPushButton::clicked, this, &TForm_SetMask::Button1Click);
    connect(Button_SetMask, &QPushButton::clicked, this, &TForm_SetMask::Button_SetMaskClick);
    connect(DirLBox, &QListWidget::itemActivated, this, [this](QListWidgetItem *item) {
        DirLBoxChange(QDir::cleanPath(QDir(folder_).absoluteFilePath(item->text())) + QLatin1Char('/'));
    });
    connect(DriveComboBox1, &QComboBox::activated, this,
            [this](int index) { DirLBoxChange(DriveComboBox1->itemText(index)); });
    SrcList->installEventFilter(this);
    DstList->installEventFilter(this);
    FileAsk.OnDropped = [this](int index) { delete DstList->takeItem(index); };
    FormCreate();
}

void TForm_SetMask::FormCreate() {
    FormPlacement1 = NamedControl(new TFormPlacement(this), "FormPlacement1");
    FormPlacement1->SetIniFileName(ProgramDir() + QStringLiteral("R9.ini"));
    FormPlacement1->SetIniSection(windowTitle());
}

void TForm_SetMask::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    if (!activated_) {
        activated_ = true;
        FormActivate();
    }
}

void TForm_SetMask::FormActivate() {
    DstList->clear();
    DstList->addItems(mask_->Names);
    QString folder = mask_->Paths.isEmpty() ? *maskFolder_ : QFileInfo(mask_->Paths.first()).absolutePath();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    folder_ = folder;
    FillFolderLists();
    UpdateButtons();
}

void TForm_SetMask::FillFolderLists() {
    DriveComboBox1->clear();
    for (const QFileInfo &drive : QDir::drives())
        DriveComboBox1->addItem(drive.absolutePath());
    DirLBox->clear();
    const QDir dir(folder_);
    DirLBox->addItems(dir.entryList(QDir::Dirs | QDir::NoDot, QDir::Name | QDir::IgnoreCase));
    SrcList->clear();
    const QString pattern = fileMask_.trimmed();
    SrcList->addItems(dir.entryList(pattern.isEmpty() ? QStringList() : QStringList{pattern}, QDir::Files,
                                    QDir::Name | QDir::IgnoreCase));
}

void TForm_SetMask::UpdateButtons() {
    const bool sources = SrcList->count() > 0;
    const bool chosen = DstList->count() > 0;
    IncludeBtn->setEnabled(sources);
    IncAllBtn->setEnabled(sources);
    ExcludeBtn->setEnabled(chosen);
    ExcAllBtn->setEnabled(chosen);
    Button1->setEnabled(DstList->count() > 1);
}

void TForm_SetMask::DirLBoxChange(const QString &folder) {
    folder_ = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    *maskFolder_ = folder_;
    FillFolderLists();
    UpdateButtons();
}

void TForm_SetMask::AppendFile(const QString &name) {
    DstList->addItem(name);
    mask_->Names.append(name);
    mask_->Paths.append(folder_ + name);
}

void TForm_SetMask::ReloadMask() {
    UpdateButtons();
    mask_->LoadFiles(FileAsk);
    UpdateButtons();
}

void TForm_SetMask::IncludeBtnClick() {
    if (SrcList->selectedItems().isEmpty())
        return;
    for (int i = SrcList->count() - 1; i >= 0; --i)
        if (SrcList->item(i)->isSelected())
            AppendFile(SrcList->item(i)->text());
    ReloadMask();
}

void TForm_SetMask::IncAllBtnClick() {
    for (int i = 0; i < SrcList->count(); ++i)
        AppendFile(SrcList->item(i)->text());
    ReloadMask();
}

void TForm_SetMask::ExcludeBtnClick() {
    if (DstList->selectedItems().isEmpty())
        return;
    for (int i = DstList->count() - 1; i >= 0; --i) {
        if (!DstList->item(i)->isSelected())
            continue;
        delete DstList->takeItem(i);
        if (i < mask_->Names.size())
            mask_->Names.removeAt(i);
        if (i < mask_->Paths.size())
            mask_->Paths.removeAt(i);
    }
    ReloadMask();
}

void TForm_SetMask::ExcAllBtnClick() {
    DstList->clear();
    mask_->Names.clear();
    mask_->Paths.clear();
    ReloadMask();
}

void TForm_SetMask::Button1Click() {
    const QString pattern = fileMask_.trimmed();
    const QString filter = pattern + QStringLiteral(" (") + pattern + QLatin1Char(')');
    QString start = *maskFolder_ + QStringLiteral("newmask");
    for (;;) {
        QString path = AskSaveFileName
                           ? AskSaveFileName(this, start, filter)
                           : QFileDialog::getSaveFileName(this, QStringLiteral("Сохранить комбинированную маску как"),
                                                          start, filter, nullptr, QFileDialog::DontConfirmOverwrite);
        if (path.isEmpty())
            return;
        const QFileInfo info(path);
        const QString extension = QFileInfo(pattern).suffix();
        if (info.suffix().isEmpty() && !extension.isEmpty() && !extension.contains(QLatin1Char('*')))
            path += QLatin1Char('.') + extension;
        *maskFolder_ = QFileInfo(path).absolutePath() + QLatin1Char('/');
        if (QFileInfo::exists(path) &&
            ShowMessage({QStringLiteral("Имя '") + path + QStringLiteral("' уже существует! Перезаписать?"),
                         QStringLiteral("Внимание!"), MsgIcon::Question, MsgButtons::YesNo}) != IdYes) {
            start = path;
            continue;
        }
        if (!WriteCombinedMaskSet(path, mask_->Points))
            ShowMessage({QStringLiteral("Не могу открыть файл ") + path, QStringLiteral("Ошибка!"), MsgIcon::Warning,
                         MsgButtons::Ok});
        break;
    }
    FillFolderLists();
    UpdateButtons();
}

void TForm_SetMask::Button_SetMaskClick() {
    accept();
}

void TForm_SetMask::keyPressEvent(QKeyEvent *event) {
    FormKeyDown(event);
}

void TForm_SetMask::FormKeyDown(QKeyEvent *event) {
    if (event->key() == Qt::Key_Escape)
        reject();
    else
        QDialog::keyPressEvent(event);
}

bool TForm_SetMask::SrcListKeyDown(QKeyEvent *event) {
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return false;
    IncludeBtnClick();
    return true;
}

bool TForm_SetMask::DstListKeyDown(QKeyEvent *event) {
    if (event->key() != Qt::Key_Delete)
        return false;
    ExcludeBtnClick();
    return true;
}

bool TForm_SetMask::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (watched == SrcList)
            return SrcListKeyDown(key);
        if (watched == DstList)
            return DstListKeyDown(key);
    }
    return QDialog::eventFilter(watched, event);
}
