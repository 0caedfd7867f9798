#include "storage/GeneratorRestart.h"

#include "link/connection/Tr9sendgetcommand.h"
#include "state/DeviceSettings.h"
#include "state/GeneratorKind.h"
#include "state/MainGlobals.h"
#include "storage/ServiceCall.h"
#include "state/RecordChangeMask.h"

namespace {

// A generator kind with its local and remote button codes, in the order the restart looks for the
// running one.
struct TRestartKind {
    int Kind;
    uint8_t LocalCode, RemoteCode;
};
constexpr TRestartKind RestartOrder[] = {
    {GenKindSin, 0, 10}, {GenKindSin2, 1, 11}, {GenKindRnd, 3, 13}, {GenKindMtts, 2, 12}, {GenKindNoise, 7, 17}};
constexpr uint8_t LocalBlockCode = 4, RemoteBlockCode = 14;
constexpr uint8_t LocalMasterFreqCode = 8, LocalMasterLevCode = 9;
constexpr uint8_t RemoteMasterFreqCode = 18, RemoteMasterLevCode = 19;

const GenBlock &LocalBlock(int kind) {
    switch (kind) {
    case GenKindSin: return DeviceSettings->Sin;
    case GenKindSin2: return DeviceSettings->Sin2;
    case GenKindMtts: return DeviceSettings->Mtts;
    case GenKindRnd: return DeviceSettings->Rnd;
    case GenKindNoise: return DeviceSettings->Noise;
    default: return DeviceSettings->Block;
    }
}

// The peer's state of a kind: RemoteGenState (SIN, SIN2, MTTS, RND, block) or RemoteNoiseState.
int RemoteStateIndex(int kind) {
    switch (kind) {
    case GenKindSin: return 0;
    case GenKindSin2: return 1;
    case GenKindMtts: return 2;
    case GenKindRnd: return 3;
    case GenKindNoise: return -1;
    default: return 4;
    }
}

int32_t RemoteState(int kind) {
    const int i = RemoteStateIndex(kind);
    return i < 0 ? DeviceSettings->RemoteNoiseState : DeviceSettings->RemoteGenState[i];
}

void SetRemoteState(int kind, int32_t state) {
    const int i = RemoteStateIndex(kind);
    (i < 0 ? DeviceSettings->RemoteNoiseState : DeviceSettings->RemoteGenState[i]) = state;
}

uint8_t ChooseLocal(TGeneratorRestartServices &services) {
    if (DeviceSettings->MasterF.State > 0) {
        CallService(services.ShowMasterFreqState);
        return LocalMasterFreqCode;
    }
    if (DeviceSettings->MasterL.State > 0) {
        CallService(services.ShowMasterLevState);
        return LocalMasterLevCode;
    }
    for (const TRestartKind &k : RestartOrder)
        if (LocalBlock(k.Kind).State > 0) {
            CallService(services.MarkLocalGenButton, k.Kind);
            return k.LocalCode;
        }
    CallService(services.MarkLocalGenButton, int(GenKindBlock));
    return LocalBlockCode;
}

uint8_t ChooseRemote(TGeneratorRestartServices &services) {
    if (DeviceSettings->MasterF.State > 0)
        return RemoteMasterFreqCode;
    if (DeviceSettings->MasterL.State > 0)
        return RemoteMasterLevCode;
    for (const TRestartKind &k : RestartOrder)
        if (RemoteState(k.Kind) > 0) {
            SetRemoteState(k.Kind, 1);
            CallService(services.SelectRemoteGenerator, k.Kind);
            CallService(services.MarkRemoteGenButton, k.Kind);
            return k.RemoteCode;
        }
    CallService(services.MarkRemoteGenButton, int(GenKindBlock));
    return RemoteBlockCode;
}

void StartFirstStored(TGeneratorRestartServices &services) {
    const std::function<void()> *start = &services.BlockGenerator;
    if (DeviceSettings->MasterF.State > 0)
        start = &services.StartMasterFreq;
    else if (DeviceSettings->MasterL.State > 0)
        start = &services.StartMasterLev;
    else if (DeviceSettings->Mirvak.RunState > 0)
        start = &services.StartMirvak;
    else if (DeviceSettings->SyncGenState > 0)
        start = &services.StartSync;
    else if (DeviceSettings->Sin.State > 0)
        start = &services.StartSin;
    else if (DeviceSettings->Sin2.State > 0)
        start = &services.StartSin2;
    else if (DeviceSettings->Rnd.State > 0)
        start = &services.StartRnd;
    else if (DeviceSettings->Mtts.State > 0)
        start = &services.StartMtts;
    else if (DeviceSettings->Noise.State > 0)
        start = &services.StartNoise;
    CallService(*start);
}

} // namespace

TGeneratorRestartServices &GeneratorRestartServices() {
    static TGeneratorRestartServices services;
    return services;
}

void RestartGeneratorsAfterLoad() {
    TGeneratorRestartServices &services = GeneratorRestartServices();
    DeviceSettings->PeerConnectState = 0;
    DeviceSettings->Mode |= 0x801;
    if (DeviceSettings->ConnectState > 0 && ConnectionKind != 0) {
        const uint8_t local = ChooseLocal(services);
        const uint8_t remote = ChooseRemote(services);
        DeviceSettings->ConnectState = 1;
        CallService(services.SendRemoteMessage, std::vector<uint8_t>{255, 15, 23, 26, 27, 21, remote, 20, local});
    } else {
        DeviceSettings->ConnectState = 0;
        for (int i = 0; i < 4; ++i) // the peer's SIN, SIN2, MTTS and RND; its block state stays
            DeviceSettings->RemoteGenState[i] = 0;
        DeviceSettings->RemoteNoiseState = 0;
        DeviceSettings->Mode |= 0x101;
        StartFirstStored(services);
    }
    SendCommand();
    if (RecordingOn)
        RecordChangeMask |= 0x01;
}
