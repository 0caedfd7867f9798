#pragma once

#include <QString>

// The interlocks between settings that the main window applies when the maximum frequency or the
// connection type changes.

// Empty when the maximum frequency F (kHz) may be chosen with the current settings; otherwise the
// warning that explains why not: above 1100 kHz an impedance above 135 Ohm needs its low-ohm or high-ohm
// flag on a connected side, and below 80 kHz the largest spectrum size (32768 samples) is not allowed.
QString MaxFrequencyRefusal(float F);

// Asks for the change of the maximum frequency to F: false when it is refused, after status-bar panel 1
// was set back to the current maximum frequency and the warning was shown.
bool CheckMaxFrequencyChange(float F);

// The analysis band back to its widest: SampleRate / 1024 .. MaxFrequency, at least 0.3 kHz at the
// lower end on the connection types above 5.
void ResetMeterBand();

// After a change of DeviceSettings->ConnectionType: the type fixes or releases the impedance flags, sets
// or snaps the impedances and clears the phasogram (kept on type 7 and 0); the type becomes the previous
// one. Leaving a type that set the flags itself (3, 4, 8, 10) releases them.
void ApplyConnectionTypeRules();
extern int PreviousConnectionType;

// The analysis band of a connection type above 5 starts at 0.3 kHz at the lowest.
float LimitLowFrequency(float x);

// With the MTTS on and the generator and meter on one socket (types 3 and 4) the analysis band is the
// multitone's band, and the graph windows take their default X ranges again.
void UpdateBandForMtts();

// ImpedanceCalState from the MTTS generator and the connection type.
void UpdateMttsLoopMode();

// Questions that guard a change while a remote link is up; true when the change may go ahead.
bool ConfirmBreakConnection();
