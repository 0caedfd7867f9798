#include "MainFixture.h"

#include "chartlib/Chartlib.h"
#include "engine/EngineBuffers.h"
#include "engine/catalogue/ParameterTable.h"
#include "engine/evaluation/ProtocolSnapshot.h"
#include "link/Dspio9.h"
#include "link/Emulator.h"
#include "link/Ft_spi.h"
#include "link/Library.h"
#include "link/connection/Tr9sendgetcommand.h"
#include "platform/Clock.h"
#include "platform/DateTime.h"
#include "shell/Formend_unit.h"
#include "shell/StatusBar2.h"
#include "state/SettingsLoadState.h"
#include "storage/Configuration.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTimer>
#include <QToolButton>

#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

// Virtual time for the main thread's waits; other threads (the emulator) sleep in real time and leave
// the clock alone, so a wait bounded to 45000 ms runs in a moment whatever they do.
class MainThreadClock final : public VirtualClock {
public:
    MainThreadClock() : VirtualClock(100000, 1) {}
    void Sleep(uint32_t ms) override {
        if (std::this_thread::get_id() == owner_)
            Advance(ms);
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }

private:
    const std::thread::id owner_ = std::this_thread::get_id();
};

// An instrument of demonstration mode that never delivers a block: the peer that never answers.
class SilentEmulator final : public TEmulator {
public:
    void Resume() override {}
};

// Throws where the stop resumes it, as a failing link object would.
class ThrowingEmulator final : public TEmulator {
public:
    void Resume() override { throw std::runtime_error("resume failed"); }
};

class MainMeasurementTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        SettingsLoadState = 1;
        CommandFailed = false;
        MeasurementRunning = false;
        UserPaused = false;
    }
    void TearDown() override {
        window.reset();
        MainWindowTest::TearDown();
    }

    TMainForm &StartDemo() {
        TMainForm &form = Start({QStringLiteral("/demo")});
        messages.clear();
        return form;
    }

    // The window as after a successful Start, with `emulator` as the link.
    void MarkRunning(TMainForm &form, TEmulator *emulator) {
        Emulator = emulator;
        form.Button_Start->setChecked(true);
        form.Button_Start->setEnabled(false);
        form.Button_Stop->setEnabled(true);
        form.Button_Break->setEnabled(true);
        for (const char *item : {"N_Stop", "N_Break"})
            form.findChild<QAction *>(QLatin1String(item))->setEnabled(true);
        form.Timer1->start();
        MeasurementRunning = true;
    }

    static void ExpectIdleButtons(TMainForm &form) {
        EXPECT_TRUE(form.Button_Start->isEnabled());
        EXPECT_FALSE(form.Button_Start->isChecked());
        EXPECT_EQ(form.Button_Start->property("ImageIndex").toInt(), 0);
        EXPECT_FALSE(form.Button_Stop->isEnabled());
        EXPECT_FALSE(form.Button_Stop->isChecked());
        EXPECT_FALSE(form.Button_Break->isEnabled());
        EXPECT_EQ(form.Button_Stop->property("ImageIndex").toInt(), 2);
        EXPECT_TRUE(form.findChild<QAction *>(QStringLiteral("N_Start"))->isEnabled());
        EXPECT_FALSE(form.findChild<QAction *>(QStringLiteral("N_Stop"))->isEnabled());
        EXPECT_FALSE(form.findChild<QAction *>(QStringLiteral("N_Stop"))->isChecked());
        EXPECT_FALSE(form.findChild<QAction *>(QStringLiteral("N_Break"))->isEnabled());
        EXPECT_TRUE(form.Button_PlayData->isEnabled());
        EXPECT_TRUE(form.Button_SaveData->isEnabled());
        EXPECT_FALSE(form.Timer1->isActive());
        EXPECT_EQ(Emulator, nullptr);
        EXPECT_EQ(DspIo, nullptr);
        EXPECT_EQ(FtSpi, nullptr);
    }

    MainThreadClock clock;
};

