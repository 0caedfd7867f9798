#include "platform/ProgramDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

QString WithSlash(QString folder) {
    if (!folder.endsWith('/'))
        folder += '/';
    return folder;
}

QString ExecutablePath() {
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

} // namespace

QString ProgramDir() {
    const QByteArray overridden = qgetenv("R9_PROGRAM_DIR");
    if (!overridden.isEmpty())
        return WithSlash(QDir(QString::fromLocal8Bit(overridden)).absolutePath());
    if (QCoreApplication::instance())
        return WithSlash(QCoreApplication::applicationDirPath());
    return WithSlash(QFileInfo(ExecutablePath()).absolutePath());
}

QString ProgramFileName() {
    return QFileInfo(ExecutablePath()).fileName();
}
