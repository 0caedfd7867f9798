#include "platform/IniFile.h"
#include "platform/Cp1251.h"

#include "PermissionsEnforced.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include "support/Fixtures.h"

namespace {

QString U(const char16_t *text) {
    return QString::fromUtf16(text);
}

QByteArray Cp(const char16_t *text) {
    return ToCp1251(U(text));
}

QByteArray ReadBytes(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteBytes(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// R9.ini as the original program left it: windows-1251, CRLF, comments, quoted values, an unknown line,
// a key whose "С" is Cyrillic and the same section name twice in different case.
QByteArray Fixture() {
    return ReadBytes(FixturePath(QStringLiteral("platform/R9.ini")));
}

enum class Semantics { Direct, InMemory };

void PrintTo(Semantics semantics, std::ostream *out) {
    *out << (semantics == Semantics::Direct ? "TIniFile" : "TMemIniFile");
}

struct IniFolder {
    QTemporaryDir dir;
    QString path = dir.path() + QStringLiteral("/R9.ini");

    std::unique_ptr<TCustomIniFile> Open(Semantics semantics) const {
        if (semantics == Semantics::Direct)
            return std::make_unique<TIniFile>(path);
        return std::make_unique<TMemIniFile>(path);
    }
    // What is on disk after the object's writes have been flushed.
    QByteArray Flushed(TCustomIniFile &ini) const {
        if (auto *mem = dynamic_cast<TMemIniFile *>(&ini))
            mem->UpdateFile();
        return ReadBytes(path);
    }
};

class IniFileTest : public ::testing::TestWithParam<Semantics> {};

INSTANTIATE_TEST_SUITE_P(BothSemantics, IniFileTest, ::testing::Values(Semantics::Direct, Semantics::InMemory),
                         [](const auto &info) { return ::testing::PrintToString(info.param); });

TEST_P(IniFileTest, FindsNamesWithoutRegardToCaseAndStripsQuotesOnlyInDirectFiles) {
    IniFolder folder;
    WriteBytes(folder.path, Fixture());
    auto ini = folder.Open(GetParam());
    const bool direct = GetParam() == Semantics::Direct;

    struct Case {
        const char16_t *section;
        const char16_t *ident;
        const char16_t *direct;
        const char16_t *inMemory;
    };
    const Case cases[] = {
        {u"настройки", u"DIRсFGFILE", u"C:\\R9\\Config\\default1.cfg", u"C:\\R9\\Config\\default1.cfg"},
        {u"Настройки", u"DirCfgFile", u"-", u"-"}, // a Latin C is another name
        {u"НАСТРОЙКИ", u"lastfolder", u"C:\\Program Files\\R9\\Data", u"\"C:\\Program Files\\R9\\Data\""},
        {u"Настройки", u"Caption", u"Окно 1", u"'Окно 1'"},
        {u"Настройки", u"Half", u"\"open", u"\"open"},
        {u"Настройки", u" spaced KEY ", u" value with blanks ", u" value with blanks "},
        {u"Настройки", u"Commented", u"-", u"-"},
        {u"Настройки", u"Dup", u"-", u"-"}, // only in the second occurrence of the section
        {u"ОБЩИЕ r9", u"ВЕРСИЯ", u"6.11", u"6.11"},
        {u"Общие R9", u"строка без знака равенства", u"-", u"-"},
        {u"Общие R9", u"Port", u"3", u"3"},
        {u"Main", u"Port", u"-", u"-"},
        {u"Нет такой", u"Left", u"-", u"-"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ini->ReadString(U(c.section), U(c.ident), QStringLiteral("-")), U(direct ? c.direct : c.inMemory))
            << U(c.section).toStdString() << " / " << U(c.ident).toStdString();
}

TEST_P(IniFileTest, ListsSectionsKeysAndValuesInFileOrder) {
    IniFolder folder;
    WriteBytes(folder.path, Fixture());
    auto ini = folder.Open(GetParam());

    EXPECT_EQ(ini->ReadSections(), QStringList({U(u"Настройки"), U(u"Общие R9"), QStringLiteral("Main")}));
    EXPECT_EQ(ini->ReadSection(QStringLiteral("НАСТРОЙКИ")),
              QStringList({U(u"DirСfgFile"), QStringLiteral("LastFolder"), QStringLiteral("Caption"),
                           QStringLiteral("Half"), QStringLiteral("Spaced Key")}));
    EXPECT_EQ(ini->ReadSectionValues(QStringLiteral("main")),
              QStringList({QStringLiteral("Left=10"), QStringLiteral("Top=$1F"), QStringLiteral("Ratio=0.25"),
                           QStringLiteral("Bad=1,5")}));
    EXPECT_TRUE(ini->ReadSection(QStringLiteral("Missing")).isEmpty());

    EXPECT_TRUE(ini->SectionExists(U(u"общие r9")));
    EXPECT_FALSE(ini->SectionExists(QStringLiteral("Dup")));
    EXPECT_TRUE(ini->ValueExists(QStringLiteral("MAIN"), QStringLiteral("top")));
    EXPECT_FALSE(ini->ValueExists(QStringLiteral("Main"), QStringLiteral("Port")));
}

TEST_P(IniFileTest, TypedReadsFallBackToTheDefaultOnAnythingButANumber) {
    IniFolder folder;
    WriteBytes(folder.path, Fixture());
    auto ini = folder.Open(GetParam());
    const QString main = QStringLiteral("Main");

    EXPECT_EQ(ini->ReadInteger(main, QStringLiteral("Left"), -1), 10);
    EXPECT_EQ(ini->ReadInteger(main, QStringLiteral("Top"), -1), 0x1F);
    EXPECT_EQ(ini->ReadInteger(main, QStringLiteral("Ratio"), -1), -1);
    EXPECT_EQ(ini->ReadInteger(main, QStringLiteral("Missing"), -1), -1);
    EXPECT_EQ(ini->ReadFloat(main, QStringLiteral("Ratio"), -1), 0.25);
    EXPECT_EQ(ini->ReadFloat(main, QStringLiteral("Bad"), -1), -1); // a comma is not a decimal point
    EXPECT_EQ(ini->ReadFloat(main, QStringLiteral("Left"), -1), 10.0);
    EXPECT_TRUE(ini->ReadBool(main, QStringLiteral("Top"), false));
    EXPECT_TRUE(ini->ReadBool(main, QStringLiteral("Missing"), true));
    EXPECT_FALSE(ini->ReadBool(main, QStringLiteral("Bad"), false));
}

TEST_P(IniFileTest, TypedWritesReadBackExactlyWithADecimalPoint) {
    IniFolder folder;
    auto ini = folder.Open(GetParam());
    const QString s = QStringLiteral("S");
    const double values[] = {0.1, 1.0 / 3.0, -2.5e-300, 1e20, 12345.678, -0.0};
    for (size_t i = 0; i < std::size(values); ++i)
        ini->WriteFloat(s, QStringLiteral("F%1").arg(i), values[i]);
    ini->WriteInteger(s, QStringLiteral("I"), -2147483647 - 1);
    ini->WriteBool(s, QStringLiteral("T"), true);
    ini->WriteBool(s, QStringLiteral("N"), false);
    const QByteArray bytes = folder.Flushed(*ini);

    EXPECT_TRUE(bytes.contains("F0=0.1\r\n")) << bytes.toStdString();
    EXPECT_FALSE(bytes.contains(','));
    EXPECT_TRUE(bytes.contains("I=-2147483648\r\nT=1\r\nN=0\r\n"));
    auto again = folder.Open(GetParam());
    for (size_t i = 0; i < std::size(values); ++i) {
        const double back = again->ReadFloat(s, QStringLiteral("F%1").arg(i), 99);
        EXPECT_EQ(back, values[i]);
        EXPECT_EQ(std::signbit(back), std::signbit(values[i]));
    }
    EXPECT_EQ(again->ReadInteger(s, QStringLiteral("I"), 0), -2147483647 - 1);
}

TEST_P(IniFileTest, UntouchedBytesSurviveAndAWriteReplacesOnlyItsLine) {
    IniFolder folder;
    const QByteArray original = Fixture();
    WriteBytes(folder.path, original);
    auto ini = folder.Open(GetParam());

    // Rewriting the values as they are changes nothing, not even the byte no character maps to.
    ini->WriteString(U(u"Общие R9"), QStringLiteral("Port"), QStringLiteral("3"));
    EXPECT_EQ(folder.Flushed(*ini), original);

    ini->WriteString(U(u"НАСТРОЙКИ"), U(u"dirсfgfile"), U(u"D:\\Новая папка"));
    if (GetParam() == Semantics::InMemory) {
        EXPECT_EQ(ReadBytes(folder.path), original) << "nothing may reach the disk before UpdateFile";
    }
    QByteArray expected = original;
    expected.replace(Cp(u"DirСfgFile=C:\\R9\\Config\\default1.cfg\r\n"), Cp(u"DirСfgFile=D:\\Новая папка\r\n"));
    EXPECT_EQ(folder.Flushed(*ini), expected);
}

TEST_P(IniFileTest, NewKeyFollowsTheLastKeyLineOfItsSection) {
    IniFolder folder;
    const QByteArray original = Fixture();
    WriteBytes(folder.path, original);
    auto ini = folder.Open(GetParam());

    ini->WriteString(U(u"настройки"), U(u"Новый"), QStringLiteral("1"));
    ini->WriteInteger(QStringLiteral("MAIN"), QStringLiteral("Width"), 640);
    QByteArray expected = original;
    expected.replace(QByteArray("= value with blanks \r\n"),
                     QByteArray("= value with blanks \r\n") + Cp(u"Новый=1\r\n"));
    expected.replace(QByteArray("Bad=1,5\r\n"), QByteArray("Bad=1,5\r\nWidth=640\r\n"));
    EXPECT_EQ(folder.Flushed(*ini), expected);
}

TEST_P(IniFileTest, NewSectionGoesAtTheEndAfterOneEmptyLine) {
    struct Case {
        const char *name;
        bool exists;
        QByteArray before;
        QByteArray after;
    };
    const QByteArray added = Cp(u"[Новая]\r\nКлюч=значение");
    const Case cases[] = {
        {"missing file", false, "", added + "\r\n"},
        {"empty file", true, "", added + "\r\n"},
        {"ends with a key", true, "[A]\r\nk=1\r\n", "[A]\r\nk=1\r\n\r\n" + added + "\r\n"},
        {"ends with an empty line", true, "[A]\r\nk=1\r\n\r\n", "[A]\r\nk=1\r\n\r\n" + added + "\r\n"},
        {"no line end at the end", true, "[A]\r\nk=1", "[A]\r\nk=1\r\n\r\n" + added},
        {"LF line ends", true, "[A]\nk=1\n", "[A]\nk=1\n\r\n" + added + "\r\n"},
    };
    for (const Case &c : cases) {
        IniFolder folder;
        if (c.exists)
            WriteBytes(folder.path, c.before);
        auto ini = folder.Open(GetParam());
        ini->WriteString(U(u"Новая"), U(u"Ключ"), U(u"значение"));
        EXPECT_EQ(folder.Flushed(*ini), c.after) << c.name;
        EXPECT_EQ(folder.Open(GetParam())->ReadString(U(u"НОВАЯ"), U(u"ключ"), {}), U(u"значение")) << c.name;
    }
}

TEST_P(IniFileTest, KeysAddedToAnUnterminatedOrLfFileKeepItsOtherLines) {
    struct Case {
        QByteArray before;
        QByteArray after;
    };
    const Case cases[] = {
        {"[A]\nk=1", "[A]\nk=1\r\nk2=2"},
        {"[A]\nk=1\n[B]\nb=1\n", "[A]\nk=1\nk2=2\r\n[B]\nb=1\n"},
        {"[A]\n; only a comment\n", "[A]\nk2=2\r\n; only a comment\n"},
        {"[A]\r\n", "[A]\r\nk2=2\r\n"},
    };
    for (const Case &c : cases) {
        IniFolder folder;
        WriteBytes(folder.path, c.before);
        auto ini = folder.Open(GetParam());
        ini->WriteString(QStringLiteral("a"), QStringLiteral("k2"), QStringLiteral("2"));
        EXPECT_EQ(folder.Flushed(*ini), c.after) << c.before.toStdString();
    }
}

TEST_P(IniFileTest, EraseSectionAndDeleteKeyRemoveTheirLinesOnly) {
    IniFolder folder;
    const QByteArray original = Fixture();
    WriteBytes(folder.path, original);
    auto ini = folder.Open(GetParam());

    ini->EraseSection(U(u"общие r9"));
    ini->DeleteKey(QStringLiteral("MAIN"), QStringLiteral("top"));
    ini->DeleteKey(QStringLiteral("Main"), QStringLiteral("NoSuchKey"));
    ini->EraseSection(QStringLiteral("NoSuchSection"));

    QByteArray expected = original;
    expected.replace(Cp(u"[Общие R9]\r\nВерсия=6.11\r\nстрока без знака равенства\r\nPort=3\r\n\r\n"), "");
    expected.replace("Top=$1F\r\n", "");
    EXPECT_EQ(folder.Flushed(*ini), expected);
    EXPECT_FALSE(ini->SectionExists(U(u"Общие R9")));
}

TEST_P(IniFileTest, ErasingASectionNamedTwiceRemovesBothOccurrences) {
    IniFolder folder;
    WriteBytes(folder.path, Fixture());
    auto ini = folder.Open(GetParam());
    ini->EraseSection(U(u"Настройки"));
    EXPECT_FALSE(ini->SectionExists(U(u"Настройки")));
    EXPECT_EQ(ini->ReadString(U(u"Настройки"), QStringLiteral("Dup"), QStringLiteral("-")), QStringLiteral("-"));
    EXPECT_FALSE(folder.Flushed(*ini).contains("Dup=second"));
}

TEST_P(IniFileTest, ALineBreakInAValueCannotInjectLines) {
    IniFolder folder;
    auto ini = folder.Open(GetParam());
    ini->WriteString(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("x\r\n[B]\ny=1"));
    EXPECT_EQ(folder.Flushed(*ini), QByteArray("[A]\r\nk=x  [B] y=1\r\n"));
    EXPECT_EQ(ini->ReadSections(), QStringList{QStringLiteral("A")});
}

TEST_P(IniFileTest, AFailedWriteThrowsAndLeavesTheOldFileAlone) {
    QTemporaryDir root;
    const QString folderPath = root.path() + U(u"/Папка");
    ASSERT_TRUE(QDir().mkpath(folderPath));
    const QString path = folderPath + QStringLiteral("/R9.ini");
    const QByteArray original = Fixture();
    WriteBytes(path, original);
    auto ini = GetParam() == Semantics::Direct ? std::unique_ptr<TCustomIniFile>(std::make_unique<TIniFile>(path))
                                               : std::make_unique<TMemIniFile>(path);
    QFile::setPermissions(folderPath, QFileDevice::ReadOwner | QFileDevice::ExeOwner);

    bool probeCreated = true;
    std::string message;
    RunWithPermissionsEnforced([&] {
        probeCreated = QFile(folderPath + QStringLiteral("/probe")).open(QIODevice::WriteOnly);
        try {
            ini->WriteString(QStringLiteral("Main"), QStringLiteral("Left"), QStringLiteral("20"));
            if (auto *mem = dynamic_cast<TMemIniFile *>(ini.get()))
                mem->UpdateFile();
        } catch (const EIniFileException &e) {
            message = e.what();
        }
    });
    QFile::setPermissions(folderPath, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    ASSERT_FALSE(probeCreated) << "the folder must refuse new files for this test to mean anything";
    EXPECT_EQ(message, "Unable to write to " + path.toStdString());
    EXPECT_EQ(ReadBytes(path), original);
    EXPECT_EQ(QDir(folderPath).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("R9.ini")});
}

TEST_P(IniFileTest, AFileThatCannotBeReadIsNeverReplaced) {
    IniFolder folder;
    const QByteArray original = Fixture();
    WriteBytes(folder.path, original);
    QFile::setPermissions(folder.path, QFileDevice::WriteOwner);

    QString read;
    bool threw = false;
    RunWithPermissionsEnforced([&] {
        auto ini = folder.Open(GetParam());
        read = ini->ReadString(QStringLiteral("Main"), QStringLiteral("Left"), QStringLiteral("-"));
        try {
            ini->WriteString(QStringLiteral("Main"), QStringLiteral("Left"), QStringLiteral("20"));
            folder.Flushed(*ini);
        } catch (const EIniFileException &) {
            threw = true;
        }
    });
    QFile::setPermissions(folder.path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    EXPECT_EQ(read, QStringLiteral("-"));
    EXPECT_TRUE(threw);
    EXPECT_EQ(ReadBytes(folder.path), original);
}

TEST_P(IniFileTest, ASuccessfulWriteLeavesNoTemporaryFileBehind) {
    IniFolder folder;
    WriteBytes(folder.path, Fixture());
    auto ini = folder.Open(GetParam());
    ini->WriteString(QStringLiteral("Main"), QStringLiteral("Left"), QStringLiteral("20"));
    folder.Flushed(*ini);
    EXPECT_EQ(QDir(folder.dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("R9.ini")});
}

TEST(TIniFile, EveryCallSeesTheFileAsItIsNow) {
    IniFolder folder;
    TIniFile direct(folder.path);
    direct.WriteString(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("1"));
    EXPECT_EQ(ReadBytes(folder.path), QByteArray("[A]\r\nk=1\r\n")) << "a write is on disk when the call returns";

    TMemIniFile snapshot(folder.path);
    WriteBytes(folder.path, "[A]\r\nk=2\r\n");
    EXPECT_EQ(direct.ReadString(QStringLiteral("A"), QStringLiteral("k"), {}), QStringLiteral("2"));
    EXPECT_EQ(snapshot.ReadString(QStringLiteral("A"), QStringLiteral("k"), {}), QStringLiteral("1"));

    direct.WriteString(QStringLiteral("A"), QStringLiteral("j"), QStringLiteral("3"));
    EXPECT_EQ(ReadBytes(folder.path), QByteArray("[A]\r\nk=2\r\nj=3\r\n")) << "another writer's change is kept";
}

// The placement stores read and write R9.ini key by key, for every key of every open window: the file is
// parsed again only when its bytes changed, or each window made every later save of all windows slower.
// (The key names read from one parse share their text.)
TEST(TIniFile, AnUnchangedFileIsNotParsedAgainForEveryKey) {
    IniFolder folder;
    WriteBytes(folder.path, "[W]\r\nLeft=1\r\nTop=2\r\n");
    TIniFile ini(folder.path);
    const QStringList first = ini.ReadSection(QStringLiteral("W"));
    const QStringList again = ini.ReadSection(QStringLiteral("W"));
    ASSERT_EQ(again, (QStringList{QStringLiteral("Left"), QStringLiteral("Top")}));
    EXPECT_TRUE(first[0].isSharedWith(again[0])) << "the unchanged file was parsed again";
    ini.WriteString(QStringLiteral("W"), QStringLiteral("Top"), QStringLiteral("3"));
    EXPECT_TRUE(ini.ReadSection(QStringLiteral("W"))[0].isSharedWith(first[0])) << "nor after its own write";

    WriteBytes(folder.path, "[W]\r\nLeft=9\r\nTop=3\r\n");
    EXPECT_FALSE(ini.ReadSection(QStringLiteral("W"))[0].isSharedWith(first[0])) << "another writer's change is read";
    EXPECT_EQ(ini.ReadString(QStringLiteral("W"), QStringLiteral("Left"), {}), QStringLiteral("9"));
}

TEST(TMemIniFile, ClearEmptiesTheFileOnUpdate) {
    IniFolder folder;
    WriteBytes(folder.path, Fixture());
    TMemIniFile ini(folder.path);
    ini.Clear();
    EXPECT_TRUE(ini.ReadSections().isEmpty());
    ini.WriteString(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("1"));
    ini.UpdateFile();
    EXPECT_EQ(ReadBytes(folder.path), QByteArray("[A]\r\nk=1\r\n"));
}

} // namespace
