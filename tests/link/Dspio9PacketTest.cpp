#include "DspTestRig.h"

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Lines = std::vector<std::string>;

void Put(Bytes &out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(std::uint8_t(value >> (8 * i)));
}

Bytes LeWords(std::initializer_list<int> words) {
    Bytes out;
    for (int w : words)
        Put(out, std::uint32_t(w), 2);
    return out;
}

// A meter record {Tcomm, SGNcomm, NSEcomm, SNRcomm, FRQcomm, OVRcomm} built from n.
Bytes MeterRecord(int n) {
    Bytes out;
    Put(out, std::uint32_t(1000 + n), 4);
    Put(out, std::uint32_t(-100 * n), 4);
    Put(out, std::uint32_t(200 * n), 4);
    Put(out, std::uint32_t(300 * n), 4);
    Put(out, std::uint32_t(40 + n), 2);
    Put(out, std::uint32_t(-n), 2);
    return out;
}
std::string MeterLine(int flg, int n) {
    return "met " + std::to_string(flg) + " " + std::to_string(-100 * n) + " " + std::to_string(200 * n) + " " +
           std::to_string(300 * n) + " " + std::to_string(40 + n) + " " + std::to_string(-n) + " " +
           std::to_string(1000 + n);
}

ScriptPacket Header(std::uint32_t tadc, int nadc, int flg, int announced, const Bytes &records) {
    Bytes out;
    Put(out, tadc, 4);
    Put(out, std::uint32_t(nadc), 2);
    Put(out, std::uint32_t(flg), 2);
    Put(out, std::uint32_t(announced), 2);
    Put(out, 0, 2);
    out.insert(out.end(), records.begin(), records.end());
    return {4, out};
}

// Samples first, first + 1, ... in packets of at most 128.
std::vector<ScriptPacket> Samples(int first, int count) {
    std::vector<ScriptPacket> packets;
    for (int at = 0; at < count; at += 128) {
        Bytes payload;
        for (int i = at; i < std::min(count, at + 128); ++i)
            Put(payload, std::uint32_t(first + i), 2);
        packets.push_back({5, payload});
    }
    return packets;
}

// A frame of `nadc` samples from `first` with one meter record n.
std::vector<ScriptPacket> Frame(std::uint32_t tadc, int n, int nadc, int first) {
    std::vector<ScriptPacket> packets{Header(tadc, nadc, 0, 1, MeterRecord(n))};
    for (ScriptPacket &p : Samples(first, nadc))
        packets.push_back(p);
    return packets;
}
std::string AdcLine(std::uint32_t tadc, int nadc, int first) {
    return "adc " + std::to_string(nadc) + " " + std::to_string(tadc) + ": " + std::to_string(first) + " " +
           std::to_string(first + nadc - 1);
}

// A message {total, counter and id, 8 words} followed by `body`, cut into packets 8 and 9 at `cuts`
// (word positions).
std::vector<ScriptPacket> Message(int id, const std::vector<int> &body, std::vector<std::size_t> cuts = {}) {
    std::vector<int> words{int(body.size()) + 10, 0x0700 | id, 1, 2, 3, 4, 5, 6, 7, 8};
    words.insert(words.end(), body.begin(), body.end());
    cuts.push_back(words.size());
    std::vector<ScriptPacket> packets;
    std::size_t from = 0;
    for (std::size_t cut : cuts) {
        Bytes payload;
        for (std::size_t i = from; i < cut; ++i)
            Put(payload, std::uint32_t(words[i]), 2);
        packets.push_back({packets.empty() ? 8 : 9, payload});
        from = cut;
    }
    return packets;
}

