#include "chart/AxisLabelFormat.h"

#include "chartlib/Chartlib.h"
#include "platform/DateTime.h"

#include <vector>

QString FormatAxisLabel(double value, QStringView pattern) {
    if (IsTimeOfDayFormat(pattern)) {
        QString qtPattern = pattern.toString();
        return DateTimeToQDateTime(value).toString(qtPattern.replace(QStringLiteral("nn"), QStringLiteral("mm")));
    }
    const QString text = FormatPicture(value, pattern);
    const qsizetype point = pattern.indexOf(QLatin1Char('.'));
    const QStringView integerPattern = point < 0 ? pattern : pattern.left(point);

    // For every blank of the integer pattern: how many digit placeholders stand right of it.
    std::vector<qsizetype> groups;
    qsizetype placeholders = 0;
    for (qsizetype i = integerPattern.size(); i-- > 0;) {
        const QChar c = integerPattern[i];
        if (c == QLatin1Char('0') || c == QLatin1Char('#'))
            ++placeholders;
        else if (c == QLatin1Char(' ') && placeholders > 0)
            groups.push_back(placeholders);
    }
    if (groups.empty())
        return text;

    const qsizetype digitsStart = text.startsWith(QLatin1Char('-')) ? 1 : 0;
    qsizetype digitsEnd = digitsStart;
    while (digitsEnd < text.size() && text[digitsEnd].isDigit())
        ++digitsEnd;
    const qsizetype digitCount = digitsEnd - digitsStart;

    QString result = text;
    // groups ascend, so each blank goes left of the ones already placed and leaves their positions alone
    for (const qsizetype group : groups)
        if (group < digitCount)
            result.insert(digitsEnd - group, QLatin1Char(' '));
    return result;
}

bool IsTimeOfDayFormat(QStringView pattern) {
    return pattern.contains(QStringLiteral("hh"));
}
