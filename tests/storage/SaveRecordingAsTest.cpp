#include "RecordingFixture.h"
#include "support/SaveDialogAnswers.h"

#include "storage/recording/SaveRecordingAs.h"

#include <QFile>
#include <QFileInfo>

namespace {

class SaveRecordingAsTest : public RecordingTest {
protected:
    void SetUp() override {
        RecordingTest::SetUp();
        SetChartDialogs({AnswerSaveDialogs(requests, chosen), {}, {}});
        RecordingServices().RememberDataFolder = [this](const QString &folder) { dataFolder = folder; };
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("saved")));
    }
    void TearDown() override {
        SetChartDialogs({});
        RecordingTest::TearDown();
    }

    void RecordTwoSteps() {
        RecordingOn = true;
        BlockStep(1.0, 1);
        BlockStep(2.0, 2);
    }

    std::vector<TSaveDialogRequest> requests;
    std::vector<QString> chosen;
    QString dataFolder;
};

// The eight files are copied under the chosen name, of which only the part after the last dot is
// replaced; the dialog proposes "noname" in the Data folder and the recording is closed first.
TEST_F(SaveRecordingAsTest, TheEightFilesAreCopiedUnderTheChosenName) {
    RecordTwoSteps();
    chosen = {dir.path(QStringLiteral("saved/line.a.b.idx"))};
    SaveRecordingAs();
    EXPECT_FALSE(RecordFilesOpen());
    EXPECT_FALSE(RecordingOn);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].title, QStringLiteral("Сохранить файл результатов"));
    EXPECT_EQ(requests[0].fileName, QStringLiteral("noname"));
    EXPECT_EQ(requests[0].folder, dir.path(QStringLiteral("Data")));
    for (const char *extension : {".idx", ".adc", ".rnd", ".set", ".rem", ".sst", ".ast", ".snc"}) {
        const QByteArray saved = dir.read(QStringLiteral("saved/line.a.b") + QLatin1String(extension));
        EXPECT_EQ(saved, File(extension)) << extension;
        EXPECT_TRUE(QFileInfo::exists(dir.path(QStringLiteral("saved/line.a.b") + QLatin1String(extension))));
    }
    EXPECT_EQ(File(".idx").size(), 72);
    EXPECT_EQ(dataFolder, dir.path(QStringLiteral("saved/")));
    EXPECT_TRUE(messages.empty());
}

// Any existing target is asked about; No shows the dialog again, Cancel copies nothing and leaves the
// recording in the Data folder; without open files nothing is asked at all.
TEST_F(SaveRecordingAsTest, AnExistingTargetIsReplacedOnlyAfterYes) {
    RecordTwoSteps();
    dir.write(QStringLiteral("saved/old.rnd"), "old");
    chosen = {dir.path(QStringLiteral("saved/old.idx"))};
    int asked = 0;
    SetMessageBoxHandler([&asked, this](const MessageRequest &request) {
        messages.push_back(request.text);
        return ++asked == 1 ? int(IdNo) : int(IdYes);
    });
    SaveRecordingAs();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Имя '" + dir.path(QStringLiteral("saved/old.rnd")) + "' уже существует! Перезаписать?");
    EXPECT_EQ(requests.size(), 2u) << "No reopens the dialog, which the test then cancels";
    EXPECT_EQ(dir.read(QStringLiteral("saved/old.rnd")), QByteArray("old"));
    EXPECT_FALSE(QFileInfo::exists(dir.path(QStringLiteral("saved/old.idx"))));
    EXPECT_EQ(File(".idx").size(), 72) << "the recording stays in the Data folder";

    requests.clear();
    SaveRecordingAs();
    EXPECT_TRUE(requests.empty()) << "no recording open: nothing to save";

    RecordTwoSteps();
    chosen = {dir.path(QStringLiteral("saved/old.idx"))};
    SaveRecordingAs();
    EXPECT_EQ(dir.read(QStringLiteral("saved/old.rnd")), File(".rnd"));
}

} // namespace

namespace {

// Batch work opens no window: its recording is closed and stays in the Data folder.
TEST_F(SaveRecordingAsTest, BatchWorkClosesTheRecordingWithoutADialog) {
    RecordTwoSteps();
    SetBatchMessageSink([](const MessageRequest &) { return int(IdOk); });
    SaveRecordingAs();
    SetBatchMessageSink({});
    EXPECT_TRUE(requests.empty());
    EXPECT_FALSE(RecordFilesOpen());
    EXPECT_EQ(File(".idx").size(), 72);
}

} // namespace
