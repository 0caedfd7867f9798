#include "shell/ListComPorts.h"

#include "platform/NumberFormat.h"
#include "platform/SerialPort.h"
#include "platform/StringTable.h"

namespace {

QString EntryPrefix() {
    return LoadStr(25) + QLatin1Char(':');
}

} // namespace

QStringList ListComPorts() {
    QStringList entries;
    for (int port = 1; port <= MaxComPort; ++port) {
        SerialPort probe;
        if (probe.Open(port))
            entries << EntryPrefix() + QString::number(port);
    }
    return entries;
}

int ComPortOfEntry(const QString &entry) {
    if (!entry.startsWith(EntryPrefix()))
        return -1;
    return ParseInt(QStringView(entry).mid(EntryPrefix().size())).value_or(-1);
}
