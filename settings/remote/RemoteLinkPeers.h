#pragma once

#include <QString>

#include <functional>

// What the remote link asks of the subsystems above it (the main window, the protocol writer, the
// scenario runner, the masters) and of the settings window's frame. Each registers its entries when it
// comes into being; an empty entry is one this program run does not have, and the link goes on without
// it.
struct TRemoteLinkPeers {
    // The main window: status-bar panel 2 shows the connection type's name, panel 3 a transient text.
    std::function<void()> ShowConnectionType;
    std::function<void(const QString &text)> ShowStatusText;
    // The text-message window: opened (or raised) with the received text, or only refreshed when open.
    std::function<void()> ShowTextMessageWindow;
    std::function<void()> RefreshTextMessageWindow;
    // The peer's result table (the second result window) opened or raised.
    std::function<void()> ShowRemoteResultTable;
    // The program settings dialog, when open, shows ProgramSettings again.
    std::function<void()> RefreshProgramSettingsDialog;

    // The settings frame: all results and masks dropped when the peer lets this analyser go; the masks
    // received from the peer put into use; the parameter windows' editors and result tables follow.
    std::function<void()> ResetAllResults;
    std::function<void()> ResetGraphsAndMasks;
    std::function<void()> RefreshParamTables;

    // The masters: a running one stopped (both timers off, its state 0), and a run started.
    std::function<void()> StopMasterFreq;
    std::function<void()> StopMasterLev;
    std::function<void()> StartMasterFreq;
    std::function<void()> StartMasterLev;
    // Both master timers of the main window disabled (a master's settings arrived from the peer).
    std::function<void()> DisableMasterTimers;

    // The protocol writer: whether one is open and whether it is written under the peer's control; an
    // entry of the local (0) or the peer's (1) results added; the open protocol filed (flag 1: without a
    // dialog into the unsaved folder; 0: as at Stop, a protocol written under the peer's control into the
    // remote folder). The main window registers them over the protocol writer.
    std::function<bool()> ProtocolOpen;
    std::function<bool()> ProtocolIsRemote;
    std::function<void(int remote)> AddProtocolEntry;
    std::function<void(int flag)> CloseProtocol;

    // The scenario runner, while a scenario runs with its window: its number, its file name, the
    // configuration of its current row and whether that row is its last one that uses the peer. The main
    // window registers these three entries for the scenario window: RunningScenario (for ScenarioInfo_R),
    // MarkScenarioRowRefused (its current row's State -14 when the peer refuses the mode, only while its
    // window and current scenario exist) and RemoteResultsArrived (Results_R came while it runs).
    struct ScenarioInfo {
        int Number = 0;
        QString FileName;
        QString RowConfigName;
        bool LastRemoteRow = false;
    };
    std::function<bool(ScenarioInfo &info)> RunningScenario;
    // The current scenario row failed at the peer (state -14); the peer's results arrived for it.
    std::function<void()> MarkScenarioRowRefused;
    std::function<void()> RemoteResultsArrived;
    // The configuration last loaded or saved (the main window's ConfigFileName).
    std::function<QString()> ConfigFileName;
};

TRemoteLinkPeers &RemoteLinkPeers();

// Calls an entry when it is registered.
template <typename Entry, typename... Args> void CallPeer(const Entry &entry, Args &&...args) {
    if (entry)
        entry(std::forward<Args>(args)...);
}
