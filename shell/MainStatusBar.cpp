#include "shell/Main.h"

#include "engine/EngineBuffers.h"
#include "engine/MeterRange.h"
#include "engine/TimeSeries.h"
#include "engine/catalogue/ConnectionTypes.h"
#include "engine/evaluation/PointVerdicts.h"
#include "link/Library.h"
#include "link/PowerReadings.h"
#include "link/Sio9.h"
#include "link/connection/Tr9sendgetcommand.h"
#include "platform/Clock.h"
#include "platform/MessageService.h"
#include "platform/NumberFormat.h"
#include "platform/StringTable.h"
#include "engine/evaluation/ProtocolSnapshot.h"
#include "protocols/ProtocolEntry.h"
#include "protocols/ProtocolFiles.h"
#include "protocols/ProtocolState.h"
#include "protocols/PackageWork.h"
#include "protocols/ScenarioState.h"
#include "selective/MirvakRun.h"
#include "settings/masters/MasterFreq.h"
#include "settings/masters/MasterLev.h"
#include "settings/masters/MasterTimers.h"
#include "settings/ImpedanceRules.h"
#include "settings/InterlockTargets.h"
#include "settings/Masters.h"
#include "settings/GeneratorCommands.h"
#include "settings/RemoteParamChange.h"
#include "settings/SettingsInterlocks.h"
#include "settings/remote/RemoteLinkPeers.h"
#include "shell/SmallWindows.h"
#include "settings/SettingsWindowButtons.h"
#include "shell/StatusBar2.h"
#include "shell/WindowRegistries.h"
#include "state/DeviceSettings.h"
#include "state/MainGlobals.h"
#include "state/RecordChangeMask.h"
#include "storage/SettingsResets.h"
#include "views/Fgraph.h"
#include "views/Form_parambase.h"
#include "views/Setting.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QPainter>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>

#include <cmath>

namespace {

constexpr const char *FrequencyNumbers[] = {"4096", "2048", "1024", "512", "256", "128", "64", "32", "16", "8", "4"};

QString NoInstrumentText() {
    return LoadStr(460) + QStringLiteral(" Нет");
}

QString FrequencyText(double kHz) {
    return DoubleToText(kHz) + ' ' + LoadStr(415);
}

// The mask slots whose curves have a point per spectrum bin.
constexpr int32_t BlockSizeVerdictSlots[] = {0, 1, 2, 16, 17, 18, 19, 42, 43, 36};

template <typename Visit> void ForEachGraphWindow(Visit visit) {
    for (QPointer<QWidget> &window : GraphWindows)
        if (auto *graph = qobject_cast<TForm_Graphic *>(window.data()))
            visit(*graph);
}

} // namespace

QStringList ListInstrumentNames() {
    TSio9 sio;
    QStringList names;
    const QString prefix = QStringLiteral("Trova ");
    for (const QString &line : sio.ListInstruments().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)) {
        const qsizetype at = line.indexOf(prefix);
        names << (at >= 0 ? line.mid(at + prefix.size(), 16) : line.left(16));
    }
    return names;
}

void TMainForm::BuildStatusLists() {
    FrequencyList.clear();
    for (const char *number : FrequencyNumbers)
        FrequencyList << QString::fromLatin1(number) + ' ' + LoadStr(415);
    FrequencyListShort = FrequencyList.mid(0, 6);
    ConnectionTypeList = ConnectionTypeNames;
    ConnectionTypeList6 = ConnectionTypeNames.mid(0, 6);
    ConnectionTypeHintList = ConnectionTypeHints;
}

void TMainForm::InitStatusPanels() {
    const QStringList instruments = ListInstrumentNames();
    const QString current = StatusBar2->PanelText(0);
    if (!instruments.contains(current))
        StatusBar2->SetPanelText(0, instruments.isEmpty() ? NoInstrumentText() : instruments.first());
    StatusBar2->SetPanelText(1, QStringLiteral("256 ") + LoadStr(415));
    StatusBar2->SetPanelText(2, ConnectionTypeNames.value(DeviceSettings->ConnectionType));
    for (int panel = 0; panel < 3; ++panel)
        StatusBar2->FitPanel(panel);
}

void TMainForm::SetFrequencyPanel(float maxFrequency) {
    StatusBar2->SetPanelText(1, FrequencyText(maxFrequency));
    StatusBar2->FitPanel(1);
}

