#include "navigator/LCD_FS.h"

#include "navigator/NavMask.h"
#include "navigator/NavMessages.h"
#include "navigator/Win_FS.h"
#include "platform/Clock.h"
#include "platform/MessageService.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr std::uint32_t ReplyPollMs = 20;

struct CodeText {
    std::int32_t code;
    bool pathFirst; // the path stands before the text
    const char *text;
};

// The server's result codes (0 success; 127 the normal end of a search).
constexpr CodeText ServerTexts[] = {
    {0, false, ""},
    {90, false, "Недопустимый номер версии файловой системы \nили файловая система отсутствует (новая микросхема памяти)."},
    {91, false, "Недостаточный размер flash-диска."},
    {92, false, "Недопустимый размер записи содержащей\nтаблицу имен файлов и директорий (FTB)."},
    {93, false, "Недопустимый размер таблицы распределения\nсекторов данных по файлам (FAT)"},
    {94, false, "Ошибка чтения таблицы имен файлов и директорий (FTB)."},
    {95, false, "Отсутствует метка тома"},
    {96, false, "Недопустимое имя корневого каталога"},
    {100, false, "Активация файловой системы не выполнена."},
    {101, false, "Цепочка файловых операций прервана по команде ПК."},
    {102, true, "\nЗадан неправильный путь"},
    {103, true, "\nНедопустимое имя при попытке создания файла или каталога.\nИмя содержит недопустимые символы, либо его "
                "длина превышает\n47 символов (для файлов длина учитывает расширение)."},
    {104, false, "Недопустимый указатель файла\n\nНапример: файл ранее был закрыт."},
    {105, false, "Задан неверный путь.\n Каталог не найден."},
    {106, false, "Задан неверный путь.\n Файл не найден."},
    {107, false, "Задан неверный путь.\n Каталог либо файл не найден."},
    {108, true, "\nКаталог уже существует."},
    {109, true, "\nФайл уже существует."},
    {110, true, "\nФайл или каталог с таким именем уже существует."},
    {111, true, "\nНельзя переместить каталог в собственный подкаталог"},
    {112, true, "\nФайл открыт (занят другим процессом)"},
    {113, false, "Нет места для записи в таблице имен файлов и каталогов\nНеобходимо очистить корзину,\nесли не помогает - "
                 "число файлов достигло максимально-возможного,\nнужно удалить неиспользуемые и снова очистить корзину."},
    {114, false, "Попытка пользователя изменить защищенные служебные записи\nв таблице имен файлов и каталогов (FTB)."},
    {115, false, "Неудачная попытка записи на полный диск."},
    {116, false, "На диске недостаточно места для записи"},
    {117, false, "Запрещенная попытка удалить или переименовать корневой каталог."},
    {118, true, "\nКаталог не пустой"},
    {119, false, "Неправильная последовательность секторов данных в файле.\nНеобходимо отформатировать flash-диск."},
    {120, false, "Недопустимый номер сектора данных в файле.\nНеобходимо отформатировать flash-диск."},
    {121, false, "Попытка позиционирования за пределы файла."},
    {122, false, "Недопустимый код режима доступа к файлу при открытии."},
    {123, true, "\nФайл открыт только для чтения."},
    {124, true, "\nНедопустимое позиционирование в файле."},
    {125, true, "\nФайл открыт только для записи."},
    {126, false, "Ошибка в процедуре поиска."},
    {127, false, "Поиск успешно завершен."},
};

const char *const OpenTexts[] = {
    "",
    "COM-порт недоступен или отсутствует в системе ",
    "Системная ошибка ",
    "Устройство отключено от ПК (DSR=0) ",
    "Процессор устройства не работает (CTS=0) ",
    "Не создан файл протокола отладки ",
    "Ошибка записи в порт при загрузке ",
    "Ошибка чтения порта при загрузке ",
    " Unknown Error ",
    "Недопустимая версия встроенного ПО ",
    "Устройство отвечает неправильно",
    "Устройство не отвечает ",
};

std::int32_t LocalAttributes(const QString &local) {
    return QFileInfo(local).isWritable() ? 0x20 : 0x21;
}

