#include "protocols/Form_scn.h"

#include "chartlib/Chartlib.h"
#include "engine/evaluation/ProtocolSnapshot.h"
#include "link/Library.h"
#include "link/connection/Tr9sendgetcommand.h"
#include "platform/Clock.h"
#include "platform/MessageService.h"
#include "protocols/BatchLog.h"
#include "protocols/Form_scncontinue.h"
#include "protocols/PackageWork.h"
#include "protocols/PauseMessage.h"
#include "protocols/ProtocolEntry.h"
#include "protocols/ProtocolFiles.h"
#include "protocols/ProtocolState.h"
#include "protocols/ScenarClass.h"
#include "protocols/ScenarioRowEstimate.h"
#include "protocols/ScenarioSummary.h"
#include "selective/MirvakRun.h"
#include "settings/masters/MasterFreq.h"
#include "settings/masters/MasterLev.h"
#include "settings/remote/RemoteExchange.h"
#include "state/DeviceSettings.h"
#include "state/FileNameList.h"
#include "state/MainGlobals.h"
#include "state/ProgramSettings.h"
#include "state/SettingsLoadState.h"
#include "storage/Configuration.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QTableWidget>
#include <QTimer>

#include <cstring>

namespace {

constexpr int32_t RemoteResultsCode = 30;
constexpr int32_t ScenarioInfoCode = 250;
constexpr uint32_t LinkPollMs = 500;
constexpr int BeepCount = 10;
constexpr uint32_t BeepGapMs = 50;

// Ticks are compared as signed differences, so a run that spans the counter's wrap still times right.
int32_t TicksFrom(int32_t start) {
    return int32_t(GetTickCount() - uint32_t(start));
}

void BreakLink() {
    const auto &link = ScenarioRemoteLink().BreakConnection;
    if (link)
        link();
    else
        BreakRemoteConnection();
}

ParamResult SnapshotEntry(const TProtocolSnapshot &holder, int index) {
    ParamResult entry{NoValue, NoValue, 3, {}};
    const std::size_t at = std::size_t(SnapshotHeaderSize + index * SnapshotRowSize);
    if (holder.Results.size() >= at + sizeof(ParamResult))
        std::memcpy(&entry, holder.Results.data() + at, sizeof(ParamResult));
    return entry;
}

QString PageReference(int page) {
    return ProtocolFileNames[std::size_t(page)] + u'#' + ProtocolPageStamp;
}

} // namespace

TScenarioRemoteLink &ScenarioRemoteLink() {
    static TScenarioRemoteLink link;
    return link;
}

bool TForm_Scenario::InSeries() const {
    const TScenarClass &s = *CurrentScenario;
    return s.RepeatKind != 1 && s.RepeatNumber > 0 && s.RepeatNumber < s.RepeatCount;
}

void TForm_Scenario::Tlb_StartClick() {
    CurrentScenario->RepeatNumber = 0;
    StartScenario();
}

void TForm_Scenario::StartScenario() {
    if (Busy != 0)
        return;
    Busy = 1;
    TScenarClass &s = *CurrentScenario;
    CloseProtocol(false);
    Panel_ViewRepeat->setStyleSheet(QString());
    s.CurrentRow = 0;
    for (int row = 0; row < s.RowCount(); ++row)
        ResetRowResults(row);
    ResetSummary();
    FirstLocalRef.clear();
    FirstRemoteRef.clear();
    for (QAction *action : {Tlb_Start, Tlb_Pause, Tlb_Continue})
        action->setEnabled(false);

    TDeviceSettings &d = *DeviceSettings;
    d.Mode = 0;
    StopMasterFreqIfRunning();
    StopMasterLevIfRunning();
    RequestMirvakStop();
    MarkMirvakStopped();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const uint32_t t0 = GetTickCount();
    if (DspIo) {
        if (d.ConnectState > 0 || d.PeerConnectState > 0)
            BreakLink();
        while ((d.ConnectState == 1 || d.PeerConnectState == 1) && TicksSince(t0) < RemoteWaitMs) {
            Sleep(LinkPollMs);
            PumpMessages();
        }
    } else {
        d.ConnectState = 0;
        d.PeerConnectState = 0;
    }
    FindLastRemoteRow(s);
    BeginRun();
    if (ScenarioRunning) {
        Timer1->stop();
        s.RunStartTick = int32_t(GetTickCount());
        ++s.RepeatNumber;
        Panel_ViewRepeat->setText(QString::number(s.RepeatNumber));
        Panel_ViewRepeat->setFixedWidth(25);
        Panel_ViewRepeat->setToolTip(QStringLiteral("Номер исполняемого\nавтоповтора сценария"));
        const TScenarioWindowHost &host = ScenarioWindowHost();
        const auto measuring = [&host] { return host.MeasurementRunning && host.MeasurementRunning(); };
        if (!measuring() && host.StartMeasurement) {
            host.StartMeasurement();
            if (!measuring()) {
                ScenarioRunning = 0;
                UpdateButtons();
                UpdateRunLocks();
            }
        }
    }
    QApplication::restoreOverrideCursor();
    ReleaseAfterStep();
}

