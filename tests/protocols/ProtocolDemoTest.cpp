#include "shell/DemoFixture.h"

#include "ProtocolLinks.h"
#include "support/Screenshot.h"

#include "engine/EngineBuffers.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "engine/catalogue/ParameterTable.h"
#include "platform/Cp1251.h"
#include "platform/DateTime.h"
#include "protocols/Form_cmt.h"
#include "protocols/ProtocolState.h"
#include "settings/remote/RemoteLinkPeers.h"
#include "shell/DataCommandServices.h"
#include "shell/WindowRegistries.h"
#include "state/ProgramSettings.h"
#include "views/Fgraph.h"

#include <QDir>

#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <algorithm>

namespace {

// The next protocol dialog takes the comment (and, for the save dialog, the folder) and OK.
void AnswerDialog(const QString &comment, const QString &folder = {}) {
    QTimer::singleShot(0, [comment, folder] {
        if (!Form_Cmt)
            return;
        if (!folder.isEmpty())
            Form_Cmt->DirListChange(folder);
        Form_Cmt->Edit1->setText(comment);
        Form_Cmt->BitBtn1->click();
    });
}

QString Text(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? FromCp1251(file.readAll()) : QString();
}

// The program in demonstration mode with its own graph windows.
class ProtocolDemoTest : public DemoWindowTest {
protected:
    void SetUp() override {
        DemoWindowTest::SetUp();
        WindowFactories.Graph = installed.Graph;
    }
};

// On a line (connection type 3): without results the button says so; with the emulator's SIN blocks two
// presses with a comment write two entries, and Stop files them into the chosen folder, with the
// spectrum window's picture.
TEST_F(ProtocolDemoTest, TheProtocolButtonWritesEntriesThatStopFiles) {
    VirtualClock fast(200000, 0);
    TMainForm &form = StartSinDemo();
    DeviceSettings->ConnectionType = 3;
    SignalKind = 0;
    form.Button_Protocol->click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, QStringLiteral("Сохранение в протокол не произведено!\nРезультаты не готовы."));
    messages.clear();

    // The oscillogram and the spectrum of SIN go into the protocol, each with its window's picture.
    for (int kind : {0, 1}) {
        ASSERT_NE(GraphParamSettings[kind][1], nullptr);
        GraphParamSettings[kind][1]->Analyse = 1;
        GraphParamSettings[kind][1]->Protocol = 1;
    }
    form.Button_Start->click();
    ASSERT_TRUE(messages.empty());
    for (int kind : {0, 1}) {
        form.CurrentIndex = kind;
        ASSERT_TRUE(qobject_cast<TForm_Graphic *>(form.ShowGraphWindow()));
    }
    CountBlocks();
    RunBlocks(10);
    ASSERT_EQ(SignalKind, 1);
    AnswerDialog(QStringLiteral("Линия №1 <проверка>"));
    form.Button_Protocol->click();
    // The second entry is measured a second later, so that it has a stamp of its own, against a lower
    // norm of the signal-to-noise ratio that no block meets.
    const ParameterTable sin = ParameterTableOf(1);
    ParamDescriptor *snr = std::find_if(sin.Rows, sin.Rows + sin.RowCount, [](const ParamDescriptor &row) {
        return QString::fromUtf8(row.Caption).startsWith(QStringLiteral("Сигн/шум"));
    });
    ASSERT_NE(snr, sin.Rows + sin.RowCount);
    snr->Settings.LowerNorm = 200;
    snr->Settings.ApplyLower = 1;
    const double first = NowStamp;
    for (int i = 0; i < 2000 && NowStamp - first < 1.2 / 86400; ++i)
        RunBlocks(1);
    ASSERT_GE(NowStamp - first, 1.2 / 86400);
    AnswerDialog(QStringLiteral("второй"));
    form.Button_Protocol->click();
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(ProtocolState, 1);

    const QString folder = dir.path(QStringLiteral("Протоколы/"));
    QDir().mkpath(folder);
    AnswerDialog(QStringLiteral("сохранено"), folder);
    EXPECT_TRUE(form.StopMeasurement(QString(), false));
    EXPECT_EQ(ProtocolState, 0);
    EXPECT_EQ(form.DirReport, folder);
    const QStringList files = QDir(folder).entryList(QDir::Files);
    const QStringList data = QDir(folder).entryList({QStringLiteral("*_data_1.html")}, QDir::Files);
    ASSERT_EQ(data.size(), 1);
    EXPECT_EQ(QDir(folder).entryList({QStringLiteral("*.jpg")}, QDir::Files).size(), 4)
        << files.join(' ').toStdString();
    const QString contents = Text(folder + QStringLiteral("cnt1_1.html"));
    EXPECT_EQ(contents.count(QStringLiteral("<tr align=center>")), 2);
    EXPECT_TRUE(contents.contains(QStringLiteral("(Линия №1 &lt;проверка&gt;)")));
    EXPECT_TRUE(contents.contains(QStringLiteral("сохранено")));
    EXPECT_EQ(contents.count(QStringLiteral("<td>Норма</td>")), 1);
    EXPECT_EQ(contents.count(QStringLiteral("<td bgcolor=\"lightpink\">Ненорма</td>")), 1);
    EXPECT_EQ(Text(folder + data[0]).count(QStringLiteral("<IMG SRC=")), 4);
    ExpectLinksResolve({folder});
    EXPECT_TRUE(QDir(ReportTempFolder()).entryList(QDir::Files).isEmpty());

