#include "shell/MaximizeFit.h"

#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTimer>

namespace {

class MaximizeFitFilter : public QObject {
public:
    explicit MaximizeFitFilter(QWidget *window) : QObject(window), window_(window) { window->installEventFilter(this); }

    bool eventFilter(QObject *watched, QEvent *event) override {
        if (watched == window_ && event->type() == QEvent::ParentChange)
            WatchFrame();
        else if (watched == frame_ && event->type() == QEvent::WindowStateChange && frame_->isMaximized())
            // The frame finishes its own maximise first; the fit replaces it right after.
            QTimer::singleShot(0, this, [this] { Fit(); });
        return false;
    }

private:
    void WatchFrame() {
        auto *frame = qobject_cast<QMdiSubWindow *>(window_->parentWidget());
        if (frame == frame_)
            return;
        if (frame_)
            frame_->removeEventFilter(this);
        frame_ = frame;
        if (frame_)
            frame_->installEventFilter(this);
    }

    void Fit() {
        if (!frame_ || !frame_->isMaximized() || !frame_->mdiArea())
            return;
        const int left = frame_->normalGeometry().x();
        const QSize area = frame_->mdiArea()->viewport()->size();
        frame_->showNormal();
        frame_->setGeometry(left, 0, area.width(), area.height());
    }

    QWidget *window_;
    QPointer<QMdiSubWindow> frame_;
};

} // namespace

void FitOnMaximize(QWidget *window) {
    if (window)
        new MaximizeFitFilter(window);
}
