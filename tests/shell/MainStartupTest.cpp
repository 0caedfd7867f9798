#include "MainFixture.h"

#include "chartlib/Chartlib.h"
#include "platform/Cp1251.h"
#include "platform/InstanceLock.h"
#include "shell/StatusBar2.h"
#include "shell/WinMain.h"
#include "shell/WindowRegistries.h"
#include "state/DeviceSettings.h"

#include <QAction>
#include <QDir>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QToolButton>

TEST_F(MainWindowTest, CommandLineSwitchesInAnyOrderAndCase) {
    dir.write(QStringLiteral("plan.lst"), "CONFIG_NAME=x\r\n");
    struct Case {
        QStringList arguments;
        int connectionKind;
        const char *programName;
        bool technology;
        int spectrumStep;
        bool batch;
    };
    const Case cases[] = {
        {{}, 1, "R9_307", false, 8, false},
        {{"/DEMO"}, 0, "R9 ДЕМО-режим", false, 8, false},
        {{"/Technology", "/demo"}, 0, "R9 ДЕМО-режим", true, 8, false},
        {{"/spectr_full"}, 1, "R9_307", false, 0, false},
        {{"PLAN.LST", "/Demo"}, 0, "R9 ДЕМО-режим", false, 8, true},
        {{"plan.lst"}, 1, "R9_307", false, 8, true},
        {{"missing.lst"}, 1, "R9_307", false, 8, false},
        {{"/demox", "demo"}, 1, "R9_307", false, 8, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        SetUp();
        TMainForm &form = Start(c.arguments);
        EXPECT_EQ(ConnectionKind, c.connectionKind);
        EXPECT_EQ(ProgramName, QString::fromUtf8(c.programName));
        EXPECT_EQ(TechnologyMode, c.technology);
        EXPECT_EQ(form.Memo1->isHidden(), !c.technology);
        EXPECT_EQ(SpectrumTableMinStep, c.spectrumStep);
        EXPECT_EQ(PackageWork != nullptr, c.batch);
        // The caption is set before the command line is read.
        EXPECT_EQ(form.CaptionText, QStringLiteral("R9_307"));
        TearDown();
    }
}

TEST_F(MainWindowTest, StartUpCreatesTheFoldersAndIssuesTheFirstCommands) {
    QDir().mkpath(dir.path(QStringLiteral("Config")));
    dir.write(QStringLiteral("Config/keep.cfg"), "x");
    TMainForm &form = Start();
    for (const char *folder : {"Picture", "Data", "Report", "Masks", "Config"})
        EXPECT_TRUE(QDir(dir.path(QLatin1String(folder))).exists()) << folder;
    EXPECT_EQ(dir.read(QStringLiteral("Config/keep.cfg")), QByteArray("x"));
    EXPECT_EQ(form.ConfigDir, dir.path(QStringLiteral("Config/")));
    EXPECT_EQ(form.IniFileName, dir.path(QStringLiteral("R9.ini")));
    EXPECT_EQ(ProgramVersionText, QStringLiteral("V6.11"));
    // 0x804 and, once the default sample rate was applied, 0x101: nothing can be issued without a connection.
    EXPECT_EQ(DeviceSettings->Mode, 0x905);
    EXPECT_EQ(form.StatusBar2->PanelText(1), QStringLiteral("256 кГц"));
    EXPECT_FLOAT_EQ(DeviceSettings->SampleRate, 640.0f);
    EXPECT_TRUE(messages.empty());
}

// A batch run files it away too, but tells nobody: neither a box nor a line of the batch log.
TEST_F(MainWindowTest, AProtocolLeftOpenIsFiledAwayWithANotice) {
    for (const bool batch : {false, true}) {
        SCOPED_TRACE(batch);
        SetUp();
        messages.clear();
        for (const char *page : {"_Start_1.html", "cnt0_1.html", "cnt1_1.html"}) {
            QDir().mkpath(dir.path(QStringLiteral("Report/Temp1")));
            dir.write(QStringLiteral("Report/Temp1/") + QLatin1String(page), "<html/>");
        }
        dir.write(QStringLiteral("plan.lst"), "CONFIG_NAME=x\r\n");
        Start(batch ? QStringList{QStringLiteral("plan.lst")} : QStringList{});
        EXPECT_EQ(PackageWork != nullptr, batch);
        EXPECT_TRUE(QFile::exists(dir.path(QStringLiteral("Report/UnsavedProtocol/_Start_1.html"))));
        EXPECT_FALSE(QFile::exists(dir.path(QStringLiteral("Report/Temp1/_Start_1.html"))));
        EXPECT_FALSE(FromCp1251(dir.read(QStringLiteral("R9_307.msg"))).contains(QStringLiteral("несохраненные")));
        if (batch) {
            EXPECT_TRUE(messages.empty());
        } else {
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_TRUE(messages[0].text.startsWith(QStringLiteral("Все несохраненные протоколы из каталога \n")));
            EXPECT_EQ(messages[0].caption, QStringLiteral("Внимание!"));
        }
        TearDown();
    }
}

// A protocol filed away earlier holds the same page names: the new pages are appended to the old ones
// (the old frameset stays, it shows them all), nothing goes to a folder of its own, and nothing is lost.
TEST_F(MainWindowTest, AProtocolFiledAwayTwiceIsAppended) {
    QDir().mkpath(dir.path(QStringLiteral("Report/UnsavedProtocol")));
    dir.write(QStringLiteral("Report/UnsavedProtocol/_Start_1.html"), "old");
    dir.write(QStringLiteral("Report/UnsavedProtocol/cnt0_1.html"), "old list\n");
    QDir().mkpath(dir.path(QStringLiteral("Report/Temp1")));
    for (const char *page : {"_Start_1.html", "cnt0_1.html", "cnt1_1.html"})
        dir.write(QStringLiteral("Report/Temp1/") + QLatin1String(page), "new\n");
    Start();
    EXPECT_EQ(dir.read(QStringLiteral("Report/UnsavedProtocol/_Start_1.html")), QByteArray("old"));
    EXPECT_EQ(dir.read(QStringLiteral("Report/UnsavedProtocol/cnt0_1.html")), QByteArray("old list\nnew\n"));
    EXPECT_TRUE(dir.read(QStringLiteral("Report/UnsavedProtocol/cnt1_1.html")).endsWith("</HEAD>\n<BODY>\nnew\n</table>\n"));
    EXPECT_TRUE(QDir(dir.path(QStringLiteral("Report/Temp1"))).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(QDir(dir.path(QStringLiteral("Report/UnsavedProtocol")))
                    .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
                    .isEmpty());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].text.endsWith(QStringLiteral("перемещены в каталог \n") +
                                          dir.path(QStringLiteral("Report/UnsavedProtocol/"))));
}

