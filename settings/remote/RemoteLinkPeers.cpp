#include "settings/remote/RemoteLinkPeers.h"

TRemoteLinkPeers &RemoteLinkPeers() {
    static TRemoteLinkPeers peers;
    return peers;
}