// 0 when the file went, else the system's error code.
int RemoveLocal(const QString &local) {
    QFile::setPermissions(local, QFile::permissions(local) | QFile::WriteOwner);
    return ::unlink(QFile::encodeName(local).constData()) == 0 ? 0 : errno;
}

QString FilePart(const QString &path) {
    return path.mid(path.lastIndexOf('\\') + 1);
}

} // namespace

QString TLCD_FS::OpenStatusText(int status) {
    return status >= 0 && status < int(std::size(OpenTexts)) ? OpenTexts[status] : " Unknown Error ";
}

QString TLCD_FS::ErrText(std::int32_t code, const QString &path) {
    QString text = QString::number(code);
    if (code < 90)
        text = "Ошибка эмулятора диска,вызванная невозможностью\nчтения или записи данных flash-памяти.";
    for (const CodeText &entry : ServerTexts) {
        if (entry.code != code)
            continue;
        text = entry.pathFirst ? path + entry.text : QString(entry.text);
        break;
    }
    return "Код ошибки=" + QString::number(code) + "\n\n" + text;
}

TLCD_FS::TLCD_FS(NavigatorListing *view, int port, bool &ok, SerialPort *serialPort)
    : TFileSystem(view), port_(port), serialPort_(serialPort) {
    ok = Open() == 0;
}

TLCD_FS::~TLCD_FS() {
    Close();
}

void TLCD_FS::SetHandlers() {
    TSrvIo &srv = *srv_;
    srv.OnDisconnect = [this](TSrvIo *, std::int16_t err, std::int16_t) {
        Close();
        const QString reason = err == 1 ? "CTS = 0" : err == 2 ? "TIMEOUT" : "Fatal Error " + QString::number(err);
        NavBeep();
        NavError("Порт:" + QString::number(port_) + "- DISCONNECT " + reason);
    };
    srv.OnSrvTimeout = [this](TSrvIo *) {
        NavBeep();
        ShowMessage({"Порт:" + QString::number(port_) + "- Нет кадров от сервера", "Внимание!", MsgIcon::Warning,
                     MsgButtons::Ok});
    };
    srv.OnIdent = [this](TSrvIo *, std::int32_t vsrv) {
        if (vsrv >= MinServerVersion) {
            identPending_ = false;
            return;
        }
        Close();
        NavError("Порт:" + QString::number(port_) + "- Используется устаревшая версия программы R9.bin");
    };
    const auto transferEnd = [this](Pending flag, const char *localText) {
        return [this, flag, localText](TSrvIo *, std::uint32_t, std::uint32_t, std::int32_t winError,
                                       std::int32_t armError) {
            pending_[flag] = false;
            if (winError)
                NavNote(localText);
            if (armError == 0 || armError == 101)
                return;
            ServerFailed(armError);
            NavNote("Порт:" + QString::number(port_) + " " + ErrText(armError, operationPath_));
        };
    };
    srv.OnRdFile = transferEnd(PRdFile, "RdFileEnd Win32 File Error");
    srv.OnWrFile = transferEnd(PWrFile, "WrFileEnd Win32 File Error");
    const auto progress = [this](TSrvIo *, std::uint32_t n, std::uint32_t i) { Progress(n, i); };
    srv.OnRdProgress = progress;
    srv.OnWrProgress = progress;
    srv.OnEmptyTrashProgress = progress;
    ResultHandler(srv.OnDeleteFile, PDeleteFile, true);
    ResultHandler(srv.OnRename, PRename, true);
    ResultHandler(srv.OnRemoveDir, PRemoveDir, true);
    ResultHandler(srv.OnCreateDir, PCreateDir, false);
    ResultHandler(srv.OnRestoreDir, PRestoreDir, false);
    ResultHandler(srv.OnRestoreFile, PRestoreFile, false);
    srv.OnCheckFile = [this](TSrvIo *, std::int32_t armError) {
        pending_[PCheckFile] = false;
        checkResult_ = armError;
    };
    srv.OnGetCurrentDir = [](TSrvIo *, const QByteArray &, std::int32_t) {};
    srv.OnSetCurrentDir = [](TSrvIo *, std::int32_t) {};
    srv.OnFind = [this](TSrvIo *, const QByteArray &name, std::int32_t attr, std::int32_t dateTime, std::int32_t size) {
        OnFindEntry(name, attr, dateTime, size);
    };
    srv.OnFindEnd = [this](TSrvIo *, std::int32_t armError) {
        pending_[PFind] = false;
        if (armError != 127)
            Box(armError, operationPath_);
    };
    srv.OnEmptyTrash = [this](TSrvIo *, std::int32_t, std::int32_t armError) {
        if (FView)
            FView->Progress(QString(), 100);
        pending_[PEmptyTrash] = false;
        if (armError)
            Box(armError, QString());
    };
    srv.OnTrashFileCnt = [this](TSrvIo *, std::int32_t count, std::int32_t armError) {
        trashCount_ = count;
        pending_[PTrashFileCnt] = false;
        if (count < 0)
            Box(armError, QString());
    };
    srv.OnDiskSpace = [this](TSrvIo *, std::int32_t disk, std::int32_t data, std::int32_t free, std::int32_t trash,
                             std::int32_t armError) {
        pending_[PDiskSpace] = false;
        const auto bytes = [](std::int32_t sectors) { return sectors < 0 ? 0 : std::int64_t(sectors) * 512; };
        FDiskSpace.TotalBytes = bytes(disk);
        FDiskSpace.UsedBytes = bytes(data);
        FDiskSpace.FreeBytes = bytes(free);
        FDiskSpace.TrashBytes = bytes(trash);
        if (armError)
            Box(armError, QString());
    };
}

