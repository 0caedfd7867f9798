#include "platform/CommandWait.h"

#include "platform/Clock.h"
#include "platform/HiddenWindow.h"

#include <QCoreApplication>

namespace {

int heldDepth = 0; // main thread only

} // namespace

HeldLinkMessages::HeldLinkMessages() {
    if (InMainThread())
        ++heldDepth;
}

HeldLinkMessages::~HeldLinkMessages() {
    if (!InMainThread())
        return;
    if (--heldDepth == 0)
        ReleaseHeldLinkMessages();
}

bool LinkMessagesHeld() {
    return heldDepth > 0;
}

void ServeWindows() {
    if (!InMainThread())
        return;
    const HeldLinkMessages held;
    // Timers are left for later by name: X11ExcludeTimers is honoured by every Unix event dispatcher.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::X11ExcludeTimers);
}

void WaitServingWindows(std::uint32_t ms) {
    const HeldLinkMessages held;
    const std::uint32_t start = GetTickCount();
    while (TicksSince(start) < ms) {
        ServeWindows();
        Sleep(1);
    }
}
