#include "controls/Dateutil.h"
#include "controls/LibraryErrors.h"
#include "controls/Maxmin.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// A day-month-year locale with '/' and English month names, restored afterwards; the calendar fixed at
// 10 December 2014 unless a test fixes another day.
class DateutilTest : public testing::Test {
protected:
    DateutilTest() : saved_(DateLocale()), today_(EncodeDate(2014, 12, 10) + 0.5) {
        TDateLocale &locale = DateLocale();
        locale.shortDateFormat = QStringLiteral("dd/MM/yyyy");
        locale.dateSeparator = QLatin1Char('/');
        locale.longMonthNames = QStringList{"January", "February", "March",     "April",   "May",      "June",
                                            "July",    "August",   "September", "October", "November", "December"};
    }
    ~DateutilTest() override { DateLocale() = saved_; }

    static TDateTime D(int y, int m, int d) { return EncodeDate(y, m, d); }

private:
    TDateLocale saved_;
    FixedNow today_;
};

TEST_F(DateutilTest, LeapYearsAndMonthLengths) {
    EXPECT_FALSE(IsLeapYear(1900));
    EXPECT_TRUE(IsLeapYear(2000));
    EXPECT_FALSE(IsLeapYear(2014));
    EXPECT_TRUE(IsLeapYear(2016));
    EXPECT_EQ(DaysPerMonth(2016, 2), 29);
    EXPECT_EQ(DaysPerMonth(2015, 2), 28);
    EXPECT_EQ(FirstDayOfNextMonth(), D(2015, 1, 1));
    EXPECT_EQ(FirstDayOfPrevMonth(), D(2014, 11, 1));
    EXPECT_EQ(LastDayOfPrevMonth(), D(2014, 11, 30));
}

TEST_F(DateutilTest, MonthStepsKeepTheDayValidAndTheTime) {
    const TDateTime time = 0.25;
    EXPECT_EQ(IncMonth(D(2015, 1, 31), 1), D(2015, 2, 28));
    EXPECT_EQ(IncMonth(D(2015, 1, 31), 13), D(2016, 2, 29));
    EXPECT_EQ(IncMonth(D(2016, 3, 31), -1), D(2016, 2, 29));
    EXPECT_EQ(IncMonth(D(2015, 3, 31), -1), D(2015, 2, 28));
    EXPECT_EQ(IncMonth(D(2015, 1, 31) + time, 1), D(2015, 2, 28) + time);
    EXPECT_EQ(IncYear(D(2016, 2, 29), 1), D(2017, 2, 28));
    EXPECT_EQ(IncDate(D(2015, 1, 15), 3, -14, 1), D(2014, 11, 18));
    EXPECT_THROW(IncYear(D(9999, 1, 1), 1), EConvertError);
}

TEST_F(DateutilTest, DifferencesBetweenDates) {
    uint16_t days = 0, months = 0, years = 0;
    DateDiff(D(2015, 1, 31), D(2015, 3, 1), days, months, years);
    EXPECT_EQ(years, 0);
    EXPECT_EQ(months, 1);
    EXPECT_EQ(days, 1);
    DateDiff(D(2015, 3, 1), D(2015, 1, 31), days, months, years);
    EXPECT_EQ(months, 1);
    EXPECT_EQ(days, 1);
    DateDiff(D(2014, 12, 20), D(2015, 1, 5), days, months, years);
    EXPECT_EQ(years, 0);
    EXPECT_EQ(months, 0);
    EXPECT_EQ(days, 16);

    const TDateTime d = D(2015, 6, 1);
    EXPECT_EQ(MonthsBetween(d, d + 1), 0.0);
    EXPECT_EQ(MonthsBetween(d, d + 2), 0.25);
    EXPECT_EQ(MonthsBetween(d, d + 21), 1.0);
    EXPECT_EQ(DaysBetween(d, d), 1);
    EXPECT_EQ(DaysBetween(d, d - 1), 0);
    EXPECT_EQ(DaysBetween(d, d - 5), 0);
    EXPECT_EQ(DaysInPeriod(d, d - 5), 6);
    EXPECT_EQ(DaysInPeriod(d, std::nan("")), 0);
    EXPECT_FALSE(ValidDate(std::nan("")));
    EXPECT_FALSE(ValidDate(1e12));
    EXPECT_TRUE(ValidDate(d));
}

