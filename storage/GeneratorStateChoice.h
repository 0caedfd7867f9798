#pragma once

#include "state/DeviceSettings.h"
#include "storage/StateCfgChoice.h"

#include <cstdint>

// Which generator state a saved configuration stores (StateCfgLocal, StateCfgRemote, StateCfgConnect):
// computed from the settings at every save; the choice dialog edits them before the file is written.

inline constexpr int32_t LocalStateCodes = 13;
inline constexpr int32_t RemoteStateCodes = 10;

// The choice that the running generators, masters and runs of `settings` make.
void ComputeGeneratorStateChoice(const TDeviceSettings &settings);

// Rewrites `copy` to hold only the chosen states: every generator, master and run state 0, then the
// chosen ones 1 (on locally) with their SIN flags. A code out of range (a dialog that let one through)
// stores no state on that side.
void StoreGeneratorStateChoice(TDeviceSettings &copy);
