#include "chartlib/Chartlib.h"

#include "platform/Cp1251.h"
#include "platform/DateTime.h"
#include "platform/MessageService.h"
#include "platform/ProgramDir.h"
#include "platform/StringTable.h"

#include <QDir>
#include <QFileInfo>

#include <cstring>
#include <unistd.h>

namespace {

bool DebugLogStarted = false;

// A file that cannot be opened, written or read is no reason to end a batch run: its line in the batch
// log carries the source of file messages, and the run goes on.
constexpr int FileFailureLogSource = 1;

void ShowFileFailure(const QString &text) {
    MessageRequest request{text, LoadStr(5), MsgIcon::Warning, MsgButtons::Ok};
    request.batchLogSource = FileFailureLogSource;
    ShowMessage(request);
}

QIODevice::OpenMode QtOpenMode(FileOpenMode mode) {
    switch (mode) {
    case FileOpenMode::Create:
        return QIODevice::ReadWrite | QIODevice::Truncate;
    case FileOpenMode::OpenWrite:
        // Writing without emptying the file: Qt empties a file opened for writing alone.
        return QIODevice::ReadWrite | QIODevice::ExistingOnly;
    case FileOpenMode::OpenRead:
    case FileOpenMode::OpenReadShared:
        return QIODevice::ReadOnly | QIODevice::ExistingOnly;
    }
    return QIODevice::NotOpen;
}

} // namespace

void ShowCannotOpen(const QString &fileName) {
    ShowFileFailure(LoadStr(413) + QLatin1Char(' ') + fileName);
}

void DebugLog(const QString &text) {
    QFile file(ProgramDir() + QStringLiteral("debug.txt"));
    const QIODevice::OpenMode mode = DebugLogStarted ? QIODevice::Append : QIODevice::WriteOnly | QIODevice::Truncate;
    if (!file.open(mode))
        return;
    DebugLogStarted = true;
    // Every line feed, also one inside the text, is written as CR LF.
    QByteArray line = ToCp1251(TimeToText(Now()) + QStringLiteral(": ") + text + QLatin1Char('\n'));
    file.write(line.replace("\n", "\r\n"));
}

void RestartDebugLog() {
    DebugLogStarted = false;
}

bool OpenFileStream(std::unique_ptr<QFile> &stream, const QString &fileName, FileOpenMode mode, SeekOrigin origin) {
    stream = std::make_unique<QFile>(fileName);
    const bool opened = stream->open(QtOpenMode(mode));
    const bool positioned =
        opened && (origin == SeekOrigin::Current || stream->seek(origin == SeekOrigin::End ? stream->size() : 0));
    if (positioned)
        return true;
    stream.reset();
    ShowCannotOpen(fileName);
    return false;
}

bool WriteTextToFile(QFile &file, const QString &text) {
    const QByteArray bytes = ToCp1251(text);
    const bool written = file.write(bytes) == bytes.size() && file.flush() && ::fsync(file.handle()) == 0;
    if (!written)
        ShowFileFailure(LoadStr(413));
    return written;
}

bool WriteTextToStream(QBuffer &stream, const QString &text) {
    const QByteArray bytes = ToCp1251(text);
    return WriteToStream(stream, bytes.constData(), bytes.size());
}

bool WriteToStream(QBuffer &stream, const void *data, qint64 size) {
    return size >= 0 && stream.write(static_cast<const char *>(data), size) == size;
}

bool ReadFromStream(QBuffer &stream, void *data, qint64 size) {
    if (size < 0)
        return false;
    const qint64 got = std::max<qint64>(stream.read(static_cast<char *>(data), size), 0);
    if (got == size)
        return true;
    std::memset(static_cast<char *>(data) + got, 0, std::size_t(size - got));
    return false;
}

bool ReadFromFileStream(QIODevice &stream, void *data, qint64 size) {
    if (stream.read(static_cast<char *>(data), size) >= 0)
        return true;
    ShowFileFailure(QStringLiteral("Невозможно чтение из файла!"));
    return false;
}

bool AppendFileTo(const QString &destination, const QString &source, bool keepSource) {
    if (!QFileInfo::exists(source))
        return false;
    if (!QFileInfo::exists(destination))
        return keepSource ? QFile::copy(source, destination) : QFile::rename(source, destination);

    std::unique_ptr<QFile> target;
    if (!OpenFileStream(target, destination, FileOpenMode::OpenWrite, SeekOrigin::End))
        return false;
    std::unique_ptr<QFile> input;
    if (!OpenFileStream(input, source, FileOpenMode::OpenReadShared, SeekOrigin::Begin))
        return false;
    const QByteArray bytes = input->readAll();
    if (bytes.size() != input->size())
        return false;
    input.reset();
    // A failed append is taken back, so the destination never ends in a piece of the source.
    const qint64 oldSize = target->size();
    const bool appended = target->write(bytes) == bytes.size() && target->flush();
    target.reset(); // closed first: bytes still buffered would land after the cut
    if (!appended) {
        QFile::resize(destination, oldSize);
        ShowCannotOpen(destination);
        return false;
    }
    if (!keepSource)
        QFile::remove(source);
    return true;
}

QString FreeName(const QDir &folder, const QString &name) {
    if (!folder.exists(name))
        return name;
    const QFileInfo info(name);
    const QString suffix = info.suffix().isEmpty() ? QString() : '.' + info.suffix();
    const QString stem = info.suffix().isEmpty() ? name : name.chopped(suffix.size());
    for (int n = 2;; ++n) {
        const QString numbered = stem + '_' + QString::number(n) + suffix;
        if (!folder.exists(numbered))
            return numbered;
    }
}

bool ClearOrMoveFiles(const QString &folder, const QString &destination, bool move) {
    const QDir from(folder);
    const QDir to(destination);
    bool all = true;
    for (const QString &name : from.entryList(QDir::Files)) {
        if (move)
            all = QFile::rename(from.filePath(name), to.filePath(FreeName(to, name))) && all;
        else
            all = QFile::remove(from.filePath(name)) && all;
    }
    return all;
}
