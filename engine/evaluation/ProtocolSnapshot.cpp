#include "engine/evaluation/ProtocolSnapshot.h"

#include "engine/EngineBuffers.h"
#include "engine/MasterParam.h"
#include "engine/PrbsMeasurement.h"
#include "engine/SstParam2.h"
#include "engine/catalogue/ParameterTable.h"
#include "engine/catalogue/ValueQuantizer.h"
#include "engine/evaluation/GeneratorCode.h"
#include "engine/evaluation/PointVerdicts.h"
#include "engine/evaluation/SlotCurves.h"
#include "platform/Clock.h"
#include "state/DeviceSettings.h"
#include "state/MainGlobals.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

TProtocolSnapshot LocalProtocolSnapshot;
TProtocolSnapshot RemoteProtocolSnapshot;

TProtocolSnapshotServices &ProtocolSnapshotServices() {
    static TProtocolSnapshotServices services;
    return services;
}

uint8_t TSnapshotPicture::PixelAt(int32_t x, int32_t y) const {
    const uint8_t pair = Bits[std::size_t(y) * std::size_t(RowBytes()) + std::size_t(x / 2)];
    return x % 2 == 0 ? uint8_t(pair >> 4) : uint8_t(pair & 0x0F);
}

namespace {

// Little-endian, whatever the host: the buffers travel to the peer and into protocol files.
template <typename T> void Put(std::vector<uint8_t> &buffer, T value) {
    uint8_t bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    if constexpr (std::endian::native == std::endian::big)
        std::reverse(std::begin(bytes), std::end(bytes));
    buffer.insert(buffer.end(), std::begin(bytes), std::end(bytes));
}

void PutFloats(std::vector<uint8_t> &buffer, const float *values, int32_t count) {
    for (int32_t i = 0; i < count; ++i)
        Put(buffer, values[i]);
}

void ClearSnapshot(TProtocolSnapshot &s) {
    s.Results.clear();
    s.Results.shrink_to_fit();
    s.Curves.clear();
    s.Curves.shrink_to_fit();
    for (auto &picture : s.Pictures)
        picture.reset();
}

// The "Таймер,с" lower norm of the kind that counts random events; 0 for the kinds that do not.
int32_t EventTimerSeconds(int32_t kind) {
    const int32_t index = kind == 1 ? EventSinTimer : kind == 3 ? EventMttsTimer : kind == 5 ? EventNoiseTimer : -1;
    if (index < 0 || !EventNormPointers.Norm[index])
        return 0;
    return int32_t(*EventNormPointers.Norm[index]);
}

int32_t AutoProtocolInterval() {
    const TDeviceSettings &d = *DeviceSettings;
    int32_t interval = d.AveragingInterval;
    const auto &scenario = ProtocolSnapshotServices().ScenarioTiming;
    const std::optional<TScenarioTiming> timing = scenario ? scenario() : std::nullopt;
    if (!timing)
        return interval;
    if (timing->RowKind > 0)
        return AutoProtocolMinSeconds;
    if (d.EventCounting) {
        const double longer = std::max<double>(d.AveragingInterval, EventTimerSeconds(SignalKind));
        interval = int32_t(std::trunc(longer + 0.5 * timing->ConfigOverheadSeconds));
    }
    return interval;
}

// One curve as the protocol files it: two arrays (x, y) or three (x, a second x, y).
struct TSnapshotCurve {
    const float *X = nullptr;
    const float *SecondX = nullptr;
    const float *Y = nullptr;
    int32_t Count = 0;
};

TSnapshotCurve FromCurve(const TCurve &c) {
    if (!c.X || !c.Y)
        return {};
    return {c.X, nullptr, c.Y, std::max(c.Count, 0)};
}

TSnapshotCurve FromMaster(const TMaster_Param *master) {
    if (!master || !master->XValues() || !master->YValues())
        return {};
    return {master->XValues(), nullptr, master->YValues(), master->ArrayCount};
}

int32_t PhasogramIndex(int32_t graphKind) {
    return graphKind == 16 ? 0 : graphKind == 17 ? 1 : graphKind == 37 ? 2 : 3;
}

// The curve of a row's graph kind, with no points where the kind's source does not exist now.
TSnapshotCurve SnapshotCurve(const ParamDescriptor &row) {
    const int32_t kind = row.GraphKind;
    const bool spectrumTable = DeviceSettings->SpectrumStepIndex >= SpectrumTableMinStep;
    const bool weighting = WeightingCurve.Count > 0;
    const bool phasogram = DeviceSettings->Phasogram != 0;
    switch (kind) {
    case 1:
        return spectrumTable ? FromCurve(SpectrumCurve()) : TSnapshotCurve{};
    case 2:
        return spectrumTable && weighting ? FromCurve(WeightedSpectrumCurve()) : TSnapshotCurve{};
    case 3:
    case 4: {
        const TReflectionTable &t = ReflectionTable;
        return {t.Delay, t.Distance, kind == 3 ? t.Level : t.Percent, TableEchoCount};
    }
    case 16:
    case 37:
        return phasogram ? FromCurve(PhasogramCurve(PhasogramIndex(kind))) : TSnapshotCurve{};
    case 17:
    case 38:
        return phasogram && weighting ? FromCurve(PhasogramCurve(PhasogramIndex(kind))) : TSnapshotCurve{};
    case 18:
        return FromMaster(FreqMasterParam);
    case 19:
        return FromMaster(LevelMasterParam);
    default:
        if ((kind >= 5 && kind <= 15) || kind == 20)
            return FromCurve(LineResultCurve(kind));
        if (kind >= 21 && kind <= 36 && SstParam)
            return FromCurve(PublishedSlotCurve(row.MaskSlot));
        return {};
    }
}

bool HasPointVerdicts(const ParamDescriptor &row, int32_t count) {
    const int32_t slot = row.MaskSlot;
    return slot >= 0 && slot < MaskSlotCount && PointVerdicts[slot] && PointVerdictSize(slot) >= count &&
           (row.Settings.ApplyLower || row.Settings.ApplyUpper);
}

// A picture belongs to a row with points, to the oscillogram and the spectrum, and to the weighted
// spectrum while a weighting characteristic is loaded, even when their table is too long to file.
bool TakesPicture(int32_t kind, int32_t count) {
    return count > 0 || kind == 0 || kind == 1 || (kind == 2 && WeightingCurve.Count > 0);
}

} // namespace

