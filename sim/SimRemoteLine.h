#pragma once

#include "sim/SimLineSocket.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class SimInstrument;
struct SimMessage;
struct SimLinePacket;

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
//
// The two instruments are either in this process, or each in a program of its own: then the line listens
// on a Unix-domain socket, and the first instrument that joins it (SimLineJoin) is a, the second b.
class SimRemoteLine {
public:
    SimRemoteLine(std::shared_ptr<SimInstrument> a, std::shared_ptr<SimInstrument> b,
                  std::chrono::milliseconds delay = std::chrono::milliseconds(30));
    // Listens at `socketPath` for the two instruments; Listening() says whether it could.
    explicit SimRemoteLine(const std::string &socketPath,
                           std::chrono::milliseconds delay = std::chrono::milliseconds(30));
    ~SimRemoteLine();
    SimRemoteLine(const SimRemoteLine &) = delete;
    SimRemoteLine &operator=(const SimRemoteLine &) = delete;

    void ScriptFaults(std::vector<SimLineFault> faults);
    // Messages that reached the first instrument's peer (corrupted ones included).
    int DeliveredFromA() const;
    // The bodies of the messages handed to the line at end a (or b), as the sending program wrote them.
    std::vector<std::vector<std::uint8_t>> CarriedFrom(bool a) const;
    bool Listening() const { return listener_ >= 0; }
    // Instruments of other programs that joined the line so far (0 to 2).
    int JoinedEnds() const;

private:
    // One end of the line: an instrument of this process, or the socket of an instrument elsewhere.
    struct End {
        std::shared_ptr<SimInstrument> instrument;
        int fd = -1;
        std::thread reader;
    };
    struct Event {
        std::chrono::steady_clock::time_point due;
        bool toA = false;
        SimLinePacket packet; // deliver, end or input error
    };
    void Carry(bool fromA, const SimMessage &message);
    void Apply(const Event &event);
    void Accept();
    void Read(bool a);
    void Run();

    End a_, b_;
    int listener_ = -1;
    std::string socketPath_;
    std::thread acceptor_;
    std::chrono::milliseconds delay_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<SimLineFault> faults_;
    std::vector<Event> events_;
    std::vector<std::vector<std::uint8_t>> carried_[2]; // from a, from b
    std::atomic<int> delivered_{0};
    bool stop_ = false;
    std::thread thread_;
};
