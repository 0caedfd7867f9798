#pragma once

#include <cstdint>
#include <functional>

// The measuring cursors of the oscillogram window (graph kind 0), in microseconds of its time axis.
struct TOscillogramCursors {
    bool FirstSet = false;
    float First = 0;
    bool SecondSet = false;
    float Second = 0;
};

// Registered by the oscillogram window while it exists; empty when there is none. The SYNC fragment is
// taken only while it is registered.
extern std::function<TOscillogramCursors()> OscillogramCursors;

// What a SYNC run keeps between blocks: the time of the last event (s, 0 before the first one) and the
// last fragment [First, End) of the oscillogram.
struct TSyncState {
    double LastEventTime = 0;
    int32_t FragmentFirst = 0;
    int32_t FragmentEnd = 0;
};
extern TSyncState SyncState;

// Starts a SYNC run: no events counted, the results, the oscillogram and the spectrum without values.
void ResetSyncResults();

// A block of a SYNC run: fresh = 1 for a new block from the instrument (counts and times the event and
// keeps its oscillogram), 0 to recompute the spectrum of the marked fragment after the cursors moved.
void ProcessSyncBlock(int32_t fresh);

// The frequency, level, noise and signal-to-noise of the strongest line of an n-point fragment spectrum.
void SyncSpectrumResults(int32_t n);