TEST(DefaultConfig, FallbackOrder) {
    TempProgramDir dir;
    const QString config = dir.path(QStringLiteral("Config/"));
    QDir().mkpath(config);
    struct Case {
        std::vector<const char *> present;
        int instance;
        const char *expected;
    };
    const Case cases[] = {
        {{}, 1, ""},
        {{"default2.cfg"}, 1, "default2.cfg"},
        {{"default.cfg", "default2.cfg"}, 3, "default2.cfg"},
        {{"default1.cfg", "default3.cfg"}, 3, "default3.cfg"},
        {{"default1.cfg", "default2.cfg"}, 2, "default2.cfg"},
        {{"default.cfg"}, 2, "default.cfg"},
        {{"Default1.CFG.bak"}, 1, ""},
    };
    for (const Case &c : cases) {
        for (const QString &name : QDir(config).entryList(QDir::Files))
            QFile::remove(config + name);
        for (const char *name : c.present)
            dir.write(QStringLiteral("Config/") + QLatin1String(name), "x");
        const QString expected = *c.expected ? config + QLatin1String(c.expected) : QString();
        EXPECT_EQ(FindDefaultConfig(config, c.instance), expected) << c.instance << " " << c.expected;
    }
}

TEST_F(MainWindowTest, AnExistingDefaultConfigurationIsTriedWithoutAnError) {
    QDir().mkpath(dir.path(QStringLiteral("Config")));
    dir.write(QStringLiteral("Config/default2.cfg"), ToCp1251(QStringLiteral("[Общие R9]\r\n")));
    TMainForm &form = Start();
    form.FormStorage1RestorePlacement();
    EXPECT_TRUE(messages.empty()) << (messages.empty() ? std::string() : messages[0].text.toStdString());
}

