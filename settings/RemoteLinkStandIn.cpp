#include "settings/RemoteLinkStandIn.h"

std::function<void(const std::vector<uint8_t> &codes)> RemoteMessageSender;

bool IsRemoteLinkAvailable() {
    return false;
}

void SendRemoteMessage(const std::vector<uint8_t> &codes) {
    if (RemoteMessageSender)
        RemoteMessageSender(codes);
}