std::vector<ScriptPacket> Join(std::initializer_list<std::vector<ScriptPacket>> parts) {
    std::vector<ScriptPacket> all;
    for (const auto &part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

struct Stepped : ::testing::Test {
    StillClock clock;
    FirmwareFolder firmware;
    SimRig rig{ScriptedInstrument()};
    SteppedDspIo9 link{nullptr, &rig.Port};
    EventLog log{link};
    void SetUp() override { ASSERT_EQ(link.OpenStepped(firmware.Path()), 0); }
    // Runs the script, hands everything to the main thread and returns the events raised.
    Lines Play(const std::vector<ScriptPacket> &script) {
        EXPECT_TRUE(link.Run(*rig.Instrument, script));
        link.Deliver();
        return log.Take();
    }
};

TEST_F(Stepped, MessageKeepsItsWordsWhenAFrameArrivesInTheMiddle) {
    const std::vector<ScriptPacket> message = Message(5, {11, 22, 33, 44}, {12});
    EXPECT_EQ(Play({message[0]}), Lines{"inp-progress 14 12"});
    EXPECT_EQ(Play(Join({Frame(77, 1, 4, 500), {message[1]}})), Lines{"inp 5 4: 11 22 33 44"})
        << "the frame is dropped and does not disturb the message's word count";
    EXPECT_EQ(Play(Frame(78, 2, 4, 600)), (Lines{MeterLine(0, 2), AdcLine(78, 4, 600)})) << "frames flow again";
}

TEST_F(Stepped, MessagesCutAndDropped) {
    std::vector<int> longest(16001);
    for (std::size_t i = 0; i < longest.size(); ++i)
        longest[i] = int(i % 1000);
    std::vector<std::size_t> cuts;
    for (std::size_t at = 128; at < longest.size() + 10; at += 128)
        cuts.push_back(at);
    std::vector<ScriptPacket> tooLong = Message(3, longest, cuts);
    tooLong[0].payload[0] = 0xFF; // the length word says 65535
    tooLong[0].payload[1] = 0xFF;
    ASSERT_TRUE(link.Run(*rig.Instrument, tooLong, 60));
    link.Deliver();
    const Lines lines = log.Take();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().substr(0, 11), "inp 3 16000") << "cut at the buffer's end";
    EXPECT_NE(lines.back().find(": 0 1 2 "), std::string::npos);

    // A length word below the header's size describes no message; the hold on frames ends with it.
    std::vector<ScriptPacket> shortMessage = Message(4, {9});
    shortMessage[0].payload[0] = 5;
    EXPECT_EQ(Play(Join({shortMessage, Frame(90, 1, 2, 7)})), (Lines{MeterLine(0, 1), AdcLine(90, 2, 7)}));
}

// The words of a message beyond the buffer are passed over up to the message's announced end: read as a
// message of their own they would raise a false one.
TEST_F(Stepped, RestOfAnOverLongMessageIsSkipped) {
    const std::vector<int> body(16190, 12); // every word of the rest would read as a 12-word message
    std::vector<std::size_t> cuts;
    for (std::size_t at = 128; at < body.size() + 10; at += 128)
        cuts.push_back(at);
    ASSERT_TRUE(link.Run(*rig.Instrument, Message(3, body, cuts), 60));
    link.Deliver();
    const Lines lines = log.Take();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().substr(0, 11), "inp 3 16000") << "cut at the buffer's end, and nothing after it";
    EXPECT_EQ(Play(Message(4, {7, 8})), Lines{"inp 4 2: 7 8"}) << "the next message starts afresh";
}

// A break while a finished message waits for the main thread holds frames back beyond the message.
TEST_F(Stepped, HoldSetAfterAFinishedMessageOutlivesIt) {
    ASSERT_TRUE(link.Run(*rig.Instrument, Join({Message(6, {1}), {{ScriptBreak, {}}}})));
    link.Deliver();
    EXPECT_EQ(log.Take(), Lines{"inp 6 1: 1"});
    EXPECT_EQ(Play(Frame(10, 1, 2, 0)), Lines{}) << "the break still holds frames back";
    EXPECT_EQ(Play({{10, LeWords({5, 0, 2})}}), Lines{"inp-err 5 2"});
    EXPECT_EQ(Play(Frame(11, 2, 2, 0)), (Lines{MeterLine(0, 2), AdcLine(11, 2, 0)}));
}