void TLCD_FS::ResultHandler(TSrvIo::ResultEvent &event, Pending flag, bool cancelOnError) {
    event = [this, flag, cancelOnError](TSrvIo *, std::int32_t armError) {
        pending_[flag] = false;
        if (!armError)
            return;
        if (cancelOnError)
            ServerFailed(armError);
        Box(armError, operationPath_);
    };
}

void TLCD_FS::ServerFailed(std::int32_t) {
    CancelAll = true;
    Abort();
}

void TLCD_FS::Box(std::int32_t code, const QString &path) {
    NavError("Порт:" + QString::number(port_) + " " + ErrText(code, path));
}

// Percentages in 64 bits: the 32-bit product overflows for files above 42 MB.
void TLCD_FS::Progress(std::uint32_t n, std::uint32_t i) {
    if (FView)
        FView->Progress(QString(), int(std::uint64_t(i) * 100 / (std::uint64_t(n) + 1)));
}

int TLCD_FS::Open() {
    srv_ = std::make_unique<TSrvIo>(nullptr, serialPort_);
    SetHandlers();
    const int status = srv_->Open(port_, false);
    if (status != 0) {
        srv_.reset();
        if (FView)
            FView->Items.clear();
        NavError("Порт:" + QString::number(port_) + " " + OpenStatusText(status));
    }
    return status;
}

// Called from the service's own handlers too: the object goes only after its handler has returned.
void TLCD_FS::Close() {
    if (!srv_)
        return;
    identPending_ = true;
    for (bool &flag : pending_)
        flag = false;
    srv_->Close();
    TSrvIo *srv = srv_.release();
    srv->OnDisconnect = nullptr;
    srv->deleteLater();
}

bool TLCD_FS::Connected() {
    if (srv_) {
        FConnected = true;
        return true;
    }
    NavError("Устройство Порт:" + QString::number(port_) + " недоступно!");
    FConnected = false;
    return false;
}

void TLCD_FS::Wait(Pending flag, bool hourglass) {
    pending_[flag] = true;
    const NavHourglass cursor(hourglass);
    while (pending_[flag] && srv_ && srv_->Connected()) {
        Sleep(ReplyPollMs);
        PumpMessages();
    }
    pending_[flag] = false;
}

bool TLCD_FS::WaitIdentified() {
    while (identPending_ && srv_ && srv_->Connected()) {
        Sleep(ReplyPollMs);
        PumpMessages();
    }
    return !identPending_ && srv_;
}

