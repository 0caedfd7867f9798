#pragma once

#include "engine/catalogue/ParamDescriptor.h"

#include <QString>

#include <cstdint>

// What the result tables window shows in each cell of an analysed row, without the window.

enum ResultColumn : int { ResColCaption = 0, ResColValue = 1, ResColLower = 2, ResColUpper = 3, ResColMargin = 4 };
inline constexpr int ResultColumnCount = 5;

// The caption prefix of the table of a signal kind: "SIN - " ..., NOISE's for kind 5 and for any kind
// outside 1..7; the remote window's prefixes carry "_R".
QString ResultKindPrefix(int32_t signalKind, bool remote);
// "Результаты измерений" or "Результаты измерений от удаленного R9": the caption after the prefix and the
// window's R9.ini section whatever the kind.
QString ResultsCaption(bool remote);

// "Норма", "Ненорма" or nothing for a verdict that is not a judgement.
QString VerdictText(uint8_t verdict);
// The value cell: the compliance row always shows its verdict; after a rebuild curve rows with a graph
// show their verdict, at a refresh rows with a mask slot do; every other row its value.
QString ResultValueText(const ParamDescriptor &row, int32_t tableRow, const ParamResult &result, bool refresh);
// The norm cells: ">=" or "<=" and the norm of a numeric row, ">" or "<" and the template name of a curve
// row; empty where the side is not applied. byMaskObject: a curve row's side counts when its mask exists
// in MaskArray rather than when its name is known.
QString ResultNormText(const ParamDescriptor &row, bool upper, bool byMaskObject);
// The margin cell: the margin where a norm is applied and the row has one, else empty.
QString ResultMarginText(const ParamDescriptor &row, const ParamResult &result);

// The background of a data cell (0x00BBGGRR) and whether its text is white (on red).
int32_t ResultCellColour(const ParamDescriptor &row, const ParamResult &result, int column);
