#pragma once

#include <QString>

#include <functional>

// File names stored inside configurations and scenarios are kept relative to a base folder and found
// again on load, in the stored place or in fallback folders, asking the user when that is ambiguous or
// when the file is gone. Both '/' and '\' separate folders: files written on the original platform
// carry backslashes.

// Absolute: a drive letter and ':', a leading '\' or a leading '/'. A relative path gets its folder put
// in front at every load, so a Linux path must count as absolute or it would grow at every round trip.
bool IsAbsolutePath(const QString &path);

// Removes the first occurrence of the base folder (compared without regard to case); an empty path or
// one without the folder is left alone.
void MakeRelativePath(QString &path, const QString &baseFolder);

// Puts the folder in front of a non-empty path that is not absolute.
void MakeAbsolutePath(QString &path, const QString &folder);

// The questions the lookups may ask. The main window registers them at start: the three-button box
// (answers 1, 2, or 0 for "Отмена") and the open dialog for a file or its replacement (empty when
// cancelled). Until it has, every question is answered as cancelled.
struct FilePathQuestions {
    std::function<int(const QString &caption, const QString &text)> ChooseFolder;
    std::function<QString(const QString &missingPath)> AskForFile;
};
void SetFilePathQuestions(FilePathQuestions questions);

// For files named inside a configuration: the path itself, else its file name in firstFolder, else in
// secondFolder; otherwise the user is asked for the file (false and an empty path on cancel). In batch
// mode the miss is logged and ends the batch with code -5. A file found is given with '/' separators.
bool LocateFile(QString &path, const QString &secondFolder, const QString &firstFolder);

// For files named inside a scenario: an absolute path as it stands; a relative one in folder 1 or folder
// 2, asking which when it lies in both and the folders differ (batch mode takes folder 1). On cancel the
// path stays as it was and the result is false; a miss is handled as by LocateFile.
bool ResolveFilePath(QString &path, const QString &folder2, const QString &folder1);
