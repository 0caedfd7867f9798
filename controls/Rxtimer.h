#pragma once

#include <QObject>

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class QSocketNotifier;
class QTimer;
class TRxTimer;

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

using TNotifyEvent = std::function<void(QObject *sender)>;
// The application's exception event: called on the main thread with a failure of a tick.
using TExceptionEvent = std::function<void(TRxTimer *sender, const std::exception &error)>;

// A timer that fires `OnTimer` every `Interval` ms. In thread mode (`Threaded`, the default) a worker
// thread of its own sleeps the interval and then either hands the tick to the main thread and waits for
// it (`SyncEvent`) or runs it itself, so ticks keep coming while the main thread's queue is busy; the
// interval counts from the end of the previous tick. Otherwise a QTimer of the main thread drives it.
//
// All properties belong to the main thread. Every setting change restarts the sleep with the new
// settings; a tick comes only after a whole interval slept under one set of them, never earlier.
class TRxTimer : public QObject {
    Q_OBJECT
public:
    explicit TRxTimer(QObject *owner = nullptr);
    // Wakes the worker and waits for it: no tick reaches the timer once this returns.
    ~TRxTimer() override;

    bool Enabled() const;
    void SetEnabled(bool value);
    uint32_t Interval() const;
    void SetInterval(uint32_t value);
    bool SyncEvent() const;
    void SetSyncEvent(bool value);
    bool Threaded() const;
    void SetThreaded(bool value);
    TThreadPriority ThreadPriority() const;
    void SetThreadPriority(TThreadPriority value);
    void SetOnTimer(TNotifyEvent handler);
    bool HasOnTimer() const;
    void SetOnException(TExceptionEvent handler) { onException_ = std::move(handler); }

    // Runs `method` on the main thread through the worker while it ticks, else directly.
    void Synchronize(const std::function<void()> &method);

    // True while the worker sleeps towards ticks (not suspended); for tests of the modes.
    bool ThreadTicking() const;
    bool WindowTimerActive() const;

protected:
    // Fires OnTimer when enabled, not being destroyed and a handler is assigned.
    virtual void Timer();

private:
    void UpdateTimer();
    void Execute();
    void ServeMainThread();
    bool HandOver(std::unique_lock<std::mutex> &lock, std::function<void()> call);
    void ReportFromWorker(std::exception_ptr failure);
    void Report(std::exception_ptr failure);
    void WakeMainThread();

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool enabled_ = true;
    uint32_t interval_ = 1000;
    bool syncEvent_ = true;
    bool threaded_ = true;
    TThreadPriority priority_ = tpNormal;
    TNotifyEvent onTimer_;
    TExceptionEvent onException_;
    bool destroying_ = false;

    // Worker state, under mutex_.
    bool running_ = false;       // resumed
    bool stop_ = false;          // told to end
    uint64_t generation_ = 0;    // bumped by every UpdateTimer, so a sleep restarts
    std::function<void()> pendingCall_;   // a synchronised call waiting for the main thread
    bool pendingDone_ = false;
    std::vector<std::exception_ptr> workerFailures_; // of worker-run ticks, for the main thread to show

    int wakeFd_ = -1; // eventfd by which the worker calls the main thread
    QSocketNotifier *notifier_ = nullptr;
    QTimer *windowTimer_ = nullptr;
    std::thread thread_;
};
