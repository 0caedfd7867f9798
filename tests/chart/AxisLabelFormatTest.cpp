#include "chart/AxisLabelFormat.h"

#include <gtest/gtest.h>

TEST(AxisLabelFormat, PatternsOfTheGraphKinds) {
    struct Case {
        double value;
        const char16_t *pattern;
        const char16_t *text;
    };
    const Case cases[] = {
        {1234567.5, u"# ### ##0.#", u"1 234 567.5"},
        {123456789, u"# ### ##0.#", u"123 456 789"}, // more digits than placeholders: no group in front
        {12.5, u"# ### ##0.#", u"12.5"},             // no blank before the first digit
        {0, u"# ### ##0.#", u"0"},
        {-1234.25, u"# ##0.#", u"-1 234.3"}, // halves away from zero
        {-999.96, u"# ##0.#", u"-1 000"},    // the carry makes a new group
        {1000, u"###0.###", u"1000"},
        {0.1 + 0.2, u"###0.#####", u"0.3"},
        {-0.0000001, u"###0.#####", u"0"},
        {2.5e-6, u"###0.######", u"0.000003"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(FormatAxisLabel(c.value, c.pattern), QString::fromUtf16(c.text)) << c.value;
}

// A time-of-day pattern shows the value as the local time of a TDateTime (minutes written "nn").
TEST(AxisLabelFormat, TimeOfDayPatterns) {
    const double noonAndAHalfMinute = 46000.5 + 30.0 / 86400 + 7.0 / 1440;
    EXPECT_EQ(FormatAxisLabel(noonAndAHalfMinute, u"hh:nn:ss"), QStringLiteral("12:07:30"));
    EXPECT_TRUE(IsTimeOfDayFormat(u"hh:nn:ss"));
    EXPECT_FALSE(IsTimeOfDayFormat(u"# ##0.###"));
}
