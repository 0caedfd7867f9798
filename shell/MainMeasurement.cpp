#include "shell/Main.h"

#include "chartlib/Chartlib.h"
#include "engine/Calibration.h"
#include "engine/EngineBuffers.h"
#include "engine/MasterParam.h"
#include "engine/SstParam2.h"
#include "engine/evaluation/ProtocolSnapshot.h"
#include "engine/TimeSeries.h"
#include "link/Dspio9.h"
#include "link/Emulator.h"
#include "link/Library.h"
#include "link/connection/Tr9sendgetcommand.h"
#include "platform/Clock.h"
#include "platform/DateTime.h"
#include "platform/MessageService.h"
#include "platform/ProgramDir.h"
#include "platform/StringTable.h"
#include "protocols/PackageWork.h"
#include "protocols/ProtocolFiles.h"
#include "protocols/ScenarioState.h"
#include "selective/MirvakWork.h"
#include "settings/GeneratorStates.h"
#include "settings/SettingsWindowButtons.h"
#include "settings/remote/RemoteExchange.h"
#include "shell/Formend_unit.h"
#include "protocols/Form_scn.h"
#include "shell/ScenarioWindow.h"
#include "shell/SmallWindows.h"
#include "shell/MainTimeDiagrams.h"
#include "shell/StatusBar2.h"
#include "state/DeviceSettings.h"
#include "state/MainGlobals.h"
#include "state/RemoteMessage.h"
#include "state/TextMessages.h"
#include "storage/ParamTablesReset.h"
#include "storage/recording/SaveRecordingAs.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>
#include <cstring>
#include <exception>

namespace {

constexpr uint32_t LinkSettleWaitMs = 45000;
constexpr uint32_t MinimumStopMs = 1000;
constexpr uint32_t TransientTextMs = 7000;
constexpr int MemoLineLimit = 1500;

const char *const StartingText = "Производится старт анализатора R-9";

// Pumps messages until done() holds or limitMs have passed since start.
template <typename Done> void WaitPumping(uint32_t start, uint32_t limitMs, Done done) {
    while (!done() && TicksSince(start) < limitMs) {
        PumpMessages();
        Sleep(1);
    }
}

// The remote link has ended and the generator block is running (or the peer confirmed it).
bool LinkSettled() {
    const TDeviceSettings &s = *DeviceSettings;
    return s.Block.State > 1 && s.ConnectState < 1 && s.PeerConnectState < 1;
}

// Runs one stage of the stop; whatever goes wrong in it is written to debug.txt so that the remaining
// stages (the release of the link objects above all) still run.
template <typename Stage> void Guarded(const char *stage, Stage run) {
    try {
        run();
    } catch (const std::exception &e) {
        DebugLog(QStringLiteral("StopMeasurement, ") + QLatin1String(stage) + QStringLiteral(": ") +
                 QString::fromLocal8Bit(e.what()));
    } catch (...) {
        DebugLog(QStringLiteral("StopMeasurement, ") + QLatin1String(stage) + QStringLiteral(": unknown exception"));
    }
}

void SetImage(QToolButton *button, int image) {
    button->setProperty("ImageIndex", image);
}

int ImageOf(const QToolButton *button) {
    return button->property("ImageIndex").toInt();
}

QString ImpedanceCalibrationText(int state) {
    static const char *const Texts[] = {
        "Калибровка измерителя импеданса невозможна",   "Измеритель импеданса откалиброван",
        "Измеритель импеданса не калиброван в ХХ и КЗ", "Автокалибровка измерителя импеданса в режиме ХХ",
        "Измеритель импеданса не калиброван в КЗ",      "Автокалибровка измерителя импеданса в режиме КЗ",
        "Измеритель импеданса не калиброван в ХХ",
    };
    return state >= -1 && state <= 5 ? QString::fromUtf8(Texts[state + 1]) : QString();
}

} // namespace

