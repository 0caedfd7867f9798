#include "navigator/Win_FS.h"

#include "navigator/NavMask.h"
#include "navigator/NavMessages.h"
#include "platform/Clock.h"
#include "platform/Cp1251.h"
#include "platform/DriveTable.h"
#include "platform/MessageService.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>

namespace {

QString TrashText(const QString &current) {
    return "Работа с корзиной для диска " + DriveOfPath(current) + " не предусмотрена.";
}

// Read-only files go too: the write permission is given back first.
bool RemoveFile(const QString &local) {
    QFile::setPermissions(local, QFile::permissions(local) | QFile::WriteOwner | QFile::ReadOwner);
    return QFile::remove(local);
}

} // namespace

QString ListingTime(const QDateTime &modified) {
    static const QDateTime floor(QDate(1985, 1, 1), QTime(0, 0));
    const QDateTime shown = !modified.isValid() || modified < floor ? floor : modified;
    return shown.toString("dd.MM.yy hh:mm");
}

int AskOverwrite(const QString &path) {
    return ShowMessage({"Файл " + path +
                            " уже существует!\n\nКнопка \"Да\"  - перезаписать\n\nКнопка \"Нет\" - не перезаписывать\n\n"
                            "Кнопка \"Отмена\" - отменить все действия.\n",
                        "Предупреждение!", MsgIcon::Warning, MsgButtons::YesNoCancel});
}

void TWin_FS::ParentPath(const QString &, QString &) {}

bool TWin_FS::ListInto(const QString &path) {
    const QString local = LocalPathOf(path);
    const QDir dir(local);
    if (local.isEmpty() || !dir.exists() || !dir.isReadable())
        return false;
    // A drive's root ("C:") has no ".." entry; every folder below it has.
    QFileInfoList infos = dir.entryInfoList(QDir::AllEntries | QDir::NoDot | QDir::Hidden | QDir::System,
                                             QDir::Name | QDir::DirsFirst);
    const bool root = !path.contains('\\');
    for (const QFileInfo &info : infos) {
        const QString name = info.fileName();
        if (name == ".." && root)
            continue;
        NavigatorItem item;
        if (info.isDir()) {
            item.Caption = name;
            QString target;
            if (name == "..") {
                item.ImageIndex = 4;
                TFileSystem::ParentPath(path, target);
            } else {
                item.ImageIndex = 3;
                target = path + "\\" + name;
            }
            item.SubItems << "<DIR>" << QString() << ListingTime(info.lastModified()) << target;
        } else {
            QString ext;
            ListingColumns(name, item.Caption, ext);
            item.ImageIndex = 2;
            item.SubItems << ext << QString::number(info.size()) << ListingTime(info.lastModified()) << QString();
        }
        FView->Items.push_back(item);
    }
    return true;
}

void TWin_FS::ReadDir(const QString &path) {
    FView->Items.clear();
    if (!ListInto(path)) {
        SetListValid(false);
        const qsizetype cut = std::max(path.lastIndexOf('\\'), path.lastIndexOf(':'));
        NavError("Устройство по " + path.left(cut + 1) + " недоступно!");
        FConnected = false;
        return;
    }
    PumpMessages();
    SetListValid(true);
    SetCurrentPath(path);
    FConnected = true;
}

bool TWin_FS::ListEntries(const QString &dir, std::vector<Entry> &entries) {
    const QString local = LocalPathOf(dir);
    if (local.isEmpty() || !QFileInfo(local).isDir())
        return false;
    for (const QFileInfo &info :
         QDir(local).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name))
        entries.push_back({info.fileName(), info.isDir()});
    return true;
}

bool TWin_FS::CreateDir(const QString &path) {
    const QString local = LocalPathOf(path);
    return !local.isEmpty() && QDir().mkdir(local);
}

bool TWin_FS::Delete(const QString &path, std::int32_t isDir) {
    if (isDir) {
        std::vector<Entry> entries;
        ListEntries(path, entries);
        for (const Entry &entry : entries) {
            if (CancelAll)
                break;
            if (!Delete(path + "\\" + entry.Name, entry.IsDir ? 1 : 0) && !entry.IsDir)
                break;
        }
        if (!RemoveEntry(path, true))
            NavNote("Не могу удалить каталог " + path);
        return true;
    }
    if (FView)
        FView->Progress("Удаление " + path, 0);
    PumpMessages();
    if (!RemoveEntry(path, false)) {
        NavNote("Не могу удалить файл " + path + " Err=" + QString::number(errno));
        return false;
    }
    if (FView)
        FView->Progress("Удаление " + path, 100);
    PumpMessages();
    return true;
}

void TWin_FS::LoadText(const QString &path, QStringList &target) {
    QByteArray bytes;
    if (!ReadBytes(path, bytes)) {
        NavNote("Не открыт " + path);
        return;
    }
    TakeText(bytes, target);
}

void TWin_FS::SaveText(const QString &path, const QStringList &source) {
    QString text;
    for (const QString &line : source)
        text += line + "\n";
    if (!WriteBytes(path, ToCp1251(text)))
        NavNote("Не создан " + path);
}

void TWin_FS::CreateEmptyFile(const QString &path) {
    const QString full = CurrentPath() + "\\" + path.mid(path.lastIndexOf('\\') + 1);
    if (EntryExists(full) || !WriteBytes(full, QByteArray()))
        NavError("Не могу создать файл по " + full + "\n\nВозможно длина пути превышает 256 символов.");
}

