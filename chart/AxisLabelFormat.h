#pragma once

#include <QString>
#include <QStringView>

// An axis label by the chart's value-format pattern ("###0.#####"). Blanks between the integer
// placeholders group the digits as the pattern shows them ("# ### ##0.#" gives "1 234 567.5" and "12.5");
// blanks never stand in front of the first digit. A pattern with hours ("hh:nn:ss", minutes as "nn") shows
// the value as a time of day (a TDateTime, local time).
QString FormatAxisLabel(double value, QStringView pattern);

// Whether a value-format pattern shows a time of day.
bool IsTimeOfDayFormat(QStringView pattern);