TEST_F(DateutilTest, TimeStepsSumTheirMillisecondsIn64Bits) {
    const TDateTime t = D(2015, 6, 1) + EncodeTime(10, 0, 0, 0);
    EXPECT_NEAR(IncHour(t, 25), D(2015, 6, 2) + EncodeTime(11, 0, 0, 0), 1e-9);
    EXPECT_NEAR(IncTime(0.0, -1, 0, 0, 0), 1 - 1.0 / 24, 1e-12);
    // 40000 minutes: 27 days, 18 hours and 40 minutes.
    EXPECT_NEAR(IncMinute(t, 40000), D(2015, 6, 29) + EncodeTime(4, 40, 0, 0), 1e-9);
    EXPECT_NEAR(IncSecond(t, 3000000), t + 3000000.0 / 86400, 1e-9);
    EXPECT_EQ(CutTime(t), D(2015, 6, 1));
}

TEST_F(DateutilTest, DateOrderOfAFormat) {
    EXPECT_EQ(GetDateOrder(QStringLiteral("dd.MM.yyyy")), doDMY);
    EXPECT_EQ(GetDateOrder(QStringLiteral("M/d/yy")), doMDY);
    EXPECT_EQ(GetDateOrder(QStringLiteral("yyyy-MM-dd")), doYMD);
    EXPECT_EQ(GetDateOrder(QString()), doDMY);
}

// The century window moves with the current year.
TEST_F(DateutilTest, TwoDigitYearsFollowTheCurrentYear) {
    const QString format = QStringLiteral("DD/MM/YYYY");
    struct Case {
        int currentYear;
        const char *text;
        int expectedYear;
    };
    const Case cases[] = {
        {2014, "01/01/53", 2053}, {2014, "01/01/54", 1954}, {2014, "01/01/99", 1999},
        {2014, "01/01/00", 2000}, {2030, "01/01/69", 2069}, {2030, "01/01/70", 1970},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        FixedNow now(EncodeDate(c.currentYear, 5, 5));
        EXPECT_EQ(ExtractYear(StrToDateFmt(format, QString::fromLatin1(c.text))), c.expectedYear);
    }
    // Day and month alone take the current year as it is.
    FixedNow now(EncodeDate(2041, 5, 5));
    EXPECT_EQ(StrToDateFmt(format, QStringLiteral("1/2")), D(2041, 2, 1));
}

TEST_F(DateutilTest, ReadingTypedDates) {
    const QString format = QStringLiteral("DD/MM/YYYY");
    struct Case {
        const char *text;
        TDateTime expected; // NaN: the text is no date
    };
    const double no = std::nan("");
    const Case cases[] = {
        {"15/03/2014", D(2014, 3, 15)}, // by field positions
        {"1/2/2014", D(2014, 2, 1)},    // shorter than the format: read freely
        {"1/2", D(2014, 2, 1)},         // the current year
        {"15/03/14", D(2014, 3, 15)},   // widened
        {" 5/ 3/2014", D(2014, 3, 5)},  // blanks in the fields
        {"15/03/2014/", D(2014, 3, 15)}, // a trailing separator
        {"15/03/2014x", no},
        {"15/03/20145", no}, // the fifth digit is never read
        {"31/02/2014", no},
        {"15/03/    ", no}, // a blank year is no year
        {"15/", no},
        {"", NullDate},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        const QString text = QString::fromLatin1(c.text);
        if (std::isnan(c.expected)) {
            EXPECT_THROW(StrToDateFmt(format, text), EConvertError);
            EXPECT_EQ(StrToDateFmtDef(format, text, D(2000, 1, 1) + 0.75), D(2000, 1, 1));
        } else {
            EXPECT_EQ(StrToDateFmt(format, text), c.expected);
        }
    }
    try {
        StrToDateFmt(format, QStringLiteral("31/02/2014"));
        FAIL();
    } catch (const EConvertError &error) {
        EXPECT_STREQ(error.what(), "''31/02/2014'' is not a valid date");
    }
    EXPECT_EQ(StrToDateDef(QStringLiteral("15/03/2014"), NullDate), D(2014, 3, 15));
}

