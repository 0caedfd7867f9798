#include "chartlib/Chartlib.h"

#include "platform/MessageService.h"
#include "support/TempProgramDir.h"

#include <QDir>
#include <QRegularExpression>
#include <QTime>

#include <gtest/gtest.h>

#include <csignal>
#include <vector>

#include <sys/resource.h>

namespace {

// A fresh program folder, and every message the code under test shows, recorded instead of a box.
class ChartlibFiles : public ::testing::Test {
protected:
    ChartlibFiles() {
        SetMessageBoxHandler([this](const MessageRequest &request) {
            messages.push_back(request);
            return int(IdOk);
        });
    }
    ~ChartlibFiles() override { SetMessageBoxHandler({}); }

    void ExpectOneMessage(const QString &text) {
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, text);
        EXPECT_EQ(messages[0].caption, QStringLiteral("Ошибка!"));
        EXPECT_EQ(messages[0].icon, MsgIcon::Warning);
        EXPECT_EQ(messages[0].buttons, MsgButtons::Ok);
        EXPECT_EQ(messages[0].batchCode, 0);
        EXPECT_EQ(messages[0].batchLogSource, 1);
        messages.clear();
    }

    TempProgramDir dir;
    std::vector<MessageRequest> messages;
};

QTime ParseLogTime(const QByteArray &line) {
    return QTime::fromString(QString::fromLatin1(line.left(8)), QStringLiteral("hh:mm:ss"));
}

} // namespace

TEST_F(ChartlibFiles, DebugLogEmptiesTheFileOnceThenAppendsTimedCrLfLines) {
    dir.write("debug.txt", "12:00:00: line of an earlier run\r\n");
    RestartDebugLog();
    const QTime before = QTime::currentTime().addMSecs(-1000);
    DebugLog(QStringLiteral("first"));
    DebugLog(QStringLiteral("Связь"));
    const QTime after = QTime::currentTime();

    const QByteArray log = dir.read("debug.txt");
    const QRegularExpression shape(
        QStringLiteral("^\\d\\d:\\d\\d:\\d\\d: first\r\n\\d\\d:\\d\\d:\\d\\d: \xD1\xE2\xFF\xE7\xFC\r\n$"));
    EXPECT_TRUE(shape.match(QString::fromLatin1(log)).hasMatch()) << log.toStdString();
    const QTime stamp = ParseLogTime(log);
    ASSERT_TRUE(stamp.isValid());
    if (before < after) { // not across midnight
        EXPECT_TRUE(stamp >= before.addMSecs(-before.msec()) && stamp <= after) << log.toStdString();
    }

    RestartDebugLog(); // a new run
    DebugLog(QStringLiteral("two\nlines"));
    EXPECT_TRUE(dir.read("debug.txt").endsWith(": two\r\nlines\r\n"));
    EXPECT_EQ(dir.read("debug.txt").count('\n'), 2);
}

TEST_F(ChartlibFiles, DebugLogDropsALineItCannotWriteAndStillEmptiesTheFileLater) {
    ASSERT_TRUE(QDir().mkdir(dir.path("debug.txt"))); // a folder in the way
    RestartDebugLog();
    DebugLog(QStringLiteral("lost"));
    ASSERT_TRUE(QDir().rmdir(dir.path("debug.txt")));
    dir.write("debug.txt", "old\r\n");
    DebugLog(QStringLiteral("kept"));
    const QByteArray log = dir.read("debug.txt");
    EXPECT_FALSE(log.contains("old"));
    EXPECT_FALSE(log.contains("lost"));
    EXPECT_TRUE(log.endsWith(": kept\r\n"));
}

TEST_F(ChartlibFiles, OpenFileStreamModes) {
    dir.write("data.bin", "0123456789");
    std::unique_ptr<QFile> stream;

    ASSERT_TRUE(OpenFileStream(stream, dir.path("data.bin"), FileOpenMode::OpenReadShared, SeekOrigin::Begin));
    EXPECT_EQ(stream->readAll(), "0123456789");
    ASSERT_TRUE(OpenFileStream(stream, dir.path("data.bin"), FileOpenMode::OpenRead, SeekOrigin::End));
    EXPECT_EQ(stream->pos(), 10);
    EXPECT_FALSE(stream->isWritable());

    ASSERT_TRUE(OpenFileStream(stream, dir.path("data.bin"), FileOpenMode::OpenWrite, SeekOrigin::End));
    EXPECT_EQ(stream->write("ab"), 2);
    stream.reset();
    EXPECT_EQ(dir.read("data.bin"), "0123456789ab");

    ASSERT_TRUE(OpenFileStream(stream, dir.path("data.bin"), FileOpenMode::OpenWrite, SeekOrigin::Begin));
    EXPECT_EQ(stream->write("XY"), 2);
    stream.reset();
    EXPECT_EQ(dir.read("data.bin"), "XY23456789ab");

    ASSERT_TRUE(OpenFileStream(stream, dir.path("data.bin"), FileOpenMode::Create, SeekOrigin::End));
    EXPECT_EQ(stream->size(), 0);
    ASSERT_TRUE(OpenFileStream(stream, dir.path("new.bin"), FileOpenMode::Create, SeekOrigin::End));
    EXPECT_TRUE(QFile::exists(dir.path("new.bin")));
    EXPECT_TRUE(messages.empty());
}

