#pragma once

#include "state/DeviceSettings.h"

#include <QString>

#include <functional>

// What loading and saving a configuration asks of the windows and subsystems above storage. The main
// window registers these at start (the settings window, the masters, the scenario editor and the
// remote link register theirs as they come); an empty entry is a service this program run does not
// have, and the step is skipped.
struct TConfigurationServices {
    // The main window's folders: the mask folder, relative to which files named inside a configuration
    // are stored, and the last folder a mask or weighting file was taken from.
    std::function<QString()> MaskDir;
    std::function<QString()> DirMaskFile;
    // The value windows bound to points of graph curves close before a configuration is read.
    std::function<void()> ClosePointValueWindows;
    // The status bar shows the maximum frequency and the connection type of the record in force.
    std::function<void()> ShowSettingsPanels;
    // The connection type in force becomes the previous one and the interlocks follow it.
    std::function<void()> RefreshSettingsInterlocks;
    // TMainForm::ApplyBlockSize.
    std::function<void(bool changed, bool force)> ApplyBlockSize;
    // TMainForm::ReopenInstrument: the link is opened again with the firmware the selective run needs.
    std::function<bool()> ReopenInstrument;
    // The message being sent to the peer is given up and the remote link broken.
    std::function<void()> BreakRemoteConnection;
    // The masters and the selective run stop; the stored states start them again.
    std::function<void()> StopMasterFreq;
    std::function<void()> StopMasterLev;
    std::function<void()> ResetMirvakResults;
    // The settings window's pages, when it is open, show the record in force.
    std::function<void()> RefreshAllPages;
    // The open parameter windows and result tables follow the rows.
    std::function<void()> RefreshParamTables;
    // The masks read (PendingMaskArray) go into force, and the graph windows bind them.
    std::function<void()> ResetGraphsAndMasks;
    // Every open graph window takes its default X range and binds its masks again.
    std::function<void()> RefreshGraphWindows;
    // The main window's caption names the configuration.
    std::function<void(const QString &fileName)> SetMainCaption;
    // The generator-state choice dialog of a save, shown modally; it edits StateCfgLocal, StateCfgRemote
    // and StateCfgConnect.
    std::function<void()> AskGeneratorStates;
    // The scenario editor takes a configuration read for one of its rows, with the lower norms of SIN
    // row 17, MTTS row 10 and NOISE row 4.
    std::function<void(const TDeviceSettings &copy, float sinNorm, float mttsNorm, float noiseNorm)>
        SetScenarioRowFromConfig;
};

TConfigurationServices &ConfigurationServices();
