#include "storage/ConfigOptionsSources.h"

#include "engine/EngineBuffers.h"
#include "engine/TimeSeries.h"
#include "engine/catalogue/ParameterTable.h"

#include <array>

namespace {

constexpr int32_t KindSin = 1, KindSin2 = 2, KindMtts = 3, KindPrbs = 4, KindNoise = 5, KindMirvak = 6, KindSync = 7;

// The curve a source binds is the one its row draws (the row's graph kind in the catalogue).
struct CurveRow {
    int16_t Code;
    int8_t Kind; // the table's signal kind
    int8_t Row;
    bool Legacy; // known to legacy binary configurations
};

constexpr std::array<CurveRow, 15> CurveRows{{
    {100, KindMtts, 15, true},
    {101, KindMtts, 16, true},
    {102, KindMtts, 17, true},
    {103, KindMtts, 21, true},
    {104, KindMtts, 22, true},
    {105, KindMtts, 24, true},
    {106, KindMtts, 23, true},
    {107, KindMtts, 18, true},
    {108, KindMtts, 25, true},
    {109, KindMtts, 19, false},
    {110, KindMtts, 20, false},
    {302, KindNoise, 11, false},
    {303, KindNoise, 12, false},
    {304, KindNoise, 13, false},
    {305, KindNoise, 14, false},
}};

// The spectrum rows of each signal kind's table: {level spectrum, weighted spectrum}; a kind without its
// own rows (settling, NOISE) takes NOISE's, and SYNC has no weighted spectrum row of its own.
struct SpectrumRows {
    int8_t Kind;
    int8_t LevelRow;
    int8_t WeightedKind;
    int8_t WeightedRow;
};
constexpr std::array<SpectrumRows, 8> SpectrumRowsByKind{{
    {KindNoise, 8, KindNoise, 9},
    {KindSin, 27, KindSin, 28},
    {KindSin2, 12, KindSin2, 13},
    {KindMtts, 26, KindMtts, 27},
    {KindPrbs, 7, KindPrbs, 8},
    {KindNoise, 8, KindNoise, 9},
    {KindMirvak, 22, KindMirvak, 23},
    {KindSync, 6, KindNoise, 9},
}};
constexpr int32_t LevelSpectrumCode = 300;
constexpr int32_t WeightedSpectrumCode = 301;
constexpr int32_t LevelSpectrumGraph = 1;
constexpr int32_t WeightedSpectrumGraph = 2;

ParamDescriptor *RowOf(int32_t kind, int32_t row) {
    const ParameterTable table = ParameterTableOf(kind);
    return row >= 0 && row < table.RowCount ? &table.Rows[row] : nullptr;
}

} // namespace

TTimeSeriesSource TimeSeriesSourceOf(int32_t code, bool legacy) {
    if (code == LevelSpectrumCode || code == WeightedSpectrumCode) {
        const int32_t kind = SignalKind >= 1 && SignalKind <= 7 ? SignalKind : 0;
        const SpectrumRows &rows = SpectrumRowsByKind[std::size_t(kind)];
        if (code == LevelSpectrumCode)
            return {RowOf(rows.Kind, rows.LevelRow), LevelSpectrumGraph};
        return {RowOf(rows.WeightedKind, rows.WeightedRow), WeightedSpectrumGraph};
    }
    for (const CurveRow &curve : CurveRows)
        if (curve.Code == code && (curve.Legacy || !legacy)) {
            ParamDescriptor *row = RowOf(curve.Kind, curve.Row);
            return {row, row ? row->GraphKind : -1};
        }
    return {};
}

void BindSourceTimeSeries(const QString &caption, int32_t code, int32_t position, bool legacy) {
    const TTimeSeriesSource source = TimeSeriesSourceOf(code, legacy);
    if (source.Row)
        BindParamTimeSeries(caption, source.GraphKind, position, source.Row, false);
}
