#include "DspTestRig.h"

#include "chartlib/Chartlib.h"
#include "link/Dspio9.h"
#include "platform/Clock.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <span>

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Connected {
    FirmwareFolder firmware;
    SimRig rig;
    TDspIo9 link{nullptr, &rig.Port};
    explicit Connected(SimConfig config = SimConfig()) : rig(std::move(config)) {
        link.HexFileName = firmware.Path();
        EXPECT_EQ(link.Connect(0, false), 0);
    }
};

Bytes Words(std::initializer_list<int> words) {
    Bytes out;
    for (int w : words) {
        out.push_back(std::uint8_t(w));
        out.push_back(std::uint8_t(w >> 8));
    }
    return out;
}

TEST(Dspio9, EndToEndThroughTheSimulatedInstrument) {
    Connected c;
    int idents = 0, powers = 0, blocks = 0;
    std::vector<std::int16_t> image;
    std::uint32_t lastNadc = 0;
    c.link.OnIdent = [&](TDspIo9 *sender, std::uint16_t, std::uint16_t, const char *, const std::int16_t *eprom) {
        EXPECT_EQ(sender, &c.link);
        image.assign(eprom, eprom + 1024);
        ++idents;
    };
    c.link.OnPowerSts = [&](TDspIo9 *, std::int32_t acc, std::int32_t norm, std::uint32_t) {
        EXPECT_EQ(acc, 4);
        EXPECT_EQ(norm, 1);
        ++powers;
    };
    c.link.OnAdcArray = [&](TDspIo9 *, const std::int16_t *samples, std::uint32_t nadc, std::uint32_t) {
        lastNadc = nadc;
        EXPECT_NE(samples[0] | samples[1] | samples[2], 0);
        ++blocks;
    };
    ASSERT_TRUE(WaitUntil([&] { return idents == 1 && powers >= 1; }));
    Bytes bytes(2048);
    std::memcpy(bytes.data(), image.data(), 2048);
    EXPECT_TRUE(CheckEepromCrc(std::span<const std::uint8_t, 2048>(bytes.data(), 2048)))
        << "the image arrives whole, its check sum intact";
    const Bytes size = Words({1024, 0, 0, 0});
    ASSERT_TRUE(c.link.SendPacket(size.data(), std::uint32_t(size.size()), 5));
    ASSERT_TRUE(WaitUntil([&] { return blocks >= 3; }));
    EXPECT_EQ(lastNadc, 1024u);
    c.link.Disconnect();
    EXPECT_FALSE(c.link.ChannelsOpen);
    bool saidGoodbye = false;
    c.rig.Instrument->WithApplication([&](SimDspApplication &program) { saidGoodbye = program.ShutDown(); });
    EXPECT_TRUE(saidGoodbye) << "packet 13 reached the instrument";
}

TEST(Dspio9, SilenceWatchBoundaries) {
    VirtualClock clock(1000);
    TDspIo9 link;
    // Unopened, the watch counts from tick 0.
    clock.Advance(4500 - 1000);
    EXPECT_FALSE(link.DspTimeoutDue());
    clock.Advance(1);
    EXPECT_TRUE(link.DspTimeoutDue());
    clock.Advance(4500);
    EXPECT_FALSE(link.DspTimeoutDue()) << "counted again from the report";
    clock.Advance(1);
    EXPECT_TRUE(link.DspTimeoutDue());
    clock.Advance(30000 - 9002);
    EXPECT_FALSE(link.SilenceExpired());
    clock.Advance(1);
    EXPECT_TRUE(link.SilenceExpired());
}

// The DSP program hangs: its time-outs and the silence disconnect come from the packet thread as events,
// on a clock that only the test moves.
TEST(Dspio9, SilenceGivesTimeOutsThenTheDisconnect) {
    StillClock clock(5000);
    FirmwareFolder firmware;
    SimRig rig;
    TDspIo9 link{nullptr, &rig.Port};
    EventLog log{link};
    link.HexFileName = firmware.Path();
    ASSERT_EQ(link.Connect(0, false), 0);
    rig.Instrument->WithApplication([](SimDspApplication &program) { program.SetSilent(true); });
    const std::uint32_t opened = GetTickCount();
    // Moves the clock to `ms` after the open and lets the packet thread look at it.
    const auto at = [&](std::uint32_t ms) {
        clock.Advance(opened + ms - GetTickCount());
        EXPECT_TRUE(clock.Settle(2));
        QCoreApplication::processEvents();
        return log.Take();
    };
    using Lines = std::vector<std::string>;
    EXPECT_EQ(at(4500), Lines{});
    EXPECT_EQ(at(4501), Lines{"timeout"});
    EXPECT_EQ(at(9001), Lines{});
    EXPECT_EQ(at(9002), Lines{"timeout"}) << "repeated every further 4501 ms";

    // A packet restarts both watches.
    ASSERT_TRUE(rig.Instrument->SendPacket(200, {1, 0}));
    ASSERT_TRUE(WaitUntil([&] { return !log.lines.empty(); }));
    EXPECT_EQ(log.Take(), Lines{"cadr 200 1"});
    EXPECT_EQ(at(9002 + 4500), Lines{});
    EXPECT_EQ(at(9002 + 4501), Lines{"timeout"});
    EXPECT_EQ(at(9002 + 30000), Lines{"timeout"});
    EXPECT_TRUE(link.IsRunning());

    clock.Advance(1);
    ASSERT_TRUE(WaitUntil([&] { return !log.lines.empty(); }));
    EXPECT_EQ(log.Take(), Lines{"disc 2 0"});
    EXPECT_FALSE(link.IsRunning());
    EXPECT_FALSE(link.ChannelsOpen);
}

} // namespace
