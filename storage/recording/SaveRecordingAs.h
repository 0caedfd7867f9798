#pragma once

#include <QString>

#include <array>

// Ends the recording of a measurement: when recording files are open they are closed and a save dialog
// offers to copy the eight files under a name the user chooses (asking before any of the eight targets
// is replaced). A cancelled dialog copies nothing; the recording stays in the Data folder until the next
// one, and so does a recording of batch work, which opens no dialog. Nothing when no recording is open.
void SaveRecordingAs();

// The eight target names of a chosen name: the part before its last '.' (of the file name) with each
// extension of a recording, index first.
std::array<QString, 8> RecordingTargets(const QString &chosen);
