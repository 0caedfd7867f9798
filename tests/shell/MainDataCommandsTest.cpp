#include "MainFixture.h"
#include "support/Screenshot.h"

#include "engine/EngineBuffers.h"
#include "platform/Cp1251.h"
#include "protocols/ScenarioState.h"
#include "shell/DataCommandServices.h"
#include "shell/FileChoice.h"
#include "shell/WindowRegistries.h"
#include "storage/playback/Play_form.h"
#include "state/RecordChangeMask.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QToolButton>

#include <deque>

namespace {

// The main window with the dialogs answered from a queue of file names (an empty name cancels) and the
// services of the subsystems still to come recorded.
class DataCommandsTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        SetFileChoiceHandler([this](const TFileChoice &choice) {
            choices.push_back(choice);
            if (answers.empty())
                return QString();
            const QString next = answers.front();
            answers.pop_front();
            return next;
        });
        DataCommandServices() = {};
        RecordingOn = PlaybackOn = false;
    }
    void TearDown() override {
        SetFileChoiceHandler({});
        DataCommandServices() = {};
        if (PlayForm)
            delete PlayForm.data();
        RecordingOn = PlaybackOn = false;
        ScenarioRunning = 0;
        MainWindowTest::TearDown();
    }

    QAction *Item(const char *name) { return window->findChild<QAction *>(QLatin1String(name)); }

    // A recording's four files with the version field of its .set file.
    void WriteRecording(const QString &base, const QByteArray &version) {
        for (const char *extension : {".idx", ".rnd", ".adc"})
            dir.write(base + QLatin1String(extension), "x");
        QByteArray field = version.left(20);
        field.append(QByteArray(20 - field.size(), '\0'));
        dir.write(base + QStringLiteral(".set"), field + QByteArray("rest"));
    }

    void InstallPlayForm() {
        DataCommandServices().CreatePlayForm = [this](const QString &caption, const QString &base) {
            created << caption + '|' + base;
            auto *playback = new QLabel;
            playback->setAttribute(Qt::WA_DeleteOnClose);
            playback->setWindowTitle(caption);
            return playback;
        };
    }

    std::vector<TFileChoice> choices;
    std::deque<QString> answers;
    QStringList created;
};

TEST_F(DataCommandsTest, MissingRecordingFilesAreNamed) {
    TMainForm &form = Start();
    WriteRecording(QStringLiteral("data"), "V6.11");
    QFile::remove(dir.path(QStringLiteral("data.adc")));
    EXPECT_FALSE(form.CheckResultFiles(dir.path(QStringLiteral("data.idx"))));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Файл '" + dir.path(QStringLiteral("data.adc")) + "' не найден!");
    EXPECT_EQ(messages[0].caption, "Ошибка!");
    // Of several missing files the message names the last in the order .idx, .set, .rnd, .adc.
    QFile::remove(dir.path(QStringLiteral("data.rnd")));
    EXPECT_FALSE(form.CheckResultFiles(dir.path(QStringLiteral("data.idx"))));
    EXPECT_EQ(messages.back().text, "Файл '" + dir.path(QStringLiteral("data.adc")) + "' не найден!");
}

TEST_F(DataCommandsTest, RecordingVersions) {
    TMainForm &form = Start();
    InstallPlayForm();
    const QString older =
        QStringLiteral("Для просмотра файла результатов воспользуйтесь предыдущей версией программы R9 ");
    const QString newer =
        QStringLiteral("Для просмотра файла результатов воспользуйтесь более новой версией программы R9");
    const struct {
        QByteArray version;
        bool accepted;
        QString advice;
    } cases[] = {
        {"V3.99", false, older + "(V3.04)"},
        {"V4.50", false, older + "(V4.XX)"},
        {"V5.00", true, {}},
        {"V6.11", true, {}},
        {"V6.12", false, newer},
        // A field without its NUL is read over its 20 bytes and no further.
        {"V6.11_______________", false, newer},
        {"", false, older + "(V3.04)"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.version.toStdString());
        messages.clear();
        WriteRecording(QStringLiteral("rec"), c.version);
        const QString index = dir.path(QStringLiteral("rec.idx"));
        EXPECT_EQ(form.CheckResultFiles(index), c.accepted);
        if (c.accepted) {
            EXPECT_TRUE(messages.empty());
            EXPECT_EQ(created.back(), index + '|' + dir.path(QStringLiteral("rec")));
            delete PlayForm.data();
            continue;
        }
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, "Версия файла результатов: " + index + ":   [" + QString::fromLatin1(c.version) +
                                        "]\nне совпадает с версией программы R9:   [V6.11]\n" + c.advice);
        EXPECT_EQ(messages[0].caption, "Ошибка!");
    }
}

