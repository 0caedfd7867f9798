#include "sim/SimLinkPeer.h"
#include "sim/SimWire.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using Bytes = std::vector<std::uint8_t>;

// Two link ends in virtual time; what one end sends reaches the other through `deliver`, which may
// damage or lose it.
struct Pair {
    std::uint32_t now = 0;
    SimLinkPeer a{[this] { return now; }};
    SimLinkPeer b{[this] { return now; }};

    static Bytes Drain(SimLinkPeer &from) {
        Bytes wire;
        while (from.Transmit(wire)) {
        }
        return wire;
    }
    // One frame, or nothing when none is due.
    static Bytes One(SimLinkPeer &from) {
        Bytes wire;
        from.Transmit(wire);
        return wire;
    }
};

SimFrame Decode(const Bytes &wire) {
    SimFrameDecoder decoder;
    for (std::uint8_t byte : wire)
        if (decoder.Feed(byte) == SimFrameDecoder::Result::Frame)
            return decoder.Frame();
    ADD_FAILURE() << "no frame";
    return SimFrame();
}

} // namespace

TEST(SimLinkPeer, TenThousandPacketsEachWayArriveOnceAndInOrderOverALossyWire) {
    Pair link;
    SimWire ab(101), ba(202);
    const SimWireFaults faults{0.001, 0.001, 0.0005};
    ab.SetFaults(faults);
    ba.SetFaults(faults);

    constexpr int Count = 10000;
    std::mt19937 random(7);
    auto packet = [&](int index) {
        Bytes payload(std::size_t(random() % 257));
        for (std::uint8_t &byte : payload)
            byte = std::uint8_t(random() % 5 == 0 ? 0x16 : random());
        if (payload.size() >= 2) {
            payload[0] = std::uint8_t(index);
            payload[1] = std::uint8_t(index >> 8);
        }
        return SimPacket{1 + index % 511, payload};
    };
    std::vector<SimPacket> fromA, fromB;
    for (int i = 0; i < Count; ++i) {
        fromA.push_back(packet(i));
        fromB.push_back(packet(i));
    }

    std::size_t queuedA = 0, queuedB = 0, gotA = 0, gotB = 0;
    while (link.now < 5000000 && (gotA < Count || gotB < Count)) {
        while (queuedA < Count && link.a.Queue(fromA[queuedA].type, fromA[queuedA].payload))
            ++queuedA;
        while (queuedB < Count && link.b.Queue(fromB[queuedB].type, fromB[queuedB].payload))
            ++queuedB;
        Bytes wire = Pair::Drain(link.a), arrived;
        bool quiet = wire.empty();
        ab.Pass(wire.data(), wire.size(), arrived);
        link.b.Receive(arrived.data(), arrived.size());
        wire = Pair::Drain(link.b);
        quiet = quiet && wire.empty();
        // While both ends wait for the 800 ms query, time may pass in bigger steps.
        link.now += quiet ? 50 : 1;
        arrived.clear();
        ba.Pass(wire.data(), wire.size(), arrived);
        link.a.Receive(arrived.data(), arrived.size());
        while (auto p = link.b.Take()) {
            ASSERT_LT(gotB, std::size_t(Count));
            ASSERT_EQ(p->type, fromA[gotB].type) << gotB;
            ASSERT_EQ(p->payload, fromA[gotB].payload) << gotB;
            ++gotB;
        }
        while (auto p = link.a.Take()) {
            ASSERT_LT(gotA, std::size_t(Count));
            ASSERT_EQ(p->type, fromB[gotA].type) << gotA;
            ASSERT_EQ(p->payload, fromB[gotA].payload) << gotA;
            ++gotA;
        }
    }
    EXPECT_EQ(gotA, std::size_t(Count));
    EXPECT_EQ(gotB, std::size_t(Count));
    // The wire really was damaged both ways and the ends really recovered from it.
    EXPECT_GT(ab.Corrupted() + ab.Dropped(), 100u);
    EXPECT_GT(ba.Corrupted() + ba.Dropped(), 100u);
    EXPECT_GT(link.b.Counters().rejectsSent, 0u);
    EXPECT_GT(link.a.Counters().rejectsReceived, 0u);
    EXPECT_GT(link.a.Counters().queriesSent, 0u);
    EXPECT_EQ(link.a.Counters().ringOverruns + link.b.Counters().ringOverruns, 0u);
}

TEST(SimLinkPeer, ALostAcknowledgementIsMadeGoodByTheQueryAfter800Ms) {
    Pair link;
    ASSERT_TRUE(link.a.Queue(5, {1, 2}));
    Bytes wire = Pair::Drain(link.a);
    link.b.Receive(wire.data(), wire.size());
    ASSERT_TRUE(link.b.Take());
    const Bytes lostAck = Pair::Drain(link.b);
    ASSERT_EQ(Decode(lostAck).kind, SimAck);

    link.now = 800;
    EXPECT_TRUE(Pair::Drain(link.a).empty()) << "no query before 800 ms have passed";
    link.now = 801;
    wire = Pair::One(link.a);
    const SimFrame query = Decode(wire);
    EXPECT_TRUE(query.control);
    EXPECT_EQ(query.kind, SimQuery);
    link.b.Receive(wire.data(), wire.size());
    wire = Pair::Drain(link.b);
    EXPECT_EQ(Decode(wire).kind, SimAnswer);
    link.a.Receive(wire.data(), wire.size());

    EXPECT_TRUE(link.a.AllAcknowledged());
    link.now = 5000;
    EXPECT_TRUE(Pair::Drain(link.a).empty()) << "nothing to resend, nothing to ask";
    EXPECT_EQ(link.a.Counters().queriesSent, 1u);
    EXPECT_EQ(link.a.Counters().dataFramesSent, 1u);
    EXPECT_EQ(link.b.Counters().framesAccepted, 1u);
}

