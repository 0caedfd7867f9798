#include "LinkTestPorts.h"

#include "link/FirmwareDownload.h"
#include "link/Sio9.h"
#include "platform/Clock.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>
#include <thread>

namespace {

using Bytes = std::vector<std::uint8_t>;

// The bare link over the simulated instrument: downloads a small program so that the instrument's link
// runs, and keeps the messages its threads post.
class TestLink : public TSio9 {
public:
    using TSio9::TSio9;
    struct Message {
        std::uint32_t msg;
        std::uintptr_t wParam;
        std::intptr_t lParam;
    };
    std::vector<Message> Messages;

    int OpenQuiet(SimInstrument &, bool trace = false) { return Open(0, trace); }

protected:
    int LoadFirmware() override {
        const QByteArray text = FirmwareFolder::SmallProgram();
        return DownloadFirmware(*this, reinterpret_cast<const std::uint8_t *>(text.data()), std::size_t(text.size()));
    }
    void WndProc(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) override {
        Messages.push_back({msg, wParam, lParam});
    }
};

// Packet n of a stream: its number in the first two bytes, a length and filler that vary with n and
// include the start and escape bytes.
Bytes StreamPacket(std::uint32_t n) {
    Bytes payload(2 + (n * 37) % 60);
    payload[0] = std::uint8_t(n);
    payload[1] = std::uint8_t(n >> 8);
    for (std::size_t i = 2; i < payload.size(); ++i)
        payload[i] = std::uint8_t(n + i) % 5 == 0 ? 0x16 : std::uint8_t(n * 7 + i);
    if (n % 97 == 0)
        payload.resize(256, 0x10);
    return payload;
}
// Types the instrument's program gives no meaning to, so that it only carries them (127 stands for a
// break and is never delivered).
int StreamType(std::uint32_t n) {
    return 128 + int(n % 300);
}

// The instrument without a program of its own talking: no identification, no power packets.
SimConfig Quiet(SimConfig config = SimConfig()) {
    config.dsp.bootMs = 0x7FFFFFFF;
    return config;
}

// Runs both streams of `count` packets at once and checks that each arrives whole, once and in order.
void Exchange(TestLink &link, SimInstrument &instrument, std::uint32_t count, double seconds) {
    std::uint32_t sentOut = 0, sentIn = 0, gotOut = 0, gotIn = 0;
    std::uint8_t buffer[LinkMaxPayload];
    const bool done = WaitUntil(
        [&] {
            if (sentOut < count) {
                const Bytes p = StreamPacket(sentOut);
                if (link.QueuePacket(p.data(), std::uint32_t(p.size()), std::uint32_t(StreamType(sentOut))))
                    ++sentOut;
            }
            if (sentIn < count && instrument.SendPacket(StreamType(sentIn), StreamPacket(sentIn)))
                ++sentIn;
            while (std::optional<SimPacket> p = instrument.TakePacket()) {
                EXPECT_EQ(p->type, StreamType(gotOut));
                EXPECT_EQ(p->payload, StreamPacket(gotOut)) << "to the instrument, packet " << gotOut;
                ++gotOut;
            }
            while (int type = link.NextPacketType()) {
                const std::uint32_t length = link.TakePacket(buffer);
                if (type < StreamType(0)) // the instrument's own power packets
                    continue;
                EXPECT_EQ(type, StreamType(gotIn));
                EXPECT_EQ(Bytes(buffer, buffer + length), StreamPacket(gotIn))
                    << "from the instrument, packet " << gotIn;
                ++gotIn;
            }
            return (gotOut >= count && gotIn >= count) || ::testing::Test::HasFailure();
        },
        seconds);
    ASSERT_TRUE(done) << "sent " << sentOut << "/" << sentIn << ", received " << gotOut << "/" << gotIn;
    EXPECT_EQ(gotOut, count);
    EXPECT_EQ(gotIn, count);
}

TEST(Sio9Link, CleanExchangeAndItsCounters) {
    VirtualClock clock;
    SimRig rig(Quiet());
    TestLink link(nullptr, &rig.Port);
    ASSERT_EQ(link.OpenQuiet(*rig.Instrument), 0);
    Exchange(link, *rig.Instrument, 2000, 15);
    ASSERT_TRUE(WaitUntil([&] { return link.HasTxSlot() && link.CtsHigh(); }));
    const SimLinkCounters peer = rig.Instrument->LinkCounters();
    EXPECT_EQ(link.RecvErrCnt(), 0u);
    EXPECT_EQ(link.SendErrCnt(), 0u);
    EXPECT_EQ(link.ComRdErrCnt(), 0u);
    EXPECT_EQ(link.ComWrErrCnt(), 0u);
    EXPECT_EQ(link.RecvReqCnt(), peer.queriesSent);
    EXPECT_EQ(link.SendReqCnt(), peer.queriesReceived);
    link.Close();
    const SimLinkCounters last = rig.Instrument->LinkCounters();
    EXPECT_EQ(link.RecvSobCnt(),
              last.dataFramesSent + last.acksSent + last.answersSent + last.rejectsSent + last.queriesSent)
        << "one start byte per frame of the instrument";
    EXPECT_EQ(peer.badFrames, 0u);
    EXPECT_EQ(peer.ringOverruns, 0u);
}

TEST(Sio9Link, RecoversFromSeededByteFaults) {
    VirtualClock clock;
    SimConfig config;
    config.toInstrument = {0.0005, 0.0005, 0};
    config.toHost = {0.0005, 0.0005, 0};
    config.seed = 7;
    config.readChunk = 50;
    SimRig rig(Quiet(config));
    TestLink link(nullptr, &rig.Port);
    ASSERT_EQ(link.OpenQuiet(*rig.Instrument), 0);
    Exchange(link, *rig.Instrument, 10000, 40); // about 9 s alone; the limit only guards a hang
    const SimLinkCounters peer = rig.Instrument->LinkCounters();
    link.Close();
    // Damage on the way in costs rejects from us; on the way out rejects from the instrument.
    EXPECT_GT(link.RecvErrCnt(), 0u);
    EXPECT_GE(link.RecvErrCnt(), peer.rejectsReceived);
    EXPECT_GT(link.SendErrCnt(), 0u);
    EXPECT_LE(link.SendErrCnt(), peer.rejectsSent);
    EXPECT_LE(peer.queriesReceived, link.SendReqCnt());
    EXPECT_LE(link.RecvReqCnt(), peer.queriesSent);
    EXPECT_EQ(peer.ringOverruns, 0u);
}

TEST(Sio9Link, DroppedAcknowledgementRecoveredByTheQuery) {
    VirtualClock clock;
    SimRig rig(Quiet());
    TestLink link(nullptr, &rig.Port);
    ASSERT_EQ(link.OpenQuiet(*rig.Instrument), 0);
    int acksDropped = 0;
    rig.Port.DropFromInstrument([&](const SimFrame &f) { return f.control && f.kind == SimAck && acksDropped++ == 0; });
    const std::uint8_t payload[] = {1, 2, 3};
    const std::uint32_t start = GetTickCount();
    ASSERT_EQ(link.QueuePacket(payload, 3, 121), 3u);
    ASSERT_TRUE(WaitUntil([&] { return link.SendReqCnt() == 1 && rig.Instrument->LinkCounters().answersSent == 1; }));
    EXPECT_GT(GetTickCount() - start, 800u);
    ASSERT_TRUE(WaitUntil([&] { return link.QueuePacket(payload, 3, 122) == 3; }));
    ASSERT_TRUE(WaitUntil([&] { return rig.Instrument->LinkCounters().framesAccepted == 2; }));
    EXPECT_EQ(rig.Instrument->TakePacket()->type, 121);
    EXPECT_EQ(rig.Instrument->TakePacket()->type, 122);
    EXPECT_EQ(link.SendReqCnt(), 1u);
    EXPECT_EQ(link.SendErrCnt(), 0u);
}

// Acknowledgements and answers are lost until the instrument's own data frame acknowledges everything.
TEST(Sio9Link, LostAnswerDoesNotStall) {
    VirtualClock clock;
    SimRig rig(Quiet());
    TestLink link(nullptr, &rig.Port);
    ASSERT_EQ(link.OpenQuiet(*rig.Instrument), 0);
    std::atomic<bool> lose{true};
    rig.Port.DropFromInstrument(
        [&](const SimFrame &f) { return lose && f.control && (f.kind == SimAck || f.kind == SimAnswer); });
    const std::uint8_t payload[] = {9};
    ASSERT_EQ(link.QueuePacket(payload, 1, 121), 1u);
    ASSERT_TRUE(WaitUntil([&] { return rig.Instrument->LinkCounters().answersSent >= 1; }));
    ASSERT_TRUE(rig.Instrument->SendPacket(140, {1}));
    std::uint8_t buffer[LinkMaxPayload];
    ASSERT_TRUE(WaitUntil([&] {
        const int type = link.NextPacketType();
        link.TakePacket(buffer); // the instrument's power packets may come first
        return type == 140;
    }));
    ASSERT_TRUE(WaitUntil([&] { return link.HasTxSlot(); }));
    lose = false;
    const std::uint32_t queriesBefore = link.SendReqCnt();
    ASSERT_EQ(link.QueuePacket(payload, 1, 122), 1u);
    ASSERT_TRUE(WaitUntil([&] { return rig.Instrument->LinkCounters().framesAccepted == 2; }, 5));
    EXPECT_EQ(link.SendReqCnt(), queriesBefore) << "sent at once, not after another query";
}

TEST(Sio9Link, CtsDropEndsTheLink) {
    VirtualClock clock;
    SimRig rig(Quiet());
    TestLink link(nullptr, &rig.Port);
    ASSERT_EQ(link.OpenQuiet(*rig.Instrument), 0);
    EXPECT_TRUE(link.CtsHigh());
    rig.Instrument->DropCts();
    ASSERT_TRUE(WaitUntil([&] { return !link.Messages.empty(); }));
    EXPECT_EQ(link.Messages[0].msg, 0x8046u);
    EXPECT_EQ(link.Messages[0].wParam, 1u);
    EXPECT_EQ(link.Messages[0].lParam, 0);
    EXPECT_FALSE(link.IsRunning());
    EXPECT_FALSE(link.CtsHigh());
    EXPECT_EQ(link.QueuePacket("x", 1, 21), 0u) << "nothing is queued once the link stopped";
    EXPECT_FALSE(link.WaitTxSlot());
}

TEST(Sio9Link, FaultReportEndsTheLink) {
    struct Case {
        Bytes payload;
        std::uintptr_t wParam;
        std::intptr_t lParam;
    };
    const Case cases[] = {
        {{0x34, 0x12, 0xFE, 0xFF}, 0x1234, -2},
        {{0x05, 0x00}, 5, 0},
        {{0x05}, 0, 0},
        {{}, 0, 0},
    };
    for (const Case &c : cases) {
        VirtualClock clock;
        SimRig rig(Quiet());
        TestLink link(nullptr, &rig.Port);
        ASSERT_EQ(link.OpenQuiet(*rig.Instrument), 0);
        ASSERT_TRUE(rig.Instrument->SendPacket(511, c.payload));
        ASSERT_TRUE(WaitUntil([&] { return !link.Messages.empty(); }));
        EXPECT_EQ(link.Messages[0].msg, 0x8046u);
        EXPECT_EQ(std::int16_t(link.Messages[0].wParam), std::int16_t(c.wParam)) << c.payload.size();
        EXPECT_EQ(link.Messages[0].lParam, c.lParam) << c.payload.size();
        EXPECT_FALSE(link.IsRunning());
    }
}

TEST(Sio9Link, TraceFile) {
    VirtualClock clock;
    const QString previous = QDir::currentPath();
    QTemporaryDir folder;
    QDir::setCurrent(folder.path());
    {
        SimRig rig(Quiet());
        TestLink link(nullptr, &rig.Port);
        ASSERT_EQ(link.OpenQuiet(*rig.Instrument, true), 0);
        Exchange(link, *rig.Instrument, 200, 10);
        link.Close();
    }
    QDir::setCurrent(previous);
    const QStringList files = QDir(folder.path()).entryList({"0_*.txt"});
    ASSERT_EQ(files.size(), 1);
    EXPECT_TRUE(QRegularExpression("^0_\\d{6}\\.txt$").match(files[0]).hasMatch()) << files[0].toStdString();
    QFile file(folder.path() + '/' + files[0]);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.endsWith("STOP\r\n"));
    EXPECT_TRUE(QRegularExpression("(^| )s0[0-7]{2} ").match(QString::fromLatin1(text)).hasMatch())
        << "the first data frame, sequence 0";
    EXPECT_TRUE(text.contains("r077 ")) << "the first data frame received, before anything was consumed";
    const QList<QByteArray> lines = text.split('\n');
    EXPECT_GT(lines.size(), 10);
    for (const QByteArray &line : lines) {
        EXPECT_LE(line.size(), 77);
        EXPECT_TRUE(QRegularExpression("^((r|s|#)[0-7]{3}|(rA|rE|r=|r\\?|rB|sA|sE|s=|s\\?)[0-7]{2}|####| |STOP|\\r)*$")
                        .match(QString::fromLatin1(line))
                        .hasMatch())
            << line.toStdString();
    }
}

} // namespace