void TLCD_FS::OnFindEntry(const QByteArray &rawName, std::int32_t attr, std::int32_t dateTime, std::int32_t size) {
    const QString name = QString::fromLocal8Bit(rawName);
    if (listMode_ == 0) {
        entries_.push_back({name, attr, dateTime, size});
        return;
    }
    if (name == "." || !FView)
        return;
    NavigatorItem item;
    QString target;
    if (attr & FindAttrDirectory) {
        item.Caption = name;
        if (name == "..") {
            item.ImageIndex = 4;
            ParentPath(listingDir_, target);
        } else {
            item.ImageIndex = 3;
            target = listingDir_ + "\\" + name;
        }
        item.SubItems << "<DIR>" << QString();
    } else {
        QString ext;
        ListingColumns(name, item.Caption, ext);
        item.ImageIndex = 2;
        item.SubItems << ext << QString::number(size);
    }
    item.SubItems << FromDosDateTime(dateTime).toString("dd.MM.yy hh:mm") << target;
    FView->Items.push_back(item);
}

void TLCD_FS::ReadDir(const QString &path) {
    listingDir_ = path;
    listMode_ = 1;
    if (FView)
        FView->Items.clear();
    PumpMessages();
    if (srv_ && Connected() && srv_->Find(path + "\\*.*", FindAllAttributes)) {
        operationPath_ = path;
        Wait(PFind);
        SetListValid(srv_ != nullptr);
        SetCurrentPath(path);
        return;
    }
    SetListValid(false);
    if (srv_)
        NavError("Порт:" + QString::number(port_) + " - Не выполнена Find");
    else
        Connected();
    SetCurrentPath(path);
}

bool TLCD_FS::Gather(const QString &dir, std::int32_t attrMask) {
    listMode_ = 0;
    entries_.clear();
    if (!srv_ || !srv_->Find(dir + "\\*.*", attrMask))
        return false;
    operationPath_ = dir;
    Wait(PFind);
    return true;
}

bool TLCD_FS::ListEntries(const QString &dir, std::vector<Entry> &entries) {
    if (!Gather(dir, FindAllAttributes))
        return false;
    for (const FoundEntry &found : std::vector<FoundEntry>(entries_))
        if (found.Name != "." && found.Name != "..")
            entries.push_back({found.Name, (found.Attr & FindAttrDirectory) != 0});
    return true;
}

bool TLCD_FS::CreateDir(const QString &path) {
    if (!Connected())
        return false;
    if (srv_->CreateDir(path)) {
        operationPath_ = path;
        Wait(PCreateDir);
    }
    return true;
}

bool TLCD_FS::Delete(const QString &path, std::int32_t isDir) {
    if (!Connected())
        return false;
    if (!isDir) {
        if (FView)
            FView->Progress("Удаление " + path, 0);
        PumpMessages();
        if (srv_->DeleteFile(path)) {
            operationPath_ = path;
            Wait(PDeleteFile, false);
        } else {
            NavNote("Не могу удалить файл " + path);
        }
        if (FView)
            FView->Progress("Удаление " + path, 100);
        PumpMessages();
        return true;
    }
    std::vector<Entry> entries;
    ListEntries(path, entries);
    for (const Entry &entry : entries) {
        if (CancelAll || !srv_)
            break;
        Delete(path + "\\" + entry.Name, entry.IsDir ? 1 : 0);
    }
    if (!srv_)
        return true;
    if (srv_->RemoveDir(path)) {
        operationPath_ = path;
        Wait(PRemoveDir);
    } else {
        NavNote("Не могу удалить каталог " + path);
    }
    return true;
}

bool TLCD_FS::Rename(const QString &oldPath, const QString &newPath) {
    if (!Connected())
        return false;
    if (FView)
        FView->Progress("Переименование/Перемещение из " + oldPath, 0);
    PumpMessages();
    bool ok = false;
    if (srv_->Rename(oldPath, newPath)) {
        operationPath_ = newPath;
        const bool cancelled = CancelAll;
        CancelAll = false;
        Wait(PRename);
        ok = srv_ && !CancelAll;
        CancelAll = CancelAll || cancelled;
        if (FView)
            FView->Progress("Переименование/Перемещение из " + oldPath, 100);
    }
    return ok;
}

