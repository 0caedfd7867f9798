#pragma once

#include <cstdint>

// 1 while a scenario runs.
extern uint8_t ScenarioRunning;
