#pragma once

#include "engine/evaluation/ProtocolSnapshot.h"
#include "settings/remote/RemoteLinkPeers.h"

#include <QStringList>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <optional>

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QSpinBox;
class QStatusBar;
class QTableWidget;
class QTableWidgetItem;
class QUrl;
class QToolBar;
class QToolButton;
class QTimer;
class TFormStorage;
struct ScenarioRow;
struct TSaveDialogRequest;

// What the scenario window takes from the main window, which fills it at start: the last configuration
// folder, whether a measurement runs (its Start button is disabled), and the file dialogs (empty: Qt's
// own; the chosen path, or an empty text on Cancel).
struct TScenarioWindowHost {
    std::function<QString *()> DirCfgFile;
    std::function<bool()> MeasurementRunning;
    std::function<QString(QWidget *owner, const TSaveDialogRequest &request)> AskOpenFile;
    std::function<QString(QWidget *owner, const TSaveDialogRequest &request)> AskSaveFile;
    // Opens a page in the desktop's browser (empty: QDesktopServices).
    std::function<void(const QUrl &url)> OpenUrl;
    // What a run drives in the main window: its Start button, the locks a run puts on its commands and on
    // the settings and parameter windows (running true while a run is in progress), reopening the
    // instrument (to leave the selective-mode firmware), and loading a row's configuration as the
    // current one (empty: LoadConfiguration).
    std::function<void()> StartMeasurement;
    std::function<void(bool running)> LockForRun;
    std::function<void()> ReopenInstrument;
    std::function<bool(const QString &fileName)> LoadConfiguration;
    // The technological port that a pause sends its commands on: its number when the instrument is on
    // USB and the technology switch is on, else 0.
    std::function<int()> PausePort;
};
TScenarioWindowHost &ScenarioWindowHost();

// The remote link as a run uses it: ending the link and asking the peer for its results with the
// scenario's information (empty: the remote link's BreakRemoteConnection and SendRemoteMessage with the
// codes 30 and 250). The link's states are DeviceSettings' ConnectState and PeerConnectState.
struct TScenarioRemoteLink {
    std::function<void()> BreakConnection;
    std::function<void()> RequestResults;
};
TScenarioRemoteLink &ScenarioRemoteLink();

// How long a run waits for the peer: for its results after the request, and for a link to go down.
inline constexpr uint32_t RemoteWaitMs = 45000;

// Grid columns.
enum ScenarioColumn : int {
    ColConfig = 0,
    ColDuration = 1,
    ColPrt = 2,
    ColRemotePrt = 3,
    ColPause = 4,
    ColState = 5,
    ColResult = 6,
    ColRemoteResult = 7,
    ScenarioColumnCount = 8,
};

// "Сценарий": the window in which the user builds a scenario, saves and opens it, and looks at a run's
// results. It owns the scenario (CurrentScenario) while it exists. The grid shows one row per scenario
// row and a last row with the summary "Итог"; flags are check boxes in their cells, and a row's results
// carry a ">>" button that shows the row's protocol pages. Start runs the rows one after another
// (StepScenario advances the current row, called by the main window's timer and after every evaluated
// block), Pause stops the run before the next step, Continue resumes at the selected row, and an
// auto-repeat series starts the scenario again after its interval.
class TForm_Scenario : public QWidget {
    Q_OBJECT
public:
    explicit TForm_Scenario(const QString &iniFileName, QWidget *parent = nullptr);
    ~TForm_Scenario() override;

    QToolBar *ToolBar1;
    QAction *Tlb_New;
    QAction *Tlb_Open;
    QAction *Tlb_Save;
    QAction *Tlb_SaveAs;
    QAction *Tlb_ImageOpen;
    QAction *Tlb_ImageSave;
    QAction *Tlb_InsCfg;
    QAction *Tlb_AddCfg;
    QAction *Tlb_DelCfg;
    QToolBar *ToolBar2;
    QAction *Tlb_Start;
    QAction *Tlb_Pause;
    QAction *Tlb_Continue;
    QToolBar *ToolBar3;
    QToolButton *Tlb_AutoRepeat;
    QMenu *PopupMenu1;
    QAction *N1;
    QAction *N2;
    QAction *N3;
    QLineEdit *MaskEdit1;
    QSpinBox *CSEdit_AutoRepeat;
    QLabel *Panel_ViewRepeat;
    QToolBar *ToolBar4;
    QLabel *Label1;
    QLineEdit *Edit1;
    QTableWidget *SG;
    QStatusBar *StatusBar1;
    TFormStorage *FormStorage1;

    bool Modified = false;

    // Grid rows as the scenario counts them: 0 the header, 1 to RowCount the scenario's rows, then the
    // summary row. The texts as shown.
    QString Cell(int column, int gridRow) const;
    int GridRowCount() const;
    int SelectedGridRow() const;
    void SelectGridRow(int gridRow);
    QCheckBox *FlagBox(int column, int gridRow) const;
    QToolButton *ResultButton(int column, int gridRow) const;

