#include "settings/SettingsRecompute.h"

#include "engine/SignalRecognition.h"

// The next block starts a new settling frame. Invalidating the peer's results, resetting the time series
// and restarting the masters' averaging join here with the windows that hold them.
void RecomputeAfterSettings(int) {
    ResetRecognitionState();
}
