#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class SimInstrument;
class SimDspApplication;
struct SimMessage;

// What the line does to one message.
enum class SimLineFault {
    None,      // delivered, then the sender's end with success
    Drop,      // lost: the sender's end reports failure, the other end hears nothing
    Corrupt,   // delivered with one byte of its body changed
    Truncate,  // the other end reports an input error; the sender's end reports failure
    FinFirst,  // the sender's end comes before the delivery
    LateFin,   // the sender's end comes long after the delivery (after an abort, it is stale)
};

// The measured line between two simulated analysers: a message that one instrument's program hands it
// arrives at the other instrument's program after the line's delay, and the sender's instrument reports
// the end of the transmission with the message identifier as the receipt code. Faults come from a script,
// one per message from the first instrument (a) in order; messages beyond the script, and every message
// the other way, pass unharmed. The line runs on a thread of its own.
class SimRemoteLine {
public:
    SimRemoteLine(std::shared_ptr<SimInstrument> a, std::shared_ptr<SimInstrument> b,
                  std::chrono::milliseconds delay = std::chrono::milliseconds(30));
    ~SimRemoteLine();
    SimRemoteLine(const SimRemoteLine &) = delete;
    SimRemoteLine &operator=(const SimRemoteLine &) = delete;

    void ScriptFaults(std::vector<SimLineFault> faults);
    // Messages that reached the first instrument's peer (corrupted ones included).
    int DeliveredFromA() const;

private:
    struct Event {
        std::chrono::steady_clock::time_point due;
        std::shared_ptr<SimInstrument> target;
        std::function<void(SimDspApplication &)> action;
    };
    void Carry(bool fromA, const SimMessage &message);
    void Run();

    std::shared_ptr<SimInstrument> a_, b_;
    std::chrono::milliseconds delay_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<SimLineFault> faults_;
    std::vector<Event> events_;
    std::atomic<int> delivered_{0};
    bool stop_ = false;
    std::thread thread_;
};
