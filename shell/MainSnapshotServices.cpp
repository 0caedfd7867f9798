#include "engine/catalogue/ConnectionTypes.h"
#include "settings/GeneratorCommands.h"
#include "settings/GeneratorStates.h"
#include "settings/SyncRun.h"
#include "settings/masters/MasterFreq.h"
#include "settings/masters/MasterLev.h"
#include "settings/remote/RemoteExchange.h"
#include "settings/SettingsInterlocks.h"
#include "settings/SettingsWindowButtons.h"
#include "shell/Main.h"
#include "shell/StatusBar2.h"
#include "shell/WindowRegistries.h"
#include "state/DeviceSettings.h"
#include "storage/GeneratorRestart.h"
#include "storage/SettingsResets.h"
#include "storage/SettingsSnapshotApply.h"
#include "views/Fgraph.h"
#include "views/GraphHost.h"

#include <QCoreApplication>

namespace {

// Applying a settings snapshot and restarting the generators after a load reach back into the main
// window, the graph windows, the settings window, the masters and the SYNC run; they join once the
// application exists. The selective run and the scenario row register their entries with their own
// windows.
void InstallSnapshotServices() {
    TSnapshotServices &snapshot = SnapshotServices();
    snapshot.MaskDir = [] { return MainForm ? MainForm->MaskDir : QString(); };
    snapshot.RefreshSettingsStatus = [] {
        if (!MainForm)
            return;
        MainForm->SetFrequencyPanel(DeviceSettings->MaxFrequency);
        MainForm->StatusBar2->SetPanelText(2, ConnectionTypeNames.value(DeviceSettings->ConnectionType));
        MainForm->StatusBar2->FitPanel(2);
        // The type now in force is the one the next change of type starts from.
        PreviousConnectionType = DeviceSettings->ConnectionType;
        MainForm->RefreshSettingsInterlocks();
    };
    snapshot.ApplyBlockSize = [](int changed) {
        if (MainForm)
            MainForm->ApplyBlockSize(changed != 0, false);
    };
    snapshot.RefreshAllPages = RefreshAllPages;
    snapshot.RefreshParamTables = RefreshParamTables;
    snapshot.ResetGraphsAndMasks = ResetGraphsAndMasks;
    snapshot.RebindGraphMasks = [](int which) {
        for (const auto &window : GraphWindows)
            if (auto *graph = qobject_cast<TForm_Graphic *>(window.data()))
                graph->RebindMasks(which);
    };
    // The message on its way is given up, so that the break goes out at once.
    snapshot.BreakRemoteConnection = [] {
        AbortRemoteMessages();
        BreakRemoteConnection();
    };

    TGeneratorRestartServices &restart = GeneratorRestartServices();
    restart.StartSin = StartSin;
    restart.StartSin2 = StartSin2;
    restart.StartRnd = StartRnd;
    restart.StartMtts = StartMtts;
    restart.StartNoise = StartNoise;
    restart.BlockGenerator = BlockGenerator;
    restart.StartMasterFreq = StartMasterFreq;
    restart.StartMasterLev = StartMasterLev;
    restart.StartSync = StartSync;
    restart.ShowMasterFreqState = ShowMasterFreqState;
    restart.ShowMasterLevState = ShowMasterLevState;
    restart.MarkLocalGenButton = MarkLocalGenButton;
    restart.MarkRemoteGenButton = MarkRemoteGenButton;
    restart.SelectRemoteGenerator = SelectRemoteGenerator;
    restart.SendRemoteMessage = [](const std::vector<uint8_t> &codes) { SendRemoteMessage(codes); };
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(InstallSnapshotServices)
