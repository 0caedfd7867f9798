#pragma once

#include <cstdint>

// 1 idle, 2 while settings or time series are being rebuilt (the data handlers then take nothing),
// 0 while a handler hands its data on.
extern int16_t SettingsLoadState;
