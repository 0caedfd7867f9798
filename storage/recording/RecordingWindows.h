#pragma once

#include "state/ProgramSettings.h"

#include <optional>

// Whether the recording time windows want recording at `time` (TDateTime): on while the time lies in at
// least one enabled window, its start and end included; no answer when no window is enabled, and the
// user's switch alone decides.
std::optional<bool> RecordingWindowsWant(const TProgramSettings &settings, double time);

// Switches recording on or off by the windows at the time of the current data (NowStamp), through the
// main window's recording switch so that its button follows. Because that switch raises the settings
// record whenever it turns recording on, every step inside a window writes a settings record. Nothing
// changes while no window is enabled.
void EvaluateRecordingWindows();
