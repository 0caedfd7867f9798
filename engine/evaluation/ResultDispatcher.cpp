#include "engine/evaluation/ResultDispatcher.h"

#include "engine/EngineBuffers.h"
#include "engine/MasterParam.h"
#include "engine/catalogue/ConnectionTypes.h"
#include "engine/evaluation/AutoMaxLevel.h"
#include "engine/evaluation/DispatchTargets.h"
#include "engine/evaluation/Evaluators.h"
#include "engine/evaluation/ProtocolSnapshot.h"
#include "state/DeviceSettings.h"
#include "state/MainGlobals.h"

namespace {

// The recorder's change bit of the ADC sample stream.
constexpr int32_t RecordAdcSamples = 0x2;

} // namespace

void ResultDispatcher(int source) {
    const TDispatchTargets &targets = DispatchTargets();
    if (SignalKind == 0) {
        if (FreqMasterParam)
            FreqMasterParam->ResetCurrent();
        if (RecordingOn)
            Dispatch(targets.RecordChange, RecordAdcSamples);
        return;
    }
    if (SignalKind < 1 || SignalKind > 7)
        return;
    EvaluateSignalKind(SignalKind, source);
    if (MeterConnected(DeviceSettings->ConnectionType)) {
        Dispatch(targets.AppendTimeSeries, int32_t(source));
        if (DeviceSettings->PeerConnectState > 0)
            Dispatch(targets.AutoScaleGraphs);
        Dispatch(targets.UpdateValueWindows);
        Dispatch(targets.AppendTimeDiagramPoints);
        if (LocalProtocolSnapshot.IntervalSeconds >= AutoProtocolMinSeconds)
            AutoProtocolTick();
        AutoMaxLevelStep();
        Dispatch(targets.MasterFrameHooks);
    }
    Dispatch(targets.StepScenario);
}