    void UpdateButtons();
    void FillGrid(bool withResults);
    void FillRowsFrom(int row);
    void FillRow(int row);
    void ClearGrid();
    void DeleteCurrentRow();
    void ShowRowState(int row);
    void ShowSummary();
    void ResetSummary();
    void ClearSummaryRow();
    void ResetRowResults(int row);

    // File commands.
    void AddConfiguration(const QString &fileName, bool insert);
    void OpenScenarioFile(const QString &fileName);
    int AskSaveScenario();

    // The run.
    void StepScenario();
    void StartScenario();
    void UpdateRunLocks();
    // 0 idle, 1 a step (or a start) is executing, 2 the window is closing and no step may start.
    int Busy = 0;
    // The first local and remote list references of the run ("<list page>#<anchor>").
    QString FirstLocalRef;
    QString FirstRemoteRef;
    QTimer *Timer1;
    // What the others read of a run: the automatic protocol's timing, the scenario information the peer
    // is sent (false without a current row); and the peer's refusal of the current row's mode.
    std::optional<TScenarioTiming> RunTiming() const;
    bool RunInfo(TRemoteLinkPeers::ScenarioInfo &info) const;
    void MarkRowRefused();

    // The combined verdicts of the summary (3 none), and whether any row contributed one.
    uint8_t LocalVerdict = 3;
    uint8_t RemoteVerdict = 3;
    bool LocalContributed = false;
    bool RemoteContributed = false;

public slots:
    void Tlb_NewClick();
    void Tlb_OpenClick();
    void Tlb_SaveClick();
    void Tlb_SaveAsClick();
    void Tlb_ImageSaveClick();
    void Tlb_ImageOpenClick();
    void Tlb_InsCfgClick();
    void Tlb_AddCfgClick();
    void Tlb_DelCfgClick();
    void N1Click();
    void N2Click();
    void N3Click();
    void MaskEdit1Change();
    void CSEdit_AutoRepeatChange();
    void Edit1Change();
    void Tlb_StartClick();
    void Tlb_PauseClick();
    void Tlb_ContinueClick();
    void Timer1Timer();

signals:
    // The window has agreed to close: what registered it lets go of it (it may be deleted later).
    void Closed();

protected:
    void closeEvent(QCloseEvent *event) override;
    // Enter on a result cell acts on its button; the mouse wheel does not scroll the grid.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void BeginRun();
    void BeginRow();
    void LoadRowConfig();
    void StepStart();
    void StepWaitLink();
    void StepExecution();
    void StepTransfer();
    void StepDisconnect();
    void StepUnsupported();
    void FinishRow();
    void ScheduleRepeat();
    void TakeResults(bool remote);
    void ShowRunWindow();
    void Beeps();
    bool InSeries() const;
    // The window closed while a step ran below its close: it goes once that step has returned.
    void ReleaseAfterStep();
    bool releasePending_ = false;
    int shownSecondsLeft_ = -1;
    uint32_t requestTick_ = 0;
    bool peerRefused_ = false;

    void InitGrid();
    void SizeFirstColumn();
    void SetCurrentColumn(int column);
    QTableWidgetItem *Item(int column, int gridRow) const;
    void SetCell(int column, int gridRow, const QString &text);
    void SetCellColor(int column, int gridRow);
    void PaintRow(int gridRow);
    void CheckBoxInGrid(int column, int gridRow);
    void BtnInGrid(int column, int gridRow);
    void RemoveCellControl(int column, int gridRow);
    void BtnClick(QToolButton *button, int column);
    int ControlRow(int column, const QWidget *control) const;
    void RemoveAllGridControls();
    void CheckBoxClick(int column, int gridRow, bool checked);
    bool ApplyFlagChange(int column, int gridRow);
    void ShowRowHints(int gridRow);
    void ShowRepeatControls(bool shown);
    void SelectAutoRepeat(int16_t kind, QAction *item, const QString &hint);
    void InsertConfiguration(bool insert);
    void OpenScenario(bool withResults);
    QString AskOpenName(const TSaveDialogRequest &request);
    QString AskSaveName(TSaveDialogRequest request, const QString &extension);
    bool WriteScenario(const QString &fileName);
    bool LocateMissingConfiguration(QString &path);
    int DefaultColumnWidth(int column) const;
    void FormStorage1RestorePlacement();
    void FormStorage1SavePlacement();
    ScenarioRow *RowOf(int gridRow) const;

    QString iniFileName_;
    QStringList headerHints_;
};

// A protocol left in the build folder with no protocol open (between the runs of an auto-repeat series)
// is filed unattended, to Report/UnsavedProtocol/, before a Start clears that folder.
void FileProtocolLeftInBuildFolder();

// The repeat interval typed as "hh:mm:ss": a blank digit is 0 and the tens of minutes and seconds are at
// most 5. The text put right, and its seconds.
struct RepeatIntervalText {
    QString Text;
    int32_t Seconds = 0;
};
RepeatIntervalText CorrectRepeatInterval(const QString &typed);

// The hint that explains a row's estimated duration by what its configuration does.
QString DurationHint(const ScenarioRow &row);
