#pragma once

#include "platform/DateTime.h"

#include <QString>

// The log of batch control, R9_307.msg in the program folder: while a batch run is controlled, every
// message that would open a box becomes one line here.

// Source 1 marks lines about the command mailbox ("R9_307.mng: "), any other the program ("R9_307.exe: ").
void AppendBatchLog(int source, const QString &text);

// The line for a text at a moment: prefix, date and time (the time left out at exactly midnight), a
// blank and the text without line breaks; ends with a blank before the line break.
QByteArray BatchLogLine(int source, const QString &text, TDateTime moment);

QString BatchLogPath();
