#include "chartlib/Chartlib.h"

#include "platform/Cp1251.h"

#include <algorithm>
#include <cstring>

QString ReplaceAll(const QString &text, const QString &what, const QString &with) {
    if (what.isEmpty())
        return text;
    QString result = text;
    if (with.size() >= what.size())
        return result.replace(what, with);
    // No occurrence lies before the last replacement, and a new one can only start up to
    // what.size() - 1 characters in front of it, so the search from the start resumes there.
    qsizetype at = result.indexOf(what);
    while (at >= 0) {
        result.replace(at, what.size(), with);
        at = result.indexOf(what, std::max<qsizetype>(0, at - what.size() + 1));
    }
    return result;
}

QString CommaToDecimalSeparator(const QString &text) {
    QString result = text;
    const qsizetype comma = result.indexOf(QLatin1Char(','));
    if (comma >= 0)
        result[comma] = QLatin1Char('.');
    return result;
}

QString CutAtSeparator(const QString &text, const QString &separator, const QString &suffix) {
    const qsizetype at = separator.isEmpty() ? -1 : text.indexOf(separator);
    if (at < 0)
        return text;
    const bool endsText = at + separator.size() >= text.size();
    return endsText ? text.left(at) : text.left(at) + suffix;
}

QString FileNameWithoutFolder(const QString &path) {
    const qsizetype slash = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return path.mid(slash + 1);
}

QString FileNameWithoutExt(const QString &path) {
    const QString name = FileNameWithoutFolder(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? name.left(dot) : name;
}

void AddTrailingBackslash(QString &folder) {
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('\\')))
        folder += QLatin1Char('\\');
}

void CopyToFixedField(void *destination, const QString &text, std::size_t size) {
    const QByteArray bytes = ToCp1251(text);
    std::memset(destination, 0, size);
    std::memcpy(destination, bytes.constData(), std::min(size, std::size_t(bytes.size())));
}

bool InsertZeroBytes(void *buffer, std::size_t capacity, std::size_t offset, std::size_t count, std::size_t total) {
    if (offset > total || total > capacity || count > capacity - total)
        return false;
    auto *bytes = static_cast<unsigned char *>(buffer);
    std::memmove(bytes + offset + count, bytes + offset, total - offset);
    std::memset(bytes + offset, 0, count);
    return true;
}

std::uint8_t XorOfBytes(const QByteArray &bytes) {
    std::uint8_t check = 0;
    for (char b : bytes)
        check ^= std::uint8_t(b);
    return check;
}

bool IsWindowsNT() {
    return true;
}
