#pragma once

#include <QString>

#include <cstdint>

class TCustomIniFile;

// The keys of one measuring cursor ("CurGraph" + n + "_..."), written only while the cursor exists.
struct TCursorKeys {
    int32_t Pxs_x = 0, Pxs_y = 0;
    double Ps_x = 0, Ps_y = 0;
    int32_t BindToSeries = 0;
    int32_t BindToCursor1 = 0;
    int32_t BindCursorToX = 0;
    double BindCursor_delta = 0;
    int32_t ActiveCursor = 0;
    QString BindSeries; // title of the series the cursor follows, empty for none
};

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
    TCursorKeys Cursors[2]; // written for each visible cursor
    int32_t CursorColours[2] = {255, 0xFF0000};
    int32_t MaskColours[2] = {0xFFFF00, 0x808000};
    int32_t MaskWidths[2] = {1, 1};
    int32_t MaskIsLine[2] = {0, 0};
};

// Writes the keys in their fixed order; the axis values with '.'.
void SaveGraphWindowKeys(TCustomIniFile &ini, const QString &section, const TGraphWindowKeys &keys);

// Reads the keys; a missing key keeps the value it has in keys (the caller's current value or default).
// The cursors' own keys are read apart, once the cursor exists and can give its current values.
void LoadGraphWindowKeys(TCustomIniFile &ini, const QString &section, TGraphWindowKeys &keys);
void LoadCursorKeys(TCustomIniFile &ini, const QString &section, int n, TCursorKeys &keys);

// A time diagram keeps less of each cursor: "_Visible" (1 while keys is given), and then its position,
// whether it follows a line, and that line's title.
void SaveTimeDiagramCursorKeys(TCustomIniFile &ini, const QString &section, int n, const TCursorKeys *keys);
// Whether cursor n was stored as shown.
bool CursorKeysVisible(TCustomIniFile &ini, const QString &section, int n);
