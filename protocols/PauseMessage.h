#pragma once

#include "protocols/ScenarClass.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// A row's pause message and the commands it carries for the device on the technological port.

// The message's lines: PauseMessage holds each line followed by " \n ".
QStringList PauseMessageLines(const ScenarioRow &row);
// The lines, each followed by " \n ", into PauseMessage (cut to the field).
void SetPauseMessage(ScenarioRow &row, const QStringList &lines);

// The pieces of the lines enclosed in "@", upper-cased, in order, each as "@" followed by its text (the
// lines are joined without separators first, so a piece may span lines). An "@" that is never closed
// ends the search.
QStringList ExtractCommands(const QStringList &lines);

// A command as it goes over the port: its windows-1251 bytes, then two check bytes from the XOR of all of
// them, the high four bits first and the low four bits second.
QByteArray CommandFrame(const QString &command);
