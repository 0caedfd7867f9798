#include "views/GraphSources.h"

#include "engine/EngineBuffers.h"
#include "engine/MasterParam.h"
#include "engine/PrbsMeasurement.h"
#include "engine/ResultArrays.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "state/DeviceSettings.h"

// The echo table lives in the engine; the other holders register their providers from above.
TGraphSources GraphSources = [] {
    TGraphSources sources;
    sources.Reflections = [] {
        const TReflectionTable &t = ReflectionTable;
        return std::optional<TReflectionRows>(TReflectionRows{t.Delay, t.Distance, t.Percent, t.Level});
    };
    return sources;
}();

namespace {

template <typename Provider, typename... Args> std::optional<TCurveArrays> Ask(const Provider &provider, Args... args) {
    if (!provider)
        return std::nullopt;
    return provider(args...);
}

std::optional<TCurveArrays> MasterCurve(const TMaster_Param *master) {
    if (!master)
        return std::nullopt;
    return TCurveArrays{master->XValues(), master->YValues(), master->ArrayCount};
}

// The spectra skip their first display point.
TCurveArrays SpectrumCurve(const float *levels) {
    const TEngineBuffers &b = EngineBuffers;
    if (!b.FrequencyAxis || !levels || b.DisplayPointCount < 1)
        return {};
    return {b.FrequencyAxis + 1, levels + 1, b.DisplayPointCount - 1};
}

constexpr int32_t Bit(int signalKind) {
    return 1 << signalKind;
}

// The signal kinds that produce each engine-drawn graph kind (SIN 1, SIN2 2, MTTS 3, PRBS 4, NOISE 5,
// selective 6, SYNC 7).
int32_t ProducingKinds(int kind) {
    switch (kind) {
    case 0:
        return Bit(1) | Bit(2) | Bit(3) | Bit(4) | Bit(5) | Bit(7);
    case 1:
        return Bit(1) | Bit(2) | Bit(3) | Bit(4) | Bit(5) | Bit(6) | Bit(7);
    case 2:
        return Bit(1) | Bit(2) | Bit(3) | Bit(4) | Bit(5) | Bit(6);
    case 3:
    case 4:
    case 20:
        return Bit(4);
    case 16:
    case 17:
    case 37:
    case 38:
        return Bit(5);
    default:
        return kind >= 5 && kind <= 15 ? Bit(3) : 0;
    }
}

bool RowAnalysed(int kind, int signalKind) {
    if (kind < 0 || kind >= GraphKindCount || signalKind < 0 || signalKind > 7)
        return false;
    const ParamSettings *settings = GraphParamSettings[kind][signalKind];
    return settings && settings->Analyse;
}

} // namespace

std::optional<TCurveArrays> GraphCurve(int kind, bool forExport) {
    const TEngineBuffers &b = EngineBuffers;
    if (kind == 0) {
        const bool sync = !forExport && DeviceSettings->SyncGenState > 0;
        return TCurveArrays{sync ? b.SyncTimeAxis : b.SampleTimeAxis, sync ? b.SyncCurve : b.SampleVolts,
                            DeviceSettings->AdcSize};
    }
    if (kind == 1)
        return SpectrumCurve(b.PowerSpectrum);
    if (kind == 2)
        return SpectrumCurve(b.WeightedLevels);
    if (kind == 3 || kind == 4)
        return TCurveArrays{b.Reflectograms[ReflectogramDistance],
                            b.Reflectograms[kind == 3 ? ReflectogramLevel : ReflectogramPercent], ReflectogramLength};
    if ((kind >= 5 && kind <= 15) || kind == 20)
        return TCurveArrays{ResultArrays.Frequency, LineResultValues(kind), LineResultCount()};
    if (kind == 16 || kind == 17 || kind == 37 || kind == 38) {
        const int curve = kind == 16 ? 0 : kind == 17 ? 1 : kind == 37 ? 2 : 3;
        return TCurveArrays{b.NoiseCurves[4], b.NoiseCurves[curve], b.NoiseCurveLength};
    }
    if (kind == 18)
        return MasterCurve(FreqMasterParam);
    if (kind == 19)
        return MasterCurve(LevelMasterParam);
    if (kind >= 21 && kind <= 36)
        return Ask(GraphSources.Selective, kind);
    return std::nullopt;
}

bool KindVisible(int kind) {
    if (kind == 18 || kind == 19)
        return RowAnalysed(kind, 1) && GraphCurve(kind).has_value();
    if (kind >= 21 && kind <= 36)
        return RowAnalysed(kind, 6) && GraphCurve(kind).has_value();
    if (SignalKind < 0 || SignalKind > 7 || !(ProducingKinds(kind) & Bit(SignalKind)))
        return false;
    if (kind == 2 && WeightingCurve.Count < 1)
        return false;
    return RowAnalysed(kind, SignalKind);
}
