#include "DspTestRig.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <numeric>
#include <thread>

// Named, so that the helpers keep apart from those of the other test files of a unity batch.
namespace dspio9_message_out {

using Bytes = std::vector<std::uint8_t>;
using Lines = std::vector<std::string>;

Bytes Le16(std::initializer_list<int> words) {
    Bytes out;
    for (int w : words) {
        out.push_back(std::uint8_t(w));
        out.push_back(std::uint8_t(w >> 8));
    }
    return out;
}

// The packet layer over the scripted instrument: the program's packets wait in the instrument's link until
// the test takes them (its ring holds a few; a full ring holds the program back), and the instrument's
// answers are scripted.
struct MessageOutRig {
    FirmwareFolder firmware;
    SimRig rig{ScriptedInstrument()};
    SteppedDspIo9 link{nullptr, &rig.Port};
    Lines events;
    void Open() {
        ASSERT_EQ(link.OpenStepped(firmware.Path()), 0);
        link.OnMesOutProgress = [this](TDspIo9 *, std::uint32_t n, std::uint32_t i) {
            events.push_back("progress " + std::to_string(n) + " " + std::to_string(i));
        };
        link.OnMesOutFin = [this](TDspIo9 *, std::int16_t err, std::int16_t v) {
            events.push_back("end " + std::to_string(err) + " " + std::to_string(v));
        };
    }
    // The packets the instrument has taken, once `count` arrived (and whatever came with them).
    std::vector<SimPacket> Taken(std::size_t count) {
        std::vector<SimPacket> packets;
        WaitUntil([&] {
            while (std::optional<SimPacket> p = rig.Instrument->TakePacket())
                packets.push_back(std::move(*p));
            return packets.size() >= count;
        });
        return packets;
    }
    Lines Play(const std::vector<ScriptPacket> &script) {
        EXPECT_TRUE(link.Run(*rig.Instrument, script));
        link.Deliver();
        Lines taken;
        taken.swap(events);
        return taken;
    }
    // Takes the instrument's packets on a thread of its own from `after` ms of real time on, until stopped.
    struct Drain {
        Drain(MessageOutRig &rig, int afterMs)
            : thread([&rig, afterMs, this] {
                  std::this_thread::sleep_for(std::chrono::milliseconds(afterMs));
                  while (!stop.load()) {
                      if (std::optional<SimPacket> p = rig.rig.Instrument->TakePacket()) {
                          std::lock_guard lock(mutex);
                          packets.push_back(std::move(*p));
                      } else {
                          std::this_thread::sleep_for(std::chrono::microseconds(100));
                      }
                  }
              }) {}
        ~Drain() { Stop(); }
        std::vector<SimPacket> Stop() {
            stop.store(true);
            if (thread.joinable())
                thread.join();
            return packets;
        }
        std::atomic<bool> stop{false};
        std::mutex mutex;
        std::vector<SimPacket> packets;
        std::thread thread;
    };
};

// On the real clock: the instrument's link takes packets as fast as a thread of the test drains them.
struct MessageOutRealTime : ::testing::Test, MessageOutRig {
    void SetUp() override { Open(); }
};

// On the virtual clock, so that the bounded waits cost no real time.
struct MessageOut : MessageOutRealTime {
    StillClock clock;
};

TEST_F(MessageOutRealTime, AHeaderAndBodyPacketsOfAtMost256BytesThenNothingElse) {
    std::vector<std::int16_t> body(TDspIo9::MesOutMaxWords + 1);
    std::iota(body.begin(), body.end(), std::int16_t(-300));
    EXPECT_EQ(link.MesOut(true, 0x45, 1, 2, 3, 4, 5, 6, 7, body.data(), TDspIo9::MesOutMaxWords + 1), 0u);
    EXPECT_EQ(link.MesOut(false, 0x45, 1, 2, 3, 4, 5, 6, 7, body.data(), 0), 0u);
    EXPECT_EQ(link.MesOut(false, 0x45, 1, 2, 3, 4, 5, 6, 7, nullptr, 3), 0u);
    EXPECT_FALSE(link.MsgOutBusy()) << "a refused message holds nothing back";

    Drain drain(*this, 0);
    EXPECT_EQ(link.MesOut(true, 0x45, -1, 2, 3, 4, 5, 6, -7, body.data(), TDspIo9::MesOutMaxWords), 16000u);
    EXPECT_TRUE(link.MsgOutBusy());
    WaitUntil([&] {
        std::lock_guard lock(drain.mutex);
        return drain.packets.size() >= 126;
    });
    const std::vector<SimPacket> packets = drain.Stop();
    ASSERT_EQ(packets.size(), 126u) << "one header and 125 body packets";
    EXPECT_EQ(packets[0].type, 10);
    EXPECT_EQ(packets[0].payload, Le16({16010, 0x0045, 1, -1, 2, 3, 4, 5, 6, -7}));
    Bytes sent;
    for (std::size_t i = 1; i < packets.size(); ++i) {
        EXPECT_EQ(packets[i].type, 11);
        EXPECT_EQ(packets[i].payload.size(), 256u);
        sent.insert(sent.end(), packets[i].payload.begin(), packets[i].payload.end());
    }
    const auto *bytes = reinterpret_cast<const std::uint8_t *>(body.data());
    EXPECT_EQ(sent, Bytes(bytes, bytes + 2 * TDspIo9::MesOutMaxWords));

    const std::uint8_t word[2] = {1, 0};
    EXPECT_FALSE(link.SendPacket(word, 2, 9)) << "nothing else goes out meanwhile";
    EXPECT_EQ(link.MesOut(false, 1, 0, 0, 0, 0, 0, 0, 0, body.data(), 1), 0u);
    EXPECT_EQ(Play({{12, Le16({16010, 0x0000, 8000})}}), Lines{"progress 16010 8000"});
    EXPECT_EQ(Play({{11, Le16({0, 0x0045, 1})}}), Lines{"end 69 1"});
    EXPECT_FALSE(link.MsgOutBusy());
    EXPECT_TRUE(link.SendPacket(word, 2, 9));
}

// After an abort the instrument's late reports of the old message carry the old counter: they raise no
// event. The next message goes out with the next counter and its reports are delivered.
TEST_F(MessageOut, AbortedMessageRaisesNoLateEvents) {
    const std::int16_t body[3] = {11, 22, 33};
    EXPECT_TRUE(link.MesOutAbort()) << "nothing outgoing";
    EXPECT_EQ(link.MesOut(false, 5, 0, 0, 0, 0, 0, 0, 0, body, 3), 3u);
    EXPECT_TRUE(link.MesOutAbort());
    EXPECT_FALSE(link.MsgOutBusy());
    std::vector<SimPacket> packets = Taken(3);
    ASSERT_EQ(packets.size(), 3u) << "header, body and the abort; the first abort sent nothing";
    EXPECT_EQ(packets[2].type, 8);
    EXPECT_TRUE(packets[2].payload.empty());

    EXPECT_EQ(Play({{12, Le16({13, 0x0000, 6})}, {11, Le16({0, 0x0005, 1})}}), Lines{});

    EXPECT_EQ(link.MesOut(false, 5, 0, 0, 0, 0, 0, 0, 0, body, 3), 3u);
    packets = Taken(2);
    ASSERT_EQ(packets.size(), 2u);
    EXPECT_EQ(packets[0].payload[3], 1) << "the next counter";
    EXPECT_EQ(Play({{12, Le16({13, 0x0100, 20})}}), Lines{"progress 13 13"}) << "progress is limited to the total";
    EXPECT_EQ(Play({{12, Le16({13, 0x0100, 6})}, {11, Le16({0, 0x0105, 0})}}), Lines{"end 5 0"})
        << "the end overtakes a progress report still waiting";
}

// A body packet that finds no transmit slot within 5000 ms ends the message: the instrument is told to
// drop the header it holds as soon as the link moves again. On the real clock: the instrument's ring fills
// and nobody takes its packets for the first 5.5 s.
TEST_F(MessageOutRealTime, ABodyPacketThatCannotGoOutAbortsTheMessage) {
    Drain drain(*this, 5500);
    std::vector<std::int16_t> body(TDspIo9::MesOutMaxWords, 7);
    EXPECT_EQ(link.MesOut(false, 9, 0, 0, 0, 0, 0, 0, 0, body.data(), TDspIo9::MesOutMaxWords), 0u);
    EXPECT_FALSE(link.MsgOutBusy());
    WaitUntil([&] {
        std::lock_guard lock(drain.mutex);
        return !drain.packets.empty() && drain.packets.back().type == 8;
    });
    const std::vector<SimPacket> packets = drain.Stop();
    ASSERT_GE(packets.size(), 3u);
    EXPECT_EQ(packets.front().type, 10);
    EXPECT_EQ(packets.back().type, 8) << "the abort follows the body packets that went out";
    for (std::size_t i = 1; i + 1 < packets.size(); ++i)
        EXPECT_EQ(packets[i].type, 11);
}

} // namespace dspio9_message_out