void TForm_Scenario::BeginRun() {
    Tlb_SaveClick();
    if (CurrentScenario->Name.isEmpty()) {
        ShowMessage({QStringLiteral("Не задано имя сценария!"), QStringLiteral("Ошибка!"), MsgIcon::Error,
                     MsgButtons::Ok, 0, 1});
        return;
    }
    CurrentScenario->LastState = -999;
    ScenarioRunning = 1;
    UpdateButtons();
    UpdateRunLocks();
}

void TForm_Scenario::Tlb_PauseClick() {
    ScenarioRunning = 0;
    UpdateButtons();
    UpdateRunLocks();
}

void TForm_Scenario::Tlb_ContinueClick() {
    TScenarClass &s = *CurrentScenario;
    const int row = SelectedGridRow() - 1;
    if (row >= 0 && row < s.RowCount()) {
        s.CurrentRow = int16_t(row);
        BeginRun();
        ClearSummaryRow();
        if (DspIo) {
            DeviceSettings->Mode |= 0x100;
            SendCommand();
        }
        const bool pausedBefore = s.Rows[std::size_t(row)].State == 13;
        ResetRowResults(row);
        if (pausedBefore)
            s.Rows[std::size_t(row)].State = 13;
    } else if (row == s.RowCount()) {
        Timer1->start();
        s.CurrentRow = 0;
    }
    if (Form_ScnCont)
        Form_ScnCont->close();
}

void TForm_Scenario::UpdateRunLocks() {
    const bool running = ScenarioRunning != 0;
    if (running) {
        ProgramSettings.AutoProtocol = 0;
        ProgramSettings.AutoWindowChange = 0;
    }
    const auto &lock = ScenarioWindowHost().LockForRun;
    if (lock)
        lock(running);
}

void TForm_Scenario::StepScenario() {
    // A step entered from a wait inside another step (or inside a start) returns at once; so does every
    // step once the window is closing.
    if (!CurrentScenario || Busy != 0)
        return;
    TScenarClass &s = *CurrentScenario;
    if (s.CurrentRow < 0 || s.CurrentRow >= s.RowCount())
        return;
    SettingsLoadState = 1;
    ScenarioRow &row = s.Rows[std::size_t(s.CurrentRow)];
    if (row.State == s.LastState)
        return;
    Busy = 1;
    const TDeviceSettings &d = *DeviceSettings;
    switch (row.State) {
    case 0:
        if (d.ConnectState > 0 || d.PeerConnectState > 0) {
            BreakLink();
            row.State = 9;
        } else if (MirvakFirmware == 1) {
            if (ScenarioWindowHost().ReopenInstrument)
                ScenarioWindowHost().ReopenInstrument();
            row.State = 15;
        } else {
            BeginRow();
        }
        break;
    case 9:
        if (d.ConnectState == 0)
            row.State = 0;
        break;
    case 15:
        if (MirvakFirmware == 0)
            row.State = 0;
        break;
    case 13:
        LoadRowConfig();
        break;
    case 7:
        StepStart();
        break;
    case 4:
        StepWaitLink();
        break;
    case 2:
        StepExecution();
        break;
    case 5:
        StepTransfer();
        break;
    case 6:
    case -6:
    case -12:
        StepDisconnect();
        break;
    case -14:
        StepUnsupported();
        break;
    default:
        break;
    }
    ReleaseAfterStep();
}

