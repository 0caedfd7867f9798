#include "settings/remote/RemoteProgram.h"

#include "link/connection/Tr9sendgetcommand.h"
#include "platform/StringTable.h"
#include "settings/GeneratorCommands.h"
#include "settings/GeneratorStates.h"
#include "settings/SettingsHost.h"
#include "settings/SettingsInterlocks.h"
#include "settings/SettingsRecompute.h"
#include "settings/SettingsWindowButtons.h"
#include "settings/remote/RemoteLinkPeers.h"
#include "state/DeviceSettings.h"
#include "state/GeneratorKind.h"
#include "state/MainGlobals.h"
#include "state/ProgramSettings.h"
#include "state/TextMessages.h"

namespace {

TDeviceSettings &Settings() {
    return *DeviceSettings;
}

// The peer's generator block is taken as running: after a break, a refusal or a failed transmission.
void MarkPeerBlocked() {
    Settings().RemoteGenState[GenKindBlock - 1] = 2;
    SelectRemoteGenerator(GenKindBlock);
    MarkRemoteGenButton(GenKindBlock);
}

// Code 20: the connection type that a received record set is applied and shown; the analysis band stays
// as the peer sent it.
void ApplyReceivedConnectionType() {
    TDeviceSettings &s = Settings();
    CallPeer(RemoteLinkPeers().ShowConnectionType);
    PreviousConnectionType = s.ConnectionType;
    const float f0 = s.BandF0, f1 = s.BandF1;
    ApplyConnectionTypeRules();
    ResetMeterBand();
    s.BandF0 = f0;
    s.BandF1 = f1;
    RefreshAllPages();
    s.Mode |= 0x101;
}

} // namespace

void EndRemoteLink() {
    TDeviceSettings &s = Settings();
    const TRemoteLinkPeers &peers = RemoteLinkPeers();
    if (s.PeerConnectState > 0) {
        CallPeer(peers.ResetAllResults);
        ProgramSettings.AutoWindowChange = 0;
        CallPeer(peers.RefreshProgramSettingsDialog);
    }
    s.ConnectState = 0;
    s.PeerConnectState = 0;
    MarkPeerBlocked();
    BlockGenerator();
    RefreshGenButtons();
    UpdateControlStates();
    ClearTextMessages();
    CallPeer(peers.RefreshTextMessageWindow);
    CallPeer(peers.ShowStatusText, LoadStr(458));
}

void ShowModeNotSupported(const TUnsupportedModes &unsupported) {
    MarkPeerBlocked();
    BlockGenerator();
    QString text;
    if (unsupported[1] || unsupported[4] || unsupported[5])
        text = LoadStr(456);
    else if (unsupported[UnpairedAccess])
        text = LoadStr(457);
    CallPeer(RemoteLinkPeers().ShowStatusText, text);
    if (ScenarioRunning)
        CallPeer(RemoteLinkPeers().MarkScenarioRowRefused);
}

void RunProgramStep(uint8_t code, const TUnsupportedModes &unsupported) {
    TDeviceSettings &s = Settings();
    const TRemoteLinkPeers &peers = RemoteLinkPeers();
    switch (code) {
    case PrgStartSin:
        StartSin();
        break;
    case PrgStartSin2:
        StartSin2();
        break;
    case PrgStartMtts:
        StartMtts();
        break;
    case PrgStartRnd:
        StartRnd();
        break;
    case PrgBlock:
        s.Mode |= 0x100;
        BlockGenerator();
        break;
    case PrgGeneratorSettings:
        s.Mode |= 0x101;
        break;
    case PrgBreak:
        EndRemoteLink();
        break;
    case PrgStartNoise:
        StartNoise();
        break;
    case PrgStartMasterF:
        CallPeer(peers.StartMasterFreq);
        break;
    case PrgStartMasterL:
        CallPeer(peers.StartMasterLev);
        break;
    case PrgConnectionType:
        ApplyReceivedConnectionType();
        break;
    case PrgMeterSettings:
        s.Mode |= 0x101;
        CallPeer(SettingsHost().ApplyBlockSize, s.PeerConnectState > 0, false);
        break;
    case PrgRecompute:
        s.Mode |= 0x100;
        break;
    case PrgParamSettings:
        CallPeer(peers.RefreshParamTables);
        if (s.PeerConnectState > 0)
            CallPeer(peers.ResetGraphsAndMasks);
        s.Mode |= 0x100;
        break;
    case PrgRemoteResults:
        RefreshRemoteResults();
        break;
    case PrgNotSupported:
        ShowModeNotSupported(unsupported);
        break;
    default:
        break;
    }
}

void RunProgram(const uint8_t *codes, int32_t count, const TUnsupportedModes &unsupported) {
    for (int32_t i = 0; i < count; ++i)
        RunProgramStep(codes[i], unsupported);
    Settings().Mode |= 0x1;
    SendCommand();
}
