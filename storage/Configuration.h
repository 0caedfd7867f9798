#pragma once

#include <QString>

// Configuration files: loading one into the settings, the parameter tables and the windows, and saving
// the current state into one. Not built yet: the reader and the writer of the format join here; until
// then nothing is loaded and nothing is written.

// Always false for now: the built-in settings stay. A missing file is reported ("Не могу открыть файл"
// and its name).
bool LoadConfiguration(const QString &fileName);

// Always false for now: nothing is written. Once built: writes the current state to the file, replacing
// an existing file only once the new one is complete, and with ask set first asks which generator states
// to store.
bool SaveConfiguration(const QString &fileName, int ask);
