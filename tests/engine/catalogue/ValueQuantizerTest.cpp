#include "engine/catalogue/ValueQuantizer.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "engine/catalogue/ParameterTable.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>
#include "support/Fixtures.h"

namespace {

// One line of quantizer_codes.txt, written by quantizer_codes.py from the coding rules.
struct CodeCase {
    std::string Kind;  // "q" or "row"
    int32_t Index = 0; // quantizer, or signal kind of the row
    int32_t Row = 0;
    double Value = 0;
    uint32_t Code = 0;
    double Decoded = 0;
    std::string Line;
};

double ParseDouble(const std::string &text) {
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    EXPECT_TRUE(error == std::errc() && end == text.data() + text.size()) << text;
    return value;
}

std::vector<CodeCase> LoadCodeCases() {
    std::ifstream file(FixturePath(QStringLiteral("catalogue/quantizer_codes.txt")).toStdString());
    std::vector<CodeCase> cases;
    std::string line;
    while (std::getline(file, line)) {
        std::istringstream fields(line);
        CodeCase c;
        std::string value, code, decoded;
        fields >> c.Kind >> c.Index;
        if (c.Kind == "row")
            fields >> c.Row;
        fields >> value >> code >> decoded;
        c.Value = ParseDouble(value);
        c.Code = uint32_t(std::stoul(code));
        c.Decoded = ParseDouble(decoded);
        c.Line = line;
        cases.push_back(c);
    }
    return cases;
}

class Quantizers : public ::testing::Test {
protected:
    void SetUp() override { BuildParamCatalogue(); }
};

} // namespace

TEST_F(Quantizers, CodesAgreeWithTheIndependentComputation) {
    const std::vector<CodeCase> cases = LoadCodeCases();
    ASSERT_GT(cases.size(), 300u);
    int32_t quantizerCases = 0;
    for (const CodeCase &c : cases) {
        SCOPED_TRACE(c.Line);
        if (c.Kind == "q") {
            ++quantizerCases;
            ASSERT_LT(c.Index, ValueQuantizerCount);
            const ValueQuantizer &q = ValueQuantizers[c.Index];
            if (c.Index == 14) {
                EXPECT_EQ(QuantizeLog(q, c.Value), c.Code);
                EXPECT_EQ(QuantizeLog65535(q.Min, q.Max, c.Value), c.Code);
                EXPECT_NEAR(DequantizeLog(q, uint16_t(c.Code)), c.Decoded, 1e-12 * c.Decoded);
                EXPECT_NEAR(DequantizeLog65535(q.Min, q.Max, uint16_t(c.Code)), c.Decoded, 1e-12 * c.Decoded);
                continue;
            }
            EXPECT_EQ(QuantizeValue(q, c.Value), c.Code);
            EXPECT_EQ(QuantizeLinear16(q.Min, q.Max, q.Steps, c.Value), c.Code);
            EXPECT_DOUBLE_EQ(DequantizeValue(q, uint16_t(c.Code)), c.Decoded);
            EXPECT_DOUBLE_EQ(DequantizeLinear16(q.Min, q.Max, q.Steps, uint16_t(c.Code)), c.Decoded);
            double snapped = c.Value;
            EXPECT_EQ(SnapValue(q, snapped), c.Code);
            EXPECT_DOUBLE_EQ(snapped, c.Decoded);
            if (q.Steps <= 255) {
                EXPECT_EQ(QuantizeValue8(q, c.Value), c.Code);
                EXPECT_DOUBLE_EQ(DequantizeValue8(q, uint8_t(c.Code)), c.Decoded);
                snapped = c.Value;
                EXPECT_EQ(SnapValue8(q, snapped), c.Code);
                EXPECT_DOUBLE_EQ(snapped, c.Decoded);
            }
        } else {
            ASSERT_EQ(c.Kind, "row");
            const ParamDescriptor &row = ParameterTableOf(c.Index).Rows[c.Row];
            EXPECT_EQ(QuantizeByDescriptor(row, c.Value), c.Code);
            double back = 0;
            DequantizeByDescriptor(row, back, uint16_t(c.Code));
            EXPECT_DOUBLE_EQ(back, c.Decoded);
        }
    }
    EXPECT_GE(quantizerCases, 16 * 15);
}

// The weighting frequencies span seven decades in 16 bits; both ends must come back exactly.
TEST_F(Quantizers, LogarithmicCodeKeepsBothEnds) {
    const ValueQuantizer &q = ValueQuantizers[14];
    EXPECT_EQ(QuantizeLog(q, 0.001), 0);
    EXPECT_EQ(QuantizeLog(q, 10000), 65535);
    EXPECT_DOUBLE_EQ(DequantizeLog(q, 0), 0.001);
    EXPECT_NEAR(DequantizeLog(q, 65535), 10000, 1e-9);
}

// The step is handed along with each descriptor to the edit that uses it.
TEST_F(Quantizers, StepsOfTheEdits) {
    const double steps[ValueQuantizerCount] = {0.25, 0.1, 0.1, 0.1, 0.1, 1,   1, 0.01,
                                               0.1,  0.1, 0.1, 0.1, 0.1, 0.1, 0, 0};
    for (int32_t i = 0; i < ValueQuantizerCount; ++i)
        EXPECT_EQ(ValueQuantizers[i].Step, steps[i]) << i;
}

