#include "DspTestRig.h"

#include "link/FirmwareDownload.h"
#include "link/Sio9.h"
#include "platform/Clock.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>

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

// Moves the packets each way that fit now; the number moved.
struct Streams {
    TestLink &link;
    SimInstrument &instrument;
    std::uint32_t count;
    std::uint32_t sentOut = 0, sentIn = 0, gotOut = 0, gotIn = 0;

    bool Done() const { return gotOut >= count && gotIn >= count; }

    std::uint32_t Step() {
        const std::uint32_t before = sentOut + sentIn + gotOut + gotIn;
        for (Bytes p; sentOut < count; ++sentOut) {
            p = StreamPacket(sentOut);
            if (!link.QueuePacket(p.data(), std::uint32_t(p.size()), std::uint32_t(StreamType(sentOut))))
                break;
        }
        while (sentIn < count && instrument.SendPacket(StreamType(sentIn), StreamPacket(sentIn)))
            ++sentIn;
        while (std::optional<SimPacket> p = instrument.TakePacket()) {
            EXPECT_EQ(p->type, StreamType(gotOut));
            EXPECT_EQ(p->payload, StreamPacket(gotOut)) << "to the instrument, packet " << gotOut;
            ++gotOut;
        }
        std::uint8_t buffer[LinkMaxPayload];
        while (int type = link.NextPacketType()) {
            const std::uint32_t length = link.TakePacket(buffer);
            if (type < StreamType(0)) // the instrument's own power packets
                continue;
            EXPECT_EQ(type, StreamType(gotIn));
            EXPECT_EQ(Bytes(buffer, buffer + length), StreamPacket(gotIn)) << "from the instrument, packet " << gotIn;
            ++gotIn;
        }
        return sentOut + sentIn + gotOut + gotIn - before;
    }
};

// Runs both streams of `count` packets at once and checks that each arrives whole, once and in order.
// Time stands still while packets move: the clock goes on by 100 ms only when neither end has anything
// left to do, so a query comes exactly when a loss needs one, however slowly the machine runs. The test
// fails when nothing moved for `stallSeconds` of real time.
void Exchange(TestLink &link, StillClock &clock, SimInstrument &instrument, std::uint32_t count,
              double stallSeconds = 60) {
    Streams streams{link, instrument, count};
    auto lastMove = std::chrono::steady_clock::now();
    while (!streams.Done() && !::testing::Test::HasFailure()) {
        if (streams.Step() != 0) {
            lastMove = std::chrono::steady_clock::now();
            continue;
        }
        ASSERT_TRUE(clock.Settle(1)) << "the link thread stopped";
        if (streams.Step() != 0) {
            lastMove = std::chrono::steady_clock::now();
            continue;
        }
        clock.Advance(100);
        ASSERT_LT(std::chrono::steady_clock::now() - lastMove, std::chrono::duration<double>(stallSeconds))
            << "sent " << streams.sentOut << "/" << streams.sentIn << ", received " << streams.gotOut << "/"
            << streams.gotIn;
    }
    EXPECT_EQ(streams.gotOut, count);
    EXPECT_EQ(streams.gotIn, count);
}

