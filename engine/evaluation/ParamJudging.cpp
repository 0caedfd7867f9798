#include "engine/evaluation/ParamJudging.h"

#include "engine/catalogue/ParameterTable.h"
#include "engine/masks/MaskArray.h"

#include <algorithm>

uint8_t JudgeParam(ParamDescriptor &row) {
    uint8_t verdict = ParamNotJudged;
    const ParamSettings &s = row.Settings;
    if (row.MaskSlot >= 0) {
        for (int32_t side = MaskUpperSide; side <= MaskLowerSide; ++side)
            if (const TMASK *mask = SlotMask(row.MaskSlot, side); mask && mask->Active)
                verdict &= mask->Passed;
    } else if (!row.TextNorms && row.Result.Value != NoValue) {
        if (row.LowerNormAllowed && s.ApplyLower)
            verdict &= row.Result.Value >= s.LowerNorm ? ParamPassed : ParamFailed;
        if (row.UpperNormAllowed && s.ApplyUpper)
            verdict &= row.Result.Value <= s.UpperNorm ? ParamPassed : ParamFailed;
    }
    row.Result.Verdict = verdict;
    return verdict;
}

void ComputeParamMargin(ParamDescriptor &row) {
    if (row.TextNorms)
        return;
    const ParamSettings &s = row.Settings;
    row.Result.Margin = NoValue;
    if (!row.MarginAllowed || !s.ComputeMargin || row.Result.Value == NoValue)
        return;
    const double value = row.Result.Value;
    const bool lower = row.LowerNormAllowed && s.ApplyLower;
    const bool upper = row.UpperNormAllowed && s.ApplyUpper;
    const double below = value - double(s.LowerNorm);
    const double above = double(s.UpperNorm) - value;
    if (lower && upper)
        row.Result.Margin = float(std::min(below, above));
    else if (lower)
        row.Result.Margin = float(below);
    else if (upper)
        row.Result.Margin = float(above);
}

void JudgeIfAnalysed(ParamDescriptor &row) {
    if (!row.Settings.Analyse)
        return;
    JudgeParam(row);
    ComputeParamMargin(row);
}

void EvaluateParamTable(ParamDescriptor *rows, int32_t count) {
    if (!rows || count <= ComplianceRow)
        return;
    ParamDescriptor &quality = rows[QualityRow];
    ParamDescriptor &compliance = rows[ComplianceRow];
    quality.Result.Value = -NoValue;
    compliance.Result.Verdict = ParamNotJudged;
    int32_t margins = 0;
    for (int32_t i = ComplianceRow + 1; i < count; ++i) {
        ParamDescriptor &row = rows[i];
        JudgeIfAnalysed(row);
        if (!row.Settings.Analyse)
            continue;
        if (row.Result.Margin != NoValue) {
            quality.Result.Value = std::min(quality.Result.Value, row.Result.Margin);
            ++margins;
        }
        compliance.Result.Verdict &= row.Result.Verdict;
    }
    if (margins == 0 || !quality.Settings.Analyse)
        quality.Result.Value = NoValue;
    JudgeIfAnalysed(quality);
    if (quality.Settings.Analyse)
        compliance.Result.Verdict &= quality.Result.Verdict;
}