TEST_F(ChartlibFiles, OpenFileStreamReportsAFileItCannotOpen) {
    struct Case {
        const char *name;
        FileOpenMode mode;
    };
    const Case cases[] = {
        {"missing.bin", FileOpenMode::OpenWrite},
        {"missing.bin", FileOpenMode::OpenRead},
        {"missing.bin", FileOpenMode::OpenReadShared},
        {"no folder/new.bin", FileOpenMode::Create},
    };
    for (const Case &c : cases) {
        std::unique_ptr<QFile> stream = std::make_unique<QFile>();
        EXPECT_FALSE(OpenFileStream(stream, dir.path(c.name), c.mode, SeekOrigin::End)) << c.name;
        EXPECT_EQ(stream, nullptr);
        ExpectOneMessage(QStringLiteral("Не могу открыть файл ") + dir.path(c.name));
    }
    EXPECT_FALSE(QFile::exists(dir.path("missing.bin")));
}

TEST_F(ChartlibFiles, OpenFileStreamFailuresGoToTheBatchLogWithCode1WhileBatchControlRuns) {
    std::vector<MessageRequest> diverted;
    SetBatchMessageSink([&](const MessageRequest &request) {
        diverted.push_back(request);
        return int(IdOk);
    });
    std::unique_ptr<QFile> stream;
    EXPECT_FALSE(OpenFileStream(stream, dir.path("missing.bin"), FileOpenMode::OpenRead, SeekOrigin::Begin));
    SetBatchMessageSink({});
    EXPECT_TRUE(messages.empty());
    ASSERT_EQ(diverted.size(), 1u);
    EXPECT_EQ(diverted[0].text, QStringLiteral("Не могу открыть файл ") + dir.path("missing.bin"));
    EXPECT_EQ(diverted[0].batchCode, 0);
    EXPECT_EQ(diverted[0].batchLogSource, 1);
}

TEST_F(ChartlibFiles, WriteTextToFileWritesWindows1251AndReachesTheDiskAtOnce) {
    std::unique_ptr<QFile> stream;
    ASSERT_TRUE(OpenFileStream(stream, dir.path("page.html"), FileOpenMode::Create, SeekOrigin::End));
    EXPECT_TRUE(WriteTextToFile(*stream, QStringLiteral("Протокол\r\n")));
    EXPECT_EQ(dir.read("page.html"), "\xCF\xF0\xEE\xF2\xEE\xEA\xEE\xEB\r\n"); // still open
    EXPECT_TRUE(messages.empty());
}

TEST_F(ChartlibFiles, WriteTextToFileReportsAFailedWrite) {
    QFile full(QStringLiteral("/dev/full"));
    ASSERT_TRUE(full.open(QIODevice::WriteOnly));
    EXPECT_FALSE(WriteTextToFile(full, QStringLiteral("text")));
    ExpectOneMessage(QStringLiteral("Не могу открыть файл"));

    QFile readOnly(dir.path("ro.txt"));
    dir.write("ro.txt", "x");
    ASSERT_TRUE(readOnly.open(QIODevice::ReadOnly));
    EXPECT_FALSE(WriteTextToFile(readOnly, QStringLiteral("text")));
    ExpectOneMessage(QStringLiteral("Не могу открыть файл"));
}

TEST_F(ChartlibFiles, MemoryStreamsRoundTripAndZeroFillAShortRead) {
    QByteArray bytes;
    QBuffer stream(&bytes);
    ASSERT_TRUE(stream.open(QIODevice::ReadWrite));
    const std::int32_t number = 0x01020304;
    EXPECT_TRUE(WriteToStream(stream, &number, sizeof number));
    EXPECT_TRUE(WriteTextToStream(stream, QStringLiteral("Ок")));
    EXPECT_EQ(bytes, QByteArray("\x04\x03\x02\x01\xCE\xEA", 6));

    stream.seek(0);
    std::int32_t back = 0;
    EXPECT_TRUE(ReadFromStream(stream, &back, sizeof back));
    EXPECT_EQ(back, number);

    char rest[6];
    std::memset(rest, 0x55, sizeof rest);
    EXPECT_FALSE(ReadFromStream(stream, rest, sizeof rest)); // only two bytes left
    EXPECT_EQ(QByteArray(rest, 6), QByteArray("\xCE\xEA\0\0\0\0", 6));
    EXPECT_FALSE(ReadFromStream(stream, rest, sizeof rest)); // nothing left
    EXPECT_EQ(QByteArray(rest, 6), QByteArray(6, '\0'));
}