// On a clean line nothing times out: no query either way, no reject, and every frame of the instrument
// starts with one start byte that we counted.
TEST(Sio9Link, CleanExchangeAndItsCounters) {
    StillClock clock;
    SimRig rig(Quiet());
    TestLink link(nullptr, &rig.Port);
    ASSERT_EQ(link.OpenQuiet(*rig.Instrument), 0);
    const std::uint32_t opened = GetTickCount();
    Exchange(link, clock, *rig.Instrument, 2000);
    ASSERT_TRUE(clock.Settle(1));
    EXPECT_EQ(GetTickCount(), opened) << "the exchange never waited for a timer";
    EXPECT_TRUE(link.HasTxSlot());
    EXPECT_TRUE(link.CtsHigh());
    const SimLinkCounters peer = rig.Instrument->LinkCounters();
    EXPECT_EQ(link.RecvErrCnt(), 0u);
    EXPECT_EQ(link.SendErrCnt(), 0u);
    EXPECT_EQ(link.ComRdErrCnt(), 0u);
    EXPECT_EQ(link.ComWrErrCnt(), 0u);
    EXPECT_EQ(link.RecvReqCnt(), 0u);
    EXPECT_EQ(link.SendReqCnt(), 0u);
    EXPECT_EQ(peer.queriesSent + peer.queriesReceived + peer.rejectsSent + peer.rejectsReceived, 0u);
    EXPECT_EQ(link.RecvSobCnt(), peer.dataFramesSent + peer.acksSent + peer.answersSent + peer.rejectsSent)
        << "one start byte per frame of the instrument";
    EXPECT_EQ(peer.dataFramesSent, 2000u) << "nothing was sent twice";
    EXPECT_EQ(peer.badFrames, 0u);
    EXPECT_EQ(peer.ringOverruns, 0u);
    link.Close();
}

TEST(Sio9Link, RecoversFromSeededByteFaults) {
    StillClock clock;
    SimConfig config;
    config.toInstrument = {0.0005, 0.0005, 0};
    config.toHost = {0.0005, 0.0005, 0};
    config.seed = 7;
    config.readChunk = 50;
    SimRig rig(Quiet(config));
    TestLink link(nullptr, &rig.Port);
    ASSERT_EQ(link.OpenQuiet(*rig.Instrument), 0);
    Exchange(link, clock, *rig.Instrument, 10000);
    ASSERT_TRUE(clock.Settle(1));
    const SimLinkCounters peer = rig.Instrument->LinkCounters();
    link.Close();
    // Damage on the way in costs rejects from us; on the way out rejects from the instrument. Lost last
    // frames are found by queries, each of them answered.
    EXPECT_GT(link.RecvErrCnt(), 0u);
    EXPECT_GE(link.RecvErrCnt(), peer.rejectsReceived);
    EXPECT_GT(link.SendErrCnt(), 0u);
    EXPECT_LE(link.SendErrCnt(), peer.rejectsSent);
    EXPECT_GT(link.SendReqCnt(), 0u);
    EXPECT_LE(peer.queriesReceived, link.SendReqCnt());
    EXPECT_GT(peer.queriesSent, 0u);
    EXPECT_LE(link.RecvReqCnt(), peer.queriesSent);
    EXPECT_EQ(peer.ringOverruns, 0u);
}

TEST(Sio9Link, DroppedAcknowledgementRecoveredByTheQuery) {
    StillClock clock;
    SimRig rig(Quiet());
    TestLink link(nullptr, &rig.Port);
    ASSERT_EQ(link.OpenQuiet(*rig.Instrument), 0);
    int acksDropped = 0;
    rig.Port.DropFromInstrument([&](const SimFrame &f) { return f.control && f.kind == SimAck && acksDropped++ == 0; });
    const std::uint8_t payload[] = {1, 2, 3};
    ASSERT_EQ(link.QueuePacket(payload, 3, 121), 3u);
    ASSERT_TRUE(clock.Settle(1));
    ASSERT_EQ(acksDropped, 1);
    clock.Advance(800);
    ASSERT_TRUE(clock.Settle(1));
    EXPECT_EQ(link.SendReqCnt(), 0u) << "no query at 800 ms";
    clock.Advance(1);
    ASSERT_TRUE(clock.Settle(1));
    EXPECT_EQ(link.SendReqCnt(), 1u) << "the query after 800 ms";
    EXPECT_EQ(rig.Instrument->LinkCounters().answersSent, 1u);
    ASSERT_EQ(link.QueuePacket(payload, 3, 122), 3u);
    ASSERT_TRUE(clock.Settle(1));
    ASSERT_EQ(rig.Instrument->LinkCounters().framesAccepted, 2u);
    EXPECT_EQ(rig.Instrument->TakePacket()->type, 121);
    EXPECT_EQ(rig.Instrument->TakePacket()->type, 122);
    EXPECT_EQ(link.SendReqCnt(), 1u);
    EXPECT_EQ(link.SendErrCnt(), 0u);
    EXPECT_EQ(rig.Instrument->LinkCounters().dataFramesSent, 0u);
}

