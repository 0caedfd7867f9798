#pragma once

#include <QStringList>

// The COM ports that open now, exclusively, for reading and writing: "Порт:<n>" for each, n from 1 to 64.
// Each port is closed again at once.
QStringList ListComPorts();

// The port number of such an entry, -1 for an entry that names none.
int ComPortOfEntry(const QString &entry);
