#include "settings/remote/RemoteParamRecords.h"

#include "chartlib/Chartlib.h"
#include "engine/catalogue/MaskCodeRange.h"
#include "engine/catalogue/MaskNameList.h"
#include "engine/catalogue/ParameterTable.h"
#include "engine/catalogue/ValueQuantizer.h"
#include "engine/evaluation/ProtocolSnapshot.h"
#include "engine/masks/MaskArray.h"
#include "platform/Cp1251.h"
#include "platform/MessageService.h"
#include "platform/StringTable.h"
#include "settings/SettingsRecompute.h"
#include "settings/remote/RemoteLinkPeers.h"
#include "settings/remote/RemoteResultsBlock.h"
#include "settings/remote/RemoteWire.h"
#include "state/MainGlobals.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>

TPeerScenario PeerScenario;

namespace {

// The tables whose settings and results travel: SIN, SIN2, MTTS, RND and NOISE.
constexpr int32_t RemoteTableKinds = 5;
// Masks of the slots below this one travel with the parameter settings.
constexpr int32_t RemoteMaskSlots = 23;
constexpr uint16_t MaxMaskPoints = 0xFFFF;

void WriteNorm(TRemoteWriter &w, const ParamDescriptor &row, float norm, int16_t maskName) {
    if (row.TextNorms) {
        w.T8(ToCp1251(MaskNameAt(maskName)));
    } else if (row.WireBytes == 4) {
        w.F32(norm);
    } else if (row.WireBytes == 2) {
        w.W16(QuantizeByDescriptor(row, norm));
    }
}

// A norm as it arrived: a mask name or a value.
struct TReceivedNorm {
    uint8_t Apply = 0;
    float Value = 0;
    std::optional<QString> MaskName;
};

TReceivedNorm ReadNorm(TRemoteReader &r, const ParamDescriptor &row, float current) {
    TReceivedNorm norm;
    norm.Apply = r.B();
    norm.Value = current;
    if (row.TextNorms) {
        norm.MaskName = FromCp1251(r.T8());
    } else if (row.WireBytes == 4) {
        norm.Value = r.F32();
    } else if (row.WireBytes == 2) {
        double value = current;
        DequantizeByDescriptor(row, value, r.W16());
        norm.Value = float(value);
    }
    return norm;
}

// A received template name replaces the row's entry, or is added when the row has none yet.
void StoreReceivedMaskName(int16_t &index, const QString &name) {
    if (index >= 0 || !name.isEmpty())
        StoreMaskName(index, name);
}

struct TReceivedRow {
    int32_t Kind;
    int32_t Row;
    uint8_t Protocol;
    uint8_t Margin;
    TReceivedNorm Lower;
    TReceivedNorm Upper;
};

void WriteMask(TRemoteWriter &w, int32_t slot, const TMASK &mask) {
    w.B(uint8_t(slot));
    w.B(mask.Upper);
    w.B(mask.Active);
    w.B(uint8_t(mask.Scale));
    w.I32(mask.Colour);
    const uint16_t count = uint16_t(std::min<std::size_t>(mask.Points.size(), MaxMaskPoints));
    w.W16(count);
    for (uint16_t i = 0; i < count; ++i) {
        const TMaskPoint &point = mask.Points[i];
        w.W16(QuantizeLog65535(mask.XMin, mask.XMax, point.x));
        if (mask.WireBytes == 4)
            w.F32(float(point.y));
        else if (mask.WireBytes == 2)
            w.W16(QuantizeLinear16(mask.YMin, mask.YMax, mask.CodeSteps, point.y));
    }
    const int names = std::min<int>(int(mask.Names.size()), 255);
    w.B(uint8_t(names));
    for (int i = 0; i < names; ++i)
        w.T8(ToCp1251(mask.Names[i]));
}

int32_t PendingSide(uint8_t upper) {
    return upper ? MaskUpperSide : MaskLowerSide;
}

bool LocalResultsReady() {
    return LocalProtocolSnapshot.HasData != 0 && !LocalProtocolSnapshot.Results.empty();
}

} // namespace