void ResetProtocolSnapshot(TProtocolSnapshot &s, int16_t keep) {
    if (!DeviceSettings)
        return;
    s.IntervalSeconds = AutoProtocolInterval();
    if (keep == 0) {
        s.HasData = 0;
        s.MasterDone = 0;
        ClearSnapshot(s);
    }
    s.NextTick = GetTickCount64() + uint64_t(std::max(s.IntervalSeconds, 0)) * 1000;
}

bool SaveKindProtocol(int32_t kind) {
    if (kind < FirstTableKind || kind > LastTableKind)
        return false;
    const ParameterTable table = ParameterTableOf(kind);
    BuildProtocolSnapshot(table.Rows, table.RowCount, kind);
    LocalProtocolSnapshot.HasData = 1;
    return true;
}

void BuildProtocolSnapshot(const ParamDescriptor *table, int32_t rowCount, int32_t kind) {
    TProtocolSnapshot &s = LocalProtocolSnapshot;
    ClearSnapshot(s);
    s.Results.reserve(std::size_t(SnapshotHeaderSize + SnapshotRowSize * std::max(rowCount, 0)));
    WriteSnapshotResults(table, rowCount, s.Results, kind);
    WriteSnapshotCurves(table, rowCount, s.Curves, s.Pictures);
}

void WriteSnapshotResults(const ParamDescriptor *table, int32_t rowCount, std::vector<uint8_t> &buffer, int32_t kind) {
    const TDeviceSettings &d = *DeviceSettings;
    // The row count travels in one byte.
    const int32_t rows = table ? std::clamp(rowCount, 0, 255) : 0;
    Put(buffer, NowStamp);
    Put(buffer, uint8_t(kind));
    Put(buffer, uint8_t(d.ConnectionType));
    Put(buffer, uint8_t(GeneratorCode()));
    Put(buffer, QuantizeValue(ValueQuantizers[GeneratorImpedanceQuantizer], d.GenImpedance));
    Put(buffer, d.GenLowImpedance);
    Put(buffer, QuantizeValue(ValueQuantizers[MeterImpedanceQuantizer], d.MeterImpedance));
    Put(buffer, d.MeterHighImpedance);
    Put(buffer, uint8_t(d.MaxLevelIndex));
    Put(buffer, d.BandF0);
    Put(buffer, d.BandF1);
    Put(buffer, uint8_t(d.AdcSizeIndex));
    Put(buffer, uint8_t(d.SpectrumStepIndex));
    Put(buffer, uint8_t(rows));
    for (int32_t i = 0; i < rows; ++i) {
        const ParamResult &r = table[i].Result;
        Put(buffer, r.Value);
        Put(buffer, r.Margin);
        Put(buffer, r.Verdict);
        buffer.insert(buffer.end(), std::begin(r.Reserved), std::end(r.Reserved));
    }
}

bool HasProtocolCurve(const ParamDescriptor &row) {
    return row.Settings.Analyse && row.Settings.Protocol && row.GraphKind >= 0 && row.GraphKind < GraphKindCount;
}

void WriteSnapshotCurves(const ParamDescriptor *table, int32_t rowCount, std::vector<uint8_t> &buffer,
                         std::array<std::unique_ptr<TSnapshotPicture>, GraphKindCount> &pictures) {
    const auto &takePicture = ProtocolSnapshotServices().GraphPicture;
    for (int32_t i = 0; table && i < rowCount; ++i) {
        const ParamDescriptor &row = table[i];
        if (!HasProtocolCurve(row))
            continue;
        const TSnapshotCurve curve = SnapshotCurve(row);
        Put(buffer, int16_t(row.GraphKind));
        Put(buffer, curve.Count);
        if (curve.Count > 0) {
            Put(buffer, int32_t(curve.SecondX ? 3 : 2));
            PutFloats(buffer, curve.X, curve.Count);
            if (curve.SecondX)
                PutFloats(buffer, curve.SecondX, curve.Count);
            PutFloats(buffer, curve.Y, curve.Count);
            const bool verdicts = HasPointVerdicts(row, curve.Count);
            Put(buffer, uint8_t(verdicts ? 1 : 0));
            if (verdicts)
                buffer.insert(buffer.end(), PointVerdicts[row.MaskSlot].get(),
                              PointVerdicts[row.MaskSlot].get() + curve.Count);
        }
        if (takePicture && TakesPicture(row.GraphKind, curve.Count))
            pictures[std::size_t(row.GraphKind)] = takePicture(row.GraphKind);
    }
}

void AutoProtocolTick() {
    TProtocolSnapshot &s = LocalProtocolSnapshot;
    const uint64_t now = GetTickCount64();
    if (now < s.NextTick)
        return;
    s.NextTick = now + uint64_t(std::max(s.IntervalSeconds, 0)) * 1000;
    SaveKindProtocol(SignalKind);
    const auto &addEntry = ProtocolSnapshotServices().AddAutoProtocolEntry;
    if (s.HasData && addEntry)
        addEntry(s);
}
