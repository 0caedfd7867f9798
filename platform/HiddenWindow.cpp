#include "platform/HiddenWindow.h"

#include <QCoreApplication>

namespace {

class LinkMessageEvent : public QEvent {
public:
    LinkMessageEvent(uint32_t msg, uintptr_t wParam, intptr_t lParam)
        : QEvent(static_cast<QEvent::Type>(QEvent::User + (msg - WM_APP))), msg(msg), wParam(wParam), lParam(lParam) {}
    const uint32_t msg;
    const uintptr_t wParam;
    const intptr_t lParam;
};

bool IsLinkMessageType(int type) {
    return type >= QEvent::User && type <= QEvent::MaxUser;
}

} // namespace

HiddenWindow::HiddenWindow(QObject *parent) : QObject(parent) {}

bool HiddenWindow::event(QEvent *event) {
    if (!IsLinkMessageType(event->type()))
        return QObject::event(event);
    if (auto *message = dynamic_cast<LinkMessageEvent *>(event)) {
        WndProc(message->msg, message->wParam, message->lParam);
        return true;
    }
    return QObject::event(event);
}

bool PostLinkMessage(HiddenWindow *target, uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    if (!target || msg < WM_APP || msg - WM_APP > uint32_t(QEvent::MaxUser - QEvent::User))
        return false;
    QCoreApplication::postEvent(target, new LinkMessageEvent(msg, wParam, lParam));
    return true;
}
