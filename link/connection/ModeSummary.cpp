#include "link/connection/Tr9sendgetcommand.h"

#include "chartlib/Chartlib.h"
#include "engine/EngineBuffers.h"
#include "engine/MeterRange.h"
#include "engine/SignalKindChange.h"
#include "engine/catalogue/ConnectionTypes.h"
#include "engine/catalogue/ParameterTable.h"
#include "engine/evaluation/DispatchTargets.h"
#include "link/Library.h"
#include "link/connection/ConnectionServices.h"
#include "platform/StringTable.h"
#include "state/DeviceSettings.h"
#include "state/GeneratorKind.h"
#include "state/MainGlobals.h"
#include "state/RecordChangeMask.h"

namespace {

QString Level(float dbm0) {
    return FormatValue(dbm0) + ' ' + LoadStr(424);
}

QString Band(float f0, float f1, QChar joint) {
    return FormatFrequency(f0) + joint + FormatFrequency(f1) + ' ' + LoadStr(415);
}

// The caption of the generator command of `bit`; the block shows the output alone.
QString GeneratorCaption(std::int32_t bit, const QString &base) {
    const TDeviceSettings &s = *DeviceSettings;
    const QString sep = QStringLiteral("\\");
    switch (bit) {
    case EmuGenSin:
        return base + sep + "SIN" + sep + Level(s.Sin.Level) + sep + FormatFrequency(s.Sin.F1) + ' ' + LoadStr(415);
    case EmuGenSin2:
        return base + sep + "SIN2" + sep + Level(s.Sin2.Level) + sep + Band(s.Sin2.F1, s.Sin2.F2, '+');
    case EmuGenMtts:
        return base + sep + LoadStr(141) + sep + Level(s.Mtts.Level) + sep + Band(s.Mtts.F1, s.Mtts.F2, '-');
    case EmuGenRnd:
        return base + sep + LoadStr(425) + sep + Level(s.Rnd.Level);
    case EmuGenNoise:
        return base + sep + LoadStr(152) + sep + Level(s.Noise.Level);
    default:
        return base;
    }
}

// Bit 0: a local generator is on; bit 1: a generator of the linked peer is on.
int GeneratorImage() {
    const TDeviceSettings &s = *DeviceSettings;
    const bool local = s.Sin.State || s.Sin2.State || s.Mtts.State || s.Rnd.State || s.Noise.State;
    bool remote = s.RemoteNoiseState != 0;
    for (int i = 0; i < 4; ++i)
        remote = remote || s.RemoteGenState[i] != 0;
    return (local ? 1 : 0) | (remote && s.ConnectState > 0 ? 2 : 0);
}

void ShowGeneratorSummary(std::int32_t pending) {
    if (pending == 0)
        return;
    const TDeviceSettings &s = *DeviceSettings;
    const QString base =
        FormatValue(s.GenImpedance) + ' ' + LoadStr(254) + (s.GenLowImpedance ? QStringLiteral(" (низ.)") : QString());
    if (pending & PendingMode)
        pending |= GeneratorsOnMask();
    QString caption;
    for (std::int32_t bit : {EmuGenBlocked, EmuGenSin, EmuGenSin2, EmuGenMtts, EmuGenRnd, EmuGenNoise})
        if (pending & bit)
            caption = GeneratorCaption(bit, base);
    if (!caption.isEmpty() && ConnectionView())
        ConnectionView()->SetGeneratorSummary(caption, GeneratorImage());
}

void ShowMeterSummary(std::int32_t pending) {
    pending &= ~(PendingRecompute | PendingMeterFrames);
    if (!(pending & PendingMode) && SignalKind == LastSignalKind)
        return;
    const TDeviceSettings &s = *DeviceSettings;
    ComputeRangeMaxLevels(s.MeterImpedance, s.MeterRef);
    const QString sep = QStringLiteral("\\");
    const QString caption = FormatValue(s.MeterImpedance) + ' ' + LoadStr(254) +
                            (s.MeterHighImpedance ? QStringLiteral(" (выс.)") : QString()) + sep +
                            SignalKindName(SignalKind) + sep + Level(RangeMaxLevels[ValidMeterRange(s.MaxLevelIndex)]) + sep +
                            Band(s.BandF0, s.BandF1, '-') + sep + SecondsToClock(s.AveragingInterval, false);
    if (ConnectionView())
        ConnectionView()->SetMeterSummary(caption);
}

} // namespace

void RefreshModeState(bool rebuild) {
    RefreshModeState(rebuild, DeviceSettings->Mode);
}

void RefreshModeState(bool rebuild, std::int32_t pending) {
    if (rebuild)
        ShowGeneratorSummary(pending);
    ShowMeterSummary(pending);
    if (!MeterConnected(DeviceSettings->ConnectionType))
        AdvanceGenStates();
}

void AdvanceGenStates() {
    TDeviceSettings &s = *DeviceSettings;
    struct LocalGenerator {
        GenBlock TDeviceSettings::*block;
        int kind;
    };
    static constexpr LocalGenerator Generators[] = {
        {&TDeviceSettings::Sin, GenKindSin},   {&TDeviceSettings::Block, GenKindBlock},
        {&TDeviceSettings::Sin2, GenKindSin2}, {&TDeviceSettings::Mtts, GenKindMtts},
        {&TDeviceSettings::Rnd, GenKindRnd},   {&TDeviceSettings::Noise, GenKindNoise},
    };
    for (const LocalGenerator &g : Generators) {
        if ((s.*g.block).State != 1)
            continue;
        Dispatch(ConnectionServices().SelectLocalGenerator, g.kind);
        (s.*g.block).State = 2;
        Dispatch(ConnectionServices().MarkLocalGenButton, g.kind);
        if (RecordingOn)
            RecordChangeMask |= 0x01;
    }
    if (s.MasterF.State == 1) {
        s.MasterF.State = 2;
        Dispatch(ConnectionServices().ShowMasterFreqState);
    }
    if (s.MasterL.State == 1) {
        s.MasterL.State = 2;
        Dispatch(ConnectionServices().ShowMasterLevState);
    }
    if (s.Mirvak.RunState == 1) {
        s.Mirvak.RunState = 2;
        Dispatch(ConnectionServices().ShowMirvakStartButton);
    }
    if (s.SyncGenState == 1) {
        s.SyncGenState = 2;
        Dispatch(ConnectionServices().ShowSyncState);
    }
}