// A value that is not a number or beyond every range still gives a defined code.
TEST_F(Quantizers, ValuesOutsideEveryRangeGiveDefinedCodes) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(QuantizeValue(ValueQuantizers[9], nan), 0);
    EXPECT_EQ(QuantizeValue(ValueQuantizers[9], inf), 52000);
    EXPECT_EQ(QuantizeValue(ValueQuantizers[9], -inf), 0);
    EXPECT_EQ(QuantizeValue8(ValueQuantizers[0], nan), 0);
    EXPECT_EQ(QuantizeLog(ValueQuantizers[14], nan), 0);
    EXPECT_EQ(QuantizeLog(ValueQuantizers[14], -inf), 0);

    const ParamDescriptor &level = ParameterTableOf(1).Rows[3]; // -160..100 in 52000 steps
    EXPECT_EQ(QuantizeByDescriptor(level, nan), 0);
    EXPECT_EQ(QuantizeByDescriptor(level, 1e300), 52000);
    EXPECT_EQ(QuantizeByDescriptor(level, -1e300), 0);
}

// Rows without code steps travel as floats; decoding leaves their value alone.
TEST_F(Quantizers, RowWithoutCodeStepsKeepsItsValue) {
    const ParamDescriptor &frequency = ParameterTableOf(1).Rows[2];
    ASSERT_EQ(frequency.CodeSteps, 0);
    double value = 1234.5;
    DequantizeByDescriptor(frequency, value, 777);
    EXPECT_EQ(value, 1234.5);

    const ParamDescriptor &mark = ParameterTableOf(1).Rows[1]; // range 0..0
    EXPECT_EQ(QuantizeByDescriptor(mark, 5), 0);
}

// What an edit shows after it was entered or left: the nearest value its code can carry.
TEST_F(Quantizers, SnappingKeepsTheNearestRepresentableValue) {
    double level = 3.1234;
    SnapValue(ValueQuantizers[9], level);
    EXPECT_DOUBLE_EQ(level, 3.125);
    level = 150;
    EXPECT_EQ(SnapValue(ValueQuantizers[9], level), 52000); // above 32767: the code is unsigned
    EXPECT_DOUBLE_EQ(level, 100);
    EXPECT_DOUBLE_EQ(DequantizeValue(ValueQuantizers[9], uint16_t(52000)), 100);

    double control = -12.3;
    SnapValue8(ValueQuantizers[0], control);
    EXPECT_DOUBLE_EQ(control, -12.25);
    EXPECT_EQ(QuantizeValue8(ValueQuantizers[0], -40), 0);
    EXPECT_EQ(QuantizeValue8(ValueQuantizers[0], 20), 240);
}

// A range that cannot carry a code (no steps, equal ends, a logarithm of a ratio that is not above 0)
// codes every value as 0 and decodes every code as the lower end, never a division by zero.
TEST_F(Quantizers, DegenerateRangesGiveDefinedCodes) {
    struct Range {
        double Min;
        double Max;
        int32_t Steps;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Range linear[] = {{-10, 10, 0}, {5, 5, 100}, {-10, 10, -3}};
    for (const Range &r : linear)
        for (double value : {-20.0, 0.0, 5.0, 20.0, nan}) {
            SCOPED_TRACE(testing::Message() << r.Min << ".." << r.Max << "/" << r.Steps << " " << value);
            EXPECT_EQ(QuantizeValue(r.Min, r.Max, r.Steps, value), 0);
            EXPECT_EQ(QuantizeValue8(r.Min, r.Max, r.Steps, value), 0);
            EXPECT_EQ(DequantizeValue(r.Min, r.Max, r.Steps, 123), r.Min);
            EXPECT_EQ(DequantizeValue8(r.Min, r.Max, r.Steps, 12), r.Min);
        }
    const Range logarithmic[] = {{0, 100, 1000}, {-1, 100, 1000}, {-100, -1, 1000}, {10, 10, 1000},
                                 {100, 10, 1000}, {1, 100, 0}};
    for (const Range &r : logarithmic)
        for (double value : {-5.0, 0.0, 1.0, 50.0, 1e9, nan}) {
            SCOPED_TRACE(testing::Message() << r.Min << ".." << r.Max << "/" << r.Steps << " " << value);
            EXPECT_EQ(QuantizeLog(r.Min, r.Max, r.Steps, value), 0);
            EXPECT_EQ(DequantizeLog(r.Min, r.Max, r.Steps, 500), r.Min);
        }
    EXPECT_EQ(QuantizeLog65535(0, 10000, 5), 0);
    EXPECT_EQ(DequantizeLog65535(0, 10000, 65535), 0);

    // A range whose ends are swapped clamps every value to its lower end.
    EXPECT_EQ(QuantizeValue(10, -10, 20, 30), 0);
    EXPECT_EQ(QuantizeValue(10, -10, 20, -30), 0);
}
