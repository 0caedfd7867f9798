#pragma once

#include <cstdint>
#include <functional>

// The random-event analysis of the meter frames: the instrument reports, once per merge interval, the
// extreme values it saw; each report becomes the extreme value, the count and the share of time of the
// intervals that crossed their norm.

// The instrument's watch as the meter-frame command sends it, and the analysis clock. Positions are
// complex-index units of a 1024-point spectrum (twice the bin).
struct TRandomEventSetup {
    double StartTime;         // s; NoValue while the analysis is off
    double LastFrameTime = 0; // s
    int32_t MergeCount = 0;   // merge interval in units of 1024 samples
    int16_t BandStart = 0;
    int16_t BandEnd = 0;
    int16_t ToneStart = 0; // tone, or comb start for MTTS
    int16_t ToneEnd = 0;   // tone, or comb end for MTTS
    int16_t CombSpacing = 0;
    TRandomEventSetup();
};
extern TRandomEventSetup RandomEventSetup;

// Starts the analysis of a signal kind (1 SIN, 3 MTTS, 5 NOISE): 1 started, 0 not.
int16_t StartRandomEvents(int16_t kind);

// Starts the analysis of the current signal kind and says what the meter frames are to do: 1 on (event
// counting is on and the analysis started), -1 off (nothing started while they are on), 0 nothing.
int16_t RandomEventsState(bool meterFramesOn);

// One meter frame of its kind: SIN (minimum signal, maximum noise, minimum signal-to-noise), NOISE (maximum
// noise), MTTS (minimum signal-to-noise of the comb lines and where it was).
void ProcessSinEvents(int32_t q0, int32_t q1, int32_t q2);
void ProcessNoiseEvents(int32_t q1);
void ProcessMttsEvents(int32_t q2, int16_t q3);

// The last selective-mode result item (SstResultItem), handed to the selective result holder; a finished
// group goes on to the selective mode's processing.
void ProcessSstFrame();

// The selective mode's processing of a finished group (its argument the item's result kind), which the
// selective mode registers; empty while it does not exist.
extern std::function<void(int32_t)> MirvakResultProcessing;