void TLCD_FS::Restore(const QString &path, bool isDir) {
    if (!Connected())
        return;
    if (!(isDir ? srv_->RestoreDir(path) : srv_->RestoreFile(path)))
        return;
    operationPath_ = path;
    Wait(isDir ? PRestoreDir : PRestoreFile);
}

std::int32_t TLCD_FS::TrashCount() {
    std::int32_t result = -1;
    foundCount_ = 0;
    if (Connected() && srv_->TrashFileCnt()) {
        operationPath_.clear();
        Wait(PTrashFileCnt);
        result = trashCount_;
    }
    if (result == 0)
        ShowMessage({"Корзина диска " + DriveOfPath(CurrentPath().isEmpty() ? "R9:" : CurrentPath()) + " пуста.",
                     "Внимание!", MsgIcon::Information, MsgButtons::Ok});
    return result;
}

void TLCD_FS::EmptyTrash() {
    if (TrashCount() <= 0 || !Connected())
        return;
    const int answer = ShowMessage({"После очистки корзины восстановление \nудаленных ранее файлов и каталогов будет "
                                    "невозможно.\nПроизвести очистку корзины сейчас?",
                                    "Предупреждение!", MsgIcon::Error, MsgButtons::YesNo});
    if (answer != IdYes)
        return;
    if (srv_->EmptyTrash())
        Wait(PEmptyTrash);
    ShowMessage({"Очистка корзины успешно завершена.", "Внимание!", MsgIcon::Information, MsgButtons::Ok});
}

DiskSpaceInfo TLCD_FS::GetDiskSpace() {
    if (Connected() && srv_->DiskSpace())
        Wait(PDiskSpace);
    return FDiskSpace;
}

void TLCD_FS::Abort() {
    if (srv_)
        srv_->Abort();
}

