#pragma once

#include "link/LinkFrameCodec.h"

#include <atomic>
#include <cstddef>
#include <cstdint>

// The link's statistics, zeroed at each open; read from any thread.
struct LinkCounters {
    std::atomic<std::uint32_t> RecvSobCnt{0};  // start bytes received
    std::atomic<std::uint32_t> RecvErrCnt{0};  // reception errors answered by a reject
    std::atomic<std::uint32_t> RecvReqCnt{0};  // queries received
    std::atomic<std::uint32_t> SendErrCnt{0};  // rejects received
    std::atomic<std::uint32_t> SendReqCnt{0};  // queries sent
    std::atomic<std::uint32_t> ComRdErrCnt{0}; // failed device reads
    std::atomic<std::uint32_t> ComWrErrCnt{0}; // failed or short device writes
    void Clear();
};

// The acknowledgement engine of a framed link: eight-slot rings both ways indexed by the 3-bit sequence
// number, rejects for bad or out-of-sequence frames (one until the sequence recovers), a query 800 ms
// after the last query or data frame while something is unacknowledged, and go-back to the first frame
// the peer has not accepted on a reject or an answer.
//
// Flow control rides on the headers only, so a lost acknowledge that freed ring room would leave both
// ends waiting with nothing unacknowledged. The same 800 ms query therefore also goes out while a packet
// waits for room in the peer's ring, and after an acknowledge that gave room to a peer that saw our ring
// full, until the peer answers or sends data again.
//
// Three threads share it without locks, each index having one writer: the producer (QueuePacket) alone
// advances TxWrite, the consumer (TakePacket, SkipPacket) alone advances RxConsumed, and the link thread
// (OnFrame, OnFailure, Schedule) owns everything else. A slot is written before its index moves.
class LinkScheduler {
public:
    static constexpr int RingSlots = 8;
    static constexpr std::uint32_t QueryIntervalMs = 800;

    // What a received frame or failure meant, for the trace and the owner's reactions.
    enum class RxEvent { None, BadFrame, Accepted, OutOfSequence, Ack, Reject, Answer, Query, Break };
    // The frame one scheduler pass put out.
    enum class TxEvent { None, Reject, Answer, Query, Data, Ack };

    explicit LinkScheduler(LinkCounters &counters) : counters_(counters) {}

    // Every index and flag to its value at open; the rings' contents are left.
    void Reset();

    // Producer side. A slot is free while fewer than seven packets are queued or unacknowledged.
    bool HasTxSlot() const {
        return TxWrite.load(std::memory_order_acquire) != PeerAck.load(std::memory_order_acquire);
    }
    // The number of payload bytes taken (cut to 256); 0 for type 0 or above 511, or with no free slot.
    std::uint32_t QueuePacket(const void *data, std::uint32_t length, std::uint32_t type);

    // Consumer side: the oldest packet accepted in sequence and not taken yet.
    bool HasRxPacket() const;
    std::uint32_t NextRxType() const;            // 0 when none waits
    std::uint32_t TakePacket(void *destination); // payload bytes copied (at most 256), 0 when none waits
    void SkipPacket();

    // Link thread, receiving.
    RxEvent OnFailure();
    RxEvent OnFrame(const LinkFrame &frame);
    // The packet just accepted by OnFrame (Accepted), still in its slot.
    const LinkSlot &LastAccepted() const { return RxRing[RxLast.load(std::memory_order_relaxed)]; }

    // Link thread, sending: one pass writes at most one frame into `out` (room for LinkMaxFrameBytes) and
    // returns its kind; `size` is its length.
    TxEvent Schedule(std::uint32_t now, std::uint8_t *out, std::size_t &size);

    // Header bytes of the last frame received and sent (the low three bits of the sent ones start at 7).
    std::uint8_t RxH1 = 0, RxH2 = 0, TxH1 = 7, TxH2 = 7;

    LinkSlot TxRing[RingSlots];
    LinkSlot RxRing[RingSlots];

    bool RejectSent = false;
    std::int32_t RxExpected = 0;
    std::atomic<std::int32_t> RxLast{7};
    std::atomic<std::int32_t> RxConsumed{7};
    bool SendReject = false, SendAnswer = false, QueryPending = false;
    bool RoomUnconfirmed = false; // an acknowledge freed room in our full ring; the peer has not shown it knows
    std::int32_t TxLastSent = 7;
    std::int32_t TxNext = 0;
    std::atomic<std::int32_t> PeerAck{7};
    std::int32_t PeerConsumed = 7;
    std::atomic<std::int32_t> TxWrite{0};
    std::uint32_t TxTime = 0;

private:
    RxEvent Reject();
    void GoBack(int peerLast);

    LinkCounters &counters_;
};
