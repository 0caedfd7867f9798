#include "engine/SignalKindChange.h"

#include "engine/EngineBuffers.h"
#include "engine/TimeSeries.h"
#include "engine/catalogue/ConnectionTypes.h"
#include "engine/catalogue/ParameterTable.h"
#include "engine/evaluation/DispatchTargets.h"
#include "engine/evaluation/ProtocolSnapshot.h"
#include "platform/NoValue.h"
#include "state/DeviceSettings.h"

int32_t LastSignalKind = int32_t(NoValue);
std::function<void()> OnSignalKindChange;

TSignalKindChangeViews &SignalKindChangeViews() {
    static TSignalKindChangeViews views;
    return views;
}

namespace {

constexpr int32_t KindChangePrbs = 4;
constexpr int32_t KindChangeModeBit = 0x1;

// The reflectometer needs the finest time resolution: the smallest block, and no event counting, which
// would take the instrument's attention from the blocks.
void ForcePrbsBlockSize() {
    TDeviceSettings &s = *DeviceSettings;
    if (s.Phasogram || (s.AdcSizeIndex <= 0 && !s.EventCounting))
        return;
    s.EventCounting = 0;
    s.AdcSizeIndex = 0;
    Dispatch(SignalKindChangeViews().ApplyForcedBlockSize);
    s.Mode |= KindChangeModeBit;
    Dispatch(DispatchTargets().SendCommand);
}

} // namespace

void RebindTimeSeriesOnKindChange() {
    if (LastSignalKind == SignalKind)
        return;
    // Without a meter the change waits until one is connected.
    if (!MeterConnected(DeviceSettings->ConnectionType))
        return;
    const TSignalKindChangeViews &views = SignalKindChangeViews();
    if (SignalKind == KindChangePrbs)
        ForcePrbsBlockSize();
    if (LastSignalKind == KindChangePrbs)
        Dispatch(views.UpdateSettingsControls);
    // The automatic protocol starts over for the new kind and keeps what it took of the old one.
    ResetProtocolSnapshot(LocalProtocolSnapshot, LocalProtocolSnapshot.HasData);
    if (SignalKind < 1 || SignalKind > 7) {
        // A settling block only marks the break; the views stay as they are.
        GapAllTimeSeries();
        LastSignalKind = SignalKind;
        return;
    }
    const ParameterTable table = ParameterTableOf(SignalKind);
    RebindTimeSeries(table.Rows, table.RowCount);
    Dispatch(views.RebindGraphWindows, SignalKind);
    Dispatch(views.RebuildResultTable);
    Dispatch(views.ArrangeGraphWindows);
    Dispatch(OnSignalKindChange);
    LastSignalKind = SignalKind;
}
