#include "settings/masters/MasterRun.h"

#include "engine/EngineBuffers.h"
#include "engine/MasterParam.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "engine/catalogue/ParamDescriptor.h"
#include "engine/evaluation/ProtocolSnapshot.h"
#include "link/connection/Tr9sendgetcommand.h"
#include "platform/Clock.h"
#include "platform/NoValue.h"
#include "settings/GeneratorCommands.h"
#include "settings/SettingsWindowButtons.h"
#include "settings/masters/MasterPageView.h"
#include "settings/masters/MasterPlan.h"
#include "settings/masters/MasterTimers.h"
#include "settings/masters/MasterTiming.h"
#include "state/DeviceSettings.h"
#include "storage/SettingsResets.h"
#include "state/MainGlobals.h"
#include "state/RecordChangeMask.h"

#include <QTimer>

uint8_t MasterMeterArmed = 0;

namespace {

constexpr int32_t ModeRelays = 0x001;
constexpr int32_t ModeRecompute = 0x100;
constexpr int32_t RecordSettings = 0x01;
constexpr int32_t SinKind = 1;

template <typename Call> void WithView(const TMasterKind &kind, Call call) {
    if (TMasterPageView *view = MasterPageView(kind.Index))
        call(*view);
}

void NoteSettingsChange() {
    if (RecordingOn)
        RecordChangeMask |= RecordSettings;
}

// The two halves of a step; the interval of a timed half is recomputed from its origin.
void StepHalves(const TMasterKind &kind, bool generator, bool meter) {
    TMaster_Param *holder = *kind.Holder;
    // A step after the measurement's stop deleted the characteristic has nothing to measure into.
    if (!holder)
        return;
    const TMasterRun &run = *kind.Run;
    const TMasterTimers &timers = MasterTimers();
    if (generator && NextMasterGenerator(kind)) {
        SetMasterTimerInterval(timers.Timer_G9master,
                               StepIntervalMs(BlockOf(kind).Interval, run.GenStep + 2, uint32_t(holder->FreqStepTick),
                                              uint32_t(holder->TimerStartTick)));
        WithView(kind, [](TMasterPageView &v) { v.ShowGenStep(); });
    }
    if (meter && NextMasterMeter(kind)) {
        if (run.MeterStep > 0)
            SetMasterTimerInterval(timers.Timer_M9master,
                                   StepIntervalMs(BlockOf(kind).Interval, run.MeterStep + 1,
                                                  uint32_t(holder->StepTick), uint32_t(holder->ArmTick)));
        WithView(kind, [](TMasterPageView &v) { v.ShowMeterStep(); });
    }
}

} // namespace

TMasterRun::TMasterRun() : GenValue(NoValue), MeterValue(NoValue) {}

void TMasterRun::Reset() {
    GenIndex = MeterIndex = GenStep = MeterStep = -1;
    GenValue = MeterValue = NoValue;
}

MasterBlock &BlockOf(const TMasterKind &kind) {
    return DeviceSettings->*kind.Block;
}

void StartMaster(const TMasterKind &kind) {
    TDeviceSettings &s = *DeviceSettings;
    MasterBlock &m = BlockOf(kind);
    // The run builds the curve of its SIN row ("АЧХ,дБ", "АХ,дБ"), which graph windows show only while
    // the row is analysed: a run switches its row's analysis on, so that its points reach the window
    // whichever order the user opened things in.
    if (ParamSettings *row = GraphParamSettings[kind.GraphKind][SinKind]; row && !row->Analyse) {
        row->Analyse = 1;
        RefreshParamTables();
    }
    m.State = 1;
    kind.Run->SavedAveraging = s.AveragingInterval;
    s.AveragingInterval = 0;
    ResetMasterRun(kind);
    MasterMeterArmed = 1;
    s.Mode |= ModeRecompute;
    BlockGenerator();
    if (m.BandType == 1) {
        s.BandF0 = m.BandF0;
        s.BandF1 = m.BandF1;
    } else if (kind.Level) {
        s.BandF0 = m.SinValue - s.SpectrumStep / 2;
        s.BandF1 = s.BandF0 + s.SpectrumStep;
    }
    if (m.AutoByTime) {
        // The generator's first value comes one interval after the start; a narrow-band meter is tuned to
        // the first plan value at once and waits for the tone before its timer is armed.
        const TMasterTimers &timers = MasterTimers();
        StopMasterTimers();
        const int32_t interval = StepIntervalMs(m.Interval, 1, 0, 0);
        SetMasterTimerInterval(timers.Timer_G9master, interval);
        SetMasterTimerInterval(timers.Timer_M9master, interval);
        if (m.SinOn) {
            StartMasterTimer(timers.Timer_G9master);
            (*kind.Holder)->TimerStartTick = int32_t(GetTickCount());
        }
        StepHalves(kind, false, true);
        MasterMeterArmed = 0;
    } else {
        StepHalves(kind, true, true);
    }
    ShowMeterAveraging();
    ShowMeterBand();
    WithView(kind, [](TMasterPageView &v) { v.RefreshState(); });
}

