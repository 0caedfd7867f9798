#pragma once

// ScenarioRunning (1 while a scenario runs) is a program-wide value: the settings window's enabling rules
// read it too.
#include "state/MainGlobals.h"
