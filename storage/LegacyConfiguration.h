#pragma once

#include <QByteArray>
#include <QString>

class QBuffer;

// The legacy binary configuration (*.cfg without the INI marker section), written by older program
// versions and only read by this one: a 20-byte version text, a settings snapshot, then the layout
// block of the windows. LoadConfiguration reads the whole file into a memory stream and takes it through
// these steps in order; the stream is left at the layout block for ReadLegacyLayout.

// The versions this program reads: from the oldest convertible one up to its own.
bool LegacyVersionAccepted(const QByteArray &version);

// The refusal of a file of another version, naming the file, its version and the program's.
QString LegacyVersionMessage(const QString &fileName, const QByteArray &version);

// Reads the version text at the stream's start (a shorter stream reads as an empty text). A version the
// program does not read is refused with LegacyVersionMessage (in batch mode a log line that ends the
// batch with -5); false then, and nothing live changed.
bool ReadLegacyVersion(QBuffer &stream, const QString &fileName, QByteArray &version);

// Applies the snapshot that follows the version: as a configuration, or only its meter settings while
// playback runs. A damaged snapshot is reported like a refused version and changes nothing live.
bool ApplyLegacySnapshot(QBuffer &stream, const QString &fileName, const QByteArray &version);
