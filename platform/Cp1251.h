#pragma once

#include <QByteArray>
#include <QString>

// Stored text (R9.ini, configurations, scenarios, masks, protocols, logs) is windows-1251, so that
// files move between this program and the analyser's other tools. Inside the program text is QString;
// these two calls are the only crossing of that boundary.
QString FromCp1251(const QByteArray &bytes);
QByteArray ToCp1251(const QString &text);
// Whether windows-1251 has the character (every other one is written as '?').
bool EncodableInCp1251(QChar c);