bool TMainForm::ApplySampleRate(bool recheck) {
    TDeviceSettings &s = *DeviceSettings;
    QString number = StatusBar2->PanelText(1);
    number.remove(LoadStr(415));
    const double F = TextToDouble(number.trimmed(), s.MaxFrequency);
    if (!CheckMaxFrequencyChange(float(F)))
        return false;
    // A record without a valid maximum frequency (a damaged file) has no ratio to rescale by.
    const double r = s.MaxFrequency > 0 ? F / s.MaxFrequency : 1.0;
    const bool changed = float(F) != s.MaxFrequency;
    s.MaxFrequency = float(F);
    s.SampleRate = float(2.5 * F);
    s.Sin.F1 = float(s.Sin.F1 * r);
    s.Sin2.F1 = float(s.Sin2.F1 * r);
    s.Sin2.F2 = float(s.Sin2.F2 * r);
    s.Mtts.F1 = float(s.Mtts.F1 * r);
    s.Mtts.Step = float(s.Mtts.Step * r);
    float controlF1 = float(s.ControlF1 * r);
    float controlFN = float(s.ControlFN * r);
    SnapBandLimits(controlF1, controlFN);
    s.ControlF1 = controlF1;
    s.ControlFN = controlFN;
    RecomputeSampleRateFields(s);
    if (recheck)
        ResetMeterBand();
    const auto intoBand = [&s](float reference) {
        return reference > 0 && (reference < s.BandF0 || reference > s.BandF1) ? (s.BandF0 + s.BandF1) / 2 : reference;
    };
    s.AfcRef = intoBand(s.AfcRef);
    s.GvpRef = intoBand(s.GvpRef);
    if (changed) {
        RescaleMasterFreq(r);
        RescaleMasterLev(r);
        ResetMirvakOnRangeChange(s.MaxFrequency, s.SampleRate);
    }
    UpdateMttsLoopMode();
    ApplyBlockSize(changed, false);
    const TMirvakPlanHooks &selective = MirvakPlanHooks();
    selective.Call(selective.ShowMirvakCalibration);
    return true;
}

void TMainForm::ApplyBlockSize(bool changed, bool force) {
    TDeviceSettings &s = *DeviceSettings;
    const int32_t oldSize = s.AdcSize;
    RecomputeBlockSizeFields(s);
    changed = changed || s.AdcSize != oldSize;
    // The curves of these slots have as many points as the spectrum; their verdicts start afresh.
    for (int32_t slot : BlockSizeVerdictSlots)
        AllocPointVerdicts(slot);
    FillStepTimeTable(s.MaxFrequency);
    RebindGraphWindows(changed);
    // The curves change length: the value windows and the time series of their points go.
    if (changed || force) {
        ClosePointValueWindows();
        ReleaseCurvePointTimeSeries();
    }
    RefreshAllPages();
}

void TMainForm::RebindGraphWindows(bool newXRange) {
    ForEachGraphWindow([newXRange](TForm_Graphic &graph) {
        graph.SetDefaultXRange(newXRange);
        graph.RebindMasks(2);
    });
}

void TMainForm::ClosePointValueWindows() {
    for (QPointer<QWidget> &window : ScaleLabelWindows)
        if (window && !window->property("Pinned").toBool())
            window->close();
}

void TMainForm::RegisterInterlockTargets() {
    InterlockTargets().ShowMaxFrequency = [this](float maxFrequency) { SetFrequencyPanel(maxFrequency); };
    InterlockTargets().ResetGraphXRanges = [] {
        ForEachGraphWindow([](TForm_Graphic &graph) { graph.SetDefaultXRange(false); });
    };
    InterlockTargets().ClearWeightedGraph = [] {
        if (TForm_Graphic *graph = OpenGraphWindow(2))
            graph->RedrawGraph();
    };
}

