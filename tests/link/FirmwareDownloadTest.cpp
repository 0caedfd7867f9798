#include "LinkTestPorts.h"

#include "link/Dspio9.h"
#include "platform/Clock.h"

#include <QFile>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint8_t Mirror(std::uint8_t b) {
    std::uint8_t r = 0;
    for (int i = 0; i < 8; ++i)
        r = std::uint8_t(r << 1 | ((b >> i) & 1));
    return r;
}

Bytes Mirrored(const Bytes &plain) {
    Bytes out;
    for (std::uint8_t b : plain)
        out.push_back(Mirror(b));
    return out;
}

// What the download wrote on channel B: the link thread, which starts right after it, may already have
// added frames of its own (each beginning with 0x16) by the time the test looks.
Bytes DownloadWritten(const Bytes &written, std::size_t downloadSize) {
    if (written.size() > downloadSize && written[downloadSize] == 0x16)
        return Bytes(written.begin(), written.begin() + std::ptrdiff_t(downloadSize));
    return written;
}

struct Download {
    VirtualClock clock;
    SimRig rig;
    FirmwareFolder folder;
    TDspIo9 link{nullptr, &rig.Port};
    explicit Download(SimConfig config = SimConfig()) : rig(std::move(config)) {}
    int Run(const QByteArray &text) {
        link.HexFileName = folder.Write("program.i00", text);
        return link.Connect(0, false);
    }
};

TEST(FirmwareDownload, ExactBytesOnTheWire) {
    Download d;
    // A segment record in this loader's form, two data records, the end.
    const QByteArray text = ":02123402B6\r\n"
                            ":0400100001021610D8\n"
                            ":02ABCD0080FF99\r\n"
                            ":00000001FF\r\n";
    ASSERT_EQ(d.Run(text), 0);
    const Bytes plain{0x08, 0xAA, 0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0x80, // preamble
                      0x00, 0x02, 0x12, 0x34, 0x00, 0x10, 0x01, 0x02, 0x16, 0x10, 0x00, 0x01, 0x12, 0x34,
                      0xAB, 0xCD, 0x80, 0xFF, 0x00, 0x00};
    EXPECT_EQ(DownloadWritten(d.rig.Port.WrittenB(), plain.size()), Mirrored(plain));
    const std::vector<SimLoadedRecord> records = d.rig.Instrument->LoadedRecords();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].segment, 0x1234);
    EXPECT_EQ(records[0].address, 0x0010);
    EXPECT_EQ(records[0].data, (Bytes{0x01, 0x02, 0x16, 0x10}));
    EXPECT_EQ(records[1].address, 0xABCD);
    EXPECT_EQ(d.rig.Instrument->DspState(), SimInstrument::Dsp::Running);
}

TEST(FirmwareDownload, OnlyAnEndRecord) {
    Download d;
    ASSERT_EQ(d.Run(":00000001FF\r\n"), 0);
    const Bytes plain{0x08, 0xAA, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80, 0, 0};
    EXPECT_EQ(DownloadWritten(d.rig.Port.WrittenB(), plain.size()), Mirrored(plain));
}

struct FileCase {
    const char *name;
    QByteArray text;
    int expected;
};

TEST(FirmwareDownload, FileStatusCodes) {
    const FileCase cases[] = {
        {"too small", ":00000001", 10},
        {"standard segment record", ":020000021000EC\r\n:00000001FF\r\n", 10},
        {"record without colon", "00000001FF\r\n:00000001FF\r\n", 10},
        {"non-hex digit", ":0400100001G21610D8\r\n:00000001FF\r\n", 10},
        {"data record with count 0", ":00001000F0\r\n:00000001FF\r\n", 10},
        {"unknown record type", ":00000003FD\r\n:00000001FF\r\n", 10},
        {"ends without an end record", ":0400100001021610D8\r\n\r\n\r\n", 10},
        {"data cut short", ":04001000010216", 10},
        {"wrong checksums are not checked", ":0400100001021610FF\r\n:0000000100\r\n", 0},
        {"lower-case digits", ":04001000ab021610d8\r\n:00000001ff\r\n", 0},
    };
    for (const FileCase &c : cases) {
        Download d;
        EXPECT_EQ(d.Run(c.text), c.expected) << c.name;
    }
    Download big;
    EXPECT_EQ(big.Run(QByteArray(263185, '\n')), 10) << "larger than the frame ring";
    Download largest;
    EXPECT_EQ(largest.Run(QByteArray(263184 - 13, '\n') + ":00000001FF\r\n"), 0) << "the largest file";
}

TEST(FirmwareDownload, NameStatusCodes) {
    Download none;
    none.link.HexFileName.clear();
    EXPECT_EQ(none.link.Connect(0, false), 8);
    Download missing;
    missing.link.HexFileName = missing.folder.dir.path() + "/nothing.i00";
    EXPECT_EQ(missing.link.Connect(0, false), 8);
    Download device;
    device.link.HexFileName = "/dev/null";
    EXPECT_EQ(device.link.Connect(0, false), 10) << "not a disk file";
    Download folder;
    folder.link.HexFileName = folder.folder.dir.path();
    EXPECT_EQ(folder.link.Connect(0, false), 10) << "a folder is not a disk file either";
    // Opening a pipe with nobody writing to it would wait for ever: it is refused before it is opened.
    Download pipe;
    pipe.link.HexFileName = pipe.folder.dir.path() + "/fifo.i00";
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe.link.HexFileName).constData(), 0600), 0);
    std::atomic<int> status{-1};
    std::thread opener([&] { status = pipe.link.Connect(0, false); });
    const auto start = std::chrono::steady_clock::now();
    while (status.load() < 0 && std::chrono::steady_clock::now() - start < std::chrono::seconds(5))
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const bool blocked = status.load() < 0;
    if (blocked) {
        // Free the blocked open so that the test can end.
        QFile writer(pipe.link.HexFileName);
        writer.open(QIODevice::WriteOnly);
    }
    opener.join();
    EXPECT_FALSE(blocked);
    EXPECT_EQ(status.load(), 10);
}

TEST(FirmwareDownload, BootLoaderReplies) {
    struct ReplyCase {
        Bytes reply;
        int expected;
    };
    const ReplyCase cases[] = {
        {{'3', 0x89}, 0},  {{'3', 0x88}, 13}, {{'1'}, 14},       {{'2'}, 14}, {{'4'}, 14},
        {{'3', 0x00}, 15}, {{'3'}, 15},       {{'7', 0x89}, 15}, {{}, 16},
    };
    for (const ReplyCase &c : cases) {
        SimConfig config;
        config.bootReply = c.reply;
        Download d(config);
        EXPECT_EQ(d.Run(FirmwareFolder::SmallProgram()), c.expected) << "reply of " << c.reply.size() << " bytes";
    }
    SimConfig failing;
    failing.failing.push_back(SimCall::WriteB);
    Download d(failing);
    EXPECT_EQ(d.Run(FirmwareFolder::SmallProgram()), 11);
    EXPECT_EQ(d.link.ComWrErrCnt(), 1u);
}

} // namespace
