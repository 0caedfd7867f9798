#pragma once

#include <QString>

struct ConfigFileNames;

// The weighting characteristic named inside a configuration goes into force: the file is looked for as
// every file named inside a configuration is (LocateFile), and `path` becomes the file found, empty when
// the user gave none. Without a file, or with one that cannot be read, the characteristic is empty
// (false).
bool LoadWeightingFile(QString &path, const ConfigFileNames &names);