void TMainForm::RegisterRemoteLinkPeers() {
    TRemoteLinkPeers &peers = RemoteLinkPeers();
    peers.ShowConnectionType = [this] {
        StatusBar2->SetPanelText(2, ConnectionTypeNames.value(DeviceSettings->ConnectionType));
        StatusBar2->FitPanel(2);
        if (QAction *save = ItemByName(QStringLiteral("N_SaveConfig")))
            save->setEnabled(DeviceSettings->ConnectionType != 0);
    };
    peers.ShowStatusText = [this](const QString &text) {
        StatusBar2->SetPanelText(3, text);
        StatusBar2->repaint();
    };
    peers.ShowTextMessageWindow = [this] { ShowTextMessageWindow(); };
    peers.RefreshTextMessageWindow = [] { RefreshTextWindow(); };
    peers.ShowRemoteResultTable = [this] {
        CurrentIndex = 1;
        if (auto *table = qobject_cast<TForm_BasePar *>(ShowBaseParWindow()))
            table->RefreshValues();
    };
    peers.RefreshProgramSettingsDialog = [] {
        if (auto *dialog = qobject_cast<TForm_Settings *>(Form_Settings.data()))
            dialog->ShowSettings();
    };
    peers.ConfigFileName = [this] { return ConfigFileName; };
    peers.ProtocolOpen = [] { return ProtocolState == 1; };
    peers.ProtocolIsRemote = [] { return UnderRemoteControl == 1; };
    peers.AddProtocolEntry = [](int remote) {
        AddProtocolEntry(remote, remote ? RemoteProtocolSnapshot : LocalProtocolSnapshot, 0, QString());
    };
    // Flag 1 files without a dialog into the unsaved protocols; 0 files as at Stop (a protocol written
    // under the peer's control goes to the remote folder).
    peers.CloseProtocol = [](int flag) { CloseProtocol(flag != 0); };
    peers.ResetAllResults = ResetAllResults;
    peers.ResetGraphsAndMasks = ResetGraphsAndMasks;
    peers.RefreshParamTables = RefreshParamTables;
    peers.StopMasterFreq = StopMasterFreq;
    peers.StopMasterLev = StopMasterLev;
    peers.StartMasterFreq = StartMasterFreq;
    peers.StartMasterLev = StartMasterLev;
    peers.DisableMasterTimers = StopMasterTimers;
}

void TMainForm::RefreshSettingsInterlocks() {
    if (QAction *save = ItemByName(QStringLiteral("N_SaveConfig")))
        save->setEnabled(DeviceSettings->ConnectionType != 0);
    ApplyConnectionTypeRules();
    ResetMeterBand();
    RefreshAllPages();
}

void TMainForm::SetSettingsLocked(bool locked) {
    StatusBar2->setEnabled(!locked);
    if (QAction *load = ItemByName(QStringLiteral("N_LoadConfig")))
        load->setEnabled(!locked);
    for (QPointer<QWidget> &window : MeasParWindows)
        if (window)
            window->setEnabled(!locked);
    if (Form_SetDev)
        for (const char *page :
             {"TabSheet_Common", "TabSheet_Gen", "TabSheet_Meter", "TabSheet_MasterFreq", "TabSheet_MasterLev"})
            if (auto *sheet = Form_SetDev->findChild<QWidget *>(QLatin1String(page)))
                sheet->setEnabled(!locked);
}

void TMainForm::StatusBar2Click(QPoint position) {
    CloseStatusList();
    const int panel = StatusBar2->PanelAt(position.x());
    if (panel == 0) {
        if (!Button_Start->isEnabled() || PlaybackOn)
            return;
        if (ListInstrumentNames().isEmpty()) {
            StatusBar2->SetPanelText(0, NoInstrumentText());
            StatusBar2->FitPanel(0);
            return;
        }
        OpenStatusList(0);
    } else if (panel == 1 || panel == 2) {
        if (!ConfirmBreakConnection() || PlaybackOn || ScenarioRunning)
            return;
        OpenStatusList(panel);
    }
}

void TMainForm::OpenStatusList(int panel) {
    QStringList items;
    int fitItem = 0;
    if (panel == 0)
        items = ListInstrumentNames();
    else if (panel == 1)
        items = DeviceSettings->ConnectionType < 6 ? FrequencyList : FrequencyListShort;
    else {
        items = DeviceSettings->MaxFrequency >= 120 ? ConnectionTypeList : ConnectionTypeList6;
        fitItem = 3;
    }
    if (items.isEmpty())
        return;
    ActiveListPanel = panel;
    LB1 = new QListWidget(centralWidget());
    LB1->setObjectName(QStringLiteral("LB1"));
    LB1->addItems(items);
    LB1->setMouseTracking(panel == 2);
    LB1->installEventFilter(this);
    LB1->viewport()->installEventFilter(this);
    const int itemHeight = LB1->sizeHintForRow(0) > 0 ? LB1->sizeHintForRow(0) : fontMetrics().height();
    const int height = int(std::trunc(itemHeight * (items.size() + 0.3) + 1)) + 2 * LB1->frameWidth();
    const QRect cell = StatusBar2->PanelRect(panel);
    const int width = std::max(cell.width(), StatusBar2->FittedWidth(items.value(fitItem)) + 24);
    const QPoint bottomLeft = StatusBar2->mapTo(centralWidget(), cell.topLeft());
    LB1->setGeometry(bottomLeft.x(), bottomLeft.y() - height, width, height);
    const int current = items.indexOf(StatusBar2->PanelText(panel));
    LB1->setCurrentRow(current >= 0 ? current : 0);
    connect(LB1, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) { ChooseLater(LB1->row(item)); });
    LB1->show();
    LB1->raise();
    LB1->setFocus();
}

