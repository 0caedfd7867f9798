#pragma once

#include <QByteArray>
#include <QString>

// Replaces the file with the given bytes through a temporary file in the same folder that is renamed over
// the old one, so a crash or a full disk never leaves half a file or no file. False (and the old file
// untouched, no temporary left behind) when the folder cannot be written.
bool WriteFileAtomically(const QString &path, const QByteArray &bytes);
