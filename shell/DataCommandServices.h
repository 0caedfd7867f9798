#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <optional>

// What the main window's recording, playback and protocol commands reach in subsystems above it or
// beside it: the playback window, the snapshots of results, the protocol writer with its comment dialog,
// and the refreshes of the settings and parameter windows. Each subsystem fills its entries when it joins
// the program (the main window registers the protocol's); an empty entry is one this program run does
// not have, and the command goes on without it (no playback window: playback does not start; no
// snapshot: there are no results to write).
struct TDataCommandServices {
    // Creates and shows the playback window of a recording: its caption the index file, its base name the
    // recording's files without extension.
    std::function<QWidget *(const QString &caption, const QString &base)> CreatePlayForm;
    // The open protocol was written while this analyser was under remote control.
    std::function<bool()> ProtocolWrittenRemotely;
    // A master run has finished since the local snapshot was last cleared.
    std::function<bool()> LocalMasterDone;
    // Takes a local snapshot of the kind's results; false when there is none to take.
    std::function<bool(int kind)> SaveKindProtocol;
    // The protocol's comment dialog: the comment, or none when the user cancelled.
    std::function<std::optional<QString>()> AskProtocolComment;
    // Adds an entry of the local (0) or the remote (1) results to the protocol.
    std::function<void(int remote, const QString &comment)> AddProtocolEntry;
    // The settings window and every parameter window enable their controls for the run state.
    std::function<void()> UpdateSettingsControlStates;
    std::function<void()> EnableParamEditors;
};

TDataCommandServices &DataCommandServices();

// The playback window while it exists.
extern QPointer<QWidget> PlayForm;
