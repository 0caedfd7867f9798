#pragma once

#include <cstdint>
#include <functional>
#include <vector>

// The remote link between two analysers is not built yet. These narrow declarations are what the
// settings window needs of it: whether a link may be opened, and sending a list of record and program
// codes to the peer.

// False: without the remote link no peer can be reached.
bool IsRemoteLinkAvailable();

// The remote link registers its sender here; while none is registered nothing is sent.
extern std::function<void(const std::vector<uint8_t> &codes)> RemoteMessageSender;
void SendRemoteMessage(const std::vector<uint8_t> &codes);
