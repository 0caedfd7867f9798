#include "shell/Form_messagebox.h"

#include "controls/FormHelpers.h"
#include "platform/MessageService.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

TForm_MesBox *Form_MesBox = nullptr;

namespace {

constexpr int kCancelAnswer = 3;

} // namespace

TForm_MesBox::TForm_MesBox(const QString &caption, const QString &message, const QString &button1,
                           const QString &button2, const QString &button3, QWidget *owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      StaticText1(NamedControl(new QLabel(this), "StaticText1")), Panel1(NamedControl(new QFrame(this), "Panel1")),
      BitBtn1(NamedControl(new QPushButton(Panel1), "BitBtn1")),
      BitBtn2(NamedControl(new QPushButton(Panel1), "BitBtn2")),
      BitBtn3(NamedControl(new QPushButton(Panel1), "BitBtn3")) {
    setObjectName(QStringLiteral("Form_MesBox"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(caption);
    setFixedSize(647, 225);

    StaticText1->setText(message);
    StaticText1->setWordWrap(true);
    StaticText1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    StaticText1->setGeometry(0, 0, 647, 181);
    StaticText1->setContentsMargins(8, 8, 8, 0);

    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setGeometry(0, 181, 647, 44);
    const int lefts[] = {65, 245, 425};
    QPushButton *buttons[] = {BitBtn1, BitBtn2, BitBtn3};
    const QString captions[] = {button1, button2, button3};
    for (int i = 0; i < 3; ++i) {
        buttons[i]->setText(captions[i]);
        buttons[i]->setGeometry(lefts[i], 10, 125, 25);
    }
    connect(BitBtn1, &QPushButton::clicked, this, &TForm_MesBox::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TForm_MesBox::BitBtn2Click);
    connect(BitBtn3, &QPushButton::clicked, this, &TForm_MesBox::BitBtn3Click);
}

TForm_MesBox::~TForm_MesBox() {
    if (Form_MesBox == this)
        Form_MesBox = nullptr;
}

void TForm_MesBox::BitBtn1Click() {
    done(1);
}

void TForm_MesBox::BitBtn2Click() {
    done(2);
}

void TForm_MesBox::BitBtn3Click() {
    done(kCancelAnswer);
}

void TForm_MesBox::reject() {
    done(kCancelAnswer);
}

int AskWithMesBox(const QString &caption, const QString &message, const QString &button1, const QString &button2,
                  const QString &button3, QWidget *owner) {
    if (BatchMessagesDiverted())
        return kCancelAnswer;
    delete Form_MesBox;
    Form_MesBox = new TForm_MesBox(caption, message, button1, button2, button3, owner);
    // exec() deletes a box that frees itself on close before it returns the answer.
    return Form_MesBox->exec();
}
