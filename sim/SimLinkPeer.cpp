#include "sim/SimLinkPeer.h"

#include <algorithm>

namespace {

constexpr std::uint32_t QueryIntervalMs = 800;

int Next(int sequence) {
    return (sequence + 1) % 8;
}

} // namespace

SimLinkPeer::SimLinkPeer(Clock clock) : clock_(std::move(clock)) {
    Reset();
}

void SimLinkPeer::Reset() {
    decoder_.Reset();
    for (int i = 0; i < 8; ++i) {
        txRing_[i] = SimPacket();
        rxRing_[i] = SimPacket();
    }
    rxExpected_ = 0;
    rxLast_ = 7;
    rxConsumed_ = 7;
    txLastSent_ = 7;
    txNext_ = 0;
    txWrite_ = 0;
    peerAck_ = 7;
    peerConsumed_ = 7;
    sentRxLast_ = 7;
    sentConsumed_ = 7;
    txTime_ = clock_();
    rejectSent_ = sendReject_ = sendAnswer_ = sendBreak_ = queryPending_ = false;
    counters_ = SimLinkCounters();
}

void SimLinkPeer::Receive(const std::uint8_t *data, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == SimStartByte)
            ++counters_.startBytes;
        switch (decoder_.Feed(data[i])) {
        case SimFrameDecoder::Result::Frame:
            Accept(decoder_.Frame());
            break;
        case SimFrameDecoder::Result::Failure:
            ++counters_.badFrames;
            Failure();
            break;
        case SimFrameDecoder::Result::None:
            break;
        }
    }
}

void SimLinkPeer::Failure() {
    if (rejectSent_)
        return;
    rejectSent_ = sendReject_ = true;
    ++counters_.rejectsSent;
}

void SimLinkPeer::GoBack(int peerLast) {
    txLastSent_ = peerLast;
    txNext_ = Next(peerLast);
}

void SimLinkPeer::Accept(const SimFrame &frame) {
    peerAck_ = frame.rxLast;
    peerConsumed_ = frame.consumed;
    if (!frame.control) {
        if (frame.sequence != rxExpected_) {
            ++counters_.framesOutOfSequence;
            Failure();
            return;
        }
        if (rxExpected_ == rxConsumed_) {
            ++counters_.ringOverruns;
            return;
        }
        rejectSent_ = false;
        rxRing_[rxExpected_] = SimPacket{frame.type, frame.payload};
        rxLast_ = rxExpected_;
        rxExpected_ = Next(rxExpected_);
        ++counters_.framesAccepted;
        return;
    }
    switch (frame.kind) {
    case SimReject:
        ++counters_.rejectsReceived;
        GoBack(frame.rxLast);
        break;
    case SimAnswer:
        ++counters_.answersReceived;
        queryPending_ = false;
        GoBack(frame.rxLast);
        break;
    case SimQuery:
        ++counters_.queriesReceived;
        rejectSent_ = false;
        sendAnswer_ = true;
        break;
    case SimBreak:
        ++counters_.breaksReceived;
        break;
    default: // acknowledge; kinds 5 to 7 carry nothing either
        break;
    }
}

SimFrame SimLinkPeer::Control(int kind) const {
    SimFrame frame;
    frame.control = true;
    frame.kind = kind;
    frame.rxLast = rxLast_;
    frame.consumed = rxConsumed_;
    return frame;
}

void SimLinkPeer::LoseControlFrames(int kind, int count) {
    if (kind >= 0 && kind < 8)
        toLose_[kind] = std::max(count, 0);
}

void SimLinkPeer::Send(std::vector<std::uint8_t> &wire, const SimFrame &frame) {
    if (frame.control && toLose_[frame.kind & 7] > 0) {
        --toLose_[frame.kind & 7];
        ++counters_.controlFramesLost;
    } else {
        const std::vector<std::uint8_t> bytes = SimEncodeFrame(frame);
        wire.insert(wire.end(), bytes.begin(), bytes.end());
    }
    sentRxLast_ = frame.rxLast;
    sentConsumed_ = frame.consumed;
}

bool SimLinkPeer::Transmit(std::vector<std::uint8_t> &wire) {
    const std::uint32_t now = clock_();
    if (sendReject_) {
        sendReject_ = false;
        Send(wire, Control(SimReject));
        return true;
    }
    if (sendAnswer_) {
        sendAnswer_ = false;
        ++counters_.answersSent;
        Send(wire, Control(SimAnswer));
        return true;
    }
    if (sendBreak_) {
        sendBreak_ = false;
        Send(wire, Control(SimBreak));
        return true;
    }
    // An answer that got lost stops mattering once later frames acknowledged everything; waiting for it
    // would hold the data back for ever.
    if (queryPending_ && txLastSent_ == peerAck_)
        queryPending_ = false;
    if (txLastSent_ != peerAck_ && std::uint32_t(now - txTime_) > QueryIntervalMs) {
        ++counters_.queriesSent;
        queryPending_ = true;
        txTime_ = now;
        Send(wire, Control(SimQuery));
        return true;
    }
    if (!queryPending_ && txNext_ != txWrite_ && txNext_ != peerConsumed_) {
        txTime_ = now;
        SimFrame frame;
        frame.sequence = txNext_;
        frame.rxLast = rxLast_;
        frame.consumed = rxConsumed_;
        frame.type = txRing_[txNext_].type;
        frame.payload = txRing_[txNext_].payload;
        Send(wire, frame);
        ++counters_.dataFramesSent;
        txLastSent_ = txNext_;
        txNext_ = Next(txNext_);
        return true;
    }
    if (sentRxLast_ != rxLast_ || sentConsumed_ != rxConsumed_) {
        ++counters_.acksSent;
        Send(wire, Control(SimAck));
        return true;
    }
    return false;
}

bool SimLinkPeer::CanQueue() const {
    return txWrite_ != peerAck_;
}

bool SimLinkPeer::Queue(int type, const std::vector<std::uint8_t> &payload) {
    if (!CanQueue() || type <= 0 || type > SimMaxType || int(payload.size()) > SimMaxPayload)
        return false;
    txRing_[txWrite_] = SimPacket{type, payload};
    txWrite_ = Next(txWrite_);
    return true;
}

std::optional<SimPacket> SimLinkPeer::Take() {
    if (rxConsumed_ == rxLast_)
        return std::nullopt;
    const int slot = Next(rxConsumed_);
    SimPacket packet = std::move(rxRing_[slot]);
    rxConsumed_ = slot;
    return packet;
}
