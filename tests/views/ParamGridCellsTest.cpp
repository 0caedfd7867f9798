#include "views/ParamGridCells.h"
#include "views/ResultTableCells.h"

#include "chartlib/Chartlib.h"
#include "engine/catalogue/MaskNameList.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "engine/catalogue/ParameterTable.h"
#include "platform/NoValue.h"

#include <gtest/gtest.h>

namespace {

// Rows of the SIN table that show the cases.
constexpr int32_t SinLevel = 3;        // "Сигнал,дБм0": both norms, margin, 16-bit code of 0.005 dB
constexpr int32_t SinTimer = 17;       // "Таймер,с": lower norm only, a code step of 10 s
constexpr int32_t SinFrequency = 2;    // "Частота,кГц": travels as a float (4 bytes)
constexpr int32_t SinSelective = 27;   // "Сел.уровни,дБм0": a curve with mask slot 1 and an upper norm
constexpr int32_t SinOscillogram = 29; // "Осциллограмма": graph kind 0 without a mask slot

class ParamCellsTest : public ::testing::Test {
protected:
    void SetUp() override {
        BuildParamCatalogue();
        SetPrecisionZeros(2);
    }
    static ParamDescriptor &Sin(int32_t row) { return ParameterTableOf(1).Rows[row]; }
};

TEST_F(ParamCellsTest, OnlyTheNormColumnsBecomeCurrentAndTheirNeighboursLeadAcross) {
    struct Case {
        int current, clicked, expected;
    };
    const Case cases[] = {
        {ColLowerNorm, ColApplyLower, ColUpperNorm},
        {ColLowerNorm, ColApplyUpper, ColUpperNorm},
        {ColUpperNorm, ColApplyUpper, ColLowerNorm},
        {ColUpperNorm, ColMargin, ColLowerNorm},
        {ColLowerNorm, ColUpperNorm, ColUpperNorm},
        {ColUpperNorm, ColLowerNorm, ColLowerNorm},
        {ColLowerNorm, ColAnalyse, -1},
        {ColUpperNorm, ColApplyLower, -1},
        {ColLowerNorm, ColMargin, -1},
        {ColUpperNorm, ColCaption, -1},
    };
    for (const Case &c : cases)
        EXPECT_EQ(NormColumnFor(c.current, c.clicked), c.expected) << c.current << " -> " << c.clicked;
}

// The code of a row is MinValue + k (MaxValue - MinValue) / CodeSteps; a typed norm goes to the nearer k,
// inside the row's range, and a float row keeps it at the user precision.
TEST_F(ParamCellsTest, NormsSnapToTheRowsCodeAndStayInItsRange) {
    ASSERT_EQ(Sin(SinTimer).CodeSteps, 8640);
    ASSERT_FLOAT_EQ(Sin(SinTimer).MaxValue, 86400);
    EXPECT_DOUBLE_EQ(NormCodeStep(Sin(SinTimer)), 10);
    struct Case {
        int32_t row;
        double typed, kept;
    };
    const Case cases[] = {
        {SinTimer, 904, 900}, {SinTimer, 905, 910},          {SinTimer, 86395, 86400},     {SinTimer, 200000, 86400},
        {SinTimer, -3, 0},    {SinFrequency, 3.14159, 3.14}, {SinFrequency, 20000, 10000}, {SinLevel, -20.004, -20.0},
        {SinLevel, 250, 100}, {SinLevel, -170, -160},
    };
    for (const Case &c : cases)
        EXPECT_NEAR(SnapNorm(Sin(c.row), c.typed), c.kept, 1e-9) << Sin(c.row).Caption << c.typed;
}

TEST_F(ParamCellsTest, BoxesFollowTheAnalysisSwitchAndTheLock) {
    ParamDescriptor &level = Sin(SinLevel);
    level.Settings.Analyse = 1;
    level.Settings.ApplyLower = 0;
    level.Settings.ApplyUpper = 0;
    EXPECT_TRUE(ParamBoxEnabled(level, ColAnalyse, false));
    EXPECT_TRUE(ParamBoxEnabled(level, ColApplyUpper, false));
    EXPECT_FALSE(ParamBoxEnabled(level, ColMargin, false)) << "no norm applied: no margin";
    level.Settings.ApplyUpper = 1;
    EXPECT_TRUE(ParamBoxEnabled(level, ColMargin, false));
    // Locked: analysis, norms and margin stay, protocol, time diagram and value window follow Analyse.
    for (int column : {ColAnalyse, ColApplyLower, ColApplyUpper, ColMargin})
        EXPECT_FALSE(ParamBoxEnabled(level, column, true)) << column;
    for (int column : {ColProtocol, ColTimeDiagram, ColTextWindow})
        EXPECT_TRUE(ParamBoxEnabled(level, column, true)) << column;
    level.Settings.Analyse = 0;
    for (int column : {ColProtocol, ColTimeDiagram, ColTextWindow, ColApplyUpper, ColMargin})
        EXPECT_FALSE(ParamBoxEnabled(level, column, false)) << column;
    // The compliance row has no time diagram.
    EXPECT_FALSE(ParamCellAllowed(Sin(ComplianceRow), ColTimeDiagram));
    EXPECT_EQ(ParamSwitch(level, ColLowerNorm), nullptr);
    EXPECT_EQ(ParamSwitch(level, ColMargin), &level.Settings.ComputeMargin);
}

TEST_F(ParamCellsTest, CellColoursShowWhatIsAppliedAndWhatTheRowLacks) {
    ParamDescriptor &level = Sin(SinLevel);
    level.Settings = {};
    level.Settings.Analyse = 1;
    level.Settings.ApplyUpper = 1;
    EXPECT_EQ(ParamCellColour(level, ColAnalyse), CellWhite);
    EXPECT_EQ(ParamCellColour(level, ColLowerNorm), CellYellow);
    EXPECT_EQ(ParamCellColour(level, ColUpperNorm), CellWhite);
    EXPECT_EQ(ParamCellColour(level, ColMargin), CellYellow);
    level.Settings.ComputeMargin = 1;
    EXPECT_EQ(ParamCellColour(level, ColMargin), CellWhite);
    level.Settings.Analyse = 0;
    EXPECT_EQ(ParamCellColour(level, ColAnalyse), CellYellow);
    EXPECT_EQ(ParamCellColour(Sin(ComplianceRow), ColLowerNorm), CellGrey);
    EXPECT_EQ(ParamCellColour(Sin(ComplianceRow), ColTimeDiagram), CellGrey);
}

TEST_F(ParamCellsTest, TemplateNamesAreTheFirstFileWithDotsForMore) {
    int16_t first = -1, second = -1, damaged = 40;
    StoreMaskName(first, QStringLiteral("low.9sf;more.9sf;"));
    StoreMaskName(second, QStringLiteral("C:\\R9\\Masks\\one.9sf;"));
    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, 1);
    EXPECT_EQ(MaskTemplateText(first), QStringLiteral("low.9sf..."));
    EXPECT_EQ(MaskTemplateText(second), QStringLiteral("one.9sf"));
    StoreMaskName(first, QStringLiteral("new.9sf;"));
    EXPECT_EQ(MaskNameList.size(), 2);
    EXPECT_EQ(MaskTemplateText(first), QStringLiteral("new.9sf"));
    // An index beyond the list (a damaged configuration) gets an entry of its own.
    StoreMaskName(damaged, QStringLiteral("x.9sf;"));
    EXPECT_EQ(damaged, 2);
    EXPECT_EQ(MaskTemplateText(-1), QString());
    BuildParamCatalogue();
    EXPECT_TRUE(MaskNameList.isEmpty());
}