void TMainForm::BuildRunControls() {
    const std::pair<QLabel **, const char *> panels[] = {
        {&Panel_Time, "Panel_Time"},
        {&Panel_AdcDacErr, "Panel_AdcDacErr"},
        {&Panel_SSTErr, "Panel_SSTErr"},
        {&Panel_ComOver, "Panel_ComOver"},
        {&Panel_RecvErrCnt, "Panel_RecvErrCnt"},
        {&Panel_SendErrCnt, "Panel_SendErrCnt"},
        {&Panel_RecvReqCnt, "Panel_RecvReqCnt"},
        {&Panel_SendReqCnt, "Panel_SendReqCnt"},
        {&Panel_ComRdErrCnt, "Panel_ComRdErrCnt"},
        {&Panel_ComWrErrCnt, "Panel_ComWrErrCnt"},
    };
    for (const auto &[panel, name] : panels) {
        *panel = new QLabel(QStringLiteral("0"), ToolBar_Error);
        (*panel)->setObjectName(QLatin1String(name));
        (*panel)->setFrameShape(QFrame::Panel);
        (*panel)->setFrameShadow(QFrame::Sunken);
        (*panel)->setMinimumWidth(24);
        (*panel)->setAlignment(Qt::AlignCenter);
        ToolBar_Error->addWidget(*panel);
    }
    Panel_Time->setText(QStringLiteral("00:00:00"));
    Panel_AdcDacErr->setText(QStringLiteral("0/0"));
    PlaceBands();

    Button_Start->setCheckable(true);
    SetImage(Button_Start, 0);
    SetImage(Button_Stop, 2);
    connect(Button_Start, &QToolButton::clicked, this, [this] { Button_StartClick(Button_Start); });
    connect(Button_Stop, &QToolButton::clicked, this, [this] { Button_StopClick(Button_Stop); });
    connect(Button_Break, &QToolButton::clicked, this, [this] { Button_BreakClick(Button_Break); });
    QAction *start = ItemByName(QStringLiteral("N_Start"));
    QAction *pause = ItemByName(QStringLiteral("N_Stop"));
    QAction *stop = ItemByName(QStringLiteral("N_Break"));
    connect(start, &QAction::triggered, this, [this, start] { Button_StartClick(start); });
    connect(pause, &QAction::triggered, this, [this, pause] { Button_StopClick(pause); });
    connect(stop, &QAction::triggered, this, [this, stop] { Button_BreakClick(stop); });
    SetIdleButtons();
}

void TMainForm::SetIdleButtons() {
    Button_Start->setEnabled(true);
    Button_Start->setChecked(false);
    SetImage(Button_Start, 0);
    ItemByName(QStringLiteral("N_Start"))->setEnabled(true);
    for (QToolButton *button : {Button_Break, Button_Stop})
        button->setEnabled(false);
    for (const char *name : {"N_Break", "N_Stop"})
        ItemByName(QLatin1String(name))->setEnabled(false);
    Button_Stop->setChecked(false);
    ItemByName(QStringLiteral("N_Stop"))->setChecked(false);
    SetImage(Button_Stop, 2);
    for (QToolButton *button : {Button_PlayData, Button_SaveData})
        button->setEnabled(true);
    for (const char *name : {"NPlayData", "NSaveData"})
        ItemByName(QLatin1String(name))->setEnabled(true);
    // Recording ends with the measurement; the next one starts without it.
    RecordingOn = false;
    Button_SaveData->setDown(false);
    ItemByName(QStringLiteral("NSaveData"))->setChecked(false);
}

