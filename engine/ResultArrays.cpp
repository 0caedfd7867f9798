#include "engine/ResultArrays.h"

#include <algorithm>
#include <iterator>

namespace {

using LineArray = float(TResultArrays::*)[MaxCombLines];

constexpr LineArray AllLineArrays[] = {
    &TResultArrays::Phase,         &TResultArrays::Frequency,          &TResultArrays::Attenuation,
    &TResultArrays::GroupDelay,    &TResultArrays::SignalToNoise,      &TResultArrays::BitLoading,
    &TResultArrays::ImpedanceModulus, &TResultArrays::Resistance,      &TResultArrays::Reactance,
    &TResultArrays::ImpedancePhase, &TResultArrays::Capacitance,       &TResultArrays::MismatchCoefficient,
    &TResultArrays::MismatchAttenuation,
};

void FillNoValue(TResultArrays &arrays) {
    for (LineArray member : AllLineArrays)
        std::fill(std::begin(arrays.*member), std::end(arrays.*member), NoValue);
}

} // namespace

TResultArrays ResultArrays = [] {
    TResultArrays arrays;
    FillNoValue(arrays);
    return arrays;
}();

void ClearResultArrays() {
    FillNoValue(ResultArrays);
}

const float *LineResultValues(int32_t graphKind) {
    TResultArrays &r = ResultArrays;
    switch (graphKind) {
    case 5:
    case 20:
        return r.Attenuation;
    case 6:
        return r.GroupDelay;
    case 7:
        return r.SignalToNoise;
    case 8:
        return r.ImpedanceModulus;
    case 9:
        return r.MismatchCoefficient;
    case 10:
        return r.ImpedancePhase;
    case 11:
        return r.MismatchAttenuation;
    case 12:
        return r.BitLoading;
    case 13:
        return r.Capacitance;
    case 14:
        return r.Resistance;
    case 15:
        return r.Reactance;
    default:
        return nullptr;
    }
}

int32_t LineResultCount() {
    return std::clamp(EngineBuffers.CombLineCount, 0, MaxCombLines);
}