TEST_F(MainMeasurementTest, TheWindowStartsIdle) {
    TMainForm &form = StartDemo();
    ExpectIdleButtons(form);
    for (const char *name :
         {"Panel_Time", "Panel_AdcDacErr", "Panel_SSTErr", "Panel_ComOver", "Panel_RecvErrCnt", "Panel_SendErrCnt",
          "Panel_RecvReqCnt", "Panel_SendReqCnt", "Panel_ComRdErrCnt", "Panel_ComWrErrCnt"})
        EXPECT_NE(form.findChild<QWidget *>(QLatin1String(name)), nullptr) << name;
}

TEST_F(MainMeasurementTest, StopWhenIdleLastsASecondAndShowsNoNotice) {
    TMainForm &form = StartDemo();
    const uint32_t start = GetTickCount();
    EXPECT_TRUE(form.StopMeasurement(QString(), false));
    EXPECT_GE(TicksSince(start), 1000u);
    EXPECT_LT(TicksSince(start), 1500u);
    EXPECT_EQ(FormEnd, nullptr);
    EXPECT_TRUE(messages.empty());
    ExpectIdleButtons(form);
    EXPECT_FALSE(MeasurementRunning);
}

// The snapshots of a measurement are not filed after it: Stop clears both and re-arms the automatic
// protocol.
TEST_F(MainMeasurementTest, StopClearsBothProtocolSnapshots) {
    TMainForm &form = StartDemo();
    for (TProtocolSnapshot *s : {&LocalProtocolSnapshot, &RemoteProtocolSnapshot}) {
        s->HasData = 1;
        s->MasterDone = 1;
        s->Results.assign(413, 1);
        s->Curves.assign(12, 2);
        s->Pictures[1] = std::make_unique<TSnapshotPicture>();
        s->NextTick = 0;
    }
    const uint64_t before = GetTickCount64();
    EXPECT_TRUE(form.StopMeasurement(QString(), false));
    for (TProtocolSnapshot *s : {&LocalProtocolSnapshot, &RemoteProtocolSnapshot}) {
        EXPECT_EQ(s->HasData, 0);
        EXPECT_EQ(s->MasterDone, 0);
        EXPECT_TRUE(s->Results.empty());
        EXPECT_TRUE(s->Curves.empty());
        EXPECT_FALSE(s->Pictures[1]);
        EXPECT_GE(s->NextTick, before);
    }
}

TEST_F(MainMeasurementTest, TheDefaultConfigurationIsWrittenOnlyAfterAMeasurement) {
    TMainForm &form = StartDemo();
    const QString stored = dir.path(QStringLiteral("Config/default1.cfg"));
    form.StopMeasurement(QString(), false);
    EXPECT_FALSE(QFileInfo::exists(stored));
    MarkRunning(form, new SilentEmulator);
    DeviceSettings->PeerConnectState = 1;
    form.StopMeasurement(QString(), false);
    EXPECT_FALSE(QFileInfo::exists(stored));
    DeviceSettings->PeerConnectState = 0;
    MarkRunning(form, new SilentEmulator);
    form.StopMeasurement(QString(), false);
    EXPECT_TRUE(QFileInfo::exists(stored));
}

// A configuration saved in demo mode and loaded again is what the program measures with: its block size
// is in force, its commands have gone out, and the caption names it.
TEST_F(MainMeasurementTest, ALoadedConfigurationIsInForceAndNamedInTheCaption) {
    TMainForm &form = StartDemo();
    const QString stored = dir.path(QStringLiteral("Config/проба.cfg"));
    DeviceSettings->AdcSizeIndex = 3;
    form.ApplyBlockSize(true, false);
    ASSERT_TRUE(SaveConfiguration(stored, false));
    DeviceSettings->AdcSizeIndex = 1;
    form.ApplyBlockSize(true, false);
    ASSERT_TRUE(LoadConfiguration(stored));
    EXPECT_EQ(DeviceSettings->AdcSizeIndex, 3);
    EXPECT_EQ(DeviceSettings->AdcSize, 16384);
    EXPECT_EQ(DeviceSettings->Mode, 0) << "the configuration's commands were issued";
    EXPECT_EQ(SettingsLoadState, 1);
    EXPECT_TRUE(form.windowTitle().contains(QStringLiteral("проба.cfg"))) << form.windowTitle().toStdString();
    EXPECT_TRUE(messages.empty());
}

