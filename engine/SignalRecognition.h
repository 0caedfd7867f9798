#pragma once

#include <cstdint>

// Decides the kind of the block in AdcSampleBuffer from its first 2048 samples in integer arithmetic:
// SIN, SIN2, MTTS, PRBS or NOISE, with the level checks of each kind written to its rows; a change of
// kind or of its tone positions gives the settling kind 0 for this block and restarts the average.
// Also stored in SignalKind.
int32_t RecogniseSignal();

// Forgets the last recognised kind, so that the next recognised block settles.
void ResetRecognitionState();

// The next block starts the spectrum average afresh; the SIN level statistics start again too.
void RestartSinAveraging();
void RestartSpectrumAveraging();

// Sets the value of every row of the table of one signal kind (1 .. 5) to NoValue.
void ClearKindResults(int32_t kind);
