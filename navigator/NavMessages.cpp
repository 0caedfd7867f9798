#include "navigator/NavMessages.h"

#include "platform/MessageService.h"

#include <QApplication>

void NavError(const QString &text) {
    ShowMessage({text, "Ошибка!", MsgIcon::Error, MsgButtons::Ok});
}

void NavNote(const QString &text) {
    ShowMessage({text, QString(), MsgIcon::None, MsgButtons::Ok});
}

void NavBeep() {
    if (qobject_cast<QApplication *>(QCoreApplication::instance()))
        QApplication::beep();
}

NavHourglass::NavHourglass(bool on) : on_(on && qobject_cast<QApplication *>(QCoreApplication::instance())) {
    if (on_)
        QApplication::setOverrideCursor(Qt::WaitCursor);
}

NavHourglass::~NavHourglass() {
    if (on_)
        QApplication::restoreOverrideCursor();
}
