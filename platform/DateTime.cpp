#include "platform/DateTime.h"

#include <QDate>
#include <QRegularExpression>
#include <QTime>

#include <atomic>
#include <cmath>
#include <stdexcept>

namespace {

constexpr qint64 kMsecsPerDay = 86400000;
constexpr qint64 kJulianDayOfZero = 2415019; // 30.12.1899
// 01.01.0001 and the day after 31.12.9999.
constexpr double kFirstDay = -693593;
constexpr double kEndDay = 2958466;

// The calendar day and the milliseconds into it; a time rounding up to 24:00 belongs to the next day.
struct DayAndTime {
    qint64 day;
    qint64 msecs;
};

DayAndTime Split(TDateTime value) {
    // A damaged stamp (not a number, or no year from 1 to 9999) reads as the zero date.
    if (!(value > kFirstDay - 1 && value < kEndDay))
        value = 0;
    const double whole = std::trunc(value);
    DayAndTime split{static_cast<qint64>(whole), std::llround(std::fabs(value - whole) * kMsecsPerDay)};
    if (split.msecs >= kMsecsPerDay) {
        split.msecs -= kMsecsPerDay;
        split.day += 1;
    }
    return split;
}

TDateTime Join(qint64 day, qint64 msecs) {
    const double fraction = static_cast<double>(msecs) / kMsecsPerDay;
    return day >= 0 ? day + fraction : day - fraction;
}

QDate DateOf(TDateTime value) {
    return QDate::fromJulianDay(kJulianDayOfZero + Split(value).day);
}

std::atomic<const FixedNow *> fixedNow{nullptr};

} // namespace

TDateTime Now() {
    if (const FixedNow *fixed = fixedNow.load())
        return fixed->value_;
    return QDateTimeToDateTime(QDateTime::currentDateTime());
}

FixedNow::FixedNow(TDateTime value) : value_(value), previous_(fixedNow.exchange(this)) {}

FixedNow::~FixedNow() {
    fixedNow.store(previous_);
}

TDateTime QDateTimeToDateTime(const QDateTime &dateTime) {
    if (!dateTime.isValid())
        return 0;
    const QDateTime local = dateTime.toLocalTime();
    return Join(local.date().toJulianDay() - kJulianDayOfZero, local.time().msecsSinceStartOfDay());
}

QDateTime DateTimeToQDateTime(TDateTime value) {
    const DayAndTime split = Split(value);
    return QDateTime(QDate::fromJulianDay(kJulianDayOfZero + split.day),
                     QTime::fromMSecsSinceStartOfDay(static_cast<int>(split.msecs)));
}

bool TryEncodeDate(int year, int month, int day, TDateTime &value) {
    if (year < 1 || year > 9999 || !QDate::isValid(year, month, day))
        return false;
    value = static_cast<double>(QDate(year, month, day).toJulianDay() - kJulianDayOfZero);
    return true;
}

bool TryEncodeTime(int hour, int minute, int second, int msec, TDateTime &value) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || msec < 0 || msec > 999)
        return false;
    value = static_cast<double>(((hour * 60 + minute) * 60 + second) * 1000 + msec) / kMsecsPerDay;
    return true;
}

TDateTime EncodeDate(int year, int month, int day) {
    TDateTime value = 0;
    if (!TryEncodeDate(year, month, day, value))
        throw std::invalid_argument("Invalid argument to date encode");
    return value;
}

TDateTime EncodeTime(int hour, int minute, int second, int msec) {
    TDateTime value = 0;
    if (!TryEncodeTime(hour, minute, second, msec, value))
        throw std::invalid_argument("Invalid argument to time encode");
    return value;
}

void DecodeDate(TDateTime value, int &year, int &month, int &day) {
    DateOf(value).getDate(&year, &month, &day);
}

void DecodeTime(TDateTime value, int &hour, int &minute, int &second, int &msec) {
    const QTime time = QTime::fromMSecsSinceStartOfDay(static_cast<int>(Split(value).msecs));
    hour = time.hour();
    minute = time.minute();
    second = time.second();
    msec = time.msec();
}

QString DateToText(TDateTime value) {
    int year = 0, month = 0, day = 0;
    DecodeDate(value, year, month, day);
    return QString::asprintf("%02d.%02d.%04d", day, month, year);
}

QString TimeToText(TDateTime value) {
    int hour = 0, minute = 0, second = 0, msec = 0;
    DecodeTime(value, hour, minute, second, msec);
    return QString::asprintf("%02d:%02d:%02d", hour, minute, second);
}

QString DateTimeToText(TDateTime value) {
    return DateToText(value) + QLatin1Char(' ') + TimeToText(value);
}

std::optional<TDateTime> TextToDate(const QString &text) {
    static const QRegularExpression pattern(QStringLiteral("^([0-9]{1,2})\\.([0-9]{1,2})\\.([0-9]{4})$"));
    const QRegularExpressionMatch match = pattern.match(text.trimmed());
    TDateTime value = 0;
    if (!match.hasMatch() ||
        !TryEncodeDate(match.captured(3).toInt(), match.captured(2).toInt(), match.captured(1).toInt(), value))
        return std::nullopt;
    return value;
}

std::optional<TDateTime> TextToTime(const QString &text) {
    static const QRegularExpression pattern(QStringLiteral("^([0-9]{1,2}):([0-9]{2})(?::([0-9]{2}))?$"));
    const QRegularExpressionMatch match = pattern.match(text.trimmed());
    TDateTime value = 0;
    if (!match.hasMatch() ||
        !TryEncodeTime(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt(), 0, value))
        return std::nullopt;
    return value;
}
