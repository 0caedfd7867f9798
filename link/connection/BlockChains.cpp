#include "link/connection/Tr9sendgetcommand.h"

#include "engine/BlockProcessing.h"
#include "engine/EngineBuffers.h"
#include "engine/RandomEventAnalysis.h"
#include "engine/SignalKindChange.h"
#include "engine/SyncMeasurement.h"
#include "engine/evaluation/DispatchTargets.h"
#include "engine/evaluation/ResultDispatcher.h"
#include "link/MeterFrameStore.h"
#include "link/connection/ConnectionServices.h"
#include "state/DeviceSettings.h"
#include "state/MainGlobals.h"
#include "state/RecordChangeMask.h"

namespace {

enum DispatchSource { FromBlock = 1, FromMeterFrame = 2, FromSelective = 3, FromSync = 4 };

enum RecordStream : std::int32_t {
    SamplesStream = 0x02,
    EventsStream = 0x04,
    SelectiveStream = 0x20,
    SyncStream = 0x80,
};

constexpr std::int16_t NoiseFrameKind = 2;
constexpr std::int32_t NoiseSignalKind = 5;

std::int16_t LastOverloadFlag = 0;

// The recorder takes every step, also while recording is off: its time windows may switch it on.
void RecordStep(std::int32_t streams) {
    if (RecordingOn)
        RecordChangeMask |= streams;
    Dispatch(ConnectionServices().RecordTick);
}

// The warning stays up while the peer's link uses status panel 3 for its own texts.
void ShowOverload() {
    const std::int16_t flag = EngineBuffers.OverloadFlag;
    TConnectionView *view = ConnectionView();
    if (view && flag)
        view->SetOverloadText(QStringLiteral("Перегрузка измерительного входа по уровню"));
    else if (view && DeviceSettings->PeerConnectState < 1 && LastOverloadFlag)
        view->SetOverloadText(QString());
    LastOverloadFlag = flag;
}

// A NOISE block is watched by the instrument as its frame kind 2.
bool FrameOfRunningKind() {
    const std::int16_t kind = MeterFrameStore.Kind;
    return SignalKind > 0 && (kind == SignalKind || (kind == NoiseFrameKind && SignalKind == NoiseSignalKind));
}

} // namespace

void ProcessAdcBlock() {
    ProcessBlock();
    ShowOverload();
    RebindTimeSeriesOnKindChange();
    ResultDispatcher(FromBlock);
    RecordStep(SamplesStream | (DeviceSettings->SyncGenState > 0 ? SyncStream : 0));
    AdvanceGenStates();
}

void ProcessMeterFrame() {
    if (!FrameOfRunningKind())
        return;
    AnalyseMeterFrame();
    RebindTimeSeriesOnKindChange();
    ResultDispatcher(FromMeterFrame);
    RecordStep(EventsStream);
}

void AnalyseMeterFrame() {
    const TMeterFrameStore &frame = MeterFrameStore;
    switch (frame.Kind) {
    case 1:
        ProcessSinEvents(frame.Q0, frame.Q1, frame.Q2);
        break;
    case 2:
        ProcessNoiseEvents(frame.Q1);
        break;
    case 3:
        ProcessMttsEvents(frame.Q2, frame.Q3);
        break;
    default:
        break;
    }
}

void ProcessSstResult() {
    ProcessSstFrame();
    RebindTimeSeriesOnKindChange();
    ResultDispatcher(FromSelective);
    RecordStep(SelectiveStream);
}

void ProcessSyncMet() {
    ResultDispatcher(FromSync);
    RecordStep(SyncStream);
}

void RecalcSyncResults() {
    ProcessSyncBlock(0);
    ResultDispatcher(FromSync);
}