void TMainForm::CloseStatusList() {
    ListCloseTimer->stop();
    ListCloseCountdown = 0;
    if (!LB1)
        return;
    LB1->hide();
    LB1->deleteLater();
    LB1 = nullptr;
    ActiveListPanel = -1;
}

// The choice runs from the event loop, not inside the list's own click or key handling: it may open a
// modal box, and while that box is up a timer can close and delete the list, which must then not be
// on the call stack.
void TMainForm::ChooseLater(int index) {
    QMetaObject::invokeMethod(
        this,
        [this, index, list = QPointer<QListWidget>(LB1)] {
            // A list closed meanwhile, or replaced by another, takes no choice.
            if (list && list == LB1)
                LB1Choose(index);
        },
        Qt::QueuedConnection);
}

void TMainForm::LB1Choose(int index) {
    if (!LB1 || index < 0 || index >= LB1->count())
        return;
    const int panel = ActiveListPanel;
    const QString chosen = LB1->item(index)->text();
    ListCloseCountdown = 2;
    if (!Timer1->isActive())
        ListCloseTimer->start();
    LB1->setToolTip(QString());
    LB1->hide();
    TDeviceSettings &s = *DeviceSettings;
    if (panel == 1) {
        if (!WarnRemoteParamChange())
            return;
        StatusBar2->SetPanelText(1, chosen);
        if (!ListKeyFlag)
            StatusBar2->FitPanel(1);
        const double F = TextToDouble(QString(chosen).remove(LoadStr(415)).trimmed(), s.MaxFrequency);
        if (float(F) != s.MaxFrequency && ApplySampleRate(true)) {
            s.Mode |= 0x101;
            SendCommand();
            if (RecordingOn)
                RecordChangeMask |= 0x01;
        }
    } else {
        StatusBar2->SetPanelText(panel, chosen);
        if (!ListKeyFlag)
            StatusBar2->FitPanel(panel);
        if (panel == 2 && index != s.ConnectionType) {
            GenCalibrationMode = 1;
            PreviousConnectionType = s.ConnectionType;
            s.ConnectionType = int16_t(index);
            RefreshSettingsInterlocks();
            s.GenImpedance = LimitImpedance(s.GenImpedance, s.GenImpedance, s.GenLowImpedance != 0, true);
            s.MeterImpedance = LimitImpedance(s.MeterImpedance, s.MeterImpedance, s.MeterHighImpedance != 0, false);
            s.Mode |= 0x101;
            BlockGenerator();
            if (RecordingOn)
                RecordChangeMask |= 0x01;
            ForEachGraphWindow([](TForm_Graphic &graph) { graph.SetDefaultXRange(true); });
        }
    }
}

void TMainForm::ListCloseTick() {
    if (ListCloseCountdown > 0 && --ListCloseCountdown == 0)
        CloseStatusList();
}

TMainForm::Panel3Look TMainForm::Panel3Style(const QString &text, int tag) {
    const QColor face = palette().button().color();
    if (text == LoadStr(160))
        return {Qt::green};
    if (text == LoadStr(159) || text == LoadStr(453))
        return {Qt::red};
    if (text == LoadStr(164) || text == LoadStr(455))
        return {Qt::yellow, true};
    if (text == LoadStr(456) || text == LoadStr(457) || text == LoadStr(458))
        return {Qt::yellow};
    if (EngineBuffers.OverloadFlag)
        return {Qt::red};
    if (DeviceSettings->PeerConnectState > 0)
        return {Qt::cyan, false, true};
    if (text.contains(QStringLiteral("Ожидание")) || text.contains(QStringLiteral("старт")))
        return {tag == 11 ? Qt::magenta : Qt::yellow, true};
    if (text.contains(QStringLiteral("импеданс"))) {
        const int state = ImpedanceCalState;
        if ((state == 0 || state == 1) && RecordingOn)
            RecordChangeMask |= 0x01;
        switch (state) {
        case 0:
            ImpedanceCalState = -2;
            return {Qt::green};
        case 1:
        case 3:
        case 5:
            return {Qt::yellow};
        case 2:
        case 4:
            return {Qt::magenta};
        case -1:
            return {Qt::red};
        default:
            return {face};
        }
    }
    if (text.contains(QStringLiteral("Перегрев")))
        return {Qt::red};
    return {face};
}

