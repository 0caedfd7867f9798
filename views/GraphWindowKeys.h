#pragma once

#include <QString>

#include <cstdint>

class TCustomIniFile;

// What a graph window keeps in its R9.ini section (named after its caption): colours and styles of the
// chart, series, masks and cursors, and the axis ranges. Colours are 0x00BBGGRR.
struct TGraphWindowKeys {
    int32_t ChartBackColor = 0xFFFFFF;
    int32_t SeriesColor = 0;
    int32_t BandColour = 0x0000FF;
    int32_t ToneColour = 0xFF0000;
    int32_t LineWidth = 3;
    int32_t MarksStyle = 0;
    int32_t MarksVisible = 0;
    int32_t PointVisible = 0;
    int32_t PointStyle = 0;
    double LeftMax = 0;
    double LeftMin = 0;
    double BottomMax = 0;
    double BottomMin = 0;
    bool CursorVisible[2] = {false, false};
    int32_t CursorColours[2] = {255, 0xFF0000};
    int32_t MaskColours[2] = {0xFFFF00, 0x808000};
    int32_t MaskWidths[2] = {1, 1};
    int32_t MaskIsLine[2] = {0, 0};
};

// Writes the keys in their fixed order; the axis values with '.'.
void SaveGraphWindowKeys(TCustomIniFile &ini, const QString &section, const TGraphWindowKeys &keys);

// Reads the keys; a missing key keeps the value it has in keys (the caller's current value or default).
void LoadGraphWindowKeys(TCustomIniFile &ini, const QString &section, TGraphWindowKeys &keys);
