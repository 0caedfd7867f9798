#include "platform/CommandWait.h"
#include "platform/Clock.h"
#include "platform/HiddenWindow.h"

#include <QCoreApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class LoggingWindow : public HiddenWindow {
public:
    explicit LoggingWindow(std::vector<std::string> &log) : log_(log) {}

protected:
    void WndProc(uint32_t msg, uintptr_t wParam, intptr_t) override {
        log_.push_back("link " + std::to_string(msg - WM_APP) + "." + std::to_string(wParam));
    }

private:
    std::vector<std::string> &log_;
};

void HandleEventsFor(uint32_t ms) {
    const uint32_t start = GetTickCount();
    while (TicksSince(start) < ms)
        PumpMessages();
}

// A wait serves posted work (the windows' painting goes the same way) but leaves timers and the link's
// messages for after it, in the order they came.
TEST(CommandWait, ServesPostedEventsAndHoldsTimersAndLinkMessages) {
    std::vector<std::string> log;
    LoggingWindow window(log);
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [&] { log.push_back("timer"); });
    timer.start(1);
    PostLinkMessage(&window, WM_APP + 72, 1, 0);
    QMetaObject::invokeMethod(
        &window, [&] { log.push_back("posted"); }, Qt::QueuedConnection);
    WaitServingWindows(50);
    EXPECT_EQ(log, std::vector<std::string>{"posted"});

    PostLinkMessage(&window, WM_APP + 72, 2, 0);
    HandleEventsFor(50);
    EXPECT_EQ(log, (std::vector<std::string>{"posted", "link 72.1", "link 72.2", "timer"}));
}

// A message held by an inner wait stays held while an outer scope lives.
TEST(CommandWait, NestedScopesReleaseOnlyAtTheOutermost) {
    std::vector<std::string> log;
    LoggingWindow window(log);
    {
        const HeldLinkMessages outer;
        PostLinkMessage(&window, WM_APP + 70, 3, 0);
        WaitServingWindows(5);
        ServeWindows();
        EXPECT_TRUE(log.empty());
        EXPECT_TRUE(LinkMessagesHeld());
    }
    EXPECT_FALSE(LinkMessagesHeld());
    HandleEventsFor(20);
    EXPECT_EQ(log, std::vector<std::string>{"link 70.3"});
}

// A window deleted while its message was held loses the message, nothing else.
TEST(CommandWait, HeldMessageOfAWindowGoneMeanwhile) {
    std::vector<std::string> log;
    {
        const HeldLinkMessages held;
        auto *window = new LoggingWindow(log);
        PostLinkMessage(window, WM_APP + 71, 4, 0);
        ServeWindows();
        delete window;
    }
    HandleEventsFor(20);
    EXPECT_TRUE(log.empty());
}

} // namespace
