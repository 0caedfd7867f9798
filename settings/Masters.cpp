#include "settings/Masters.h"

#include "engine/evaluation/DispatchTargets.h"
#include "state/DeviceSettings.h"
#include "storage/recording/RecordingServices.h"

namespace {

// A master's band back to SampleRate / 1024 .. MaxFrequency, at least 0.3 kHz on the types above 5.
void ResetMasterBand(MasterBlock &master) {
    const TDeviceSettings &s = *DeviceSettings;
    float f0 = s.SampleRate / 1024;
    if (s.ConnectionType > 5 && f0 < 0.3f)
        f0 = 0.3f;
    master.BandF0 = f0;
    master.BandF1 = s.MaxFrequency;
}

} // namespace

void RescaleMasterFreq(double r) {
    StopMasterFreq();
    MasterBlock &master = DeviceSettings->MasterF;
    const int rows = SetRowCount(master);
    for (int i = 0; i < rows; ++i)
        master.Set[i].Value = float(master.Set[i].Value * r);
    master.RangeStart = float(master.RangeStart * r);
    master.RangeStep = float(master.RangeStep * r);
    ResetMasterBand(master);
}

void RescaleMasterLev(double r) {
    StopMasterLev();
    MasterBlock &master = DeviceSettings->MasterL;
    ResetMasterBand(master);
    master.SinValue = float(master.SinValue * r);
}

void RegisterMasterServices() {
    TDispatchTargets &targets = DispatchTargets();
    targets.UpdateMasterParams = [] {
        UpdateMasterFreqParam();
        UpdateMasterLevParam();
    };
    targets.MasterFrameHooks = [] {
        MasterFreqFrameHook();
        MasterLevFrameHook();
    };
    TRecordingServices &recording = RecordingServices();
    recording.LevelMasterStepLevel = LevelMasterStepLevel;
    recording.RestoreLevelMasterStep = RestoreLevelMasterStep;
    recording.ResetMasterFreqRun = ResetMasterFreqRun;
    recording.ResetMasterLevRun = ResetMasterLevRun;
}
