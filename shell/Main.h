#pragma once

#include "shell/MainImages.h"
#include "shell/PowerWatch.h"

#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QAction;
class QLabel;
class QListWidget;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QPlainTextEdit;
class QSplitter;
class QTabWidget;
class QTimer;
class QToolBar;
class QToolButton;
class TDspIo9;
class TEmulator;
class TFormStorage;
class TChart;
class TStatusBar2;

// One selective result as the instrument reported it, kept while settings are being rebuilt.
struct TSstBufferedItem {
    double Re = 0;
    double Im = 0;
    uint32_t FreqCode = 0;
    uint32_t Time = 0; // 1/1024 s since the link opened; 0 for an item without a time
    uint16_t ErrorCount = 0;
    uint16_t ItemType = 0; // 0 result, 1 end of a scan, 2 end of a pass
};

// How each kind of child window is made: the index of its registry slot (or the mode of a single
// window) in, a new window out; empty until that window exists in the program.
using WindowFactory = std::function<QWidget *(int index)>;
struct TWindowFactories {
    WindowFactory Graph, MeasPar, BasePar, TimeDiagram;
    WindowFactory SetDev, MaskEdit, Settings, Scenario, Txt, Power;
    WindowFactory Tech, Device;
};
extern TWindowFactories WindowFactories;

