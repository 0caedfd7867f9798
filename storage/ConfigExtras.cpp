#include "storage/ConfigExtras.h"

#include "storage/ConfigOptions.h"
#include "storage/ConfigWindows.h"

void WriteConfigExtras(TCustomIniFile &ini) {
    WriteRecordingOptions(ini);
    WriteTimeSeriesKeys(ini);
    WriteWindowSections(ini);
}

void ReadConfigExtras(TCustomIniFile &ini) {
    ReadRecordingOptions(ini);
    ReadTimeSeriesKeys(ini);
    RestoreWindowSections(ini);
}
