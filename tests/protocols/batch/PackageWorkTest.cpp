// Batch control on a temporary program folder: the schedule, the mailbox and the log, with the windows it
// drives replaced by recorders.
#include "protocols/PackageWork.h"
#include "platform/Cp1251.h"
#include "protocols/BatchTargets.h"
#include "support/TempProgramDir.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

namespace {

class PackageWorkTest : public ::testing::Test {
protected:
    PackageWorkTest() {
        BatchTargets &targets = BatchControlTargets();
        targets = {};
        targets.StartMeasurement = [this] { actions << QStringLiteral("start"); };
        targets.StopMeasurement = [this] { actions << QStringLiteral("stop"); };
        targets.SaveProtocol = [this](const QString &comment) { actions << QStringLiteral("save:") + comment; };
        targets.LoadConfig = [this](const QString &name) {
            actions << QStringLiteral("config:") + name;
            return true;
        };
        dir.write(QStringLiteral("a.scn"), "[Сценарий]\r\n");
        dir.write(QStringLiteral("b.cfg"), "[Общие R9]\r\n");
    }
    ~PackageWorkTest() override { BatchControlTargets() = {}; }

    // A controller over a schedule of the given lines (CRLF, windows-1251), wired to record what it asks of
    // the main window.
    std::unique_ptr<TPackageWork> Controller(const QStringList &lines) {
        dir.write(QStringLiteral("plan.lst"), ToCp1251(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")));
        auto work = std::make_unique<TPackageWork>(dir.path(QStringLiteral("plan.lst")));
        work->OnStartPolling = [this](int period) { polling = period; };
        work->OnStopPolling = [this] { polling = 0; };
        work->OnCloseRequest = [this] { ++closeRequests; };
        return work;
    }

    // The log's texts without their source prefix and time stamp.
    QStringList LogTexts() const {
        QStringList texts;
        static const QRegularExpression stamp(QStringLiteral("^R9_307\\.(mng|exe): [0-9.]+( [0-9:]+)? "));
        for (QString line : FromCp1251(dir.read(QStringLiteral("R9_307.msg"))).split(QStringLiteral("\r\n"))) {
            if (line.isEmpty())
                continue;
            EXPECT_TRUE(line.contains(stamp)) << line.toStdString();
            line.remove(stamp);
            texts << line.chopped(line.endsWith(u' ') ? 1 : 0);
        }
        return texts;
    }

    void Mail(const QByteArray &bytes) const { dir.write(QStringLiteral("R9_307.mng"), bytes); }

    TempProgramDir dir;
    QStringList actions;
    int polling = 0;
    int closeRequests = 0;
};

TEST_F(PackageWorkTest, ScheduleKeysAndTheirFaults) {
    const QString scenario = dir.path(QStringLiteral("a.scn"));
    const QString config = dir.path(QStringLiteral("b.cfg"));
    struct Case {
        const char *what;
        QStringList lines;
        int code;
        QString resultPath, scenarioName, configName, usbPort;
        bool closeAtEnd;
        int period;
        QStringList log; // the lines before the end line
    };
    const Case cases[] = {
        {"a full schedule",
         {"CLOSE_PROGRAM = yes", "USB_PORT = 00 42", "TIME_PERIOD_MS = 1 00", "SCENARIO_NAME =  " + scenario,
          "RESULT_PATH = C:\\R"},
         0,
         "C:/R/",
         scenario,
         "",
         "0042",
         true,
         100,
         {"Загружен сценарий " + scenario}},
        {"a path that holds a key's name is a value, not a key",
         {"SCENARIO_NAME=" + scenario, "RESULT_PATH=/out/USB_PORT/TIME_PERIOD_MS/"},
         0,
         "/out/USB_PORT/TIME_PERIOD_MS/",
         scenario,
         "",
         "",
         true,
         1000,
         {"Загружен сценарий " + scenario}},
        {"a comment line is skipped even with a key",
         {"CONFIG_NAME=" + config, "==SCENARIO_NAME=" + scenario},
         0,
         "",
         "",
         config,
         "",
         true,
         1000,
         {"Загружена конфигурация " + config}},
        {"a key given twice keeps its last value",
         {"CONFIG_NAME=/nowhere.cfg", "CONFIG_NAME=" + config},
         0,
         "",
         "",
         config,
         "",
         true,
         1000,
         {"Загружена конфигурация " + config}},
        {"CLOSE_PROGRAM without a value keeps the program open",
         {"CLOSE_PROGRAM", "CONFIG_NAME=" + config},
         0,
         "",
         "",
         config,
         "",
         false,
         1000,
         {"Загружена конфигурация " + config}},
        {"CLOSE_PROGRAM other than yes",
         {"CLOSE_PROGRAM=NO", "CONFIG_NAME=" + config},
         0,
         "",
         "",
         config,
         "",
         false,
         1000,
         {"Загружена конфигурация " + config}},
        {"TIME_PERIOD_MS without a value goes on at 1000",
         {"TIME_PERIOD_MS=50", "TIME_PERIOD_MS", "CONFIG_NAME=" + config},
         0,
         "",
         "",
         config,
         "",
         true,
         1000,
         {"Синтаксическая ошибка в строке TIME_PERIOD_MS файла-расписания", "Загружена конфигурация " + config}},
        {"a period that is no number ends the parsing",
         {"SCENARIO_NAME=" + scenario, "TIME_PERIOD_MS=abc"},
         -2,
         "",
         scenario,
         "",
         "",
         true,
         1000,
         {}},
        {"USB_PORT without a value",
         {"USB_PORT", "CONFIG_NAME=" + config},
         -5,
         "",
         "",
         "",
         "",
         true,
         1000,
         {"Синтаксическая ошибка в строке USB_PORT файла-расписания",
          "Не задано имя сценария или конфигурациив строке SCENARIO_NAME или CONFIG_NAME файла-расписания"}},
        {"an empty result folder",
         {"SCENARIO_NAME=" + scenario, "RESULT_PATH =  "},
         -5,
         "",
         scenario,
         "",
         "",
         true,
         1000,
         {"Не задан каталог результатов в строке RESULT_PATH файла-расписания"}},
        {"RESULT_PATH without a value",
         {"SCENARIO_NAME=" + scenario, "RESULT_PATH"},
         -5,
         "",
         scenario,
         "",
         "",
         true,
         1000,
         {"Синтаксическая ошибка в строке RESULT_PATH файла-расписания"}},
        {"a missing scenario",
         {"SCENARIO_NAME=/nowhere/x.scn"},
         -5,
         "",
         "",
         "",
         "",
         true,
         1000,
         {"Сценарий /nowhere/x.scn не найден"}},
        {"a missing configuration",
         {"CONFIG_NAME=/nowhere/x.cfg"},
         -5,
         "",
         "",
         "",
         "",
         true,
         1000,
         {"Конфигурация  /nowhere/x.cfg не найдена"}},
        {"neither",
         {"RESULT_PATH=/r/"},
         -5,
         "/r/",
         "",
         "",
         "",
         true,
         1000,
         {"Не задано имя сценария или конфигурациив строке SCENARIO_NAME или CONFIG_NAME файла-расписания"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(dir.path(QStringLiteral("R9_307.msg")));
        closeRequests = 0;
        polling = 0;
        auto work = Controller(c.lines);
        work->Start();
        EXPECT_EQ(work->ResultCode, c.code);
        EXPECT_EQ(closeRequests, c.code != 0 ? 1 : 0);
        EXPECT_EQ(polling, c.code == 0 ? c.period : 0) << "the mailbox is polled only by a run that goes on";
        EXPECT_EQ(work->ResultPath, c.resultPath);
        EXPECT_EQ(work->ScenarioName, c.scenarioName);
        EXPECT_EQ(work->ConfigName, c.configName);
        EXPECT_EQ(work->UsbPort, c.usbPort);
        EXPECT_EQ(work->CloseAtEnd, c.closeAtEnd);
        EXPECT_EQ(work->PollPeriod, c.period);
        EXPECT_EQ(LogTexts(), c.log);
    }
}

TEST_F(PackageWorkTest, TheEndLineFollowsTheLastCode) {
    auto work = Controller({"SCENARIO_NAME=" + dir.path(QStringLiteral("a.scn")), "TIME_PERIOD_MS=abc"});
    work->Start();
    work.reset();
    EXPECT_EQ(LogTexts(), QStringList{QStringLiteral("Синтаксическая ошибка в файле-расписании")});

    QFile::remove(dir.path(QStringLiteral("R9_307.msg")));
    closeRequests = 0;
    work = Controller({"CONFIG_NAME=" + dir.path(QStringLiteral("b.cfg"))});
    work->Finish(-3);
    work->Finish(-5);
    EXPECT_EQ(closeRequests, 1) << "one close request for any number of ends";
    work.reset();
    EXPECT_EQ(LogTexts(), QStringList{QStringLiteral("Закрытие программы.")});
}

TEST_F(PackageWorkTest, LongScheduleLinesAreReadWhole) {
    const QString folder = dir.path(QStringList(6, QStringLiteral("x").repeated(60)).join(u'/'));
    QDir().mkpath(folder);
    const QString scenario = folder + QStringLiteral("/a.scn");
    QFile::copy(dir.path(QStringLiteral("a.scn")), scenario);
    auto work = Controller({"SCENARIO_NAME=" + scenario});
    work->Start();
    EXPECT_EQ(work->ResultCode, 0);
    EXPECT_EQ(work->ScenarioName, scenario);
}

TEST_F(PackageWorkTest, TheInstrumentNamedInTheScheduleMustBeConnected) {
    BatchTargets &targets = BatchControlTargets();
    QString shown;
    targets.InstrumentOnUsb = [] { return true; };
    targets.ListInstrumentNames = [] { return QStringList{"R-9_307 0001 A", "R-9_307 0042 A"}; };
    targets.ShowInstrument = [&shown](const QString &name) { shown = name; };

    auto work = Controller({"USB_PORT=0042", "CONFIG_NAME=" + dir.path(QStringLiteral("b.cfg"))});
    work->Start();
    EXPECT_EQ(work->ResultCode, 0);
    EXPECT_EQ(shown, QStringLiteral("R-9_307 0042"));

    QFile::remove(dir.path(QStringLiteral("R9_307.msg")));
    shown.clear();
    actions.clear();
    work.reset();
    work = Controller({"USB_PORT=0007", "CONFIG_NAME=" + dir.path(QStringLiteral("b.cfg"))});
    work->Start();
    EXPECT_EQ(work->ResultCode, -3);
    EXPECT_TRUE(shown.isEmpty());
    EXPECT_FALSE(actions.contains(QStringLiteral("config:") + dir.path(QStringLiteral("b.cfg"))))
        << "nothing is loaded for a missing instrument";
    work.reset();
    EXPECT_EQ(LogTexts(), (QStringList{"R-9_307 0007 не найден!", "Нет доступного порта или порт занят."}));
    EXPECT_TRUE(FromCp1251(dir.read(QStringLiteral("R9_307.msg"))).startsWith(QStringLiteral("R9_307.exe: ")));

    // In demonstration mode no instrument is looked for.
    targets.InstrumentOnUsb = [] { return false; };
    work.reset();
    work = Controller({"USB_PORT=0007", "CONFIG_NAME=" + dir.path(QStringLiteral("b.cfg"))});
    work->Start();
    EXPECT_EQ(work->ResultCode, 0);
}

TEST(MailboxLineTest, SplitsCommandAndArgument) {
    struct Case {
        QByteArray bytes;
        bool present;
        QString command, argument;
        bool complete;
    };
    const Case cases[] = {
        {"START_SCN\r\n", true, "START_SCN", "", true},
        {"  start_scn  \r\n", true, "start_scn", "", true},
        {"NEW_CFG=\r\n", true, "NEW_CFG", "", true},
        {"SAVE_PRT =  two words = one\r\nCLOSE\r\n", true, "SAVE_PRT", "two words = one", true},
        {"CLOSE", true, "CLOSE", "", false},
        {QByteArray("NONE\r\n\0", 7), true, "NONE", "", true},
        {QByteArray("\0CLOSE\r\n", 8), false, "", "", false},
        {"", false, "", "", false},
        {"NEW_SCN=\xC0.scn\n", true, "NEW_SCN", "А.scn", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.bytes.toStdString());
        const std::optional<MailboxLine> line = ReadMailboxLine(c.bytes);
        ASSERT_EQ(line.has_value(), c.present);
        if (!line)
            continue;
        EXPECT_EQ(line->Command, c.command);
        EXPECT_EQ(line->Argument, c.argument);
        EXPECT_EQ(line->Complete, c.complete);
    }
}

TEST_F(PackageWorkTest, MailboxCommandsAreAcknowledgedBeforeTheyAreCarriedOut) {
    auto work = Controller({"CONFIG_NAME=" + dir.path(QStringLiteral("b.cfg")), "TIME_PERIOD_MS=100"});
    work->Start();
    ASSERT_EQ(work->ResultCode, 0);
    QByteArray mailboxWhenStarted;
    BatchControlTargets().StartMeasurement = [&] { mailboxWhenStarted = dir.read(QStringLiteral("R9_307.mng")); };

    const QByteArray none("NONE\r\n\0", 7);
    struct Step {
        QByteArray mail;
        QString action; // what the main window was asked, empty for nothing
        QString log;    // the last log line, empty when nothing was logged
        bool acknowledged;
    };
    const Step steps[] = {
        {" start_r9 \r\n", "", "Получена команда START_R9", true},
        {"STOP_R9\r\n", "stop", "Получена команда STOP_R9", true},
        {ToCp1251(QStringLiteral("SAVE_PRT= Кабель 3\r\n")), "save:Кабель 3", "Получена команда SAVE_PRT", true},
        {"NEW_CFG=\r\n", "", "Не задано имя конфигурации в команде NEW_CFG", true},
        {"NEW_CFG=/nowhere.cfg\r\n", "", "Конфигурация /nowhere.cfg не найдена", true},
        {"NEW_CFG=" + ToCp1251(dir.path(QStringLiteral("b.cfg"))) + "\r\n",
         "config:" + dir.path(QStringLiteral("b.cfg")), "Загружена конфигурация " + dir.path(QStringLiteral("b.cfg")),
         true},
        {"NEW_SCN\r\n", "", "Не задано имя сценария в команде NEW_SCN", true},
        {"NEW_SCN=/nowhere.scn\r\n", "", "Cценарий /nowhere.scn не найден", true},
        {"HELLO\r\n", "", "", false},
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(step.mail.toStdString());
        QFile::remove(dir.path(QStringLiteral("R9_307.msg")));
        actions.clear();
        Mail(step.mail);
        work->PollCommandFile();
        EXPECT_EQ(dir.read(QStringLiteral("R9_307.mng")), step.acknowledged ? none : step.mail);
        EXPECT_EQ(actions.value(0), step.action);
        EXPECT_EQ(LogTexts().value(LogTexts().size() - 1), step.log);
        EXPECT_EQ(polling, 100) << "polling goes on after every command but CLOSE";
    }
    EXPECT_EQ(mailboxWhenStarted, none) << "the acknowledgement is on disk before the command runs";
}

TEST_F(PackageWorkTest, AnUnfinishedLineIsTakenOnceItStaysTheSame) {
    auto work = Controller({"CONFIG_NAME=" + dir.path(QStringLiteral("b.cfg"))});
    work->Start();
    Mail("STO");
    work->PollCommandFile();
    Mail("STOP_R9");
    work->PollCommandFile();
    EXPECT_TRUE(actions.filter(QStringLiteral("stop")).isEmpty()) << "still being written";
    work->PollCommandFile();
    EXPECT_EQ(actions.filter(QStringLiteral("stop")).size(), 1);
    EXPECT_EQ(dir.read(QStringLiteral("R9_307.mng")), QByteArray("NONE\r\n\0", 7));
}

TEST_F(PackageWorkTest, NothingIsReadAfterClose) {
    auto work = Controller({"CONFIG_NAME=" + dir.path(QStringLiteral("b.cfg"))});
    work->Start();
    Mail("CLOSE\r\n");
    work->PollCommandFile();
    EXPECT_EQ(work->ResultCode, -5);
    EXPECT_EQ(closeRequests, 1);
    EXPECT_EQ(polling, 0);
    work->ResumePolling();
    EXPECT_EQ(polling, 0) << "a Stop during the close does not wake the mailbox";
    Mail("START_R9\r\n");
    EXPECT_EQ(dir.read(QStringLiteral("R9_307.mng")), QByteArray("START_R9\r\n"));
    work.reset();
    EXPECT_EQ(LogTexts(), (QStringList{"Загружена конфигурация " + dir.path(QStringLiteral("b.cfg")),
                                       "Получена команда CLOSE", "Закрытие программы."}));
}

TEST_F(PackageWorkTest, PollingResumesAfterAStopOfTheProgramsOwnAccord) {
    auto work = Controller({"CONFIG_NAME=" + dir.path(QStringLiteral("b.cfg")), "TIME_PERIOD_MS=250"});
    work->Start();
    polling = 0; // the Stop turned the timer off
    work->ResumePolling();
    EXPECT_EQ(polling, 250);
    work->Finish(-5);
    polling = 0;
    work->ResumePolling();
    EXPECT_EQ(polling, 0) << "never after a posted close";
}

TEST_F(PackageWorkTest, ScenarioCommandsNeedTheScenarioWindow) {
    auto work = Controller({"CONFIG_NAME=" + dir.path(QStringLiteral("b.cfg"))});
    work->Start();
    Mail("START_SCN\r\n");
    work->PollCommandFile();
    EXPECT_EQ(LogTexts().last(), QStringLiteral("Получена команда START_SCN")) << "no window: nothing more";

    bool running = false;
    BatchControlTargets().StartScenario = [&running] { running = true; };
    BatchControlTargets().ScenarioRunning = [&running] { return running; };
    BatchControlTargets().PauseScenario = [&running] { running = false; };
    work->ScenarioName = QStringLiteral("a.scn");
    Mail("START_SCN\r\n");
    work->PollCommandFile();
    EXPECT_EQ(LogTexts().last(), QStringLiteral("Исполнение сценария a.scn"));
    Mail("BREAK_SCN\r\n");
    work->PollCommandFile();
    EXPECT_FALSE(running);
    EXPECT_EQ(LogTexts().last(), QStringLiteral("Прерван пользователем."));
    work->CloseAtEnd = true;
    work->ScenarioFinished();
    EXPECT_EQ(LogTexts().last(), QStringLiteral("Завершен сценарий a.scn"));
    EXPECT_EQ(work->ResultCode, -5);
}

} // namespace
