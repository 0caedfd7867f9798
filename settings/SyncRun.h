#pragma once

#include <cstdint>

// The SYNC run: the instrument registers the signal on its RTx input and measures pulse lengths relative
// to edges on its SYNC connector. While DeviceSettings->SyncGenState is 1 or more the command layer sends
// the SYNC measurement command (edge and delay) in place of the block-size command; the main window's
// block handler counts the blocks and ends the run after SyncCountPulse of them (MarkSyncFinished).

// The range of each edge mode's delay, us.
inline constexpr double SyncDelayMax = 1000000;

// SYNC needs a maximum frequency of 128 kHz or more (a sample rate of 300 kHz or more).
bool SyncAllowedAtSampleRate(float sampleRate);

// A delay snapped to the instrument's 25-us grid, halves going up.
double SnapSyncDelay(double delay);

// Starts the run with the settings in DeviceSettings: state 1, no pulse counted, the SYNC results and
// the oscillogram cleared, and the SYNC relay, the mode and the recompute issued with the generator
// block in one SendCommand. Works without the settings window.
void StartSync();
// Ends the run: state 0 and the SYNC relay switched back.
void StopSync();
// The oscillogram (graph kind 0) starts afresh.
void ResetSyncGraph();
