#include "settings/remote/RemoteMessageCodec.h"

#include "platform/MessageService.h"
#include "platform/StringTable.h"
#include "settings/SettingsWindowButtons.h"
#include "settings/remote/RemoteExchange.h"
#include "settings/remote/RemoteLinkPeers.h"
#include "settings/remote/RemoteParamRecords.h"
#include "settings/remote/RemoteRecords.h"
#include "settings/remote/RemoteWire.h"
#include "state/DeviceSettings.h"

#include <algorithm>
#include <new>

namespace {

struct TRecordWriter {
    uint8_t Type;
    bool Marks; // the type goes into header byte 0
    void (*Write)(TRemoteWriter &w, const TRemoteOutgoing &message);
};

template <void (*Writer)(TRemoteWriter &)> void Plain(TRemoteWriter &w, const TRemoteOutgoing &) {
    Writer(w);
}

template <uint8_t Type> void TypeOnly(TRemoteWriter &w, const TRemoteOutgoing &) {
    w.B(Type);
}

void DontSupport(TRemoteWriter &w, const TRemoteOutgoing &message) {
    WriteDontSupport(w, message.Unsupported);
}

constexpr TRecordWriter RecordWriters[] = {
    {Sin_R, true, Plain<WriteSin>},
    {Sin2_R, true, Plain<WriteSin2>},
    {MTTS_R, true, Plain<WriteMtts>},
    {Rnd_R, true, Plain<WriteRnd>},
    {Mute_R, true, TypeOnly<Mute_R>},
    {G9_Change_R, false, Plain<WriteGenChange>},
    {Break_R, false, TypeOnly<Break_R>},
    {Noise_R, true, Plain<WriteNoise>},
    {masterF_R, true, Plain<WriteMasterF>},
    {masterL_R, true, Plain<WriteMasterL>},
    {Plug_R, false, Plain<WritePlug>},
    {ChangeM9_R, false, Plain<WriteChangeM9>},
    {RestartM9_R, false, TypeOnly<RestartM9_R>},
    {ParamSettings_R, false, Plain<WriteParamSettings>},
    {GetResults_R, false, TypeOnly<GetResults_R>},
    {Results_R, false, Plain<WriteResults>},
    {masterF_Stop_R, true, TypeOnly<masterF_Stop_R>},
    {masterL_Stop_R, true, TypeOnly<masterL_Stop_R>},
    {DontSupport_R, true, DontSupport},
    {SendTxt_R, false, Plain<WriteSendTxt>},
    {ScenarioInfo_R, false, Plain<WriteScenarioInfo>},
    {Sync_R, false, Plain<WriteSync>},
};

constexpr uint8_t ProgramCodes[] = {PrgStartSin,     PrgStartSin2,    PrgStartMtts,       PrgStartRnd,
                                    PrgBlock,        PrgGeneratorSettings, PrgBreak,      PrgStartNoise,
                                    PrgStartMasterF, PrgStartMasterL, PrgConnectionType,  PrgMeterSettings,
                                    PrgRecompute,    PrgParamSettings, PrgRemoteResults,  PrgNotSupported};

struct TRecordReader {
    uint8_t Type;
    bool Guarded; // refused while the peer has not paired with this analyser
    bool (*Read)(TRemoteReader &r, TRemoteParse &p);
};

constexpr TRecordReader RecordReaders[] = {
    {Sin_R, true, ReadSin},
    {Sin2_R, true, ReadSin2},
    {MTTS_R, true, ReadMtts},
    {Rnd_R, true, ReadRnd},
    {Mute_R, true, ReadMute},
    {G9_Change_R, true, ReadGenChange},
    {Break_R, false, ReadBreak},
    {Noise_R, true, ReadNoise},
    {masterF_R, true, ReadMasterF},
    {masterL_R, true, ReadMasterL},
    {Plug_R, true, ReadPlug},
    {ChangeM9_R, true, ReadChangeM9},
    {RestartM9_R, true, ReadRestartM9},
    {ParamSettings_R, true, ReadParamSettings},
    {GetResults_R, true, ReadGetResults},
    {Results_R, false, ReadResults},
    {masterF_Stop_R, false, ReadNothing},
    {masterL_Stop_R, false, ReadNothing},
    {DontSupport_R, false, ReadDontSupport},
    {SendTxt_R, false, ReadSendTxt},
    {ScenarioInfo_R, false, ReadScenarioInfo},
    {Sync_R, false, ReadSync},
};

void ShowOutOfMemory() {
    ShowMessage({LoadStr(22), LoadStr(5), MsgIcon::Error, MsgButtons::Ok});
}

void StopRunningMasters() {
    TDeviceSettings &s = *DeviceSettings;
    const TRemoteLinkPeers &peers = RemoteLinkPeers();
    if (s.MasterF.State > 0) {
        if (peers.StopMasterFreq)
            peers.StopMasterFreq();
        else
            s.MasterF.State = 0;
    }
    if (s.MasterL.State > 0) {
        if (peers.StopMasterLev)
            peers.StopMasterLev();
        else
            s.MasterL.State = 0;
    }
}

} // namespace

void EncodeRemoteItem(uint8_t code, TRemoteOutgoing &message) {
    try {
        if (std::find(std::begin(ProgramCodes), std::end(ProgramCodes), code) != std::end(ProgramCodes)) {
            message.Program.push_back(code);
            return;
        }
        for (const TRecordWriter &record : RecordWriters) {
            if (record.Type != code)
                continue;
            const std::size_t start = message.Data.size();
            TRemoteWriter w(message.Data);
            try {
                record.Write(w, message);
            } catch (const std::bad_alloc &) {
                message.Data.resize(start);
                throw;
            }
            if (record.Marks && message.Data.size() > start)
                message.Data[0] = code;
            return;
        }
    } catch (const std::bad_alloc &) {
        ShowOutOfMemory();
    }
}

void ParseRemoteMessage(const uint8_t *data, int32_t length) {
    StopRunningMasters();
    TRemoteParse p;
    TRemoteReader r(data, length, RemoteHeaderSize);
    while (!r.AtEnd()) {
        const uint8_t type = r.B();
        const auto *reader = std::find_if(std::begin(RecordReaders), std::end(RecordReaders),
                                          [type](const TRecordReader &record) { return record.Type == type; });
        // A byte of no type (the padding, the zeros after a record) is skipped.
        if (reader == std::end(RecordReaders))
            continue;
        // A refused record is not decoded, and its payload is not taken for further records either:
        // the rest of the message is left alone.
        if (reader->Guarded && RefuseUnpaired(p))
            break;
        if (!reader->Read(r, p))
            break;
    }
    if (p.NotSupported)
        p.Reply = {DontSupport_R, PrgNotSupported, PrgRecompute};
    if (!p.Reply.empty())
        SendRemoteMessage(p.Reply, p.Unsupported);
    RefreshAllPages();
    RefreshGenButtons();
}
