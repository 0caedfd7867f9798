#pragma once

#include "engine/catalogue/ParamCatalogue.h"

#include <QString>

#include <cstdint>

// The static description of one graph kind. Texts are UTF-8 and stored with a line feed at their end
// (some hints also inside, followed by a blank); GraphText removes the line feeds before use. Formats
// are value-format patterns of the chart ("###0.#####").
struct TGraphKindRecord {
    const char *Caption; // also the window caption and its R9.ini section
    uint8_t TableOnTop;  // 1: value table above the chart, 0: on its left
    uint8_t TableVisible;
    int32_t RowCount;
    int32_t ColCount;
    int32_t FixedCols;
    int32_t FixedRows;
    const char *ColumnUnits[3];
    const char *ColumnHints[3];
    const char *YUnit;
    int32_t YVisible;
    const char *YFormat;
    const char *XUnit;
    int32_t XVisible;
    const char *XFormat;
};

extern const TGraphKindRecord GraphKindTable[GraphKindCount];

// A table text without its line feeds.
QString GraphText(const char *text);

// 2 (x, y) for every kind whose third column unit is empty, 3 for the reflectogram kinds 3 and 4.
int ColumnsPerPoint(int kind);

// The spectral kinds are drawn as stairs areas and plot only the maximum of each pixel.
bool IsSpectralKind(int kind);
// The selective-mode kinds 21 to 36.
bool IsSelectiveKind(int kind);
// The selective level curves (21, 22), whose gaps hold -300 instead of the no-value sentinel.
bool IsSelectiveLevelKind(int kind);
inline constexpr float SelectiveGapValue = -300.0f;
