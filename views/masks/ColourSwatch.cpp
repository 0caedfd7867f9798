#include "views/masks/ColourSwatch.h"

#include "controls/Vclutils.h"

#include <QColorDialog>
#include <QMouseEvent>
#include <QPainter>

std::function<QColor(QWidget *owner, const QColor &initial)> TColourSwatch::AskColour;

TColourSwatch::TColourSwatch(QWidget *parent) : QFrame(parent) {
    setFrameShape(QFrame::Box);
    setMinimumSize(40, 20);
    setCursor(Qt::PointingHandCursor);
}

void TColourSwatch::SetColour(int32_t colour) {
    colour_ = colour;
    update();
}

void TColourSwatch::mousePressEvent(QMouseEvent *event) {
    event->accept();
    if (!isEnabled())
        return;
    const QColor initial = ColorToQColor(TColor(colour_));
    const QColor chosen = AskColour ? AskColour(this, initial) : QColorDialog::getColor(initial, this);
    if (chosen.isValid())
        SetColour(int32_t(QColorToColor(chosen)));
}

void TColourSwatch::paintEvent(QPaintEvent *event) {
    {
        QPainter painter(this);
        const QColor fill = ColorToQColor(TColor(colour_));
        painter.fillRect(contentsRect(), isEnabled() ? fill : fill.lighter(160));
    }
    QFrame::paintEvent(event);
}
