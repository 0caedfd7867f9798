#pragma once

#include <QString>

// The interlocks between settings that the main window applies when the maximum frequency or the
// connection type changes.

// Empty when the maximum frequency F (kHz) may be chosen with the current settings; otherwise the
// warning that explains why not.
QString MaxFrequencyRefusal(float F);

// Asks for the change of the maximum frequency to F: false, after showing the warning, when it is refused.
bool CheckMaxFrequencyChange(float F);

// The analysis band back to its widest: SampleRate / 1024 .. MaxFrequency, at least 0.3 kHz at the
// lower end on the connection types above 5.
void ResetMeterBand();

// After a change of DeviceSettings->ConnectionType: remembers the type as the previous one.
void ApplyConnectionTypeRules();
extern int PreviousConnectionType;

// ImpedanceCalState from the MTTS generator and the connection type.
void UpdateMttsLoopMode();

// Mutes the generator: only the generator block stays on, and the block command is raised and issued.
void BlockGenerator();

// Questions that guard a change while a remote link is up; true when the change may go ahead.
bool ConfirmBreakConnection();
bool WarnRemoteParamChange();