TEST(SimLinkPeer, ALostAnswerDoesNotStallOnceLaterFramesAcknowledgeEverything) {
    Pair link;
    ASSERT_TRUE(link.a.Queue(5, {1}));
    Bytes wire = Pair::Drain(link.a);
    link.b.Receive(wire.data(), wire.size());
    ASSERT_TRUE(link.b.Take());
    Pair::Drain(link.b); // acknowledgement lost

    link.now = 801;
    wire = Pair::Drain(link.a); // query
    link.b.Receive(wire.data(), wire.size());
    Pair::Drain(link.b); // answer lost

    // b's next data frame carries its last received number and so acknowledges everything.
    ASSERT_TRUE(link.b.Queue(9, {7}));
    wire = Pair::Drain(link.b);
    link.a.Receive(wire.data(), wire.size());
    ASSERT_TRUE(link.a.AllAcknowledged());

    ASSERT_TRUE(link.a.Queue(6, {2}));
    link.now = 802;
    wire = Pair::Drain(link.a);
    link.b.Receive(wire.data(), wire.size());
    const auto second = link.b.Take();
    ASSERT_TRUE(second.has_value()) << "the link waited for an answer that will never come";
    EXPECT_EQ(second->type, 6);
    EXPECT_EQ(link.a.Counters().queriesSent, 1u);
}

TEST(SimLinkPeer, ACorruptedFrameCostsOneRejectAndEverythingFromItIsSentAgain) {
    Pair link;
    for (int type = 1; type <= 3; ++type)
        ASSERT_TRUE(link.a.Queue(type, {std::uint8_t(type), 0x40}));
    Bytes wire = Pair::Drain(link.a);
    wire[5] ^= 0x02; // first frame's first payload byte
    link.b.Receive(wire.data(), wire.size());
    EXPECT_FALSE(link.b.Take());

    wire = Pair::Drain(link.b);
    const SimFrame reject = Decode(wire);
    EXPECT_EQ(reject.kind, SimReject);
    EXPECT_EQ(reject.rxLast, 7);
    EXPECT_EQ(link.b.Counters().rejectsSent, 1u) << "the out-of-sequence frames after it add no reject";
    EXPECT_EQ(link.b.Counters().framesOutOfSequence, 2u);

    link.a.Receive(wire.data(), wire.size());
    wire = Pair::Drain(link.a);
    link.b.Receive(wire.data(), wire.size());
    for (int type = 1; type <= 3; ++type) {
        const auto p = link.b.Take();
        ASSERT_TRUE(p.has_value());
        EXPECT_EQ(p->type, type);
    }
    EXPECT_FALSE(link.b.Take());
    EXPECT_EQ(link.a.Counters().rejectsReceived, 1u);
    EXPECT_EQ(link.a.Counters().dataFramesSent, 6u);
}

TEST(SimLinkPeer, SevenInFlightAndNeverIntoASlotTheOtherEndHasNotConsumed) {
    Pair link;
    for (int i = 0; i < 7; ++i)
        ASSERT_TRUE(link.a.Queue(1, {std::uint8_t(i)}));
    EXPECT_FALSE(link.a.CanQueue());
    EXPECT_FALSE(link.a.Queue(1, {}));
    EXPECT_FALSE(Pair().a.Queue(0, {})) << "type 0";
    EXPECT_FALSE(Pair().a.Queue(512, {})) << "type above 511";
    EXPECT_FALSE(Pair().a.Queue(1, Bytes(257))) << "more than 256 bytes";

    Bytes wire = Pair::Drain(link.a);
    link.b.Receive(wire.data(), wire.size());
    wire = Pair::Drain(link.b); // acknowledges all seven, consumed none
    link.a.Receive(wire.data(), wire.size());
    EXPECT_TRUE(link.a.AllAcknowledged());

    ASSERT_TRUE(link.a.Queue(1, {7}));
    EXPECT_TRUE(Pair::Drain(link.a).empty()) << "the other end's ring is full";

    ASSERT_TRUE(link.b.Take());
    wire = Pair::Drain(link.b);
    link.a.Receive(wire.data(), wire.size());
    wire = Pair::Drain(link.a);
    link.b.Receive(wire.data(), wire.size());
    EXPECT_EQ(link.b.Counters().framesAccepted, 8u);
    EXPECT_EQ(link.b.Counters().ringOverruns, 0u);
    int left = 0;
    while (link.b.Take())
        ++left;
    EXPECT_EQ(left, 7);
}
