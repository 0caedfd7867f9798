#pragma once

#include "protocols/ScenarClass.h"
#include "state/DeviceSettings.h"

#include <cstdint>

// What a scenario row takes from its configuration, and how long the row is estimated to take.

// Seconds that setting up a configuration costs by its ADC vector size index (clamped to 0..4 first,
// whatever a damaged file stores), plus 2 when the remote link is asked for.
int32_t ConfigSetupSeconds(int32_t adcSizeIndex, bool remoteLink);

// The set-up time of a configuration: 8 s while the remote analyser's PRBS generator runs, otherwise
// ConfigSetupSeconds of its ADC index and local connection state.
int32_t ConfigOverheadSeconds(const TDeviceSettings &settings);

// Fills the row's fields that come from the configuration (remote link, timer norms, averaging time,
// counting mode, ADC index), classifies it (frequency master, level master, random-events counting or
// precision analysis) and estimates Duration.
void FillRowFromConfig(ScenarioRow &row, const TDeviceSettings &settings, float noiseTimerNorm, float mttsTimerNorm,
                       float sinTimerNorm);

// TForm_Scenario::SetRowFromConfig: fills the current scenario's row at ScenarioInsertIndex; nothing
// without a scenario or with an index that names no row. The configuration loaders call it in their
// scenario mode.
void SetRowFromConfig(const TDeviceSettings &settings, float noiseTimerNorm, float mttsTimerNorm, float sinTimerNorm);
