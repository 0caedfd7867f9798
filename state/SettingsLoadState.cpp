#include "state/SettingsLoadState.h"

int16_t SettingsLoadState = 1;