// Acknowledgements and answers are lost until the instrument's own data frame acknowledges everything.
TEST(Sio9Link, LostAnswerDoesNotStall) {
    StillClock clock;
    SimRig rig(Quiet());
    TestLink link(nullptr, &rig.Port);
    ASSERT_EQ(link.OpenQuiet(*rig.Instrument), 0);
    std::atomic<bool> lose{true};
    rig.Port.DropFromInstrument(
        [&](const SimFrame &f) { return lose && f.control && (f.kind == SimAck || f.kind == SimAnswer); });
    const std::uint8_t payload[] = {9};
    ASSERT_EQ(link.QueuePacket(payload, 1, 121), 1u);
    ASSERT_TRUE(clock.Settle(1));
    clock.Advance(801);
    ASSERT_TRUE(clock.Settle(1));
    ASSERT_EQ(link.SendReqCnt(), 1u);
    ASSERT_EQ(rig.Instrument->LinkCounters().answersSent, 1u);
    ASSERT_TRUE(rig.Instrument->SendPacket(140, {1}));
    ASSERT_TRUE(clock.Settle(1));
    std::uint8_t buffer[LinkMaxPayload];
    ASSERT_EQ(link.NextPacketType(), 140);
    EXPECT_EQ(link.TakePacket(buffer), 1u);
    lose = false;
    ASSERT_EQ(link.QueuePacket(payload, 1, 122), 1u);
    ASSERT_TRUE(clock.Settle(1));
    EXPECT_EQ(rig.Instrument->LinkCounters().framesAccepted, 2u) << "sent at once, with no time passing";
    EXPECT_EQ(link.SendReqCnt(), 1u) << "not after another query";
}

