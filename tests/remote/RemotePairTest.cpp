// Two program instances, each in its own process and program folder, pair over the simulated measured
// line, which runs in this test's process and joins their simulated instruments through a Unix-domain
// socket. Each instance is the test peer program: the main window offscreen, driven by a script, saying
// what it saw on stdout.
#include "sim/SimRemoteLine.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>

#include <chrono>
#include <cmath>
#include <functional>
#include <map>
#include <memory>

namespace {

// A loaded two-core machine may take long; the pair normally finishes in seconds.
constexpr auto WaitLimit = std::chrono::seconds(240);

class Peer {
public:
    Peer(const QString &name, const QString &lineSocket, const QStringList &script) : name_(name) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("R9_USB_BACKEND"), QStringLiteral("sim"));
        env.insert(QStringLiteral("R9_SIM_LINE"), lineSocket);
        env.insert(QStringLiteral("R9_PROGRAM_DIR"), folder_.path() + QLatin1Char('/'));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process_.setProcessEnvironment(env);
        process_.start(QStringLiteral(R9_REMOTE_PEER), script);
    }
    ~Peer() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(10000);
        }
    }

    // Takes what the program said so far; false once it has ended and said everything.
    bool Poll() {
        process_.waitForReadyRead(5);
        buffer_ += process_.readAllStandardOutput();
        errors_ += process_.readAllStandardError();
        for (qsizetype end; (end = buffer_.indexOf('\n')) >= 0; buffer_.remove(0, end + 1))
            lines_.push_back(QString::fromUtf8(buffer_.left(end)));
        return process_.state() != QProcess::NotRunning;
    }
    // The first line that starts with `prefix` (after `from`), or an empty text.
    QString Line(const QString &prefix, int from = 0) const {
        for (int i = from; i < lines_.size(); ++i)
            if (lines_[i].startsWith(prefix))
                return lines_[i];
        return {};
    }
    int IndexOf(const QString &line) const { return int(lines_.indexOf(line)); }
    // Waits for the program's end; false when it did not end in time.
    bool Finish() {
        const bool ended = process_.state() == QProcess::NotRunning ||
                           process_.waitForFinished(int(std::chrono::milliseconds(WaitLimit).count()));
        Poll();
        return ended;
    }
    void Tell(const QByteArray &word) {
        process_.write(word + '\n');
        process_.waitForBytesWritten(5000);
    }
    int ExitCode() const { return process_.exitCode(); }
    QString Transcript() const {
        return name_ + QStringLiteral(" said:\n  ") + lines_.join(QStringLiteral("\n  ")) + QStringLiteral("\n") +
               name_ + QStringLiteral(" wrote on stderr:\n") + QString::fromUtf8(errors_.right(4000));
    }

private:
    QString name_;
    QTemporaryDir folder_;
    QProcess process_;
    QByteArray buffer_, errors_;
    QStringList lines_;
};

// "key=value key=value" into a map.
std::map<QString, QString> Fields(const QString &line) {
    std::map<QString, QString> fields;
    for (const QString &word : line.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const qsizetype at = word.indexOf(QLatin1Char('='));
        if (at > 0)
            fields[word.left(at)] = word.mid(at + 1);
    }
    return fields;
}

class RemotePairTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        line = std::make_unique<SimRemoteLine>((folder.path() + QStringLiteral("/line")).toStdString());
        ASSERT_TRUE(line->Listening());
    }

    // Serves both peers until done() holds; false when the time is up or both peers ended without it.
    bool Until(const std::function<bool()> &done) {
        const auto deadline = std::chrono::steady_clock::now() + WaitLimit;
        while (!done()) {
            bool running = false;
            for (Peer *peer : {passive.get(), active.get()})
                if (peer && peer->Poll())
                    running = true;
            if (done())
                return true;
            if (!running || std::chrono::steady_clock::now() > deadline)
                return false;
        }
        return true;
    }
    // Whether both peers have written a line that begins with the word.
    bool BothSaid(const QString &word) const {
        return !passive->Line(word).isEmpty() && !active->Line(word).isEmpty();
    }
    // Both peers reach the end of their scripts and exit with 0.
    void FinishBoth() {
        ASSERT_TRUE(Until([&] { return BothSaid(QStringLiteral("end")); })) << qPrintable(Transcripts());
        ASSERT_TRUE(passive->Finish() && active->Finish()) << qPrintable(Transcripts());
        EXPECT_EQ(passive->ExitCode(), 0) << qPrintable(Transcripts());
        EXPECT_EQ(active->ExitCode(), 0) << qPrintable(Transcripts());
    }
    QString Transcripts() const {
        QString all = QStringLiteral("The line carried %1 messages from its end a and %2 from its end b.\n")
                          .arg(line->CarriedFrom(true).size())
                          .arg(line->CarriedFrom(false).size());
        for (bool a : {true, false})
            for (const auto &body : line->CarriedFrom(a))
                all += (a ? QStringLiteral("  from a: ") : QStringLiteral("  from b: ")) +
                       QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(body.data()),
                                                      qsizetype(std::min<std::size_t>(body.size(), 12)))
                                               .toHex(' ')) +
                       QLatin1Char('\n');
        for (const Peer *peer : {passive.get(), active.get()})
            if (peer)
                all += peer->Transcript();
        return all;
    }

    QTemporaryDir folder;
    std::unique_ptr<SimRemoteLine> line;
    std::unique_ptr<Peer> passive, active;
};

