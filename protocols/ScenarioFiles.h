#pragma once

#include "protocols/ScenarClass.h"

#include <QString>

#include <functional>

// Scenario files (*.scn) and results files (*.dat): INI with the section "Сценарий"; older versions'
// binary scenario files are read too. Configuration paths are stored relative to the scenario's folder or
// the Config folder and found again in either on loading.

// What a results file shares with the protocol: the main window's protocol folder (DirReport) and the name
// of the protocol's frameset page. The main window and the protocol writer register them; without them a
// results file stores an empty folder and this copy's frameset name, and what a results file brings is
// not kept.
struct TScenarioProtocolLinks {
    std::function<QString *()> DirReport;
    std::function<QString *()> FramesetName;
};
TScenarioProtocolLinks &ScenarioProtocolLinks();

// Config/ in the program folder.
QString ScenarioConfigFolder();

// A configuration path as a scenario in `scenarioFile` stores it: without the scenario's folder, or else
// without the Config folder, when that folder (with its separator) begins the path.
QString StoredConfigPath(const QString &path, const QString &scenarioFile);

// Writes the scenario (with its rows' results) and replaces the file whole; false, with the old file
// untouched, when it cannot be written.
bool SaveScenarioIni(const TScenarClass &scenario, const QString &fileName);

// Reads either format into an emptied scenario, appending rows and their resolved configuration paths to
// FileNameList. With results the rows' results, the scenario's name, the protocol folder and the frameset
// name are read too. False when the file cannot be read, or when a binary file ends inside an item (the
// whole rows before it are kept); the user has been told.
bool LoadScenarioIni(TScenarClass &scenario, bool withResults, const QString &fileName);