// The default configuration saved at Stop is what the next start measures with.
TEST_F(MainMeasurementTest, TheDefaultConfigurationComesBackAtTheNextStart) {
    TMainForm &form = StartDemo();
    DeviceSettings->AdcSizeIndex = 3;
    form.ApplyBlockSize(true, false);
    MarkRunning(form, new SilentEmulator);
    form.StopMeasurement(QString(), false);
    ASSERT_TRUE(QFileInfo::exists(dir.path(QStringLiteral("Config/default1.cfg"))));

    window.reset();
    *DeviceSettings = DefaultDeviceSettings();
    TMainForm &next = StartDemo();
    next.FormStorage1RestorePlacement();
    EXPECT_EQ(DeviceSettings->AdcSizeIndex, 3);
    EXPECT_EQ(DeviceSettings->AdcSize, 16384);
    EXPECT_TRUE(messages.empty());
}

TEST_F(MainMeasurementTest, APeerThatNeverAnswersEndsTheStopAfterItsBound) {
    TMainForm &form = StartDemo();
    MarkRunning(form, new SilentEmulator);
    const uint32_t start = GetTickCount();
    EXPECT_TRUE(form.StopMeasurement(QString(), false));
    const uint32_t took = TicksSince(start);
    EXPECT_GE(took, 45000u);
    EXPECT_LT(took, 47000u);
    ExpectIdleButtons(form);
    EXPECT_EQ(DeviceSettings->Block.State, 2);
    EXPECT_EQ(DeviceSettings->ConnectState, 0);
    EXPECT_EQ(DeviceSettings->PeerConnectState, 0);
    EXPECT_EQ(FormEnd, nullptr);
    EXPECT_FALSE(MeasurementRunning);
}

TEST_F(MainMeasurementTest, AnsweringNoLeavesTheMeasurementRunning) {
    TMainForm &form = StartDemo();
    MarkRunning(form, new SilentEmulator);
    answer = IdNo;
    form.Button_BreakClick(form.Button_Break);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, QStringLiteral("Вы хотите завершить сеанс работы?"));
    EXPECT_EQ(messages[0].caption, QStringLiteral("Внимание!"));
    EXPECT_NE(Emulator, nullptr);
    EXPECT_FALSE(form.Button_Start->isEnabled());
    EXPECT_TRUE(form.Button_Break->isEnabled());
    EXPECT_TRUE(MeasurementRunning);
}

TEST_F(MainMeasurementTest, AFailureInsideStopIsLoggedAndTheLinkIsStillReleased) {
    TMainForm &form = StartDemo();
    MarkRunning(form, new ThrowingEmulator);
    EXPECT_TRUE(form.StopMeasurement(QString(), false));
    ExpectIdleButtons(form);
    EXPECT_FALSE(MeasurementRunning);
    EXPECT_TRUE(QString::fromLatin1(dir.read(QStringLiteral("debug.txt"))).contains(QStringLiteral("resume failed")));
}

TEST_F(MainMeasurementTest, PauseClickedWhileStopWaitsDoesNotHoldTheStop) {
    TMainForm &form = StartDemo();
    MarkRunning(form, new SilentEmulator);
    // Clicked from the queue, that is during the stop's wait for the generators.
    QMetaObject::invokeMethod(form.Button_Stop, "click", Qt::QueuedConnection);
    QMetaObject::invokeMethod(form.Button_Stop, "click", Qt::QueuedConnection);
    EXPECT_TRUE(form.StopMeasurement(QString(), false));
    ExpectIdleButtons(form);
}