// Recording files are found whatever the case of their names; a name of exactly the asked case wins.
TEST_F(DataCommandsTest, RecordingFilesFoundWithoutRegardToCase) {
    TMainForm &form = Start();
    InstallPlayForm();
    WriteRecording(QStringLiteral("DATA"), "V6.11");
    QFile::rename(dir.path(QStringLiteral("DATA.idx")), dir.path(QStringLiteral("data.idx")));
    EXPECT_TRUE(form.CheckResultFiles(dir.path(QStringLiteral("data.idx"))));
    delete PlayForm.data();
    WriteRecording(QStringLiteral("data"), "V9.99");
    dir.write(QStringLiteral("data.set"), QByteArray("V6.11").leftJustified(20, '\0'));
    EXPECT_TRUE(form.CheckResultFiles(dir.path(QStringLiteral("data.idx"))));
    EXPECT_TRUE(messages.empty());
}

// The program's own playback bar opens for an accepted recording, named by its index file, and ends
// playback when the user agrees to close it.
TEST_F(DataCommandsTest, PlaybackOpensThePlaybackBar) {
    TMainForm &form = Start();
    WriteRecording(QStringLiteral("rec"), "V6.11");
    answers = {dir.path(QStringLiteral("rec.idx"))};
    form.Button_PlayData->click();
    EXPECT_TRUE(PlaybackOn);
    auto *bar = qobject_cast<TPlayForm *>(PlayForm.data());
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->windowTitle(), dir.path(QStringLiteral("rec.idx")));
    EXPECT_EQ(bar->BaseName, dir.path(QStringLiteral("rec")));
    EXPECT_FALSE(form.Button_Start->isEnabled());
    EXPECT_TRUE(messages.empty());
    form.Button_PlayData->click();
    EXPECT_FALSE(PlaybackOn);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, QStringLiteral("Вы хотите завершить сеанс работы?"));
    EXPECT_TRUE(form.Button_Start->isEnabled());
}

TEST_F(DataCommandsTest, PlaybackLocksStartScenarioAndRecording) {
    TMainForm &form = Start();
    InstallPlayForm();
    bool settingsRefreshed = false;
    DataCommandServices().UpdateSettingsControlStates = [&] { settingsRefreshed = true; };
    WriteRecording(QStringLiteral("sub/rec"), "V6.11");
    QDir(dir.path()).mkdir(QStringLiteral("sub"));
    WriteRecording(QStringLiteral("sub/rec"), "V6.11");
    form.DirDataFile = dir.path(QStringLiteral("start/"));
    form.Button_SaveData->click();
    ASSERT_TRUE(RecordingOn);
    answers = {dir.path(QStringLiteral("sub/rec.idx"))};
    form.Button_PlayData->click();
    ASSERT_EQ(choices.size(), 1u);
    EXPECT_EQ(choices[0].Folder, dir.path(QStringLiteral("start/")));
    EXPECT_FALSE(choices[0].Save);
    EXPECT_TRUE(PlaybackOn);
    EXPECT_FALSE(PlayForm.isNull());
    EXPECT_EQ(form.DirDataFile, dir.path(QStringLiteral("sub/")));
    EXPECT_TRUE(form.Button_PlayData->isDown());
    EXPECT_TRUE(Item("NPlayData")->isChecked());
    EXPECT_FALSE(form.Button_Start->isEnabled());
    EXPECT_FALSE(Item("N_Start")->isEnabled());
    EXPECT_FALSE(Item("N_Scenar")->isEnabled());
    EXPECT_FALSE(form.Button_SaveData->isEnabled());
    EXPECT_FALSE(RecordingOn);
    EXPECT_FALSE(form.Button_SaveData->isDown());
    EXPECT_TRUE(settingsRefreshed);

    // Pressed again: the playback window closes and everything comes back.
    form.Button_PlayData->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(PlaybackOn);
    EXPECT_TRUE(form.Button_Start->isEnabled());
    EXPECT_TRUE(form.Button_SaveData->isEnabled());
    EXPECT_FALSE(form.Button_PlayData->isDown());
}

TEST_F(DataCommandsTest, PlaybackThatWillNotCloseKeepsPlaying) {
    TMainForm &form = Start();
    struct Stubborn : QLabel {
        void closeEvent(QCloseEvent *event) override { event->ignore(); }
    };
    auto *stubborn = new Stubborn;
    PlayForm = stubborn;
    PlaybackOn = true;
    form.Button_PlayData->click();
    EXPECT_TRUE(PlaybackOn);
    EXPECT_FALSE(form.Button_Start->isEnabled());
    delete stubborn;
}

