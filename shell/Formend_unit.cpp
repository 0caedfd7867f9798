#include "shell/Formend_unit.h"

#include "controls/FormHelpers.h"

#include <QLabel>
#include <QShowEvent>

TFormEnd *FormEnd = nullptr;

TFormEnd::TFormEnd(QWidget *owner)
    : QWidget(owner, Qt::Window | Qt::FramelessWindowHint), Panel1(NamedControl(new QLabel(this), "Panel1")) {
    setObjectName(QStringLiteral("FormEnd"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(394, 90);

    Panel1->setGeometry(0, 0, 394, 90);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setLineWidth(4);

    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(23);
    font.setBold(true);
    Panel1->setFont(font);
    QPalette blue = Panel1->palette();
    blue.setColor(QPalette::WindowText, Qt::blue);
    Panel1->setPalette(blue);
    Panel1->setText(QStringLiteral("Выключение анализатора!"));
    Panel1->setAlignment(Qt::AlignCenter);
}

TFormEnd::~TFormEnd() {
    if (FormEnd == this)
        FormEnd = nullptr;
}

void TFormEnd::showEvent(QShowEvent *event) {
    CentreOnScreen(this);
    QWidget::showEvent(event);
}
