#include "settings/masters/MasterLev.h"

#include "chartlib/Chartlib.h"
#include "engine/EngineBuffers.h"
#include "engine/GeneratorSynthesis.h"
#include "engine/MasterParam.h"
#include "engine/evaluation/CurveMarking.h"
#include "engine/evaluation/MasterCurves.h"
#include "platform/Clock.h"
#include "platform/NoValue.h"
#include "settings/GeneratorCommands.h"
#include "settings/masters/MasterPageView.h"
#include "settings/masters/MasterSinRows.h"
#include "settings/masters/MasterTiming.h"
#include "state/DeviceSettings.h"
#include "state/MainGlobals.h"

TMasterRun MasterLevRun;

namespace {

constexpr int32_t LevVerdictSlot = 21;
constexpr double MillisecondsPerDay = 86400000.0;

// The SIN frequency is fitted afresh at every step, so it may move slightly; the master keeps the
// fitted value.
void SetLevGenerator(float planValue) {
    TDeviceSettings &s = *DeviceSettings;
    float actual = 0;
    uint32_t phaseStep = 0;
    FitGeneratorFrequency(int16_t(SynthesisTableLength()), s.MasterL.SinValue, s.SampleRate, actual, phaseStep);
    s.MasterL.SinValue = float(RoundFrequency(actual));
    s.Sin.F1 = s.MasterL.SinValue;
    s.Sin.Level = planValue;
    MasterLevRun.GenValue = planValue;
    StartSin();
}

bool ToneAtSinFrequency() {
    return IsToneAtFrequency(SinRowValue(SinFrequencyRow), DeviceSettings->MasterL.SinValue);
}

// Milliseconds since the current meter step began: by the tick count live, by the recorded times in
// playback.
double SinceMeterStep(const TMaster_Param &holder) {
    if (PlaybackOn)
        return (NowStamp - holder.StepTime) * MillisecondsPerDay;
    return double(TicksSince(uint32_t(holder.StepTick)));
}

} // namespace

const TMasterKind MasterLevKind = {MasterLevIndex,    true, &TDeviceSettings::MasterL, &MasterLevRun,
                                   &LevelMasterParam, CreateMasterLevParam, SetLevGenerator, 19};

void StartMasterLev() {
    StartMaster(MasterLevKind);
}

void MasterLevStep(QObject *sender) {
    MasterStep(MasterLevKind, sender);
}

bool NextMasterLevGenerator() {
    return NextMasterGenerator(MasterLevKind);
}

bool NextMasterLevMeterValue() {
    return NextMasterMeterValue(MasterLevKind);
}

bool NextMasterLevMeter() {
    return NextMasterMeter(MasterLevKind);
}

void EndMasterLevGenerator() {
    EndMasterGenerator(MasterLevKind);
}

void FinishMasterLev() {
    FinishMaster(MasterLevKind);
}

void StopMasterLevIfRunning() {
    StopMasterIfRunning(MasterLevKind);
}

void StopMasterLev() {
    StopMaster(MasterLevKind);
}

void ResetMasterLevRun() {
    ResetMasterRun(MasterLevKind);
}

void MasterLevFrameHook() {
    MasterFrameHook(MasterLevKind, ToneAtSinFrequency());
}

void UpdateMasterLevParam() {
    TMaster_Param *holder = LevelMasterParam;
    if (!holder)
        return;
    const MasterBlock &m = DeviceSettings->MasterL;
    const bool counts = !m.AutoByTime || InSettledPart(SinceMeterStep(*holder), m.Interval, CurrentStepTime());
    if (counts && m.State == 2)
        holder->AddLevelPoint(SinRowValue(SinFrequencyRow), m.SinValue, MasterLevRun.MeterValue,
                              SinRowValue(SinLevelRow));
    MarkCurvePoints(holder->XValues(), holder->YValues(), holder->ArrayCount, LevVerdictSlot);
}

float LevelMasterStepLevel() {
    return MasterLevRun.MeterValue;
}

// A settings record is not always a step: the recording also writes one for other changes and, inside a
// recording window, at every tick. Restamping at each of them would restart the settling time of the
// step and drop every frame of a timed run, so only a new step moves the step time.
void RestoreLevelMasterStep(float level, double time) {
    TMaster_Param *holder = LevelMasterParam;
    const bool newStep =
        level != MasterLevRun.MeterValue || (holder && (holder->StepTime == 0 || time < holder->StepTime));
    MasterLevRun.MeterValue = level;
    if (holder && level != NoValue && newStep)
        holder->StepTime = time;
}
