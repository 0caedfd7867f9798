#include "link/LinkScheduler.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Tx = LinkScheduler::TxEvent;
using Rx = LinkScheduler::RxEvent;

struct Engine {
    LinkCounters counters;
    LinkScheduler link{counters};
    std::vector<std::uint8_t> wire = std::vector<std::uint8_t>(LinkMaxFrameBytes);
    std::size_t size = 0;

    Engine() { link.Reset(); }
    Tx Pass(std::uint32_t now) { return link.Schedule(now, wire.data(), size); }
    std::uint32_t Queue(std::uint8_t tag, std::uint32_t length = 1, std::uint32_t type = 21) {
        std::vector<std::uint8_t> payload(length, tag);
        return link.QueuePacket(payload.data(), length, type);
    }
    // The frame just sent: its sequence number (data) and first payload byte.
    int SentSequence() const { return (wire[1] >> 3) & 7; }
    std::uint8_t SentTag() const { return wire[5]; }
};

LinkFrame Control(int kind, int peerLast, int peerConsumed) {
    LinkFrame frame;
    frame.H1 = std::uint8_t(0x80 | kind << 3 | peerLast);
    frame.H2 = std::uint8_t(0x80 | peerConsumed);
    return frame;
}

LinkFrame Data(int sequence, int peerLast = 7, int peerConsumed = 7) {
    LinkFrame frame;
    frame.H1 = std::uint8_t(0x40 | sequence << 3 | peerLast);
    frame.H2 = std::uint8_t(0x80 | peerConsumed);
    frame.Packet.Type = 30;
    frame.Packet.Length = 1;
    frame.Packet.Payload[0] = std::uint8_t(sequence);
    return frame;
}

TEST(LinkScheduler, QueueLimits) {
    Engine e;
    EXPECT_EQ(e.Queue(1, 1, 0), 0u) << "type 0";
    EXPECT_EQ(e.Queue(1, 1, 512), 0u) << "type above 511";
    EXPECT_EQ(e.Queue(1, 300), 256u) << "cut to 256";
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(e.Queue(1), 1u);
    EXPECT_FALSE(e.link.HasTxSlot());
    EXPECT_EQ(e.Queue(1), 0u) << "seven queued and none acknowledged";
    for (int i = 0; i < 7; ++i)
        ASSERT_EQ(e.Pass(0), Tx::Data);
    e.link.OnFrame(Control(LinkAck, 0, 0)); // the first one arrived and was taken
    EXPECT_TRUE(e.link.HasTxSlot());
    EXPECT_EQ(e.Queue(1), 1u);
}

TEST(LinkScheduler, PriorityOfOnePass) {
    Engine e;
    e.Queue(0xAA);
    e.link.OnFrame(Data(3));                  // out of sequence: a reject is due
    e.link.OnFrame(Control(LinkQuery, 7, 7)); // and an answer
    EXPECT_EQ(e.Pass(0), Tx::Reject);
    EXPECT_EQ(e.Pass(0), Tx::Answer);
    EXPECT_EQ(e.Pass(0), Tx::Data);
    EXPECT_EQ(e.Pass(0), Tx::None);
    e.link.OnFrame(Data(0));
    EXPECT_EQ(e.Pass(0), Tx::Ack);
    EXPECT_EQ(e.wire[1] & 7, 0) << "acknowledges the frame received";
    e.link.TakePacket(e.wire.data());
    EXPECT_EQ(e.Pass(0), Tx::Ack) << "and again once it was consumed";
    EXPECT_EQ(e.wire[2] & 7, 0);
    EXPECT_EQ(e.Pass(0), Tx::None);
}

TEST(LinkScheduler, OneRejectUntilTheSequenceRecovers) {
    Engine e;
    EXPECT_EQ(e.link.OnFrame(Data(1)), Rx::OutOfSequence);
    EXPECT_EQ(e.link.OnFrame(Data(2)), Rx::None);
    EXPECT_EQ(e.link.OnFailure(), Rx::None);
    EXPECT_EQ(e.counters.RecvErrCnt.load(), 1u);
    EXPECT_EQ(e.Pass(0), Tx::Reject);
    EXPECT_EQ(e.Pass(0), Tx::None);
    EXPECT_EQ(e.link.OnFrame(Data(0)), Rx::Accepted);
    EXPECT_EQ(e.link.OnFailure(), Rx::BadFrame) << "counts again after the recovery";
    EXPECT_EQ(e.counters.RecvErrCnt.load(), 2u);
    e.link.OnFrame(Control(LinkQuery, 7, 7));
    EXPECT_EQ(e.link.OnFailure(), Rx::BadFrame) << "a query also ends the reject";
    EXPECT_EQ(e.counters.RecvReqCnt.load(), 1u);
}

