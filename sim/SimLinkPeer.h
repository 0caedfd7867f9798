#pragma once

#include "sim/SimFrameCodec.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

struct SimPacket {
    int type = 0;
    std::vector<std::uint8_t> payload;
};

// What the instrument's side of the link has seen and done since its last reset.
struct SimLinkCounters {
    std::uint32_t startBytes = 0;
    std::uint32_t framesAccepted = 0;
    std::uint32_t framesOutOfSequence = 0;
    std::uint32_t badFrames = 0;
    std::uint32_t rejectsSent = 0;
    std::uint32_t rejectsReceived = 0;
    std::uint32_t queriesSent = 0;
    std::uint32_t queriesReceived = 0;
    std::uint32_t answersSent = 0;
    std::uint32_t answersReceived = 0;
    std::uint32_t acksSent = 0;
    std::uint32_t dataFramesSent = 0;
    std::uint32_t breaksReceived = 0;
    std::uint32_t ringOverruns = 0; // data frames for a receive slot not consumed yet (sender ignored it)
    // Control frames sent and lost on the way, as LoseControlFrames asked.
    std::uint32_t controlFramesLost = 0;
};

// The instrument's end of the acknowledged link: eight-slot rings both ways, sequence numbers modulo 8,
// rejects for bad or out-of-sequence frames (one until the sequence recovers), a query 800 ms after the
// last query or data frame while something is unacknowledged, go-back to the first frame the other end
// has not accepted on a reject or an answer. The program's end follows the same rules.
class SimLinkPeer {
public:
    using Clock = std::function<std::uint32_t()>;

    explicit SimLinkPeer(Clock clock);

    // Back to the state at open: nothing sent or received, all sequence numbers 7 or 0.
    void Reset();

    void Receive(const std::uint8_t *data, std::size_t size);

    // One pass of the transmit scheduler: appends at most one frame to `wire`; false when nothing was due.
    bool Transmit(std::vector<std::uint8_t> &wire);

    // Producer of the transmit ring: false while seven packets are queued or unacknowledged, for type 0
    // or above 511, or for more than 256 bytes.
    bool Queue(int type, const std::vector<std::uint8_t> &payload);
    bool CanQueue() const;
    // The next control frame is a break.
    void QueueBreak() { sendBreak_ = true; }
    // The next `count` control frames of `kind` (acknowledge, reject, answer, query, break) are lost on the
    // wire: this end believes them sent. A reset leaves the request standing.
    void LoseControlFrames(int kind, int count);

    // Consumer of the receive ring: the oldest packet accepted and not yet taken.
    std::optional<SimPacket> Take();

    // Nothing queued is left unacknowledged.
    bool AllAcknowledged() const { return txNext_ == txWrite_ && txLastSent_ == peerAck_; }
    const SimLinkCounters &Counters() const { return counters_; }

private:
    void Accept(const SimFrame &frame);
    void Failure();
    void GoBack(int peerLast);
    void Send(std::vector<std::uint8_t> &wire, const SimFrame &frame);
    SimFrame Control(int kind) const;

    Clock clock_;
    SimFrameDecoder decoder_;
    SimPacket txRing_[8];
    SimPacket rxRing_[8];
    int rxExpected_ = 0;
    int rxLast_ = 7;
    int rxConsumed_ = 7;
    int txLastSent_ = 7;
    int txNext_ = 0;
    int txWrite_ = 0;
    int peerAck_ = 7;
    int peerConsumed_ = 7;
    int sentRxLast_ = 7;
    int sentConsumed_ = 7;
    std::uint32_t txTime_ = 0;
    bool rejectSent_ = false;
    bool sendReject_ = false;
    bool sendAnswer_ = false;
    bool sendBreak_ = false;
    bool queryPending_ = false;
    int toLose_[8] = {};
    SimLinkCounters counters_;
};
