#include "controls/Label3d.h"

#include <QPaintEvent>
#include <QPainter>

TLabel3D::TLabel3D(QWidget *parent) : QLabel(parent) {}

TLabel3D::TLabel3D(const QString &caption, QWidget *parent) : QLabel(caption, parent) {}

void TLabel3D::SetStyle(TLabel3DStyle value) {
    style_ = value;
    update();
}

void TLabel3D::SetTransparent(bool value) {
    transparent_ = value;
    update();
}

void TLabel3D::SetShowAccelChar(bool value) {
    showAccelChar_ = value;
    update();
}

void TLabel3D::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    const QRect client = rect();
    if (!transparent_)
        painter.fillRect(client, palette().color(QPalette::Window));

    int flags = static_cast<int>(alignment()) | Qt::TextExpandTabs;
    if (wordWrap())
        flags |= Qt::TextWordWrap;
    if (showAccelChar_)
        flags |= Qt::TextShowMnemonic;
    painter.setFont(font());

    const QColor shadow = palette().color(QPalette::Dark);
    const QColor highlight = palette().color(QPalette::Light);
    QColor face = palette().color(QPalette::WindowText);
    if (isEnabled()) {
        painter.setPen(style_ == lsLowered ? shadow : highlight);
        painter.drawText(client.translated(-1, -1), flags, text());
        painter.setPen(style_ == lsLowered ? highlight : shadow);
        painter.drawText(client.translated(1, 1), flags, text());
    } else {
        face = palette().color(QPalette::Disabled, QPalette::WindowText);
    }
    painter.setPen(face);
    painter.drawText(client, flags, text());
}
