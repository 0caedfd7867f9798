#include "platform/IniFile.h"

#include "platform/AtomicFile.h"
#include "platform/NumberFormat.h"

#include <QFile>

EIniFileException::EIniFileException(const QString &fileName)
    : std::runtime_error(QStringLiteral("Unable to write to %1").arg(fileName).toStdString()) {}

TCustomIniFile::TCustomIniFile(const QString &fileName) : fileName_(fileName) {}

TCustomIniFile::~TCustomIniFile() = default;

int TCustomIniFile::ReadInteger(const QString &section, const QString &ident, int def) {
    return TextToInt(ReadString(section, ident, QString()), def);
}

void TCustomIniFile::WriteInteger(const QString &section, const QString &ident, int value) {
    WriteString(section, ident, QString::number(value));
}

bool TCustomIniFile::ReadBool(const QString &section, const QString &ident, bool def) {
    return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(const QString &section, const QString &ident, bool value) {
    WriteString(section, ident, value ? QStringLiteral("1") : QStringLiteral("0"));
}

double TCustomIniFile::ReadFloat(const QString &section, const QString &ident, double def) {
    return TextToDouble(ReadString(section, ident, QString()), def);
}

void TCustomIniFile::WriteFloat(const QString &section, const QString &ident, double value) {
    WriteString(section, ident, DoubleToText(value));
}

bool TCustomIniFile::SectionExists(const QString &section) {
    return HasSection(section);
}

bool TCustomIniFile::ValueExists(const QString &section, const QString &ident) {
    return ReadSection(section).contains(ident.trimmed(), Qt::CaseInsensitive);
}

namespace {

// The last file parsed and its bytes. The placement stores read and write R9.ini key by key, so saving or
// restoring one window reads the whole file once for every key; the file is still read each time, but it
// is parsed again only when its bytes changed. Without this, each open window made every later save and
// restore of all windows slower.
struct ParsedFile {
    QString name;
    QByteArray bytes;
    IniDocument document;
};

ParsedFile &LastParsed() {
    thread_local ParsedFile parsed;
    return parsed;
}

} // namespace

TCustomIniFile::LoadResult TCustomIniFile::Load(IniDocument &document) const {
    QByteArray bytes;
    return Load(document, bytes);
}

TCustomIniFile::LoadResult TCustomIniFile::Load(IniDocument &document, QByteArray &bytes) const {
    document.Clear();
    bytes.clear();
    QFile file(fileName_);
    if (!file.exists())
        return LoadResult::Missing;
    if (!file.open(QIODevice::ReadOnly))
        return LoadResult::Unreadable;
    bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return LoadResult::Unreadable;
    const ParsedFile &last = LastParsed();
    if (last.name == fileName_ && last.bytes == bytes) {
        document = last.document;
    } else {
        document = IniDocument(bytes);
        Remember(bytes, document);
    }
    return LoadResult::Loaded;
}

void TCustomIniFile::Remember(const QByteArray &bytes, const IniDocument &document) const {
    LastParsed() = {fileName_, bytes, document};
}

void TCustomIniFile::Store(const IniDocument &document) const {
    if (!WriteFileAtomically(fileName_, document.ToBytes()))
        throw EIniFileException(fileName_);
}

TIniFile::TIniFile(const QString &fileName) : TCustomIniFile(fileName) {}

IniDocument TIniFile::Read() const {
    IniDocument document;
    Load(document);
    return document;
}

template <typename Change> void TIniFile::Modify(Change change) {
    IniDocument document;
    QByteArray before; // a document's bytes are the bytes it was read from
    const LoadResult loaded = Load(document, before);
    // Writing over a file that exists but could not be read would lose everything in it.
    if (loaded == LoadResult::Unreadable)
        throw EIniFileException(FileName());
    change(document);
    const QByteArray after = document.ToBytes();
    if (loaded == LoadResult::Missing ? !document.IsEmpty() : after != before) {
        Store(document);
        Remember(after, document);
    }
}

QString TIniFile::ReadString(const QString &section, const QString &ident, const QString &def) {
    const std::optional<QString> value = Read().Value(section, ident);
    if (!value)
        return def;
    const QString &text = *value;
    if (text.size() >= 2 && text.front() == text.back() &&
        (text.front() == QLatin1Char('"') || text.front() == QLatin1Char('\'')))
        return text.mid(1, text.size() - 2);
    return text;
}

void TIniFile::WriteString(const QString &section, const QString &ident, const QString &value) {
    Modify([&](IniDocument &document) { document.SetValue(section, ident, value); });
}

QStringList TIniFile::ReadSection(const QString &section) {
    return Read().Keys(section);
}

QStringList TIniFile::ReadSections() {
    return Read().Sections();
}

QStringList TIniFile::ReadSectionValues(const QString &section) {
    return Read().SectionValues(section);
}

void TIniFile::EraseSection(const QString &section) {
    Modify([&](IniDocument &document) { document.EraseSection(section); });
}

void TIniFile::DeleteKey(const QString &section, const QString &ident) {
    Modify([&](IniDocument &document) { document.DeleteKey(section, ident); });
}

bool TIniFile::HasSection(const QString &section) {
    return Read().HasSection(section);
}

TMemIniFile::TMemIniFile(const QString &fileName) : TCustomIniFile(fileName) {
    unreadable_ = Load(document_) == LoadResult::Unreadable;
}

QString TMemIniFile::ReadString(const QString &section, const QString &ident, const QString &def) {
    return document_.Value(section, ident).value_or(def);
}

void TMemIniFile::WriteString(const QString &section, const QString &ident, const QString &value) {
    document_.SetValue(section, ident, value);
}

QStringList TMemIniFile::ReadSection(const QString &section) {
    return document_.Keys(section);
}

QStringList TMemIniFile::ReadSections() {
    return document_.Sections();
}

QStringList TMemIniFile::ReadSectionValues(const QString &section) {
    return document_.SectionValues(section);
}

void TMemIniFile::EraseSection(const QString &section) {
    document_.EraseSection(section);
}

void TMemIniFile::DeleteKey(const QString &section, const QString &ident) {
    document_.DeleteKey(section, ident);
}

void TMemIniFile::UpdateFile() {
    if (unreadable_)
        throw EIniFileException(FileName());
    Store(document_);
}

void TMemIniFile::Clear() {
    document_.Clear();
}

bool TMemIniFile::HasSection(const QString &section) {
    return document_.HasSection(section);
}
