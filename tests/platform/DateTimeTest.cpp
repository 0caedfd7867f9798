#include "platform/DateTime.h"

#include <QDateTime>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>

namespace {

struct Moment {
    int year, month, day, hour, minute, second, msec;
    double value; // (datetime(...) - datetime(1899, 12, 30)) / timedelta(days=1), computed with Python
};

const Moment kMoments[] = {
    {2024, 2, 29, 13, 45, 30, 250, 45351.573266782405},
    {1899, 12, 30, 0, 0, 0, 0, 0.0},
    {1900, 1, 1, 0, 0, 0, 0, 2.0},
    {1900, 3, 1, 0, 0, 0, 0, 61.0},
    {2000, 1, 1, 12, 0, 0, 0, 36526.5},
    {1, 1, 1, 0, 0, 0, 0, -693593.0},
    {9999, 12, 31, 23, 59, 59, 0, 2958465.999988426},
};

TEST(DateTime, EncodeAndDecodeAgreeWithAnIndependentCalendar) {
    for (const Moment &m : kMoments) {
        const TDateTime value = EncodeDate(m.year, m.month, m.day) + EncodeTime(m.hour, m.minute, m.second, m.msec);
        EXPECT_NEAR(value, m.value, 1e-9) << m.year << '-' << m.month << '-' << m.day;

        int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, msec = 0;
        DecodeDate(m.value, year, month, day);
        DecodeTime(m.value, hour, minute, second, msec);
        EXPECT_EQ((std::array{year, month, day, hour, minute, second, msec}),
                  (std::array{m.year, m.month, m.day, m.hour, m.minute, m.second, m.msec}))
            << m.value;

        const QDateTime expected(QDate(m.year, m.month, m.day), QTime(m.hour, m.minute, m.second, m.msec));
        EXPECT_EQ(DateTimeToQDateTime(m.value), expected) << m.value;
        EXPECT_NEAR(QDateTimeToDateTime(expected), m.value, 1e-9) << m.value;
    }
}

TEST(DateTime, BeforeTheZeroDayTheFractionStillCountsForward) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, msec = 0;
    DecodeDate(-1.25, year, month, day);
    DecodeTime(-1.25, hour, minute, second, msec);
    EXPECT_EQ((std::array{year, month, day, hour}), (std::array{1899, 12, 29, 6}));
    EXPECT_EQ(QDateTimeToDateTime(QDateTime(QDate(1899, 12, 29), QTime(6, 0))), -1.25);
}

TEST(DateTime, TextsAreDayMonthYearAndHoursMinutesSeconds) {
    struct Case {
        double value;
        const char *date;
        const char *time;
    };
    const Case cases[] = {
        {EncodeDate(2024, 3, 5) + EncodeTime(7, 8, 9, 0), "05.03.2024", "07:08:09"},
        {EncodeDate(1999, 12, 31) + EncodeTime(23, 59, 59, 499), "31.12.1999", "23:59:59"},
        // Rounds to the millisecond: half a millisecond before midnight is the next day.
        {EncodeDate(1999, 12, 31) + 86399999.6 / 86400000.0, "01.01.2000", "00:00:00"},
        {std::numeric_limits<double>::quiet_NaN(), "30.12.1899", "00:00:00"},
        {1e300, "30.12.1899", "00:00:00"},
        {-1e300, "30.12.1899", "00:00:00"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(DateToText(c.value), QLatin1String(c.date)) << c.date;
        EXPECT_EQ(TimeToText(c.value), QLatin1String(c.time)) << c.time;
        EXPECT_EQ(DateTimeToText(c.value), QLatin1String(c.date) + ' ' + QLatin1String(c.time));
    }
}

TEST(DateTime, ReadsDatesAndTimesAndRefusesWhatNamesNone) {
    struct Case {
        const char *text;
        std::optional<double> date;
    };
    const Case dates[] = {
        {"05.03.2024", EncodeDate(2024, 3, 5)},
        {" 1.2.2024 ", EncodeDate(2024, 2, 1)},
        {"29.02.2024", EncodeDate(2024, 2, 29)},
        {"29.02.2023", std::nullopt},
        {"31.04.2024", std::nullopt},
        {"2024-02-01", std::nullopt},
        {"5.3.24", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case &c : dates)
        EXPECT_EQ(TextToDate(QLatin1String(c.text)), c.date) << c.text;

    const Case times[] = {
        {"7:08", EncodeTime(7, 8, 0, 0)}, {"23:59:59", EncodeTime(23, 59, 59, 0)},
        {"24:00", std::nullopt},          {"12:60", std::nullopt},
        {"12:5", std::nullopt},           {"12:05:7", std::nullopt},
    };
    for (const Case &c : times)
        EXPECT_EQ(TextToTime(QLatin1String(c.text)), c.date) << c.text;
}

TEST(DateTime, InvalidFieldsAreRefused) {
    TDateTime value = 42;
    EXPECT_FALSE(TryEncodeDate(2023, 2, 29, value));
    EXPECT_FALSE(TryEncodeDate(0, 1, 1, value));
    EXPECT_FALSE(TryEncodeDate(10000, 1, 1, value));
    EXPECT_FALSE(TryEncodeTime(24, 0, 0, 0, value));
    EXPECT_FALSE(TryEncodeTime(0, 0, 0, 1000, value));
    EXPECT_FALSE(TryEncodeTime(0, -1, 0, 0, value));
    EXPECT_EQ(value, 42);
    EXPECT_THROW(EncodeDate(2024, 13, 1), std::invalid_argument);
    EXPECT_THROW(EncodeTime(0, 60, 0, 0), std::invalid_argument);
}

TEST(DateTime, NowIsTheLocalWallClock) {
    // 25569 is 01.01.1970, the start of the epoch that the milliseconds count from.
    const auto localDays = [] {
        const QDateTime now = QDateTime::currentDateTime();
        return 25569.0 + (now.toMSecsSinceEpoch() + now.offsetFromUtc() * 1000.0) / 86400000.0;
    };
    const double before = localDays();
    const TDateTime now = Now();
    const double after = localDays();
    EXPECT_GE(now, before - 1e-8);
    EXPECT_LE(now, after + 1e-8);
}

} // namespace
