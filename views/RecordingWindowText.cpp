#include "views/RecordingWindowText.h"

#include "platform/DateTime.h"

QString RecordingTimeText(double dateTime) {
    return DateToText(dateTime) + QStringLiteral("  ") + TimeToText(dateTime);
}

namespace {

bool IsDigitPosition(int i) {
    const char c = DefaultRecordingTimeText[i];
    return c >= '0' && c <= '9';
}

// The tens digit at i is at most maxTens; with the tens at maxTens the units digit at i + 1 is at most
// maxUnitsThen.
void LimitPair(QString &text, int i, QChar maxTens, QChar maxUnitsThen) {
    if (text[i] > maxTens)
        text[i] = maxTens;
    if (text[i] == maxTens && text[i + 1] > maxUnitsThen)
        text[i + 1] = maxUnitsThen;
}

void NotZero(QString &text, int i, int length) {
    if (text.mid(i, length) == QString(length, QLatin1Char('0')))
        text[i + length - 1] = QLatin1Char('1');
}

} // namespace

QString RepairRecordingTimeText(const QString &text) {
    QString repaired = QString::fromLatin1(DefaultRecordingTimeText);
    for (int i = 0; i < RecordingTimeTextLength && i < text.size(); ++i)
        if (IsDigitPosition(i) && text[i].isDigit() && text[i].unicode() < 128)
            repaired[i] = text[i];
    LimitPair(repaired, 0, QLatin1Char('3'), QLatin1Char('1')); // day
    NotZero(repaired, 0, 2);
    if (repaired[3] >= QLatin1Char('2')) // month
        repaired[3] = QLatin1Char('1');
    LimitPair(repaired, 3, QLatin1Char('1'), QLatin1Char('2'));
    NotZero(repaired, 3, 2);
    NotZero(repaired, 6, 4);                                     // year
    LimitPair(repaired, 12, QLatin1Char('2'), QLatin1Char('3')); // hour
    LimitPair(repaired, 15, QLatin1Char('5'), QLatin1Char('9')); // minute
    LimitPair(repaired, 18, QLatin1Char('5'), QLatin1Char('9')); // second
    return repaired;
}

std::optional<double> ReadRecordingTimeText(const QString &text) {
    const QStringList parts = text.simplified().split(QLatin1Char(' '));
    if (parts.size() != 2)
        return std::nullopt;
    const std::optional<double> date = TextToDate(parts[0]);
    const std::optional<double> time = TextToTime(parts[1]);
    if (!date || !time)
        return std::nullopt;
    return *date + *time;
}