TEST_F(MainMeasurementTest, ARequestedStopRunsAtTheNextTickAndShowsTheWarningOnce) {
    TMainForm &form = StartDemo();
    MarkRunning(form, new SilentEmulator);
    form.PendingWarning = QStringLiteral("Аккумулятор разряжен");
    form.StopRequest = true;
    form.Timer1Timer();
    ExpectIdleButtons(form);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, QStringLiteral("Аккумулятор разряжен"));
    EXPECT_EQ(messages[0].caption, QStringLiteral("Внимание!"));
    EXPECT_EQ(messages[0].icon, MsgIcon::Error);
    EXPECT_TRUE(form.PendingWarning.isEmpty());
    EXPECT_FALSE(form.StopRequest);
}

TEST_F(MainMeasurementTest, PauseFromCodeKeepsAPauseTheUserMade) {
    TMainForm &form = StartDemo();
    MarkRunning(form, new SilentEmulator);
    QAction *item = form.findChild<QAction *>(QStringLiteral("N_Stop"));
    form.SetPause(true);
    EXPECT_TRUE(form.Button_Stop->isChecked());
    EXPECT_TRUE(item->isChecked());
    form.SetPause(false);
    EXPECT_FALSE(form.Button_Stop->isChecked());
    EXPECT_FALSE(item->isChecked());

    item->trigger(); // the user pauses from the menu
    EXPECT_TRUE(form.Button_Stop->isChecked());
    form.SetPause(true);
    form.SetPause(false);
    EXPECT_TRUE(form.Button_Stop->isChecked());
    EXPECT_TRUE(item->isChecked());
    UserPaused = false;
}

TEST_F(MainMeasurementTest, StartWithoutAnInstrumentIsRefused) {
    TMainForm &form = Start();
    messages.clear();
    form.StatusBar2->SetPanelText(0, QStringLiteral("R-9_307 Нет"));
    form.Button_Start->click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, QStringLiteral("Выбран неверный порт ! \n "));
    EXPECT_EQ(messages[0].caption, QStringLiteral("Ошибка!"));
    ExpectIdleButtons(form);
    EXPECT_FALSE(MeasurementRunning);
}

class WaitingTextTest : public MainMeasurementTest {
protected:
    void SetUp() override {
        MainMeasurementTest::SetUp();
        Start();
        messages.clear();
        // An instrument link that was never opened: enough for the tick to count the silence.
        DspIo = new TDspIo9;
        DeviceSettings->ConnectionType = 2;
    }
    void TearDown() override {
        delete DspIo;
        DspIo = nullptr;
        MainMeasurementTest::TearDown();
    }

    QString TextAfterSilence(int seconds) {
        LastDataTime = Now() - (seconds + 0.2) / 86400.0;
        window->Timer1Timer();
        window->Timer1->stop();
        return window->StatusBar2->PanelText(3);
    }
};

TEST_F(WaitingTextTest, TheWaitForDataCountsDownFromTheThirdSecond) {
    const std::pair<int, const char *> cases[] = {
        {0, ""},
        {2, ""},
        {3, "Ожидание данных 00:05"},
        {4, "Ожидание данных 00:04"},
        {8, "Ожидание данных 00:00"},
        {30, "Ожидание данных 00:00"},
    };
    for (const auto &[seconds, text] : cases)
        EXPECT_EQ(TextAfterSilence(seconds), QString::fromUtf8(text)) << seconds;
}

TEST_F(WaitingTextTest, NoWaitIsShownPausedOrWithoutAMeterOnTheLine) {
    for (int16_t type : {0, 1, 6}) {
        DeviceSettings->ConnectionType = type;
        EXPECT_EQ(TextAfterSilence(5), QString()) << type;
    }
    DeviceSettings->ConnectionType = 2;
    window->Button_Stop->setChecked(true);
    EXPECT_EQ(TextAfterSilence(5), QString());
    window->Button_Stop->setChecked(false);
    EXPECT_EQ(TextAfterSilence(5), QStringLiteral("Ожидание данных 00:03"));
}

TEST_F(WaitingTextTest, TheSyncWaitShowsTheTimeSinceTheLastBlock) {
    DeviceSettings->SyncGenState = 1;
    EXPECT_EQ(TextAfterSilence(75), QStringLiteral("Ожидание сигнала синхронизации на разъеме SYNC 01:15"));
    EXPECT_EQ(window->StatusBar2->Tag, 10);
    DeviceSettings->SyncGenState = 0;
}

