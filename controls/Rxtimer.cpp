#include "controls/Rxtimer.h"

#include "controls/LibraryErrors.h"
#include "controls/Rxhook.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <sys/eventfd.h>
#include <unistd.h>

#include <chrono>

namespace {

// A failure that the exception handling shows: the error itself, or a stand-in for a throw of something
// that is no std::exception.
struct FailureText : std::exception {
    const char *what() const noexcept override { return "Unknown failure in a timer tick"; }
};

} // namespace

TRxTimer::TRxTimer(QObject *owner) : QObject(owner) {
    // The worker wakes the main thread through an eventfd watched by a notifier of the main thread: the
    // hand-over itself then runs under our own mutex only.
    wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    notifier_ = new QSocketNotifier(wakeFd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { ServeMainThread(); });
    thread_ = std::thread([this] { Execute(); });
}

TRxTimer::~TRxTimer() {
    {
        std::lock_guard lock(mutex_);
        destroying_ = true;
        enabled_ = false;
        onTimer_ = nullptr;
        stop_ = true;
    }
    changed_.notify_all();
    // The worker never waits for the main thread once told to end, so joining here cannot deadlock.
    thread_.join();
    delete windowTimer_;
    windowTimer_ = nullptr;
    delete notifier_;
    notifier_ = nullptr;
    ::close(wakeFd_);
}

bool TRxTimer::Enabled() const {
    std::lock_guard lock(mutex_);
    return enabled_;
}

uint32_t TRxTimer::Interval() const {
    std::lock_guard lock(mutex_);
    return interval_;
}

bool TRxTimer::SyncEvent() const {
    std::lock_guard lock(mutex_);
    return syncEvent_;
}

bool TRxTimer::Threaded() const {
    std::lock_guard lock(mutex_);
    return threaded_;
}

TThreadPriority TRxTimer::ThreadPriority() const {
    std::lock_guard lock(mutex_);
    return priority_;
}

bool TRxTimer::HasOnTimer() const {
    std::lock_guard lock(mutex_);
    return static_cast<bool>(onTimer_);
}

void TRxTimer::SetEnabled(bool value) {
    {
        std::lock_guard lock(mutex_);
        if (enabled_ == value)
            return;
        enabled_ = value;
    }
    UpdateTimer();
}

void TRxTimer::SetInterval(uint32_t value) {
    {
        std::lock_guard lock(mutex_);
        if (interval_ == value)
            return;
        interval_ = value;
    }
    UpdateTimer();
}

void TRxTimer::SetSyncEvent(bool value) {
    std::lock_guard lock(mutex_);
    syncEvent_ = value;
}

void TRxTimer::SetThreaded(bool value) {
    {
        std::lock_guard lock(mutex_);
        if (threaded_ == value)
            return;
        threaded_ = value;
    }
    UpdateTimer();
}

// The priority is kept for the worker's next run; a process without the right to raise a thread's
// priority keeps it at normal, which is what the timer's ticks need.
void TRxTimer::SetThreadPriority(TThreadPriority value) {
    bool threaded;
    {
        std::lock_guard lock(mutex_);
        if (priority_ == value)
            return;
        priority_ = value;
        threaded = threaded_;
    }
    if (threaded)
        UpdateTimer();
}

void TRxTimer::SetOnTimer(TNotifyEvent handler) {
    bool changedPresence;
    {
        std::lock_guard lock(mutex_);
        changedPresence = static_cast<bool>(onTimer_) != static_cast<bool>(handler);
        onTimer_ = std::move(handler);
    }
    if (changedPresence)
        UpdateTimer();
}

bool TRxTimer::ThreadTicking() const {
    std::lock_guard lock(mutex_);
    return running_;
}

bool TRxTimer::WindowTimerActive() const {
    return windowTimer_ && windowTimer_->isActive();
}

