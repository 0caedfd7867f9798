#include "storage/Configuration.h"

#include "storage/ConfigExtras.h"
#include "storage/ConfigParamKeys.h"
#include "storage/ConfigWeighting.h"
#include "storage/ConfigWindows.h"
#include "storage/ConfigurationServices.h"
#include "storage/DeviceSettingsKeys.h"
#include "storage/GeneratorRestart.h"
#include "storage/GeneratorStateChoice.h"
#include "storage/LegacyConfiguration.h"
#include "storage/LegacyLayout.h"
#include "storage/ParamTablesReset.h"
#include "storage/ServiceCall.h"
#include "storage/SettingsSnapshotApply.h"

#include "chartlib/Chartlib.h"
#include "engine/TimeSeries.h"
#include "engine/catalogue/ParameterTable.h"
#include "link/Dspio9.h"
#include "link/Library.h"
#include "link/connection/ConnectionServices.h"
#include "link/connection/Tr9sendgetcommand.h"
#include "platform/Clock.h"
#include "platform/IniFile.h"
#include "platform/MessageService.h"
#include "platform/StringTable.h"
#include "state/FileNameList.h"
#include "state/MainGlobals.h"
#include "state/SettingsLoadState.h"

#include <QBuffer>
#include <QCursor>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>

namespace {

constexpr uint32_t IdleSettingsWaitMs = 5000;
// The version text of the configuration being read is held in 20 bytes with their terminator.
constexpr int VersionTextLength = 19;

const QString IniMarkerSection = QStringLiteral("Общие R9");

// Set while a configuration is loaded. SettingsLoadState cannot guard the load: other handlers (a
// scenario step among them) set it back to idle while the load waits with the message queue running.
bool loadRunning = false;

// Version text of the configuration being read: "Версия" of an INI file, the header of a legacy file.
QString loadedConfigVersion;

ConfigFileNames FileNames() {
    const auto &maskDir = SnapshotServices().MaskDir;
    const auto &dirMaskFile = ConfigurationServices().DirMaskFile;
    return {maskDir ? maskDir() : QString(), &FileNameList, dirMaskFile ? dirMaskFile() : QString()};
}

// A batch run ends on it: it must not go on as if the configuration had been loaded.
void ReportMissingConfiguration(const QString &fileName) {
    if (BatchMessagesDiverted())
        ShowMessage({LoadStr(279) + QStringLiteral(" '") + fileName + QStringLiteral("' ") + LoadStr(280), LoadStr(5),
                     MsgIcon::Warning, MsgButtons::Ok, BatchCloseCode, 0});
    else
        ShowMessage({LoadStr(413) + u' ' + fileName, LoadStr(5), MsgIcon::Warning, MsgButtons::Ok});
}

void ReportCannotWrite(const QString &fileName) {
    ShowMessage({LoadStr(413) + u' ' + fileName, LoadStr(5), MsgIcon::Warning, MsgButtons::Ok});
}

// Writers of settings act only while the state is idle; a load waits for that a while, then goes on.
void WaitForIdleSettings() {
    const uint32_t start = GetTickCount();
    while (TicksSince(start) < IdleSettingsWaitMs && SettingsLoadState != 1)
        PumpMessages();
    SettingsLoadState = 2;
}

// The curves may change length with the settings read: what is bound to their points goes first.
void ReleaseGraphPointBindings() {
    CallService(ConfigurationServices().ClosePointValueWindows);
    ReleaseCurvePointTimeSeries();
}

// A legacy binary configuration: its version is checked before anything changes, then its snapshot is
// applied and the layout block after it read.
bool LoadLegacyConfiguration(const QString &fileName, QFile &file) {
    QBuffer stream;
    stream.setData(file.readAll());
    stream.open(QIODevice::ReadOnly);
    QByteArray version;
    if (!ReadLegacyVersion(stream, fileName, version))
        return false;
    loadedConfigVersion =
        QString::fromLatin1(version.constData(), qsizetype(qstrnlen(version.constData(), version.size())));
    ReleaseGraphPointBindings();
    if (!ApplyLegacySnapshot(stream, fileName, version))
        return false;
    ReadLegacyLayout(stream, version);
    RefreshProgramSettingsViews();
    return true;
}

// The link to the peer is given up when the file asks for none or the peer controls this analyser; a
// scenario does not wait for it to drop.
void GiveUpRemoteLinkFor(const TDeviceSettings &copy) {
    const TDeviceSettings &live = *DeviceSettings;
    if (!DspIo || !((live.ConnectState > 0 && copy.ConnectState == 0) || live.PeerConnectState > 0))
        return;
    BreakRemoteLinkAndWait();
}

// The open graph windows take their default X range and bind their masks again.
void FinishGraphWindows() {
    CallService(ConfigurationServices().RefreshGraphWindows);
}

void ApplyDuringPlayback(const TDeviceSettings &copy) {
    const TSnapshotServices &services = SnapshotServices();
    TDeviceSettings &s = *DeviceSettings;
    s.SpectrumStepIndex = copy.SpectrumStepIndex;
    s.PresentationStep = copy.PresentationStep;
    s.AfcRef = copy.AfcRef;
    s.GvpRef = copy.GvpRef;
    s.CableVelocity = copy.CableVelocity;
    s.AveragingInterval = copy.AveragingInterval;
    // The weighting characteristic was just put into force under the copy's index.
    s.WeightingIndex = copy.WeightingIndex;
    CallService(services.RefreshSettingsStatus);
    CallService(services.ApplyBlockSize, 1);
    CallService(services.RefreshParamTables);
    CallService(services.ResetGraphsAndMasks);
    ResetParamTables();
    CallService(ConnectionServices().RecomputeAfterSettings, 0);
    FinishGraphWindows();
}

void ApplyToInstrument(const TDeviceSettings &copy) {
    const TSnapshotServices &common = SnapshotServices();
    const TConfigurationServices &services = ConfigurationServices();
    TDeviceSettings &s = *DeviceSettings;
    const bool changed = s.AdcSizeIndex != copy.AdcSizeIndex || s.SpectrumStepIndex != copy.SpectrumStepIndex ||
                         s.SampleRate != copy.SampleRate;
    GiveUpRemoteLinkFor(copy);
    s = copy;
    // The selective run needs its own firmware: a run state that does not match it reopens the link.
    if (MeasurementRunning &&
        ((MirvakFirmware == 1 && copy.Mirvak.RunState == 0) || (MirvakFirmware == 0 && copy.Mirvak.RunState > 0))) {
        CallService(services.ReopenInstrument);
        s = copy;
    }
    s.Mode = 0;
    if (s.ConnectState < 0)
        s.ConnectState = 0;
    s.PeerConnectState = 0;
    CallService(common.RefreshSettingsStatus);
    // Stopping clears the running masters and run; the stored states survive for the restart.
    s.MasterF.Interval = copy.MasterF.Interval;
    s.MasterL.Interval = copy.MasterL.Interval;
    CallService(services.StopMasterFreq);
    s.MasterF.State = copy.MasterF.State;
    CallService(services.StopMasterLev);
    s.MasterL.State = copy.MasterL.State;
    CallService(services.ResetMirvakResults);
    s.Mirvak.RunState = copy.Mirvak.RunState;
    if (changed) {
        CallService(common.ApplyBlockSize, 0);
        // The new block size recomputes the band; the file's band stands.
        s.BandF0 = copy.BandF0;
        s.BandF1 = copy.BandF1;
    }
    CallService(common.RefreshAllPages);
    CallService(common.RefreshParamTables);
    CallService(common.ResetGraphsAndMasks);
    ResetParamTables();
    RestartGeneratorsAfterLoad();
    // The interlocks force the meter impedance for every other connection type.
    if (s.ConnectionType == 3 || s.ConnectionType == 8)
        s.MeterImpedance = copy.MeterImpedance;
    FinishGraphWindows();
}

// Clears the load flag on every way out of a load.
class LoadRun {
public:
    LoadRun() { loadRunning = true; }
    ~LoadRun() { loadRunning = false; }
    LoadRun(const LoadRun &) = delete;
    LoadRun &operator=(const LoadRun &) = delete;
};

bool LoadInWaitedState(const QString &fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    TMemIniFile ini(fileName);
    if (!ini.SectionExists(IniMarkerSection))
        return LoadLegacyConfiguration(fileName, file);
    ReleaseGraphPointBindings();
    LoadConfigIni(ini, false);
    ReadConfigExtras(ini);
    RefreshProgramSettingsViews();
    return true;
}

// The hourglass while a save runs, restored on every way out; nothing without a window system.
class BusyCursor {
public:
    BusyCursor() : shown_(qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr) {
        if (shown_)
            QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    }
    ~BusyCursor() {
        if (shown_)
            QGuiApplication::restoreOverrideCursor();
    }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;

private:
    const bool shown_;
};

} // namespace

