#include "settings/remote/RemoteRecords.h"

#include "chartlib/Chartlib.h"
#include "engine/EngineBuffers.h"
#include "engine/catalogue/ValueQuantizer.h"
#include "platform/Clock.h"
#include "platform/Cp1251.h"
#include "settings/GeneratorCommands.h"
#include "settings/ImpedanceRules.h"
#include "settings/MeterSettings.h"
#include "settings/SettingsWindowButtons.h"
#include "settings/remote/RemoteLinkPeers.h"
#include "settings/remote/RemoteWire.h"
#include "state/DeviceSettings.h"
#include "state/FileNameList.h"
#include "state/ProgramSettings.h"
#include "state/TextMessages.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

// The value quantizers of the records.
enum : int {
    QControlLevel = 0,
    QGenRef = 1,
    QGenImpedance = 2,
    QMeterRef = 3,
    QMeterImpedance = 4,
    QLmin = 5,
    QMinSnr = 6,
    QVelocity = 7,
    QMergeInterval = 8,
    QSinLevel = 9,
    QSin2Level = 10,
    QRndLevel = 11,
    QNoiseLevel = 12,
    QMttsLevel = 13,
    QWeightingFreq = 14,
    QWeightingValue = 15,
};

// The impedances received from the peer are limited as if the range were 1000 kHz.
constexpr float ReceivedImpedanceCap = 1000;
constexpr uint8_t MttsRecordPadding = 11;
constexpr float LowRangeMaxFrequency = 80; // kHz: below it the largest block size is not offered

TDeviceSettings &S() {
    return *DeviceSettings;
}

// A float from the peer that is not a number leaves the field as it was.
float FiniteOr(float received, float current) {
    return std::isfinite(received) ? received : current;
}

void AddCode(TRemoteParse &p, uint8_t code) {
    p.Reply.push_back(code);
}

// A generator-starting record: the generator joins the line, then the kind's start code.
void StartReply(TRemoteParse &p, uint8_t startCode) {
    if (AddGeneratorToLine())
        AddCode(p, PrgConnectionType);
    AddCode(p, startCode);
}

void BlockReply(TRemoteParse &p) {
    if (RemoveGeneratorFromLine())
        AddCode(p, PrgConnectionType);
    AddCode(p, PrgBlock);
}

// The list or range of a master, in the order of its record. Levels of the level master travel as SIN
// level codes, frequencies of the frequency master as floats.
struct TMasterWire {
    bool Levels;
};

void WriteMasterValue(TRemoteWriter &w, const TMasterWire &kind, float value) {
    if (kind.Levels)
        w.L16(QSinLevel, value);
    else
        w.F32(value);
}

float ReadMasterValue(TRemoteReader &r, const TMasterWire &kind, float current) {
    return kind.Levels ? float(r.L16(QSinLevel)) : FiniteOr(r.F32(), current);
}

void WriteMaster(TRemoteWriter &w, uint8_t type, const MasterBlock &m, const TMasterWire &kind) {
    w.B(type);
    w.B(m.Source);
    if (m.Source & 1) {
        WriteMasterValue(w, kind, m.RangeStart);
        w.W16(uint16_t(m.RangeN));
        WriteMasterValue(w, kind, m.RangeStep);
    } else {
        const int count = SetRowCount(m);
        w.B(uint8_t(m.SetCount));
        for (int i = 0; i < count; ++i) {
            w.B(m.Set[i].Checked);
            WriteMasterValue(w, kind, m.Set[i].Value);
        }
    }
    w.B(m.RemoteSinOn);
    // The frequency master runs at a SIN level, the level master at a SIN frequency.
    if (kind.Levels)
        w.F32(m.SinValue);
    else
        w.L16(QSinLevel, m.SinValue);
    w.B(m.BandType);
    w.F32(m.BandF0);
    w.F32(m.BandF1);
    w.B(m.AutoByTime);
    w.W16(uint16_t(m.Interval));
}