TEST_F(DataCommandsTest, RecordingButtonAndMenuItemFollowEachOther) {
    TMainForm &form = Start();
    RecordChangeMask = 0;
    form.Button_SaveData->click();
    EXPECT_TRUE(RecordingOn);
    EXPECT_EQ(RecordChangeMask & 0x01, 0x01);
    EXPECT_TRUE(Item("NSaveData")->isChecked());
    EXPECT_TRUE(form.Button_SaveData->isDown());
    Item("NSaveData")->trigger();
    EXPECT_FALSE(RecordingOn);
    EXPECT_FALSE(Item("NSaveData")->isChecked());
    EXPECT_FALSE(form.Button_SaveData->isDown());
    // Every Stop ends the recording.
    Item("NSaveData")->trigger();
    ASSERT_TRUE(RecordingOn);
    form.StopMeasurement(QString(), false);
    EXPECT_FALSE(RecordingOn);
    EXPECT_FALSE(Item("NSaveData")->isChecked());
    EXPECT_FALSE(form.Button_SaveData->isDown());
}

TEST_F(DataCommandsTest, SaveConfigurationNamesAndOverwriteQuestion) {
    TMainForm &form = Start();
    const QString workingFolder = QDir::currentPath();
    QDir(dir.path()).mkdir(QStringLiteral("cfg"));
    dir.write(QStringLiteral("cfg/a.b.cfg"), "old");
    form.DirCfgFile = dir.path(QStringLiteral("Config/"));
    form.ConfigFileName.clear();
    // No reopens the dialog; the second dialog is cancelled.
    answer = IdNo;
    answers = {dir.path(QStringLiteral("cfg/a.b.txt"))};
    form.N_SaveConfigClick();
    ASSERT_EQ(choices.size(), 2u);
    EXPECT_TRUE(choices[0].Save);
    EXPECT_EQ(choices[0].Title, "Сохранить конфигурацию");
    EXPECT_EQ(choices[0].FileName, "noname");
    EXPECT_EQ(choices[0].Folder, dir.path(QStringLiteral("Config/")));
    EXPECT_EQ(choices[0].Filter, "Файл конфигурации( *.cfg) (*.cfg)");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Имя '" + dir.path(QStringLiteral("cfg/a.b.cfg")) + "' уже существует! Перезаписать?");
    EXPECT_EQ(messages[0].caption, "Внимание!");
    EXPECT_EQ(choices[1].Folder, dir.path(QStringLiteral("cfg/")));
    EXPECT_EQ(choices[1].FileName, "a.b.txt");
    EXPECT_EQ(form.DirCfgFile, dir.path(QStringLiteral("cfg/")));
    EXPECT_EQ(QDir::currentPath(), workingFolder);

    // Yes: the configuration replaces the old file once it has been written whole.
    messages.clear();
    choices.clear();
    answer = IdYes;
    dir.write(QStringLiteral("cfg/test.cfg"), "old");
    answers = {dir.path(QStringLiteral("cfg/test"))};
    form.N_SaveConfigClick();
    EXPECT_EQ(choices.size(), 1u);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Имя '" + dir.path(QStringLiteral("cfg/test.cfg")) + "' уже существует! Перезаписать?");
    EXPECT_TRUE(dir.read(QStringLiteral("cfg/test.cfg")).startsWith(ToCp1251(QStringLiteral("[Общие]\r\nВерсия="))));
    EXPECT_EQ(form.ConfigFileName, dir.path(QStringLiteral("cfg/test")));
}

TEST_F(DataCommandsTest, LoadConfigurationRemembersFileAndFolder) {
    TMainForm &form = Start();
    QDir(dir.path()).mkdir(QStringLiteral("cfg"));
    dir.write(QStringLiteral("cfg/one.cfg"), ToCp1251(QStringLiteral("[Общие R9]\r\n")));
    form.ConfigFileName = QStringLiteral("/elsewhere/last.cfg");
    answers = {dir.path(QStringLiteral("cfg/one.cfg"))};
    form.N_LoadConfigClick();
    ASSERT_EQ(choices.size(), 1u);
    EXPECT_EQ(choices[0].Title, "Загрузить файл конфигурации");
    EXPECT_EQ(choices[0].FileName, "last.cfg");
    EXPECT_EQ(form.ConfigFileName, dir.path(QStringLiteral("cfg/one.cfg")));
    EXPECT_EQ(form.DirCfgFile, dir.path(QStringLiteral("cfg/")));
    // Cancelled: nothing changes.
    form.N_LoadConfigClick();
    EXPECT_EQ(form.ConfigFileName, dir.path(QStringLiteral("cfg/one.cfg")));
}