void TForm_Scenario::ReleaseAfterStep() {
    if (Busy == 1)
        Busy = 0;
    if (releasePending_) {
        releasePending_ = false;
        deleteLater();
    }
}

void TForm_Scenario::ShowRunWindow() {
    if (Busy == 2)
        return;
    if (QWidget *top = window(); top && top->isMinimized())
        top->showNormal();
    if (QWidget *frame = parentWidget(); frame && frame->isMinimized())
        frame->showNormal();
    show();
    raise();
}

void TForm_Scenario::Beeps() {
    for (int i = 0; i < BeepCount; ++i) {
        QApplication::beep();
        Sleep(BeepGapMs);
    }
}

void TForm_Scenario::BeginRow() {
    TScenarClass &s = *CurrentScenario;
    ScenarioRow &row = s.Rows[std::size_t(s.CurrentRow)];
    SelectGridRow(s.CurrentRow + 1);
    row.State = 13;
    peerRefused_ = false;
    if (!row.PauseBefore || BatchMessagesDiverted())
        return;
    Timer1->stop();
    ScenarioRunning = 0;
    ShowRowState(s.CurrentRow);
    UpdateButtons();
    UpdateRunLocks();
    ShowRunWindow();
    Beeps();
    const auto &port = ScenarioWindowHost().PausePort;
    ShowScenarioPause(this, QFileInfo(FileNameList.value(row.ConfigIndex)).fileName(), PauseMessageLines(row),
                      port ? port() : 0, [this] { Tlb_ContinueClick(); });
}

void TForm_Scenario::LoadRowConfig() {
    TScenarClass &s = *CurrentScenario;
    const int index = s.CurrentRow;
    SelectGridRow(index + 1);
    s.Rows[std::size_t(index)].State = 1;
    ShowRowState(index);
    PumpMessages();
    s.LastState = 1;
    const QString path = FileNameList.value(s.Rows[std::size_t(index)].ConfigIndex);
    const auto &load = ScenarioWindowHost().LoadConfiguration;
    if (!(load ? load(path) : LoadConfiguration(path))) {
        Tlb_PauseClick();
        return;
    }
    ProgramSettings.AutoProtocol = 0;
    ProgramSettings.AutoWindowChange = 0;
    UpdateRunLocks();
    ShowRunWindow();
    s.Rows[std::size_t(index)].State = 7;
}

void TForm_Scenario::StepStart() {
    TScenarClass &s = *CurrentScenario;
    ScenarioRow &row = s.Rows[std::size_t(s.CurrentRow)];
    if (DeviceSettings->ConnectState != 0) {
        row.State = 4;
        return;
    }
    s.RowStartTick = int32_t(GetTickCount());
    row.State = 2;
    shownSecondsLeft_ = -1;
    ShowRowState(s.CurrentRow);
    ShowRunWindow();
}

void TForm_Scenario::StepWaitLink() {
    TScenarClass &s = *CurrentScenario;
    ScenarioRow &row = s.Rows[std::size_t(s.CurrentRow)];
    const int32_t link = DeviceSettings->ConnectState;
    if (link <= 0) {
        row.State = -2;
        ShowRowState(s.CurrentRow);
        ShowSummary();
        FinishRow();
    } else if (link == 2) {
        s.RowStartTick = int32_t(GetTickCount());
        row.State = 2;
        shownSecondsLeft_ = -1;
        ShowRowState(s.CurrentRow);
        ShowRunWindow();
    }
}