void TWin_FS::FetchFile(const QString &path) {
    const QString exchange = ExchangeFile();
    if (QFileInfo::exists(exchange))
        RemoveFile(exchange);
    FFetched = CopyToLocal(path, exchange);
    if (!FFetched)
        NavNote("Не могу прочитать файл " + path);
}

void TWin_FS::StoreFile(const QString &path) {
    int answer = IdYes;
    if (EntryExists(path))
        answer = AskOverwrite(path);
    FStoreWritten = false;
    if (answer == IdYes) {
        FStoreWritten = CopyFromLocal(ExchangeFile(), path);
        if (!FStoreWritten)
            NavNote("Не могу записать файл " + path);
    }
    RemoveFile(ExchangeFile());
    if (answer == IdCancel)
        CancelAll = true;
}

bool TWin_FS::CopyTo(const QString &src, const QString &dst, NavigatorListing *destView, std::int32_t isDir) {
    return TransferTree(src, dst, destView, isDir, false, 0, nullptr, nullptr);
}

bool TWin_FS::ConvertTo(const QString &src, const QString &dst, NavigatorListing *destView, std::int32_t tag,
                        std::int32_t isDir, ConvertProc proc, QStringList *list) {
    return TransferTree(src, dst, destView, isDir, true, tag, proc, list);
}

bool TWin_FS::Rename(const QString &oldPath, const QString &newPath) {
    if (FView)
        FView->Progress("Переименование/Перемещение " + oldPath, 0);
    PumpMessages();
    const bool ok = !EntryExists(newPath) && RenameEntry(oldPath, newPath);
    if (!ok)
        NavError("Не могу переименовать " + oldPath + " в " + newPath);
    if (FView)
        FView->Progress("Переименование/Перемещение " + oldPath, 100);
    return ok;
}

bool TWin_FS::EntryExists(const QString &path) {
    const QString local = LocalPathOf(path);
    return !local.isEmpty() && QFileInfo::exists(local);
}

bool TWin_FS::RemoveEntry(const QString &path, bool isDir) {
    const QString local = LocalPathOf(path);
    return !local.isEmpty() && (isDir ? QDir().rmdir(local) : RemoveFile(local));
}

bool TWin_FS::RenameEntry(const QString &from, const QString &to) {
    const QString source = LocalPathOf(from);
    const QString target = LocalPathOf(to);
    return !source.isEmpty() && !target.isEmpty() && QDir().rename(source, target);
}

bool TWin_FS::CopyToLocal(const QString &path, const QString &local) {
    const QString source = LocalPathOf(path);
    return !source.isEmpty() && QFile::copy(source, local);
}

// The copy is written beside the destination and renamed over it: a copy that fails leaves the file
// that was there, never neither of the two.
bool TWin_FS::CopyFromLocal(const QString &local, const QString &path) {
    const QString target = LocalPathOf(path);
    if (target.isEmpty())
        return false;
    QFile source(local);
    QTemporaryFile copy(target + ".XXXXXX");
    if (!source.open(QIODevice::ReadOnly) || !copy.open())
        return false;
    while (!source.atEnd()) {
        const QByteArray block = source.read(1 << 20);
        if (source.error() != QFileDevice::NoError || copy.write(block) != block.size())
            return false;
    }
    if (!copy.flush() || !copy.setPermissions(source.permissions()))
        return false;
    copy.close();
    if (::rename(QFile::encodeName(copy.fileName()).constData(), QFile::encodeName(target).constData()) != 0)
        return false;
    copy.setAutoRemove(false);
    return true;
}

bool TWin_FS::ReadBytes(const QString &path, QByteArray &bytes) {
    QFile file(LocalPathOf(path));
    if (LocalPathOf(path).isEmpty() || !file.open(QIODevice::ReadOnly))
        return false;
    bytes = file.readAll();
    return file.error() == QFileDevice::NoError;
}

// A read-only file is replaced too, as the text saves always did.
bool TWin_FS::WriteBytes(const QString &path, const QByteArray &bytes) {
    const QString local = LocalPathOf(path);
    if (local.isEmpty())
        return false;
    if (QFileInfo::exists(local))
        RemoveFile(local);
    QFile file(local);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

void TWin_FS::EmptyTrash() {
    TrashCount();
}

std::int32_t TWin_FS::TrashCount() {
    NavError(TrashText(CurrentPath()));
    return -1;
}

bool TWin_FS::Search(const QString &dir, const QString &mask, SearchResults &results, bool inTrash) {
    if (inTrash) {
        NavError(TrashText(CurrentPath()));
        return false;
    }
    QString nameMask, extMask;
    SplitMask(mask, nameMask, extMask);
    PumpMessages();
    std::vector<Entry> entries;
    ListEntries(dir, entries);
    for (const Entry &entry : entries) {
        if (CancelAll)
            break;
        if (NameMatches(nameMask, extMask, entry.Name))
            results << (entry.IsDir ? "<DIR> " : "") + dir + "\\" + entry.Name;
        if (entry.IsDir)
            Search(dir + "\\" + entry.Name, mask, results, false);
    }
    return true;
}

// The drive of the current directory is asked directly; the process's working directory stays.
DiskSpaceInfo TWin_FS::GetDiskSpace() {
    const QStorageInfo storage(LocalPathOf(CurrentPath()));
    FDiskSpace.TotalBytes = storage.isValid() ? storage.bytesTotal() : 0;
    FDiskSpace.FreeBytes = storage.isValid() ? storage.bytesAvailable() : 0;
    FDiskSpace.TrashBytes = -1;
    FDiskSpace.UsedBytes = FDiskSpace.TotalBytes - FDiskSpace.FreeBytes;
    return FDiskSpace;
}
