#include "views/GraphCellData.h"

#include "platform/NoValue.h"
#include "platform/StringTable.h"
#include "views/GraphSources.h"

namespace {

constexpr int KiloHertzText = 415;

QString UnitTextOf(int kind) {
    if (kind == 16 || kind == 17 || kind == 37 || kind == 38)
        return QStringLiteral("град");
    if (kind == 19)
        return QStringLiteral("дБм0");
    return LoadStr(KiloHertzText);
}

} // namespace

TGraphData GetGraphData(int kind) {
    TGraphData data;
    if (kind == 0 || kind == 3 || kind == 4)
        return data;
    if (const std::optional<TCurveArrays> curve = GraphCurve(kind); curve && curve->X && curve->Y) {
        data.X = curve->X;
        data.Y = curve->Y;
        data.Count = curve->Count;
    }
    data.UnitText = UnitTextOf(kind);
    return data;
}

float CurvePointValue(int32_t kind, int32_t index) {
    if (!KindVisible(kind))
        return NoValue;
    const std::optional<TCurveArrays> curve = GraphCurve(kind);
    return curve && curve->Y && index >= 0 && index < curve->Count ? curve->Y[index] : NoValue;
}
