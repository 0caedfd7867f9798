#include "settings/SyncRun.h"

#include "engine/SyncMeasurement.h"
#include "engine/evaluation/ResultGraphReset.h"
#include "link/connection/Tr9sendgetcommand.h"
#include "settings/GeneratorCommands.h"
#include "settings/SettingsWindowButtons.h"
#include "settings/SettingsWindowView.h"
#include "state/DeviceSettings.h"
#include "state/MainGlobals.h"
#include "state/RecordChangeMask.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int32_t SyncModeBits = 0x2101; // the SYNC relay, the recompute, the mode and relays
constexpr int32_t SyncRelayBit = 0x2000;
constexpr float SyncLowestSampleRate = 300;
constexpr int32_t OscillogramKind = 0;
constexpr int32_t OscillogramSlot = 0;

} // namespace

bool SyncAllowedAtSampleRate(float sampleRate) {
    return sampleRate >= SyncLowestSampleRate;
}

double SnapSyncDelay(double delay) {
    return std::trunc(delay * 0.04 + 0.5) * 25;
}

void ResetSyncGraph() {
    ResetResultGraph(OscillogramKind, OscillogramSlot);
}

void StartSync() {
    TDeviceSettings &s = *DeviceSettings;
    s.SyncGenState = 1;
    s.SyncPulseCount = 0;
    ResetSyncResults();
    ResetSyncGraph();
    s.Mode |= SyncModeBits;
    // The generator is muted; its SendCommand issues the SYNC bits along with the block.
    BlockGenerator();
    UpdateControlStates();
}

void StopSync() {
    TDeviceSettings &s = *DeviceSettings;
    s.SyncGenState = 0;
    s.Mode |= SyncRelayBit;
    SendCommand();
    if (RecordingOn)
        RecordChangeMask |= 0x01;
    if (SettingsWindowView()) {
        ShowSyncState();
        UpdateControlStates();
        ResetSyncGraph();
    }
}
