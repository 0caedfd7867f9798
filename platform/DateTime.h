#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

// Days since 30.12.1899 00:00 local time; the fraction is the time of day. Stored as a plain double in
// files, recordings and records. Before that day the whole part counts days back and the fraction still
// counts forward from midnight (-1.25 is 29.12.1899 06:00).
using TDateTime = double;

TDateTime Now();
// Tests fix the calendar: while one lives, Now() answers its value (the previous one comes back after).
class FixedNow {
public:
    explicit FixedNow(TDateTime value);
    ~FixedNow();
    FixedNow(const FixedNow &) = delete;
    FixedNow &operator=(const FixedNow &) = delete;

private:
    TDateTime value_;
    const FixedNow *previous_;
    friend TDateTime Now();
};
TDateTime QDateTimeToDateTime(const QDateTime &dateTime);
QDateTime DateTimeToQDateTime(TDateTime value);

// False (and `value` untouched) for a day that does not exist or a year outside 1..9999.
bool TryEncodeDate(int year, int month, int day, TDateTime &value);
// False for hour > 23, minute or second > 59, or msec > 999.
bool TryEncodeTime(int hour, int minute, int second, int msec, TDateTime &value);
// The same, throwing std::invalid_argument for values that name no date or time.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int msec);
void DecodeDate(TDateTime value, int &year, int &month, int &day);
// Rounded to the nearest millisecond; a time that rounds up to midnight is 00:00:00.000.
void DecodeTime(TDateTime value, int &hour, int &minute, int &second, int &msec);

QString DateToText(TDateTime value);     // "dd.mm.yyyy"
QString TimeToText(TDateTime value);     // "hh:mm:ss"
QString DateTimeToText(TDateTime value); // "dd.mm.yyyy hh:mm:ss"
// "d.m.yyyy" with one or two digits for day and month; "h:mm" or "h:mm:ss". Nothing for other text.
std::optional<TDateTime> TextToDate(const QString &text);
std::optional<TDateTime> TextToTime(const QString &text);
