#pragma once

#include <QString>

// Configuration files: loading one into the settings, the parameter tables and the windows, and saving
// the current state into one.

// True when the file was loaded. A missing file is reported ("Не могу открыть файл" and its name).
bool LoadConfiguration(const QString &fileName);

// Writes the current state to the file, replacing an existing file only once the new one is complete;
// with ask set, first asks which generator states to store. True when written.
bool SaveConfiguration(const QString &fileName, int ask);