TEST(LinkScheduler, ReceivedPacketsWaitForTheConsumer) {
    Engine e;
    for (int s = 0; s < 7; ++s)
        ASSERT_EQ(e.link.OnFrame(Data(s)), Rx::Accepted);
    // A peer that ignores the consumed slot must not overwrite the oldest packet.
    EXPECT_EQ(e.link.OnFrame(Data(7)), Rx::None);
    std::uint8_t payload[LinkMaxPayload];
    for (int s = 0; s < 7; ++s) {
        EXPECT_EQ(e.link.NextRxType(), 30u);
        ASSERT_EQ(e.link.TakePacket(payload), 1u);
        EXPECT_EQ(payload[0], s);
    }
    EXPECT_FALSE(e.link.HasRxPacket());
    EXPECT_EQ(e.link.TakePacket(payload), 0u);
    EXPECT_EQ(e.link.OnFrame(Data(7)), Rx::Accepted);
}

TEST(LinkScheduler, RejectGoesBackToTheFirstFrameNotAccepted) {
    Engine e;
    for (std::uint8_t tag = 0; tag < 4; ++tag)
        e.Queue(tag);
    for (int i = 0; i < 4; ++i)
        ASSERT_EQ(e.Pass(0), Tx::Data);
    e.link.OnFrame(Control(LinkReject, 1, 1)); // frames 0 and 1 arrived
    EXPECT_EQ(e.counters.SendErrCnt.load(), 1u);
    ASSERT_EQ(e.Pass(0), Tx::Data);
    EXPECT_EQ(e.SentSequence(), 2);
    EXPECT_EQ(e.SentTag(), 2);
    ASSERT_EQ(e.Pass(0), Tx::Data);
    EXPECT_EQ(e.SentSequence(), 3);
    EXPECT_EQ(e.Pass(0), Tx::None);
}

TEST(LinkScheduler, NoDataFrameIntoAFullPeerRing) {
    Engine e;
    e.Queue(1);
    e.link.OnFrame(Control(LinkAck, 7, 0)); // peer's last consumed slot is 0: slot 0 is not free
    EXPECT_EQ(e.Pass(0), Tx::None);
    e.link.OnFrame(Control(LinkAck, 7, 7));
    EXPECT_EQ(e.Pass(0), Tx::Data);
}

TEST(LinkScheduler, QueryAfter800msUntilAnswered) {
    Engine e;
    e.Queue(1);
    ASSERT_EQ(e.Pass(1000), Tx::Data);
    EXPECT_EQ(e.Pass(1800), Tx::None) << "800 ms is not more than 800 ms";
    EXPECT_EQ(e.Pass(1801), Tx::Query);
    e.Queue(2);
    EXPECT_EQ(e.Pass(1802), Tx::None) << "no data while the query is pending";
    EXPECT_EQ(e.Pass(2601), Tx::None);
    EXPECT_EQ(e.Pass(2602), Tx::Query);
    EXPECT_EQ(e.counters.SendReqCnt.load(), 2u);
    e.link.OnFrame(Control(LinkAnswer, 7, 7)); // the first frame never arrived
    ASSERT_EQ(e.Pass(2603), Tx::Data);
    EXPECT_EQ(e.SentSequence(), 0);
    EXPECT_EQ(e.SentTag(), 1);
    ASSERT_EQ(e.Pass(2604), Tx::Data);
    EXPECT_EQ(e.SentTag(), 2);
}

// The answer to a query is lost, but a later frame of the peer acknowledges everything: the query is
// no longer pending, so the link goes on instead of waiting for an answer that never comes.
TEST(LinkScheduler, LostAnswerDoesNotStall) {
    Engine e;
    e.Queue(1);
    ASSERT_EQ(e.Pass(0), Tx::Data);
    ASSERT_EQ(e.Pass(801), Tx::Query);
    e.link.OnFrame(Data(0, 0, 0)); // acknowledges frame 0
    e.Queue(2);
    ASSERT_EQ(e.Pass(802), Tx::Data);
    EXPECT_EQ(e.SentTag(), 2);
}

TEST(LinkScheduler, ResetRestoresTheOpenState) {
    Engine e;
    e.Queue(1);
    e.Pass(0);
    e.link.OnFrame(Data(0, 0, 0));
    e.link.Reset();
    EXPECT_EQ(e.link.RxLast.load(), 7);
    EXPECT_EQ(e.link.RxConsumed.load(), 7);
    EXPECT_EQ(e.link.TxNext, 0);
    EXPECT_EQ(e.link.TxWrite.load(), 0);
    EXPECT_EQ(e.link.PeerAck.load(), 7);
    EXPECT_FALSE(e.link.HasRxPacket());
    EXPECT_EQ(e.Pass(0), Tx::None) << "nothing to acknowledge at open";
}

} // namespace