TEST_F(DateutilTest, MonthNamesInTheMonthField) {
    const QString format = QStringLiteral("DD-MMM-YYYY");
    EXPECT_EQ(MonthFromName(QStringLiteral("mar"), 3), 3);
    EXPECT_EQ(MonthFromName(QStringLiteral("Xyz"), 3), 0);
    EXPECT_EQ(MonthFromName(QString(), 3), 0);
    EXPECT_EQ(StrToDateFmt(format, QStringLiteral("15-Mar-2014")), D(2014, 3, 15));
    // An unknown name falls back to the free reading, which has no month name either.
    EXPECT_THROW(StrToDateFmt(format, QStringLiteral("15-Xyz-2014")), EConvertError);
}

TEST_F(DateutilTest, DefaultFormatsAndMasksFollowTheLocaleOrder) {
    EXPECT_EQ(DefDateFormat(true), QStringLiteral("DD/MM/YYYY"));
    EXPECT_EQ(DefDateFormat(false), QStringLiteral("DD/MM/YY"));
    EXPECT_EQ(DefDateMask(QLatin1Char('_'), true), QStringLiteral("!99/99/9999;1;_"));
    DateLocale().shortDateFormat = QStringLiteral("yyyy-MM-dd");
    EXPECT_EQ(DefDateFormat(true), QStringLiteral("YYYY/MM/DD"));
    EXPECT_EQ(DefDateMask(QLatin1Char(' '), true), QStringLiteral("!9999/99/99;1; "));
    EXPECT_EQ(DefDateMask(QLatin1Char(' '), false), QStringLiteral("!99/99/99;1; "));
    DateLocale().shortDateFormat = QStringLiteral("M/d/yy");
    EXPECT_EQ(DefDateFormat(true), QStringLiteral("MM/DD/YYYY"));
}

TEST_F(DateutilTest, WritingDatesUnderAFormat) {
    DateLocale().dateSeparator = QLatin1Char('.');
    EXPECT_EQ(FormatDateFmt(QStringLiteral("DD/MM/YYYY"), D(2014, 3, 5)), QStringLiteral("05.03.2014"));
    EXPECT_EQ(FormatDateFmt(QStringLiteral("YY/MM/DD"), D(2014, 3, 5)), QStringLiteral("14.03.05"));
    EXPECT_EQ(FormatDateFmt(QStringLiteral("MMMM, YYYY"), D(2014, 3, 5)), QStringLiteral("March, 2014"));
    EXPECT_TRUE(FormatLongDateTime(NullDate).isEmpty());
    EXPECT_FALSE(FormatLongDate(D(2014, 3, 5)).isEmpty());
}

TEST(MaxminTest, PicksAndSwaps) {
    EXPECT_EQ(Max(-3, 2), 2);
    EXPECT_EQ(Min(5, 5), 5);
    int32_t a = 1, b = 2;
    SwapInt(a, b);
    EXPECT_EQ(a, 2);
    int64_t c = 1, d = 1LL << 40;
    SwapInt64(c, d);
    EXPECT_EQ(c, 1LL << 40);
    const std::vector<int64_t> wide{4294967296LL, 1};
    EXPECT_EQ(MaxInt64(wide), 4294967296LL);
    const std::vector<int64_t> signedPair{-1, 0};
    EXPECT_EQ(MinInt64(signedPair), -1);
    const std::vector<int32_t> ints{3, -7, 9, 9};
    EXPECT_EQ(MaxInteger(ints), 9);
    EXPECT_EQ(MinInteger(ints), -7);
    const std::vector<long double> floats{1.0L, 1.0L + 1e-18L, 0.5L};
    EXPECT_EQ(MaxFloat(floats), 1.0L + 1e-18L); // told apart only in extended precision
    EXPECT_EQ(MinFloat(floats), 0.5L);
    const std::vector<double> dates{EncodeDate(2014, 3, 1), EncodeDate(2015, 1, 1), EncodeDate(2013, 7, 7)};
    EXPECT_EQ(MaxDateTime(dates), EncodeDate(2015, 1, 1));
    EXPECT_EQ(MinDateTime(dates), EncodeDate(2013, 7, 7));
    // Equal values of different types: the first one wins.
    const std::vector<QVariant> mixed{QVariant(1), QVariant(1.0)};
    EXPECT_EQ(MaxOf(mixed).typeId(), QMetaType::Int);
    EXPECT_EQ(MinOf(mixed).typeId(), QMetaType::Int);
}

} // namespace