void TMainForm::StatusBar2DrawPanel(QPainter &painter, int panel, const QRect &rect) {
    if (panel == 4) {
        const bool fault = PowerWatch.PowerFaultShown;
        painter.fillRect(rect, fault ? QColor(Qt::red) : palette().button().color());
        const QPixmap icon = ImageLists.ImageList_Power.Image(PowerWatch.BatteryIcon);
        painter.drawPixmap(rect.left() + 2, rect.top() + (rect.height() - icon.height()) / 2, icon);
        painter.setPen(Qt::black);
        if (fault)
            painter.drawText(rect.adjusted(25, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, StatusBar2->PanelText(4));
        return;
    }
    const int tag = StatusBar2->Tag;
    StatusBar2->Tag = 0;
    QString text = StatusBar2->PanelText(3);
    const Panel3Look look = Panel3Style(text, tag);
    // The command, message and overload texts come first; only what is left gives way to the remote
    // control's text.
    if (look.remote) {
        text = LoadStr(452);
        StatusBar2->Tag = 2;
    }
    painter.fillRect(rect, look.background);
    painter.setPen(Qt::black);
    if (text == LoadStr(164) || text == LoadStr(455)) {
        const QRect progress(rect.right() - 66, rect.top(), 66, rect.height());
        painter.drawText(rect.adjusted(0, 0, -66, 0), Qt::AlignRight | Qt::AlignVCenter, text);
        const QPixmap image = ImageLists.ImageList_Progress.Image(TransferProgress);
        painter.drawPixmap(progress.left(), progress.top() + (progress.height() - image.height()) / 2, image);
        return;
    }
    painter.drawText(rect.adjusted(1, 0, 0, 0), (look.rightAligned ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter,
                     text);
}

QString TMainForm::PowerHint() const {
    return PowerText(PowerWatch, PowerState[0]);
}

QString TMainForm::StatusBarHint(int x) const {
    switch (StatusBar2->PanelAt(x)) {
    case 0:
        return QStringLiteral("Выбор ") + LoadStr(460);
    case 1:
        return QStringLiteral("Максимальная частота\n(определяет частоту квантования)");
    case 2:
        return QStringLiteral("Тип подключения анализатора");
    case 4:
        return PowerHint();
    default:
        return {};
    }
}

void TMainForm::StatusBar2MouseMove(QPoint position) {
    StatusBar2->setToolTip(StatusBarHint(position.x()));
}

void TMainForm::Timer_PowerStatusTimer() {
    Timer_PowerStatus->stop();
    if (PowerReadPhase) {
        PowerReadPhase = 0;
        ReadC9A9Status();
    } else {
        PowerReadPhase = 1;
        ReadBCStatus();
    }
    RefreshPowerWindow();
    TPowerTick tick;
    tick.TechnologyMode = TechnologyMode;
    tick.BatchMode = PackageWork != nullptr;
    tick.StopRequested = StopRequest;
    tick.Now = GetTickCount();
    PowerWatchStep(PowerState, BcStatus, PowerWatch, tick);
    ApplyPowerTick(tick);
    if (!tick.TimerStaysOff)
        Timer_PowerStatus->start();
}

void TMainForm::ApplyPowerTick(const TPowerTick &tick) {
    if (!tick.Warning.isEmpty())
        PendingWarning = tick.Warning;
    // Only a batch run has these lines: each is a line of its log, and a power fault ends the run.
    for (const QString &line : tick.BatchLines)
        ShowMessage({line, LoadStr(7), MsgIcon::Error, MsgButtons::Ok, tick.FinishBatch ? BatchCloseCode : 0});
    if (tick.StopRequest)
        StopRequest = true;
    if (tick.ArmMessageTimer)
        Timer_Message->start();
    if (PowerWatch.PowerFaultShown) {
        StatusBar2->SetPanelText(4, tick.Countdown);
        StatusBar2->SetPanelWidth(4, StatusBar2->FittedWidth(QStringLiteral("00:00")) + 20);
    } else {
        StatusBar2->SetPanelText(4, QString());
        StatusBar2->SetPanelWidth(4, 25);
    }
    if (tick.Beep)
        QApplication::beep();
    Button_Power->setProperty("ImageIndex", PowerWatch.BatteryIcon + 9);
    Button_Power->setToolTip(PowerHint());
    if (tick.Changed)
        StatusBar2->update();
}

void TMainForm::Timer_MessageTimer() {
    Timer_Message->stop();
    ShowMessage({PendingWarning, QStringLiteral("Внимание!"), MsgIcon::Error, MsgButtons::Ok});
    PendingWarning.clear();
}
