#include "navigator/FileSystem.h"

#include "platform/Cp1251.h"
#include "navigator/NavMessages.h"
#include "platform/Clock.h"

#include <QTemporaryDir>

bool CancelAll = false;

QString NavigatorItem::Name() const {
    if (SubItems.isEmpty() || SubItems[0].isEmpty() || IsDir())
        return Caption;
    return Caption + "." + SubItems[0];
}

void NavigatorListing::Progress(const QString &name, int pos) {
    if (OnProgress)
        OnProgress(this, name, pos);
}

namespace {

const QTemporaryDir &PrivateFolder() {
    static const QTemporaryDir folder(QDir::tempPath() + "/r9-navigator-XXXXXX");
    return folder;
}

} // namespace

QString ExchangeFile() {
    return PrivateFolder().filePath("tmp000");
}

QString TransferFolder() {
    return PrivateFolder().path() + "/";
}

QString DriveOfPath(const QString &path) {
    if (path.startsWith("R9:", Qt::CaseInsensitive))
        return path.left(3);
    if (path.size() >= 2 && path[1] == ':')
        return path.left(2);
    if (path.startsWith("\\\\")) {
        const qsizetype server = path.indexOf('\\', 2);
        if (server < 0)
            return path;
        const qsizetype share = path.indexOf('\\', server + 1);
        return share < 0 ? path : path.left(share);
    }
    return QString();
}

TFileSystem::TFileSystem(NavigatorListing *view) : FView(view) {}

TFileSystem::~TFileSystem() {
    FView = nullptr;
}

void TFileSystem::SetCurrentPath(const QString &path) {
    FCurrentDir = path.endsWith('\\') ? path.left(path.size() - 1) : path;
}

void TFileSystem::ParentPath(const QString &path, QString &parent) {
    const qsizetype cut = path.lastIndexOf('\\');
    parent = cut < 0 ? path : path.left(cut);
}

void TFileSystem::TakeText(const QByteArray &bytes, QStringList &target) {
    FTextBuffer = bytes;
    FTextBuffer.replace('\0', '\x80');
    FTextBuffer.append('\0');
    QString text = FromCp1251(FTextBuffer.left(FTextBuffer.size() - 1));
    text.replace("\r\n", "\n");
    target = text.split('\n');
    // A final line end closes the last line; it opens no empty one.
    if (!target.isEmpty() && target.last().isEmpty())
        target.removeLast();
}

bool TFileSystem::TransferTree(const QString &src, const QString &dst, NavigatorListing *destView, std::int32_t isDir,
                               bool convert, std::int32_t tag, ConvertProc proc, QStringList *list) {
    TFileSystem *destination = destView ? destView->FileSystem() : nullptr;
    if (!destination)
        return false;
    const auto report = [this](const QString &text, int pos) {
        if (FView)
            FView->Progress(text, pos);
        PumpMessages();
    };
    if (isDir) {
        if (!destination->CreateDir(dst)) {
            NavError("Не могу создать каталог по " + dst + "\n\nДлина пути превышает 256 символов.");
            return false;
        }
        std::vector<Entry> entries;
        if (!ListEntries(src, entries))
            FTransferIncomplete = true;
        for (const Entry &entry : entries) {
            if (CancelAll) {
                FTransferIncomplete = true;
                break;
            }
            const bool ok = TransferTree(src + "\\" + entry.Name, dst + "\\" + entry.Name, destView, entry.IsDir ? 1 : 0,
                                         convert, tag, proc, list);
            if (!ok && !entry.IsDir)
                break;
        }
        return true;
    }
    destination->FStoreWritten = false;
    report("Чтение из " + src, 0);
    FFetched = false;
    FetchFile(src);
    report("Чтение из " + src, 100);
    // A file that cannot be read was named by FetchFile; the walk goes on with the next one.
    if (!FFetched) {
        FTransferIncomplete = true;
        return true;
    }
    bool store = true;
    if (convert) {
        report("Конвертация в " + dst, 0);
        store = proc && proc(tag, src, dst, list, destination);
        report("Конвертация в " + dst, 100);
    }
    // A conversion reports a store only when there is one; a copy reports its start in any case.
    if (!convert)
        report("Запись в " + dst, 0);
    if (store && !CancelAll) {
        if (convert && ReportsConvertedStoreStart())
            report("Запись в " + dst, 0);
        destination->StoreFile(dst);
        report("Запись в " + dst, 100);
        if (!destination->FStoreWritten)
            FTransferIncomplete = true;
    } else {
        FTransferIncomplete = true;
        QFile::remove(ExchangeFile());
    }
    return true;
}