void TMainForm::Button_StartClick(QObject *sender) {
    CommandFailed = false;
    TimeSeriesClearRequest = {};
    StopRequest = false;
    Stopping = false;
    ClearTextMessages();
    TransferProgress = -1;
    FileProtocolLeftInBuildFolder();
    ClearOrMoveFiles(ProgramDir() + QStringLiteral("Report/Temp") + QString::number(InstanceNumber) + '/', {}, false);
    const auto startButtonUp = [this] {
        Button_Start->setChecked(false);
        SetImage(Button_Start, 0);
    };
    const QString instrument = StatusBar2->PanelText(0);
    if (ConnectionKind == 1 && instrument.contains(QStringLiteral("Нет"))) {
        ShowMessage({LoadStr(23), LoadStr(5), MsgIcon::Warning, MsgButtons::Ok});
        startButtonUp();
        return;
    }
    DeviceDescription =
        ConnectionKind == 0 ? LoadStr(460) + QStringLiteral(" Нет") : QStringLiteral("Trova ") + instrument;
    if (!ApplySampleRate(false)) {
        startButtonUp();
        return;
    }
    DeviceSettings->Mode |= 0x101;
    SendCommand();
    AdcErrorCount = DacErrorCount = 0;
    Panel_AdcDacErr->setText(QStringLiteral("0/0"));
    Panel_SSTErr->setText(QStringLiteral("0"));
    StatusBar2->SetPanelText(3, QString::fromUtf8(StartingText));
    StatusBar2->repaint();
    PumpMessages();
    if (OpenDevice(DeviceDescription) != 0) {
        SetIdleButtons();
        SetSettingsLocked(false);
        return;
    }
    Timer1->start();
    RunStart = Now();
    if (!PlaybackOn) {
        NowStamp = LastDataTime = RunStart;
        MeasurementRunning = true;
    }
    if (Timer_G9master->isActive()) {
        Timer_G9master->start();
        for (TMaster_Param *master : {FreqMasterParam, LevelMasterParam})
            if (master)
                master->TimerStartTick = int32_t(GetTickCount());
    }
    if (sender == ItemByName(QStringLiteral("N_Start")))
        Button_Start->setChecked(true);
    Button_Start->setEnabled(false);
    Button_Break->setEnabled(true);
    Button_Stop->setEnabled(true);
    ItemByName(QStringLiteral("N_Start"))->setEnabled(false);
    ItemByName(QStringLiteral("N_Break"))->setEnabled(true);
    ItemByName(QStringLiteral("N_Stop"))->setEnabled(true);
    Button_PlayData->setEnabled(false);
    QAction *play = ItemByName(QStringLiteral("NPlayData"));
    play->setEnabled(false);
    play->setChecked(false);
    Button_SaveData->setEnabled(true);
    ItemByName(QStringLiteral("NSaveData"))->setEnabled(true);
    if (ConnectionKind == 1 && TechnologyMode) {
        TlB_Tech->setEnabled(true);
        RefreshTechWindow();
    }
    ResetParamTables(false);
    ReloadTimeDiagramSettings();
    if (TForm_Scenario *window = ScenarioWindow())
        window->UpdateButtons();
}

void TMainForm::Button_StopClick(QObject *sender) {
    SetImage(Button_Stop, 2);
    QAction *item = ItemByName(QStringLiteral("N_Stop"));
    if (sender == item)
        Button_Stop->setChecked(item->isChecked());
    else
        item->setChecked(Button_Stop->isChecked());
    const bool paused = Button_Stop->isChecked();
    if (Emulator) {
        if (paused)
            Emulator->Pause();
        else
            Emulator->Resume();
    }
    if (!paused)
        SendCommand();
}

void TMainForm::Button_BreakClick(QObject *) {
    StopMeasurement(LoadStr(153), true);
}

void TMainForm::SetPause(bool on) {
    if (on)
        UserPaused = Button_Stop->isChecked();
    if (UserPaused)
        return;
    Button_Stop->setChecked(on);
    Button_StopClick(Button_Stop);
}

// Link states to 0, the generator block running and every other local generator off.
void TMainForm::ResetLinkStates() {
    TDeviceSettings &s = *DeviceSettings;
    s.ConnectState = 0;
    s.PeerConnectState = 0;
    s.Block.State = 2;
    SelectLocalGenerator(GenKindBlock);
}

void TMainForm::CloseLinkObjects() {
    if (Emulator) {
        Emulator->Stop();
        delete Emulator;
        Emulator = nullptr;
    }
    ReleaseLinkObjects();
}

