#pragma once

#include "engine/catalogue/ParamDescriptor.h"

#include <QString>

#include <cstdint>

// What the parameter window shows and allows in each cell of a parameter row, without the window.

// The columns of the parameter window.
enum ParamColumn : int {
    ColCaption = 0,
    ColAnalyse = 1,
    ColProtocol = 2,
    ColTimeDiagram = 3,
    ColTextWindow = 4,
    ColApplyLower = 5,
    ColLowerNorm = 6,
    ColApplyUpper = 7,
    ColUpperNorm = 8,
    ColMargin = 9,
    ParamColumnCount = 10
};

// Windows colour values 0x00BBGGRR of the cells.
inline constexpr int32_t CellWhite = 0xFFFFFF;
inline constexpr int32_t CellYellow = 0x00FFFF;
inline constexpr int32_t CellGrey = 0xC0C0C0;
inline constexpr int32_t CellRed = 0x0000FF;

// Whether the row has the cell's setting at all (column 0 and column 1 always).
bool ParamCellAllowed(const ParamDescriptor &row, int column);
// The switch a check-box column stores; null for columns 0, 6 and 8.
uint8_t *ParamSwitch(ParamDescriptor &row, int column);
// Whether the check box of a column may be changed: the analysis switch only while the settings are not
// locked, the others only while the row is analysed; norm and margin switches also not while locked.
bool ParamBoxEnabled(const ParamDescriptor &row, int column, bool locked);
// The background of a data cell (columns 1 to 9): white or yellow by the switches, grey where the row has
// no such setting.
int32_t ParamCellColour(const ParamDescriptor &row, int column);

// A typed norm as the row keeps it: rounded to the user precision, kept inside the row's value range and,
// unless the row travels as a float (WireBytes 4), snapped to the nearest step of its 16-bit code.
double SnapNorm(const ParamDescriptor &row, double typed);
// One step of the row's code, 0 for a row without code steps.
double NormCodeStep(const ParamDescriptor &row);

// The current norm column after a click or arrow key in column `clicked` while column `current` is
// current: only the two norm columns may be current, and the neighbours of one lead to the other. -1 when
// the cell may not become current.
int NormColumnFor(int current, int clicked);

// The text of a mask template name entry in a cell: the file-name part of the first file, "..." after it
// when the entry lists more.
QString MaskTemplateText(int16_t nameIndex);

// The caption prefix of the window of table index 0..6 ("SIN - " ...), and the prefix of the value-window
// names of its rows ("SIN:" ...); empty for another index.
QString ParamTitlePrefix(int32_t index);
QString ParamTextWindowPrefix(int32_t index);
// A row's caption on one line.
QString ParamCaptionText(const ParamDescriptor &row);
