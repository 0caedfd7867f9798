#pragma once

#include <cstdint>

// The mask slot of a graph kind under a signal kind (0..43), or -1 where that pair carries no masks. The
// same graph kind has different masks under different kinds; slot 0 serves the oscillogram of PRBS,
// NOISE and SYNC alike.
int32_t MaskSlotOf(int32_t signalKind, int32_t graphKind);

// Whether a graph window of this kind binds its masks anew when the signal kind changes to
// newSignalKind: the master characteristics (kinds 18, 19) keep theirs except on a change to SIN, and the
// selective curves (21..36) except on a change to the selective mode, so that their masks survive the
// blocks of other kinds measured in between.
bool MasksFollowKindChange(int32_t graphKind, int32_t newSignalKind);