// The main window: a multiple-document frame with the control bar, the pages of the run controls and
// views, the status bar, the service memo and the timers. Child windows are created on demand.
class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    // Builds the window and runs FormCreate; arguments are the command line without the program name.
    explicit TMainForm(const QStringList &arguments, QWidget *parent = nullptr);
    ~TMainForm() override;

    // Controls.
    QWidget *ControlBar1 = nullptr;
    QToolBar *ToolBar_Menu = nullptr;
    QToolBar *ToolBar_SelfGen = nullptr;
    QToolBar *ToolBar_SelfMeter = nullptr;
    QToolBar *ToolBar_Error = nullptr;
    QTabWidget *PageControl1 = nullptr;
    QToolBar *ToolBar_Start = nullptr;
    QToolBar *ToolBar_FormView = nullptr;
    QToolBar *ToolBar_Scale = nullptr;
    QToolBar *ToolBar_Cursor = nullptr;
    QToolButton *Button_Start = nullptr;
    QToolButton *Button_Stop = nullptr;
    QToolButton *Button_Break = nullptr;
    QToolButton *Button_SaveData = nullptr;
    QToolButton *Button_PlayData = nullptr;
    QToolButton *Button_Protocol = nullptr;
    QToolButton *Button_Exit = nullptr;
    QToolButton *Button_Gen = nullptr;
    QToolButton *Button_Power = nullptr;
    QToolButton *TlB_Tech = nullptr;
    QToolButton *ToolButton1 = nullptr;
    QToolButton *ToolButton20 = nullptr;
    // Panels of the fault tool bar.
    QLabel *Panel_Time = nullptr;
    QLabel *Panel_AdcDacErr = nullptr;
    QLabel *Panel_SSTErr = nullptr;
    QLabel *Panel_ComOver = nullptr;
    QLabel *Panel_RecvErrCnt = nullptr;
    QLabel *Panel_SendErrCnt = nullptr;
    QLabel *Panel_RecvReqCnt = nullptr;
    QLabel *Panel_SendReqCnt = nullptr;
    QLabel *Panel_ComRdErrCnt = nullptr;
    QLabel *Panel_ComWrErrCnt = nullptr;
    QToolButton *Button_Result = nullptr;
    QToolButton *Button_Spectr = nullptr;
    QToolButton *Button_Reflect = nullptr;
    QToolButton *Button_MTTS = nullptr;
    QToolButton *Button_SST = nullptr;
    QToolButton *Button_TimeDiag = nullptr;
    // The scale page's buttons carry their ScaleChart code in the property "Code"; the cursor page.
    QToolButton *Button_Curs1 = nullptr;
    QToolButton *Button_Curs2 = nullptr;
    QLabel *Label_Curs1 = nullptr;
    QLabel *Label_Curs2 = nullptr;
    QLabel *Label_DelCurs = nullptr;
    QSplitter *Splitter1 = nullptr;
    QPlainTextEdit *Memo1 = nullptr;
    QMdiArea *MdiArea = nullptr;
    TStatusBar2 *StatusBar2 = nullptr;
    QListWidget *LB1 = nullptr; // the open drop-down choice list, none while closed

    QMenu *Menu_Control = nullptr;
    QMenu *Menu_Settings = nullptr;
    QMenu *Menu_Param = nullptr;
    QMenu *Menu_Options = nullptr;
    QMenu *Menu_Window = nullptr;
    QMenu *Menu_Help = nullptr;
    QMenu *Menu_Result = nullptr;
    QMenu *Menu_Spectr = nullptr;
    QMenu *Menu_Rnd = nullptr;
    QMenu *Menu_MTTS = nullptr;
    QMenu *Menu_SST = nullptr;
    QMenu *Menu_TimeDiag = nullptr;
    QMenu *Menu_ControlBar = nullptr;

    QTimer *Timer1 = nullptr;
    QTimer *Timer_G9master = nullptr;
    QTimer *Timer_M9master = nullptr;
    QTimer *PackWork_Timer = nullptr;
    QTimer *Timer_Message = nullptr;
    QTimer *Timer_PowerStatus = nullptr;
    QTimer *ListCloseTimer = nullptr; // closes the choice list while Timer1 is off

    TFormStorage *FormStorage1 = nullptr;

    TMainImages ImageLists;

    // Fields other parts of the program use.
    QString DeviceDescription;
    int AdcErrorCount = 0;
    int DacErrorCount = 0;
    bool StopRequest = false;
    int TechPort = -1;
    int TransferProgress = -1;
    QString ConfigFileName;
    QString MaskDir;
    QString ConfigDir;
    int CurrentIndex = 0;
    QString IniFileName;
    QString DirCfgFile, DirMaskFile, DirReport, DirDataFile;
    QString PendingWarning;
    QString CaptionText;      // the full caption before it is fitted into the title bar
    uint32_t LastSstTime = 0; // instrument time of the last time-stamped selective result

    // The choice lists of status panels 1 and 2.
    QStringList FrequencyList;       // 11 items, connection types below 6
    QStringList FrequencyListShort;  // 6 items, 4096 to 128 kHz
    QStringList ConnectionTypeList;  // the full names
    QStringList ConnectionTypeList6; // the first 6 names
    QStringList ConnectionTypeHintList;

    TPowerWatchState PowerWatch;
    int PowerReadPhase = 0;
    int ActiveListPanel = -1;
    bool ListKeyFlag = false;
    int ListCloseCountdown = 0;

    // Start-up and shutdown.
    void ParseCommandLine();
    void ParseBatchArguments();
    void RegisterBatchTargets();
    void InitDeviceSettings();
    void SaveDefaultConfig();
    void FormCloseQuery(bool &canClose);
    void FormStorage1RestorePlacement();

    // Measurement start and stop.
    // Ends a measurement; false only when the user answered No to the question.
    bool StopMeasurement(const QString &question, bool ask);
    // Closes and reopens the instrument without ending the measurement; always true.
    bool ReopenInstrument();
    // Presses or releases Pause from code; a pause the user made stays.
    void SetPause(bool on);

    // Instrument events.
    void DspDisconnect(int16_t err, int16_t v);
    void DspAdcArray(const int16_t *adcArray, uint32_t Nadc, uint32_t Tadc);
    void DspMetCadr(int16_t FLGcomm, int32_t SGNcomm, int32_t NSEcomm, int32_t SNRcomm, int16_t FRQcomm,
                    int16_t OVRcomm, uint32_t Tcomm);
    void DspIdent(uint16_t VHD, uint16_t VFW, const char *DateTime, const int16_t *Eprom);
    void DspAdcDacErr(int32_t StartIndex, int32_t EndIndex);
    void DspMesInp(int16_t Id, const int16_t *data, uint32_t Ndata);
    void DspMesInpErr();
    void DspMesOutFin(int16_t err, int16_t v);
    void DspMesInpProgress(uint32_t N, uint32_t i);
    void DspMesOutProgress(uint32_t N, uint32_t i);
    void DspSstRez(double Re, double Im, uint32_t dP, uint32_t T, int16_t OVR, int16_t SstEnd);
    void DspSyncMet(uint32_t VSRV);
    void DspGenOverheat(uint32_t VSRV);
    // Called when settings were rebuilt: the selective results kept meanwhile are processed.
    void ReplaySstResults();
    void DspSstStop();
    // An outgoing remote-link message: with true the settings locked, "Передача команды" in status
    // panel 3 and the first progress step; with false (the message did not go out) all of it taken back.
    void ShowMessageTransferState(bool sending);
    void ProcessSstItem(const TSstBufferedItem &item);
    // Selective results kept while settings are being rebuilt, and the count they may reach.
    const std::vector<TSstBufferedItem> &BufferedSstItems() const { return sstItems_; }
    std::size_t SstBufferCapacity() const { return sstCapacity_; }

    // The generator and meter summary bands show their captions whole.
    void FitSummaryBands();

    // Status bar and frequency range.
    void BuildStatusLists();
    void InitStatusPanels();
    bool ApplySampleRate(bool recheck);
    void ApplyBlockSize(bool changed, bool force);
    void RefreshSettingsInterlocks();
    void SetSettingsLocked(bool locked);
    void SetFrequencyPanel(float maxFrequency);
    // The interlocks' calls back into the status bar and the graph windows.
    void RegisterInterlockTargets();
    // What loading and saving a configuration asks of this window.
    void RegisterConfigurationServices();
    // The value windows bound to points of graph curves close (those bound to parameter rows stay).
    void ClosePointValueWindows();
    // Every open graph window binds its masks again, with newXRange also taking its default X range.
    void RebindGraphWindows(bool newXRange);
    void RegisterRemoteLinkPeers();
    // The scenario window: its factory, what it takes from this window, and the hooks of its run.
    void RegisterScenarioWindow();
    // A scenario run locks loading a configuration, playback and the protocol button, and the settings
    // and parameter windows' editors.
    void LockForScenarioRun(bool running);
    void OpenStatusList(int panel);
    void CloseStatusList();
    void LB1Choose(int index);
    // Queues the choice of a list row, to run once the list's own event handling has returned.
    void ChooseLater(int index);
    void ListCloseTick();
    void StatusBar2DrawPanel(QPainter &painter, int panel, const QRect &rect);
    // The colour and alignment of panel 3 for its text, as the drawing chooses them.
    struct Panel3Look {
        QColor background;
        bool rightAligned = false;
        bool remote = false; // the panel shows the remote control's text instead of its own
    };
    Panel3Look Panel3Style(const QString &text, int tag);
    QString StatusBarHint(int x) const;
    QString PowerHint() const;
    void ApplyPowerTick(const TPowerTick &tick);

    // Menus and window registries.
    QWidget *ShowGraphWindow();
    QWidget *ShowMeasParWindow();
    QWidget *ShowBaseParWindow();
    QWidget *ShowTimeDiagramWindow();
    QWidget *ShowTextMessageWindow();
    void AddWindowMenuItem(QWidget *window, int index);
    void RemoveWindowMenuItem(QWidget *window);
    void UpdateWindowMenuCaption(QWidget *window);
    bool MenuSetCheck(QMenu *menu);
    void ShowFromMenu(QAction *item, QMenu *menu);
    void MenuButton_Click(QMenu *menu);
    void UpdateViewMenuChecks(QMenu *menu);
    void WindowMenuItemClick(QAction *item);
    bool FormShortCut(int key, Qt::KeyboardModifiers modifiers);
    QList<QAction *> WindowMenuItems() const;
    QMdiSubWindow *SubWindowOf(QWidget *window) const;
    QList<QWidget *> MdiChildren() const;
    void TileSubWindows(Qt::Orientation orientation);

    // Scale and cursor tool bars: a scale button acts on the chart of the active graph window.
    void Zoom_UnZoom(QToolButton *sender);
    void ScaleChart(int code, TChart &chart, int windowKind, QWidget *window);
    void Button_Curs1Click();
    void Button_Curs2Click();
    // Playback and recording follow PlaybackOn: Start, the scenario and recording are off during playback.
    void UpdatePlaybackControls();
    // Checks the files of a recording and its version, then opens the playback window: false (after
    // saying why) when a file is missing, the version does not fit or there is no playback window.
    bool CheckResultFiles(const QString &indexFile);

    // R9.ini keys of the main window.
    void SaveLayout();
    void RestoreLayout();
    void FitMainCaption();

