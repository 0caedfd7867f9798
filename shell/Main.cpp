#include "shell/Main.h"

#include "chart/ChartlibChart.h"
#include "chartlib/FileNameCase.h"
#include "controls/Placemnt.h"
#include "engine/EngineBuffers.h"
#include "engine/TimeSeries.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "link/Library.h"
#include "link/PowerReadings.h"
#include "link/connection/Tr9sendgetcommand.h"
#include "platform/MessageService.h"
#include "platform/NumberFormat.h"
#include "platform/ProgramDir.h"
#include "platform/StringTable.h"
#include "protocols/BatchTargets.h"
#include "protocols/PackageWork.h"
#include "protocols/ProtocolFiles.h"
#include "protocols/ProtocolState.h"
#include "selective/MirvakGraphSources.h"
#include "selective/MirvakPage.h"
#include "selective/MirvakRun.h"
#include "settings/SettingsInterlocks.h"
#include "settings/SettingsServices.h"
#include "shell/DataCommandServices.h"
#include "shell/Formhelp.h"
#include "shell/MainConnectionView.h"
#include "shell/SmallWindows.h"
#include "shell/StatusBar2.h"
#include "shell/WindowRegistries.h"
#include "state/DeviceSettings.h"
#include "state/MainGlobals.h"
#include "settings/remote/RemoteLinkPeers.h"
#include "state/RemoteMessage.h"
#include "storage/Configuration.h"
#include "storage/RecordTick.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMdiArea>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

TMainForm *MainForm = nullptr;
TWindowFactories WindowFactories;

QString FindDefaultConfig(const QString &configDir, int instance) {
    const QString candidates[] = {DefaultConfigName(instance), DefaultConfigName(1), DefaultConfigName(2),
                                  QStringLiteral("default.cfg")};
    for (const QString &name : candidates)
        if (QFileInfo::exists(configDir + name))
            return configDir + name;
    return {};
}

namespace {

// The file of that name in the program folder; a name written in another case also finds it, as the
// schedule names come from a system whose file names ignore case.
QString FindInProgramDir(const QString &name) {
    const QString exact = ProgramDir() + name;
    if (name.contains('/') || name.contains('\\'))
        return QFileInfo(exact).isFile() ? exact : QString();
    return FindFileIgnoringCase(exact);
}

} // namespace

TMainForm::TMainForm(const QStringList &arguments, QWidget *parent) : QMainWindow(parent), arguments_(arguments) {
    setObjectName(QStringLiteral("MainForm"));
    MainForm = this;
    // The command line is read only in FormCreate, so the caption starts with the name of a normal run.
    CaptionText = ProgramName;
    setWindowTitle(CaptionText);
    BuildControls();
    BuildRunControls();
    BuildDataCommands();
    InstallSmallWindowFactories();
    InstallMainConnectionView(*this);
    // Items buffered during a settings load belong to the run that a reset of the selective results ends.
    MirvakPlanHooks().DiscardSstItems = [this] { FreeSstItems(); };
    RegisterMirvakServices();
    RegisterMirvakPage();
    RegisterSettingsServices();
    RegisterInterlockTargets();
    RegisterConfigurationServices();
    RegisterRemoteLinkPeers();
    RegisterScenarioWindow();
    RegisterRecorder();
    ShowMessageTransfer = [this](bool sending) { ShowMessageTransferState(sending); };
    SetPauseHandler([this](bool on) { SetPause(on); });
    SetLinkEventHooks({[this](TDspIo9 &link) { AssignLinkHandlers(&link, nullptr); },
                       [this](TEmulator &emulator) { AssignLinkHandlers(nullptr, &emulator); }});
    FormStorage1 = new TFormStorage(this);
    FormStorage1->setObjectName(QStringLiteral("FormStorage1"));
    FormStorage1->OnRestorePlacement = [this] { FormStorage1RestorePlacement(); };
    FormStorage1->OnCloseQuery = [this](bool &canClose) { FormCloseQuery(canClose); };
    FormCreate();
}

