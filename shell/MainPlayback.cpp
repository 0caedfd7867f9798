#include "shell/Main.h"

#include "engine/SignalKindChange.h"
#include "protocols/ProtocolFiles.h"
#include "settings/GeneratorStates.h"
#include "settings/SettingsRecompute.h"
#include "settings/SettingsWindowButtons.h"
#include "settings/remote/RemoteResultsBlock.h"
#include "shell/DataCommandServices.h"
#include "shell/MainSst.h"
#include "shell/WindowRegistries.h"
#include "storage/SettingsResets.h"
#include "storage/playback/Play_form.h"
#include "storage/playback/PlaybackServices.h"
#include "storage/recording/RecordingServices.h"
#include "views/Fgraph.h"
#include "views/Form_parammeter.h"

#include <QAction>

void TMainForm::InstallRecordingServices() {
    TRecordingServices &recording = RecordingServices();
    recording.ToggleRecording = [this] { Button_SaveDataClick(ItemByName(QStringLiteral("NSaveData"))); };
    recording.RememberDataFolder = [this](const QString &folder) { DirDataFile = folder; };
    recording.LastRemoteResultsBlock = LastRemoteResultsBlock;

    DataCommandServices().CreatePlayForm = [this](const QString &caption, const QString &base) -> QWidget * {
        auto *bar = new TPlayForm(caption, base, this);
        bar->show();
        return bar;
    };

    TPlaybackServices &playback = PlaybackServices();
    playback.InvalidateRemoteResults = InvalidateParamResults;
    playback.ShowRemoteResults = [this] {
        CurrentIndex = 1;
        ShowBaseParWindow();
    };
    // The clear-all command of the two master graphs, as their tool button gives it.
    playback.ClearMasterGraphs = [this] {
        for (int kind : {18, 19})
            if (TForm_Graphic *graph = OpenGraphWindow(kind))
                ScaleChart(12, *graph->Chart1, 1, graph);
    };
    playback.MarkRecordedGenerators = RefreshGenButtons;
    playback.MoveCursorsToSstFrequency = MoveCursorsToSstFrequency;
    playback.StoreSstTraces = StoreSstTraces;
    playback.RefreshControlStates = [] {
        UpdateControlStates();
        EnableEditorsOfAllWindows();
    };
    playback.PlaybackClosed = [this] {
        CloseProtocol(false);
        ResetAllResults();
        BlockAllGenerators();
        RefreshGenButtons();
        UpdatePlaybackControls();
    };
}

void TMainForm::UninstallRecordingServices() {
    TRecordingServices &recording = RecordingServices();
    recording.ToggleRecording = {};
    recording.RememberDataFolder = {};
    recording.LastRemoteResultsBlock = {};
    DataCommandServices().CreatePlayForm = {};
    PlaybackServices() = {};
}
