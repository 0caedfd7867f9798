#include "sim/UsbPortSim.h"
#include "sim/SimFrameCodec.h"

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Rig {
    explicit Rig(SimConfig config = SimConfig())
        : instrument(std::make_shared<SimInstrument>(std::move(config), [this] { return now; })), port(instrument) {}

    void OpenBoth() {
        ASSERT_EQ(port.OpenByLocation(0x3011, a), UsbOk);
        ASSERT_EQ(port.OpenByLocation(0x3012, b), UsbOk);
        ASSERT_EQ(port.SetBitMode(a, 0, UsbBitModeMpsse), UsbOk);
    }
    void Write(UsbHandle h, const Bytes &bytes) {
        std::uint32_t written = 0;
        ASSERT_EQ(port.Write(h, bytes.data(), std::uint32_t(bytes.size()), written), UsbOk);
        ASSERT_EQ(written, bytes.size());
    }
    Bytes ReadAll(UsbHandle h) {
        std::uint32_t waiting = 0;
        EXPECT_EQ(port.GetQueueStatus(h, waiting), UsbOk);
        Bytes bytes(waiting);
        std::uint32_t read = 0;
        EXPECT_EQ(port.Read(h, bytes.data(), waiting, read), UsbOk);
        bytes.resize(read);
        return bytes;
    }
    std::uint8_t HighGpio() {
        Write(a, {0x83, 0x87});
        const Bytes reply = ReadAll(a);
        EXPECT_EQ(reply.size(), 1u);
        return reply.empty() ? 0 : reply[0];
    }
    std::uint32_t Modem() {
        std::uint32_t status = 0;
        EXPECT_EQ(port.GetModemStatus(b, status), UsbOk);
        return status & (UsbModemCts | UsbModemDsr);
    }
    void RaiseLinesAndPulse() {
        ASSERT_EQ(port.SetDtr(b), UsbOk);
        ASSERT_EQ(port.SetRts(b), UsbOk);
        Write(a, {0x80, 0x83, 0xFB, 0x82, 0x00, 0x07});
        Write(a, {0x80, 0x03, 0xFB});
    }
    void Download() {
        Bytes wire = {0x10, 0x55, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x01};          // preamble, bits reversed
        wire.insert(wire.end(), {0x00, 0x80, 0x00, 0x00, 0x00, 0x00, 0x48, 0x2C}); // one word: 0x12 0x34
        wire.insert(wire.end(), {0x00, 0x00});
        Write(b, wire);
    }

    std::uint32_t now = 0;
    std::shared_ptr<SimInstrument> instrument;
    UsbPortSim port;
    UsbHandle a = 0, b = 0;
};

} // namespace

TEST(UsbPortSim, DeviceListHoldsDecoysAndOnlyTheInstrumentOpens) {
    Rig rig;
    std::uint32_t count = 0;
    ASSERT_EQ(rig.port.CreateDeviceList(count), UsbOk);
    ASSERT_EQ(count, 6u);
    std::vector<UsbDeviceNode> nodes;
    ASSERT_EQ(rig.port.GetDeviceList(nodes), UsbOk);
    ASSERT_EQ(nodes.size(), 6u);
    EXPECT_EQ(nodes[2].description, "Trova R-9_307 0001 A");
    EXPECT_EQ(nodes[2].flags & UsbNodeOpened, UsbNodeOpened);
    EXPECT_EQ(nodes[4].description, "Trova R-9_307 0002 A");
    EXPECT_EQ(nodes[4].flags & UsbNodeOpened, 0u);

    const std::pair<std::uint32_t, int> opens[] = {
        {0x1011, UsbDeviceNotOpened},                                                // another converter
        {0x2011, UsbDeviceNotOpened},                                                // busy
        {0x7777, UsbDeviceNotFound},  {0x3011, UsbOk}, {0x3011, UsbDeviceNotOpened}, // already open
    };
    for (const auto &[location, status] : opens) {
        UsbHandle handle = 0;
        EXPECT_EQ(rig.port.OpenByLocation(location, handle), status) << std::hex << location;
        EXPECT_EQ(handle != 0, status == UsbOk);
        if (status == UsbOk)
            rig.a = handle;
    }
    ASSERT_EQ(rig.port.CreateDeviceList(count), UsbOk);
    ASSERT_EQ(rig.port.GetDeviceList(nodes), UsbOk);
    EXPECT_EQ(nodes[4].flags & UsbNodeOpened, UsbNodeOpened) << "our own open channel shows as opened";

    EXPECT_EQ(rig.port.Close(rig.a), UsbOk);
    std::uint32_t status = 0;
    EXPECT_EQ(rig.port.GetModemStatus(rig.a, status), UsbInvalidHandle);
    EXPECT_EQ(rig.port.Close(rig.a), UsbInvalidHandle);
    UsbHandle again = 0;
    EXPECT_EQ(rig.port.OpenByLocation(0x3011, again), UsbOk) << "a closed channel opens again";
}

