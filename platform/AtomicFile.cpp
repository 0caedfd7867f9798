#include "platform/AtomicFile.h"

#include <QSaveFile>

bool WriteFileAtomically(const QString &path, const QByteArray &bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // An uncommitted QSaveFile discards its temporary file when it goes out of scope.
    if (file.write(bytes) != bytes.size())
        return false;
    return file.commit();
}
