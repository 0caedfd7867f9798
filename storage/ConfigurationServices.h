#pragma once

#include <QString>

#include <functional>

// What loading and saving a configuration asks of the windows and subsystems above storage, beyond what
// applying a settings snapshot asks too (TSnapshotServices: the mask folder, the status panels and
// interlocks, the block size, the settings pages, parameter windows and masks, the scenario row, the
// remote link). The main window registers these at start (the masters, the selective run and the
// generator-state dialog register theirs as they come); an empty entry is a service this program run
// does not have, and the step is skipped.
struct TConfigurationServices {
    // The last folder a mask or weighting file was taken from, where files named inside a configuration
    // are looked for first.
    std::function<QString()> DirMaskFile;
    // The value windows bound to points of graph curves close before a configuration is read.
    std::function<void()> ClosePointValueWindows;
    // TMainForm::ReopenInstrument: the link is opened again with the firmware the selective run needs.
    std::function<bool()> ReopenInstrument;
    // The masters and the selective run stop; the stored states start them again.
    std::function<void()> StopMasterFreq;
    std::function<void()> StopMasterLev;
    std::function<void()> ResetMirvakResults;
    // Every open graph window takes its default X range and binds its masks again.
    std::function<void()> RefreshGraphWindows;
    // The main window's caption names the configuration.
    std::function<void(const QString &fileName)> SetMainCaption;
    // The generator-state choice dialog of a save, shown modally; it edits StateCfgLocal, StateCfgRemote
    // and StateCfgConnect.
    std::function<void()> AskGeneratorStates;
};

TConfigurationServices &ConfigurationServices();
