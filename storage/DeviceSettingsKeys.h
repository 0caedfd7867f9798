#pragma once

#include "state/DeviceSettings.h"

#include <QString>
#include <QStringList>

class TCustomIniFile;

// The instrument sections of an INI configuration: every key that carries a field of the settings
// record. Reading starts from a copy of the live record, so that a key missing from the file keeps the
// value in force (frequencies moved with the maximum frequency), and recomputes what follows from the
// values read.

// The file names that keys refer to: the weighting file and the mask templates are stored relative to
// the mask folder and looked for again in the last mask folder (DirMaskFile) and in the mask folder; the
// weighting file is kept in the main window's list of file names, whose index the record holds.
struct ConfigFileNames {
    QString MaskDir;
    QStringList *FileNameList = nullptr;
    QString DirMaskFile;
};

// The version assumed for a file without "Общие"/"Версия".
inline constexpr const char *UnversionedConfigText = "V6.00";

void WriteDeviceSettingsKeys(TCustomIniFile &ini, const TDeviceSettings &copy, const ConfigFileNames &names);

// Reads into `copy`, which starts as the live record (*DeviceSettings: its maximum frequency scales the
// missing frequencies and sets the rounding). Values a damaged file could hold out of range are brought
// into range, so that no table or buffer is indexed past its end. Returns the file's version text. The
// weighting path read (absolute, empty when none) is stored in the file-name list; loading the
// characteristic itself is the caller's.
QString ReadDeviceSettingsKeys(TCustomIniFile &ini, TDeviceSettings &copy, const ConfigFileNames &names);