TEST(UsbPortSim, BatteryBitAndHandshakeLinesFollowTheStartPulse) {
    struct Case {
        bool before, after, dsr, cts;
    };
    const Case cases[] = {{true, true, true, true},
                          {false, true, true, true},
                          {true, false, true, true},
                          {true, true, false, true},
                          {true, true, true, false}};
    for (const Case &c : cases) {
        SimConfig config;
        config.batteryBeforePulse = c.before;
        config.batteryAfterPulse = c.after;
        config.dsrRises = c.dsr;
        config.ctsRises = c.cts;
        Rig rig(config);
        rig.OpenBoth();
        EXPECT_EQ((rig.HighGpio() & 0x08) != 0, c.before);
        ASSERT_EQ(rig.port.SetDtr(rig.b), UsbOk);
        ASSERT_EQ(rig.port.SetRts(rig.b), UsbOk);
        EXPECT_EQ(rig.Modem(), 0u) << "the DSP is not running before the start pulse";
        rig.RaiseLinesAndPulse();
        EXPECT_EQ((rig.HighGpio() & 0x08) != 0, c.after);
        EXPECT_EQ(rig.instrument->DspState(), SimInstrument::Dsp::Boot);
        EXPECT_EQ(rig.Modem(), (c.dsr ? UsbModemDsr : 0) | (c.cts ? UsbModemCts : 0));
    }
}

TEST(UsbPortSim, LinesWithoutDtrRtsStayLowAndLoweringRtsStopsTheDsp) {
    Rig rig;
    rig.OpenBoth();
    rig.Write(rig.a, {0x80, 0x83, 0xFB, 0x80, 0x03, 0xFB});
    EXPECT_EQ(rig.Modem(), 0u);
    ASSERT_EQ(rig.port.SetDtr(rig.b), UsbOk);
    EXPECT_EQ(rig.Modem(), UsbModemDsr);
    ASSERT_EQ(rig.port.SetRts(rig.b), UsbOk);
    EXPECT_EQ(rig.Modem(), UsbModemDsr | UsbModemCts);
    rig.instrument->DropCts();
    EXPECT_EQ(rig.Modem(), UsbModemDsr);
    ASSERT_EQ(rig.port.ClrRts(rig.b), UsbOk);
    EXPECT_EQ(rig.instrument->DspState(), SimInstrument::Dsp::Off);
    EXPECT_EQ(rig.Modem(), 0u);
}

