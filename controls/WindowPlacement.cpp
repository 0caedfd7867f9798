#include "controls/WindowPlacement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QWidget>

namespace {

constexpr Qt::WindowStates kNotNormal = Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;

// What the window system keeps for a window beside its geometry: the minimised and maximised positions
// last applied, and the rectangle the window had while it was last in the normal state (a sub-window of
// an MDI area does not report that rectangle while it is maximised or minimised).
class PlacementMemory : public QObject {
public:
    explicit PlacementMemory(QWidget *widget) : QObject(widget), normal(widget->geometry()), widget_(widget) {
        widget->installEventFilter(this);
    }

    static PlacementMemory *For(QWidget *widget) {
        for (QObject *child : widget->children())
            if (auto *memory = dynamic_cast<PlacementMemory *>(child))
                return memory;
        return new PlacementMemory(widget);
    }

    QPoint minPosition{-1, -1};
    QPoint maxPosition{-1, -1};
    QRect normal;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (watched == widget_ && (event->type() == QEvent::Move || event->type() == QEvent::Resize) &&
            !(widget_->windowState() & kNotNormal))
            normal = widget_->geometry();
        return false;
    }

private:
    QWidget *widget_;
};

QRect KeepReachable(QWidget *form, const QRect &rect) {
    const QScreen *screen = nullptr;
    if (!IsMdiChild(form))
        screen = QGuiApplication::screenAt(rect.center());
    if (!screen)
        screen = FormScreen(form);
    if (!screen)
        return rect;
    QRect bounds = screen->availableGeometry();
    if (IsMdiChild(form)) {
        bounds.moveTopLeft(QPoint(0, 0));
    } else {
        // The window system's frame goes around the rectangle and must fit on the screen too.
        const QRect frame = form->frameGeometry();
        const QRect client = form->geometry();
        bounds.adjust(client.left() - frame.left(), client.top() - frame.top(), client.right() - frame.right(),
                      client.bottom() - frame.bottom());
    }
    if (bounds.isEmpty())
        return rect;
    const int width = qMin(rect.width(), bounds.width());
    const int height = qMin(rect.height(), bounds.height());
    const int left = qBound(bounds.left(), rect.left(), bounds.left() + bounds.width() - width);
    const int top = qBound(bounds.top(), rect.top(), bounds.top() + bounds.height() - height);
    return QRect(left, top, width, height);
}

} // namespace

QWidget *PlacementWidget(QWidget *form) {
    if (auto *subWindow = qobject_cast<QMdiSubWindow *>(form->parentWidget()))
        return subWindow;
    return form;
}

bool IsMdiChild(const QWidget *form) {
    return qobject_cast<const QMdiSubWindow *>(form->parentWidget()) != nullptr;
}

bool IsMdiFrame(const QWidget *form) {
    return form->isWindow() && form->findChild<QMdiArea *>() != nullptr;
}

bool IsForm(const QObject *object) {
    const auto *widget = qobject_cast<const QWidget *>(object);
    return widget && (widget->isWindow() || IsMdiChild(widget));
}

QWidget *ParentForm(const QObject *control) {
    for (auto *widget = qobject_cast<QWidget *>(const_cast<QObject *>(control)); widget;
         widget = widget->parentWidget())
        if (IsForm(widget))
            return widget;
    return nullptr;
}

TWindowPlacement GetWindowPlacement(QWidget *form) {
    QWidget *widget = PlacementWidget(form);
    const PlacementMemory *memory = PlacementMemory::For(widget);
    const Qt::WindowStates state = widget->windowState();

    TWindowPlacement placement;
    if (widget->isHidden())
        placement.showCmd = TWindowPlacement::SwHide;
    else if (state & Qt::WindowMinimized)
        placement.showCmd = TWindowPlacement::SwShowMinimized;
    else if (state & Qt::WindowMaximized)
        placement.showCmd = TWindowPlacement::SwShowMaximized;
    else
        placement.showCmd = TWindowPlacement::SwShowNormal;
    if ((state & Qt::WindowMinimized) && (state & Qt::WindowMaximized))
        placement.flags |= TWindowPlacement::WpfRestoreToMaximized;
    placement.minPosition = memory->minPosition;
    placement.maxPosition = memory->maxPosition;

    QRect normal = widget->geometry();
    if (state & kNotNormal)
        normal = widget->isWindow() && widget->normalGeometry().isValid() ? widget->normalGeometry() : memory->normal;
    placement.left = normal.x();
    placement.top = normal.y();
    placement.right = normal.x() + normal.width();
    placement.bottom = normal.y() + normal.height();
    return placement;
}

void SetWindowPlacement(QWidget *form, const TWindowPlacement &placement) {
    QWidget *widget = PlacementWidget(form);
    PlacementMemory *memory = PlacementMemory::For(widget);
    memory->minPosition = placement.minPosition;
    memory->maxPosition = placement.maxPosition;
    const QRect normal = KeepReachable(
        form, QRect(placement.left, placement.top, placement.right - placement.left, placement.bottom - placement.top));
    memory->normal = normal;
    if (!(widget->windowState() & kNotNormal))
        widget->setGeometry(normal);
}

void SetMaximizedPosition(QWidget *form, QPoint position) {
    PlacementMemory::For(PlacementWidget(form))->maxPosition = position;
}

QPoint BorderSize(QWidget *form) {
    QWidget *widget = PlacementWidget(form);
    if (widget == form) {
        const QRect frame = widget->frameGeometry();
        const QRect client = widget->geometry();
        return QPoint(client.left() - frame.left(), frame.bottom() - client.bottom());
    }
    return QPoint(form->x(), widget->height() - form->geometry().bottom() - 1);
}

QScreen *FormScreen(const QWidget *form) {
    QScreen *screen = form->screen();
    return screen ? screen : QGuiApplication::primaryScreen();
}

int ScreenPixelsPerInch(const QWidget *form) {
    const QScreen *screen = FormScreen(form);
    return screen ? qRound(screen->logicalDotsPerInch()) : 96;
}

QString ScreenSizeSuffix(const QWidget *form) {
    const QScreen *screen = FormScreen(form);
    const QSize size = screen ? screen->geometry().size() : QSize();
    return QStringLiteral("(%1x%2)").arg(size.width()).arg(size.height());
}