TEST_F(WaitingTextTest, ATransientTextGoesSevenSecondsLater) {
    LastDataTime = Now();
    window->StatusBar2->SetPanelText(3, QStringLiteral("Команда выполнена"));
    window->StatusBar2->Tag = -1;
    window->Timer1Timer();
    clock.Advance(7000);
    window->Timer1Timer();
    EXPECT_EQ(window->StatusBar2->PanelText(3), QStringLiteral("Команда выполнена"));
    clock.Advance(1);
    window->Timer1Timer();
    window->Timer1->stop();
    EXPECT_EQ(window->StatusBar2->PanelText(3), QString());
}

TEST_F(WaitingTextTest, UnderRemoteControlTheTextAlternates) {
    DeviceSettings->PeerConnectState = 1;
    window->Timer1Timer();
    const QString first = window->StatusBar2->PanelText(3);
    clock.Advance(1000);
    window->Timer1Timer();
    window->Timer1->stop();
    const QString second = window->StatusBar2->PanelText(3);
    EXPECT_NE(first, second);
    EXPECT_EQ(first.trimmed(), QStringLiteral("Комплекс под удаленным управлением"));
    EXPECT_EQ(second.trimmed(), first.trimmed());
    DeviceSettings->PeerConnectState = 0;
}

TEST_F(WaitingTextTest, TheServiceMemoIsEmptiedPastItsLimit) {
    LastDataTime = Now();
    for (int lines : {1500, 1501}) {
        QStringList text;
        for (int i = 0; i < lines; ++i)
            text << QString::number(i);
        window->Memo1->setPlainText(text.join('\n'));
        window->Timer1Timer();
        window->Timer1->stop();
        EXPECT_EQ(window->Memo1->blockCount() > 1, lines == 1500) << lines;
    }
}

} // namespace

namespace {

class StartTest : public MainMeasurementTest {};

TEST_F(StartTest, AnInstrumentThatCannotBeOpenedLeavesTheButtonsIdle) {
    TMainForm &form = Start();
    messages.clear();
    form.StatusBar2->SetPanelText(0, QStringLiteral("R9 0000"));
    form.findChild<QAction *>(QStringLiteral("N_Start"))->trigger();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, QStringLiteral("Trova R9 0000 недоступен или отсутствует в системе "));
    EXPECT_EQ(messages[0].caption, QStringLiteral("Ошибка"));
    EXPECT_EQ(form.DeviceDescription, QStringLiteral("Trova R9 0000"));
    ExpectIdleButtons(form);
    EXPECT_FALSE(MeasurementRunning);
    EXPECT_TRUE(form.StatusBar2->isEnabled());
}

TEST_F(StartTest, InBatchModeTheOpenFailureIsALogLineAndNoBox) {
    TMainForm &form = Start();
    messages.clear();
    std::vector<MessageRequest> logged;
    SetBatchMessageSink([&logged](const MessageRequest &request) {
        logged.push_back(request);
        return int(IdOk);
    });
    form.StatusBar2->SetPanelText(0, QStringLiteral("R9 0000"));
    form.Button_Start->click();
    SetBatchMessageSink({});
    EXPECT_TRUE(messages.empty());
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0].text, QStringLiteral("Trova R9 0000 недоступен или отсутствует в системе "));
    ExpectIdleButtons(form);
}

