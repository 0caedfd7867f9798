#include "SrvioTestRig.h"

#include "link/LinkFrameCodec.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

using Bytes = std::vector<std::uint8_t>;

// Opened file service with every event recorded.
struct Client {
    explicit Client(SerialPort *port = nullptr) : srv(nullptr, port) {
        srv.OnIdent = [this](TSrvIo *, std::int32_t v) { ident = v; };
        srv.OnDisconnect = [this](TSrvIo *, std::int16_t err, std::int16_t v) {
            disconnects.push_back({err, v});
        };
        srv.OnRdProgress = [this](TSrvIo *, std::uint32_t, std::uint32_t i) { progress.push_back(i); };
        srv.OnWrProgress = srv.OnRdProgress;
        const auto end = [this](TSrvIo *, std::uint32_t n, std::uint32_t i, std::int32_t win, std::int32_t arm) {
            transfer = {n, i};
            winError = win;
            result = arm;
            done = true;
        };
        srv.OnRdFile = end;
        srv.OnWrFile = end;
        const auto res = [this](TSrvIo *, std::int32_t arm) {
            result = arm;
            done = true;
        };
        for (auto *event : {&srv.OnCheckFile, &srv.OnDeleteFile, &srv.OnRestoreFile, &srv.OnRename, &srv.OnCreateDir,
                            &srv.OnRemoveDir, &srv.OnRestoreDir, &srv.OnFindEnd})
            *event = res;
        srv.OnFind = [this](TSrvIo *, const QByteArray &name, std::int32_t attr, std::int32_t, std::int32_t size) {
            found.push_back(name + (attr & FindAttrDirectory ? "/" : "") + ":" + QByteArray::number(size));
        };
    }
    bool Wait() {
        const bool ok = PumpUntil([this] { return done; });
        done = false;
        return ok;
    }

    TSrvIo srv;
    std::int32_t ident = 0;
    std::vector<std::pair<int, int>> disconnects;
    std::vector<std::uint32_t> progress;
    std::pair<std::uint32_t, std::uint32_t> transfer;
    std::int32_t winError = -1;
    std::int32_t result = -1;
    std::vector<QByteArray> found;
    bool done = false;
};

QByteArray Pattern(int size) {
    QByteArray data(size, 0);
    for (int i = 0; i < size; ++i)
        data[i] = char(i % 5 == 0 ? 0x16 : (i % 7 == 0 ? 0x10 : i * 13));
    return data;
}

TEST(SrvioGreeting, StatusByAnswer) {
    const struct {
        Bytes reply;
        int status;
    } cases[] = {
        {{'3', 0x89}, 0}, {{'3', 0x88}, SrvGreetUnknown}, {{'3', 0x10}, SrvGreetWrongAnswer},
        {{'3'}, SrvGreetWrongAnswer}, {{'2'}, SrvGreetBadVersion}, {{'1'}, SrvGreetBadVersion},
        {{'4'}, SrvGreetBadVersion}, {{'x'}, SrvGreetWrongAnswer}, {{}, SrvGreetNoAnswer},
    };
    for (const auto &c : cases) {
        SimFileServer::Options options;
        options.greetingReply = c.reply;
        ServerRig rig(options);
        ASSERT_TRUE(rig.server.IsOpen());
        TSrvIo srv;
        EXPECT_EQ(srv.Open(ServerRig::Port, false), c.status) << int(c.reply.empty() ? 0 : c.reply[0]);
        EXPECT_EQ(srv.Connected(), c.status == 0);
        srv.Close();
    }
}

TEST(SrvioGreeting, MissingPortAndModemLines) {
    SetComPortDevice(ServerRig::Port, "/nonexistent/tty");
    TSrvIo missing;
    EXPECT_EQ(missing.Open(ServerRig::Port, false), SioNoPort);
    SetComPortDevice(ServerRig::Port, QString());

    ServerRig rig;
    LinePort port;
    TSrvIo srv(nullptr, &port);
    port.Lines = {false, true};
    EXPECT_EQ(srv.Open(ServerRig::Port, false), SioNoDsr);
    port.Lines = {false, false};
    EXPECT_EQ(srv.Open(ServerRig::Port, false), SioNoDsr);
    port.Lines = {true, false};
    EXPECT_EQ(srv.Open(ServerRig::Port, false), SioNoCts);
    port.Lines = {true, true};
    EXPECT_EQ(srv.Open(ServerRig::Port, false), 0);
    srv.Close();
}

