#include "storage/SettingsSnapshotApply.h"

#include "chartlib/Chartlib.h"
#include "engine/EngineBuffers.h"
#include "engine/catalogue/MaskNameList.h"
#include "engine/masks/MaskArray.h"
#include "link/Dspio9.h"
#include "link/Library.h"
#include "link/connection/ConnectionServices.h"
#include "platform/Clock.h"
#include "state/FileNameList.h"
#include "state/MainGlobals.h"
#include "state/ProgramSettings.h"
#include "storage/GeneratorRestart.h"
#include "storage/ParamTablesReset.h"
#include "storage/ServiceCall.h"
#include "storage/SettingsSnapshot.h"

#include <algorithm>
#include <cmath>

namespace {

inline constexpr uint32_t RemoteBreakWaitMs = 45000;

bool BlockChanged(const TDeviceSettings &live, const TDeviceSettings &file) {
    return live.AdcSizeIndex != file.AdcSizeIndex || live.SpectrumStepIndex != file.SpectrumStepIndex ||
           live.SampleRate != file.SampleRate;
}

// The meter settings that playback takes from a recording only with UseRecordedSettings, and that a
// configuration loaded during playback brings in.
void CopyMeterView(TDeviceSettings &to, const TDeviceSettings &from) {
    to.SpectrumStepIndex = from.SpectrumStepIndex;
    to.PresentationStep = from.PresentationStep;
    to.AfcRef = from.AfcRef;
    to.GvpRef = from.GvpRef;
    to.CableVelocity = from.CableVelocity;
    to.AveragingInterval = from.AveragingInterval;
}

// Copies the file's record over the live one; the live weighting index stays (indexes hold within one
// run only).
void CopyRecordKeepingIndexes(const TDeviceSettings &file) {
    const int16_t weightingIndex = DeviceSettings->WeightingIndex;
    *DeviceSettings = file;
    DeviceSettings->WeightingIndex = weightingIndex;
}

void ApplyWeighting(const TSettingsSnapshot &s) {
    ApplyWeightingTable(int32_t(s.WeightingX.size()), s.WeightingX.data(), s.WeightingY.data(), s.WeightingName);
}

void ApplyAllParamRows(const TSettingsSnapshot &s, bool keepViewFlagsOfMeasured) {
    for (int kind = FirstTableKind; kind <= LastTableKind; ++kind) {
        const ParameterTable table = ParameterTableOf(kind);
        // The selective and SYNC tables always keep the live view switches.
        const bool keep = keepViewFlagsOfMeasured || kind >= 6;
        ApplyParamRows(table.Rows, s.Rows[std::size_t(kind)].data(), table.RowCount, s.LowerNames[std::size_t(kind)],
                       s.UpperNames[std::size_t(kind)], keep);
    }
}

// Masks read wait in PendingMaskArray until ResetGraphsAndMasks swaps them in.
void MoveMasksToPending(TSettingsSnapshot &s) {
    for (int slot = 0; slot < MaskSlotCount; ++slot)
        for (int side = 0; side < 2; ++side)
            if (s.Masks[slot][side])
                PendingMaskArray[slot][side] = std::move(s.Masks[slot][side]);
}

void Recompute() {
    if (const auto &recompute = ConnectionServices().RecomputeAfterSettings)
        recompute(0);
}

void ApplyToPlayback(const TSettingsSnapshot &s) {
    TSnapshotServices &services = SnapshotServices();
    const bool blockChange = BlockChanged(*DeviceSettings, s.Settings);
    const TDeviceSettings live = *DeviceSettings;
    CopyRecordKeepingIndexes(s.Settings);
    const bool recorded = ProgramSettings.UseRecordedSettings != 0;
    if (!recorded)
        CopyMeterView(*DeviceSettings, live);
    SetMeterScaleLevel();
    CallService(services.RefreshSettingsStatus);
    if (blockChange)
        CallService(services.ApplyBlockSize, 1);
    DeviceSettings->BandF0 = s.Settings.BandF0;
    DeviceSettings->BandF1 = s.Settings.BandF1;
    if (recorded) {
        ApplyWeighting(s);
        ApplyAllParamRows(s, true);
        CallService(services.RefreshParamTables);
        CallService(services.ResetGraphsAndMasks);
    }
    CallService(services.RefreshAllPages);
    ResetParamTables();
    Recompute();
}

// A remote link this analyser leads is ended before a configuration without one is put in force.
void BreakRemoteLinkFor(const TDeviceSettings &file) {
    if (!DspIo || DeviceSettings->ConnectState <= 0 || file.ConnectState != 0)
        return;
    BreakRemoteLinkAndWait();
}

void ApplyToConfiguration(const TSettingsSnapshot &s) {
    TSnapshotServices &services = SnapshotServices();
    const bool blockChange = BlockChanged(*DeviceSettings, s.Settings);
    BreakRemoteLinkFor(s.Settings);
    CopyRecordKeepingIndexes(s.Settings);
    DeviceSettings->Mode = 0;
    DeviceSettings->ConnectState = std::max(int32_t(DeviceSettings->ConnectState), 0);
    DeviceSettings->PeerConnectState = 0;
    CallService(services.RefreshSettingsStatus);
    if (blockChange)
        CallService(services.ApplyBlockSize, 0);
    DeviceSettings->BandF0 = s.Settings.BandF0;
    DeviceSettings->BandF1 = s.Settings.BandF1;
    ApplyWeighting(s);
    CallService(services.RefreshAllPages);
    ApplyAllParamRows(s, false);
    CallService(services.RefreshParamTables);
    CallService(services.ResetGraphsAndMasks);
    ResetParamTables();
    RestartGeneratorsAfterLoad();
    // The interlocks may have moved the meter impedance of the connection types that fix it.
    if (DeviceSettings->ConnectionType == 3 || DeviceSettings->ConnectionType == 8)
        DeviceSettings->MeterImpedance = s.Settings.MeterImpedance;
}

void ApplyDuringPlayback(const TSettingsSnapshot &s) {
    TSnapshotServices &services = SnapshotServices();
    CopyMeterView(*DeviceSettings, s.Settings);
    SetMeterScaleLevel();
    CallService(services.RefreshSettingsStatus);
    ApplyWeighting(s);
    CallService(services.ApplyBlockSize, 1);
    ApplyAllParamRows(s, false);
    CallService(services.RefreshParamTables);
    CallService(services.ResetGraphsAndMasks);
    ResetParamTables();
    Recompute();
}

void ApplyToScenarioRow(const TSettingsSnapshot &s) {
    CallService(SnapshotServices().SetScenarioRowFromConfig, s.Settings, s.Rows[5][4].Settings.LowerNorm,
                s.Rows[3][10].Settings.LowerNorm, s.Rows[1][17].Settings.LowerNorm);
}

} // namespace

