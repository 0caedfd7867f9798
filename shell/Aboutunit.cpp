#include "shell/Aboutunit.h"

#include "controls/FormHelpers.h"
#include "platform/NumberFormat.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>

TAboutForm *AboutForm = nullptr;

TAboutForm::TAboutForm(int programVersion, TDateTime buildDate, QWidget *owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint),
      Bevel1(NamedControl(new QFrame(this), "Bevel1")), Label10(NamedControl(new QLabel(this), "Label10")),
      Image1(NamedControl(new QLabel(this), "Image1")), Label2(NamedControl(new QLabel(this), "Label2")),
      Label8(NamedControl(new QLabel(this), "Label8")), Label9(NamedControl(new QLabel(this), "Label9")),
      BitBtn1(NamedControl(new QPushButton(this), "BitBtn1")) {
    setObjectName(QStringLiteral("AboutForm"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("О программе..."));
    setFixedSize(470, 261);

    Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Bevel1->setGeometry(8, 8, 454, 200);

    QFont bold = font();
    bold.setBold(true);

    Label10->setText(QStringLiteral("Программа управления\nанализатором Trova R-9"));
    Label10->setAlignment(Qt::AlignCenter);
    Label10->setFont(bold);
    QPalette green = Label10->palette();
    green.setColor(QPalette::WindowText, QColor(0, 128, 0));
    Label10->setPalette(green);
    Label10->setGeometry(16, 20, 438, 56);

    QIcon icon = QApplication::windowIcon();
    if (icon.isNull())
        icon = style()->standardIcon(QStyle::SP_ComputerIcon);
    Image1->setPixmap(icon.pixmap(32, 32));
    Image1->setGeometry(40, 110, 32, 32);

    Label2->setText(QStringLiteral("Версия:"));
    Label2->setFont(bold);
    Label2->setGeometry(150, 104, 90, 22);
    Label8->setText(QStringLiteral("V") + DoubleToText(programVersion / 100.0, 2));
    Label8->setGeometry(246, 104, 200, 22);
    Label9->setText(DateToText(buildDate));
    Label9->setGeometry(246, 130, 200, 22);

    BitBtn1->setText(QStringLiteral("OK"));
    BitBtn1->setGeometry(185, 222, 100, 28);
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
}

TAboutForm::~TAboutForm() {
    if (AboutForm == this)
        AboutForm = nullptr;
}

void TAboutForm::showEvent(QShowEvent *event) {
    CentreOnScreen(this);
    QDialog::showEvent(event);
}