TEST_F(Stepped, FrameHeaderBounds) {
    // 40000 samples announced: the entry holds 32768, the rest is dropped and the next frame is whole.
    std::vector<ScriptPacket> big{Header(5, 40000, 0, 0, {})};
    for (ScriptPacket &p : Samples(0, 40000))
        big.push_back(p);
    ASSERT_TRUE(link.Run(*rig.Instrument, big, 120));
    link.Deliver();
    EXPECT_EQ(log.Take(), Lines{AdcLine(5, 32768, 0)});
    EXPECT_EQ(Play(Frame(6, 3, 130, 9)), (Lines{MeterLine(0, 3), AdcLine(6, 130, 9)}));

    struct Case {
        const char *name;
        int flg;
        int announced;
        int present;
        std::size_t extraBytes;
        std::size_t expected;
    };
    const Case cases[] = {
        {"more announced than present", 0, 12, 2, 0, 2},
        {"a record cut short is not one", 0, 3, 2, 19, 2},
        {"negative count", 0, -1, 2, 0, 0},
        {"full header, entry holds 252 bytes", 0, 13, 12, 4, 12},
        {"selective records", 135, 5, 2, 0, 2},
        {"selective records beyond the entry", 135, 11, 10, 4, 10},
    };
    for (const Case &c : cases) {
        Bytes records;
        for (int r = 0; r < c.present; ++r) {
            const Bytes one = MeterRecord(r);
            records.insert(records.end(), one.begin(), one.end());
            if (c.flg == 135)
                Put(records, std::uint32_t(r), 4); // selective records are 24 bytes
        }
        records.resize(records.size() + c.extraBytes, 0x55);
        records.resize(std::min<std::size_t>(records.size(), 244), 0x55);
        const Lines lines = Play({Header(1, 0, c.flg, c.announced, records)});
        EXPECT_EQ(lines.size(), c.expected) << c.name;
        if (c.flg == 0 && !lines.empty()) {
            EXPECT_EQ(lines.back(), MeterLine(0, int(c.expected) - 1)) << c.name;
        }
    }
    // A header too short for the sample count: no samples expected, and those that follow are dropped.
    EXPECT_EQ(Play(Join({{{4, {1, 0, 0, 0}}}, Samples(0, 4), Frame(8, 5, 3, 20)})),
              (Lines{MeterLine(0, 5), AdcLine(8, 3, 20)}));
}

TEST_F(Stepped, ThreeFramesWaitingAndTheFullRing) {
    ASSERT_TRUE(link.Run(*rig.Instrument, Join({Frame(1, 1, 4, 100), Frame(2, 2, 4, 200), Frame(3, 3, 4, 300)})));
    // A fourth frame finds the ring full: its header stays in the link until an entry is taken.
    ASSERT_TRUE(rig.Instrument->SendPacket(4, Header(4, 4, 0, 1, MeterRecord(4)).payload));
    EXPECT_EQ(link.StepUntilBusy(), SteppedDspIo9::PacketStep::Held);
    EXPECT_EQ(link.Step(), SteppedDspIo9::PacketStep::Held);
    link.DeliverOne();
    EXPECT_EQ(log.Take(), Lines{MeterLine(0, 1)}) << "the first frame's records without its samples";
    EXPECT_EQ(link.Step(), SteppedDspIo9::PacketStep::Handled);
    EXPECT_EQ(Play(Samples(400, 4)), (Lines{MeterLine(0, 2), MeterLine(0, 3), MeterLine(0, 4), AdcLine(4, 4, 400)}))
        << "only the newest frame's samples";
}

TEST_F(Stepped, RingFlush) {
    // Frames waiting when a break arrives are dropped up to a selective run's end, which stays.
    ASSERT_TRUE(link.Run(*rig.Instrument, Join({Frame(1, 1, 2, 0), {{14, {}}}, Frame(2, 2, 2, 0)})));
    ASSERT_TRUE(link.Run(*rig.Instrument, {{ScriptBreak, {}}}));
    link.Deliver();
    EXPECT_EQ(log.Take(), Lines{"sst-stop"});
    EXPECT_EQ(Play({{13, LeWords({-3})}}), Lines{"spk -3"});
}

// After block size 0, frames are dropped until the instrument's acknowledgement has been passed.
TEST_F(Stepped, FramesAfterBlockSizeZeroWaitForItsAcknowledgement) {
    ASSERT_TRUE(link.Run(*rig.Instrument, Frame(1, 1, 2, 0)));
    ASSERT_TRUE(link.SetAdcSize(0));
    ASSERT_TRUE(link.Run(*rig.Instrument, Join({Frame(2, 2, 2, 0), {{6, {}}}})));
    link.Deliver();
    EXPECT_EQ(log.Take(), Lines{}) << "the waiting frame is flushed, the new one dropped";
    ASSERT_TRUE(link.Run(*rig.Instrument, Frame(3, 3, 2, 0)));
    link.Deliver();
    EXPECT_EQ(log.Take(), (Lines{MeterLine(0, 3), AdcLine(3, 2, 0)}));
}

