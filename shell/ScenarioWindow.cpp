#include "shell/ScenarioWindow.h"
#include "engine/evaluation/DispatchTargets.h"
#include "engine/evaluation/ProtocolSnapshot.h"
#include "protocols/BatchTargets.h"
#include "protocols/Form_scn.h"
#include "protocols/ScenarioFiles.h"
#include "settings/remote/RemoteLinkPeers.h"
#include "shell/DataCommandServices.h"
#include "shell/Main.h"
#include "shell/MaximizeFit.h"
#include "shell/WindowRegistries.h"
#include "state/MainGlobals.h"
#include "storage/Configuration.h"
#include "views/Setting.h"

#include <QToolButton>

namespace {

void ClearScenarioBatchTargets() {
    BatchTargets &targets = BatchControlTargets();
    targets.StartScenario = {};
    targets.PauseScenario = {};
    targets.OpenScenarioFile = {};
    targets.ScenarioRunning = {};
}

// Batch control reaches the scenario window while it is there.
void RegisterScenarioBatchTargets(TForm_Scenario *window) {
    BatchTargets &targets = BatchControlTargets();
    targets.StartScenario = [window] { window->Tlb_StartClick(); };
    targets.PauseScenario = [window] { window->Tlb_PauseClick(); };
    targets.OpenScenarioFile = [window](const QString &fileName) { window->OpenScenarioFile(fileName); };
    targets.ScenarioRunning = [] { return ScenarioRunning != 0; };
    QObject::connect(window, &TForm_Scenario::Closed, ClearScenarioBatchTargets);
    QObject::connect(window, &QObject::destroyed, ClearScenarioBatchTargets);
}

TForm_Scenario *RunningScenarioWindow() {
    return ScenarioRunning ? ScenarioWindow() : nullptr;
}

} // namespace

TForm_Scenario *ScenarioWindow() {
    return qobject_cast<TForm_Scenario *>(Form_Scenario.data());
}

void StepRunningScenario() {
    if (TForm_Scenario *window = RunningScenarioWindow())
        window->StepScenario();
}

void TMainForm::LockForScenarioRun(bool running) {
    const bool measuring = !Button_Start->isEnabled();
    for (const char *name : {"N_LoadConfig"})
        ItemByName(QLatin1String(name))->setEnabled(!running);
    Button_Protocol->setEnabled(!running);
    // Playback cannot start while a measurement runs, run or no run.
    QAction *play = ItemByName(QStringLiteral("NPlayData"));
    play->setEnabled(!running && !measuring);
    play->setChecked(false);
    Button_PlayData->setEnabled(!running && !measuring);
    Button_PlayData->setDown(false);
    const TDataCommandServices &services = DataCommandServices();
    for (const auto &refresh : {services.UpdateSettingsControlStates, services.EnableParamEditors})
        if (refresh)
            refresh();
    if (auto *settings = qobject_cast<TForm_Settings *>(Form_Settings.data()))
        settings->ShowSettings();
}

void TMainForm::RegisterScenarioWindow() {
    // Like the small windows' factories, the scenario window's reaches the main window that exists when
    // it is called; a stand-in put in place before stays.
    if (!WindowFactories.Scenario)
        WindowFactories.Scenario = [](int) -> QWidget * {
            if (!MainForm)
                return nullptr;
            auto *window = new TForm_Scenario(MainForm->IniFileName);
            FitOnMaximize(window);
            RegisterScenarioBatchTargets(window);
            return window;
        };
    TScenarioWindowHost &host = ScenarioWindowHost();
    host.DirCfgFile = [] { return MainForm ? &MainForm->DirCfgFile : nullptr; };
    host.MeasurementRunning = [] { return MainForm && !MainForm->Button_Start->isEnabled(); };
    host.StartMeasurement = [] {
        if (MainForm)
            MainForm->Button_StartClick(nullptr);
    };
    host.LockForRun = [](bool running) {
        if (MainForm)
            MainForm->LockForScenarioRun(running);
    };
    host.ReopenInstrument = [] {
        if (MainForm)
            MainForm->ReopenInstrument();
    };
    host.LoadConfiguration = [](const QString &fileName) {
        if (!MainForm)
            return false;
        MainForm->ConfigFileName = fileName;
        return LoadConfiguration(fileName);
    };
    host.PausePort = [] {
        return MainForm && ConnectionKind == 1 && TechnologyMode && MainForm->TechPort > 0 ? MainForm->TechPort : 0;
    };
    ScenarioProtocolLinks().DirReport = [] { return MainForm ? &MainForm->DirReport : nullptr; };

    // The dispatcher steps the run after every evaluated block; it skips the step when no kind is
    // measured, and the main window's timer steps it then.
    DispatchTargets().StepScenario = StepRunningScenario;
    ProtocolSnapshotServices().ScenarioTiming = []() -> std::optional<TScenarioTiming> {
        const TForm_Scenario *window = RunningScenarioWindow();
        return window ? window->RunTiming() : std::nullopt;
    };
    TRemoteLinkPeers &peers = RemoteLinkPeers();
    peers.RunningScenario = [](TRemoteLinkPeers::ScenarioInfo &info) {
        const TForm_Scenario *window = RunningScenarioWindow();
        return window && window->RunInfo(info);
    };
    peers.MarkScenarioRowRefused = [] {
        if (TForm_Scenario *window = ScenarioWindow())
            window->MarkRowRefused();
    };
    peers.RemoteResultsArrived = [] {
        if (ScenarioWindow() && CurrentScenario)
            CurrentScenario->RemoteResultsArrived = 1;
    };
}