TEST_F(ParamCellsTest, ResultCellsShowNormsValuesAndVerdicts) {
    ParamDescriptor &level = Sin(SinLevel);
    level.Settings.Analyse = 1;
    level.Settings.ApplyLower = 0;
    level.Settings.ApplyUpper = 1;
    level.Settings.UpperNorm = -10;
    level.Settings.ComputeMargin = 1;
    ParamResult result{-4.5f, -5.5f, ParamFailed, {}};
    EXPECT_EQ(ResultNormText(level, false, false), QString());
    EXPECT_EQ(ResultCellColour(level, result, ResColLower), CellYellow);
    EXPECT_EQ(ResultNormText(level, true, false), QStringLiteral("<=-10.00"));
    EXPECT_EQ(ResultValueText(level, SinLevel, result, true), QStringLiteral("-4.50"));
    EXPECT_EQ(ResultMarginText(level, result), QStringLiteral("-5.50"));
    EXPECT_EQ(ResultCellColour(level, result, ResColValue), CellRed);
    EXPECT_EQ(ResultCellColour(level, result, ResColMargin), CellRed);
    result = {-20, NoValue, ParamPassed, {}};
    EXPECT_EQ(ResultMarginText(level, result), QString());
    EXPECT_EQ(ResultCellColour(level, result, ResColMargin), CellWhite);
    EXPECT_EQ(ResultCellColour(level, result, ResColValue), CellWhite);
    level.Settings.ComputeMargin = 0;
    EXPECT_EQ(ResultCellColour(level, result, ResColMargin), CellYellow);

    // The compliance row shows its verdict; a curve with a graph but no mask slot shows its verdict after
    // a rebuild and its value once refreshed.
    EXPECT_EQ(ResultValueText(Sin(ComplianceRow), ComplianceRow, {NoValue, NoValue, ParamFailed, {}}, true),
              QStringLiteral("Ненорма"));
    EXPECT_EQ(ResultValueText(Sin(ComplianceRow), ComplianceRow, {NoValue, NoValue, ParamNotJudged, {}}, false),
              QString());
    const ParamDescriptor &oscillogram = Sin(SinOscillogram);
    ASSERT_GE(oscillogram.GraphKind, 0);
    ASSERT_LT(oscillogram.MaskSlot, 0);
    const ParamResult curve{1.25f, NoValue, ParamPassed, {}};
    EXPECT_EQ(ResultValueText(oscillogram, SinOscillogram, curve, false), QStringLiteral("Норма"));
    EXPECT_EQ(ResultValueText(oscillogram, SinOscillogram, curve, true), QStringLiteral("1.25"));
    EXPECT_EQ(ResultCellColour(oscillogram, curve, ResColValue), CellGrey);

    // A curve row names its template by the name list, or by the mask object where that is asked for.
    ParamDescriptor &selective = Sin(SinSelective);
    selective.Settings.ApplyUpper = 1;
    EXPECT_EQ(ResultNormText(selective, true, false), QString());
    StoreMaskName(selective.Settings.UpperMaskName, QStringLiteral("top.9sf;"));
    EXPECT_EQ(ResultNormText(selective, true, false), QStringLiteral("<top.9sf"));
    EXPECT_EQ(ResultNormText(selective, true, true), QString()) << "no mask in the slot";
}

TEST_F(ParamCellsTest, CaptionsFollowTheKindAndKeepOneSection) {
    EXPECT_EQ(ResultKindPrefix(1, false) + ResultsCaption(false), QStringLiteral("SIN - Результаты измерений"));
    EXPECT_EQ(ResultKindPrefix(3, true), QStringLiteral("МЧС_R - "));
    EXPECT_EQ(ResultKindPrefix(0, false), QStringLiteral("ШУМ - "));
    EXPECT_EQ(ResultKindPrefix(5, false), QStringLiteral("ШУМ - "));
    EXPECT_EQ(ResultsCaption(true), QStringLiteral("Результаты измерений от удаленного R9"));
    EXPECT_EQ(ParamTitlePrefix(3), QStringLiteral("ПСС - "));
    EXPECT_EQ(ParamTextWindowPrefix(5), QStringLiteral("Мирвак:"));
    EXPECT_EQ(ParamTextWindowPrefix(7), QString());
}

} // namespace
