#include "link/LinkScheduler.h"

#include <algorithm>
#include <cstring>

namespace {

int Next(int index) {
    return (index + 1) & (LinkScheduler::RingSlots - 1);
}

} // namespace

void LinkCounters::Clear() {
    for (auto *counter : {&RecvSobCnt, &RecvErrCnt, &RecvReqCnt, &SendErrCnt, &SendReqCnt, &ComRdErrCnt, &ComWrErrCnt})
        counter->store(0, std::memory_order_relaxed);
}

void LinkScheduler::Reset() {
    RxH1 = RxH2 = 0;
    TxH1 = TxH2 = 7;
    RejectSent = false;
    RxExpected = 0;
    RxLast.store(7);
    RxConsumed.store(7);
    SendReject = SendAnswer = QueryPending = RoomUnconfirmed = false;
    TxLastSent = 7;
    TxNext = 0;
    PeerAck.store(7);
    PeerConsumed = 7;
    TxWrite.store(0);
    TxTime = 0;
}

std::uint32_t LinkScheduler::QueuePacket(const void *data, std::uint32_t length, std::uint32_t type) {
    if (type == 0 || type > LinkMaxType || !HasTxSlot())
        return 0;
    const int write = TxWrite.load(std::memory_order_relaxed);
    LinkSlot &slot = TxRing[write];
    slot.Type = type;
    slot.Length = std::min(length, LinkMaxPayload);
    if (slot.Length)
        std::memcpy(slot.Payload, data, slot.Length);
    TxWrite.store(Next(write), std::memory_order_release);
    return slot.Length;
}

bool LinkScheduler::HasRxPacket() const {
    return RxConsumed.load(std::memory_order_relaxed) != RxLast.load(std::memory_order_acquire);
}

std::uint32_t LinkScheduler::NextRxType() const {
    return HasRxPacket() ? RxRing[Next(RxConsumed.load(std::memory_order_relaxed))].Type : 0;
}

std::uint32_t LinkScheduler::TakePacket(void *destination) {
    if (!HasRxPacket())
        return 0;
    const int slot = Next(RxConsumed.load(std::memory_order_relaxed));
    const std::uint32_t length = std::min(RxRing[slot].Length, LinkMaxPayload);
    if (length)
        std::memcpy(destination, RxRing[slot].Payload, length);
    RxConsumed.store(slot, std::memory_order_release);
    return length;
}

void LinkScheduler::SkipPacket() {
    if (HasRxPacket())
        RxConsumed.store(Next(RxConsumed.load(std::memory_order_relaxed)), std::memory_order_release);
}

LinkScheduler::RxEvent LinkScheduler::Reject() {
    if (RejectSent)
        return RxEvent::None;
    RejectSent = true;
    SendReject = true;
    counters_.RecvErrCnt.fetch_add(1, std::memory_order_relaxed);
    return RxEvent::BadFrame;
}

LinkScheduler::RxEvent LinkScheduler::OnFailure() {
    return Reject();
}

void LinkScheduler::GoBack(int peerLast) {
    TxLastSent = peerLast;
    TxNext = Next(peerLast);
}

LinkScheduler::RxEvent LinkScheduler::OnFrame(const LinkFrame &frame) {
    RxH1 = frame.H1;
    RxH2 = frame.H2;
    PeerAck.store(frame.PeerRxLast(), std::memory_order_release);
    PeerConsumed = frame.PeerConsumed();
    if (!frame.IsControl()) {
        if (frame.Sequence() != RxExpected)
            return Reject() == RxEvent::BadFrame ? RxEvent::OutOfSequence : RxEvent::None;
        // A peer that ignored our consumed slot would overwrite a packet not taken yet; its frame is
        // dropped unanswered and comes again after its query.
        if (RxExpected == RxConsumed.load(std::memory_order_acquire))
            return RxEvent::None;
        RejectSent = false;
        RoomUnconfirmed = false;
        RxRing[RxExpected] = frame.Packet;
        RxLast.store(RxExpected, std::memory_order_release);
        RxExpected = Next(RxExpected);
        return RxEvent::Accepted;
    }
    switch (frame.Kind()) {
    case LinkAck:
        return RxEvent::Ack;
    case LinkReject:
        GoBack(frame.PeerRxLast());
        counters_.SendErrCnt.fetch_add(1, std::memory_order_relaxed);
        return RxEvent::Reject;
    case LinkAnswer:
        QueryPending = false;
        RoomUnconfirmed = false;
        GoBack(frame.PeerRxLast());
        return RxEvent::Answer;
    case LinkQuery:
        RejectSent = false;
        SendAnswer = true;
        counters_.RecvReqCnt.fetch_add(1, std::memory_order_relaxed);
        return RxEvent::Query;
    case LinkBreak:
        return RxEvent::Break;
    default:
        return RxEvent::None;
    }
}

LinkScheduler::TxEvent LinkScheduler::Schedule(std::uint32_t now, std::uint8_t *out, std::size_t &size) {
    const int rxLast = RxLast.load(std::memory_order_relaxed);
    const int consumed = RxConsumed.load(std::memory_order_acquire);
    const int peerAck = PeerAck.load(std::memory_order_relaxed);
    const auto control = [&](LinkControlKind kind, TxEvent event) {
        size = EncodeControlFrame(out, kind, rxLast, consumed);
        TxH1 = out[1];
        TxH2 = out[2];
        return event;
    };
    // An answer lost on the wire while later frames acknowledged everything would leave the query
    // pending for ever, and with it every further data frame.
    if (QueryPending && TxLastSent == peerAck)
        QueryPending = false;
    if (SendReject) {
        SendReject = false;
        return control(LinkReject, TxEvent::Reject);
    }
    if (SendAnswer) {
        SendAnswer = false;
        return control(LinkAnswer, TxEvent::Answer);
    }
    const bool waitsForRoom = TxNext != TxWrite.load(std::memory_order_acquire) && TxNext == PeerConsumed;
    if ((TxLastSent != peerAck || waitsForRoom || RoomUnconfirmed) && now - TxTime > QueryIntervalMs) {
        counters_.SendReqCnt.fetch_add(1, std::memory_order_relaxed);
        QueryPending = true;
        TxTime = now;
        return control(LinkQuery, TxEvent::Query);
    }
    if (!QueryPending && TxNext != TxWrite.load(std::memory_order_acquire) && TxNext != PeerConsumed) {
        TxTime = now;
        size = EncodeDataFrame(out, TxNext, rxLast, consumed, TxRing[TxNext]);
        TxH1 = out[1];
        TxH2 = out[2];
        TxLastSent = TxNext;
        TxNext = Next(TxNext);
        return TxEvent::Data;
    }
    if ((TxH1 & 7) != rxLast || (TxH2 & 7) != consumed) {
        // The peer holds its data back while it sees our ring full; should this acknowledge be lost, the
        // query above brings the news again.
        if (Next(TxH1 & 7) == (TxH2 & 7) && (TxH2 & 7) != consumed) {
            RoomUnconfirmed = true;
            TxTime = now;
        }
        return control(LinkAck, TxEvent::Ack);
    }
    size = 0;
    return TxEvent::None;
}
