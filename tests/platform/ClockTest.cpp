#include "platform/Clock.h"

#include <QCoreApplication>
#include <QObject>
#include <QTimer>

#include <gtest/gtest.h>

#include <thread>

namespace {

// Counts the events delivered to it, so that a test can see whether pumping reached them.
class EventCounter : public QObject {
public:
    int delivered = 0;
    bool event(QEvent *event) override {
        if (event->type() == QEvent::User) {
            ++delivered;
            return true;
        }
        return QObject::event(event);
    }
};

// The loop the program's bounded waits are written as; returns the number of pumps it took.
int WaitPumping(uint32_t bound) {
    const uint32_t start = GetTickCount();
    int pumps = 0;
    while (TicksSince(start) < bound) {
        PumpMessages();
        ++pumps;
    }
    return pumps;
}

TEST(Clock, ABoundedWaitAcrossTheWrapRunsInVirtualTimeAndServesEvents) {
    struct Case {
        uint32_t start;
        uint32_t bound;
        uint32_t step;
    };
    const Case cases[] = {
        {0xFFFFFFFFu - 4095, 5000, 10}, // wraps 4096 ms into the wait
        {0xFFFFFFFFu - 9, 45000, 50},   // wraps at once
        {1000, 45000, 45},
    };
    for (const Case &c : cases) {
        VirtualClock clock(c.start, c.step);
        EventCounter counter;
        QCoreApplication::postEvent(&counter, new QEvent(QEvent::User));
        EXPECT_EQ(WaitPumping(c.bound), int(c.bound / c.step)) << c.start;
        EXPECT_EQ(GetTickCount(), uint32_t(c.start + c.bound)) << c.start;
        EXPECT_EQ(counter.delivered, 1) << "pumping must deliver the main thread's events";
    }
}

TEST(Clock, SleepAndAdvanceMoveTheVirtualClockAndItIsRestoredWhenItEnds) {
    VirtualClock outer(100);
    {
        VirtualClock inner(0xFFFFFFF0u);
        Sleep(0x20);
        EXPECT_EQ(GetTickCount(), 0x10u);
        inner.Advance(5);
        EXPECT_EQ(TicksSince(0xFFFFFFF0u), 0x25u);
    }
    EXPECT_EQ(GetTickCount(), 100u);
    outer.SetPumpStep(7);
    PumpMessages();
    EXPECT_EQ(GetTickCount(), 107u);
}

TEST(Clock, TheRealClockCountsMilliseconds) {
    const uint32_t start = GetTickCount();
    Sleep(30);
    const uint32_t elapsed = TicksSince(start);
    EXPECT_GE(elapsed, 30u);
    EXPECT_LT(elapsed, 5000u);
}

TEST(Clock, PumpingInAWorkerThreadLeavesTheMainThreadsEventsAlone) {
    EventCounter counter;
    QCoreApplication::postEvent(&counter, new QEvent(QEvent::User));
    std::thread([] { PumpMessages(); }).join();
    EXPECT_EQ(counter.delivered, 0);
    PumpMessages();
    EXPECT_EQ(counter.delivered, 1);
}

} // namespace
