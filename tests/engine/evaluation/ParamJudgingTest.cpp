#include "engine/evaluation/ParamJudging.h"

#include "platform/NoValue.h"

#include <gtest/gtest.h>

namespace {

// A number row whose norms are both allowed and applied, and which computes a margin.
ParamDescriptor NumberRow(float value, float lower, float upper) {
    ParamDescriptor row{};
    row.MaskSlot = -1;
    row.LowerNormAllowed = row.UpperNormAllowed = row.MarginAllowed = 1;
    row.Settings.Analyse = row.Settings.ApplyLower = row.Settings.ApplyUpper = row.Settings.ComputeMargin = 1;
    row.Settings.LowerNorm = lower;
    row.Settings.UpperNorm = upper;
    row.Result.Value = value;
    row.Result.Margin = NoValue;
    return row;
}

struct NormCase {
    const char *name;
    float value, lower, upper;
    uint8_t verdict;
    float margin;
};

TEST(ParamJudging, NumbersAgainstTheirNorms) {
    const NormCase cases[] = {
        {"inside", 5, 0, 10, ParamPassed, 5},
        {"exactly on the lower norm", 0, 0, 10, ParamPassed, 0},
        {"exactly on the upper norm", 10, 0, 10, ParamPassed, 0},
        {"below", -2, 0, 10, ParamFailed, -2},
        {"above", 13, 0, 10, ParamFailed, -3},
        {"nearer the upper norm", 8, 0, 10, ParamPassed, 2},
        {"no value", NoValue, 0, 10, ParamNotJudged, NoValue},
    };
    for (const NormCase &c : cases) {
        SCOPED_TRACE(c.name);
        ParamDescriptor row = NumberRow(c.value, c.lower, c.upper);
        JudgeIfAnalysed(row);
        EXPECT_EQ(row.Result.Verdict, c.verdict);
        EXPECT_EQ(row.Result.Margin, c.margin);
    }
}

TEST(ParamJudging, OnlyAppliedAndAllowedNormsCount) {
    ParamDescriptor row = NumberRow(50, 0, 10);
    row.Settings.ApplyUpper = 0;
    JudgeIfAnalysed(row);
    EXPECT_EQ(row.Result.Verdict, ParamPassed);
    EXPECT_EQ(row.Result.Margin, 50);

    row.LowerNormAllowed = 0;
    JudgeIfAnalysed(row);
    EXPECT_EQ(row.Result.Verdict, ParamNotJudged);
    EXPECT_EQ(row.Result.Margin, NoValue);

    ParamDescriptor text = NumberRow(50, 0, 10);
    text.TextNorms = 1;
    text.Result.Margin = 7;
    JudgeIfAnalysed(text);
    EXPECT_EQ(text.Result.Verdict, ParamNotJudged);
    EXPECT_EQ(text.Result.Margin, 7); // a curve's margin comes from its masks

    ParamDescriptor off = NumberRow(50, 0, 10);
    off.Settings.Analyse = 0;
    off.Result.Verdict = 1;
    JudgeIfAnalysed(off);
    EXPECT_EQ(off.Result.Verdict, 1);
}

// Quality and compliance rows as the tables begin, with the quality's default lower norm 0.
std::vector<ParamDescriptor> Table(std::vector<ParamDescriptor> rows) {
    ParamDescriptor quality = NumberRow(0, 0, 0);
    quality.Settings.ApplyUpper = 0;
    ParamDescriptor compliance{};
    compliance.MaskSlot = -1;
    compliance.Settings.Analyse = 1;
    compliance.Result.Value = NoValue;
    rows.insert(rows.begin(), {quality, compliance});
    return rows;
}

TEST(ParamJudging, TableWithoutMarginsHasNoQualityAndIsNotJudged) {
    ParamDescriptor plain = NumberRow(5, 0, 10);
    plain.Settings.ApplyLower = plain.Settings.ApplyUpper = 0;
    std::vector<ParamDescriptor> rows = Table({plain, plain});
    EvaluateParamTable(rows.data(), int32_t(rows.size()));
    EXPECT_EQ(rows[QualityRow].Result.Value, NoValue);
    EXPECT_EQ(rows[QualityRow].Result.Verdict, ParamNotJudged);
    EXPECT_EQ(rows[ComplianceRow].Result.Verdict, ParamNotJudged);
}

TEST(ParamJudging, QualityIsTheSmallestMarginAndComplianceTheAndOfVerdicts) {
    ParamDescriptor unjudged = NumberRow(NoValue, 0, 10);
    std::vector<ParamDescriptor> rows = Table({NumberRow(5, 0, 10), NumberRow(9, 0, 10), unjudged});
    EvaluateParamTable(rows.data(), int32_t(rows.size()));
    EXPECT_EQ(rows[QualityRow].Result.Value, 1);
    EXPECT_EQ(rows[QualityRow].Result.Verdict, ParamPassed);
    EXPECT_EQ(rows[ComplianceRow].Result.Verdict, ParamPassed); // 3 is neutral in the AND

    rows.push_back(NumberRow(12, 0, 10));
    EvaluateParamTable(rows.data(), int32_t(rows.size()));
    EXPECT_EQ(rows[QualityRow].Result.Value, -2);
    EXPECT_EQ(rows[QualityRow].Result.Verdict, ParamFailed);
    EXPECT_EQ(rows[ComplianceRow].Result.Verdict, ParamFailed);
    EXPECT_EQ(rows[ComplianceRow].Result.Value, NoValue);
}

TEST(ParamJudging, QualitySwitchedOffStaysEmptyAndOutOfTheCompliance) {
    std::vector<ParamDescriptor> rows = Table({NumberRow(5, 0, 10)});
    rows[QualityRow].Settings.Analyse = 0;
    EvaluateParamTable(rows.data(), int32_t(rows.size()));
    EXPECT_EQ(rows[QualityRow].Result.Value, NoValue);
    EXPECT_EQ(rows[ComplianceRow].Result.Verdict, ParamPassed);
}

} // namespace
