#include "ScenarioFilesFixture.h"

#include "platform/Cp1251.h"
#include "platform/IniFile.h"
#include "platform/PermissionsEnforced.h"
#include "protocols/PauseMessage.h"
#include "protocols/ScenarioLegacyReader.h"

#include <QDataStream>
#include <QLocale>

#include <clocale>

namespace {

using ScenarioFiles = ScenarioFilesFixture;

QString Key(int row, const char *suffix) {
    return QStringLiteral("Конфигурация №") + QString::number(row) + QString::fromUtf8(suffix);
}

QString Stored(const QString &file, const QString &key) {
    TMemIniFile ini(file);
    return ini.ReadString(QStringLiteral("Сценарий"), key, QStringLiteral("<missing>"));
}

QByteArray ReadAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(StoredConfigPath, OnlyAFolderThatBeginsThePathIsTakenOff) {
    qputenv("R9_PROGRAM_DIR", "/opt/r9");
    struct Case {
        const char *Path, *Scenario, *Stored;
    };
    const Case cases[] = {
        {"/data/S/x.cfg", "/data/S/plan.scn", "x.cfg"},
        {"/data/S/sub/x.cfg", "/data/S/plan.scn", "sub/x.cfg"},
        {"/opt/r9/Config/y.cfg", "/data/S/plan.scn", "y.cfg"},
        {"/opt/r9/Config/y.cfg", "", "y.cfg"},
        // The folder's text in the middle of the path is no reason to cut it.
        {"/mirror/data/S/x.cfg", "/data/S/plan.scn", "/mirror/data/S/x.cfg"},
        {"/backup/opt/r9/Config/y.cfg", "/data/S/plan.scn", "/backup/opt/r9/Config/y.cfg"},
        // A folder named like the scenario's folder but longer is another folder.
        {"/data/Second/x.cfg", "/data/S/plan.scn", "/data/Second/x.cfg"},
        // Files of the original platform: either separator, letters of either case.
        {"C:\\S\\x.cfg", "c:/s/plan.scn", "x.cfg"},
        {"/other/x.cfg", "/data/S/plan.scn", "/other/x.cfg"},
        {"", "/data/S/plan.scn", ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(StoredConfigPath(QString::fromUtf8(c.Path), QString::fromUtf8(c.Scenario)),
                  QString::fromUtf8(c.Stored))
            << c.Path;
    qunsetenv("R9_PROGRAM_DIR");
}

TEST_F(ScenarioFiles, ConfigurationsBesideTheScenarioOrInConfigAreFoundAfterTheFolderMoved) {
    const QString x = Touch(QStringLiteral("S/x.cfg"));
    const QString y = Touch(QStringLiteral("Config/y.cfg"));
    const QString z = Touch(QStringLiteral("elsewhere/z.cfg"));
    TScenarClass scenario;
    scenario.Name = program.path(QStringLiteral("S/plan.scn"));
    AddRow(scenario, x);
    AddRow(scenario, y);
    AddRow(scenario, z);
    ASSERT_TRUE(SaveScenarioIni(scenario, scenario.Name));
    EXPECT_EQ(Stored(scenario.Name, Key(1, " Имя")), QStringLiteral("x.cfg"));
    EXPECT_EQ(Stored(scenario.Name, Key(2, " Имя")), QStringLiteral("y.cfg"));
    EXPECT_EQ(Stored(scenario.Name, Key(3, " Имя")), z);

    ASSERT_TRUE(QDir().rename(program.path(QStringLiteral("S")), program.path(QStringLiteral("Moved"))));
    TScenarClass opened;
    opened.Name = program.path(QStringLiteral("Moved/plan.scn"));
    ASSERT_TRUE(LoadScenarioIni(opened, false, opened.Name));
    ASSERT_EQ(opened.RowCount(), 3);
    EXPECT_EQ(QFileInfo(RowPath(opened, 0)).canonicalFilePath(),
              QFileInfo(program.path(QStringLiteral("Moved/x.cfg"))).canonicalFilePath());
    EXPECT_EQ(QFileInfo(RowPath(opened, 1)).canonicalFilePath(), QFileInfo(y).canonicalFilePath());
    EXPECT_EQ(RowPath(opened, 2), z);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(u'\n').toStdString();
}

TEST_F(ScenarioFiles, AConfigurationThatIsGoneIsStillPooled) {
    TScenarClass scenario;
    scenario.Name = program.path(QStringLiteral("plan.scn"));
    AddRow(scenario, program.path(QStringLiteral("gone.cfg")));
    ASSERT_TRUE(SaveScenarioIni(scenario, scenario.Name));
    TScenarClass opened;
    opened.Name = scenario.Name;
    ASSERT_TRUE(LoadScenarioIni(opened, false, opened.Name));
    ASSERT_EQ(opened.RowCount(), 1);
    EXPECT_EQ(RowPath(opened, 0), QStringLiteral("gone.cfg"));
    EXPECT_EQ(messages.size(), 1); // the user was told, and cancelled the choice of another file
}

TEST_F(ScenarioFiles, ThePauseMessageIsStoredLineByLineAndReadBack) {
    TScenarClass scenario;
    scenario.Name = program.path(QStringLiteral("plan.scn"));
    AddRow(scenario, QString());
    ScenarioRow &row = scenario.Rows[0];
    row.PauseBefore = 1;
    SetPauseMessage(row, {QStringLiteral("Подключите @k1 on@"), QString(), QStringLiteral("B")});
    EXPECT_EQ(FixedText(row.PauseMessage), QStringLiteral("Подключите @k1 on@ \n  \n B \n "));
    ASSERT_TRUE(SaveScenarioIni(scenario, scenario.Name));
    EXPECT_EQ(Stored(scenario.Name, Key(1, " Сообщение при паузе #1")), QStringLiteral("Подключите @k1 on@"));
    EXPECT_EQ(Stored(scenario.Name, Key(1, " Сообщение при паузе #2")), QString());
    EXPECT_EQ(Stored(scenario.Name, Key(1, " Сообщение при паузе #3")), QStringLiteral("B"));
    EXPECT_EQ(Stored(scenario.Name, Key(1, " N строк")), QStringLiteral("3"));

    TScenarClass opened;
    opened.Name = scenario.Name;
    ASSERT_TRUE(LoadScenarioIni(opened, false, opened.Name));
    ASSERT_EQ(opened.RowCount(), 1);
    EXPECT_EQ(opened.Rows[0].PauseBefore, 1);
    EXPECT_EQ(QByteArray(opened.Rows[0].PauseMessage, PauseMessageSize),
              QByteArray(row.PauseMessage, PauseMessageSize));
    EXPECT_EQ(PauseMessageLines(opened.Rows[0]),
              (QStringList{QStringLiteral("Подключите @k1 on@"), QString(), QStringLiteral("B")}));
}

TEST_F(ScenarioFiles, TwoLinesAreStoredAsTwoKeysAndACount) {
    ScenarioRow row;
    SetPauseMessage(row, {QStringLiteral("A"), QStringLiteral("B")});
    EXPECT_EQ(FixedText(row.PauseMessage), QStringLiteral("A \n B \n "));
    EXPECT_EQ(PauseMessageLines(row), (QStringList{QStringLiteral("A"), QStringLiteral("B")}));
    EXPECT_TRUE(PauseMessageLines(ScenarioRow{}).isEmpty());
    // A message longer than the field is cut to it.
    SetPauseMessage(row, {QString(600, u'Ж')});
    EXPECT_EQ(FixedText(row.PauseMessage), QString(PauseMessageSize, u'Ж'));
}

TEST_F(ScenarioFiles, KeysLeftOutReadAsTheirDefaults) {
    const QString file = program.path(QStringLiteral("short.dat"));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(ToCp1251(QStringLiteral("[Сценарий]\r\nКоличество конфигураций=2\r\nКонфигурация №2 Прт=0\r\n")));
    f.close();
    TScenarClass opened;
    ASSERT_TRUE(LoadScenarioIni(opened, true, file));
    ASSERT_EQ(opened.RowCount(), 2);
    EXPECT_EQ(opened.RepeatKind, 0);
    EXPECT_EQ(opened.RepeatCount, 0);
    EXPECT_EQ(opened.Rows[0].Prt, 1);
    EXPECT_EQ(opened.Rows[1].Prt, 0);
    for (const ScenarioRow &row : opened.Rows) {
        EXPECT_EQ(row.RemotePrt, 0);
        EXPECT_EQ(row.NormOk, 3);
        EXPECT_EQ(row.RemoteNormOk, 3);
        EXPECT_EQ(row.Quality, 0.0f);
        EXPECT_EQ(row.RemoteQuality, 0.0f);
        EXPECT_EQ(row.State, 0);
    }
}

TEST_F(ScenarioFiles, CyrillicKeysInWindows1251AndFloatsWithAPointUnderARussianLocale) {
    const QLocale savedLocale;
    const std::string savedNumeric = std::setlocale(LC_NUMERIC, nullptr);
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    std::setlocale(LC_NUMERIC, "ru_RU.UTF-8");

    TScenarClass scenario;
    scenario.Name = program.path(QStringLiteral("Сценарий.scn"));
    scenario.RepeatKind = 2;
    scenario.RepeatInterval = 600;
    scenario.RepeatCount = 3;
    scenario.CommentIndex = Pool(QStringLiteral("Проверка линии"));
    AddRow(scenario, QString());
    scenario.Rows[0].Quality = 1.25f;
    scenario.Rows[0].NormOk = 1;
    scenario.Rows[0].State = 3;
    scenario.Rows[0].RemoteQuality = -0.5f;
    SetFixedText(scenario.Rows[0].M_Data, QStringLiteral("150313 102205 _data_1.html#15.03.13_10:22:05__1"));
    const bool saved = SaveScenarioIni(scenario, scenario.Name);

    std::setlocale(LC_NUMERIC, savedNumeric.c_str());
    QLocale::setDefault(savedLocale);
    ASSERT_TRUE(saved);
    const QByteArray bytes = ReadAll(scenario.Name);
    for (const QString &line :
         {QStringLiteral("[Сценарий]"), QStringLiteral("Тип автоповтора сценария=2"),
          QStringLiteral("Интервал автоповтора, сек=600"), QStringLiteral("Количество автоповторов=3"),
          QStringLiteral("Комментарий=Проверка линии"), QStringLiteral("Количество конфигураций=1"),
          QStringLiteral("DirReport=/reports/"), QStringLiteral("NameIdx=_Start_1.html"),
          QStringLiteral("Конфигурация №1 Результаты: Качество=1.25"),
          QStringLiteral("Конфигурация №1 Результаты: уд.Качество=-0.5")})
        EXPECT_TRUE(bytes.contains(ToCp1251(line) + "\r\n")) << line.toStdString();
    EXPECT_FALSE(bytes.contains(QByteArrayLiteral("1,25")));

    TScenarClass opened;
    ASSERT_TRUE(LoadScenarioIni(opened, true, scenario.Name));
    EXPECT_EQ(opened.Name, scenario.Name);
    EXPECT_EQ(opened.RepeatKind, 2);
    EXPECT_EQ(opened.RepeatInterval, 600);
    EXPECT_EQ(opened.RepeatCount, 3);
    EXPECT_EQ(FileNameList.value(opened.CommentIndex), QStringLiteral("Проверка линии"));
    ASSERT_EQ(opened.RowCount(), 1);
    EXPECT_EQ(opened.Rows[0].Quality, 1.25f);
    EXPECT_EQ(opened.Rows[0].RemoteQuality, -0.5f);
    EXPECT_EQ(opened.Rows[0].NormOk, 1);
    EXPECT_EQ(opened.Rows[0].State, 3);
    EXPECT_EQ(FixedText(opened.Rows[0].M_Data), FixedText(scenario.Rows[0].M_Data));
}

TEST_F(ScenarioFiles, ASaveThatFailsLeavesTheOldFileWhole) {
    const QString folder = program.path(QStringLiteral("Locked"));
    ASSERT_TRUE(QDir().mkpath(folder));
    TScenarClass scenario;
    scenario.Name = folder + QStringLiteral("/plan.scn");
    AddRow(scenario, QStringLiteral("a.cfg"));
    ASSERT_TRUE(SaveScenarioIni(scenario, scenario.Name));
    const QByteArray original = ReadAll(scenario.Name);
    AddRow(scenario, QStringLiteral("b.cfg"));

    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    bool saved = true, probeCreated = true;
    RunWithPermissionsEnforced([&] {
        probeCreated = QFile(folder + QStringLiteral("/probe")).open(QIODevice::WriteOnly);
        saved = SaveScenarioIni(scenario, scenario.Name);
    });
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    ASSERT_FALSE(probeCreated) << "the folder must refuse new files for this test to mean anything";
    EXPECT_FALSE(saved);
    EXPECT_EQ(ReadAll(scenario.Name), original);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("plan.scn")});
}

TEST_F(ScenarioFiles, AResultsFileBringsTheProtocolFolderAndFramesetAndFindsItsScenario) {
    TScenarClass scenario;
    scenario.Name = program.path(QStringLiteral("old/plan.scn"));
    AddRow(scenario, QString());
    dirReport = QStringLiteral("/reports/line 7");
    framesetName = QStringLiteral("_Start_2.html");
    const QString results = program.path(QStringLiteral("results/run.dat"));
    QDir().mkpath(program.path(QStringLiteral("results")));
    ASSERT_TRUE(SaveScenarioIni(scenario, results));

    dirReport = QStringLiteral("/elsewhere/");
    framesetName = QStringLiteral("_Start_1.html");
    TScenarClass opened;
    ASSERT_TRUE(LoadScenarioIni(opened, true, results));
    // The scenario named in the file is gone: its name in the results file's folder stands for it.
    EXPECT_EQ(opened.Name, program.path(QStringLiteral("results/plan.scn")));
    EXPECT_EQ(dirReport, QStringLiteral("/reports/line 7/"));
    EXPECT_EQ(framesetName, QStringLiteral("_Start_2.html"));

    Touch(QStringLiteral("old/plan.scn"));
    TScenarClass again;
    ASSERT_TRUE(LoadScenarioIni(again, true, results));
    EXPECT_EQ(again.Name, scenario.Name);

    // Opened as a scenario, a results file brings none of it.
    dirReport = QStringLiteral("/elsewhere/");
    TScenarClass asScenario;
    asScenario.Name = results;
    ASSERT_TRUE(LoadScenarioIni(asScenario, false, results));
    EXPECT_EQ(asScenario.Name, results);
    EXPECT_EQ(dirReport, QStringLiteral("/elsewhere/"));
}

TEST_F(ScenarioFiles, TheCommentReplacesItsPoolEntryOrGetsOne) {
    const QString file = program.path(QStringLiteral("c.scn"));
    TScenarClass scenario;
    scenario.CommentIndex = Pool(QStringLiteral("первый"));
    ASSERT_TRUE(SaveScenarioIni(scenario, file));
    TScenarClass opened;
    opened.CommentIndex = Pool(QStringLiteral("старый"));
    const int16_t before = opened.CommentIndex;
    ASSERT_TRUE(LoadScenarioIni(opened, false, file));
    EXPECT_EQ(opened.CommentIndex, before);
    EXPECT_EQ(FileNameList.value(before), QStringLiteral("первый"));
    TScenarClass fresh;
    const qsizetype poolSize = FileNameList.size();
    ASSERT_TRUE(LoadScenarioIni(fresh, false, file));
    EXPECT_EQ(fresh.CommentIndex, poolSize);
    // A scenario without a comment writes no comment key, and reads an empty one.
    TScenarClass none;
    ASSERT_TRUE(SaveScenarioIni(none, file));
    EXPECT_EQ(Stored(file, QStringLiteral("Комментарий")), QStringLiteral("<missing>"));
}

// The legacy binary form, little-endian, as older versions wrote it.
class LegacyWriter {
public:
    LegacyWriter() : out_(&bytes, QIODevice::WriteOnly) { out_.setByteOrder(QDataStream::LittleEndian); }
    LegacyWriter &I16(int16_t v) {
        out_ << v;
        return *this;
    }
    LegacyWriter &I32(int32_t v) {
        out_ << v;
        return *this;
    }
    LegacyWriter &F32(float v) {
        out_.writeRawData(reinterpret_cast<const char *>(&v), 4);
        return *this;
    }
    LegacyWriter &Text(const QString &text) {
        const QByteArray b = ToCp1251(text);
        I16(int16_t(b.size()));
        out_.writeRawData(b.constData(), int(b.size()));
        return *this;
    }
    LegacyWriter &Row(const QString &path, int16_t prt, int16_t remotePrt, int16_t pause, const QString &message) {
        Text(path).I16(prt).F32(2.5f).I16(remotePrt).I32(77).I16(pause);
        QByteArray m = ToCp1251(message);
        m.resize(PauseMessageSize, '\0');
        out_.writeRawData(m.constData(), PauseMessageSize);
        return *this;
    }
    QByteArray bytes;

private:
    QDataStream out_;
};

QByteArray TwoRowLegacyScenario(bool withResults) {
    LegacyWriter w;
    w.I16(2).I32(900).I16(5).Text(QStringLiteral("Старый сценарий")).I16(2);
    if (withResults)
        w.Text(QStringLiteral("C:\\R9\\Сценарии\\plan.scn"));
    w.Row(QStringLiteral("a.cfg"), 1, 0, 1, QStringLiteral("Пауза \n "));
    w.Row(QStringLiteral("b.cfg"), 0, 1, 0, QString());
    return w.bytes;
}

TEST(LegacyScenarioReader, ReadsTheScenarioAndItsRows) {
    for (bool withResults : {false, true}) {
        const LegacyScenario s = ReadLegacyScenario(TwoRowLegacyScenario(withResults), withResults);
        EXPECT_TRUE(s.Complete);
        EXPECT_EQ(s.RepeatKind, 2);
        EXPECT_EQ(s.RepeatInterval, 900);
        EXPECT_EQ(s.RepeatCount, 5);
        EXPECT_EQ(s.Comment, QStringLiteral("Старый сценарий"));
        EXPECT_EQ(s.Name, withResults ? QStringLiteral("C:\\R9\\Сценарии\\plan.scn") : QString());
        ASSERT_EQ(s.Rows.size(), 2u);
        EXPECT_EQ(s.Rows[0].ConfigPath, QStringLiteral("a.cfg"));
        EXPECT_EQ(s.Rows[0].Row.Prt, 1);
        EXPECT_EQ(s.Rows[0].Row.LegacyFactor, 2.5f);
        EXPECT_EQ(s.Rows[0].Row.LegacyValue, 77);
        EXPECT_EQ(s.Rows[0].Row.PauseBefore, 1);
        EXPECT_EQ(PauseMessageLines(s.Rows[0].Row), QStringList{QStringLiteral("Пауза")});
        EXPECT_EQ(s.Rows[1].ConfigPath, QStringLiteral("b.cfg"));
        EXPECT_EQ(s.Rows[1].Row.RemotePrt, 1);
    }
}

TEST(LegacyScenarioReader, EveryLengthAndCountIsBoundedByTheBytesLeft) {
    const QByteArray whole = TwoRowLegacyScenario(false);
    // Cut anywhere: never a row that is not whole, and never a read past the end (the sanitizers watch).
    for (qsizetype size = 0; size < whole.size(); ++size) {
        const LegacyScenario s = ReadLegacyScenario(whole.left(size), false);
        EXPECT_FALSE(s.Complete) << size;
        EXPECT_LE(s.Rows.size(), 1u);
    }
    // A comment or path length beyond the file, a huge row count, a negative comment length.
    EXPECT_FALSE(ReadLegacyScenario(LegacyWriter().I16(1).I32(0).I16(1).I16(30000).bytes, false).Complete);
    LegacyWriter many;
    many.I16(1).I32(0).I16(1).I16(0).I16(32767).Row(QStringLiteral("a.cfg"), 1, 0, 0, QString());
    const LegacyScenario s = ReadLegacyScenario(many.bytes, false);
    EXPECT_FALSE(s.Complete);
    EXPECT_EQ(s.Rows.size(), 1u);
    LegacyWriter negative;
    negative.I16(1).I32(0).I16(1).I16(-5).I16(0);
    const LegacyScenario n = ReadLegacyScenario(negative.bytes, false);
    EXPECT_TRUE(n.Complete);
    EXPECT_TRUE(n.Comment.isEmpty());
    EXPECT_TRUE(n.Rows.empty());
}

TEST_F(ScenarioFiles, ALegacyFileIsReadWithItsRowsResolved) {
    const QString a = Touch(QStringLiteral("Config/a.cfg"));
    const QString file = program.path(QStringLiteral("legacy.scn"));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(TwoRowLegacyScenario(false));
    f.close();
    TScenarClass opened;
    opened.Name = file;
    EXPECT_TRUE(LoadScenarioIni(opened, false, file));
    ASSERT_EQ(opened.RowCount(), 2);
    EXPECT_EQ(QFileInfo(RowPath(opened, 0)).canonicalFilePath(), QFileInfo(a).canonicalFilePath());
    EXPECT_EQ(opened.Rows[0].PauseBefore, 1);
    EXPECT_EQ(FileNameList.value(opened.CommentIndex), QStringLiteral("Старый сценарий"));

    // A damaged one keeps its whole rows and says so.
    f.open(QIODevice::WriteOnly);
    f.write(TwoRowLegacyScenario(false).chopped(10));
    f.close();
    messages.clear();
    TScenarClass damaged;
    damaged.Name = file;
    EXPECT_FALSE(LoadScenarioIni(damaged, false, file));
    EXPECT_EQ(damaged.RowCount(), 1);
    ASSERT_FALSE(messages.isEmpty());
    EXPECT_TRUE(messages.constLast().startsWith(QStringLiteral("Файл сценария поврежден")))
        << messages.constLast().toStdString();

    messages.clear();
    TScenarClass missing;
    EXPECT_FALSE(LoadScenarioIni(missing, false, program.path(QStringLiteral("none.scn"))));
    EXPECT_EQ(messages,
              QStringList{QStringLiteral("Не могу открыть файл ") + program.path(QStringLiteral("none.scn"))});
}

// Under batch control a scenario file that cannot be read is a line of the batch log with the files' source,
// and it ends the run: the run must not go on as if the scenario had been loaded.
TEST_F(ScenarioFiles, UnderBatchControlAScenarioThatCannotBeReadEndsTheRun) {
    Touch(QStringLiteral("Config/a.cfg"));
    program.write(QStringLiteral("damaged.scn"), TwoRowLegacyScenario(false).chopped(10));
    program.write(QStringLiteral("empty.scn"), QByteArray());
    struct Case {
        const char *file;
        QString text;
    };
    const Case cases[] = {
        {"damaged.scn", QStringLiteral("Файл сценария поврежден:\n") + program.path(QStringLiteral("damaged.scn"))},
        {"empty.scn", QStringLiteral("Файл сценария поврежден:\n") + program.path(QStringLiteral("empty.scn"))},
        {"none.scn", QStringLiteral("Не могу открыть файл ") + program.path(QStringLiteral("none.scn"))},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        std::vector<MessageRequest> logged;
        SetBatchMessageSink([&logged](const MessageRequest &request) {
            logged.push_back(request);
            return int(IdOk);
        });
        TScenarClass scenario;
        EXPECT_FALSE(LoadScenarioIni(scenario, false, program.path(QLatin1String(c.file))));
        SetBatchMessageSink({});
        EXPECT_TRUE(messages.isEmpty()) << "no box";
        ASSERT_EQ(logged.size(), 1u);
        EXPECT_EQ(logged[0].text, c.text);
        EXPECT_EQ(logged[0].batchCode, -5);
        EXPECT_EQ(logged[0].batchLogSource, 1);
    }
}

} // namespace
