#include "settings/SettingsRecompute.h"

#include "engine/SignalRecognition.h"
#include "engine/evaluation/ProtocolSnapshot.h"
#include "state/MainGlobals.h"

// The automatic protocol restarts with the new interval, keeping the snapshots it has, and the next block
// starts a new settling frame. Invalidating the peer's results and restarting the masters' averaging join
// here with the windows that hold them.
void RecomputeAfterSettings(int) {
    ResetProtocolSnapshot(LocalProtocolSnapshot, 1);
    if (!PlaybackOn)
        ResetProtocolSnapshot(RemoteProtocolSnapshot, 1);
    ResetRecognitionState();
}