public slots:
    void Button_StartClick(QObject *sender);
    void Button_StopClick(QObject *sender);
    void Button_BreakClick(QObject *sender);
    void Button_ExitClick();
    void FormResize();
    void StatusBar2Click(QPoint position);
    void StatusBar2MouseMove(QPoint position);
    void Timer1Timer();
    void Timer_PowerStatusTimer();
    void Timer_MessageTimer();
    void Timer_masterTimer();
    void PackWork_TimerTimer();
    void Button_PowerClick();
    void N_GenClick(QObject *sender);
    void N_MasksClick(QObject *sender);
    void N_Settings(QObject *sender);
    void N_ScenarClick();
    void N_AboutClick();
    void N_DeviceClick();
    void N_HelpClick();
    void TlB_TechClick();
    void N_LoadConfigClick();
    void N_SaveConfigClick();
    // Recording, playback and the protocol.
    void Button_SaveDataClick(QObject *sender);
    void Button_PlayDataClick(QObject *sender);
    void Button_ProtocolClick();
    void NCascadeClick();
    void N_TileVertClick();
    void N_TileHorzClick();
    void NArrangeClick();
    void NRollDnClick();
    void NRollUpClick();
    void NCloseClick();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void FormCreate();
    void BuildControls();
    void BuildControlBar();
    void BuildPages();
    void BuildStatusBar();
    void BuildMenus();
    void BuildViewMenus();
    void BuildTimers();
    void BuildRunControls();
    void BuildScaleBar();
    void BuildCursorBar();
    void BuildDataCommands();
    // Hands the recorder and playback what they reach of the main window and the windows above them.
    void InstallRecordingServices();
    void UninstallRecordingServices();
    void InitInstrumentIdent();
    void SetIdleButtons();
    void AssignLinkHandlers(TDspIo9 *dspIo, TEmulator *emulator);
    void CloseLinkObjects();
    void ResetLinkStates();
    void ShowStatusTexts();
    void AdvanceTimeStamps(uint32_t time);
    void BufferSstItem(const TSstBufferedItem &item);
    void ReplaySstItems();
    void FreeSstItems();
    void CreateFolders();
    QWidget *ShowRegistryWindow(QPointer<QWidget> &slot, const WindowFactory &factory, int index, int tag);
    void BringUp(QWidget *window);
    void PlaceBands();
    // Widens a band of the control bar to its contents; the bands right of it in its row move along.
    void FitBand(QToolBar *band);
    void KeepBandsApart();
    QAction *ItemByName(const QString &name) const;

    QStringList arguments_;
    std::unique_ptr<QStringList> spareList_;

    // Timer1's memory between ticks.
    int lastStatusTag_ = 0;
    bool transientShown_ = false;
    uint32_t transientTick_ = 0;
    int syncBlinkCounter_ = 0;
    bool impedanceTimed_ = false;
    uint32_t impedanceTick_ = 0;

    std::vector<TSstBufferedItem> sstItems_;
    std::size_t sstCapacity_ = 0; // 0 while no buffer exists
    bool sstReplaying_ = false;
};

extern TMainForm *MainForm;

// A text button of a tool bar with its object name and hint (the text when empty).
QToolButton *AddButton(QToolBar *bar, const char *name, const QString &text, const QString &hint = {});

// Sets a tool bar's width to twice its indent plus the widths of its buttons, so that it shows them all.
void FitToolBarWidth(QToolBar *bar);

// The default configuration start-up loads: the first existing of default<n>.cfg, default1.cfg,
// default2.cfg and default.cfg in the folder; empty when there is none.
QString FindDefaultConfig(const QString &configDir, int instance);

// The connected instruments as status panel 0 names them: the 16 characters after "Trova " of each
// instrument's USB description.
QStringList ListInstrumentNames();
