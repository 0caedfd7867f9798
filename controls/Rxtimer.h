#pragma once

#include <QObject>
#include <QPointer>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

class QTimer;

// A timer that ticks every Interval milliseconds on a worker thread of its own (Threaded, the default),
// handing each tick to the main thread (SyncEvent, the default) or running it there; or, with Threaded
// off, on an ordinary Qt timer. The interval counts from the end of the previous tick, and the sleep is
// never cut short except to end. The worker is woken and joined before the timer goes, so no tick ever
// reaches a destroyed timer.
class TRxTimer : public QObject {
    Q_OBJECT
public:
    explicit TRxTimer(QObject *owner = nullptr);
    ~TRxTimer() override;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    uint32_t Interval() const { return interval_; }
    void SetInterval(uint32_t value);
    bool SyncEvent() const { return syncEvent_; }
    void SetSyncEvent(bool value) { syncEvent_ = value; }
    bool Threaded() const { return threaded_; }
    void SetThreaded(bool value);
    // Stored only: the worker runs at the program's priority.
    int ThreadPriority() const { return threadPriority_; }
    void SetThreadPriority(int value);
    void SetOnTimer(std::function<void(TRxTimer *)> handler);
    bool HasThread() const { return worker_.joinable(); }

    // Runs `method` on the main thread and waits for it when called from the ticking worker; directly
    // otherwise. A timer that is ending gives up the wait.
    void Synchronize(const std::function<void()> &method);
    // A tick that failed, reported on the thread it ran on; qWarning when unset.
    std::function<void(const std::exception &)> OnTickFailed;

protected:
    virtual void Timer();

private:
    void UpdateTimer();
    void Execute();
    void Report(const std::exception &error);

    std::atomic<bool> enabled_{true};
    std::atomic<uint32_t> interval_{1000};
    std::function<void(TRxTimer *)> onTimer_;
    std::atomic<bool> hasHandler_{false};
    std::atomic<bool> syncEvent_{true};
    bool threaded_ = true;
    int threadPriority_ = 0;
    QTimer *windowTimer_ = nullptr;

    std::mutex mutex_;
    std::condition_variable wake_;
    bool running_ = false;
    bool ending_ = false;
    uint64_t generation_ = 0;
    std::thread worker_;
    // Set by the worker itself, so that no other thread reads worker_ while the main thread starts it.
    std::atomic<std::thread::id> workerId_;
    // The main-thread end of synchronised calls; queued calls die with it.
    QObject *mainThreadContext_;
};