void TRxTimer::UpdateTimer() {
    bool ticking;
    bool threaded;
    uint32_t interval;
    {
        std::lock_guard lock(mutex_);
        ticking = interval_ != 0 && enabled_ && onTimer_ && !destroying_;
        threaded = threaded_;
        interval = interval_;
        running_ = threaded && ticking;
        ++generation_;
    }
    changed_.notify_all();
    if (threaded) {
        delete windowTimer_;
        windowTimer_ = nullptr;
        return;
    }
    if (!windowTimer_) {
        windowTimer_ = new QTimer(this);
        connect(windowTimer_, &QTimer::timeout, this, [this] {
            try {
                Timer();
            } catch (...) {
                Report(std::current_exception());
            }
        });
    }
    windowTimer_->stop();
    if (ticking)
        windowTimer_->start(static_cast<int>(std::min<uint32_t>(interval, INT32_MAX)));
}

void TRxTimer::Timer() {
    TNotifyEvent handler;
    {
        std::lock_guard lock(mutex_);
        if (!enabled_ || destroying_ || !onTimer_)
            return;
        handler = onTimer_;
    }
    handler(this);
}

void TRxTimer::Execute() {
    std::unique_lock lock(mutex_);
    while (!stop_) {
        if (!running_) {
            changed_.wait(lock, [this] { return stop_ || running_; });
            continue;
        }
        const uint64_t generation = generation_;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(interval_);
        if (changed_.wait_until(lock, deadline, [&] { return stop_ || generation_ != generation; }))
            continue; // told to end, or the settings changed: start counting again
        if (!enabled_)
            continue;
        if (syncEvent_) {
            HandOver(lock, [this] { Timer(); });
            continue;
        }
        lock.unlock();
        try {
            Timer();
        } catch (...) {
            ReportFromWorker(std::current_exception());
        }
        lock.lock();
    }
}

void TRxTimer::Synchronize(const std::function<void()> &method) {
    std::unique_lock lock(mutex_);
    if (QThread::currentThread() == thread() || !running_ || stop_) {
        lock.unlock();
        method();
        return;
    }
    HandOver(lock, method);
}

// Runs `call` on the main thread and waits for it, giving up when the timer is told to end (the main
// thread is then in the destructor and will never serve it). False when it gave up.
bool TRxTimer::HandOver(std::unique_lock<std::mutex> &lock, std::function<void()> call) {
    changed_.wait(lock, [this] { return stop_ || !pendingCall_; });
    if (stop_)
        return false;
    pendingCall_ = std::move(call);
    pendingDone_ = false;
    WakeMainThread();
    changed_.wait(lock, [this] { return stop_ || pendingDone_; });
    pendingCall_ = nullptr;
    changed_.notify_all();
    return pendingDone_;
}

void TRxTimer::WakeMainThread() {
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(wakeFd_, &one, sizeof one);
}

void TRxTimer::ServeMainThread() {
    uint64_t count;
    [[maybe_unused]] const ssize_t read = ::read(wakeFd_, &count, sizeof count);
    std::function<void()> call;
    {
        std::lock_guard lock(mutex_);
        if (pendingCall_ && !pendingDone_)
            call = pendingCall_;
    }
    QPointer<TRxTimer> alive(this);
    if (call) {
        try {
            call();
        } catch (...) {
            // A failed synchronised tick is shown like any failed event handler; ticking goes on.
            Report(std::current_exception());
        }
        if (!alive)
            return; // the tick destroyed its timer
        {
            std::lock_guard lock(mutex_);
            pendingDone_ = true;
        }
        changed_.notify_all();
    }
    std::vector<std::exception_ptr> reports;
    {
        std::lock_guard lock(mutex_);
        reports.swap(workerFailures_);
    }
    for (const std::exception_ptr &failure : reports) {
        Report(failure);
        if (!alive)
            return;
    }
}

// Failures of ticks run on the worker are shown by the main thread: no window may open on another.
void TRxTimer::ReportFromWorker(std::exception_ptr failure) {
    {
        std::lock_guard lock(mutex_);
        workerFailures_.push_back(std::move(failure));
    }
    WakeMainThread();
}

void TRxTimer::Report(std::exception_ptr failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const EAbort &) {
        // the silent abort of an operation
    } catch (const std::exception &error) {
        if (onException_)
            onException_(this, error);
        else
            ApplicationHandleException(error);
    } catch (...) {
        const FailureText error;
        if (onException_)
            onException_(this, error);
        else
            ApplicationHandleException(error);
    }
}
