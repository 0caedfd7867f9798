#include "protocols/Form_cmt.h"

#include "controls/FormHelpers.h"
#include "platform/Cp1251.h"
#include "platform/MessageService.h"
#include "platform/StringTable.h"
#include "protocols/ProtocolFiles.h"
#include "protocols/ProtocolState.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <QValidator>

QPointer<TForm_Cmt> Form_Cmt;

namespace {

// Only what a page in windows-1251 can hold is typed into the comment.
class TCp1251Validator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString &input, int &) const override {
        for (const QChar c : input)
            if (c.unicode() < 0x20 || !EncodableInCp1251(c))
                return Invalid;
        return Acceptable;
    }
};

QString WithSlash(const QString &folder) {
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

} // namespace

TForm_Cmt::TForm_Cmt(QWidget *owner, int mode) : QDialog(owner), mode_(mode) {
    setObjectName(QStringLiteral("Form_Cmt"));
    setWindowTitle(QStringLiteral("Сохранение протокола"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint);

    Panel_Path = NamedControl(new QWidget(this), "Panel_Path");
    Label1 = NamedControl(new QLabel(QStringLiteral("Укажите каталог для размещения файлов протокола:"), Panel_Path),
                          "Label1");
    Edit2 = NamedControl(new QLineEdit(Panel_Path), "Edit2");
    Edit2->setMaxLength(250);
    DirList = NamedControl(new QListWidget(Panel_Path), "DirList");
    DriveList = NamedControl(new QComboBox(Panel_Path), "DriveList");
    auto *path = new QVBoxLayout(Panel_Path);
    path->addWidget(Label1);
    path->addWidget(Edit2);
    path->addWidget(DirList);
    path->addWidget(DriveList);
    Panel_Path->setFixedHeight(254);

    Panel_Cmt = NamedControl(new QWidget(this), "Panel_Cmt");
    Label3 = NamedControl(new QLabel(QStringLiteral("Введите краткий комментарий к результатам измерений \r\nдля "
                                                    "записи в протоколе (не более 55 символов)"),
                                     Panel_Cmt),
                          "Label3");
    Edit1 = NamedControl(new QLineEdit(Panel_Cmt), "Edit1");
    Edit1->setMaxLength(55);
    Edit1->setValidator(new TCp1251Validator(Edit1));
    BitBtn1 = NamedControl(new QPushButton(QStringLiteral("Сохранить протокол"), Panel_Cmt), "BitBtn1");
    BitBtn2 = NamedControl(new QPushButton(QStringLiteral("Не сохранять протокол"), Panel_Cmt), "BitBtn2");
    BitBtn1->setDefault(true);
    BitBtn2->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    auto *cmt = new QVBoxLayout(Panel_Cmt);
    cmt->addWidget(Label3);
    cmt->addWidget(Edit1);
    cmt->addLayout(buttons);
    Panel_Cmt->setFixedHeight(118);

    auto *form = new QVBoxLayout(this);
    form->setContentsMargins(0, 0, 0, 0);
    form->addWidget(Panel_Path);
    form->addWidget(Panel_Cmt);
    form->setSizeConstraint(QLayout::SetFixedSize);
    Panel_Path->setFixedWidth(454);
    Panel_Cmt->setFixedWidth(454);

    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    connect(DirList, &QListWidget::itemActivated, this, [this](QListWidgetItem *item) {
        DirListChange(QDir::cleanPath(QDir(folder_).absoluteFilePath(item->text())));
    });
    connect(DriveList, &QComboBox::activated, this, [this](int index) { DirListChange(DriveList->itemText(index)); });
    Edit2->installEventFilter(this);
    FormCreate();
}

void TForm_Cmt::FormCreate() {
    Panel_Path->setVisible(mode_ == 1);
    if (mode_ == 1) {
        QString &dirReport = ProtocolDirReport();
        if (dirReport.isEmpty() || !QDir().mkpath(dirReport))
            dirReport = QDir::homePath() + QLatin1Char('/');
        DirListChange(dirReport);
    }
    Edit1->setFocus();
}

void TForm_Cmt::FillFolderLists() {
    DriveList->clear();
    for (const QFileInfo &drive : QDir::drives())
        DriveList->addItem(drive.absolutePath());
    DirList->clear();
    DirList->addItems(QDir(folder_).entryList(QDir::Dirs | QDir::NoDot, QDir::Name | QDir::IgnoreCase));
}

void TForm_Cmt::DirListChange(const QString &folder) {
    folder_ = WithSlash(QDir::cleanPath(folder));
    FillFolderLists();
    Edit2->setText(folder_);
}

void TForm_Cmt::Edit2Exit() {
    const QString typed = Edit2->text().trimmed();
    if (WithSlash(QDir::cleanPath(typed)) == folder_)
        return;
    if (!typed.isEmpty() && QFileInfo(typed).isDir()) {
        DirListChange(typed);
        return;
    }
    const int answer =
        ShowMessage({QStringLiteral("Каталог ") + typed + QStringLiteral(" не существует.\n Создать его?"), LoadStr(7),
                     MsgIcon::Warning, MsgButtons::YesNo});
    if (answer == IdYes && !typed.isEmpty() && QDir().mkpath(typed))
        DirListChange(typed);
    else
        Edit2->setText(folder_);
}

bool TForm_Cmt::eventFilter(QObject *watched, QEvent *event) {
    if (watched == Edit2 && event->type() == QEvent::FocusOut && isVisible()) {
        Edit2Exit();
        QWidget *next = QApplication::focusWidget();
        if (next != BitBtn1 && next != BitBtn2)
            Edit1->setFocus();
    }
    return QDialog::eventFilter(watched, event);
}

void TForm_Cmt::done(int result) {
    // A folder typed and confirmed with Enter counts as chosen.
    if (mode_ == 1 && result == Accepted)
        Edit2Exit();
    ProtocolComment = Edit1->text();
    if (mode_ == 1)
        ProtocolDirReport() = folder_;
    QDialog::done(result);
}

bool RunCommentDialog(int mode) {
    if (Form_Cmt)
        return false;
    const auto &owner = ProtocolHost().MainWindow;
    Form_Cmt = new TForm_Cmt(owner ? owner() : nullptr, mode);
    const bool ok = Form_Cmt->exec() == QDialog::Accepted;
    delete Form_Cmt.data();
    return ok;
}
