#include "selective/MirvakGraphSources.h"

#include "engine/RandomEventAnalysis.h"
#include "engine/SstParam2.h"
#include "selective/MirvakRecording.h"
#include "selective/MirvakWork.h"
#include "selective/SstResultProcessing.h"

#include <algorithm>
#include <vector>

namespace {

TCurveArrays Curve(const std::vector<float> &x, const std::vector<float> &y, int32_t count) {
    const int32_t n = std::min({count, int32_t(x.size()), int32_t(y.size())});
    return {x.data(), y.data(), std::max(n, 0)};
}

} // namespace

std::optional<TCurveArrays> MirvakGraphCurve(int kind) {
    if (!SstParam)
        return std::nullopt;
    const TMirvakWorkArrays &w = MirvakWorkArrays;
    if (kind == 21)
        return Curve(w.BinFreq, w.BinLevel, w.BinCount);
    if (kind == 22)
        return Curve(w.BinFreq, w.BinWeighted, w.BinCount);
    const std::vector<float> *points[] = {&w.Afc,     &w.R,         &w.X,         &w.ZMod,      &w.ZPhase,
                                          &w.MismatchA, &w.MismatchK, &w.C,       &w.L,         &w.LineAtt,
                                          &w.LinePhase, &w.LineVelocity, &w.LineZMod, &w.LineZPhase};
    if (kind < 23 || kind >= 23 + int(std::size(points)))
        return std::nullopt;
    return Curve(w.PointFreq, *points[kind - 23], w.PointCount);
}

void RegisterMirvakServices() {
    GraphSources.Selective = MirvakGraphCurve;
    GraphSources.SelectiveFindBin = [](float frequency) { return SstParam ? SstParam->FindBin(frequency) : -1; };
    MirvakResultProcessing = ProcessMirvakResult;
    RegisterMirvakRecording();
}
