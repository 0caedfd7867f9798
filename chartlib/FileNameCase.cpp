#include "chartlib/FileNameCase.h"

#include <QDir>
#include <QFileInfo>

QString FindFileIgnoringCase(const QString &path) {
    const QFileInfo info(path);
    if (info.isFile())
        return path;
    const QString name = info.fileName();
    if (name.isEmpty())
        return {};
    const QDir folder = info.dir();
    for (const QString &entry : folder.entryList(QDir::Files | QDir::Hidden, QDir::Name))
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return folder.filePath(entry);
    return {};
}
