#include "settings/SettingsRecompute.h"

#include "engine/MasterParam.h"
#include "engine/SignalRecognition.h"
#include "engine/catalogue/ParamDescriptor.h"
#include "engine/catalogue/ParameterTable.h"
#include "engine/evaluation/ProtocolSnapshot.h"
#include "platform/NoValue.h"
#include "settings/SettingsHost.h"
#include "settings/SettingsWindowButtons.h"
#include "state/DeviceSettings.h"
#include "state/MainGlobals.h"
#include "state/RecordChangeMask.h"

namespace {

constexpr int LastGeneratorKind = 5; // the peer's results of the generator kinds SIN .. NOISE

} // namespace

void InvalidateParamResults() {
    for (int kind = 1; kind <= LastGeneratorKind; ++kind) {
        const ParameterTable table = ParameterTableOf(kind);
        for (int32_t i = 0; i < table.RowCount; ++i) {
            ParamResult &result = table.RemoteResults[i];
            result.Value = NoValue;
            result.Margin = NoValue;
            result.Verdict = ParamPassed;
        }
    }
}

void RefreshRemoteResults() {
    if (RecordingOn)
        RecordChangeMask |= 0x08;
    if (SettingsHost().RefreshRemoteResultTable)
        SettingsHost().RefreshRemoteResultTable();
}

void RaiseAveragingForRemote() {
    TDeviceSettings &s = *DeviceSettings;
    if (s.AveragingInterval > 4 || s.MasterF.State > 0 || s.MasterL.State > 0)
        return;
    s.AveragingInterval = 5;
    RefreshMeterPage();
}

// The automatic protocol restarts with the new interval, keeping the snapshots it has.
void RecomputeAfterSettings(int) {
    ResetProtocolSnapshot(LocalProtocolSnapshot, 1);
    if (!PlaybackOn) {
        ResetProtocolSnapshot(RemoteProtocolSnapshot, 1);
        InvalidateParamResults();
    }
    RefreshRemoteResults();
    ResetRecognitionState();
    for (TMaster_Param *master : {FreqMasterParam, LevelMasterParam})
        if (master)
            master->RestartAveraging();
    if (RecordingOn)
        RecordChangeMask |= 0x10 | 0x01;
}