TEST(SrvioLink, FirstPacketOnTheWireIsTheGoldenFrame) {
    // A bare link on a terminal pair: what the program writes is read back raw from the other end.
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    SetComPortDevice(ServerRig::Port, QString::fromLocal8Bit(::ptsname(master)));
    {
        TSio sio;
        ASSERT_EQ(sio.Open(ServerRig::Port, false), 0);
        ASSERT_EQ(sio.SendPacket(nullptr, 0, 21), 0u);
        EXPECT_EQ(sio.SendPacket(nullptr, 0, 0), 0u);
        Bytes wire;
        PumpUntil([&] {
            std::uint8_t buffer[64];
            const ssize_t got = ::read(master, buffer, sizeof buffer);
            if (got > 0)
                wire.insert(wire.end(), buffer, buffer + got);
            return wire.size() >= 8;
        }, 3000);
        const Bytes golden{0x16, 0x47, 0x87, 0x95, 0x80, 0xD7, 0xA0, 0xD7};
        ASSERT_GE(wire.size(), 8u);
        EXPECT_EQ(Bytes(wire.begin(), wire.begin() + 8), golden);
        sio.Close();
    }
    SetComPortDevice(ServerRig::Port, QString());
    ::close(master);
}

TEST(SrvioLink, GoldenFramesOfTheSharedCodec) {
    std::uint8_t out[LinkMaxFrameBytes];
    std::size_t size = EncodeControlFrame(out, LinkAck, 7, 7);
    EXPECT_EQ(Bytes(out, out + size), (Bytes{0x16, 0x87, 0x87, 0xD6, 0xB0, 0xAB}));
    LinkSlot packet;
    packet.Type = 6;
    packet.Length = 1;
    packet.Payload[0] = 0x16;
    size = EncodeDataFrame(out, 0, 7, 7, packet);
    EXPECT_EQ(Bytes(out, out + size), (Bytes{0x16, 0x47, 0x87, 0x86, 0x81, 0x10, 0x36, 0xD4, 0x8E, 0x8F}));
}

TEST(SrvioLink, TraceFileOfTheLink) {
    ServerRig rig;
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(rig.dir.path()));
    {
        Client client;
        ASSERT_EQ(client.srv.Open(ServerRig::Port, true), 0);
        ASSERT_TRUE(client.srv.CheckFile("R9:\\x"));
        ASSERT_TRUE(client.Wait());
        client.srv.Close();
    }
    QDir::setCurrent(before);
    const QStringList traces = QDir(rig.dir.path()).entryList({"7_??????.txt"});
    ASSERT_EQ(traces.size(), 1);
    QFile trace(rig.dir.path() + "/" + traces[0]);
    ASSERT_TRUE(trace.open(QIODevice::ReadOnly));
    const QByteArray text = trace.readAll();
    // The first data frames each way carry sequence number 0.
    EXPECT_TRUE(text.startsWith("r0") || text.contains(" r0")) << text.constData();
    EXPECT_TRUE(text.startsWith("s0") || text.contains(" s0")) << text.constData();
    EXPECT_TRUE(text.endsWith("STOP\r\n"));
}

TEST(SrvioRequests, TextLengthsAndPieces) {
    ServerRig rig;
    Client client;
    ASSERT_EQ(client.srv.Open(ServerRig::Port, false), 0);
    ASSERT_TRUE(PumpUntil([&] { return client.ident == 822; }));
    EXPECT_FALSE(client.srv.CheckFile(QString()));
    EXPECT_FALSE(client.srv.CheckFile("R9:\\" + QString(1020, 'a')));
    const QString longest = "R9:\\" + QString(1019, 'a');
    ASSERT_EQ(longest.size(), 1023);
    ASSERT_TRUE(client.srv.CheckFile(longest));
    EXPECT_FALSE(client.srv.CheckFile("R9:\\x")) << "a second request while busy";
    ASSERT_TRUE(client.Wait());
    EXPECT_EQ(client.result, 106);
    const auto log = rig.server.PacketLog();
    const std::vector<std::pair<int, int>> pieces{{7, 256}, {7, 256}, {7, 256}, {7, 256}};
    EXPECT_EQ(log, pieces);
    client.srv.Close();
    EXPECT_TRUE(rig.server.GoodbyeSeen());
}

