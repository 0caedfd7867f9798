#include "views/ResultTableCells.h"

#include "chartlib/Chartlib.h"
#include "engine/catalogue/MaskNameList.h"
#include "engine/catalogue/ParameterTable.h"
#include "engine/masks/MaskArray.h"
#include "platform/NoValue.h"
#include "platform/StringTable.h"
#include "views/ParamGridCells.h"

QString ResultKindPrefix(int32_t signalKind, bool remote) {
    const QString r = remote ? QStringLiteral("_R") : QString();
    switch (signalKind) {
    case 1:
        return QStringLiteral("SIN") + r + QStringLiteral(" - ");
    case 2:
        return QStringLiteral("SIN2") + r + QStringLiteral(" - ");
    case 3:
        return LoadStr(141) + r + QStringLiteral(" - ");
    case 4:
        return LoadStr(425) + r + QStringLiteral(" - ");
    case 6:
        return LoadStr(459) + r + QStringLiteral(" - ");
    case 7:
        return QStringLiteral("SYNC") + r + QStringLiteral(" - ");
    default:
        return LoadStr(152) + r + QStringLiteral(" - ");
    }
}

QString ResultsCaption(bool remote) {
    return LoadStr(remote ? 454 : 444);
}

QString VerdictText(uint8_t verdict) {
    if (verdict == ParamFailed)
        return LoadStr(37);
    if (verdict == ParamPassed)
        return LoadStr(36);
    return {};
}

QString ResultValueText(const ParamDescriptor &row, int32_t tableRow, const ParamResult &result, bool refresh) {
    const bool verdict = tableRow == ComplianceRow || (refresh ? row.MaskSlot >= 0 : row.GraphKind >= 0);
    return verdict ? VerdictText(result.Verdict) : FormatValue(result.Value);
}

QString ResultNormText(const ParamDescriptor &row, bool upper, bool byMaskObject) {
    const ParamSettings &s = row.Settings;
    if (!(upper ? row.UpperNormAllowed && s.ApplyUpper : row.LowerNormAllowed && s.ApplyLower))
        return {};
    if (!row.TextNorms)
        return (upper ? QStringLiteral("<=") : QStringLiteral(">=")) + FormatValue(upper ? s.UpperNorm : s.LowerNorm);
    const int16_t name = upper ? s.UpperMaskName : s.LowerMaskName;
    const bool known = byMaskObject ? SlotMask(row.MaskSlot, upper ? MaskUpperSide : MaskLowerSide) != nullptr
                                    : name >= 0 && !MaskNameAt(name).isEmpty();
    if (!known)
        return {};
    return (upper ? QStringLiteral("<") : QStringLiteral(">")) + MaskTemplateText(name);
}

QString ResultMarginText(const ParamDescriptor &row, const ParamResult &result) {
    const ParamSettings &s = row.Settings;
    const bool applied = (row.LowerNormAllowed && s.ApplyLower) || (row.UpperNormAllowed && s.ApplyUpper);
    return applied && row.MarginAllowed ? FormatValue(result.Margin) : QString();
}

int32_t ResultCellColour(const ParamDescriptor &row, const ParamResult &result, int column) {
    const ParamSettings &s = row.Settings;
    switch (column) {
    case ResColValue:
        if (result.Verdict == ParamFailed)
            return CellRed;
        return row.LowerNormAllowed || row.UpperNormAllowed || row.GraphKind < 0 ? CellWhite : CellGrey;
    case ResColLower:
        return !row.LowerNormAllowed ? CellGrey : s.ApplyLower ? CellWhite : CellYellow;
    case ResColUpper:
        return !row.UpperNormAllowed ? CellGrey : s.ApplyUpper ? CellWhite : CellYellow;
    case ResColMargin: {
        if (!row.MarginAllowed)
            return CellGrey;
        const bool applied = (row.LowerNormAllowed && s.ApplyLower) || (row.UpperNormAllowed && s.ApplyUpper);
        if (!applied || !s.ComputeMargin)
            return CellYellow;
        return result.Margin != NoValue && result.Margin < 0 ? CellRed : CellWhite;
    }
    default:
        return CellWhite;
    }
}
