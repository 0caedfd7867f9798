#include "selective/MirvakRecommendation.h"

#include <algorithm>
#include <cmath>

namespace {

bool LowerFault(MirvakPlanFault fault) {
    return fault != MirvakAboveMaxFrequency;
}

// The message names the plan's low end, or else its high end.
bool NamesLowEnd(const TMirvakPlanCase &c) {
    return LowerFault(c.Fault) ? c.Shift != MirvakShift::Inverse : c.Shift == MirvakShift::Inverse;
}

bool MeterPresetList(const TMirvakPlanCase &c) {
    return c.Check == MirvakCheck::Meter && c.Source == MirvakSource::PresetList;
}

QString SourcePart(const TMirvakPlanCase &c) {
    const bool low = NamesLowEnd(c);
    QString piece;
    switch (c.Source) {
    case MirvakSource::PresetList:
        piece = QStringLiteral("Заданное в наборе частот значение [");
        break;
    case MirvakSource::Range:
        piece = low ? QStringLiteral("Начальное значение F1 из диапазона частот [")
                    : QStringLiteral("Конечное значение FN из диапазона частот [");
        break;
    case MirvakSource::ScanBounds:
        piece = low ? QStringLiteral("Заданное значение Fc1 (режим сканирования) [")
                    : QStringLiteral("Заданное значение FcN (режим сканирования) [");
        break;
    case MirvakSource::GeneratorFreq:
        piece = QStringLiteral("Заданное значение частоты генератора [");
        break;
    }
    return piece + MirvakNumber(low ? c.Lowest : c.Highest) + QStringLiteral(" кГц] ");
}

QString ShiftPiece(const TMirvakPlanCase &c) {
    const bool direct = c.Shift == MirvakShift::Direct;
    if (MeterPresetList(c) && c.Fault == MirvakBelowBand && direct)
        return QStringLiteral("\r\nпри прямом переносе спектра относительно опоры  измерителя = ");
    if (c.Check == MirvakCheck::Generator && c.Source == MirvakSource::Range && c.Fault == MirvakAboveMaxFrequency &&
        !direct)
        return QStringLiteral("\r\nпри инверсном переносе спектра относительно опоры  генератора = ");
    const QString kind = direct ? QStringLiteral("прямом") : QStringLiteral("инверсном");
    const QString reference = c.Check == MirvakCheck::Meter ? QStringLiteral("измерителя") : QStringLiteral("генератора");
    return QStringLiteral("\r\nпри ") + kind + QStringLiteral(" переносе спектра относительно опоры ") + reference +
           QStringLiteral(" = ");
}

QString ShiftPart(const TMirvakPlanCase &c) {
    const float shifted = LowerFault(c.Fault) ? c.ShiftedLowest : c.ShiftedHighest;
    return ShiftPiece(c) + MirvakNumber(c.Reference) + QStringLiteral(" кГц ") +
           QStringLiteral("\r\nфактически устанавливается равной ") + MirvakNumber(shifted) + QStringLiteral(" кГц, что ");
}

QString LimitPart(const TMirvakPlanCase &c) {
    const bool shifted = c.Shift != MirvakShift::None;
    const QString minimum = MeterPresetList(c) && c.Fault == MirvakBelowSelectiveMin && c.Shift == MirvakShift::Inverse
                                ? QStringLiteral("\r\nменьше минимально допустимого значения ")
                                : QStringLiteral("\r\nменьше минимально допустимого значения  ");
    switch (c.Fault) {
    case MirvakBelowBand:
        return QStringLiteral("\r\nменьше значения полосы селекции ") + MirvakNumber(c.B) +
               (shifted ? QStringLiteral(" кГц, ") : QStringLiteral(" кГц,"));
    case MirvakAboveMaxFrequency:
        return QStringLiteral("\r\nпревышает максимальное допустимое значение ") + MirvakNumber(c.Limit) +
               (shifted && c.Source != MirvakSource::Range ? QStringLiteral(" кГц, ") : QStringLiteral(" кГц. "));
    case MirvakBelowLowestPlanFreq:
        return minimum + MirvakNumber(c.Limit) + QStringLiteral(" кГц, ");
    case MirvakBelowSelectiveMin:
        return minimum + MirvakNumber(c.Limit) + QStringLiteral(" кГц, ") + QStringLiteral("\r\nпри заданном B =  ") +
               MirvakNumber(c.B) + QStringLiteral(" кГц, ");
    case MirvakPlanOk:
        break;
    }
    return {};
}

// "НЕ МЕНЕЕ " or "НЕ БОЛЕЕ " after the family's words.
QString FrequencyPiece(MirvakSource source, bool notLess, bool withShift) {
    const QString head = QStringLiteral("\r\n>>РЕКОМЕНДУЕМОЕ значение ");
    const QString direction = notLess ? QStringLiteral("НЕ МЕНЕЕ ") : QStringLiteral("НЕ БОЛЕЕ ");
    switch (source) {
    case MirvakSource::PresetList:
    case MirvakSource::Range:
        return head + (withShift ? QStringLiteral("частоты ") : QString()) + direction;
    case MirvakSource::ScanBounds:
        return head + (notLess ? QStringLiteral("Fc1 ") : QStringLiteral("FcN ")) + direction;
    case MirvakSource::GeneratorFreq:
        return head + QStringLiteral("частоты генератора ") + direction;
    }
    return {};
}

QString ReferencePiece(const TMirvakPlanCase &c) {
    const bool notLess = LowerFault(c.Fault);
    if (MeterPresetList(c) && c.Fault == MirvakBelowBand)
        return QStringLiteral("\r\n>>либо РЕКОМЕНДУЕМОЕ значение опоры  измерителя при переносе спектра НЕ МЕНЕЕ ");
    if (c.Check == MirvakCheck::Generator && c.Source == MirvakSource::Range && c.Fault == MirvakAboveMaxFrequency &&
        c.Shift == MirvakShift::Inverse)
        return QStringLiteral("\r\n>>либо РЕКОМЕНДУЕМОЕ значение опоры  генератора при переносе спектра НЕ БОЛЕЕ ");
    const QString reference = c.Check == MirvakCheck::Meter ? QStringLiteral("измерителя") : QStringLiteral("генератора");
    return QStringLiteral("\r\n>>либо РЕКОМЕНДУЕМОЕ значение опоры ") + reference +
           QStringLiteral(" при переносе спектра ") +
           (notLess ? QStringLiteral("НЕ МЕНЕЕ ") : QStringLiteral("НЕ БОЛЕЕ "));
}

double NotBelowZero(double value) {
    return std::max(value, 0.0);
}

QString RecommendationPart(const TMirvakPlanCase &c) {
    const double limit = c.Limit;
    const double reference = c.Reference;
    if (c.Shift == MirvakShift::None) {
        const QString piece = c.Source == MirvakSource::Range && c.Fault == MirvakAboveMaxFrequency
                                  ? QStringLiteral("\r\n>>РЕКОМЕНДУЕМОЕ значение НЕ БОЛЕЕ  ")
                                  : FrequencyPiece(c.Source, LowerFault(c.Fault), false);
        return piece + MirvakNumber(limit) + QStringLiteral(" кГц. ");
    }
    const bool direct = c.Shift == MirvakShift::Direct;
    const bool lower = LowerFault(c.Fault);
    const double frequency = direct ? NotBelowZero(limit - reference) : NotBelowZero(reference - limit);
    double referenceValue = 0;
    if (lower)
        referenceValue = direct ? NotBelowZero(limit - double(c.Lowest)) : limit + double(c.Highest);
    else
        referenceValue = direct ? NotBelowZero(limit - double(c.Highest)) : limit + double(c.Lowest);
    const bool frequencyNotLess = lower == direct;
    const QString ending = !lower && !direct ? QStringLiteral(" кГц. ") : QStringLiteral(" кГц.");
    return FrequencyPiece(c.Source, frequencyNotLess, true) + MirvakNumber(frequency) + QStringLiteral(" кГц, ") +
           ReferencePiece(c) + MirvakNumber(referenceValue) + ending;
}

} // namespace

QString MirvakNumber(double value) {
    const double rounded = QString::number(value, 'g', 7).toDouble();
    // A value that shows as zero shows without a sign.
    return QString::number(std::round(rounded * 1000) == 0 ? 0.0 : rounded, 'f', 3);
}

QString MirvakRecommendation(const TMirvakPlanCase &planCase) {
    QString message = SourcePart(planCase);
    if (planCase.Shift != MirvakShift::None)
        message += ShiftPart(planCase);
    return message + LimitPart(planCase) + RecommendationPart(planCase);
}