// A block size other than 0 holds nothing back; after a selective stop frames wait for the run's end.
TEST_F(Stepped, BlockSizeAndSelectiveStopFromTheirBuilders) {
    ASSERT_TRUE(link.SetAdcSize(1024));
    EXPECT_EQ(Play(Frame(1, 1, 2, 0)), (Lines{MeterLine(0, 1), AdcLine(1, 2, 0)}));
    ASSERT_TRUE(link.Run(*rig.Instrument, Frame(2, 2, 2, 0)));
    ASSERT_TRUE(link.SetSst(SstSetup(), nullptr, nullptr));
    EXPECT_EQ(Play(Join({Frame(3, 3, 2, 0), {{14, {}}}})), Lines{"sst-stop"});
    EXPECT_EQ(Play(Frame(4, 4, 2, 0)), (Lines{MeterLine(0, 4), AdcLine(4, 2, 0)}));
    // A run that starts (kind 1) holds nothing back.
    SstSetup run;
    run.p3 = 1;
    ASSERT_TRUE(link.SetSst(run, nullptr, nullptr));
    EXPECT_EQ(Play(Frame(5, 5, 2, 0)), (Lines{MeterLine(0, 5), AdcLine(5, 2, 0)}));
}

TEST_F(Stepped, DebugAndOtherPackets) {
    Bytes vector256;
    for (int i = 0; i < 128; ++i)
        Put(vector256, std::uint32_t(i * 3 - 100), 2);
    struct Case {
        ScriptPacket packet;
        std::string expected;
    };
    const Case cases[] = {
        {{1, LeWords({-2})}, "val -2"},
        {{1, {0xEF, 0xCD, 0xAB, 0x89}}, "u32 2309737967"},
        {{1, {0x01, 0x00, 0x00, 0x80, 0xFE, 0xFF}}, "i48 2147483649 -2"},
        {{1, {0x05, 0x00, 0x07}}, "vect 1: 5"},
        {{1, {}}, "vect 0:"},
        {{1, LeWords({1, -1, 3, 4})}, "vect 4: 1 -1 3 4"},
        {{200, {0x34, 0x12, 0x99}}, "cadr 200 4660"},
        {{15, {}}, "cadr 15 0"},
        {{510, {0x00, 0x80}}, "cadr 510 -32768"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Play({c.packet}), Lines{c.expected}) << c.expected;
    const Lines full = Play({{1, vector256}});
    ASSERT_EQ(full.size(), 1u);
    EXPECT_EQ(full[0].substr(0, 20), "vect 128: -100 -97 -");
    EXPECT_EQ(full[0].substr(full[0].size() - 8), " 278 281");

    // A second vector while the first waits for the main thread is dropped.
    ASSERT_TRUE(link.Run(*rig.Instrument, {{1, LeWords({1, 2, 3, 4})}, {1, LeWords({5, 6, 7, 8})}}));
    link.Deliver();
    EXPECT_EQ(log.Take(), Lines{"vect 4: 1 2 3 4"});

    // A data packet of the break's type is skipped without a trace.
    ASSERT_TRUE(rig.Instrument->SendPacket(127, LeWords({1})));
    EXPECT_EQ(Play({{300, LeWords({7})}}), Lines{"cadr 300 7"});
}

TEST_F(Stepped, BreakHoldsFramesUntilTheMessageEnds) {
    EXPECT_EQ(Play(Frame(1, 1, 2, 50)), (Lines{MeterLine(0, 1), AdcLine(1, 2, 50)}));
    EXPECT_EQ(Play(Join({{{ScriptBreak, {}}}, Frame(2, 2, 2, 0)})), Lines{});
    EXPECT_EQ(Play(Join({Message(9, {4, 5}), Frame(3, 3, 2, 60)})), Lines{"inp 9 2: 4 5"})
        << "a frame behind the message's end but before its hand-over is dropped";
    EXPECT_EQ(Play(Frame(4, 4, 2, 70)), (Lines{MeterLine(0, 4), AdcLine(4, 2, 70)}));
}

} // namespace
