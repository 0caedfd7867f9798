#pragma once

// One recording step after an exchange with the instrument (a signal block, a meter frame, a selective
// result, a SYNC result): the recording time windows switch recording on or off, the recording files are
// created at the first step that records, and the streams whose RecordChangeMask bits are set are written
// with their index record. Taken after every exchange, also while recording is off, so that a window can
// switch it on. Nothing while the measurement is being ended. Change bits left while recording is off
// are dropped, so a recording switched on again starts from what changes after.
void RecordTick();

// Hands RecordTick to the connection control, whose per-block chains take the recording steps, and the
// change bits of the evaluation's dispatch to RecordChangeMask. Called once when the program starts.
void RegisterRecorder();
