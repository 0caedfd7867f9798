#pragma once

#include <cstdint>

// A block of a SYNC run: fresh = 1 for a new block from the instrument (counts and times the event and
// keeps its oscillogram), 0 to recompute the spectrum of the marked fragment after the cursors moved.
void ProcessSyncBlock(int32_t fresh);