TEST(UsbPortSim, DownloadStartsTheLinkAndFramesTravelBothWays) {
    Rig rig;
    rig.OpenBoth();
    rig.RaiseLinesAndPulse();
    rig.Download();
    EXPECT_EQ(rig.ReadAll(rig.b), (Bytes{'3', 0x89}));
    ASSERT_EQ(rig.instrument->DspState(), SimInstrument::Dsp::Running);
    const std::vector<SimLoadedRecord> records = rig.instrument->LoadedRecords();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].data, (Bytes{0x12, 0x34}));

    rig.Write(rig.b, {0x16, 0x47, 0x87, 0x95, 0x80, 0xD7, 0xA0, 0xD7}); // type 21, sequence 0
    const auto packet = rig.instrument->TakePacket();
    ASSERT_TRUE(packet.has_value());
    EXPECT_EQ(packet->type, 21);
    EXPECT_TRUE(packet->payload.empty());

    ASSERT_TRUE(rig.instrument->SendPacket(7, {1, 0x16, 3}));
    SimFrameDecoder decoder;
    std::vector<SimFrame> frames;
    for (std::uint8_t byte : rig.ReadAll(rig.b))
        if (decoder.Feed(byte) == SimFrameDecoder::Result::Frame)
            frames.push_back(decoder.Frame());
    ASSERT_FALSE(frames.empty());
    const SimFrame &last = frames.back();
    EXPECT_FALSE(last.control);
    EXPECT_EQ(last.type, 7);
    EXPECT_EQ(last.payload, (Bytes{1, 0x16, 3}));
    EXPECT_EQ(last.rxLast, 0) << "the frame acknowledges the program's first packet";
    EXPECT_EQ(last.consumed, 0);
}

TEST(UsbPortSim, FailedBootRepliesLeaveTheDspInItsLoader) {
    SimConfig config;
    config.bootReply = {'3', 0x88};
    Rig rig(config);
    rig.OpenBoth();
    rig.RaiseLinesAndPulse();
    rig.Download();
    EXPECT_EQ(rig.ReadAll(rig.b), (Bytes{'3', 0x88}));
    EXPECT_EQ(rig.instrument->DspState(), SimInstrument::Dsp::Boot);
    EXPECT_FALSE(rig.instrument->SendPacket(7, {}));
}

TEST(UsbPortSim, ChunkedReadsAndConfiguredFailures) {
    SimConfig config;
    config.readChunk = 5;
    config.failing = {SimCall::SetBaudRate, SimCall::ReadA};
    Rig rig(config);
    rig.OpenBoth();
    rig.RaiseLinesAndPulse();
    rig.Download();
    rig.Write(rig.b, {0x16, 0x47, 0x87, 0x95, 0x80, 0xD7, 0xA0, 0xD7});
    ASSERT_TRUE(rig.instrument->SendPacket(7, Bytes(40, 0x55)));
    std::uint32_t waiting = 0;
    ASSERT_EQ(rig.port.GetQueueStatus(rig.b, waiting), UsbOk);
    EXPECT_EQ(waiting, 5u);
    std::uint8_t buffer[64];
    std::uint32_t read = 0;
    ASSERT_EQ(rig.port.Read(rig.b, buffer, sizeof buffer, read), UsbOk);
    EXPECT_EQ(read, 5u);

    EXPECT_EQ(rig.port.SetBaudRate(rig.b, 921600), UsbIoError);
    EXPECT_EQ(rig.port.Read(rig.a, buffer, 1, read), UsbIoError);
    EXPECT_EQ(read, 0u);
    EXPECT_EQ(rig.port.SetLatencyTimer(rig.b, 2), UsbOk);
    EXPECT_EQ(rig.instrument->ChannelSettings(1).latencyMs, 2);
}

TEST(UsbPortSim, MpsseCommandsSplitAcrossWritesAndUnknownOnes) {
    Rig rig;
    rig.OpenBoth();
    rig.Write(rig.a, {0x82, 0x05});
    EXPECT_TRUE(rig.ReadAll(rig.a).empty());
    rig.Write(rig.a, {0x07, 0x83});
    EXPECT_EQ(rig.ReadAll(rig.a), (Bytes{0x05 | 0x08}));
    rig.Write(rig.a, {0xAB, 0x20, 0x01, 0x00, 0x22, 0x07});
    EXPECT_EQ(rig.ReadAll(rig.a), (Bytes{0xFA, 0xAB, 0xFF, 0xFF, 0xFF}));
    const Bytes written = rig.instrument->ChannelAWritten();
    EXPECT_EQ(written.size(), 10u);
}
