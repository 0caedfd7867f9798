#include "protocols/BatchLog.h"

#include "platform/Cp1251.h"
#include "platform/ProgramDir.h"

#include <QFile>

QString BatchLogPath() {
    return ProgramDir() + QStringLiteral("R9_307.msg");
}

QByteArray BatchLogLine(int source, const QString &text, TDateTime moment) {
    QString line = source == 1 ? QStringLiteral("R9_307.mng: ") : QStringLiteral("R9_307.exe: ");
    int hour = 0, minute = 0, second = 0, msec = 0;
    DecodeTime(moment, hour, minute, second, msec);
    line += (hour == 0 && minute == 0 && second == 0 && msec == 0) ? DateToText(moment) : DateTimeToText(moment);
    line += ' ';
    line += QString(text).remove('\n').remove('\r');
    line += QStringLiteral(" \r\n");
    return ToCp1251(line);
}

void AppendBatchLog(int source, const QString &text) {
    QFile log(BatchLogPath());
    if (log.open(QIODevice::WriteOnly | QIODevice::Append))
        log.write(BatchLogLine(source, text, Now()));
}
