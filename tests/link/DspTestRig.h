#pragma once

#include "LinkTestPorts.h"

#include "link/Dspio9.h"
#include "platform/Clock.h"

#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Time that moves only when the test advances it or its own thread sleeps: the link's worker threads may
// poll and sleep as often as they like without moving it.
class StillClock final : public VirtualClock {
public:
    explicit StillClock(std::uint32_t start = 1000) : VirtualClock(start, 0) {}

    void Sleep(std::uint32_t ms) override;
    // Waits until `workers` threads other than the test's have each slept twice since the call, that is,
    // have gone through one whole pass that saw the present time; false when they did not within `seconds`.
    bool Settle(std::size_t workers, double seconds = 10);

private:
    const std::thread::id owner_ = std::this_thread::get_id();
    std::mutex mutex_;
    std::map<std::thread::id, std::uint64_t> sleeps_;
};

// A script line for the instrument: a packet, or a break (type 127, sent as the control frame).
struct ScriptPacket {
    int type;
    std::vector<std::uint8_t> payload;
};
constexpr int ScriptBreak = TSio9::BreakPacketType;

// The packet layer with the link running and the packet thread's passes made by the test, so that what
// the main thread sees depends on the order of the steps only.
class SteppedDspIo9 final : public TDspIo9 {
public:
    using TDspIo9::PacketStep;
    using TDspIo9::TDspIo9;

    int OpenStepped(const QString &firmware);
    PacketStep Step() { return PacketThreadStep(); }
    // Passes until one finds a packet (handled or held), at most `seconds`.
    PacketStep StepUntilBusy(double seconds = 10);
    // Sends the packets to the instrument in order and makes passes until each was handled; a break goes
    // out only once everything before it was handled, as it overtakes waiting packets.
    bool Run(SimInstrument &instrument, const std::vector<ScriptPacket> &script, double seconds = 20);
    // Hands the main thread the one data-ready message waiting, if any.
    void DeliverOne();
    // Alternates passes and main-thread handling until nothing is left for the main thread.
    void Deliver();
};

// Every event of the packet layer as a line of text, in the order raised.
struct EventLog {
    explicit EventLog(TDspIo9 &link);
    std::vector<std::string> lines;
    std::vector<std::string> Take();
};

// The instrument with its DSP program switched off: only what a test scripts reaches the program.
SimConfig ScriptedInstrument();
