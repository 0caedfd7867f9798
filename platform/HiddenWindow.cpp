#include "platform/HiddenWindow.h"

#include "platform/CommandWait.h"

#include <QCoreApplication>
#include <QPointer>

#include <vector>

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

struct HeldMessage {
    QPointer<HiddenWindow> target;
    uint32_t msg;
    uintptr_t wParam;
    intptr_t lParam;
};
std::vector<HeldMessage> heldMessages; // main thread only

} // namespace

HiddenWindow::HiddenWindow(QObject *parent) : QObject(parent) {}

bool HiddenWindow::event(QEvent *event) {
    if (!IsLinkMessageType(event->type()))
        return QObject::event(event);
    if (auto *message = dynamic_cast<LinkMessageEvent *>(event)) {
        if (LinkMessagesHeld())
            heldMessages.push_back({this, message->msg, message->wParam, message->lParam});
        else
            WndProc(message->msg, message->wParam, message->lParam);
        return true;
    }
    return QObject::event(event);
}

void ReleaseHeldLinkMessages() {
    std::vector<HeldMessage> held;
    held.swap(heldMessages);
    for (const HeldMessage &m : held)
        if (m.target)
            QCoreApplication::postEvent(m.target, new LinkMessageEvent(m.msg, m.wParam, m.lParam),
                                        Qt::HighEventPriority);
}

bool PostLinkMessage(HiddenWindow *target, uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    if (!target || msg < WM_APP || msg - WM_APP > uint32_t(QEvent::MaxUser - QEvent::User))
        return false;
    QCoreApplication::postEvent(target, new LinkMessageEvent(msg, wParam, lParam));
    return true;
}
