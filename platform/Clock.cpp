#include "platform/Clock.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <limits>
#include <mutex>
#include <thread>

bool InMainThread() {
    const QCoreApplication *app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

namespace {

class SteadyTicks : public TickSource {
public:
    uint32_t Ticks() override {
        const auto since = std::chrono::steady_clock::now().time_since_epoch();
        return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
    }
    void Sleep(uint32_t ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
    void AfterPump() override {}
    void WaitForEvents(uint32_t ms) override;
};

SteadyTicks steadyTicks;
std::atomic<TickSource *> currentSource{&steadyTicks};

} // namespace

uint32_t GetTickCount() {
    return currentSource.load()->Ticks();
}

uint32_t TicksSince(uint32_t start) {
    return GetTickCount() - start;
}

uint64_t GetTickCount64() {
    static std::mutex guard;
    static bool started = false;
    static uint32_t lastTicks = 0;
    static uint64_t extended = 0;
    const std::lock_guard<std::mutex> lock(guard);
    const uint32_t now = GetTickCount();
    extended = started ? extended + uint32_t(now - lastTicks) : now;
    started = true;
    lastTicks = now;
    return extended;
}

void Sleep(uint32_t ms) {
    currentSource.load()->Sleep(ms);
}

namespace {

void ProcessMainThreadEvents(QEventLoop::ProcessEventsFlags flags) {
    if (InMainThread())
        QCoreApplication::processEvents(flags);
    currentSource.load()->AfterPump();
}

} // namespace

void PumpMessages() {
    ProcessMainThreadEvents(QEventLoop::AllEvents);
}

void PumpMessagesExceptInput() {
    ProcessMainThreadEvents(QEventLoop::ExcludeUserInputEvents);
}

void WaitForMessagesExceptInput(uint32_t ms) {
    currentSource.load()->WaitForEvents(ms);
}

void SteadyTicks::WaitForEvents(uint32_t ms) {
    if (!InMainThread()) {
        Sleep(ms);
        return;
    }
    // The timer only wakes the event dispatcher at the deadline when nothing else comes first.
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.start(int(std::min<uint32_t>(ms, uint32_t(std::numeric_limits<int>::max()))));
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::WaitForMoreEvents);
}

void VirtualClock::WaitForEvents(uint32_t ms) {
    if (InMainThread())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    Advance(ms);
}

VirtualClock::VirtualClock(uint32_t start, uint32_t pumpStep)
    : ticks_(start), pumpStep_(pumpStep), previous_(currentSource.exchange(this)) {}

VirtualClock::~VirtualClock() {
    currentSource.store(previous_);
}
