#include "shell/MainImages.h"

#include <QDynamicPropertyChangeEvent>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>

#include <functional>

namespace {

constexpr int IconSize = 20;
constexpr int ProgressWidth = 66;
constexpr int ProgressHeight = 16;
constexpr int ProgressSteps = 5;
constexpr int PowerImageOffset = 9;   // the power states' first index among the button images
constexpr int CursorImageOffset = 23; // cursor 1, cursor 2, cursor 1 selected, cursor 2 selected

QPixmap Draw(int width, int height, const std::function<void(QPainter &)> &paint) {
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    paint(painter);
    return pixmap;
}

QPixmap Icon(const std::function<void(QPainter &)> &paint) {
    return Draw(IconSize, IconSize, paint);
}

QPixmap StartImage(const QColor &fill) {
    return Icon([fill](QPainter &p) {
        p.setPen(QPen(Qt::darkGreen, 1.5));
        p.setBrush(fill);
        p.drawPolygon(QPolygonF({QPointF(5, 3), QPointF(17, 10), QPointF(5, 17)}));
    });
}

QPixmap PauseImage(const QColor &fill) {
    return Icon([fill](QPainter &p) {
        p.setPen(QPen(Qt::darkBlue, 1.2));
        p.setBrush(fill);
        p.drawRect(QRectF(4.5, 3.5, 4, 13));
        p.drawRect(QRectF(11.5, 3.5, 4, 13));
    });
}

// One period of a sine across the icon, in the colour of who runs the generator.
void DrawSine(QPainter &p, const QColor &colour, double top) {
    QPainterPath path(QPointF(2, top + 5));
    path.cubicTo(QPointF(6, top - 3), QPointF(8, top - 3), QPointF(10, top + 5));
    path.cubicTo(QPointF(12, top + 13), QPointF(14, top + 13), QPointF(18, top + 5));
    p.setPen(QPen(colour, 2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
}

QPixmap GeneratorImage(bool local, bool remote) {
    return Icon([local, remote](QPainter &p) {
        if (!local && !remote) {
            DrawSine(p, Qt::gray, 5);
            return;
        }
        if (local)
            DrawSine(p, QColor(0, 160, 0), remote ? 1 : 5);
        if (remote)
            DrawSine(p, QColor(0, 80, 220), local ? 9 : 5);
    });
}

// A cross-hair in the cursor's colour with its number; the selected cursor's on a yellow ground.
QPixmap CursorImage(int number, bool selected) {
    return Icon([number, selected](QPainter &p) {
        if (selected)
            p.fillRect(0, 0, IconSize, IconSize, QColor(255, 230, 0));
        p.setPen(QPen(number == 1 ? QColor(Qt::red) : QColor(Qt::blue), 1.5));
        p.drawLine(QPointF(6, 1), QPointF(6, IconSize - 1));
        p.drawLine(QPointF(1, IconSize - 6), QPointF(IconSize - 1, IconSize - 6));
        p.setPen(Qt::black);
        p.drawText(QRect(8, 0, IconSize - 8, IconSize - 7), Qt::AlignCenter, QString::number(number));
    });
}

// The battery outline with `bars` of five charge bars, or the plug of the external supply.
QPixmap PowerImage(int state) {
    return Icon([state](QPainter &p) {
        if (state == 0) {
            p.setPen(QPen(Qt::black, 1.5));
            p.setBrush(QColor(250, 210, 0));
            p.drawRect(QRectF(6, 7, 8, 7));
            p.drawLine(QPointF(8, 3), QPointF(8, 7));
            p.drawLine(QPointF(12, 3), QPointF(12, 7));
            p.drawLine(QPointF(10, 14), QPointF(10, 18));
            return;
        }
        const bool alternate = state == 6;
        p.setPen(QPen(alternate ? Qt::red : Qt::black, 1.2));
        p.setBrush(alternate ? QColor(255, 200, 200) : QColor(Qt::white));
        p.drawRect(QRectF(1.5, 5.5, 15, 9));
        p.setBrush(alternate ? Qt::red : Qt::black);
        p.drawRect(QRectF(16.5, 8, 2, 4));
        const int bars = alternate ? 0 : 6 - state;
        const QColor colour = state >= 5 ? QColor(Qt::red) : state == 4 ? QColor(230, 160, 0) : QColor(0, 160, 0);
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        for (int i = 0; i < bars; ++i)
            p.drawRect(QRectF(3 + i * 2.7, 7, 2.1, 6));
    });
}

QPixmap ProgressImage(int done) {
    return Draw(ProgressWidth, ProgressHeight, [done](QPainter &p) {
        const double cell = (ProgressWidth - 4) / double(ProgressSteps);
        p.setPen(QPen(Qt::darkGray, 1));
        for (int i = 0; i < ProgressSteps; ++i) {
            p.setBrush(i < done ? QColor(0, 0, 200) : QColor(Qt::white));
            p.drawRect(QRectF(2 + i * cell + 0.5, 2.5, cell - 2, ProgressHeight - 5));
        }
    });
}

// Keeps a button's icon on the image its "ImageIndex" property names.
class ImageIndexFollower : public QObject {
public:
    ImageIndexFollower(QToolButton *button, const TImageList &list) : QObject(button), list_(list) {
        button->installEventFilter(this);
        Show(button);
    }

    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::DynamicPropertyChange &&
            static_cast<QDynamicPropertyChangeEvent *>(event)->propertyName() == "ImageIndex")
            Show(static_cast<QToolButton *>(watched));
        return false;
    }

private:
    void Show(QToolButton *button) const {
        const QVariant index = button->property("ImageIndex");
        button->setIcon(index.isValid() ? QIcon(list_.Image(index.toInt())) : QIcon());
    }

    const TImageList &list_;
};

} // namespace

TMainImages BuildMainImages() {
    TMainImages images;
    images.ImageList_StartStop.Images = {StartImage(QColor(0, 150, 0)), StartImage(QColor(140, 255, 140)),
                                         PauseImage(QColor(90, 110, 200)), PauseImage(QColor(255, 230, 0))};
    images.ImageList_Gen.Images = {GeneratorImage(false, false), GeneratorImage(true, false),
                                   GeneratorImage(false, true), GeneratorImage(true, true)};
    for (int state = 0; state <= 6; ++state)
        images.ImageList_Power.Images << PowerImage(state);
    for (int i = 0; i < PowerImageOffset; ++i)
        images.ImageList_Buttons.Images << QPixmap();
    images.ImageList_Buttons.Images << images.ImageList_Power.Images;
    while (images.ImageList_Buttons.Count() < CursorImageOffset)
        images.ImageList_Buttons.Images << QPixmap();
    images.ImageList_Buttons.Images << CursorImage(1, false) << CursorImage(2, false) << CursorImage(1, true)
                                    << CursorImage(2, true);
    for (int done = 0; done <= ProgressSteps; ++done)
        images.ImageList_Progress.Images << ProgressImage(done);
    return images;
}

void BindImageList(QToolButton *button, const TImageList &list) {
    new ImageIndexFollower(button, list);
}