// The text of the message, in the code page the peers exchange texts in.
const QString Greeting = QStringLiteral("Привет, линия");
const QByteArray GreetingCp1251("\xCF\xF0\xE8\xE2\xE5\xF2\x2C\x20\xEB\xE8\xED\xE8\xFF");

bool CarriesText(const std::vector<std::vector<std::uint8_t>> &bodies, const QByteArray &text) {
    // SendTxt_R: the record type 240, the length as a 32-bit little-endian number, the bytes.
    QByteArray record("\xF0", 1);
    const auto n = std::uint32_t(text.size());
    for (int i = 0; i < 4; ++i)
        record.append(char(n >> (8 * i)));
    record.append(text);
    for (const auto &body : bodies)
        if (QByteArray(reinterpret_cast<const char *>(body.data()), qsizetype(body.size())).contains(record))
            return true;
    return false;
}

} // namespace

// Pairing takes the active side's snapped values to the passive side; "уд.SIN" starts the peer's sine and
// its receipt marks it running; the results request fills the remote result table with the peer's
// measurement; a text in Cyrillic travels in windows-1251; the active side breaks the link, pairs again,
// and then the passive side breaks it.
TEST_F(RemotePairTest, TwoProgramsPairMeasureTalkAndBreakOverTheLine) {
    const QString socket = folder.path() + QStringLiteral("/line");
    passive = std::make_unique<Peer>(QStringLiteral("passive"), socket,
                                     QStringList{"start", "settings", "wait paired", "report settings", "wait sin",
                                                 "wait results-ready", "say results-ready", "wait text", "report text",
                                                 "say text-received", "wait unlinked", "report states", "say broken-by-peer",
                                                 "wait paired", "click Button_CONNECT_OFF", "wait unlinked",
                                                 "report states", "stop"});
    ASSERT_TRUE(Until([&] { return !passive->Line(QStringLiteral("started")).isEmpty(); })) << qPrintable(Transcripts());
    ASSERT_TRUE(Until([&] { return line->JoinedEnds() == 1; }));
    active = std::make_unique<Peer>(
        QStringLiteral("active"), socket,
        QStringList{"start", "settings", "set Edit_CONNECT_L -12.4", "set Edit_CONNECT_F1 41.3",
                    "set Edit_CONNECT_F2 150.7", "click Button_CONNECT", "wait linked", "report settings",
                    "click Button_SIN_R", "wait remote-sin", "report states", "await results",
                    "click Button_GetResult", "wait remote-results", "report remote-results", "click Button_TextMsg",
                    "send-text " + Greeting, "report states", "await break", "click Button_CONNECT_OFF", "wait unlinked", "report states",
                    "await reconnect", "click Button_CONNECT", "wait linked", "say relinked", "wait unlinked",
                    "report states", "stop"});

    ASSERT_TRUE(Until([&] { return !passive->Line(QStringLiteral("results-ready")).isEmpty(); }))
        << qPrintable(Transcripts());
    active->Tell("results");
    // The text is read before the break empties it.
    ASSERT_TRUE(Until([&] { return !passive->Line(QStringLiteral("text-received")).isEmpty(); }))
        << qPrintable(Transcripts());
    active->Tell("break");
    ASSERT_TRUE(Until([&] { return !passive->Line(QStringLiteral("broken-by-peer")).isEmpty(); }))
        << qPrintable(Transcripts());
    active->Tell("reconnect");
    ASSERT_NO_FATAL_FAILURE(FinishBoth());
    SCOPED_TRACE(qPrintable(Transcripts()));

    // Pairing: the passive side holds exactly the values the active side holds after snapping them.
    const QString activeSettings = active->Line(QStringLiteral("settings "));
    EXPECT_EQ(passive->Line(QStringLiteral("settings ")), activeSettings);
    const auto fields = Fields(activeSettings);
    // The level edit snaps to the 0.25 dB grid of its 8-bit code (-40..20 dBm in 240 steps).
    EXPECT_EQ(fields.at(QStringLiteral("ControlLevel")), QStringLiteral("-12.5"));
    const double controlStep = fields.at(QStringLiteral("SampleRate")).toDouble() / 128;
    for (const char *key : {"ControlF1", "ControlFN"}) {
        const double f = fields.at(QString::fromLatin1(key)).toDouble();
        EXPECT_NEAR(std::remainder(f, controlStep), 0, 1e-3) << key << " " << f;
    }

    // "уд.SIN": the receipt marks the peer's sine as running.
    EXPECT_EQ(Fields(active->Line(QStringLiteral("states "))).at(QStringLiteral("RemoteSin")), QStringLiteral("2"));

    // The peer's results: its SIN measurement, shown in the remote result table, measuring the frequency
    // the active side asked for.
    const auto results = Fields(active->Line(QStringLiteral("remote-results ")));
    EXPECT_EQ(results.at(QStringLiteral("kind")), QStringLiteral("1"));
    EXPECT_EQ(results.at(QStringLiteral("shown")), QStringLiteral("1"));
    const double sinF1 = Fields(active->Line(QStringLiteral("sin "))).at(QStringLiteral("F1")).toDouble();
    const QString frequency = active->Line(QStringLiteral("remote-row Частота,кГц="));
    ASSERT_FALSE(frequency.isEmpty());
    EXPECT_NEAR(frequency.section(QLatin1Char('='), 1).toDouble(), sinF1, 0.005 * sinF1);

    // The text: as typed at the other end, in windows-1251 on the line (the passive side joined first).
    EXPECT_TRUE(passive->Line(QStringLiteral("text ")).contains(QStringLiteral("Удаленный R-9: ") + Greeting));
    EXPECT_TRUE(CarriesText(line->CarriedFrom(false), GreetingCp1251));

    // The active side's break: both sides unlinked.
    const int passiveBreak = passive->IndexOf(QStringLiteral("broken-by-peer"));
    const auto passiveStates = Fields(passive->Line(QStringLiteral("states ")));
    EXPECT_EQ(passiveStates.at(QStringLiteral("PeerConnectState")), QStringLiteral("0"));
    // The passive side's break: the active side ends unlinked.
    const int relinked = active->IndexOf(QStringLiteral("relinked"));
    ASSERT_GT(relinked, 0);
    ASSERT_GT(passiveBreak, 0);
    const auto finalStates = Fields(active->Line(QStringLiteral("states "), relinked));
    EXPECT_EQ(finalStates.at(QStringLiteral("ConnectState")), QStringLiteral("0"));
    EXPECT_EQ(finalStates.at(QStringLiteral("PeerConnectState")), QStringLiteral("0"));
}