bool ReadMaster(TRemoteReader &r, TRemoteParse &p, MasterBlock &target, const TMasterWire &kind, uint8_t start) {
    MasterBlock m = target;
    m.Source = r.B();
    if (m.Source & 1) {
        m.RangeStart = ReadMasterValue(r, kind, m.RangeStart);
        m.RangeN = r.W16();
        m.RangeStep = ReadMasterValue(r, kind, m.RangeStep);
    } else {
        m.SetCount = int8_t(r.B());
        const int count = SetRowCount(m);
        for (int i = 0; i < count; ++i) {
            m.Set[i].Checked = r.F();
            m.Set[i].Value = ReadMasterValue(r, kind, m.Set[i].Value);
        }
    }
    m.SinOn = r.F();
    m.RemoteSinOn = 0;
    m.SinValue = kind.Levels ? FiniteOr(r.F32(), m.SinValue) : float(r.L16(QSinLevel));
    m.BandType = r.F();
    m.BandF0 = FiniteOr(r.F32(), m.BandF0);
    m.BandF1 = FiniteOr(r.F32(), m.BandF1);
    m.AutoByTime = r.F();
    m.Interval = r.W16();
    if (!r.Ok())
        return false;
    m.State = 0;
    target = m;
    CallPeer(RemoteLinkPeers().DisableMasterTimers);
    StartReply(p, start);
    return true;
}

// The largest block-size index this analyser offers at its maximum frequency.
int32_t MaxAdcSizeIndex() {
    return S().MaxFrequency < LowRangeMaxFrequency ? 3 : 4;
}

struct TPlugRule {
    uint8_t Type;
    float Impedance;      // both impedances take it first; 0 leaves them
    bool MeterTakesGen;   // the meter impedance takes the generator's
    int16_t BlockedType;  // with the local generator blocked
    int16_t RunningType;  // with a local generator on
    bool HighWhenRunning; // the meter goes to high impedance when the generator is on the line
    bool AlwaysHigh;
};

// What a connection type received from the peer makes of this analyser's connection.
constexpr TPlugRule PlugRules[] = {
    {2, 0, true, 2, 3, true, false},    {3, 0, true, 2, 3, true, false},  {4, 124, true, 2, 3, true, false},
    {5, 0, false, 5, 5, false, false},  {7, 0, true, 7, 8, true, false},  {8, 0, true, 7, 8, true, false},
    {9, 0, false, 9, 9, false, false},  {10, 75, false, 10, 10, false, true},
};

} // namespace

bool AddGeneratorToLine() {
    TDeviceSettings &s = S();
    if (s.ConnectionType != 2 && s.ConnectionType != 7)
        return false;
    ++s.ConnectionType;
    s.MeterHighImpedance = 1;
    return true;
}

bool RemoveGeneratorFromLine() {
    TDeviceSettings &s = S();
    if (s.ConnectionType != 3 && s.ConnectionType != 8)
        return false;
    --s.ConnectionType;
    s.MeterHighImpedance = 0;
    return true;
}

bool RefuseUnpaired(TRemoteParse &p) {
    if (S().PeerConnectState == 0) {
        p.Unsupported[UnpairedAccess] = 1;
        p.NotSupported = true;
    }
    return p.NotSupported;
}

void WriteSin(TRemoteWriter &w) {
    w.B(Sin_R);
    w.L16(QSinLevel, S().Sin.Level);
    w.F32(S().Sin.F1);
}

bool ReadSin(TRemoteReader &r, TRemoteParse &p) {
    const double level = r.L16(QSinLevel);
    const float f = r.F32();
    if (!r.Ok())
        return false;
    S().Sin.Level = float(level);
    S().Sin.F1 = FiniteOr(f, S().Sin.F1);
    StartReply(p, PrgStartSin);
    return true;
}

void WriteSin2(TRemoteWriter &w) {
    w.B(Sin2_R);
    w.L16(QSin2Level, S().Sin2.Level);
    w.Bin(S().Sin2.F1);
    w.Bin(S().Sin2.F2);
}

bool ReadSin2(TRemoteReader &r, TRemoteParse &p) {
    const double level = r.L16(QSin2Level);
    const double f1 = r.Bin();
    const double f2 = r.Bin();
    if (!r.Ok())
        return false;
    S().Sin2.Level = float(level);
    S().Sin2.F1 = float(f1);
    S().Sin2.F2 = float(f2);
    StartReply(p, PrgStartSin2);
    return true;
}

