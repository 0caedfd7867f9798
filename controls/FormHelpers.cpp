#include "controls/FormHelpers.h"

#include <QGuiApplication>
#include <QMdiSubWindow>
#include <QScreen>
#include <QWidget>

void CentreOnScreen(QWidget *window) {
    QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    window->move(area.center() - window->rect().center());
}

void CloseWindowFrame(QWidget *window) {
    if (auto *frame = qobject_cast<QMdiSubWindow *>(window->parentWidget()))
        frame->close();
    else
        window->close();
}