TEST_F(ChartlibFiles, ReadFromFileStreamAcceptsAShortReadAndReportsAFailedOne) {
    dir.write("short.bin", "abc");
    std::unique_ptr<QFile> stream;
    ASSERT_TRUE(OpenFileStream(stream, dir.path("short.bin"), FileOpenMode::OpenRead, SeekOrigin::Begin));
    char data[5] = {'.', '.', '.', '.', '.'};
    EXPECT_TRUE(ReadFromFileStream(*stream, data, sizeof data));
    EXPECT_EQ(QByteArray(data, 5), "abc..");
    EXPECT_TRUE(messages.empty());

    QFile writeOnly(dir.path("w.bin"));
    ASSERT_TRUE(writeOnly.open(QIODevice::WriteOnly));
    EXPECT_FALSE(ReadFromFileStream(writeOnly, data, sizeof data));
    ExpectOneMessage(QStringLiteral("Невозможно чтение из файла!"));
}

TEST_F(ChartlibFiles, AppendFileToMovesCopiesOrAppends) {
    struct Case {
        const char *name;
        bool destinationExists;
        bool keepSource;
        QByteArray destination;
        bool sourceLeft;
    };
    const Case cases[] = {
        {"move onto a missing destination", false, false, "source", false},
        {"copy onto a missing destination", false, true, "source", true},
        {"append and delete", true, false, "dest+source", false},
        {"append and keep", true, true, "dest+source", true},
    };
    for (const Case &c : cases) {
        QFile::remove(dir.path("dest.html"));
        if (c.destinationExists)
            dir.write("dest.html", "dest+");
        dir.write("src.html", "source");
        EXPECT_TRUE(AppendFileTo(dir.path("dest.html"), dir.path("src.html"), c.keepSource)) << c.name;
        EXPECT_EQ(dir.read("dest.html"), c.destination) << c.name;
        EXPECT_EQ(QFile::exists(dir.path("src.html")), c.sourceLeft) << c.name;
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(ChartlibFiles, AppendFileToWithoutSourceOrWritableDestinationKeepsEverything) {
    EXPECT_FALSE(AppendFileTo(dir.path("dest.html"), dir.path("missing.html"), false));
    EXPECT_FALSE(QFile::exists(dir.path("dest.html")));
    dir.write("dest.html", "dest");
    EXPECT_FALSE(AppendFileTo(dir.path("dest.html"), dir.path("missing.html"), false));
    EXPECT_EQ(dir.read("dest.html"), "dest");
    EXPECT_TRUE(messages.empty());

    ASSERT_TRUE(QDir().mkdir(dir.path("folder.html"))); // a destination that cannot be opened
    dir.write("src.html", "source");
    EXPECT_FALSE(AppendFileTo(dir.path("folder.html"), dir.path("src.html"), false));
    EXPECT_EQ(dir.read("src.html"), "source");
    ExpectOneMessage(QStringLiteral("Не могу открыть файл ") + dir.path("folder.html"));
}

// A file-size limit makes the append fail half-way, as a full disk would.
TEST_F(ChartlibFiles, AppendFileToTakesBackAFailedAppendAndKeepsTheSource) {
    const QByteArray head(60000, 'd');
    const QByteArray tail(10000, 's');
    dir.write("dest.html", head);
    dir.write("src.html", tail);

    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 65536;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const bool appended = AppendFileTo(dir.path("dest.html"), dir.path("src.html"), false);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(appended);
    EXPECT_EQ(dir.read("dest.html"), head);
    EXPECT_EQ(dir.read("src.html"), tail);
    ExpectOneMessage(QStringLiteral("Не могу открыть файл ") + dir.path("dest.html"));
}

TEST_F(ChartlibFiles, ClearOrMoveFilesTouchesOnlyPlainVisibleFiles) {
    for (const bool move : {true, false}) {
        TempProgramDir local;
        QDir().mkpath(local.path("Temp1/sub"));
        QDir().mkpath(local.path("Target"));
        for (const char *name : {"Temp1/a.html", "Temp1/b.jpg", "Temp1/.hidden", "Temp1/sub/c.txt", "Target/b.jpg"})
            local.write(name, name);

        EXPECT_TRUE(ClearOrMoveFiles(local.path("Temp1/"), local.path("Target/"), move));

        EXPECT_FALSE(QFile::exists(local.path("Temp1/a.html"))) << move;
        EXPECT_TRUE(QFile::exists(local.path("Temp1/.hidden"))) << move;
        EXPECT_TRUE(QFile::exists(local.path("Temp1/sub/c.txt"))) << move;
        EXPECT_EQ(local.read("Target/a.html"), move ? "Temp1/a.html" : "") << move;
        // A name already taken in the target is not overwritten: both files are kept.
        EXPECT_EQ(local.read("Target/b.jpg"), "Target/b.jpg") << move;
        EXPECT_EQ(local.read("Target/b_2.jpg"), move ? "Temp1/b.jpg" : "") << move;
        EXPECT_FALSE(QFile::exists(local.path("Temp1/b.jpg"))) << move;
    }
}

TEST_F(ChartlibFiles, ClearOrMoveFilesSaysWhenAFileStayedBehind) {
    TempProgramDir local;
    QDir().mkpath(local.path("Temp1"));
    local.write("Temp1/a.html", "a");
    // A destination that is no folder takes nothing; the file stays where it was.
    EXPECT_FALSE(ClearOrMoveFiles(local.path("Temp1/"), local.path("missing/"), true));
    EXPECT_EQ(local.read("Temp1/a.html"), "a");
}
