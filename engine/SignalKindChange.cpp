#include "engine/SignalKindChange.h"

#include "engine/EngineBuffers.h"
#include "engine/catalogue/ConnectionTypes.h"
#include "platform/NoValue.h"
#include "state/DeviceSettings.h"

int32_t LastSignalKind = int32_t(NoValue);
std::function<void()> OnSignalKindChange;

void RebindTimeSeriesOnKindChange() {
    if (LastSignalKind == SignalKind)
        return;
    // Without a meter the change waits until one is connected.
    if (!MeterConnected(DeviceSettings->ConnectionType))
        return;
    // A settling block only marks the break; the views stay as they are.
    if (SignalKind >= 1 && SignalKind <= 7 && OnSignalKindChange)
        OnSignalKindChange();
    LastSignalKind = SignalKind;
}
