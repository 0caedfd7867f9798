#pragma once

#include "controls/Dateutil.h"

#include <QString>
#include <QStringList>

#include <cstdint>

class QObject;
class QWidget;

// Paths, directories and file copies of the control library. Paths may be written with '/' or '\'; what
// these functions add is '/'. There are no drive letters or 8.3 names here: a name is its own long and
// short form.

// Attribute bits of HasAttr.
constexpr uint32_t faReadOnly = 0x01;
constexpr uint32_t faHidden = 0x02;
constexpr uint32_t faDirectory = 0x10;

QString NormalDir(const QString &path);
QString RemoveBackSlash(const QString &path);
bool DirExists(const QString &name);
void ForceDirectories(const QString &path);
bool ValidFileName(const QString &name);
QString ShortToLongFileName(const QString &name);
QString LongToShortFileName(const QString &name);
QString ShortToLongPath(const QString &path);
QString LongToShortPath(const QString &path);
QString GetTempDir();

// Copies through a temporary file in the destination's folder that takes the final name only when the
// copy is complete; the copy gets the source's modification time. A destination that is an existing
// directory receives the file under the source's name. Raises EFOpenError "Cannot open file %s",
// EFCreateError "Cannot create file %s", EReadError "Stream read error", EWriteError "Stream write error".
// `progress` is any registered progress control (Rxprgrss); sizes beyond its int32 range are scaled.
void CopyFile(const QString &source, const QString &destination, QObject *progress = nullptr);
// `shellDialog` asks for the desktop's own progress dialog, which this platform does not have: the copy
// is always the library's own.
void CopyFileEx(const QString &source, const QString &destination, bool overwriteReadOnly, bool shellDialog,
                QObject *progress = nullptr);
// Renames, or copies and deletes the source when a rename cannot. False, with nothing done, when the
// source does not exist; false too when the copy was made but the source could not be deleted. A failed
// copy raises its error.
bool MoveFile(const QString &source, const QString &destination);
bool MoveFileEx(const QString &source, const QString &destination, bool shellDialog);
int64_t GetFileSize(const QString &name);
TDateTime FileDateTime(const QString &name);
bool HasAttr(const QString &name, uint32_t attributes);
bool DeleteFiles(const QString &mask);
bool DeleteFilesEx(const QStringList &masks);
bool ClearDir(const QString &path, bool deleteDir);
// fcntl record locks: 0 on success, else the error number.
int FileLock(int handle, int64_t offset, int64_t size);
int FileUnlock(int handle, int64_t offset, int64_t size);
// The folder chooser; true with `folder` set when the user chose one.
bool BrowseDirectory(QString &folder, const QString &dialogText, int helpContext, QWidget *parent = nullptr);