bool TMainForm::StopMeasurement(const QString &question, bool ask) {
    PackWork_Timer->stop();
    StopRequest = false;
    if (ask && !PackageWork && ShowMessage({question, LoadStr(7), MsgIcon::Warning, MsgButtons::YesNo}) != IdYes)
        return false;
    Stopping = true;
    const bool wasRunning = !Button_Start->isEnabled();
    const bool linkExists = Emulator || DspIo;
    uint32_t t0 = GetTickCount();
    bool hourglass = false;
    Guarded("shutdown", [&] {
        if (Button_Stop->isChecked()) {
            Button_Stop->setChecked(false);
            Button_StopClick(Button_Stop);
        }
        for (QTimer *timer : {Timer_G9master, Timer_M9master, Timer_PowerStatus, Timer1})
            timer->stop();
        TDeviceSettings &s = *DeviceSettings;
        if (SstParam && s.Mirvak.RunState > 0) {
            s.Mirvak.RunActive = 0;
            s.Mode |= 0x1000;
            SendCommand();
        }
        if (s.SyncGenState > 0) {
            s.SyncGenState = 0;
            s.Mode |= 0x2000;
            SendCommand();
        }
        ScenarioRunning = 0;
        if (TForm_Scenario *window = ScenarioWindow())
            window->UpdateRunLocks();
        else
            LockForScenarioRun(false);
        SaveRecordingAs();
        CloseProtocol(false);
        if (wasRunning) {
            FormEnd = new TFormEnd(this);
            FormEnd->show();
        }
        QApplication::setOverrideCursor(Qt::WaitCursor);
        hourglass = true;
        PumpMessages();
        t0 = GetTickCount();
        if (Emulator)
            Emulator->Resume();
        if (wasRunning && s.PeerConnectState == 0)
            SaveDefaultConfig();
        if (linkExists && !CommandFailed) {
            if (!DspIo) {
                s.ConnectState = 0;
                s.PeerConnectState = 0;
            }
            // A message still on its way would hold the break back; its program is no longer wanted.
            AbortRemoteMessages();
            if (s.ConnectState > 0 || s.PeerConnectState > 0)
                BreakRemoteConnection();
            else
                BlockAllGenerators();
            WaitPumping(GetTickCount(), LinkSettleWaitMs, LinkSettled);
        }
    });
    Guarded("idle state", [&] {
        if (linkExists)
            ResetLinkStates();
        RefreshGenButtons();
        SetSettingsLocked(false);
        TransferProgress = -1;
        SetIdleButtons();
        ClearTextMessages();
    });
    Guarded("link release", [this] {
        CloseLinkObjects();
        TlB_Tech->setEnabled(false);
        RefreshTechWindow();
    });
    Guarded("clean-up", [&] {
        ClearRemoteMessage(RemoteMessage);
        std::memset(EepromImage, 0, sizeof EepromImage);
        ConfigFileName.clear();
        const uint32_t elapsed = TicksSince(t0);
        if (elapsed < MinimumStopMs)
            Sleep(MinimumStopMs - elapsed);
        ResetProtocolSnapshot(LocalProtocolSnapshot, 0);
        ResetProtocolSnapshot(RemoteProtocolSnapshot, 0);
        SaveTimeDiagramSettings();
        DeleteMasterParams();
        DeleteSstParam();
        ResetMirvakCalibration();
        FreeSstItems();
    });
    if (hourglass)
        QApplication::restoreOverrideCursor();
    if (FormEnd) {
        FormEnd->close();
        delete FormEnd;
    }
    MeasurementRunning = false;
    if (!PackageWork && !ask && !PendingWarning.isEmpty()) {
        ShowMessage({PendingWarning, LoadStr(7), MsgIcon::Error, MsgButtons::Ok});
        PendingWarning.clear();
    }
    QApplication::beep();
    Sleep(200);
    QApplication::beep();
    if (TForm_Scenario *window = ScenarioWindow())
        window->UpdateButtons();
    // A Stop of a batch run's own accord (a fault, the scenario) must not leave the mailbox unheard.
    if (PackageWork)
        PackageWork->ResumePolling();
    return true;
}

bool TMainForm::ReopenInstrument() {
    if (Button_Stop->isChecked()) {
        Button_Stop->setChecked(false);
        Button_StopClick(Button_Stop);
    }
    Timer_G9master->stop();
    Timer_M9master->stop();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    PumpMessages();
    TDeviceSettings &s = *DeviceSettings;
    if (MeasurementRunning) {
        if (!CommandFailed) {
            if (!DspIo) {
                s.ConnectState = 0;
                s.PeerConnectState = 0;
            }
            AbortRemoteMessages();
            if ((s.ConnectState > 0 || s.PeerConnectState > 0) && MirvakFirmware == 0) {
                BreakRemoteConnection();
                WaitPumping(GetTickCount(), LinkSettleWaitMs, LinkSettled);
            } else {
                BlockAllGenerators();
            }
        }
        ResetLinkStates();
        RefreshGenButtons();
    }
    // The register channel goes with the packet layer whose channel it uses; the open makes a new one.
    CloseLinkObjects();
    MeasurementRunning = false;
    Sleep(MinimumStopMs);
    s.Mode |= 0x101;
    SendCommand();
    if (OpenDevice(DeviceDescription) == 0) {
        RunStart = NowStamp = LastDataTime = Now();
        MeasurementRunning = true;
        if (s.Mirvak.RunState > 0)
            Timer_G9master->stop();
    }
    QApplication::restoreOverrideCursor();
    return true;
}

