#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// Numbers in files and on the wire always use '.', whatever the user's locale says.

// Called once after the QApplication exists (which takes the process locale from the environment):
// C numeric locale for the C library and the C locale as Qt's default.
void InitNumberFormat();

// Blanks around the number are ignored; anything else that is not part of the number makes it invalid.
// Integers: decimal with an optional sign, or hexadecimal after "0x", "0X" or "$" (up to 32 bits, taken as
// the int32 with those bits, so "$FFFFFFFF" is -1).
std::optional<int> ParseInt(QStringView text);
std::optional<double> ParseDouble(QStringView text);
int TextToInt(QStringView text, int def);
double TextToDouble(QStringView text, double def);

// The shortest text that reads back as exactly the same double ("0.1", "1e+20", "-0").
QString DoubleToText(double value);
// The shortest text that reads back as exactly the same float ("150.3" for the float nearest 150.3), for
// values held in single precision.
QString FloatToText(float value);
// Fixed notation with the given number of decimals (0 to 30), rounded to nearest.
QString DoubleToText(double value, int decimals);
