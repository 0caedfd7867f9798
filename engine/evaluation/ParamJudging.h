#pragma once

#include "engine/catalogue/ParamDescriptor.h"

#include <cstdint>

// Judges the analysed rows 2.. of a table, then derives row 0, the quality (the smallest margin of the
// analysed rows that have one, judged against its own norms), and row 1, the compliance mark (the AND
// of the verdicts of every analysed row including the quality).
void EvaluateParamTable(ParamDescriptor *rows, int32_t count);

// The verdict of a row: a curve by the Passed flags of its slot's active masks, a number by its applied
// norms (inclusive). Stored in the row and returned.
uint8_t JudgeParam(ParamDescriptor &row);

// A number's margin: its distance inside the nearer applied norm, negative outside.
void ComputeParamMargin(ParamDescriptor &row);

// JudgeParam and ComputeParamMargin for a row whose Analyse switch is on.
void JudgeIfAnalysed(ParamDescriptor &row);
