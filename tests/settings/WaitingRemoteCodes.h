#pragma once

#include "settings/remote/RemoteExchange.h"
#include "state/RemoteMessage.h"

#include <cstdint>
#include <vector>

// The message a button left waiting for the link (a paused view holds it back): its program codes, then
// the type of its first record; the message is dropped afterwards. Empty when none waits.
inline std::vector<uint8_t> TakeWaitingRemoteCodes() {
    std::vector<uint8_t> codes(RemoteMessage.Program, RemoteMessage.Program + RemoteMessage.ProgramCount);
    if (RemoteMessage.Size > 2)
        codes.push_back(RemoteMessage.Message[2]);
    DropRemoteMessages();
    return codes;
}