void TLCD_FS::LoadText(const QString &path, QStringList &target) {
    if (!Connected())
        return;
    const QString local = TransferFolder() + FilePart(path);
    const int fd = ::open(QFile::encodeName(local).constData(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        NavNote("Не создан " + local);
        return;
    }
    if (srv_->RdFile(path, fd)) {
        operationPath_ = path;
        Wait(PRdFile);
    } else {
        NavNote("Не выдан RdFile");
    }
    ::close(fd);
    QFile file(local);
    if (file.open(QIODevice::ReadOnly))
        TakeText(file.readAll(), target);
    file.close();
    RemoveLocal(local);
}

void TLCD_FS::SendLocal(const QString &local, const QString &path, bool withPending) {
    const int fd = OpenLocal(local);
    if (fd < 0)
        return;
    SendOpened(fd, local, path, withPending);
    ::close(fd);
}

int TLCD_FS::OpenLocal(const QString &local) {
    const int fd = ::open(QFile::encodeName(local).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        NavNote("Не открыт " + local);
    return fd;
}

void TLCD_FS::SendOpened(int fd, const QString &local, const QString &path, bool withPending) {
    const QFileInfo info(local);
    if (srv_->WrFile(path, fd, LocalAttributes(local), ToDosDateTime(info.lastModified()))) {
        operationPath_ = path;
        if (withPending)
            Wait(PWrFile);
        else
            Wait(PWrFile, false);
    } else {
        NavNote("Не выдан WrFile");
    }
}

// Lines are written as they stand: the instrument keeps its own CR LF.
void TLCD_FS::SaveText(const QString &path, const QStringList &source) {
    const QString local = TransferFolder() + FilePart(path);
    if (QFileInfo::exists(local))
        RemoveLocal(local);
    QFile file(local);
    if (!file.open(QIODevice::WriteOnly)) {
        NavNote("Не создан " + local);
        return;
    }
    file.write(source.isEmpty() ? QByteArray() : (source.join("\r\n") + "\r\n").toLocal8Bit());
    file.close();
    if (Connected())
        SendLocal(local, path, true);
    RemoveLocal(local);
}

void TLCD_FS::CreateEmptyFile(const QString &name) {
    if (!Connected())
        return;
    const QString destination = CurrentPath() + "\\" + FilePart(name);
    const QString local = TransferFolder() + FilePart(name);
    QFile file(local);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        NavNote("Не открыт " + local);
        return;
    }
    file.close();
    SendLocal(local, destination, true);
    RemoveLocal(local);
}

void TLCD_FS::FetchFile(const QString &path) {
    const QString exchange = ExchangeFile();
    if (QFileInfo::exists(exchange))
        RemoveLocal(exchange);
    FFetched = false;
    if (!Connected())
        return;
    const int fd = ::open(QFile::encodeName(exchange).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        NavNote("Не создан " + exchange);
        return;
    }
    if (srv_->RdFile(path, fd)) {
        operationPath_ = path;
        Wait(PRdFile);
        FFetched = srv_ && srv_->WinError() == 0 && srv_->ArmError() == 0;
    } else {
        NavNote("Не выдан RdFile");
    }
    ::close(fd);
}

void TLCD_FS::StoreFile(const QString &path) {
    FStoreWritten = false;
    if (!Connected())
        return;
    // The exchange file is opened before anything is asked: without it there is nothing to store.
    const QString exchange = ExchangeFile();
    const int fd = OpenLocal(exchange);
    if (fd < 0)
        return;
    int answer = IdYes;
    if (srv_->CheckFile(path)) {
        Wait(PCheckFile);
        if (srv_ && checkResult_ == 0)
            answer = AskOverwrite(path);
    } else {
        NavNote("Не могу выполнить CheckFile для " + path);
    }
    if (answer == IdYes && srv_) {
        SendOpened(fd, exchange, path, true);
        FStoreWritten = srv_ && srv_->WinError() == 0 && srv_->ArmError() == 0;
    }
    ::close(fd);
    if (const int error = RemoveLocal(exchange))
        NavNote("Не могу удалить файл " + exchange + " Err=" + QString::number(error));
    if (answer == IdCancel)
        CancelAll = true;
}

bool TLCD_FS::CopyTo(const QString &src, const QString &dst, NavigatorListing *destView, std::int32_t isDir) {
    if (!destView || !destView->FileSystem() || !Connected())
        return false;
    return TransferTree(src, dst, destView, isDir, false, 0, nullptr, nullptr);
}

bool TLCD_FS::ConvertTo(const QString &src, const QString &dst, NavigatorListing *destView, std::int32_t tag,
                        std::int32_t isDir, ConvertProc proc, QStringList *list) {
    if (!destView || !destView->FileSystem() || !Connected())
        return false;
    return TransferTree(src, dst, destView, isDir, true, tag, proc, list);
}

bool TLCD_FS::Search(const QString &dir, const QString &mask, SearchResults &results, bool inTrash) {
    QString nameMask, extMask;
    SplitMask(mask, nameMask, extMask);
    if (!Connected())
        return true;
    // An empty trash has no share to show: the percentage stays 0.
    const auto trashProgress = [&] {
        if (!inTrash || !FView)
            return;
        FView->Progress("Поиск файлов корзины в " + dir, trashCount_ > 0 ? int(std::int64_t(foundCount_) * 100 / trashCount_) : 0);
        PumpMessages();
    };
    trashProgress();
    if (inTrash)
        Sleep(50);
    if (!Gather(dir, inTrash ? FindTrashAttributes : FindAllAttributes))
        return true;
    for (const FoundEntry &entry : std::vector<FoundEntry>(entries_)) {
        if (CancelAll || !srv_)
            break;
        if (entry.Name == "." || entry.Name == "..")
            continue;
        const bool isDir = entry.Attr & FindAttrDirectory;
        const bool matched = inTrash ? (entry.Attr & FindAttrTrash) != 0 : NameMatches(nameMask, extMask, entry.Name);
        if (matched) {
            results << (isDir ? "<DIR> " : "") + dir + "\\" + entry.Name;
            if (inTrash)
                ++foundCount_;
        }
        if (isDir && !(entry.Attr & FindAttrTrash) && (!inTrash || foundCount_ < trashCount_))
            Search(dir + "\\" + entry.Name, mask, results, inTrash);
    }
    trashProgress();
    return true;
}
