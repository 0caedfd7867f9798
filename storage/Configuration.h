#pragma once

#include "state/DeviceSettings.h"

#include <QString>

class TCustomIniFile;

// Configuration files: loading one into the settings, the parameter tables and the windows, and saving
// the current state into one. Only the INI form is written; the legacy binary form of older versions is
// read.

// Loads and applies a configuration of either form; true when it was applied. A load started while
// another runs (from a handler during one of its waits) is refused with a line in the debug log, since
// both would write the same record and tables.
bool LoadConfiguration(const QString &fileName);

// Writes the current state as an INI configuration; with askState the generator-state choice is offered
// first. Keys of an existing file that the save does not write stay, and the file is replaced only once
// the new one is whole. False, after a message, when it cannot be written. The live settings never
// change.
bool SaveConfiguration(const QString &fileName, bool askState);

// Reads an INI configuration into a copy of the settings record and into the live parameter tables;
// applies the copy, or hands it to the scenario editor.
void LoadConfigIni(TCustomIniFile &ini, bool forScenario);

// The instrument keys into `copy` (which starts as the live record), the weighting characteristic
// into force, then the rows of the seven parameter tables. Returns the file's version text.
QString ReadConfigSettings(TCustomIniFile &ini, TDeviceSettings &copy);
void WriteConfigSettings(TCustomIniFile &ini, const TDeviceSettings &copy);

// Puts a record read from a configuration into force; while playback runs only the meter settings.
void ApplyIniConfiguration(const TDeviceSettings &copy);
