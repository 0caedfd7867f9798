#include "storage/FilePaths.h"

#include "platform/MessageService.h"
#include "platform/StringTable.h"

#include <QDir>
#include <QFileInfo>

#include <utility>

namespace {

FilePathQuestions pathQuestions;

QString FolderJoin(const QString &folder, const QString &name) {
    if (folder.isEmpty() || folder.endsWith(u'/') || folder.endsWith(u'\\'))
        return folder + name;
    return folder + u'/' + name;
}

// Stored paths may carry backslashes; the file system here only knows '/'.
QString NativeName(const QString &path) {
    return QDir::fromNativeSeparators(QString(path).replace(u'\\', u'/'));
}

bool FileExists(const QString &path) {
    const QFileInfo info(NativeName(path));
    return info.exists() && info.isFile();
}

QString FileNameOf(const QString &path) {
    return QFileInfo(NativeName(path)).fileName();
}

QString FolderOf(const QString &path) {
    return QFileInfo(NativeName(path)).path();
}

QString SameFolderKey(const QString &folder) {
    QString key = NativeName(folder);
    while (key.endsWith(u'/') && key.size() > 1)
        key.chop(1);
    return key.toUpper();
}

// The miss of every lookup: a log line that ends the batch, or the user's choice of a file. Returns the
// chosen file, empty when there is none.
QString ReportMissingFile(const QString &path) {
    const QString missing = LoadStr(279) + QStringLiteral(" '") + path + QStringLiteral("' ") + LoadStr(280);
    if (BatchMessagesDiverted()) {
        ShowMessage({missing, LoadStr(5), MsgIcon::Error, MsgButtons::Ok, BatchCloseCode, 0});
        return {};
    }
    ShowMessage({missing + QStringLiteral("\nУкажите путь к файлу или его замену!"), LoadStr(5), MsgIcon::Error,
                 MsgButtons::Ok});
    return pathQuestions.AskForFile ? pathQuestions.AskForFile(path) : QString();
}

int AskWhichFolder(const QString &path, const QString &a, const QString &b) {
    const QString text = LoadStr(279) + QStringLiteral(" '") + path + QStringLiteral("' ") +
                         QStringLiteral("найден в каталогах: \n\n") + QStringLiteral("    №1.  ") + FolderOf(a) +
                         QStringLiteral(" \n") + QStringLiteral("    №2.  ") + FolderOf(b) + QStringLiteral(" \n\n") +
                         QStringLiteral("    - для загрузки файла из каталога №1 нажмите кнопку 1,\n") +
                         QStringLiteral("    - для загрузки файла из каталога №2 нажмите кнопку 2,\n") +
                         QStringLiteral("    - для отмены загрузки данного файла нажмите кнопку 'Отмена'.\n");
    return pathQuestions.ChooseFolder ? pathQuestions.ChooseFolder(QStringLiteral("Внимание!"), text) : 0;
}

} // namespace

bool IsAbsolutePath(const QString &path) {
    if (path.startsWith(u'\\') || path.startsWith(u'/'))
        return true;
    return path.size() >= 2 && path[0].isLetter() && path[1] == u':';
}

void MakeRelativePath(QString &path, const QString &baseFolder) {
    if (path.isEmpty() || baseFolder.isEmpty())
        return;
    const qsizetype at = path.indexOf(baseFolder, 0, Qt::CaseInsensitive);
    if (at >= 0)
        path.remove(at, baseFolder.size());
}

void MakeAbsolutePath(QString &path, const QString &folder) {
    if (!path.isEmpty() && !IsAbsolutePath(path))
        path = FolderJoin(folder, path);
}

void SetFilePathQuestions(FilePathQuestions questions) {
    pathQuestions = std::move(questions);
}

bool LocateFile(QString &path, const QString &secondFolder, const QString &firstFolder) {
    while (!path.isEmpty()) {
        // The path found is given as this file system names it, so that whoever opens it finds it too.
        if (FileExists(path)) {
            path = NativeName(path);
            return true;
        }
        const QString name = FileNameOf(path);
        for (const QString &folder : {firstFolder, secondFolder}) {
            const QString candidate = FolderJoin(folder, name);
            if (!name.isEmpty() && FileExists(candidate)) {
                path = NativeName(candidate);
                return true;
            }
        }
        path = ReportMissingFile(path);
    }
    return false;
}

bool ResolveFilePath(QString &path, const QString &folder2, const QString &folder1) {
    QString current = path;
    while (!current.isEmpty()) {
        if (!IsAbsolutePath(current)) {
            const QString a = FolderJoin(folder1, current);
            const QString b = FolderJoin(folder2, current);
            const bool inA = FileExists(a);
            const bool inB = FileExists(b);
            if (inA && inB && SameFolderKey(folder1) != SameFolderKey(folder2) && !BatchMessagesDiverted()) {
                const int choice = AskWhichFolder(current, a, b);
                if (choice != 1 && choice != 2)
                    return false;
                path = choice == 1 ? a : b;
                return true;
            }
            if (inA || inB) {
                path = inA ? a : b;
                return true;
            }
        } else if (FileExists(current)) {
            path = current;
            return true;
        }
        current = ReportMissingFile(current);
    }
    return false;
}
