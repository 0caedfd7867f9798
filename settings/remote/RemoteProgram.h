#pragma once

#include "settings/remote/RemoteMessageParts.h"

#include <cstdint>
#include <vector>

// The program codes that a message leaves behind on its sending side: each runs once, in order, after
// the transmission (or at once for a message without records); then the instrument commands the actions
// raised are issued.
void RunProgramStep(uint8_t code, const TUnsupportedModes &unsupported);
void RunProgram(const uint8_t *codes, int32_t count, const TUnsupportedModes &unsupported);

// Code 6: the link is broken (by either side).
void EndRemoteLink();
// Code 41: the peer does not support the mode (entries 1, 4, 5) or refused an unpaired access (15).
void ShowModeNotSupported(const TUnsupportedModes &unsupported);
