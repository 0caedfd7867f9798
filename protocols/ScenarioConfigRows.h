#pragma once

#include <QString>

// A configuration file read into a row of the current scenario: the row's path, remote link, timer
// norms, averaging time, counting mode, ADC index, class and estimated duration.

// With `add` a new row is inserted at `index` and the path pooled for it; without, the row at `index`
// keeps its pool entry, which takes the file name (the file may be a replacement the user chose). An INI
// configuration goes through the INI loader's scenario mode; a binary one through the version check and
// the settings snapshot's scenario mode. False, after a message and with the scenario as it was, when a
// binary configuration is refused or damaged or the file cannot be read.
bool ReadConfigIntoRow(const QString &fileName, bool add, int index);
