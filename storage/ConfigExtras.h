#pragma once

class TCustomIniFile;

// The sections of a configuration beyond the instrument and the parameter tables: the recording time
// windows and program options, the time-diagram series and the windows that are open with their stored
// properties. Written after the settings; read after the settings are in force.
void WriteConfigExtras(TCustomIniFile &ini);
void ReadConfigExtras(TCustomIniFile &ini);
