#pragma once

#include "platform/IniDocument.h"

#include <QString>
#include <QStringList>

#include <stdexcept>

// Raised when an INI file cannot be written; what() is "Unable to write to <file name>" in UTF-8.
class EIniFileException : public std::runtime_error {
public:
    explicit EIniFileException(const QString &fileName);
};

// INI files of windows-1251 text: sections and keys in file order, names matched without regard to case,
// untouched lines written back byte for byte.
class TCustomIniFile {
public:
    explicit TCustomIniFile(const QString &fileName);
    virtual ~TCustomIniFile();
    TCustomIniFile(const TCustomIniFile &) = delete;
    TCustomIniFile &operator=(const TCustomIniFile &) = delete;

    QString FileName() const { return fileName_; }

    virtual QString ReadString(const QString &section, const QString &ident, const QString &def) = 0;
    virtual void WriteString(const QString &section, const QString &ident, const QString &value) = 0;

    // Decimal, or hexadecimal after "0x", "0X" or "$"; the default when the value is not a number.
    int ReadInteger(const QString &section, const QString &ident, int def);
    void WriteInteger(const QString &section, const QString &ident, int value);
    // Any integer other than 0 is true; written as "1" and "0".
    bool ReadBool(const QString &section, const QString &ident, bool def);
    void WriteBool(const QString &section, const QString &ident, bool value);
    // Always with '.'; written as the shortest text that reads back exactly.
    double ReadFloat(const QString &section, const QString &ident, double def);
    void WriteFloat(const QString &section, const QString &ident, double value);

    virtual QStringList ReadSection(const QString &section) = 0;       // key names in file order
    virtual QStringList ReadSections() = 0;                            // section names in file order
    virtual QStringList ReadSectionValues(const QString &section) = 0; // "key=value" lines in file order
    // A section exists when its header is in the file, even with no keys under it.
    bool SectionExists(const QString &section);
    bool ValueExists(const QString &section, const QString &ident);
    virtual void EraseSection(const QString &section) = 0;
    virtual void DeleteKey(const QString &section, const QString &ident) = 0;

protected:
    enum class LoadResult { Loaded, Missing, Unreadable };
    // Reads the file into `document`; a missing or unreadable file leaves it empty. `bytes` receives what
    // was read.
    LoadResult Load(IniDocument &document) const;
    LoadResult Load(IniDocument &document, QByteArray &bytes) const;
    // The document of these bytes of the file, kept for the next reader while the file stays unchanged.
    void Remember(const QByteArray &bytes, const IniDocument &document) const;
    // Writes the whole document by temporary file and rename; throws EIniFileException on failure.
    void Store(const IniDocument &document) const;

private:
    virtual bool HasSection(const QString &section) = 0;
    QString fileName_;
};

// Direct access, as R9.ini is used: every call reads the file, every write is on disk when the call
// returns. ReadString strips one pair of matching surrounding quotes ("..." or '...') from the value.
class TIniFile : public TCustomIniFile {
public:
    explicit TIniFile(const QString &fileName);

    QString ReadString(const QString &section, const QString &ident, const QString &def) override;
    void WriteString(const QString &section, const QString &ident, const QString &value) override;
    QStringList ReadSection(const QString &section) override;
    QStringList ReadSections() override;
    QStringList ReadSectionValues(const QString &section) override;
    void EraseSection(const QString &section) override;
    void DeleteKey(const QString &section, const QString &ident) override;

private:
    bool HasSection(const QString &section) override;
    IniDocument Read() const;
    // Applies a change to the file as it is now and writes it back when the change altered anything.
    template <typename Change> void Modify(Change change);
};

// The whole file in memory, read at construction; nothing reaches the disk before UpdateFile(). Values
// are returned exactly as stored.
class TMemIniFile : public TCustomIniFile {
public:
    explicit TMemIniFile(const QString &fileName);

    QString ReadString(const QString &section, const QString &ident, const QString &def) override;
    void WriteString(const QString &section, const QString &ident, const QString &value) override;
    QStringList ReadSection(const QString &section) override;
    QStringList ReadSections() override;
    QStringList ReadSectionValues(const QString &section) override;
    void EraseSection(const QString &section) override;
    void DeleteKey(const QString &section, const QString &ident) override;

    // Writes the whole file; throws EIniFileException when it cannot, and also when the file existed at
    // construction but could not be read, so that its contents are never replaced unseen.
    void UpdateFile();
    void Clear();

private:
    bool HasSection(const QString &section) override;
    IniDocument document_;
    bool unreadable_ = false;
};
