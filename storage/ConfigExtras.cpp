#include "storage/ConfigExtras.h"

// Not built yet: the recording options, time-diagram and window sections join here (written in that
// order, read in the same order). Until then a configuration carries none of them, and loading one
// leaves the windows and the program options as they are.
void WriteConfigExtras(TCustomIniFile &) {}

void ReadConfigExtras(TCustomIniFile &) {}
