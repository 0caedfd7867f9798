#pragma once

#include <cstdint>

// The random-event analysis of the meter frames: the instrument reports, once per merge interval, the
// extreme values it saw; each report becomes the extreme value, the count and the share of time of the
// intervals that crossed their norm.

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

// The last selective-mode result item, handed to the selective result holder.
void ProcessSstFrame();
