#include "shell/MaximizeFit.h"

#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTimer>

namespace {

class MaximizeFitFilter : public QObject {
public:
    // Not a child of the window: it must outlive the events of the window's own destruction.
    explicit MaximizeFitFilter(QWidget *window) : window_(window) {
        window->installEventFilter(this);
        connect(window, &QObject::destroyed, this, [this] { delete this; });
    }

    bool eventFilter(QObject *watched, QEvent *event) override {
        if (watched == window_ && event->type() == QEvent::ParentChange) {
            WatchFrame();
            return false;
        }
        // The frame is watched as a plain object: while it is being destroyed it is no frame any more.
        QMdiSubWindow *frame = watched == frame_.data() ? Frame() : nullptr;
        if (!frame)
            return false;
        if ((event->type() == QEvent::Move || event->type() == QEvent::Show) && !frame->isMaximized() &&
            !frame->isMinimized())
            left_ = frame->x();
        else if (event->type() == QEvent::WindowStateChange && frame->isMaximized())
            // The frame finishes its own maximise first; the fit replaces it right after.
            QTimer::singleShot(0, this, [this] { Fit(); });
        return false;
    }

private:
    QMdiSubWindow *Frame() const { return qobject_cast<QMdiSubWindow *>(frame_.data()); }

    void WatchFrame() {
        auto *frame = qobject_cast<QMdiSubWindow *>(window_->parentWidget());
        if (frame == frame_.data())
            return;
        if (frame_)
            frame_->removeEventFilter(this);
        frame_ = frame;
        if (frame_)
            frame_->installEventFilter(this);
    }

    void Fit() {
        QMdiSubWindow *frame = Frame();
        if (!frame || !frame->isMaximized() || !frame->mdiArea())
            return;
        const QSize area = frame->mdiArea()->viewport()->size();
        const int left = left_;
        frame->showNormal();
        frame->setGeometry(left, 0, area.width(), area.height());
    }

    QWidget *window_;
    QPointer<QObject> frame_;
    int left_ = 0; // the frame's left edge while it was last a normal window
};

} // namespace

void FitOnMaximize(QWidget *window) {
    if (window)
        new MaximizeFitFilter(window);
}
