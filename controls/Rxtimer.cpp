#include "controls/Rxtimer.h"

#include <QCoreApplication>
#include <QTimer>

#include <chrono>
#include <memory>

TRxTimer::TRxTimer(QObject *owner) : QObject(owner), mainThreadContext_(new QObject(this)) {}

TRxTimer::~TRxTimer() {
    enabled_ = false;
    {
        std::lock_guard lock(mutex_);
        ending_ = true;
        onTimer_ = nullptr;
        hasHandler_ = false;
    }
    wake_.notify_all();
    if (worker_.joinable())
        worker_.join();
}

void TRxTimer::SetEnabled(bool value) {
    if (enabled_ != value) {
        enabled_ = value;
        UpdateTimer();
    }
}

void TRxTimer::SetInterval(uint32_t value) {
    if (interval_ != value) {
        interval_ = value;
        UpdateTimer();
    }
}

void TRxTimer::SetThreaded(bool value) {
    if (threaded_ != value) {
        threaded_ = value;
        UpdateTimer();
    }
}

void TRxTimer::SetThreadPriority(int value) {
    if (threadPriority_ != value) {
        threadPriority_ = value;
        if (threaded_)
            UpdateTimer();
    }
}

void TRxTimer::SetOnTimer(std::function<void(TRxTimer *)> handler) {
    const bool had = hasHandler_;
    {
        std::lock_guard lock(mutex_);
        onTimer_ = std::move(handler);
        hasHandler_ = bool(onTimer_);
    }
    if (had != hasHandler_)
        UpdateTimer();
}

// Brings the thread or the Qt timer in line with the properties; a changed interval starts afresh.
void TRxTimer::UpdateTimer() {
    const bool ticking = interval_ != 0 && enabled_ && hasHandler_;
    {
        std::lock_guard lock(mutex_);
        running_ = threaded_ && ticking;
        ++generation_;
    }
    wake_.notify_all();
    if (threaded_) {
        delete windowTimer_;
        windowTimer_ = nullptr;
        if (ticking && !worker_.joinable())
            worker_ = std::thread([this] { Execute(); });
        return;
    }
    if (!windowTimer_) {
        windowTimer_ = new QTimer(this);
        connect(windowTimer_, &QTimer::timeout, this, [this] {
            try {
                Timer();
            } catch (const std::exception &error) {
                Report(error);
            }
        });
    }
    windowTimer_->stop();
    if (ticking)
        windowTimer_->start(int(interval_));
}

void TRxTimer::Timer() {
    std::function<void(TRxTimer *)> handler;
    {
        std::lock_guard lock(mutex_);
        if (ending_ || !enabled_)
            return;
        handler = onTimer_;
    }
    if (handler)
        handler(this);
}

void TRxTimer::Report(const std::exception &error) {
    if (OnTickFailed)
        OnTickFailed(error);
    else
        qWarning("Timer tick failed: %s", error.what());
}

void TRxTimer::Execute() {
    workerId_ = std::this_thread::get_id();
    std::unique_lock lock(mutex_);
    while (!ending_) {
        if (!running_) {
            wake_.wait(lock, [this] { return ending_ || running_; });
            continue;
        }
        const uint64_t generation = generation_;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(interval_.load());
        if (wake_.wait_until(lock, deadline, [&] { return ending_ || generation_ != generation; }))
            continue;
        if (!enabled_)
            continue;
        lock.unlock();
        if (syncEvent_) {
            Synchronize([this] {
                try {
                    Timer();
                } catch (const std::exception &error) {
                    Report(error);
                }
            });
        } else {
            try {
                Timer();
            } catch (const std::exception &error) {
                Report(error);
            }
        }
        lock.lock();
    }
}

void TRxTimer::Synchronize(const std::function<void()> &method) {
    if (std::this_thread::get_id() != workerId_.load()) {
        method();
        return;
    }
    // The call is posted with the main-thread context; the worker waits until it ran or the timer ends.
    auto done = std::make_shared<bool>(false);
    QMetaObject::invokeMethod(
        mainThreadContext_,
        [this, method, done] {
            method();
            {
                std::lock_guard lock(mutex_);
                *done = true;
            }
            wake_.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(mutex_);
    wake_.wait(lock, [&] { return *done || ending_; });
}
