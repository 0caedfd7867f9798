#include "controls/Dateutil.h"

#include "controls/LibraryErrors.h"

#include <QDate>
#include <QLocale>

#include <array>
#include <climits>
#include <cmath>

namespace {

constexpr std::array<int32_t, 12> kDaysPerMonth{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
constexpr int64_t kMsecsPerDay = 86400000;

// The locale's pattern in the letters of our formats ("dd.MM.yyyy" stays, "d/M/yy" stays).
TDateLocale SystemDateLocale() {
    const QLocale locale = QLocale::system();
    TDateLocale settings;
    settings.shortDateFormat = locale.dateFormat(QLocale::ShortFormat);
    settings.dateSeparator = QLatin1Char('.');
    for (const QChar c : settings.shortDateFormat)
        if (!c.isLetter()) {
            settings.dateSeparator = c;
            break;
        }
    for (int month = 1; month <= 12; ++month) {
        settings.longMonthNames << locale.standaloneMonthName(month, QLocale::LongFormat);
        settings.shortMonthNames << locale.standaloneMonthName(month, QLocale::ShortFormat);
    }
    for (int day = 0; day < 7; ++day)
        settings.shortDayNames << locale.dayName(day == 0 ? 7 : day, QLocale::ShortFormat);
    settings.longDateFormat = locale.dateFormat(QLocale::LongFormat);
    settings.longTimeFormat = locale.timeFormat(QLocale::LongFormat);
    return settings;
}

[[noreturn]] void DateEncodeError() {
    throw EConvertError(QStringLiteral("Invalid argument to date encode"));
}

TDateTime Encode(int32_t year, int32_t month, int32_t day) {
    TDateTime value = 0;
    if (!TryEncodeDate(year, month, day, value))
        DateEncodeError();
    return value;
}

bool ValidYMD(int32_t year, int32_t month, int32_t day) {
    return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= DaysPerMonth(year, month);
}

struct YMD {
    int year = 0;
    int month = 0;
    int day = 0;
};

YMD Decode(TDateTime date) {
    YMD d;
    DecodeDate(date, d.year, d.month, d.day);
    return d;
}

int32_t WidenYear(int32_t year) {
    if (year >= 100)
        return year;
    const int32_t pivot = CurrentYear() - CenturyOffset;
    year += pivot / 100 * 100;
    if (CenturyOffset > 0 && year < pivot)
        year += 100;
    return year;
}

// Text positions are 1-based as the formats count them; at(pos) is the character there or NUL past the end.
struct Scanner {
    const QString &text;
    int pos = 1;

    QChar At() const { return pos <= text.size() ? text[pos - 1] : QChar(); }
    bool Inside() const { return pos <= text.size(); }
    void SkipBlanks() {
        while (Inside() && At() == QLatin1Char(' '))
            ++pos;
    }
    // At most four significant digits: reading stops once the value reaches 1000, so a fifth digit stays.
    bool ReadDateNumber(int32_t &number) {
        SkipBlanks();
        uint16_t value = 0;
        const int start = pos;
        while (Inside() && At().isDigit() && At().unicode() < 128 && value < 1000) {
            value = static_cast<uint16_t>(value * 10 + (At().unicode() - '0'));
            ++pos;
        }
        if (pos == start)
            return false;
        number = value;
        return true;
    }
    bool ReadSeparator(QChar separator) {
        SkipBlanks();
        if (Inside() && At() == separator) {
            ++pos;
            return true;
        }
        return false;
    }
    void SkipToDigit() {
        while (Inside() && !At().isDigit())
            ++pos;
    }
};

bool ParseLooseDate(const QString &text, const QString &format, YMD &result) {
    result = {};
    const TDateOrder order = GetDateOrder(format);
    const QChar separator = DateLocale().dateSeparator;
    Scanner scan{text};
    if (DateLocale().shortDateFormat.startsWith(QLatin1Char('g')))
        scan.SkipToDigit();
    int32_t n1 = 0, n2 = 0, n3 = 0;
    if (!scan.ReadDateNumber(n1) || !scan.ReadSeparator(separator) || !scan.ReadDateNumber(n2))
        return false;
    if (scan.ReadSeparator(separator)) {
        if (!scan.ReadDateNumber(n3))
            return false;
        switch (order) {
        case doMDY: result = {n3, n1, n2}; break;
        case doDMY: result = {n3, n2, n1}; break;
        case doYMD: result = {n1, n2, n3}; break;
        }
        result.year = WidenYear(result.year);
    } else {
        // Day and month only: this year, as it is, without the century window.
        result.year = CurrentYear();
        if (order == doDMY)
            result = {result.year, n2, n1};
        else
            result = {result.year, n1, n2};
    }
    scan.ReadSeparator(separator);
    scan.SkipBlanks();
    return ValidYMD(result.year, result.month, result.day) && !scan.Inside();
}

constexpr int kBlankField = -1;

// The value typed at the positions where the format has `count` or more copies of `letter`.
int TakeMaskField(const QString &format, const QString &text, QChar letter, int count, int defaultValue) {
    letter = letter.toUpper();
    int length = format.size();
    if (text.size() < length)
        length = text.size();
    if (text.size() > format.size())
        return defaultValue;
    const QString upper = format.toUpper();
    int pos = upper.indexOf(QString(count, letter)) + 1;
    if (pos == 0)
        return defaultValue;
    QString collected;
    while (pos <= length && upper[pos - 1] == letter && collected.size() < 20) {
        if (text[pos - 1] != QLatin1Char(' '))
            collected += text[pos - 1];
        ++pos;
    }
    if (collected.isEmpty())
        return kBlankField;
    if (count > 1) {
        const int month = MonthFromName(collected, static_cast<uint8_t>(std::min<qsizetype>(collected.size(), 255)));
        return month == 0 ? -1 : month;
    }
    bool ok = false;
    const int value = collected.toInt(&ok);
    return ok ? value : -1;
}

bool ParseMaskedDate(const QString &format, const QString &text, YMD &result) {
    int month = TakeMaskField(format, text, QLatin1Char('M'), 3, 0);
    if (month == 0)
        month = TakeMaskField(format, text, QLatin1Char('M'), 1, 0);
    const int day = TakeMaskField(format, text, QLatin1Char('D'), 1, 1);
    int year = TakeMaskField(format, text, QLatin1Char('Y'), 1, CurrentYear());
    // A year left blank is no year: it never becomes one of the century window.
    if (year != kBlankField)
        year = WidenYear(year);
    if (year != kBlankField && ValidYMD(year, month, day)) {
        result = {year, month, day};
        return true;
    }
    return ParseLooseDate(text, format, result);
}

bool TextToDate(const QString &format, const QString &text, TDateTime &date) {
    if (text.isEmpty()) {
        date = NullDate;
        return true;
    }
    YMD ymd;
    return ParseMaskedDate(format, text, ymd) && TryEncodeDate(ymd.year, ymd.month, ymd.day, date);
}

} // namespace

TDateLocale &DateLocale() {
    static TDateLocale settings = SystemDateLocale();
    return settings;
}

bool FourDigitYear() {
    static const bool fourDigits = DateLocale().shortDateFormat.toUpper().contains(QStringLiteral("YYYY"));
    return fourDigits;
}

bool IsLeapYear(int32_t year) {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int32_t DaysPerMonth(int32_t year, int32_t month) {
    return kDaysPerMonth.at(static_cast<size_t>(month - 1)) + (month == 2 && IsLeapYear(year) ? 1 : 0);
}

TDateTime FirstDayOfNextMonth() {
    YMD d = Decode(Today());
    return d.month == 12 ? Encode(d.year + 1, 1, 1) : Encode(d.year, d.month + 1, 1);
}

TDateTime FirstDayOfPrevMonth() {
    YMD d = Decode(Today());
    return d.month <= 1 ? Encode(d.year - 1, 12, 1) : Encode(d.year, d.month - 1, 1);
}

TDateTime LastDayOfPrevMonth() {
    const YMD d = Decode(FirstDayOfPrevMonth());
    return Encode(d.year, d.month, DaysPerMonth(d.year, d.month));
}

uint16_t ExtractDay(TDateTime date) {
    return static_cast<uint16_t>(Decode(date).day);
}
uint16_t ExtractMonth(TDateTime date) {
    return static_cast<uint16_t>(Decode(date).month);
}
uint16_t ExtractYear(TDateTime date) {
    return static_cast<uint16_t>(Decode(date).year);
}

TDateTime IncDate(TDateTime date, int32_t days, int32_t months, int32_t years) {
    YMD d = Decode(date);
    int64_t year = int64_t{d.year} + years + months / 12;
    int32_t month = d.month + months % 12;
    if (month < 1) {
        month += 12;
        --year;
    } else if (month > 12) {
        month -= 12;
        ++year;
    }
    if (year < 1 || year > 9999)
        DateEncodeError();
    const int32_t day = std::min(d.day, DaysPerMonth(static_cast<int32_t>(year), month));
    return Encode(static_cast<int32_t>(year), month, day) + days + (date - std::trunc(date));
}

TDateTime IncDay(TDateTime date, int32_t count) {
    return date + count;
}
TDateTime IncMonth(TDateTime date, int32_t count) {
    return IncDate(date, 0, count, 0);
}
TDateTime IncYear(TDateTime date, int32_t count) {
    return IncDate(date, 0, 0, count);
}

void DateDiff(TDateTime date1, TDateTime date2, uint16_t &days, uint16_t &months, uint16_t &years) {
    if (date1 > date2)
        std::swap(date1, date2);
    const YMD a = Decode(date1);
    const YMD b = Decode(date2);
    years = static_cast<uint16_t>(b.year - a.year);
    months = 0;
    days = 0;
    if (b.month < a.month) {
        months = static_cast<uint16_t>(months + 12);
        --years;
    }
    months = static_cast<uint16_t>(months + b.month - a.month);
    if (b.day < a.day) {
        days = static_cast<uint16_t>(days + DaysPerMonth(a.year, a.month));
        if (months == 0) {
            --years;
            months = 11;
        } else {
            --months;
        }
    }
    days = static_cast<uint16_t>(days + b.day - a.day);
}

double MonthsBetween(TDateTime date1, TDateTime date2) {
    uint16_t days = 0, months = 0, years = 0;
    DateDiff(date1, date2, days, months, years);
    double result = years * 12.0 + months;
    if (days >= 21)
        result += 1.0;
    else if (days >= 15)
        result += 0.75;
    else if (days >= 7)
        result += 0.5;
    else if (days >= 2)
        result += 0.25;
    return result;
}

bool ValidDate(TDateTime date) {
    // Days of the years 1 to 9999; anything else (not a number included) decodes to no valid date.
    if (!(date > -693594.0 && date < 2958466.0))
        return false;
    const YMD d = Decode(date);
    return ValidYMD(d.year, d.month, d.day);
}

int32_t DaysInPeriod(TDateTime date1, TDateTime date2) {
    if (!ValidDate(date1) || !ValidDate(date2))
        return 0;
    return static_cast<int32_t>(std::fabs(std::trunc(date2) - std::trunc(date1))) + 1;
}

int32_t DaysBetween(TDateTime date1, TDateTime date2) {
    const int32_t result = static_cast<int32_t>(std::trunc(date2) - std::trunc(date1)) + 1;
    return result < 0 ? 0 : result;
}

// The milliseconds are summed in 64 bits: 40000 minutes are 2.4e9 ms, past a 32-bit sum.
TDateTime IncTime(TDateTime time, int32_t hours, int32_t minutes, int32_t seconds, int32_t msecs) {
    const int64_t msecSum =
        int64_t{hours % 24} * 3600000 + int64_t{minutes} * 60000 + int64_t{seconds} * 1000 + int64_t{msecs};
    TDateTime result = time + hours / 24 + static_cast<double>(msecSum) / kMsecsPerDay;
    if (result < 0)
        result += 1;
    return result;
}

TDateTime IncHour(TDateTime time, int32_t count) {
    return IncTime(time, count, 0, 0, 0);
}
TDateTime IncMinute(TDateTime time, int32_t count) {
    return IncTime(time, 0, count, 0, 0);
}
TDateTime IncSecond(TDateTime time, int32_t count) {
    return IncTime(time, 0, 0, count, 0);
}
TDateTime IncMSec(TDateTime time, int32_t count) {
    return IncTime(time, 0, 0, 0, count);
}

TDateTime CutTime(TDateTime time) {
    return std::trunc(time);
}

TDateTime Today() {
    return std::trunc(Now());
}

uint16_t CurrentYear() {
    return ExtractYear(Now());
}

TDateOrder GetDateOrder(const QString &dateFormat) {
    for (const QChar c : dateFormat) {
        switch (c.toUpper().unicode()) {
        case 'D': return doDMY;
        case 'E':
        case 'Y': return doYMD;
        case 'M': return doMDY;
        default: break;
        }
    }
    return doDMY;
}

int MonthFromName(const QString &text, uint8_t length) {
    if (text.isEmpty())
        return 0;
    const QString head = text.left(length);
    const QStringList &names = DateLocale().longMonthNames;
    for (int month = 1; month <= 12 && month <= names.size(); ++month) {
        const QString &name = names[month - 1];
        if (!name.isEmpty() && name.left(length).compare(head, Qt::CaseInsensitive) == 0)
            return month;
    }
    return 0;
}

TDateTime StrToDateFmt(const QString &dateFormat, const QString &text) {
    TDateTime date = NullDate;
    if (!TextToDate(dateFormat, text, date))
        throw EConvertError(QStringLiteral("''%1'' is not a valid date").arg(text));
    return date;
}

TDateTime StrToDateFmtDef(const QString &dateFormat, const QString &text, TDateTime defaultDate) {
    TDateTime date = NullDate;
    if (!TextToDate(dateFormat, text, date))
        return std::trunc(defaultDate);
    return date;
}

TDateTime StrToDateDef(const QString &text, TDateTime defaultDate) {
    return StrToDateFmtDef(DateLocale().shortDateFormat, text, defaultDate);
}

QString DefDateFormat(bool fourDigitYear) {
    switch (GetDateOrder(DateLocale().shortDateFormat)) {
    case doMDY: return fourDigitYear ? QStringLiteral("MM/DD/YYYY") : QStringLiteral("MM/DD/YY");
    case doDMY: return fourDigitYear ? QStringLiteral("DD/MM/YYYY") : QStringLiteral("DD/MM/YY");
    case doYMD: return fourDigitYear ? QStringLiteral("YYYY/MM/DD") : QStringLiteral("YY/MM/DD");
    }
    return {};
}

QString DefDateMask(QChar blanksChar, bool fourDigitYear) {
    const bool yearFirst = GetDateOrder(DateLocale().shortDateFormat) == doYMD;
    QString mask;
    if (!fourDigitYear)
        mask = QStringLiteral("!99/99/99;1;");
    else
        mask = yearFirst ? QStringLiteral("!9999/99/99;1;") : QStringLiteral("!99/99/9999;1;");
    return mask + blanksChar;
}

QString FormatLongDate(TDateTime date) {
    const QDate day = DateTimeToQDateTime(date).date();
    QString text = QLocale::system().toString(day, DateLocale().longDateFormat);
    while (!text.isEmpty() && text.back().unicode() <= ' ')
        text.chop(1);
    return text;
}

QString FormatLongDateTime(TDateTime date) {
    if (date == NullDate)
        return {};
    const QTime time = DateTimeToQDateTime(date).time();
    return FormatLongDate(date) + QLatin1Char(' ') + QLocale::system().toString(time, DateLocale().longTimeFormat);
}

QString FormatDateFmt(const QString &dateFormat, TDateTime date) {
    const YMD d = Decode(date);
    const TDateLocale &locale = DateLocale();
    QString text;
    for (int i = 0; i < dateFormat.size();) {
        const QChar letter = dateFormat[i].toUpper();
        int run = 1;
        while (i + run < dateFormat.size() && dateFormat[i + run].toUpper() == letter)
            ++run;
        const auto number = [&](int value, int width) { text += QString::number(value).rightJustified(width, '0'); };
        if (letter == QLatin1Char('D'))
            number(d.day, std::min(run, 2));
        else if (letter == QLatin1Char('M') && run >= 4)
            text += locale.longMonthNames.value(d.month - 1);
        else if (letter == QLatin1Char('M') && run == 3)
            text += locale.shortMonthNames.value(d.month - 1);
        else if (letter == QLatin1Char('M'))
            number(d.month, run);
        else if (letter == QLatin1Char('Y') && run <= 2)
            number(d.year % 100, 2);
        else if (letter == QLatin1Char('Y'))
            number(d.year, 4);
        else if (letter == QLatin1Char('/'))
            text += QString(run, locale.dateSeparator);
        else
            text += dateFormat.mid(i, run);
        i += run;
    }
    return text;
}