    // Kept for a look in a browser when pictures are asked for.
    const QString keep = qEnvironmentVariable("R9_SCREENSHOTS");
    if (!keep.isEmpty()) {
        QDir(keep + QStringLiteral("/protocol")).removeRecursively();
        QDir().mkpath(keep + QStringLiteral("/protocol"));
        for (const QString &name : files)
            QFile::copy(folder + name, keep + QStringLiteral("/protocol/") + name);
    }
}

} // namespace

namespace {

// A ready results block of SIN (32 rows) at 10:22:05 on 15.03.2013, as the snapshot and the peer send it.
void FillReady(TProtocolSnapshot &holder) {
    std::vector<uint8_t> &b = holder.Results;
    b.assign(std::size_t(ProtocolResultsBlock::Rows + 32 * ProtocolResultsBlock::RowSize), 0);
    const double time = EncodeDate(2013, 3, 15) + EncodeTime(10, 22, 5, 0);
    std::memcpy(b.data(), &time, sizeof time);
    b[ProtocolResultsBlock::Kind] = 1;
    b[ProtocolResultsBlock::ConnectionType] = 3;
    b[ProtocolResultsBlock::RowCount] = 32;
    holder.HasData = 1;
}

// The remote link, the automatic protocol and the playback bar reach the protocol writer through the
// entries the main window registers.
TEST_F(ProtocolDemoTest, TheRemoteLinkAndTheAutomaticProtocolWriteEntries) {
    Start();
    // As in a program that has measured nothing yet: no Stop in progress.
    Stopping = false;
    const TRemoteLinkPeers &peers = RemoteLinkPeers();
    ASSERT_TRUE(peers.AddProtocolEntry && peers.ProtocolIsRemote && peers.ProtocolOpen && peers.CloseProtocol);
    LastDataTime = EncodeDate(2013, 3, 15) + EncodeTime(11, 0, 1, 0);
    FillReady(RemoteProtocolSnapshot);
    peers.AddProtocolEntry(1);
    EXPECT_TRUE(peers.ProtocolOpen());
    EXPECT_FALSE(peers.ProtocolIsRemote());
    EXPECT_EQ(ProtocolPageStamp, QStringLiteral("15.03.13_11:00:01_REMOTE_R9_1"));
    EXPECT_EQ(RemoteProtocolSnapshot.HasData, 0);

    // Under the peer's control the own results follow, and the protocol is filed into Report/Remote.
    DeviceSettings->PeerConnectState = 2;
    FillReady(LocalProtocolSnapshot);
    peers.AddProtocolEntry(0);
    EXPECT_TRUE(peers.ProtocolIsRemote());
    EXPECT_TRUE(DataCommandServices().ProtocolWrittenRemotely());
    peers.CloseProtocol(0);
    EXPECT_FALSE(peers.ProtocolOpen());
    EXPECT_EQ(QDir(dir.path(QStringLiteral("Report/Remote"))).entryList({QStringLiteral("cnt1_1.html")}).size(), 1);
    EXPECT_EQ(window->DirReport, dir.path(QStringLiteral("Report/Remote/")));
    DeviceSettings->PeerConnectState = 0;

    // The automatic protocol writes only while the program settings switch it on.
    const auto &automatic = ProtocolSnapshotServices().AddAutoProtocolEntry;
    ASSERT_TRUE(automatic);
    FillReady(LocalProtocolSnapshot);
    ProgramSettings.AutoProtocol = 0;
    automatic(LocalProtocolSnapshot);
    EXPECT_EQ(ProtocolState, 0);
    ProgramSettings.AutoProtocol = 1;
    automatic(LocalProtocolSnapshot);
    EXPECT_EQ(ProtocolState, 1);
    ProgramSettings.AutoProtocol = 0;
    // A close without a dialog at the peer's Sync files into the unsaved protocols.
    peers.CloseProtocol(1);
    EXPECT_EQ(ProtocolState, 0);
    EXPECT_EQ(QDir(dir.path(QStringLiteral("Report/UnsavedProtocol"))).entryList({QStringLiteral("*.html")}).size(), 5);
    ExpectLinksResolve({dir.path(QStringLiteral("Report/Remote")), dir.path(QStringLiteral("Report/UnsavedProtocol"))});
}

} // namespace
