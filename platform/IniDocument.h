#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// The one parser behind both INI file classes. It holds the file as its lines of windows-1251 bytes, so
// that comments, blank lines, unknown lines, spacing and line ends of everything not written come back
// byte for byte. Names of sections and keys are matched without regard to case (Cyrillic included) and
// with surrounding blanks ignored; when a section occurs twice, only its first occurrence is seen.
class IniDocument {
public:
    IniDocument() = default;
    // Lines end in CRLF or LF alone.
    explicit IniDocument(const QByteArray &bytes);

    QByteArray ToBytes() const;
    bool IsEmpty() const { return lines_.empty(); }
    void Clear() { lines_.clear(); }

    // The value exactly as stored after the first '='; nothing when the key is missing.
    std::optional<QString> Value(const QString &section, const QString &ident) const;
    // Replaces an existing key's line in place (keeping the spelling and spacing of its name), adds a new key
    // after the last key line of its section, or adds the section at the end of the file.
    void SetValue(const QString &section, const QString &ident, const QString &value);

    QStringList Sections() const;
    QStringList Keys(const QString &section) const;
    QStringList SectionValues(const QString &section) const; // "key=value"
    bool HasSection(const QString &section) const;
    // Both return whether anything was removed. Erasing takes every occurrence of the section with all its
    // lines; deleting takes every line of that key in the section.
    bool EraseSection(const QString &section);
    bool DeleteKey(const QString &section, const QString &ident);

private:
    enum class Kind { Other, Section, Key };
    struct Line {
        QByteArray bytes;  // without the line end
        QByteArray ending; // "\r\n", "\n", or empty for a last line without one
        Kind kind = Kind::Other;
        QString name;       // section or key name, blanks trimmed
        int valueStart = 0; // key lines: the byte after the first '='
    };

    static Line ParseLine(const QByteArray &bytes, const QByteArray &ending);
    static Line MakeLine(const QString &text);
    // Index of the first occurrence's header line, or -1.
    int FindSection(const QString &section) const;
    // One past the last line of the section whose header is at `header`.
    int SectionEnd(int header) const;
    int FindKey(int header, const QString &ident) const;
    QString ValueOf(const Line &line) const;
    void InsertLine(int index, Line line);

    std::vector<Line> lines_;
};