// A master that ran when the measurement stopped is not restored as running by the next start: the
// default configuration holds it stopped, while the session that saved it keeps its run.
TEST_F(MainWindowTest, AMasterIsNeverRestoredAsRunningAfterARestart) {
    TMainForm &form = Start();
    DeviceSettings->ConnectionType = 3;
    DeviceSettings->MasterF.State = 2;
    DeviceSettings->MasterL.State = 0;
    form.SaveDefaultConfig();
    EXPECT_EQ(DeviceSettings->MasterF.State, 2) << "the running session keeps its master";
    window.reset();
    TMainForm &next = Start();
    next.FormStorage1RestorePlacement();
    EXPECT_EQ(DeviceSettings->MasterF.State, 0);
    EXPECT_EQ(DeviceSettings->MasterL.State, 0);
    EXPECT_TRUE(messages.empty()) << (messages.empty() ? std::string() : messages[0].text.toStdString());
}

TEST_F(MainWindowTest, AnsweringNoToTheCloseQuestionLeavesR9IniUntouched) {
    TMainForm &form = Start();
    form.show();
    const QByteArray before = "[R9_307]\r\nClientTop=5\r\n[R-9]\r\nFormVersion=0\r\n";
    dir.write(QStringLiteral("R9.ini"), before);
    answer = IdNo;
    EXPECT_FALSE(form.close());
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back().text, QStringLiteral("Вы хотите завершить работу?"));
    EXPECT_EQ(dir.read(QStringLiteral("R9.ini")), before);
    EXPECT_TRUE(form.isVisible());

    answer = IdYes;
    EXPECT_TRUE(form.close());
    EXPECT_NE(dir.read(QStringLiteral("R9.ini")), before);
}

TEST_F(MainWindowTest, AFourthCopyIsToldAndGetsNoNumber) {
    TInstanceLock copies[3];
    for (TInstanceLock &copy : copies)
        ASSERT_EQ(copy.Acquire(3), TInstanceLock::Taken);
    TInstanceLock fourth;
    EXPECT_EQ(TakeInstanceNumber(fourth), 0);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, QStringLiteral("Больше 3-х копий задачи запускать нельзя!"));
    copies[1].Release();
    EXPECT_EQ(TakeInstanceNumber(fourth), 2);
    EXPECT_EQ(InstanceNumber, 2);
}

// A file that cannot be opened is one line of the batch log, marked as a file message ("R9_307.mng: "),
// and the batch run goes on: no result code, no close of the program.
TEST_F(MainWindowTest, ABatchRunGoesOnPastAFileThatCannotBeOpened) {
    dir.write(QStringLiteral("plan.lst"), "CONFIG_NAME=x\r\n");
    TMainForm &form = Start({QStringLiteral("plan.lst")});
    ASSERT_NE(PackageWork, nullptr);
    bool closeAsked = false;
    PackageWork->OnCloseRequest = [&closeAsked] { closeAsked = true; };
    QFile::remove(dir.path(QStringLiteral("R9_307.msg")));
    std::unique_ptr<QFile> stream;
    EXPECT_FALSE(
        OpenFileStream(stream, dir.path(QStringLiteral("missing.cfg")), FileOpenMode::OpenRead, SeekOrigin::Begin));
    EXPECT_EQ(PackageWork->ResultCode, 0);
    EXPECT_FALSE(closeAsked);
    EXPECT_TRUE(messages.empty());
    const QString log = FromCp1251(dir.read(QStringLiteral("R9_307.msg")));
    EXPECT_TRUE(log.startsWith(QStringLiteral("R9_307.mng: "))) << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("Не могу открыть файл ") + dir.path(QStringLiteral("missing.cfg"))));
    EXPECT_TRUE(form.isEnabled());
}

// The service button is there only in service mode, also once the window and its tool bars are shown.
TEST_F(MainWindowTest, TheServiceButtonShowsOnlyWithTechnology) {
    for (const bool technology : {false, true}) {
        SCOPED_TRACE(technology);
        SetUp();
        TMainForm &form = Start(technology ? QStringList{QStringLiteral("/technology")} : QStringList{});
        form.show();
        QCoreApplication::processEvents();
        EXPECT_EQ(form.TlB_Tech->isVisible(), technology);
        TearDown();
    }
}