TSnapshotServices &SnapshotServices() {
    static TSnapshotServices services;
    return services;
}

void BringSettingsIntoRange(TDeviceSettings &settings) {
    settings.ConnectionType = std::clamp<int16_t>(int16_t(settings.ConnectionType), 0, 12);
    settings.MaxLevelIndex = std::clamp<int8_t>(settings.MaxLevelIndex, 0, 3);
    if (!std::isfinite(settings.MaxFrequency) || settings.MaxFrequency <= 0) {
        settings.MaxFrequency = DefaultDeviceSettings().MaxFrequency;
        RecomputeSampleRateFields(settings);
    }
    if (settings.AdcSizeIndex < 0 || settings.AdcSizeIndex >= int32_t(SpectrumSizes.size()) ||
        settings.AdcSize != SpectrumSizes[std::size_t(settings.AdcSizeIndex)])
        RecomputeBlockSizeFields(settings);
}

bool ApplySettingsSnapshot(QBuffer &stream, SnapshotMode mode, const QByteArray &version, QString *error) {
    const QString maskDir = SnapshotServices().MaskDir ? SnapshotServices().MaskDir() : QString();
    QString reason;
    std::unique_ptr<TSettingsSnapshot> snapshot = ReadSettingsSnapshot(stream, version, maskDir, reason);
    if (!snapshot) {
        DebugLog(reason);
        if (error)
            *error = reason;
        return false;
    }
    BringSettingsIntoRange(snapshot->Settings);
    // Every mode leaves the masks read pending; the configuration modes swap them in at once.
    MoveMasksToPending(*snapshot);
    switch (mode) {
    case SnapshotMode::Playback:
        ApplyToPlayback(*snapshot);
        break;
    case SnapshotMode::Configuration:
        ApplyToConfiguration(*snapshot);
        break;
    case SnapshotMode::PlaybackConfiguration:
        ApplyDuringPlayback(*snapshot);
        break;
    case SnapshotMode::ScenarioRow:
        ApplyToScenarioRow(*snapshot);
        break;
    }
    CallService(SnapshotServices().RebindGraphMasks, 2);
    return true;
}

void ApplyWeightingTable(TDeviceSettings &settings, int32_t count, const float *x, const float *y,
                         const QString &name) {
    SetWeightingCurve(count, x, y);
    const int16_t index = settings.WeightingIndex;
    const bool named = index >= 0 && index < FileNameList.size();
    if (WeightingCurve.Count > 0) {
        if (named) {
            FileNameList[index] = name;
        } else {
            FileNameList << name;
            settings.WeightingIndex = int16_t(FileNameList.size() - 1);
        }
    } else if (named) {
        FileNameList[index].clear();
    }
}

void ApplyWeightingTable(int32_t count, const float *x, const float *y, const QString &name) {
    ApplyWeightingTable(*DeviceSettings, count, x, y, name);
}

void ApplyParamRows(ParamDescriptor *live, const ParamDescriptor *read, int32_t rowCount, const QStringList &lowerNames,
                    const QStringList &upperNames, bool keepViewFlags) {
    for (int32_t i = 0; i < rowCount; ++i) {
        ParamDescriptor &row = live[i];
        const ParamSettings kept = row.Settings;
        row = read[i];
        row.Settings.LowerMaskName = kept.LowerMaskName;
        row.Settings.UpperMaskName = kept.UpperMaskName;
        if (keepViewFlags) {
            row.Settings.Protocol = kept.Protocol;
            row.Settings.TimeDiagram = kept.TimeDiagram;
            row.Settings.TextWindow = kept.TextWindow;
        }
        if (row.TextNorms != 1)
            continue;
        const auto store = [](int16_t &index, const QString &name) {
            if (!name.isEmpty())
                StoreMaskName(index, name);
            else if (index >= 0)
                StoreMaskName(index, QString());
        };
        store(row.Settings.LowerMaskName, lowerNames.value(i));
        store(row.Settings.UpperMaskName, upperNames.value(i));
    }
}

void BreakRemoteLinkAndWait() {
    CallService(SnapshotServices().BreakRemoteConnection);
    const uint32_t start = GetTickCount();
    while (!ScenarioRunning && (DeviceSettings->ConnectState != 0 || DeviceSettings->PeerConnectState != 0) &&
           TicksSince(start) <= RemoteBreakWaitMs)
        PumpMessages();
}
