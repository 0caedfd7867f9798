#include "selective/MirvakRecommendation.h"

#include <gtest/gtest.h>

namespace {

TEST(MirvakNumberTest, ThreeDecimalsAfterSevenSignificantDigits) {
    const struct {
        double value;
        const char *text;
    } cases[] = {
        {1.5, "1.500"},        {0.04, "0.040"},         {-10, "-10.000"},         {9.95, "9.950"},
        {1234.5678, "1234.568"}, {12345.6789, "12345.680"}, {0.0004, "0.000"},   {-0.0001, "0.000"},
        {20.049999237060547, "20.050"}, // the float sum 0.05f + 20
    };
    for (const auto &c : cases)
        EXPECT_EQ(MirvakNumber(c.value), QString::fromLatin1(c.text)) << c.value;
}

TMirvakPlanCase Case(MirvakCheck check, MirvakSource source, MirvakPlanFault fault, MirvakShift shift) {
    TMirvakPlanCase c;
    c.Check = check;
    c.Source = source;
    c.Fault = fault;
    c.Shift = shift;
    c.Lowest = 1;
    c.Highest = 20;
    c.Reference = 10;
    c.B = 0.05f;
    c.ShiftedLowest = -10;
    c.ShiftedHighest = 9;
    c.Limit = 0.05f;
    return c;
}

// The two worked examples, text for text.
TEST(MirvakRecommendationTest, TheWorkedExamples) {
    TMirvakPlanCase low = Case(MirvakCheck::Meter, MirvakSource::PresetList, MirvakBelowBand, MirvakShift::None);
    low.Lowest = low.ShiftedLowest = 0.01f;
    EXPECT_EQ(MirvakRecommendation(low), QStringLiteral("Заданное в наборе частот значение [0.010 кГц] "
                                                        "\r\nменьше значения полосы селекции 0.050 кГц,"
                                                        "\r\n>>РЕКОМЕНДУЕМОЕ значение НЕ МЕНЕЕ 0.050 кГц. "));

    const TMirvakPlanCase inverse =
        Case(MirvakCheck::Meter, MirvakSource::PresetList, MirvakBelowBand, MirvakShift::Inverse);
    EXPECT_EQ(MirvakRecommendation(inverse),
              QStringLiteral("Заданное в наборе частот значение [20.000 кГц] "
                             "\r\nпри инверсном переносе спектра относительно опоры измерителя = 10.000 кГц "
                             "\r\nфактически устанавливается равной -10.000 кГц, что "
                             "\r\nменьше значения полосы селекции 0.050 кГц, "
                             "\r\n>>РЕКОМЕНДУЕМОЕ значение частоты НЕ БОЛЕЕ 9.950 кГц, "
                             "\r\n>>либо РЕКОМЕНДУЕМОЕ значение опоры  измерителя при переносе спектра НЕ МЕНЕЕ "
                             "20.050 кГц."));
}

// The five cases whose pieces differ from the rules, each against the text the rules would give.
TEST(MirvakRecommendationTest, TheFiveIrregularCases) {
    TMirvakPlanCase direct = Case(MirvakCheck::Meter, MirvakSource::PresetList, MirvakBelowBand, MirvakShift::Direct);
    direct.ShiftedLowest = 0.02f;
    const QString directText = MirvakRecommendation(direct);
    EXPECT_TRUE(directText.contains(
        QStringLiteral("\r\nпри прямом переносе спектра относительно опоры  измерителя = 10.000 кГц ")));
    EXPECT_TRUE(directText.endsWith(QStringLiteral(
        "\r\n>>либо РЕКОМЕНДУЕМОЕ значение опоры  измерителя при переносе спектра НЕ МЕНЕЕ 0.000 кГц.")))
        << "0.05 - 1 is below 0";

    TMirvakPlanCase minimum =
        Case(MirvakCheck::Meter, MirvakSource::PresetList, MirvakBelowSelectiveMin, MirvakShift::Inverse);
    minimum.Limit = 100;
    EXPECT_TRUE(MirvakRecommendation(minimum).contains(
        QStringLiteral("\r\nменьше минимально допустимого значения 100.000 кГц, \r\nпри заданном B =  0.050 кГц, ")));
    minimum.Source = MirvakSource::Range;
    EXPECT_TRUE(MirvakRecommendation(minimum).contains(QStringLiteral("значения  100.000 кГц, ")));

    for (MirvakCheck check : {MirvakCheck::Meter, MirvakCheck::Generator}) {
        TMirvakPlanCase range = Case(check, MirvakSource::Range, MirvakAboveMaxFrequency, MirvakShift::None);
        range.Limit = 1024;
        range.Highest = range.ShiftedHighest = 1100;
        EXPECT_EQ(MirvakRecommendation(range),
                  QStringLiteral("Конечное значение FN из диапазона частот [1100.000 кГц] "
                                 "\r\nпревышает максимальное допустимое значение 1024.000 кГц. "
                                 "\r\n>>РЕКОМЕНДУЕМОЕ значение НЕ БОЛЕЕ  1024.000 кГц. "));
    }

    TMirvakPlanCase generator =
        Case(MirvakCheck::Generator, MirvakSource::Range, MirvakAboveMaxFrequency, MirvakShift::Inverse);
    generator.Reference = 1200;
    generator.ShiftedHighest = 1199;
    generator.Limit = 1024;
    EXPECT_EQ(MirvakRecommendation(generator),
              QStringLiteral("Начальное значение F1 из диапазона частот [1.000 кГц] "
                             "\r\nпри инверсном переносе спектра относительно опоры  генератора = 1200.000 кГц "
                             "\r\nфактически устанавливается равной 1199.000 кГц, что "
                             "\r\nпревышает максимальное допустимое значение 1024.000 кГц. "
                             "\r\n>>РЕКОМЕНДУЕМОЕ значение частоты НЕ МЕНЕЕ 176.000 кГц, "
                             "\r\n>>либо РЕКОМЕНДУЕМОЕ значение опоры  генератора при переносе спектра НЕ БОЛЕЕ "
                             "1025.000 кГц. "));
}

// The rules over the other cases: which end is named, how many recommendation lines, and the endings.
TEST(MirvakRecommendationTest, EndsRecommendationLinesAndEndings) {
    for (MirvakSource source : {MirvakSource::Range, MirvakSource::ScanBounds, MirvakSource::GeneratorFreq})
        for (MirvakPlanFault fault : {MirvakBelowBand, MirvakAboveMaxFrequency, MirvakBelowLowestPlanFreq})
            for (MirvakShift shift : {MirvakShift::None, MirvakShift::Direct, MirvakShift::Inverse}) {
                const MirvakCheck check =
                    source == MirvakSource::GeneratorFreq ? MirvakCheck::Generator : MirvakCheck::Meter;
                const QString text = MirvakRecommendation(Case(check, source, fault, shift));
                const int lines = int(text.count(QStringLiteral(">>")));
                EXPECT_EQ(lines, shift == MirvakShift::None ? 1 : 2) << text.toStdString();
                const bool spaced =
                    shift == MirvakShift::None || (fault == MirvakAboveMaxFrequency && shift == MirvakShift::Inverse);
                EXPECT_TRUE(text.endsWith(spaced ? QStringLiteral(" кГц. ") : QStringLiteral(" кГц.")))
                    << text.toStdString();
                const bool low = (fault != MirvakAboveMaxFrequency) == (shift != MirvakShift::Inverse);
                QString start = QStringLiteral("Заданное значение частоты генератора [");
                if (source == MirvakSource::Range)
                    start = low ? QStringLiteral("Начальное значение F1") : QStringLiteral("Конечное значение FN");
                else if (source == MirvakSource::ScanBounds)
                    start = low ? QStringLiteral("Заданное значение Fc1") : QStringLiteral("Заданное значение FcN");
                EXPECT_TRUE(text.startsWith(start)) << text.toStdString();
            }
}

} // namespace