void MasterStep(const TMasterKind &kind, QObject *sender) {
    const TMasterTimers &timers = MasterTimers();
    const bool fromGenerator = sender && sender == static_cast<QObject *>(timers.Timer_G9master);
    const bool fromMeter = sender && sender == static_cast<QObject *>(timers.Timer_M9master);
    StepHalves(kind, !fromMeter, !fromGenerator);
}

bool NextMasterGenerator(const TMasterKind &kind) {
    MasterBlock &m = BlockOf(kind);
    TMasterRun &run = *kind.Run;
    if (!m.SinOn)
        return false;
    float value = 0;
    if (!NextPlanValue(m, run.GenIndex, value)) {
        EndMasterGenerator(kind);
        return false;
    }
    ++run.GenStep;
    if (*kind.Holder)
        (*kind.Holder)->FreqStepTick = int32_t(GetTickCount());
    kind.SetGenerator(value);
    return true;
}

void EndMasterGenerator(const TMasterKind &kind) {
    StopMasterTimer(MasterTimers().Timer_G9master);
    const MasterBlock &m = BlockOf(kind);
    // A wide-band run ends with its generator; once finished, a stray later step finishes nothing again.
    if (m.BandType == 1 && m.State >= 1)
        FinishMaster(kind);
}

bool NextMasterMeterValue(const TMasterKind &kind) {
    TMasterRun &run = *kind.Run;
    float value = 0;
    if (!NextPlanValue(BlockOf(kind), run.MeterIndex, value))
        return false;
    run.MeterValue = value;
    ++run.MeterStep;
    return true;
}

bool NextMasterMeter(const TMasterKind &kind) {
    TDeviceSettings &s = *DeviceSettings;
    const MasterBlock &m = BlockOf(kind);
    if (kind.Level || m.BandType == 0) {
        if (!NextMasterMeterValue(kind)) {
            StopMasterIfRunning(kind);
            return false;
        }
        if (!kind.Level) {
            s.BandF0 = kind.Run->MeterValue - s.SpectrumStep / 2;
            s.BandF1 = s.BandF0 + s.SpectrumStep;
        }
    }
    s.Mode |= kind.Level ? ModeRecompute : ModeRecompute | ModeRelays;
    SendCommand();
    if (TMaster_Param *holder = *kind.Holder) {
        // A frame measured before the step never lands on the next plan value.
        holder->ResetCurrent();
        holder->StepTick = int32_t(GetTickCount());
    }
    NoteSettingsChange();
    return true;
}

void FinishMaster(const TMasterKind &kind) {
    TDeviceSettings &s = *DeviceSettings;
    SaveKindProtocol(SinKind);
    LocalProtocolSnapshot.MasterDone = 1;
    BlockOf(kind).State = 0;
    s.AveragingInterval = kind.Run->SavedAveraging;
    ShowMeterAveraging();
    WithView(kind, [](TMasterPageView &v) { v.RefreshState(); });
    s.Mode |= ModeRelays;
    SendCommand();
    NoteSettingsChange();
}

void StopMasterIfRunning(const TMasterKind &kind) {
    if (BlockOf(kind).State < 1)
        return;
    StopMasterTimers();
    FinishMaster(kind);
}

void StopMaster(const TMasterKind &kind) {
    StopMasterTimers();
    BlockOf(kind).State = 0;
    kind.CreateParam();
    WithView(kind, [](TMasterPageView &v) {
        v.RefreshState();
        v.ClearStepTexts();
    });
}

void ResetMasterRun(const TMasterKind &kind) {
    kind.Run->Reset();
    WithView(kind, [](TMasterPageView &v) { v.ClearStepTexts(); });
    kind.CreateParam();
    MasterMeterArmed = 0;
}

void MasterFrameHook(const TMasterKind &kind, bool toneFound) {
    if (PlaybackOn)
        return;
    const MasterBlock &m = BlockOf(kind);
    TMaster_Param *holder = *kind.Holder;
    QTimer *timer = MasterTimers().Timer_M9master;
    if (m.State != 2 || MasterMeterArmed || MasterTimerActive(timer) || !m.AutoByTime || SignalKind != SinKind ||
        !holder || (kind.Level && !toneFound))
        return;
    if (kind.Level || m.BandType == 0) {
        // The meter's schedule starts at the first frame with the tone, moved back by the settling time.
        const float t = CurrentStepTime();
        holder->ArmTick = holder->StepTick = int32_t(GetTickCount() - uint32_t(SettlingMs(t)));
        SetMasterTimerInterval(timer, FirstMeterIntervalMs(m.Interval, t));
        StartMasterTimer(timer);
    }
    MasterMeterArmed = 1;
}