TEST(SrvioRequests, LongRenameWaitsForRoomBeforeItsSecondText) {
    ServerRig rig;
    QFile(rig.Disk("a")).open(QIODevice::WriteOnly);
    Client client;
    ASSERT_EQ(client.srv.Open(ServerRig::Port, false), 0);
    const QString from = "R9:\\a" + QString(1000, '\\');
    const QString to = "R9:\\b" + QString(1000, '\\');
    ASSERT_TRUE(client.srv.Rename(from, to));
    ASSERT_TRUE(client.Wait());
    EXPECT_EQ(client.result, 0);
    EXPECT_TRUE(QFile::exists(rig.Disk("b")));
    std::vector<int> types;
    for (const auto &entry : rig.server.PacketLog())
        types.push_back(entry.first);
    EXPECT_EQ(types, (std::vector<int>{10, 10, 10, 10, 11, 11, 11, 11}));
    client.srv.Close();
}

TEST(SrvioTransfer, ReadsInBlocksOf1024) {
    ServerRig rig;
    const QByteArray data = Pattern(2500);
    QFile file(rig.Disk("f.bin"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(data);
    file.close();
    Client client;
    ASSERT_EQ(client.srv.Open(ServerRig::Port, false), 0);
    const QByteArray local = rig.Local("copy.bin").toLocal8Bit();
    const int fd = ::open(local.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_TRUE(client.srv.RdFile("R9:\\f.bin", fd));
    ASSERT_TRUE(client.Wait());
    ::close(fd);
    EXPECT_EQ(client.transfer, (std::pair<std::uint32_t, std::uint32_t>{2500, 2500}));
    EXPECT_EQ(client.winError, 0);
    EXPECT_EQ(client.result, 0);
    // The size reply first, then one report per full block.
    EXPECT_EQ(client.progress, (std::vector<std::uint32_t>{0, 1024, 2048}));
    QFile copy(rig.Local("copy.bin"));
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), data);
    client.srv.Close();
}

TEST(SrvioTransfer, LocalWriteFailureReportsItsOwnError) {
    ServerRig rig;
    // Long enough that the server's end reply cannot be on its way yet when the first block fails.
    QFile file(rig.Disk("f.bin"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(Pattern(40000));
    file.close();
    Client client;
    ASSERT_EQ(client.srv.Open(ServerRig::Port, false), 0);
    // A file open for reading only: every write to it fails.
    QFile(rig.Local("ro.bin")).open(QIODevice::WriteOnly);
    const int fd = ::open(rig.Local("ro.bin").toLocal8Bit().constData(), O_RDONLY);
    ASSERT_TRUE(client.srv.RdFile("R9:\\f.bin", fd));
    ASSERT_TRUE(client.Wait());
    ::close(fd);
    EXPECT_EQ(client.winError, TSrvIo::LocalErrorBit | EBADF);
    EXPECT_EQ(client.result, 101) << "the server confirms the cancel";
    EXPECT_EQ(rig.server.Cancels(), 1);
    client.srv.Close();
}

TEST(SrvioTransfer, WritesAndSurvivesAFaultyWire) {
    SimFileServer::Options options;
    // About one frame of 256 bytes in ten is damaged each way.
    options.toProgram.corrupt = 0.0002;
    options.toProgram.drop = 0.0002;
    options.toServer.corrupt = 0.0002;
    options.toServer.duplicate = 0.0002;
    options.seed = 5;
    ServerRig rig(options);
    Client client;
    ASSERT_EQ(client.srv.Open(ServerRig::Port, false), 0);
    const QByteArray data = Pattern(6000);
    QFile source(rig.Local("src.bin"));
    ASSERT_TRUE(source.open(QIODevice::WriteOnly));
    source.write(data);
    source.close();
    const int fd = ::open(rig.Local("src.bin").toLocal8Bit().constData(), O_RDONLY);
    ASSERT_TRUE(client.srv.WrFile("R9:\\dst.bin", fd, 0x20, 0));
    ASSERT_TRUE(client.Wait());
    ::close(fd);
    EXPECT_EQ(client.result, 0);
    EXPECT_EQ(client.transfer, (std::pair<std::uint32_t, std::uint32_t>{6000, 6000}));
    QFile written(rig.Disk("dst.bin"));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), data);

    const int back = ::open(rig.Local("back.bin").toLocal8Bit().constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_TRUE(client.srv.RdFile("R9:\\dst.bin", back));
    ASSERT_TRUE(client.Wait());
    ::close(back);
    QFile read(rig.Local("back.bin"));
    ASSERT_TRUE(read.open(QIODevice::ReadOnly));
    EXPECT_EQ(read.readAll(), data);
    EXPECT_GT(client.srv.RecvErrCnt() + client.srv.SendErrCnt() + client.srv.SendReqCnt(), 0u)
        << "the faults were seen and recovered";
    client.srv.Close();
}

TEST(SrvioEvents, FindDeliversEntriesInOrderAndEndsWith127) {
    ServerRig rig;
    QDir().mkpath(rig.Disk("sub"));
    for (const char *name : {"a.txt", "b.txt", "c.txt", "d.txt", "e.txt", "f.txt", "g.txt", "h.txt", "i.txt"})
        QFile(rig.Disk(QString("sub/") + name)).open(QIODevice::WriteOnly);
    Client client;
    // A slow handler: the later entries wait in the ring and still come in order.
    const auto find = client.srv.OnFind;
    client.srv.OnFind = [&](TSrvIo *s, const QByteArray &name, std::int32_t attr, std::int32_t dt, std::int32_t size) {
        Sleep(20);
        find(s, name, attr, dt, size);
    };
    ASSERT_EQ(client.srv.Open(ServerRig::Port, false), 0);
    ASSERT_TRUE(client.srv.Find("R9:\\sub\\*.*", 55));
    ASSERT_TRUE(client.Wait());
    EXPECT_EQ(client.result, 127);
    const std::vector<QByteArray> expected{"./:0", "../:0", "a.txt:0", "b.txt:0", "c.txt:0", "d.txt:0",
                                           "e.txt:0", "f.txt:0", "g.txt:0", "h.txt:0", "i.txt:0"};
    EXPECT_EQ(client.found, expected);
    client.srv.Close();
}

TEST(SrvioEvents, BreakAndFaultReport) {
    ServerRig rig;
    Client client;
    ASSERT_EQ(client.srv.Open(ServerRig::Port, false), 0);
    ASSERT_TRUE(PumpUntil([&] { return client.ident == 822; }));
    rig.server.SendPacket(511, {0xFE, 0xFF, 0x05, 0x00});
    ASSERT_TRUE(PumpUntil([&] { return !client.disconnects.empty(); }));
    EXPECT_EQ(client.disconnects[0], (std::pair<int, int>{-2, 5}));
    EXPECT_FALSE(client.srv.Connected());
    EXPECT_FALSE(client.srv.CheckFile("R9:\\x"));
}

TEST(SrvioEvents, CtsLossDisconnectsAndCloseNeedNotWaitForAbsentLines) {
    ServerRig rig;
    LinePort port;
    Client client(&port);
    ASSERT_EQ(client.srv.Open(ServerRig::Port, false), 0);
    port.Lines.Cts = false;
    ASSERT_TRUE(PumpUntil([&] { return !client.disconnects.empty(); }));
    EXPECT_EQ(client.disconnects[0], (std::pair<int, int>{1, 0}));

    Client plain;
    ASSERT_EQ(plain.srv.Open(ServerRig::Port, false), 0);
    const std::uint32_t start = GetTickCount();
    plain.srv.Close();
    EXPECT_LT(TicksSince(start), 1500u);
    EXPECT_TRUE(rig.server.GoodbyeSeen());
}

TEST(SrvioEvents, CloseWaitsAtMostThreeSecondsForCts) {
    ServerRig rig;
    LinePort port;
    Client client(&port);
    ASSERT_EQ(client.srv.Open(ServerRig::Port, false), 0);
    const std::uint32_t start = GetTickCount();
    client.srv.Close(); // CTS never drops
    const std::uint32_t took = TicksSince(start);
    EXPECT_GE(took, 2900u);
    EXPECT_LT(took, 4500u);
}

} // namespace