bool LoadConfiguration(const QString &fileName) {
    if (loadRunning) {
        DebugLog(QStringLiteral("Configuration not loaded, another one is being loaded: ") + fileName);
        return false;
    }
    if (!QFileInfo(fileName).isFile()) {
        ReportMissingConfiguration(fileName);
        return false;
    }
    const LoadRun run;
    WaitForIdleSettings();
    const bool applied = LoadInWaitedState(fileName);
    if (applied)
        CallService(ConfigurationServices().SetMainCaption, fileName);
    SettingsLoadState = 1;
    return applied;
}

void LoadConfigIni(TCustomIniFile &ini, bool forScenario) {
    TDeviceSettings copy = *DeviceSettings;
    ReadConfigSettings(ini, copy);
    if (!forScenario) {
        ApplyIniConfiguration(copy);
        return;
    }
    CallService(SnapshotServices().SetScenarioRowFromConfig, copy, ParamTableNoise[4].Settings.LowerNorm,
                ParamTableMtts[10].Settings.LowerNorm, ParamTableSin[17].Settings.LowerNorm);
}

QString ReadConfigSettings(TCustomIniFile &ini, TDeviceSettings &copy) {
    const ConfigFileNames names = FileNames();
    loadedConfigVersion = ReadDeviceSettingsKeys(ini, copy, names).left(VersionTextLength);
    // The reader keeps the weighting path at the copy's index; it becomes the file actually found.
    LoadWeightingFile(FileNameList[copy.WeightingIndex], names);
    ReadParamTables(ini, names);
    return loadedConfigVersion;
}

