#pragma once

#include <QString>

#include <cstdint>

// The curve of a graph kind as the value table's cell actions take it: its arrays, its point count, the
// columns one point takes in the table and the unit of its x values. Count 0 for the kinds without a
// point curve (the oscillogram and the reflectograms) and for a holder that does not exist now.
struct TGraphData {
    const float *X = nullptr;
    const float *Y = nullptr;
    int32_t Count = 0;
    int ColumnsPerPoint = 2;
    QString UnitText;
};
TGraphData GetGraphData(int kind);

// The value of one point of a graph kind's curve now: NoValue when the present signal kind does not
// produce the curve, or the curve or the point does not exist.
float CurvePointValue(int32_t kind, int32_t index);