void WriteMtts(TRemoteWriter &w) {
    w.B(MTTS_R);
    w.L16(QMttsLevel, S().Mtts.Level);
    w.Bin(S().Mtts.F1);
    w.B(uint8_t(S().Mtts.Count));
    w.Bin(S().Mtts.Step);
    w.Zeros(MttsRecordPadding);
}

// The record's trailing zero bytes are left to the parser, which skips them as bytes of no type.
bool ReadMtts(TRemoteReader &r, TRemoteParse &p) {
    const double level = r.L16(QMttsLevel);
    const double f1 = r.Bin();
    const int32_t count = r.B();
    const double step = r.Bin();
    if (!r.Ok())
        return false;
    GenBlock &m = S().Mtts;
    m.Level = float(level);
    m.F1 = float(f1);
    m.Count = count;
    m.Step = float(step);
    m.F2 = float((count - 1) * step + f1);
    StartReply(p, PrgStartMtts);
    return true;
}

void WriteRnd(TRemoteWriter &w) {
    w.B(Rnd_R);
    w.L16(QRndLevel, S().Rnd.Level);
}

bool ReadRnd(TRemoteReader &r, TRemoteParse &p) {
    const double level = r.L16(QRndLevel);
    if (!r.Ok())
        return false;
    S().Rnd.Level = float(level);
    StartReply(p, PrgStartRnd);
    return true;
}

bool ReadMute(TRemoteReader &, TRemoteParse &p) {
    BlockReply(p);
    return true;
}

void WriteGenChange(TRemoteWriter &w) {
    w.B(G9_Change_R);
    w.L16(QGenImpedance, S().GenImpedance);
    w.L16(QGenRef, S().GenRef);
}

bool ReadGenChange(TRemoteReader &r, TRemoteParse &p) {
    const double impedance = r.L16(QGenImpedance);
    const double reference = r.L16(QGenRef);
    if (!r.Ok())
        return false;
    TDeviceSettings &s = S();
    s.GenImpedance = LimitImpedance(float(impedance), ReceivedImpedanceCap, s.GenLowImpedance != 0, true);
    s.GenRef = float(reference);
    AddCode(p, PrgGeneratorSettings);
    BlockReply(p);
    return true;
}

bool ReadBreak(TRemoteReader &, TRemoteParse &p) {
    AddCode(p, PrgBreak);
    return true;
}

void WriteNoise(TRemoteWriter &w) {
    w.B(Noise_R);
    w.L16(QNoiseLevel, S().Noise.Level);
}

bool ReadNoise(TRemoteReader &r, TRemoteParse &p) {
    const double level = r.L16(QNoiseLevel);
    if (!r.Ok())
        return false;
    S().Noise.Level = float(level);
    StartReply(p, PrgStartNoise);
    return true;
}

void WriteMasterF(TRemoteWriter &w) {
    WriteMaster(w, masterF_R, S().MasterF, {false});
}

void WriteMasterL(TRemoteWriter &w) {
    WriteMaster(w, masterL_R, S().MasterL, {true});
}

bool ReadMasterF(TRemoteReader &r, TRemoteParse &p) {
    return ReadMaster(r, p, S().MasterF, {false}, PrgStartMasterF);
}

bool ReadMasterL(TRemoteReader &r, TRemoteParse &p) {
    return ReadMaster(r, p, S().MasterL, {true}, PrgStartMasterL);
}

void WritePlug(TRemoteWriter &w) {
    w.B(Plug_R);
    w.B(uint8_t(S().ConnectionType));
}

bool ReadPlug(TRemoteReader &r, TRemoteParse &p) {
    const uint8_t type = r.B();
    if (!r.Ok())
        return false;
    if (type == 0)
        return true;
    TDeviceSettings &s = S();
    s.GenLowImpedance = 0;
    s.MeterHighImpedance = 0;
    for (const TPlugRule &rule : PlugRules) {
        if (rule.Type != type)
            continue;
        if (rule.Impedance > 0)
            s.GenImpedance = s.MeterImpedance = rule.Impedance;
        if (rule.MeterTakesGen)
            s.MeterImpedance = s.GenImpedance;
        const bool running = s.Block.State <= 0;
        s.ConnectionType = running ? rule.RunningType : rule.BlockedType;
        if (rule.AlwaysHigh || (running && rule.HighWhenRunning))
            s.MeterHighImpedance = 1;
    }
    AddCode(p, PrgConnectionType);
    return true;
}

