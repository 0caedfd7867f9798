// Any bytes as a message from the peer analyser. The first byte chooses the receiver: paired with the
// peer (bit 0) or not; the rest is the message from its header on. The parse reads nothing outside the
// message, and the block-size indexes it leaves stay in the engine's range.
#include "engine/EngineBuffers.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "engine/catalogue/ValueQuantizer.h"
#include "engine/masks/MaskArray.h"
#include "platform/Clock.h"
#include "platform/MessageService.h"
#include "settings/remote/RemoteExchange.h"
#include "settings/remote/RemoteMessageCodec.h"
#include "state/DeviceSettings.h"

#include <cstdint>
#include <cstdlib>

namespace {

// The wait of a results request passes in virtual time.
VirtualClock &FuzzClock() {
    static VirtualClock clock(0, 100);
    return clock;
}

void SetUpOnce() {
    static bool done = false;
    if (done)
        return;
    done = true;
    InitValueQuantizers();
    BuildParamCatalogue();
    SetMessageBoxHandler([](const MessageRequest &) { return int(IdOk); });
    FuzzClock();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1)
        return 0;
    SetUpOnce();
    static TDeviceSettings receiver;
    receiver = DefaultDeviceSettings();
    receiver.Mode = 0;
    receiver.PeerConnectState = data[0] & 1;
    DeviceSettings = &receiver;
    ParseRemoteMessage(data + 1, int32_t(size - 1));
    if (receiver.AdcSizeIndex < 0 || receiver.AdcSizeIndex > 4 || receiver.SpectrumStepIndex < 1)
        std::abort();
    DropRemoteMessages();
    SetWeightingCurve(0, nullptr, nullptr);
    for (auto &slot : PendingMaskArray)
        for (auto &side : slot)
            side.reset();
    return 0;
}