TMainForm::~TMainForm() {
    // A window destroyed during a measurement takes the link down with it: its handlers are bound to it.
    SetLinkEventHooks({});
    UninstallRecordingServices();
    RemoteLinkPeers() = {};
    ShowMessageTransfer = {};
    MirvakPlanHooks().DiscardSstItems = {};
    SetPauseHandler({});
    CloseLinkObjects();
    FormStorage1->FormDestroy();
    qApp->removeEventFilter(this);
    // A window destroyed without closing still ends the batch run it started, while its timers exist.
    delete PackageWork;
    PackageWork = nullptr;
    BatchControlTargets() = {};
    SetBatchMessageSink({});
    if (MainForm == this)
        MainForm = nullptr;
}

void TMainForm::ParseCommandLine() {
    for (const QString &argument : arguments_) {
        const QString lower = argument.toLower();
        if (lower == QStringLiteral("/demo")) {
            ConnectionKind = 0;
            ProgramName = QString::fromUtf8(DemoProgramName);
        } else if (lower == QStringLiteral("/technology")) {
            TechnologyMode = true;
        }
    }
}

void TMainForm::ParseBatchArguments() {
    for (const QString &argument : arguments_) {
        const QString upper = argument.toUpper();
        if (upper.endsWith(QStringLiteral(".LST"))) {
            const QString path = FindInProgramDir(argument);
            if (!path.isEmpty() && !PackageWork) {
                PackageWork = new TPackageWork(path);
                PackageWork->OnStartPolling = [this](int period) { PackWork_Timer->start(std::max(period, 1)); };
                PackageWork->OnStopPolling = [this] { PackWork_Timer->stop(); };
                PackageWork->OnCloseRequest = [this] {
                    QMetaObject::invokeMethod(this, &TMainForm::close, Qt::QueuedConnection);
                };
                RegisterBatchTargets();
            }
        } else if (upper == QStringLiteral("/SPECTR_FULL")) {
            SpectrumTableMinStep = 0;
        }
    }
}

void TMainForm::CreateFolders() {
    const QString dir = ProgramDir();
    for (const char *name : {"Picture", "Data", "Report", "Masks", "Config"})
        if (!QFileInfo::exists(dir + QLatin1String(name)))
            QDir().mkpath(dir + QLatin1String(name));
    MaskDir = dir + QStringLiteral("Masks/");
    ConfigDir = dir + QStringLiteral("Config/");
}

void TMainForm::FormCreate() {
    ParseCommandLine();
    // A button in a tool bar shows and hides through its action there; the bar's layout overrides the
    // button's own visibility.
    for (QAction *action : ToolBar_Error->actions())
        if (ToolBar_Error->widgetForAction(action) == TlB_Tech)
            action->setVisible(TechnologyMode);
    Memo1->setVisible(TechnologyMode);
    CreateFolders();
    QDir::setCurrent(ProgramDir());
    IniFileName = ProgramDir() + QStringLiteral("R9.ini");
    for (QToolBar *page : {ToolBar_Start, ToolBar_FormView, ToolBar_Scale, ToolBar_Cursor})
        FitToolBarWidth(page);
    PlaceBands();
    BuildParamCatalogue();
    BuildStatusLists();
    ProgramVersionText = QStringLiteral("V") + DoubleToText(ProgramVersionWord * 0.01, 2);
    InitInstrumentIdent();
    EngineBuffers.OverloadFlag = 0;
    ConfigFileName.clear();
    spareList_ = std::make_unique<QStringList>();
    FormStorage1->SetIniFileName(IniFileName);
    FormStorage1->SetIniSection(QStringLiteral("R-9"));
    FormStorage1->SetStoredProps({
        QStringLiteral("Memo1.Width"),
        QStringLiteral("ToolBar_Menu.Visible"),
        QStringLiteral("ToolBar_Menu.Left"),
        QStringLiteral("ToolBar_Menu.Top"),
        QStringLiteral("ToolBar_SelfGen.Visible"),
        QStringLiteral("ToolBar_SelfGen.Left"),
        QStringLiteral("ToolBar_SelfGen.Top"),
        QStringLiteral("ToolBar_SelfMeter.Visible"),
        QStringLiteral("ToolBar_SelfMeter.Left"),
        QStringLiteral("ToolBar_SelfMeter.Top"),
        QStringLiteral("ToolBar_Error.Visible"),
        QStringLiteral("ToolBar_Error.Left"),
        QStringLiteral("ToolBar_Error.Top"),
        QStringLiteral("PageControl1.Visible"),
        QStringLiteral("PageControl1.Left"),
        QStringLiteral("PageControl1.Top"),
        QStringLiteral("PageControl1.ActivePage"),
        QStringLiteral("Menu_Result.Tag"),
        QStringLiteral("Menu_Spectr.Tag"),
        QStringLiteral("Menu_Rnd.Tag"),
        QStringLiteral("Menu_MTTS.Tag"),
        QStringLiteral("Menu_TimeDiag.Tag"),
    });
    ListKeyFlag = false;
    InitDeviceSettings();
    StopRequest = false;
    InitProtocolFiles();
    CloseProtocol(true);
    ParseBatchArguments();
    InitPowerStates();
    PowerReadPhase = 1;
    if (!ProtocolFilePaths[FramesetPage].isEmpty() && !PackageWork)
        ShowMessage({QStringLiteral("Все несохраненные протоколы из каталога \n") +
                         QFileInfo(ProtocolFilePaths[FramesetPage]).absolutePath() +
                         QStringLiteral("\nперемещены в каталог \n") + ProgramDir() +
                         QStringLiteral("Report/UnsavedProtocol/"),
                     LoadStr(7), MsgIcon::Warning, MsgButtons::Ok});
    qApp->installEventFilter(this);
}

