#pragma once

#include <QString>
#include <QStringView>

// An axis label by the chart's value-format pattern ("###0.#####"). Blanks between the integer
// placeholders group the digits as the pattern shows them ("# ### ##0.#" gives "1 234 567.5" and "12.5");
// blanks never stand in front of the first digit.
QString FormatAxisLabel(double value, QStringView pattern);