// Takes one side's results of the current row into the row and the protocol.
void TForm_Scenario::TakeResults(bool remote) {
    TScenarClass &s = *CurrentScenario;
    ScenarioRow &row = s.Rows[std::size_t(s.CurrentRow)];
    TProtocolSnapshot &holder = remote ? RemoteProtocolSnapshot : LocalProtocolSnapshot;
    (remote ? row.RemoteQuality : row.Quality) = SnapshotEntry(holder, 0).Value;
    (remote ? row.RemoteNormOk : row.NormOk) = SnapshotEntry(holder, 1).Verdict;
    AddProtocolEntry(remote ? 1 : 0, holder, 1, QString());
    QString &first = remote ? FirstRemoteRef : FirstLocalRef;
    if (first.isEmpty())
        first = PageReference(ListPage);
    SetFixedText(remote ? row.R_Cnt0 : row.M_Cnt0, first);
    SetFixedText(remote ? row.R_Data : row.M_Data, PageReference(DataPage));
}

void TForm_Scenario::StepExecution() {
    TScenarClass &s = *CurrentScenario;
    ScenarioRow &row = s.Rows[std::size_t(s.CurrentRow)];
    const int64_t elapsed = TicksFrom(s.RowStartTick);
    const int64_t duration = int64_t(row.Duration) * 1000;
    if (duration >= elapsed) {
        const int left = int((duration - elapsed) / 1000);
        if (left != shownSecondsLeft_) {
            shownSecondsLeft_ = left;
            SG->item(s.CurrentRow, ColState)->setText(u' ' + SecondsToClock(left, true) + u' ');
        }
        return;
    }
    if (row.Prt) {
        if (LocalProtocolSnapshot.HasData) {
            TakeResults(false);
            row.State = 3;
        } else {
            row.State = -1;
        }
    }
    TDeviceSettings &d = *DeviceSettings;
    if (row.RemotePrt && row.State != -1) {
        ResetProtocolSnapshot(RemoteProtocolSnapshot, 0);
        d.ConnectState = 1;
        s.RemoteResultsArrived = 0;
        const auto &request = ScenarioRemoteLink().RequestResults;
        if (request)
            request();
        else
            SendRemoteMessage({RemoteResultsCode, ScenarioInfoCode});
        row.State = 5;
        ShowRowState(s.CurrentRow);
        requestTick_ = GetTickCount();
    } else if (d.ConnectState <= 0) {
        ShowRowState(s.CurrentRow);
        ShowSummary();
        FinishRow();
    } else {
        row.State = row.State == -1 ? -6 : 6;
        ShowRowState(s.CurrentRow);
        BreakLink();
    }
}

void TForm_Scenario::StepTransfer() {
    TScenarClass &s = *CurrentScenario;
    ScenarioRow &row = s.Rows[std::size_t(s.CurrentRow)];
    TDeviceSettings &d = *DeviceSettings;
    if (d.ConnectState <= 0 || TicksSince(requestTick_) > RemoteWaitMs) {
        d.ConnectState = -1;
        row.State = -2;
        ShowRowState(s.CurrentRow);
        row.State = -12;
        BreakLink();
        return;
    }
    if (d.ConnectState != 2 || !row.RemotePrt || !s.RemoteResultsArrived)
        return;
    if (RemoteProtocolSnapshot.HasData) {
        TakeResults(true);
        row.State = 6;
        ShowRowState(s.CurrentRow);
        BreakLink();
    } else {
        row.State = -1;
        ShowRowState(s.CurrentRow);
        ShowSummary();
        row.State = -6;
        BreakLink();
    }
}

void TForm_Scenario::StepDisconnect() {
    TScenarClass &s = *CurrentScenario;
    ScenarioRow &row = s.Rows[std::size_t(s.CurrentRow)];
    if (DeviceSettings->ConnectState > 0)
        return;
    row.State = row.State == 6 ? 3 : int16_t(row.State / 6);
    // The peer's refusal keeps the text the remote link left in the cell.
    if (!peerRefused_)
        ShowRowState(s.CurrentRow);
    ShowSummary();
    FinishRow();
}

void TForm_Scenario::StepUnsupported() {
    TScenarClass &s = *CurrentScenario;
    ShowRowState(s.CurrentRow);
    s.Rows[std::size_t(s.CurrentRow)].State = -12;
    BreakLink();
}