// A pairing message lost on the line fails the pairing on the active side (the instrument reports the
// failed transmission) and leaves the passive side unpaired; the next "Установить соединение" pairs.
TEST_F(RemotePairTest, ALostPairingMessageFailsAndTheNextOnePairs) {
    const QString socket = folder.path() + QStringLiteral("/line");
    line->ScriptFaults({SimLineFault::Drop});
    active = std::make_unique<Peer>(QStringLiteral("active"), socket,
                                    QStringList{"start", "settings", "await go", "click Button_CONNECT",
                                                "wait pairing-failed", "report states", "click Button_CONNECT",
                                                "wait linked", "report states", "await release",
                                                "click Button_CONNECT_OFF", "wait unlinked", "stop"});
    ASSERT_TRUE(Until([&] { return line->JoinedEnds() == 1; })) << qPrintable(Transcripts());
    passive = std::make_unique<Peer>(QStringLiteral("passive"), socket,
                                     QStringList{"start", "wait paired", "say paired", "wait unlinked", "stop"});
    ASSERT_TRUE(Until([&] { return BothSaid(QStringLiteral("started")); })) << qPrintable(Transcripts());
    active->Tell("go");
    // The passive side sees the pairing before the active side lets it go.
    ASSERT_TRUE(Until([&] { return !passive->Line(QStringLiteral("paired")).isEmpty(); })) << qPrintable(Transcripts());
    active->Tell("release");
    ASSERT_NO_FATAL_FAILURE(FinishBoth());
    SCOPED_TRACE(qPrintable(Transcripts()));

    const auto failed = Fields(active->Line(QStringLiteral("states ")));
    EXPECT_EQ(failed.at(QStringLiteral("ConnectState")), QStringLiteral("-1"));
    // The peer's generator block is taken as running after a failed pairing.
    EXPECT_EQ(failed.at(QStringLiteral("RemoteBlock")), QStringLiteral("2"));
    EXPECT_EQ(line->CarriedFrom(true).size(), 3u) << "the lost pairing, the pairing, the break";
}
