#include "link/Emulator.h"

#include "engine/EngineBuffers.h"
#include "link/EmulatorSynthesis.h"
#include "platform/Clock.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

constexpr uint32_t BlockPauseMs = 50;

// Milliseconds since the start as the instrument's time in 1/1024 s, wrapping like its counter.
uint32_t BlockTime(uint32_t startTicks) {
    const uint64_t ms = TicksSince(startTicks);
    return static_cast<uint32_t>((ms * 1024 + 500) / 1000);
}

TEmulatorSettings TakeSettings() {
    return TakeEmulatorSettings(EngineBuffers.EmulatorAdcBuffer);
}

} // namespace

// Shared by the worker, the emulator and any hand-over still queued, so that none outlives it.
struct TEmulator::TSyncThread {
    enum class THandOver { None, Posted, Serving };

    std::mutex Lock;
    std::condition_variable Changed;
    bool Terminated = false;
    bool Paused = false;
    bool Finished = false;
    THandOver HandOver = THandOver::None;
    const int16_t *Samples = nullptr;
    uint32_t Count = 0;
    uint32_t Time = 0;
    TEmulatorSettings Next; // written by the main thread, copied by the worker under Lock
    TEmulatorState State;   // the worker's own
    uint32_t StartTicks = 0;
    std::thread Worker;

    void Execute(TEmulator *owner, const std::shared_ptr<TSyncThread> &self);
};

void TEmulator::TSyncThread::Execute(TEmulator *owner, const std::shared_ptr<TSyncThread> &self) {
    for (;;) {
        TEmulatorSettings settings;
        {
            std::unique_lock lock(Lock);
            Changed.wait(lock, [this] { return Terminated || !Paused; });
            if (Terminated)
                break;
            settings = Next;
        }
        const int32_t count = BuildEmulatorBlock(State, settings);
        const uint32_t time = BlockTime(StartTicks);
        {
            std::unique_lock lock(Lock);
            if (Terminated)
                break;
            Samples = settings.Block;
            Count = static_cast<uint32_t>(count);
            Time = time;
            HandOver = THandOver::Posted;
        }
        Changed.notify_all();
        QMetaObject::invokeMethod(
            owner, [owner, self] { owner->ServeHandOver(self); }, Qt::QueuedConnection);
        {
            std::unique_lock lock(Lock);
            Changed.wait(lock, [this] { return HandOver == THandOver::None; });
        }
        Sleep(BlockPauseMs);
    }
    {
        std::lock_guard lock(Lock);
        Finished = true;
    }
    Changed.notify_all();
}

TEmulator::TEmulator(QObject *owner) : QObject(owner) {}

TEmulator::~TEmulator() {
    TEmulator::Stop();
}

int32_t TEmulator::Start() {
    Stop();
    auto thread = std::make_shared<TSyncThread>();
    thread->StartTicks = GetTickCount();
    thread->State.Random.Seed(thread->StartTicks);
    thread->Next = TakeSettings();
    thread->Worker = std::thread([this, thread] { thread->Execute(this, thread); });
    Thread = std::move(thread);
    return 0;
}

void TEmulator::Stop() {
    if (!Thread)
        return;
    const std::shared_ptr<TSyncThread> thread = std::move(Thread);
    {
        std::lock_guard lock(thread->Lock);
        thread->Terminated = true;
        thread->Paused = false;
        // Called from OnAdcArray: the block being delivered is the last, and the worker may go.
        if (thread->HandOver == TSyncThread::THandOver::Serving)
            thread->HandOver = TSyncThread::THandOver::None;
    }
    thread->Changed.notify_all();
    for (;;) {
        std::unique_lock lock(thread->Lock);
        thread->Changed.wait(lock,
                             [&] { return thread->Finished || thread->HandOver == TSyncThread::THandOver::Posted; });
        if (thread->Finished)
            break;
        lock.unlock();
        ServeHandOver(thread);
    }
    thread->Worker.join();
}

void TEmulator::Pause() {
    if (!Thread)
        return;
    std::lock_guard lock(Thread->Lock);
    if (!Thread->Terminated)
        Thread->Paused = true;
}

void TEmulator::Resume() {
    if (!Thread)
        return;
    const TEmulatorSettings settings = TakeSettings();
    {
        std::lock_guard lock(Thread->Lock);
        if (Thread->Terminated)
            return;
        Thread->Paused = false;
        Thread->Next = settings;
    }
    Thread->Changed.notify_all();
}

// Runs in the main thread while the worker waits, so the block is read whole and the settings for the
// next one are taken without a race.
void TEmulator::ServeHandOver(const std::shared_ptr<TSyncThread> &thread) {
    const int16_t *samples = nullptr;
    uint32_t count = 0, time = 0;
    bool deliver = false;
    {
        std::lock_guard lock(thread->Lock);
        if (thread->HandOver != TSyncThread::THandOver::Posted)
            return;
        thread->HandOver = TSyncThread::THandOver::Serving;
        samples = thread->Samples;
        count = thread->Count;
        time = thread->Time;
        deliver = !thread->Terminated && !thread->Paused;
    }
    if (deliver && OnAdcArray)
        OnAdcArray(this, samples, count, time);
    bool terminated = false;
    {
        std::lock_guard lock(thread->Lock);
        terminated = thread->Terminated;
    }
    const TEmulatorSettings next = terminated ? TEmulatorSettings() : TakeSettings();
    {
        std::lock_guard lock(thread->Lock);
        if (!thread->Terminated)
            thread->Next = next;
        thread->HandOver = TSyncThread::THandOver::None;
    }
    thread->Changed.notify_all();
}