void WriteParamSettings(TRemoteWriter &w) {
    w.B(ParamSettings_R);
    for (int32_t kind = 1; kind <= RemoteTableKinds; ++kind) {
        const ParameterTable table = ParameterTableOf(kind);
        const auto analysed = std::count_if(table.Rows, table.Rows + table.RowCount,
                                            [](const ParamDescriptor &row) { return row.Settings.Analyse != 0; });
        w.B(uint8_t(analysed));
        for (int32_t i = 0; i < table.RowCount; ++i) {
            const ParamDescriptor &row = table.Rows[i];
            if (!row.Settings.Analyse)
                continue;
            w.B(uint8_t(i));
            if (row.ProtocolAllowed)
                w.B(row.Settings.Protocol);
            if (row.MarginAllowed)
                w.B(row.Settings.ComputeMargin);
            if (row.LowerNormAllowed) {
                w.B(row.Settings.ApplyLower);
                WriteNorm(w, row, row.Settings.LowerNorm, row.Settings.LowerMaskName);
            }
            if (row.UpperNormAllowed) {
                w.B(row.Settings.ApplyUpper);
                WriteNorm(w, row, row.Settings.UpperNorm, row.Settings.UpperMaskName);
            }
        }
    }
    int masks = 0;
    for (int32_t slot = 0; slot < RemoteMaskSlots; ++slot)
        for (int side : {MaskUpperSide, MaskLowerSide})
            masks += MaskArray[slot][side] != nullptr;
    w.B(uint8_t(masks));
    for (int32_t slot = 0; slot < RemoteMaskSlots; ++slot)
        for (int side : {MaskUpperSide, MaskLowerSide})
            if (const TMASK *mask = MaskArray[slot][side].get())
                WriteMask(w, slot, *mask);
}

std::unique_ptr<TMASK> ReadRemoteMaskRecord(TRemoteReader &r, int32_t &slot) {
    slot = r.B();
    if (!r.Ok() || slot >= MaskSlotCount)
        return nullptr;
    auto mask = std::make_unique<TMASK>();
    GetParamDefaultRange(mask->XMin, mask->XMax, slot);
    FindParamDescriptor(mask->YMin, mask->YMax, mask->CodeSteps, mask->WireBytes, slot);
    mask->Upper = r.B();
    mask->Active = r.B();
    mask->Scale = r.B();
    mask->Colour = r.I32();
    const uint16_t count = r.W16();
    for (uint16_t i = 0; i < count && r.Ok(); ++i) {
        TMaskPoint point{};
        point.x = DequantizeLog65535(mask->XMin, mask->XMax, r.W16());
        if (mask->WireBytes == 4)
            point.y = RoundTo3Decimals(r.F32());
        else if (mask->WireBytes == 2)
            point.y = DequantizeLinear16(mask->YMin, mask->YMax, mask->CodeSteps, r.W16());
        else
            point.y = mask->YMin;
        mask->Points.push_back(point);
    }
    const uint8_t names = r.B();
    for (uint8_t i = 0; i < names && r.Ok(); ++i) {
        const QString name = FromCp1251(r.T8());
        mask->Names.append(name);
        mask->Paths.append(name);
    }
    if (!r.Ok())
        return nullptr;
    return mask;
}

bool ReadParamSettings(TRemoteReader &r, TRemoteParse &p) {
    std::vector<TReceivedRow> rows;
    for (int32_t kind = 1; kind <= RemoteTableKinds; ++kind) {
        const ParameterTable table = ParameterTableOf(kind);
        const uint8_t count = r.B();
        for (uint8_t k = 0; k < count && r.Ok(); ++k) {
            const uint8_t index = r.B();
            // The row decides which fields follow: without a row of this number the rest cannot be read.
            if (!r.Ok() || index >= table.RowCount)
                return false;
            const ParamDescriptor &row = table.Rows[index];
            TReceivedRow got{kind, index, row.Settings.Protocol, row.Settings.ComputeMargin, {}, {}};
            if (row.ProtocolAllowed)
                got.Protocol = r.B();
            if (row.MarginAllowed)
                got.Margin = r.B();
            if (row.LowerNormAllowed)
                got.Lower = ReadNorm(r, row, row.Settings.LowerNorm);
            if (row.UpperNormAllowed)
                got.Upper = ReadNorm(r, row, row.Settings.UpperNorm);
            rows.push_back(got);
        }
    }
    std::vector<std::pair<int32_t, std::unique_ptr<TMASK>>> masks;
    const uint8_t maskCount = r.B();
    for (uint8_t i = 0; i < maskCount && r.Ok(); ++i) {
        int32_t slot = 0;
        std::unique_ptr<TMASK> mask = ReadRemoteMaskRecord(r, slot);
        if (!mask)
            return false;
        masks.emplace_back(slot, std::move(mask));
    }
    if (!r.Ok())
        return false;

    for (int32_t kind = 1; kind <= RemoteTableKinds; ++kind) {
        const ParameterTable table = ParameterTableOf(kind);
        for (int32_t i = 0; i < table.RowCount; ++i)
            table.Rows[i].Settings.Analyse = 0;
    }
    for (const TReceivedRow &got : rows) {
        ParamDescriptor &row = ParameterTableOf(got.Kind).Rows[got.Row];
        ParamSettings &set = row.Settings;
        set.Analyse = 1;
        set.Protocol = got.Protocol;
        set.ComputeMargin = got.Margin;
        if (row.LowerNormAllowed) {
            set.ApplyLower = got.Lower.Apply;
            set.LowerNorm = got.Lower.Value;
            if (got.Lower.MaskName)
                StoreReceivedMaskName(set.LowerMaskName, *got.Lower.MaskName);
        }
        if (row.UpperNormAllowed) {
            set.ApplyUpper = got.Upper.Apply;
            set.UpperNorm = got.Upper.Value;
            if (got.Upper.MaskName)
                StoreReceivedMaskName(set.UpperMaskName, *got.Upper.MaskName);
        }
    }

    for (auto &[slot, mask] : masks) {
        const int32_t side = PendingSide(mask->Upper);
        PendingMaskArray[slot][side] = std::move(mask);
    }
    p.Reply.push_back(PrgParamSettings);
    return true;
}

