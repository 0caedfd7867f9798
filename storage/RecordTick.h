#pragma once

// One recording step after an exchange with the instrument: writes the streams whose RecordChangeMask
// bits are set. Called while RecordingOn.
void RecordTick();