void WriteConfigSettings(TCustomIniFile &ini, const TDeviceSettings &copy) {
    const ConfigFileNames names = FileNames();
    WriteDeviceSettingsKeys(ini, copy, names);
    WriteParamTables(ini, names);
}

void ApplyIniConfiguration(const TDeviceSettings &copy) {
    if (PlaybackOn)
        ApplyDuringPlayback(copy);
    else
        ApplyToInstrument(copy);
}

bool SaveConfiguration(const QString &fileName, bool askState) {
    const BusyCursor busy;
    PumpMessages();
    bool written = false;
    try {
        // The new configuration is written whole from nothing, so no key of the old file (a window closed
        // since, a weighting no longer set) comes back at the next load; the old file is replaced only
        // once the new one is on disk.
        TMemIniFile ini(fileName);
        ini.Clear();
        ini.WriteString(QStringLiteral("Общие"), QStringLiteral("Версия"), ProgramVersionText);
        TDeviceSettings copy = *DeviceSettings;
        ComputeGeneratorStateChoice(copy);
        if (askState)
            CallService(ConfigurationServices().AskGeneratorStates);
        StoreGeneratorStateChoice(copy);
        WriteConfigSettings(ini, copy);
        WriteConfigExtras(ini);
        ini.UpdateFile();
        written = true;
    } catch (const std::exception &) {
        ReportCannotWrite(fileName);
    }
    CallService(ConfigurationServices().SetMainCaption, fileName);
    return written;
}
