#include "controls/LibraryErrors.h"
#include "controls/Rxtimer.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QThread>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Serves the main thread's events until `done` holds or `ms` have passed.
template <typename Pred> bool ServeUntil(Pred done, int ms) {
    QElapsedTimer elapsed;
    elapsed.start();
    while (!done()) {
        if (elapsed.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void Serve(int ms) {
    ServeUntil([] { return false; }, ms);
}

// Counts ticks and notes the thread and the moments they began and ended.
struct TickLog {
    std::mutex mutex;
    std::vector<Clock::time_point> starts;
    std::vector<Clock::time_point> ends;
    std::atomic<int> count{0};
    std::atomic<bool> offMainThread{false};
    int busyMs = 0;

    TNotifyEvent Handler() {
        return [this](QObject *) {
            const auto start = Clock::now();
            if (QThread::currentThread() != QCoreApplication::instance()->thread())
                offMainThread = true;
            if (busyMs)
                std::this_thread::sleep_for(std::chrono::milliseconds(busyMs));
            std::lock_guard lock(mutex);
            starts.push_back(start);
            ends.push_back(Clock::now());
            ++count;
        };
    }
};

TEST(RxtimerTest, NoHandlerNoTicksThenTicksOnTheMainThread) {
    TRxTimer timer;
    EXPECT_EQ(timer.Interval(), 1000u);
    EXPECT_TRUE(timer.Enabled());
    EXPECT_TRUE(timer.Threaded());
    EXPECT_TRUE(timer.SyncEvent());
    EXPECT_FALSE(timer.ThreadTicking());

    timer.SetInterval(40);
    Serve(150);
    TickLog log;
    timer.SetOnTimer(log.Handler());
    EXPECT_TRUE(timer.ThreadTicking());
    EXPECT_TRUE(ServeUntil([&] { return log.count >= 3; }, 3000));
    EXPECT_FALSE(log.offMainThread);
}

TEST(RxtimerTest, IntervalZeroStopsAndANewIntervalRestarts) {
    TRxTimer timer;
    TickLog log;
    timer.SetInterval(30);
    timer.SetOnTimer(log.Handler());
    ASSERT_TRUE(ServeUntil([&] { return log.count >= 1; }, 3000));

    timer.SetInterval(0);
    EXPECT_FALSE(timer.ThreadTicking());
    Serve(50); // a tick handed over before the change may still arrive
    const int stopped = log.count;
    Serve(200);
    EXPECT_EQ(log.count, stopped);

    timer.SetInterval(60);
    EXPECT_TRUE(ServeUntil([&] { return log.count >= stopped + 2; }, 3000));
}

TEST(RxtimerTest, WindowModeTicksByTheMainThreadsTimerAndBack) {
    TRxTimer timer;
    TickLog log;
    timer.SetInterval(20);
    timer.SetOnTimer(log.Handler());
    timer.SetThreaded(false);
    EXPECT_FALSE(timer.ThreadTicking());
    EXPECT_TRUE(timer.WindowTimerActive());
    EXPECT_TRUE(ServeUntil([&] { return log.count >= 2; }, 3000));
    EXPECT_FALSE(log.offMainThread);

    timer.SetThreadPriority(tpLower); // only stored in window mode
    EXPECT_EQ(timer.ThreadPriority(), tpLower);
    EXPECT_TRUE(timer.WindowTimerActive());

    timer.SetThreaded(true);
    EXPECT_FALSE(timer.WindowTimerActive());
    EXPECT_TRUE(timer.ThreadTicking());
    const int before = log.count;
    EXPECT_TRUE(ServeUntil([&] { return log.count >= before + 2; }, 3000));
}

TEST(RxtimerTest, DisablingDuringTheSleepDeliversNoTick) {
    TRxTimer timer;
    TickLog log;
    timer.SetSyncEvent(false);
    timer.SetInterval(200);
    timer.SetOnTimer(log.Handler());
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    timer.SetEnabled(false);
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    EXPECT_EQ(log.count, 0);
}

// A 30 ms tick with a 100 ms interval: ticks begin 130 ms apart, and no tick begins less than a whole
// interval after the previous one ended, even while the main thread is flooded with queued calls.
TEST(RxtimerTest, IntervalCountsFromTheEndOfThePreviousTick) {
    for (const bool sync : {false, true}) {
        SCOPED_TRACE(sync ? "synchronised" : "on the worker");
        TRxTimer timer;
        TickLog log;
        log.busyMs = 30;
        timer.SetSyncEvent(sync);
        timer.SetInterval(100);
        timer.SetOnTimer(log.Handler());
        QObject flood;
        ServeUntil(
            [&] {
                QMetaObject::invokeMethod(&flood, [] {}, Qt::QueuedConnection);
                return log.count >= 5;
            },
            5000);
        timer.SetEnabled(false);
        std::lock_guard lock(log.mutex);
        ASSERT_GE(log.starts.size(), 5u);
        for (size_t i = 1; i < log.starts.size(); ++i) {
            const auto gap = std::chrono::duration_cast<std::chrono::milliseconds>(log.starts[i] - log.ends[i - 1]);
            const auto period =
                std::chrono::duration_cast<std::chrono::milliseconds>(log.starts[i] - log.starts[i - 1]);
            EXPECT_GE(gap.count(), 100);
            EXPECT_GE(period.count(), 130);
        }
    }
}

TEST(RxtimerTest, FailuresOfTicksAreReportedAndTickingGoesOn) {
    struct Case {
        bool sync;
        bool abort;
    };
    for (const Case c : {Case{false, false}, Case{false, true}, Case{true, false}, Case{true, true}}) {
        SCOPED_TRACE(testing::Message() << "sync " << c.sync << " abort " << c.abort);
        TRxTimer timer;
        std::atomic<int> ticks{0};
        std::vector<QString> reports;
        bool reportedOnMain = true;
        timer.SetOnException([&](TRxTimer *, const std::exception &error) {
            reportedOnMain = reportedOnMain && QThread::currentThread() == QCoreApplication::instance()->thread();
            reports.push_back(QString::fromUtf8(error.what()));
        });
        timer.SetSyncEvent(c.sync);
        timer.SetInterval(20);
        timer.SetOnTimer([&](QObject *) {
            ++ticks;
            if (c.abort)
                throw EAbort();
            throw EConvertError(QStringLiteral("tick failed"));
        });
        EXPECT_TRUE(ServeUntil([&] { return ticks >= 3 && (c.abort || reports.size() >= 2); }, 3000));
        timer.SetEnabled(false);
        Serve(50);
        if (c.abort) {
            EXPECT_TRUE(reports.empty());
        } else {
            ASSERT_FALSE(reports.empty());
            EXPECT_EQ(reports.front(), QStringLiteral("tick failed"));
            EXPECT_TRUE(reportedOnMain);
        }
    }
}

// The main thread does not serve events while the worker waits to hand a tick over; destroying the timer
// then must neither hang nor let that tick arrive later.
TEST(RxtimerTest, DestructionWhileATickWaitsForTheMainThread) {
    std::atomic<int> ticks{0};
    {
        TRxTimer timer;
        timer.SetInterval(5);
        timer.SetOnTimer([&](QObject *) { ++ticks; });
        std::this_thread::sleep_for(std::chrono::milliseconds(60));
    }
    Serve(50);
    EXPECT_EQ(ticks, 0);
}

TEST(RxtimerTest, DestructionWaitsForATickRunningOnTheWorker) {
    std::atomic<int> ticks{0};
    std::atomic<bool> inside{false};
    auto timer = std::make_unique<TRxTimer>();
    timer->SetSyncEvent(false);
    timer->SetInterval(5);
    timer->SetOnTimer([&](QObject *sender) {
        inside = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(80));
        EXPECT_EQ(static_cast<TRxTimer *>(sender)->Interval(), 5u); // the timer still lives
        ++ticks;
        inside = false;
    });
    ASSERT_TRUE(ServeUntil([&] { return inside.load(); }, 3000));
    timer.reset();
    EXPECT_FALSE(inside);
    const int after = ticks;
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    EXPECT_EQ(ticks, after);
}

TEST(RxtimerTest, ATickMayDestroyItsTimer) {
    auto *timer = new TRxTimer;
    QPointer<TRxTimer> watch(timer);
    timer->SetInterval(10);
    timer->SetOnTimer([](QObject *sender) { delete sender; });
    EXPECT_TRUE(ServeUntil([&] { return watch.isNull(); }, 3000));
}

TEST(RxtimerTest, SynchronizeFromAWorkerTickRunsOnTheMainThread) {
    TRxTimer timer;
    std::atomic<int> onMain{0};
    std::atomic<int> elsewhere{0};
    timer.SetSyncEvent(false);
    timer.SetInterval(10);
    timer.SetOnTimer([&](QObject *) {
        timer.Synchronize([&] {
            if (QThread::currentThread() == QCoreApplication::instance()->thread())
                ++onMain;
            else
                ++elsewhere;
        });
    });
    EXPECT_TRUE(ServeUntil([&] { return onMain >= 2; }, 3000));
    timer.SetEnabled(false);
    EXPECT_EQ(elsewhere, 0);
    // Called from the main thread it runs at once.
    int direct = 0;
    timer.Synchronize([&] { ++direct; });
    EXPECT_EQ(direct, 1);
}

} // namespace
