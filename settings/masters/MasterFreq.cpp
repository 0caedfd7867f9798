#include "settings/masters/MasterFreq.h"

#include "chartlib/Chartlib.h"
#include "engine/GeneratorSynthesis.h"
#include "engine/MasterParam.h"
#include "engine/evaluation/CurveMarking.h"
#include "engine/evaluation/MasterCurves.h"
#include "settings/GeneratorCommands.h"
#include "settings/masters/MasterPageView.h"
#include "settings/masters/MasterSinRows.h"
#include "state/DeviceSettings.h"
#include "state/MainGlobals.h"

TMasterRun MasterFreqRun;

namespace {

constexpr int32_t FreqVerdictSlot = 20;

// The plan frequency fitted to one the generator can produce, at the master's SIN level.
void SetFreqGenerator(float planValue) {
    TDeviceSettings &s = *DeviceSettings;
    float actual = 0;
    uint32_t phaseStep = 0;
    FitGeneratorFrequency(int16_t(SynthesisTableLength()), planValue, s.SampleRate, actual, phaseStep);
    MasterFreqRun.GenValue = float(RoundFrequency(actual));
    s.Sin.F1 = MasterFreqRun.GenValue;
    s.Sin.Level = s.MasterF.SinValue;
    StartSin();
}

} // namespace

const TMasterKind MasterFreqKind = {MasterFreqIndex,  false, &TDeviceSettings::MasterF, &MasterFreqRun,
                                    &FreqMasterParam, CreateMasterFreqParam, SetFreqGenerator, 18};

void StartMasterFreq() {
    StartMaster(MasterFreqKind);
}

void MasterFreqStep(QObject *sender) {
    MasterStep(MasterFreqKind, sender);
}

bool NextMasterFreqGenerator() {
    return NextMasterGenerator(MasterFreqKind);
}

bool NextMasterFreqMeter() {
    return NextMasterMeter(MasterFreqKind);
}

void EndMasterFreqGenerator() {
    EndMasterGenerator(MasterFreqKind);
}

void FinishMasterFreq() {
    FinishMaster(MasterFreqKind);
}

void StopMasterFreqIfRunning() {
    StopMasterIfRunning(MasterFreqKind);
}

void StopMasterFreq() {
    StopMaster(MasterFreqKind);
}

void ResetMasterFreqRun() {
    ResetMasterRun(MasterFreqKind);
}

void MasterFreqFrameHook() {
    MasterFrameHook(MasterFreqKind, true);
}

void UpdateMasterFreqParam() {
    TMaster_Param *holder = FreqMasterParam;
    if (!holder)
        return;
    const TDeviceSettings &s = *DeviceSettings;
    const MasterBlock &m = s.MasterF;
    const bool wide = m.BandType == 1;
    // In playback the plan frequency is the centre of the recorded band.
    float x = 0;
    if (!wide)
        x = PlaybackOn ? s.BandF0 + s.SpectrumStep / 2 : MasterFreqRun.MeterValue;
    if (m.State == 2)
        holder->AddCurrentPoint(s.AfcRef, wide, x);
    holder->SetCurrent(SinRowValue(SinFrequencyRow), SinRowValue(SinAttenuationRow));
    MarkCurvePoints(holder->XValues(), holder->YValues(), holder->ArrayCount, FreqVerdictSlot);
}
