#pragma once

// One recording step after an exchange with the instrument: writes the streams whose RecordChangeMask
// bits are set. Called while RecordingOn.
void RecordTick();

// Hands RecordTick to the connection control, whose per-block chains take the recording steps. Called
// once when the program starts.
void RegisterRecorder();
