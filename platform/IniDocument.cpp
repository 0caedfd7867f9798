#include "platform/IniDocument.h"

#include "platform/Cp1251.h"

namespace {

const QByteArray kCrLf = QByteArrayLiteral("\r\n");

bool SameName(const QString &a, const QString &b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// A line break inside a name or value would split its line and turn the rest into lines of their own.
QString OneLine(QString text) {
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

void AppendOnce(QStringList &names, const QString &name) {
    if (!names.contains(name, Qt::CaseInsensitive))
        names.append(name);
}

} // namespace

IniDocument::IniDocument(const QByteArray &bytes) {
    qsizetype start = 0;
    while (start < bytes.size()) {
        const qsizetype lf = bytes.indexOf('\n', start);
        if (lf < 0) {
            lines_.push_back(ParseLine(bytes.mid(start), QByteArray()));
            break;
        }
        const bool crlf = lf > start && bytes[lf - 1] == '\r';
        const qsizetype end = crlf ? lf - 1 : lf;
        lines_.push_back(ParseLine(bytes.mid(start, end - start), crlf ? kCrLf : QByteArrayLiteral("\n")));
        start = lf + 1;
    }
}

IniDocument::Line IniDocument::ParseLine(const QByteArray &bytes, const QByteArray &ending) {
    Line line;
    line.bytes = bytes;
    line.ending = ending;
    const QString text = FromCp1251(bytes);
    const QString trimmed = text.trimmed();
    if (trimmed.startsWith(QLatin1Char(';')))
        return line;
    if (trimmed.startsWith(QLatin1Char('['))) {
        const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
        if (close > 0) {
            line.kind = Kind::Section;
            line.name = trimmed.mid(1, close - 1).trimmed();
            return line;
        }
    }
    // windows-1251 is one byte per character, so a character index is a byte index.
    const qsizetype equals = text.indexOf(QLatin1Char('='));
    if (equals >= 0) {
        const QString name = text.left(equals).trimmed();
        if (!name.isEmpty()) {
            line.kind = Kind::Key;
            line.name = name;
            line.valueStart = static_cast<int>(equals + 1);
        }
    }
    return line;
}

IniDocument::Line IniDocument::MakeLine(const QString &text) {
    return ParseLine(ToCp1251(text), kCrLf);
}

QByteArray IniDocument::ToBytes() const {
    QByteArray bytes;
    for (const Line &line : lines_)
        bytes += line.bytes + line.ending;
    return bytes;
}

int IniDocument::FindSection(const QString &section) const {
    const QString name = section.trimmed();
    for (size_t i = 0; i < lines_.size(); ++i)
        if (lines_[i].kind == Kind::Section && SameName(lines_[i].name, name))
            return static_cast<int>(i);
    return -1;
}

int IniDocument::SectionEnd(int header) const {
    size_t i = header + 1;
    while (i < lines_.size() && lines_[i].kind != Kind::Section)
        ++i;
    return static_cast<int>(i);
}

int IniDocument::FindKey(int header, const QString &ident) const {
    const QString name = ident.trimmed();
    const int end = SectionEnd(header);
    for (int i = header + 1; i < end; ++i)
        if (lines_[i].kind == Kind::Key && SameName(lines_[i].name, name))
            return i;
    return -1;
}

QString IniDocument::ValueOf(const Line &line) const {
    return FromCp1251(line.bytes.mid(line.valueStart));
}

void IniDocument::InsertLine(int index, Line line) {
    // A last line without a line end gets one, and the new line takes over being the unterminated last line.
    if (index > 0 && lines_[index - 1].ending.isEmpty()) {
        lines_[index - 1].ending = kCrLf;
        line.ending.clear();
    }
    lines_.insert(lines_.begin() + index, std::move(line));
}

std::optional<QString> IniDocument::Value(const QString &section, const QString &ident) const {
    const int header = FindSection(section);
    if (header < 0)
        return std::nullopt;
    const int key = FindKey(header, ident);
    if (key < 0)
        return std::nullopt;
    return ValueOf(lines_[key]);
}

void IniDocument::SetValue(const QString &section, const QString &ident, const QString &value) {
    const QString sectionName = OneLine(section).trimmed();
    const QString keyName = OneLine(ident).trimmed();
    const QByteArray valueBytes = ToCp1251(OneLine(value));

    int header = FindSection(sectionName);
    if (header < 0) {
        if (!lines_.empty() && !FromCp1251(lines_.back().bytes).trimmed().isEmpty())
            InsertLine(static_cast<int>(lines_.size()), MakeLine(QString()));
        InsertLine(static_cast<int>(lines_.size()), MakeLine(QLatin1Char('[') + sectionName + QLatin1Char(']')));
        header = static_cast<int>(lines_.size()) - 1;
    }

    const int key = FindKey(header, keyName);
    if (key >= 0) {
        Line &line = lines_[key];
        line.bytes = line.bytes.left(line.valueStart) + valueBytes;
        return;
    }

    int after = header;
    const int end = SectionEnd(header);
    for (int i = header + 1; i < end; ++i)
        if (lines_[i].kind == Kind::Key)
            after = i;
    Line line = MakeLine(keyName + QLatin1Char('='));
    line.bytes += valueBytes;
    InsertLine(after + 1, std::move(line));
}

QStringList IniDocument::Sections() const {
    QStringList names;
    for (const Line &line : lines_)
        if (line.kind == Kind::Section)
            AppendOnce(names, line.name);
    return names;
}

QStringList IniDocument::Keys(const QString &section) const {
    QStringList names;
    const int header = FindSection(section);
    if (header < 0)
        return names;
    const int end = SectionEnd(header);
    for (int i = header + 1; i < end; ++i)
        if (lines_[i].kind == Kind::Key)
            AppendOnce(names, lines_[i].name);
    return names;
}

QStringList IniDocument::SectionValues(const QString &section) const {
    QStringList pairs;
    for (const QString &key : Keys(section))
        pairs.append(key + QLatin1Char('=') + Value(section, key).value_or(QString()));
    return pairs;
}

bool IniDocument::HasSection(const QString &section) const {
    return FindSection(section) >= 0;
}

bool IniDocument::EraseSection(const QString &section) {
    bool erased = false;
    for (int header = FindSection(section); header >= 0; header = FindSection(section)) {
        lines_.erase(lines_.begin() + header, lines_.begin() + SectionEnd(header));
        erased = true;
    }
    return erased;
}

bool IniDocument::DeleteKey(const QString &section, const QString &ident) {
    const int header = FindSection(section);
    if (header < 0)
        return false;
    bool deleted = false;
    for (int key = FindKey(header, ident); key >= 0; key = FindKey(header, ident)) {
        lines_.erase(lines_.begin() + key);
        deleted = true;
    }
    return deleted;
}
