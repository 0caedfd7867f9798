#pragma once

// After a change of settings that the instrument does not need to hear about: the results, the time
// series and the recognition start afresh. `flag` is 1 when the pending-command road asks for it.
void RecomputeAfterSettings(int flag);

// The peer's results of SIN, SIN2, MTTS, RND and NOISE become "not measured" (verdict passed).
void InvalidateParamResults();
// The peer's results changed: the recorder and the peer's result table follow.
void RefreshRemoteResults();
// Before the meter settings go to the peer: an averaging interval of 4 s or less becomes 5 s unless a
// master runs, and the open meter page shows it.
void RaiseAveragingForRemote();
