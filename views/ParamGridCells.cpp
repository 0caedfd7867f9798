#include "views/ParamGridCells.h"

#include "chartlib/Chartlib.h"
#include "engine/catalogue/MaskNameList.h"
#include "engine/catalogue/ValueQuantizer.h"
#include "platform/StringTable.h"

#include <algorithm>
#include <cmath>

namespace {

bool LowerApplied(const ParamDescriptor &row) {
    return row.LowerNormAllowed && row.Settings.ApplyLower;
}

bool UpperApplied(const ParamDescriptor &row) {
    return row.UpperNormAllowed && row.Settings.ApplyUpper;
}

} // namespace

bool ParamCellAllowed(const ParamDescriptor &row, int column) {
    switch (column) {
    case ColCaption:
    case ColAnalyse:
        return true;
    case ColProtocol:
        return row.ProtocolAllowed;
    case ColTimeDiagram:
        return row.TimeDiagramAllowed;
    case ColTextWindow:
        return row.TextWindowAllowed;
    case ColApplyLower:
    case ColLowerNorm:
        return row.LowerNormAllowed;
    case ColApplyUpper:
    case ColUpperNorm:
        return row.UpperNormAllowed;
    case ColMargin:
        return row.MarginAllowed;
    default:
        return false;
    }
}

uint8_t *ParamSwitch(ParamDescriptor &row, int column) {
    ParamSettings &s = row.Settings;
    switch (column) {
    case ColAnalyse:
        return &s.Analyse;
    case ColProtocol:
        return &s.Protocol;
    case ColTimeDiagram:
        return &s.TimeDiagram;
    case ColTextWindow:
        return &s.TextWindow;
    case ColApplyLower:
        return &s.ApplyLower;
    case ColApplyUpper:
        return &s.ApplyUpper;
    case ColMargin:
        return &s.ComputeMargin;
    default:
        return nullptr;
    }
}

bool ParamBoxEnabled(const ParamDescriptor &row, int column, bool locked) {
    const bool analysed = row.Settings.Analyse;
    switch (column) {
    case ColAnalyse:
        return !locked;
    case ColProtocol:
    case ColTimeDiagram:
    case ColTextWindow:
        return ParamCellAllowed(row, column) && analysed;
    case ColApplyLower:
    case ColApplyUpper:
        return ParamCellAllowed(row, column) && analysed && !locked;
    case ColMargin:
        return analysed && (LowerApplied(row) || UpperApplied(row)) && !locked;
    default:
        return false;
    }
}

int32_t ParamCellColour(const ParamDescriptor &row, int column) {
    const ParamSettings &s = row.Settings;
    const int32_t base = s.Analyse ? CellWhite : CellYellow;
    switch (column) {
    case ColProtocol:
    case ColTimeDiagram:
    case ColTextWindow:
        return ParamCellAllowed(row, column) ? base : CellGrey;
    case ColApplyLower:
    case ColLowerNorm:
        return !row.LowerNormAllowed ? CellGrey : s.ApplyLower ? base : CellYellow;
    case ColApplyUpper:
    case ColUpperNorm:
        return !row.UpperNormAllowed ? CellGrey : s.ApplyUpper ? base : CellYellow;
    case ColMargin:
        if (!row.MarginAllowed)
            return CellGrey;
        return (LowerApplied(row) || UpperApplied(row)) && s.ComputeMargin ? base : CellYellow;
    default:
        return base;
    }
}

double NormCodeStep(const ParamDescriptor &row) {
    return row.CodeSteps > 0 ? (double(row.MaxValue) - double(row.MinValue)) / row.CodeSteps : 0;
}

double SnapNorm(const ParamDescriptor &row, double typed) {
    double v = RoundToPrecision(typed);
    if (!std::isfinite(v))
        v = row.MinValue;
    // A norm outside the row's range would not fit its code; it is kept at the nearer end.
    v = std::clamp(v, double(std::min(row.MinValue, row.MaxValue)), double(std::max(row.MinValue, row.MaxValue)));
    if (row.WireBytes != 4 && row.CodeSteps > 0)
        DequantizeByDescriptor(row, v, QuantizeByDescriptor(row, v));
    return v;
}

int NormColumnFor(int current, int clicked) {
    if (clicked == ColLowerNorm || clicked == ColUpperNorm)
        return clicked;
    if (current == ColLowerNorm && (clicked == ColApplyLower || clicked == ColApplyUpper))
        return ColUpperNorm;
    if (current == ColUpperNorm && (clicked == ColApplyUpper || clicked == ColMargin))
        return ColLowerNorm;
    return -1;
}

QString MaskTemplateText(int16_t nameIndex) {
    const QString entry = MaskNameAt(nameIndex);
    const qsizetype folderEnd = std::max(entry.lastIndexOf(QLatin1Char('/')), entry.lastIndexOf(QLatin1Char('\\')));
    return CutAtSeparator(entry.mid(folderEnd + 1), QStringLiteral(";"), QStringLiteral("..."));
}

QString ParamTitlePrefix(int32_t index) {
    switch (index) {
    case 0:
        return QStringLiteral("SIN - ");
    case 1:
        return QStringLiteral("SIN2 - ");
    case 2:
        return LoadStr(141) + QStringLiteral(" - ");
    case 3:
        return LoadStr(425) + QStringLiteral(" - ");
    case 4:
        return LoadStr(152) + QStringLiteral(" - ");
    case 5:
        return LoadStr(459) + QStringLiteral(" - ");
    case 6:
        return QStringLiteral("SYNC - ");
    default:
        return {};
    }
}

QString ParamTextWindowPrefix(int32_t index) {
    static const char16_t *const prefixes[] = {u"SIN:", u"SIN2:", u"МЧС:", u"ПСС:", u"ШУМ:", u"Мирвак:", u"SYNC:"};
    return index >= 0 && index < int32_t(std::size(prefixes)) ? QString::fromUtf16(prefixes[index]) : QString();
}

QString ParamCaptionText(const ParamDescriptor &row) {
    return ReplaceAll(QString::fromUtf8(row.Caption), QStringLiteral("\n"), QStringLiteral(" ")).trimmed();
}