void TMainForm::InitDeviceSettings() {
    DeviceSettings->Mode = 0x804;
    SendCommand();
    ClearRemoteMessage(RemoteMessage);
    WeightingCurve.Count = 0;
    AllocAnalysisBuffers(ConnectionKind == 0);
    PreviousConnectionType = DeviceSettings->ConnectionType;
    if (ApplySampleRate(true)) {
        RefreshSettingsInterlocks();
        DeviceSettings->Mode |= 0x101;
        SendCommand();
    }
}

void TMainForm::FormStorage1RestorePlacement() {
    const int screenWidth = screen() ? screen()->availableGeometry().width() : 1024;
    for (QToolBar *band : {ToolBar_Menu, ToolBar_SelfGen, ToolBar_SelfMeter, ToolBar_Error})
        if (band->x() > screenWidth)
            band->move(0, band->y());
    if (PageControl1->x() > screenWidth)
        PageControl1->move(screenWidth - 20, PageControl1->y());
    RestoreLayout();
    KeepBandsApart();
    InitStatusPanels();
    if (PackageWork) {
        if (PackageWork->ResultCode == 0)
            PackageWork->Start();
        return;
    }
    const QString config = FindDefaultConfig(ConfigDir, InstanceNumber);
    if (config.isEmpty())
        return;
    if (LoadConfiguration(config))
        ConfigFileName.clear();
    SetSettingsLocked(false);
}

void TMainForm::FormCloseQuery(bool &canClose) {
    // A playback bar that refuses to close keeps the program open.
    if (PlaybackOn) {
        PlaybackOn = false;
        if (PlayForm && !PlayForm->close()) {
            PlaybackOn = true;
            canClose = false;
            return;
        }
    }
    if (!StopMeasurement(LoadStr(126), true)) {
        canClose = false;
        return;
    }
    if (PackageWork) {
        delete PackageWork;
        PackageWork = nullptr;
        SetBatchMessageSink(LogBatchMessage);
    }
    ReleaseAllTimeSeries();
    SaveLayout();
    NCloseClick();
    CloseStatusList();
    FreeAnalysisBuffers();
    FrequencyList.clear();
    FrequencyListShort.clear();
    ConnectionTypeList.clear();
    ConnectionTypeList6.clear();
    ConnectionTypeHintList.clear();
    spareList_.reset();
    if (Form_Help)
        Form_Help->close();
}

void TMainForm::SaveDefaultConfig() {
    // The next start loads this file: a master runs only in the session that started it, so the file
    // holds both masters stopped, and the running session keeps its own states.
    TDeviceSettings &s = *DeviceSettings;
    const int32_t masterF = s.MasterF.State, masterL = s.MasterL.State;
    s.MasterF.State = 0;
    s.MasterL.State = 0;
    // The configuration writer replaces the old file only once the new one is complete, so the old
    // default survives a failed save.
    SaveConfiguration(ConfigDir + DefaultConfigName(InstanceNumber), 0);
    s.MasterF.State = masterF;
    s.MasterL.State = masterL;
}

void TMainForm::Button_ExitClick() {
    close();
}

void TMainForm::FormResize() {
    FitMainCaption();
}

void TMainForm::resizeEvent(QResizeEvent *event) {
    QMainWindow::resizeEvent(event);
    FormResize();
}