TEST_F(DataCommandsTest, ProtocolWithoutResultsSaysSo) {
    TMainForm &form = Start();
    form.show();
    SaveScreenshot(*form.ToolBar_Start, QStringLiteral("start-page"));
    DeviceSettings->ConnectionType = 0;
    form.Button_Protocol->click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Сохранение в протокол не произведено!\nРезультаты не готовы.");
    EXPECT_EQ(messages[0].caption, "Внимание!");
    EXPECT_FALSE(form.Button_Stop->isChecked());

    // On a line but nothing to take a snapshot of: the same.
    messages.clear();
    DeviceSettings->ConnectionType = 3;
    form.Button_Protocol->click();
    EXPECT_EQ(messages.size(), 1u);
}

struct ProtocolCase {
    const char *name;
    int connectionType;
    bool remoteProtocol, masterDone, snapshot, playback, confirm;
    int signalKind;
    const char *calls;
    bool done;
};

// The protocol button's paths: what it asks of the protocol writer and the snapshots, in order.
TEST_F(DataCommandsTest, ProtocolPaths) {
    const ProtocolCase cases[] = {
        {"snapshot", 3, false, false, true, false, true, 1, "remote? master? snapshot(1) comment entry(0,c)", true},
        {"snapshot in playback", 3, false, false, true, true, true, 2,
         "remote? master? snapshot(2) comment entry(0,c) entry(1,)", true},
        {"snapshot cancelled", 3, false, false, true, false, false, 1, "remote? master? snapshot(1) comment", true},
        {"master done", 3, false, true, true, false, true, 2,
         "remote? master? comment entry(0,c) snapshot(2) entry(0,c)", true},
        {"master done on SIN", 3, false, true, true, true, true, 1, "remote? master? comment entry(0,c) entry(1,)",
         true},
        {"remote protocol first", 3, true, false, false, false, true, 1, "remote? close master? snapshot(1)", false},
        {"type 6 in playback", 6, false, false, true, true, true, 1, "remote? entry(1,)", true},
        {"type 1 live", 1, false, false, true, false, true, 1, "remote?", false},
    };
    TMainForm &form = Start();
    for (const ProtocolCase &c : cases) {
        SCOPED_TRACE(c.name);
        QStringList calls;
        bool pausedDuringComment = false;
        TDataCommandServices &services = DataCommandServices();
        services.ProtocolWrittenRemotely = [&] {
            calls << "remote?";
            return c.remoteProtocol;
        };
        services.LocalMasterDone = [&] {
            // The protocol of the remote control was filed before anything else.
            if (c.remoteProtocol)
                calls << "close";
            calls << "master?";
            return c.masterDone;
        };
        services.SaveKindProtocol = [&](int kind) {
            calls << QStringLiteral("snapshot(%1)").arg(kind);
            return c.snapshot;
        };
        services.AskProtocolComment = [&]() -> std::optional<QString> {
            calls << "comment";
            pausedDuringComment = form.Button_Stop->isChecked();
            return c.confirm ? std::optional<QString>(QStringLiteral("c")) : std::nullopt;
        };
        services.AddProtocolEntry = [&](int remote, const QString &comment) {
            calls << QStringLiteral("entry(%1,%2)").arg(remote).arg(comment);
        };
        DeviceSettings->ConnectionType = int16_t(c.connectionType);
        PlaybackOn = c.playback;
        SignalKind = c.signalKind;
        messages.clear();
        form.Button_ProtocolClick();
        EXPECT_EQ(calls.join(' '), QString::fromLatin1(c.calls));
        EXPECT_EQ(messages.empty(), c.done);
        if (calls.contains(QStringLiteral("comment")))
            EXPECT_TRUE(pausedDuringComment);
        EXPECT_FALSE(form.Button_Stop->isChecked());
    }
    PlaybackOn = false;
}

// Batch work writes the protocol without the comment dialog.
TEST_F(DataCommandsTest, ProtocolInBatchModeAsksNothing) {
    TMainForm &form = Start();
    PackageWork = new TPackageWork(dir.path(QStringLiteral("none.lst")));
    QStringList calls;
    DataCommandServices().SaveKindProtocol = [](int) { return true; };
    DataCommandServices().AskProtocolComment = [&]() -> std::optional<QString> {
        calls << "comment";
        return std::nullopt;
    };
    DataCommandServices().AddProtocolEntry = [&](int remote, const QString &) { calls << QString::number(remote); };
    DeviceSettings->ConnectionType = 3;
    form.Button_ProtocolClick();
    EXPECT_EQ(calls.join(' '), "0");
}

} // namespace