// Demonstration mode from Start to Stop: the emulator's blocks reach the engine, which recognises the
// generator's signal in every block after the settling at the start.
TEST_F(StartTest, DemoModeMeasuresTheGeneratorSignalUntilStop) {
    // Every thread's sleep moves this clock, so the emulator's 50 ms pauses pass at once.
    VirtualClock fast(200000, 0);
    // The analysis buffers are made once per process, with the emulator's only for a demonstration start;
    // an earlier window of this test program may have made them for the instrument.
    FreeAnalysisBuffers();
    TMainForm &form = StartDemo();
    // The SIN generator chosen as on the generator page; Start issues the pending command.
    DeviceSettings->Block.State = 0;
    DeviceSettings->Sin.State = 1;
    DeviceSettings->Mode |= 0x08;
    form.StatusBar2->SetPanelText(0, QStringLiteral("R-9_307 Нет"));
    // A result of the last run, which Start forgets.
    ParamTableSin[3].Result = ParamResult{-12.5f, 3.0f, 1, {}};
    form.Button_Start->click();
    ASSERT_TRUE(messages.empty());
    ASSERT_NE(Emulator, nullptr);
    EXPECT_FLOAT_EQ(ParamTableSin[3].Result.Value, NoValue);
    EXPECT_FLOAT_EQ(ParamTableSin[3].Result.Margin, NoValue);
    EXPECT_EQ(ParamTableSin[3].Result.Verdict, ParamNotJudged);
    EXPECT_TRUE(MeasurementRunning);
    EXPECT_FALSE(form.Button_Start->isEnabled());
    EXPECT_TRUE(form.Button_Stop->isEnabled());
    EXPECT_TRUE(form.Button_Break->isEnabled());
    EXPECT_TRUE(form.Timer1->isActive());
    EXPECT_FALSE(form.Button_PlayData->isEnabled());

    std::vector<int32_t> kinds;
    std::vector<uint32_t> times;
    const auto deliver = Emulator->OnAdcArray;
    Emulator->OnAdcArray = [&](TEmulator *sender, const int16_t *samples, uint32_t n, uint32_t t) {
        deliver(sender, samples, n, t);
        kinds.push_back(SignalKind);
        times.push_back(t);
    };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while ((times.empty() || times.back() < 10 * 1024) && std::chrono::steady_clock::now() < deadline)
        PumpMessages();
    ASSERT_FALSE(times.empty());
    ASSERT_GE(times.back(), 10u * 1024) << kinds.size() << " blocks";
    EXPECT_GE(kinds.size(), 150u);
    // A change of kind or tone positions makes the engine settle for a block before it publishes.
    std::size_t settling = 0;
    while (settling < kinds.size() && kinds[settling] == 0)
        ++settling;
    EXPECT_LE(settling, 2u);
    for (std::size_t i = settling; i < kinds.size(); ++i)
        ASSERT_EQ(kinds[i], 1) << "block " << i;
    EXPECT_EQ(form.Panel_Time->text(), SecondsToClock(int32_t(times.back() / 1024), true));
    EXPECT_TRUE(form.ToolButton1->text().contains(QStringLiteral("SIN"))) << form.ToolButton1->text().toStdString();

    EXPECT_TRUE(form.StopMeasurement(QString(), false));
    ExpectIdleButtons(form);
    EXPECT_EQ(DeviceSettings->Block.State, 2);
    EXPECT_EQ(DeviceSettings->Sin.State, 0);
    EXPECT_FALSE(MeasurementRunning);
}

} // namespace

namespace {

TEST_F(StartTest, ReopeningReplacesTheConnectionAndKeepsTheRun) {
    VirtualClock fast(300000, 0);
    FreeAnalysisBuffers();
    TMainForm &form = StartDemo();
    form.StatusBar2->SetPanelText(0, QStringLiteral("R-9_307 Нет"));
    form.Button_Start->click();
    ASSERT_NE(Emulator, nullptr);
    const double started = RunStart;
    EXPECT_TRUE(form.ReopenInstrument());
    ASSERT_NE(Emulator, nullptr);
    EXPECT_TRUE(Emulator->Running());
    EXPECT_GE(RunStart, started);
    EXPECT_TRUE(MeasurementRunning);
    EXPECT_FALSE(form.Button_Start->isEnabled());
    EXPECT_TRUE(form.Button_Break->isEnabled());
    EXPECT_TRUE(form.Timer1->isActive());
    EXPECT_EQ(DeviceSettings->Block.State, 2);
    EXPECT_TRUE(messages.empty());
    form.StopMeasurement(QString(), false);
}

} // namespace
