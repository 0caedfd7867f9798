#include "settings/GeneratorStates.h"

#include "settings/GeneratorCommands.h"
#include "settings/SettingsInterlocks.h"
#include "settings/SettingsWindowButtons.h"
#include "state/DeviceSettings.h"

GenBlock *GeneratorBlock(int kind) {
    TDeviceSettings &s = *DeviceSettings;
    switch (kind) {
    case GenKindSin:
        return &s.Sin;
    case GenKindSin2:
        return &s.Sin2;
    case GenKindMtts:
        return &s.Mtts;
    case GenKindRnd:
        return &s.Rnd;
    case GenKindBlock:
        return &s.Block;
    case GenKindNoise:
        return &s.Noise;
    default:
        return nullptr;
    }
}

int32_t LocalGenState(int kind) {
    const GenBlock *block = GeneratorBlock(kind);
    return block ? block->State : 0;
}

void SetLocalGenState(int kind, int32_t state) {
    if (GenBlock *block = GeneratorBlock(kind))
        block->State = state;
}

int32_t RemoteGenStateOf(int kind) {
    const TDeviceSettings &s = *DeviceSettings;
    if (kind == GenKindNoise)
        return s.RemoteNoiseState;
    return kind >= GenKindSin && kind <= GenKindBlock ? s.RemoteGenState[kind - 1] : 0;
}

void SetRemoteGenState(int kind, int32_t state) {
    TDeviceSettings &s = *DeviceSettings;
    if (kind == GenKindNoise)
        s.RemoteNoiseState = state;
    else if (kind >= GenKindSin && kind <= GenKindBlock)
        s.RemoteGenState[kind - 1] = state;
}

void SelectLocalGenerator(int kind) {
    TDeviceSettings &s = *DeviceSettings;
    if (kind != GenKindSin)
        s.Sin.State = 0;
    if (kind != GenKindSin2)
        s.Sin2.State = 0;
    if (kind != GenKindMtts)
        s.Mtts.State = 0;
    if (kind != GenKindRnd)
        s.Rnd.State = 0;
    if (kind != GenKindBlock)
        s.Block.State = 0;
    if (kind != GenKindNoise)
        s.Noise.State = 0;
    UpdateMttsLoopMode();
}

void BlockAllGenerators() {
    TDeviceSettings &s = *DeviceSettings;
    s.Sin.State = 0;
    s.Sin2.State = 0;
    s.Mtts.State = 0;
    s.Rnd.State = 0;
    s.Noise.State = 0;
    s.Mode |= 0x100;
    BlockGenerator();
}

void SelectRemoteGenerator(int kind) {
    TDeviceSettings &s = *DeviceSettings;
    // RemoteGenState holds SIN, SIN2, MTTS, RND and the block in that order; NOISE stands apart.
    static constexpr int Kinds[5] = {GenKindSin, GenKindSin2, GenKindMtts, GenKindRnd, GenKindBlock};
    for (int i = 0; i < 5; ++i)
        if (Kinds[i] != kind)
            s.RemoteGenState[i] = 0;
    if (kind != GenKindNoise)
        s.RemoteNoiseState = 0;
}

void HandleRemoteReceipt(int recordType) {
    struct Receipt {
        int record;
        int kind;
    };
    static constexpr Receipt Generators[] = {{10, GenKindSin}, {11, GenKindSin2},  {12, GenKindMtts},
                                             {13, GenKindRnd}, {14, GenKindBlock}, {17, GenKindNoise}};
    TDeviceSettings &s = *DeviceSettings;
    if (recordType == 21)
        return;
    for (const Receipt &receipt : Generators)
        if (receipt.record == recordType) {
            if (receipt.kind == GenKindNoise)
                s.RemoteNoiseState = 2;
            else
                s.RemoteGenState[receipt.kind - 1] = 2;
            SelectRemoteGenerator(receipt.kind);
            MarkRemoteGenButton(receipt.kind);
            return;
        }
    s.RemoteGenState[GenKindBlock - 1] = 2;
    SelectRemoteGenerator(GenKindBlock);
    MarkRemoteGenButton(GenKindBlock);
}

void MarkSyncFinished() {
    if (DeviceSettings->SyncGenState > 0) {
        DeviceSettings->SyncGenState = 3;
        ShowSyncState();
    }
}