void TMainForm::Timer1Timer() {
    Timer1->stop();
    if (ListCloseCountdown > 0) {
        ListCloseTick();
    } else {
        if (Button_Start->isChecked())
            SetImage(Button_Start, ImageOf(Button_Start) == 0 ? 1 : 0);
        if (Button_Stop->isChecked())
            SetImage(Button_Stop, ImageOf(Button_Stop) == 2 ? 3 : 2);
    }
    ShowStatusTexts();
    ShowGeneratorStates();
    if (DspIo) {
        const std::pair<QLabel *, uint32_t> counters[] = {
            {Panel_RecvErrCnt, DspIo->RecvErrCnt()},   {Panel_SendErrCnt, DspIo->SendErrCnt()},
            {Panel_RecvReqCnt, DspIo->RecvReqCnt()},   {Panel_SendReqCnt, DspIo->SendReqCnt()},
            {Panel_ComRdErrCnt, DspIo->ComRdErrCnt()}, {Panel_ComWrErrCnt, DspIo->ComWrErrCnt()},
        };
        for (const auto &[panel, count] : counters)
            panel->setText(QString::number(count));
        ShowTechCounter(DspIo->RecvSobCnt());
    }
    if (Memo1->blockCount() > MemoLineLimit)
        Memo1->clear();
    if (DspIo)
        StepRunningScenario();
    if (StopRequest)
        StopMeasurement(QString(), false);
    else
        Timer1->start();
}

void TMainForm::ShowStatusTexts() {
    const int tag = StatusBar2->Tag;
    if (tag < 0 && tag != lastStatusTag_) {
        transientTick_ = GetTickCount();
        transientShown_ = true;
    }
    lastStatusTag_ = tag;
    if (transientShown_) {
        if (TicksSince(transientTick_) > TransientTextMs) {
            if (TransferProgress == -1)
                StatusBar2->SetPanelText(3, QString());
            transientShown_ = false;
        }
        return;
    }
    if (TransferProgress != -1)
        return;
    const TDeviceSettings &s = *DeviceSettings;
    if (s.PeerConnectState > 0) {
        const bool blank = (GetTickCount() / 1000) % 2 == 0;
        StatusBar2->SetPanelText(3, LoadStr(452) + (blank ? QStringLiteral(" ") : QString()));
        return;
    }
    const int32_t b = int32_t(std::clamp((Now() - LastDataTime) * 86400.0, 0.0, 2.0e9));
    const int type = s.ConnectionType;
    if (DspIo && !Button_Stop->isChecked() && b > 2 && type > 1 && type != 6) {
        if (s.SyncGenState > 0) {
            StatusBar2->SetPanelText(3, QStringLiteral("Ожидание сигнала синхронизации на разъеме SYNC ") +
                                            SecondsToClock(b, false));
            if (syncBlinkCounter_ < 10) {
                syncBlinkCounter_ = 10;
                StatusBar2->Tag = 10;
            } else {
                ++syncBlinkCounter_;
                if (syncBlinkCounter_ > 12)
                    StatusBar2->Tag = 11;
                if (syncBlinkCounter_ > 14)
                    syncBlinkCounter_ = 10;
            }
        } else {
            StatusBar2->SetPanelText(3, QStringLiteral("Ожидание данных ") + SecondsToClock(std::max(8 - b, 0), false));
        }
        return;
    }
    if (DspIo && s.PeerConnectState < 1 && !ScenarioRunning && (type == 3 || type == 8) && s.Mtts.State == 2 &&
        ImpedanceCalState > -2) {
        StatusBar2->SetPanelText(3, ImpedanceCalibrationText(ImpedanceCalState));
        if (ImpedanceCalState != 1) {
            impedanceTimed_ = false;
        } else if (!impedanceTimed_) {
            impedanceTimed_ = true;
            impedanceTick_ = GetTickCount();
        } else if (TicksSince(impedanceTick_) > 10 * StepTimeTable[std::clamp(int32_t(s.AdcSizeIndex), 0, 4)] * 1000) {
            ImpedanceCalState = -2;
        }
        return;
    }
    if (!StatusBar2->PanelText(3).isEmpty())
        StatusBar2->SetPanelText(3, QString());
}