void TForm_Scenario::MarkRowRefused() {
    if (!CurrentScenario || CurrentScenario->CurrentRow >= CurrentScenario->RowCount())
        return;
    CurrentScenario->Rows[std::size_t(CurrentScenario->CurrentRow)].State = -14;
    peerRefused_ = true;
}

void TForm_Scenario::FinishRow() {
    TScenarClass &s = *CurrentScenario;
    ScenarioRunning = 0;
    peerRefused_ = false;
    if (s.CurrentRow < s.RowCount() - 1) {
        ScenarioRunning = 1;
        ++s.CurrentRow;
        ResetRowResults(s.CurrentRow);
        return;
    }
    WriteScenarioSummary(*this);
    const bool seriesEnded = s.RepeatKind == 1 || s.RepeatNumber >= s.RepeatCount;
    if (seriesEnded)
        CloseProtocol(false);
    else
        ProtocolState = 0; // the next run of the series appends to the pages in the build folder
    ScheduleRepeat();
    Beeps();
    UpdateButtons();
    UpdateRunLocks();
    ShowRunWindow();
    if (seriesEnded && PackageWork)
        PackageWork->ScenarioFinished();
}

void TForm_Scenario::ScheduleRepeat() {
    TScenarClass &s = *CurrentScenario;
    Timer1->stop();
    if (s.RepeatKind == 1 || s.RepeatNumber >= s.RepeatCount)
        return;
    if (s.RepeatKind == 2)
        s.RunStartTick += s.RepeatInterval * 1000;
    else
        s.RunStartTick = int32_t(GetTickCount() + uint32_t(s.RepeatInterval) * 1000u);
    Timer1->start();
}

void TForm_Scenario::Timer1Timer() {
    TScenarClass &s = *CurrentScenario;
    const int32_t left = -TicksFrom(s.RunStartTick);
    if (left <= 0) {
        Timer1->stop();
        StartScenario();
        return;
    }
    const bool yellow = !Panel_ViewRepeat->styleSheet().isEmpty();
    Panel_ViewRepeat->setStyleSheet(yellow ? QString() : QStringLiteral("background-color: yellow"));
    const QString text = u' ' + QStringLiteral("Пауза ") + SecondsToClock(left / 1000, true) + u' ';
    Panel_ViewRepeat->setText(text);
    Panel_ViewRepeat->setFixedWidth(Panel_ViewRepeat->fontMetrics().horizontalAdvance(text) + 8);
    Panel_ViewRepeat->setToolTip(QStringLiteral("Интервал времени до начала\nследующего экземпляра сценария"));
}

std::optional<TScenarioTiming> TForm_Scenario::RunTiming() const {
    if (!ScenarioRunning || !CurrentScenario || CurrentScenario->CurrentRow >= CurrentScenario->RowCount())
        return std::nullopt;
    const ScenarioRow &row = CurrentScenario->Rows[std::size_t(CurrentScenario->CurrentRow)];
    TScenarioTiming timing;
    timing.RowKind = row.ModeClass == 255 ? int8_t(-1) : int8_t(row.ModeClass);
    timing.ConfigOverheadSeconds = ConfigOverheadSeconds(*DeviceSettings);
    return timing;
}

bool TForm_Scenario::RunInfo(TRemoteLinkPeers::ScenarioInfo &info) const {
    if (!CurrentScenario || CurrentScenario->CurrentRow >= CurrentScenario->RowCount())
        return false;
    const TScenarClass &s = *CurrentScenario;
    info.Number = s.RepeatNumber;
    info.FileName = s.Name;
    info.RowConfigName = FileNameList.value(s.Rows[std::size_t(s.CurrentRow)].ConfigIndex);
    info.LastRemoteRow = s.CurrentRow == s.LastRemoteRow;
    return true;
}

void FileProtocolLeftInBuildFolder() {
    const QString &contents = ProtocolFilePaths[ContentsPage];
    if (ProtocolState != 0 || contents.isEmpty() || !contents.startsWith(ProtocolWorkFolder()) ||
        !QFileInfo::exists(contents))
        return;
    ProtocolState = 1;
    CloseProtocol(true);
}
