#pragma once

#include <atomic>
#include <cstdint>

// Milliseconds since an arbitrary start, wrapping at 2^32 like the platform tick count the program's
// timing was written against. Differences of two readings are taken in uint32 arithmetic, so a wait
// that spans the wrap still measures right.
uint32_t GetTickCount();
// Milliseconds from `start` (an earlier GetTickCount) until now, correct across the wrap.
uint32_t TicksSince(uint32_t start);
// The same clock extended to 64 bits, so that a deadline compared against it never misfires at the wrap
// of the 32-bit count (every 49.7 days, or half of that for a signed compare). It counts on from the
// 32-bit readings it sees, so it must be read at least once per wrap; it never runs backwards.
uint64_t GetTickCount64();
void Sleep(uint32_t ms);
// True in the application's main thread (false before the application exists).
bool InMainThread();
// Handles the main thread's pending events and returns at once when there are none; bounded waits in the
// main thread call it so that the windows stay alive. Called from another thread it only lets time pass.
void PumpMessages();
// The same without the user's input, which stays queued: for waits inside a handler, so that the user
// cannot click into the half-finished handler.
void PumpMessagesExceptInput();
// Blocks until the main thread has events other than the user's input, or until `ms` have passed, and
// handles them: a wait for something that an event brings (a link report) sleeps instead of spinning.
void WaitForMessagesExceptInput(uint32_t ms);

// Where GetTickCount, Sleep and PumpMessages take their time from.
class TickSource {
public:
    virtual ~TickSource() = default;
    virtual uint32_t Ticks() = 0;
    virtual void Sleep(uint32_t ms) = 0;
    virtual void AfterPump() = 0;
    // WaitForMessagesExceptInput on this clock.
    virtual void WaitForEvents(uint32_t ms) = 0;
};

// A clock for tests: installs itself as the tick source while it lives (restoring the previous one
// afterwards), and moves only when told, when something sleeps, by `pumpStep` ms on every PumpMessages,
// and to the end of a WaitForMessagesExceptInput after handling the events already there (nothing else
// arrives in virtual time), so that a wait bounded to 45000 ms runs in virtual time.
class VirtualClock : public TickSource {
public:
    explicit VirtualClock(uint32_t start = 0, uint32_t pumpStep = 1);
    ~VirtualClock() override;
    VirtualClock(const VirtualClock &) = delete;
    VirtualClock &operator=(const VirtualClock &) = delete;

    void Advance(uint32_t ms) { ticks_ += ms; }
    void SetPumpStep(uint32_t ms) { pumpStep_ = ms; }

    uint32_t Ticks() override { return ticks_; }
    void Sleep(uint32_t ms) override { Advance(ms); }
    void AfterPump() override { Advance(pumpStep_); }
    void WaitForEvents(uint32_t ms) override;

private:
    std::atomic<uint32_t> ticks_;
    std::atomic<uint32_t> pumpStep_;
    TickSource *previous_;
};
