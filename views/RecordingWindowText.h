#pragma once

#include <QString>

#include <optional>

// The text of a recording window's start or end time in the program settings dialog:
// "dd.mm.yyyy  hh:mm:ss", two blanks between date and time, 20 characters.
inline constexpr int RecordingTimeTextLength = 20;
inline constexpr const char *DefaultRecordingTimeText = "01.01.2002  00:00:00";

QString RecordingTimeText(double dateTime);

// The repair applied while the user types: positions that hold no digit take the default's digit, the
// separators are put back, and day, month, hour, minute and second are pulled into their ranges digit
// by digit ("39" days become "31", "13" months "12", "24" hours "23", "60" minutes "50"). A 31st of a
// short month stays: only the reading on OK can tell it.
QString RepairRecordingTimeText(const QString &text);

// The date and time of a text in that form; nothing for a day that does not exist or a damaged text.
std::optional<double> ReadRecordingTimeText(const QString &text);