// Room in a full ring is announced only in frame headers. When the acknowledge that brings that news is
// lost, nothing is unacknowledged at either end; the side that waits for room, or the side that gave it,
// asks with the 800 ms query, and its answer or the query itself carries the news again.
TEST(Sio9Link, LostNewsOfRingRoomIsAskedForAfter800ms) {
    const auto freedRoom = [](const SimFrame &f) { return f.control && f.kind == SimAck && f.consumed != 7; };
    std::uint8_t buffer[LinkMaxPayload];
    {
        SCOPED_TRACE("our packet waits for room in the instrument's ring");
        StillClock clock;
        SimRig rig(ScriptedInstrument());
        TestLink link(nullptr, &rig.Port);
        ASSERT_EQ(link.OpenQuiet(*rig.Instrument), 0);
        const std::uint8_t payload[] = {5};
        for (std::uint32_t type = 200; type < 207; ++type)
            ASSERT_EQ(link.QueuePacket(payload, 1, type), 1u);
        ASSERT_TRUE(clock.Settle(1));
        ASSERT_EQ(rig.Instrument->LinkCounters().framesAccepted, 7u) << "the instrument's ring is full";
        ASSERT_EQ(link.QueuePacket(payload, 1, 207), 1u);
        ASSERT_TRUE(clock.Settle(1));
        ASSERT_EQ(rig.Instrument->LinkCounters().framesAccepted, 7u);
        std::atomic<bool> lose{true};
        rig.Port.DropFromInstrument([&](const SimFrame &f) { return lose && freedRoom(f); });
        for (int type = 200; type < 207; ++type) {
            ASSERT_EQ(rig.Instrument->TakePacket()->type, type);
            ASSERT_TRUE(clock.Settle(1));
        }
        lose = false;
        clock.Advance(800);
        ASSERT_TRUE(clock.Settle(1));
        EXPECT_EQ(rig.Instrument->LinkCounters().framesAccepted, 7u);
        EXPECT_EQ(link.SendReqCnt(), 0u);
        clock.Advance(1);
        ASSERT_TRUE(clock.Settle(1));
        EXPECT_EQ(link.SendReqCnt(), 1u);
        ASSERT_EQ(rig.Instrument->LinkCounters().framesAccepted, 8u);
        EXPECT_EQ(rig.Instrument->TakePacket()->type, 207);
        EXPECT_EQ(link.SendErrCnt() + link.RecvErrCnt(), 0u);
    }
    {
        SCOPED_TRACE("the instrument's packet waits for room in our ring");
        StillClock clock;
        SimRig rig(ScriptedInstrument());
        TestLink link(nullptr, &rig.Port);
        ASSERT_EQ(link.OpenQuiet(*rig.Instrument), 0);
        for (int type = 140; type < 147; ++type)
            ASSERT_TRUE(rig.Instrument->SendPacket(type, {std::uint8_t(type)}));
        ASSERT_TRUE(clock.Settle(1));
        ASSERT_TRUE(rig.Instrument->SendPacket(147, {147}));
        ASSERT_TRUE(clock.Settle(1));
        ASSERT_EQ(rig.Instrument->LinkCounters().dataFramesSent, 7u) << "our ring is full";
        std::atomic<bool> lose{true};
        rig.Port.DropToInstrument([&](const SimFrame &f) { return lose && freedRoom(f); });
        for (int type = 140; type < 147; ++type) {
            ASSERT_EQ(link.NextPacketType(), type);
            EXPECT_EQ(link.TakePacket(buffer), 1u);
            ASSERT_TRUE(clock.Settle(1));
        }
        lose = false;
        clock.Advance(800);
        ASSERT_TRUE(clock.Settle(1));
        EXPECT_EQ(link.NextPacketType(), 0);
        EXPECT_EQ(link.SendReqCnt(), 0u);
        clock.Advance(1);
        ASSERT_TRUE(clock.Settle(1));
        EXPECT_EQ(link.SendReqCnt(), 1u);
        EXPECT_EQ(link.NextPacketType(), 147);
        const SimLinkCounters peer = rig.Instrument->LinkCounters();
        EXPECT_EQ(peer.queriesReceived, 1u);
        EXPECT_EQ(peer.queriesSent, 0u) << "the instrument had nothing unacknowledged to ask about";
        EXPECT_EQ(peer.dataFramesSent, 8u);
    }
}

// While no transmit slot frees, posted work (the windows' painting goes the same way) is served; the
// link's own messages wait until the wait is over.
TEST(Sio9Link, WaitForATransmitSlotServesTheWindows) {
    StillClock clock;
    SimRig rig(ScriptedInstrument());
    TestLink link(nullptr, &rig.Port);
    ASSERT_EQ(link.OpenQuiet(*rig.Instrument), 0);
    rig.Port.DropFromInstrument([](const SimFrame &) { return true; }); // nothing is acknowledged
    const std::uint8_t payload[] = {5};
    for (std::uint32_t type = 200; type < 207; ++type)
        ASSERT_EQ(link.QueuePacket(payload, 1, type), 1u);
    bool waiting = false;
    std::vector<bool> served;
    QMetaObject::invokeMethod(
        &link, [&] { served.push_back(waiting); }, Qt::QueuedConnection);
    ASSERT_TRUE(PostLinkMessage(&link, WmDspTimeout, 0, 0));
    waiting = true;
    EXPECT_FALSE(link.WaitTxSlot());
    waiting = false;
    EXPECT_EQ(served, std::vector<bool>{true});
    EXPECT_TRUE(link.Messages.empty()) << "held during the wait";
    ASSERT_TRUE(WaitUntil([&] { return !link.Messages.empty(); }));
    EXPECT_EQ(link.Messages[0].msg, std::uint32_t(WmDspTimeout));
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
    StillClock clock;
    const QString previous = QDir::currentPath();
    QTemporaryDir folder;
    QDir::setCurrent(folder.path());
    {
        SimRig rig(Quiet());
        TestLink link(nullptr, &rig.Port);
        ASSERT_EQ(link.OpenQuiet(*rig.Instrument, true), 0);
        Exchange(link, clock, *rig.Instrument, 200);
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
