#include "shell/ModalWatch.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int ModalWindowStatus = 86;

class ModalWatcher : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            const auto *widget = static_cast<QWidget *>(watched);
            if (widget->isWindow() && widget->windowModality() != Qt::NonModal) {
                std::fprintf(stderr, "R9_NO_MODAL: a modal window opened: %s \"%s\"\n",
                             widget->metaObject()->className(), qPrintable(widget->windowTitle()));
                std::fflush(stderr);
                std::_Exit(ModalWindowStatus);
            }
        }
        return false;
    }
};

} // namespace

void WatchModalWindows() {
    if (qEnvironmentVariableIsSet("R9_NO_MODAL"))
        qApp->installEventFilter(new ModalWatcher(qApp));
}
