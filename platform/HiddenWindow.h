#pragma once

#include <QEvent>
#include <QObject>

#include <cstdint>

// Message numbers of the link components start at WM_APP, as on the platform the program was written for.
constexpr uint32_t WM_APP = 0x8000;

// The hidden window of a link component: an object in the main thread whose window procedure receives the
// messages that worker threads post to it, in the order posted, with their two parameters.
class HiddenWindow : public QObject {
    Q_OBJECT
public:
    explicit HiddenWindow(QObject *parent = nullptr);

protected:
    // Called in the main thread for every posted message (msg >= WM_APP).
    virtual void WndProc(uint32_t msg, uintptr_t wParam, intptr_t lParam) = 0;
    bool event(QEvent *event) override;
};

// Main thread: posts again, ahead of anything posted since, the messages held while a command waited
// (platform/CommandWait).
void ReleaseHeldLinkMessages();

// Callable from any thread. Messages below WM_APP, or beyond the range of Qt's user event types, are
// refused (false); so is a null target.
bool PostLinkMessage(HiddenWindow *target, uint32_t msg, uintptr_t wParam, intptr_t lParam);