void WriteChangeM9(TRemoteWriter &w) {
    RaiseAveragingForRemote();
    const TDeviceSettings &s = S();
    w.B(ChangeM9_R);
    w.B(uint8_t(s.SpectrumStepIndex));
    w.B(uint8_t(s.AdcSizeIndex));
    w.F32(s.BandF0);
    w.F32(s.BandF1);
    w.L16(QMeterRef, s.MeterRef);
    w.B(uint8_t(s.MaxLevelIndex));
    w.B(s.AutoMaxLevel);
    w.L8(QLmin, s.Lmin);
    w.L8(QMinSnr, s.MinSnr);
    w.F32(s.AfcRef);
    w.F32(s.GvpRef);
    w.B(s.EventCounting);
    w.L16(QMeterImpedance, s.MeterImpedance);
    w.L16(QVelocity, s.CableVelocity);
    w.W16(uint16_t(s.AveragingInterval));
    w.L8(QMergeInterval, s.EventMergeInterval);
    w.B(s.Phasogram);
    w.F32(s.PhasogramRef);
    const int32_t count = std::max(WeightingCurve.Count, 0);
    w.W16(uint16_t(count));
    if (count == 0)
        return;
    for (int32_t i = 0; i < count; ++i) {
        w.W16(QuantizeLog(ValueQuantizers[QWeightingFreq], WeightingCurve.Frequencies[i]));
        w.L16(QWeightingValue, WeightingCurve.Attenuations[i]);
    }
    const int index = s.WeightingIndex;
    const QString name =
        index >= 0 && index < FileNameList.size() ? FileNameWithoutFolder(FileNameList[index]) : QString();
    w.T8(ToCp1251(name));
}

bool ReadChangeM9(TRemoteReader &r, TRemoteParse &p) {
    TDeviceSettings m = S();
    m.SpectrumStepIndex = int8_t(r.B());
    m.AdcSizeIndex = int8_t(r.B());
    m.BandF0 = FiniteOr(r.F32(), m.BandF0);
    m.BandF1 = FiniteOr(r.F32(), m.BandF1);
    m.MeterRef = float(r.L16(QMeterRef));
    const uint8_t maxLevel = r.B();
    m.MaxLevelIndex = int8_t(maxLevel >= 10 ? maxLevel - 10 : maxLevel + 1);
    m.AutoMaxLevel = r.F();
    m.Lmin = float(r.L8(QLmin));
    m.MinSnr = float(r.L8(QMinSnr));
    m.AfcRef = FiniteOr(r.F32(), m.AfcRef);
    m.GvpRef = FiniteOr(r.F32(), m.GvpRef);
    m.EventCounting = r.F();
    const double meterImpedance = r.L16(QMeterImpedance);
    m.CableVelocity = float(r.L16(QVelocity));
    // Only the low 16 bits of the averaging interval travel.
    m.AveragingInterval = int32_t((uint32_t(m.AveragingInterval) & 0xFFFF0000u) | r.W16());
    m.EventMergeInterval = float(r.L8(QMergeInterval));
    m.Phasogram = r.F();
    m.PhasogramRef = FiniteOr(r.F32(), m.PhasogramRef);
    const int32_t count = r.W16();
    std::vector<float> x(static_cast<std::size_t>(count)), y(static_cast<std::size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        x[std::size_t(i)] = float(DequantizeLog(ValueQuantizers[QWeightingFreq], r.W16()));
        y[std::size_t(i)] = float(r.L16(QWeightingValue));
    }
    const QString name = count > 0 ? FromCp1251(r.T8()) : QString();
    if (!r.Ok())
        return false;

    // The engine's buffers are indexed by these: a peer's index outside this analyser's range is brought
    // into it.
    m.AdcSizeIndex = std::clamp(int32_t(m.AdcSizeIndex), 0, MaxAdcSizeIndex());
    m.SpectrumStepIndex = std::clamp(int32_t(m.SpectrumStepIndex), 1, SpectrumSizes[std::size_t(m.AdcSizeIndex)] / 8);
    m.MeterImpedance = LimitImpedance(float(meterImpedance), ReceivedImpedanceCap, m.MeterHighImpedance != 0, false);
    S() = m;

    if (count == 0) {
        SetWeightingCurve(0, nullptr, nullptr);
        ClearWeightingName(S());
    } else if (name.isEmpty()) {
        SetWeightingCurve(count, x.data(), y.data());
    } else {
        ApplyWeighting(S(), x, y, name);
    }
    AddCode(p, PrgMeterSettings);
    BlockReply(p);
    return true;
}