void WriteResults(TRemoteWriter &w) {
    const bool ready = LocalResultsReady();
    w.B(Results_R);
    w.B(ready ? 1 : 0);
    if (!ready)
        return;
    w.Bytes(QByteArray(reinterpret_cast<const char *>(LocalProtocolSnapshot.Results.data()),
                       qsizetype(LocalProtocolSnapshot.Results.size())));
    if (ScenarioRunning)
        return;
    CallPeer(RemoteLinkPeers().AddProtocolEntry, 0);
    if (PeerScenario.LastRow)
        CallPeer(RemoteLinkPeers().CloseProtocol, 0);
}

bool ReadResults(TRemoteReader &r, TRemoteParse &p) {
    const uint8_t ready = r.B();
    if (!r.Ok())
        return false;
    InvalidateParamResults();
    ResetProtocolSnapshot(RemoteProtocolSnapshot, 0);
    KeepRemoteResultsBlock({});
    RemoteProtocolSnapshot.HasData = ready;
    if (ScenarioRunning)
        CallPeer(RemoteLinkPeers().RemoteResultsArrived);
    if (ready) {
        // The block runs to the end of the message, the padding byte included.
        const QByteArray block = r.Bytes(r.Left());
        RemoteProtocolSnapshot.Results.assign(block.begin(), block.end());
        KeepRemoteResultsBlock(block);
        TakeRemoteResultRows(reinterpret_cast<const uint8_t *>(block.constData()), block.size());
        CallPeer(RemoteLinkPeers().ShowRemoteResultTable);
        if (!ScenarioRunning)
            CallPeer(RemoteLinkPeers().AddProtocolEntry, 1);
    } else if (!ScenarioRunning) {
        ShowMessage({QStringLiteral("Результаты измерений от удаленного R9 не готовы!"), LoadStr(7),
                     MsgIcon::Warning, MsgButtons::Ok});
    }
    p.Reply.push_back(PrgRemoteResults);
    return true;
}

void WriteScenarioInfo(TRemoteWriter &w) {
    TRemoteLinkPeers::ScenarioInfo info;
    const TRemoteLinkPeers &peers = RemoteLinkPeers();
    const bool has = ScenarioRunning && peers.RunningScenario && peers.RunningScenario(info);
    w.B(ScenarioInfo_R);
    w.B(has ? 1 : 0);
    QString config;
    if (has) {
        w.B(uint8_t(info.Number));
        w.B(info.LastRemoteRow ? 1 : 0);
        w.T8(ToCp1251(FileNameWithoutExt(info.FileName)));
        config = info.RowConfigName;
    } else if (peers.ConfigFileName) {
        config = peers.ConfigFileName();
    }
    w.T8(ToCp1251(FileNameWithoutExt(config)));
}

bool ReadScenarioInfo(TRemoteReader &r, TRemoteParse &) {
    TPeerScenario got;
    const bool has = r.B() != 0;
    if (has) {
        got.Number = r.B();
        got.LastRow = r.B();
        got.Name = FromCp1251(r.T8());
    }
    got.ConfigName = FromCp1251(r.T8());
    if (!r.Ok())
        return false;
    const QString oldName = PeerScenario.Name;
    PeerScenario = got;
    const TRemoteLinkPeers &peers = RemoteLinkPeers();
    if (has && peers.ProtocolIsRemote && peers.ProtocolIsRemote() && got.Name != oldName)
        CallPeer(peers.CloseProtocol, 0);
    return true;
}
