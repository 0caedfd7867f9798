#pragma once

#include "platform/DateTime.h"

#include <QChar>
#include <QString>
#include <QStringList>

#include <cstdint>

// Calendar arithmetic, the locale's order of day, month and year, and the reading of typed dates under a
// date format: fixed field positions first, free separated numbers second, two-digit years through a
// century window. Dates are TDateTime; NullDate means no date.

constexpr TDateTime NullDate = 0.0;
// Two-digit years fall into the hundred years that begin CenturyOffset years before the current one.
constexpr uint8_t CenturyOffset = 60;

enum TDateOrder { doMDY, doDMY, doYMD };
enum TDayOfWeekName { Sun, Mon, Tue, Wed, Thu, Fri, Sat };
// Bit n set for TDayOfWeekName n.
using TDaysOfWeek = uint8_t;
constexpr TDaysOfWeek DayBit(TDayOfWeekName day) {
    return static_cast<TDaysOfWeek>(1u << day);
}

// What the date functions take from the locale, read from the system locale at start; tests set their
// own. Formats use the letters D, M, Y (any case) with '/' standing for `dateSeparator`.
struct TDateLocale {
    QString shortDateFormat;
    QChar dateSeparator;
    QStringList longMonthNames;  // January first
    QStringList shortMonthNames; // January first
    QStringList shortDayNames;   // Sunday first
    QString longDateFormat;      // a Qt pattern for FormatLongDate
    QString longTimeFormat;      // a Qt pattern for FormatLongDateTime
};
TDateLocale &DateLocale();
// True when the short date format at start, upper-cased, holds "YYYY".
bool FourDigitYear();

bool IsLeapYear(int32_t year);
int32_t DaysPerMonth(int32_t year, int32_t month);
TDateTime FirstDayOfNextMonth();
TDateTime FirstDayOfPrevMonth();
TDateTime LastDayOfPrevMonth();
uint16_t ExtractDay(TDateTime date);
uint16_t ExtractMonth(TDateTime date);
uint16_t ExtractYear(TDateTime date);
// These raise EConvertError "Invalid argument to date encode" when the year leaves 1..9999.
TDateTime IncDate(TDateTime date, int32_t days, int32_t months, int32_t years);
TDateTime IncDay(TDateTime date, int32_t count);
TDateTime IncMonth(TDateTime date, int32_t count);
TDateTime IncYear(TDateTime date, int32_t count);
void DateDiff(TDateTime date1, TDateTime date2, uint16_t &days, uint16_t &months, uint16_t &years);
double MonthsBetween(TDateTime date1, TDateTime date2);
bool ValidDate(TDateTime date);
int32_t DaysInPeriod(TDateTime date1, TDateTime date2);
int32_t DaysBetween(TDateTime date1, TDateTime date2);
TDateTime IncTime(TDateTime time, int32_t hours, int32_t minutes, int32_t seconds, int32_t msecs);
TDateTime IncHour(TDateTime time, int32_t count);
TDateTime IncMinute(TDateTime time, int32_t count);
TDateTime IncSecond(TDateTime time, int32_t count);
TDateTime IncMSec(TDateTime time, int32_t count);
TDateTime CutTime(TDateTime time);
TDateTime Today();
uint16_t CurrentYear();

TDateOrder GetDateOrder(const QString &dateFormat);
int MonthFromName(const QString &text, uint8_t length);
// Raises EConvertError "''<text>'' is not a valid date".
TDateTime StrToDateFmt(const QString &dateFormat, const QString &text);
TDateTime StrToDateDef(const QString &text, TDateTime defaultDate);
TDateTime StrToDateFmtDef(const QString &dateFormat, const QString &text, TDateTime defaultDate);
QString DefDateFormat(bool fourDigitYear);
// A mask as the library's masked edits write it: '9' an optional digit, '!' drops leading blanks,
// ";1;" keeps literals, then the blank character.
QString DefDateMask(QChar blanksChar, bool fourDigitYear);
QString FormatLongDate(TDateTime date);
QString FormatLongDateTime(TDateTime date);
// The date written under a format of D, M and Y letters (MMMM the month's name), '/' as the separator.
QString FormatDateFmt(const QString &dateFormat, TDateTime date);