bool ReadRestartM9(TRemoteReader &, TRemoteParse &p) {
    AddCode(p, PrgRecompute);
    return true;
}

// The answer waits for the measurement in progress; the window stays alive meanwhile, and link events
// handled in the wait (another message among them) run their own parse.
bool ReadGetResults(TRemoteReader &, TRemoteParse &p) {
    const uint32_t start = GetTickCount();
    while (TicksSince(start) < ResultsRequestWaitMs) {
        PumpMessagesExceptInput();
        Sleep(10);
    }
    AddCode(p, Results_R);
    return true;
}

bool ReadNothing(TRemoteReader &, TRemoteParse &) {
    return true;
}

void WriteDontSupport(TRemoteWriter &w, const TUnsupportedModes &modes) {
    std::vector<uint8_t> codes;
    for (int i = 0; i < UnsupportedModeCount; ++i)
        if (modes[std::size_t(i)] == 1)
            codes.push_back(uint8_t(i));
    if (codes.empty())
        return;
    w.B(DontSupport_R);
    w.B(uint8_t(codes.size()));
    for (uint8_t code : codes)
        w.B(code);
}

bool ReadDontSupport(TRemoteReader &r, TRemoteParse &p) {
    const QByteArray codes = r.Bytes(r.B());
    if (!r.Ok())
        return false;
    for (char c : codes) {
        const uint8_t code = uint8_t(c);
        // Codes beyond the table mean nothing to this program.
        if (code >= UnsupportedModeCount)
            continue;
        p.Unsupported[code] = 1;
        if (code == 1 || code == 4 || code == 5)
            AddCode(p, PrgNotSupported);
        else if (code == UnpairedAccess)
            AddCode(p, PrgBreak);
    }
    AddCode(p, PrgRecompute);
    return true;
}

void WriteSendTxt(TRemoteWriter &w) {
    w.B(SendTxt_R);
    w.T32(ToCp1251(OutgoingTextMessage));
}

bool ReadSendTxt(TRemoteReader &r, TRemoteParse &) {
    const int32_t length = r.I32();
    if (!r.Ok())
        return false;
    if (length < 1)
        return true;
    const QByteArray text = r.Bytes(length);
    if (!r.Ok())
        return false;
    IncomingTextMessage = FromCp1251(text);
    CallPeer(RemoteLinkPeers().ShowTextMessageWindow);
    return true;
}

void WriteSync(TRemoteWriter &w) {
    const TDeviceSettings &s = S();
    w.B(Sync_R);
    w.L8(QControlLevel, s.ControlLevel);
    w.F32(s.ControlF1);
    w.F32(s.ControlFN);
    w.B(uint8_t(s.ExchangeMode));
}

// The start of a pairing: this analyser becomes the passive side.
bool ReadSync(TRemoteReader &r, TRemoteParse &) {
    const double level = r.L8(QControlLevel);
    const float f1 = r.F32();
    const float fn = r.F32();
    const uint8_t exchange = r.B();
    if (!r.Ok())
        return false;
    const TRemoteLinkPeers &peers = RemoteLinkPeers();
    if (peers.ProtocolOpen && peers.ProtocolOpen() && !(peers.ProtocolIsRemote && peers.ProtocolIsRemote()))
        CallPeer(peers.CloseProtocol, 1);
    TDeviceSettings &s = S();
    s.ControlLevel = float(level);
    s.ControlF1 = FiniteOr(f1, s.ControlF1);
    s.ControlFN = FiniteOr(fn, s.ControlFN);
    s.ExchangeMode = exchange;
    s.PeerConnectState = 1;
    s.ConnectState = 0;
    ProgramSettings.AutoProtocol = 0;
    ProgramSettings.AutoWindowChange = 1;
    CallPeer(peers.RefreshProgramSettingsDialog);
    IncomingTextMessage.clear();
    CallPeer(peers.RefreshTextMessageWindow);
    BlockGenerator();
    return true;
}
