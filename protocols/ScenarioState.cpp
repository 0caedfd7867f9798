#include "protocols/ScenarioState.h"

uint8_t ScenarioRunning = 0;
