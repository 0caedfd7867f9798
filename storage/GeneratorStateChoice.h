#pragma once

#include "state/DeviceSettings.h"

#include <cstdint>

// Which generator state a saved configuration stores: one code for this analyser (0 SIN, 1 SIN2, 2 PRBS,
// 3 MTTS, 4 NOISE, 5 generator blocked, 6/7 frequency master with or without its SIN, 8/9 level master
// likewise, 10/11 selective run with or without its generator, 12 SYNC run), one for the peer (0 to 9
// alike, the peer's generators and SIN) and whether the remote link is to be set up. Computed from the
// settings at every save; the choice dialog edits them before the file is written.
extern int32_t StateCfgLocal;
extern int32_t StateCfgRemote;
extern int32_t StateCfgConnect;

inline constexpr int32_t LocalStateCodes = 13;
inline constexpr int32_t RemoteStateCodes = 10;

// The choice that the running generators, masters and runs of `settings` make.
void ComputeGeneratorStateChoice(const TDeviceSettings &settings);

// Rewrites `copy` to hold only the chosen states: every generator, master and run state 0, then the
// chosen ones 1 (on locally) with their SIN flags. A code out of range (a dialog that let one through)
// stores no state on that side.
void StoreGeneratorStateChoice(TDeviceSettings &copy);
