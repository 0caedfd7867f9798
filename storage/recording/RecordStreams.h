#pragma once

#include <QString>

#include <array>
#include <cstdint>

// The recording being made: the index file and the seven data streams of Data/R9_WriteData<n>, each
// with the record of the current recording step waiting in memory. Main thread only.

// The files are open (set by OpenRecordFiles, cleared by CloseRecordFiles).
bool RecordFilesOpen();

// Creates the eight files afresh (an old recording of this instance is deleted), writes the ".set"
// header and raises every stream but ".snc" for the first step. A file that cannot be created is
// reported ("Не могу открыть файл" and its name) and ends the recording before anything is written:
// false, and the files are closed again.
bool OpenRecordFiles();

// Each writer puts the record of its stream for this step into the stream's memory. Only the settings
// record can fail (a snapshot whose counts do not fit its fields): the recording then stops.
bool WriteAdcRecord();
bool WriteRndRecord();
bool WriteSstRecord();
bool WriteAstRecord();
bool WriteSncRecord();
bool WriteSetRecord();
bool WriteRemRecord();

// Appends every waiting record to its file and one index record that points at the newest record of
// every stream; RecordChangeMask is cleared. Writes are checked: a failed write, or a step that would
// take a file past what the 32-bit offsets address, stops the recording with a message (the index
// stays at the last complete step). False when it stopped.
bool WriteIndexRecord();

// Writes the records of the raised streams in the recorder's order and, when anything was raised, the
// index record.
void WriteRecordingStep();

// Closes the files and clears RecordFilesOpen, RecordChangeMask and RecordingOn. The files stay on
// disk under RecordingFileNames().
void CloseRecordFiles();

// The files of the recording being made: index first, then the data streams in index-record order.
std::array<QString, 8> RecordingFileNames();

// A recording that failed (a write or the size limit) takes nothing more until its files are closed.
bool RecordingFailed();
