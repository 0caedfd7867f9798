#pragma once

#include "engine/evaluation/ProtocolSnapshot.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

struct ParamDescriptor;

// What an entry written by a scenario run reads of the scenario: the current scenario fills these hooks
// while it exists (the protocol library sits below the scenario's).
struct TProtocolScenario {
    // The configuration file of the current row of the current scenario (its item of the file list).
    std::function<QString()> RowConfigPath;
    // The current scenario's file name and its pass number.
    std::function<QString()> ScenarioPath;
    std::function<int32_t()> RepeatNumber;
};
TProtocolScenario &ProtocolScenario();

// Adds one entry to the protocol, opening one when none is open: the holder's results (remote 1 the
// peer's, 0 this analyser's), written by the scenario run when scenarioRow is not 0, with the protocol
// button's comment on an own entry. Nothing while a measurement is stopping, while the protocol is being
// filed, or without ready results; a block that does not decode (a kind outside 1..7, or too short for
// its rows) goes to the debug log and the holder is cleared. The holder stays ready when the protocol
// cannot be opened, and is cleared (ready and master-finished flags) once the entry is written.
void AddProtocolEntry(int remote, TProtocolSnapshot &holder, int scenarioRow, const QString &comment);

// Opens a new protocol for the current entry: its folder, header, page names and the first lines of its
// pages. False when a page cannot be opened or created.
bool StartProtocol(int scenarioRow);

// Appends the current entry's row to the contents page: its title linking to its data section, the
// quality, the compliance mark and a link to its settings.
void WriteContentsRow(const std::vector<ParamDescriptor> &rows);

// The entry's title for its results (remote) and the comment, from the texts of the current entry.
QString BuildEntryTitle(int remote, int scenarioRow, const QString &comment);

// The folder a new protocol is written in: the batch result folder while batch control runs, else
// Report/Temp<n>/.
QString ProtocolWorkFolder();
