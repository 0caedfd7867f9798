#pragma once

#include <cstdint>

// The settings a selective calibration was made under, taken when it became valid.
void SnapshotMirvakSettings();

// What the current settings ask to repeat, compared with the snapshot (floats compared exactly):
// 0 nothing; 1 settings every calibration depends on changed; 2 the AFC calibration; 3 the open-leads
// calibration; 4 the shorted-leads calibration; 5 the known-load calibration; 6 the open-line
// measurement; 7 the shorted-line measurement.
int32_t MirvakSettingsChanged();
