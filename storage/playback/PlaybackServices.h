#pragma once

#include <QString>

#include <functional>

// What playback reaches in the windows and subsystems above this folder: the main window, the settings
// window, the graph and result windows and the protocol. The main window fills the entries when the
// program starts; an empty entry is left out of the step.
struct TPlaybackServices {
    // The peer's result tables and their time series become "not measured"; the peer's result window
    // is shown (after a ".rem" record with results).
    std::function<void()> InvalidateRemoteResults;
    std::function<void()> ShowRemoteResults;
    // The frequency and level master graphs are cleared (at the loop to the start of the recording).
    std::function<void()> ClearMasterGraphs;
    // The settings window marks the recorded generators (local and the peer's).
    std::function<void()> MarkRecordedGenerators;
    // Selective display after a selective item and after a ".ast" record.
    std::function<void()> MoveCursorsToSstFrequency;
    std::function<void()> StoreSstTraces;
    // The settings window's controls and the parameter windows' editors follow the "use the recorded
    // settings" option.
    std::function<void()> RefreshControlStates;
    // Playback has ended: the protocol is closed, the results reset, the generators blocked and the
    // main window's controls follow.
    std::function<void()> PlaybackClosed;
};

TPlaybackServices &PlaybackServices();
