#include "protocols/ScenarioFiles.h"

#include "chartlib/Chartlib.h"
#include "platform/AtomicFile.h"
#include "platform/IniDocument.h"
#include "platform/IniFile.h"
#include "platform/MessageService.h"
#include "platform/NumberFormat.h"
#include "platform/ProgramDir.h"
#include "platform/StringTable.h"
#include "protocols/PauseMessage.h"
#include "protocols/ProtocolFiles.h"
#include "protocols/ScenarioLegacyReader.h"
#include "state/MainGlobals.h"
#include "state/FileNameList.h"
#include "storage/FilePaths.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

const QString Section = QStringLiteral("Сценарий");
const QString NameKey = QStringLiteral("Имя сценария");
const QString RepeatKindKey = QStringLiteral("Тип автоповтора сценария");
const QString RepeatIntervalKey = QStringLiteral("Интервал автоповтора, сек");
const QString RepeatCountKey = QStringLiteral("Количество автоповторов");
const QString CommentKey = QStringLiteral("Комментарий");
const QString RowCountKey = QStringLiteral("Количество конфигураций");
const QString DirReportKey = QStringLiteral("DirReport");
const QString NameIdxKey = QStringLiteral("NameIdx");

// The row count is an int16; a stored count beyond it (a damaged file) is read as far as it can be.
constexpr int MaxRows = INT16_MAX;
// Every stored message line takes at least its " \n " in the 450-byte field.
constexpr int MaxMessageLines = PauseMessageSize / 3;

QString RowKey(int row, const QString &suffix) {
    return QStringLiteral("Конфигурация №") + QString::number(row + 1) + suffix;
}

QString MessageLineKey(int row, int line) {
    return RowKey(row, QStringLiteral(" Сообщение при паузе #") + QString::number(line + 1));
}

bool IsSeparator(QChar c) {
    return c == u'/' || c == u'\\';
}

// The folder part of a path with its separator ('/' or '\'), empty when it has none.
QString FolderOf(const QString &path) {
    for (qsizetype i = path.size() - 1; i >= 0; --i)
        if (IsSeparator(path[i]))
            return path.left(i + 1);
    return {};
}

QString FileNameOf(const QString &path) {
    return path.mid(FolderOf(path).size());
}

// The folder, which ends in its separator, begins the path (either separator matching either, case
// ignored), and a name follows it.
bool FolderBegins(const QString &path, const QString &folder) {
    if (folder.isEmpty() || path.size() <= folder.size())
        return false;
    for (qsizetype i = 0; i < folder.size(); ++i) {
        const QChar a = path[i], b = folder[i];
        if (IsSeparator(a) && IsSeparator(b))
            continue;
        if (a.toCaseFolded() != b.toCaseFolded())
            return false;
    }
    return true;
}

QString ProtocolLinkValue(const std::function<QString *()> &link, const QString &fallback) {
    const QString *value = link ? link() : nullptr;
    return value ? *value : fallback;
}

void SetProtocolLink(const std::function<QString *()> &link, const QString &value) {
    if (QString *target = link ? link() : nullptr)
        *target = value;
}

QString ThisCopysFramesetName() {
    return QStringLiteral("_Start_") + QString::number(InstanceNumber) + QStringLiteral(".html");
}

void StoreComment(TScenarClass &scenario, const QString &comment) {
    if (scenario.CommentIndex >= 0 && scenario.CommentIndex < FileNameList.size()) {
        FileNameList[scenario.CommentIndex] = comment;
        return;
    }
    FileNameList.append(comment);
    scenario.CommentIndex = int16_t(FileNameList.size() - 1);
}

// A row's configuration path found again (in Config/ first, then in the scenario's folder) and pooled,
// found or not.
void StoreConfigPath(TScenarClass &scenario, ScenarioRow &row, QString path) {
    ResolveFilePath(path, FolderOf(scenario.Name), ScenarioConfigFolder());
    FileNameList.append(path);
    row.ConfigIndex = int16_t(FileNameList.size() - 1);
}

// The stored scenario name of a results file; when that file is gone, its name in the results file's
// folder.
QString ResultsScenarioName(const QString &stored, const QString &resultsFile) {
    if (QFileInfo(QString(stored).replace(u'\\', u'/')).isFile())
        return stored;
    return FolderOf(resultsFile) + FileNameOf(stored);
}

void ReadResultsLinks(TMemIniFile &ini) {
    const TScenarioProtocolLinks &links = ScenarioProtocolLinks();
    QString dirReport = ini.ReadString(Section, DirReportKey, ProtocolLinkValue(links.DirReport, QString()));
    if (dirReport.isEmpty() || !IsSeparator(dirReport.back()))
        dirReport += u'/';
    SetProtocolLink(links.DirReport, dirReport);
    SetProtocolLink(links.FramesetName, ini.ReadString(Section, NameIdxKey,
                                                       ProtocolLinkValue(links.FramesetName, ThisCopysFramesetName())));
}

void ReadRowResults(TMemIniFile &ini, int i, ScenarioRow &row) {
    row.State = int16_t(ini.ReadInteger(Section, RowKey(i, QStringLiteral(" Результаты: Состояние")), 0));
    row.NormOk = int16_t(ini.ReadInteger(Section, RowKey(i, QStringLiteral(" Результаты: Норма Ок")), 3));
    row.Quality = float(ini.ReadFloat(Section, RowKey(i, QStringLiteral(" Результаты: Качество")), 0));
    row.RemoteNormOk = int16_t(ini.ReadInteger(Section, RowKey(i, QStringLiteral(" Результаты: уд.Норма Ок")), 3));
    row.RemoteQuality = float(ini.ReadFloat(Section, RowKey(i, QStringLiteral(" Результаты: уд.Качество")), 0));
    SetFixedText(row.M_Cnt0, ini.ReadString(Section, RowKey(i, QStringLiteral(" Результаты: M_Cnt0")), QString()));
    SetFixedText(row.M_Data, ini.ReadString(Section, RowKey(i, QStringLiteral(" Результаты: M_Data")), QString()));
    SetFixedText(row.R_Cnt0, ini.ReadString(Section, RowKey(i, QStringLiteral(" Результаты: R_Cnt0")), QString()));
    SetFixedText(row.R_Data, ini.ReadString(Section, RowKey(i, QStringLiteral(" Результаты: R_Data")), QString()));
}

void LoadIni(TScenarClass &scenario, bool withResults, TMemIniFile &ini, const QString &fileName) {
    if (withResults) {
        scenario.Name = ResultsScenarioName(ini.ReadString(Section, NameKey, QString()), fileName);
        ReadResultsLinks(ini);
    }
    scenario.RepeatKind = int16_t(ini.ReadInteger(Section, RepeatKindKey, 0));
    scenario.RepeatInterval = ini.ReadInteger(Section, RepeatIntervalKey, 0);
    scenario.RepeatCount = int16_t(ini.ReadInteger(Section, RepeatCountKey, 0));
    StoreComment(scenario, ini.ReadString(Section, CommentKey, QString()));
    const int rows = std::clamp(ini.ReadInteger(Section, RowCountKey, 0), 0, MaxRows);
    for (int i = 0; i < rows; ++i) {
        if (!InsertConfigRow(scenario, scenario.RowCount()))
            return;
        ScenarioRow &row = scenario.Rows.back();
        row.Prt = int16_t(ini.ReadInteger(Section, RowKey(i, QStringLiteral(" Прт")), 1));
        row.RemotePrt = int16_t(ini.ReadInteger(Section, RowKey(i, QStringLiteral(" уд.Прт")), 0));
        row.PauseBefore = int16_t(ini.ReadInteger(Section, RowKey(i, QStringLiteral(" Пауза")), 0));
        const int lineCount =
            std::clamp(ini.ReadInteger(Section, RowKey(i, QStringLiteral(" N строк")), 0), 0, MaxMessageLines);
        QStringList lines;
        for (int k = 0; k < lineCount; ++k)
            lines << ini.ReadString(Section, MessageLineKey(i, k), QString());
        SetPauseMessage(row, lines);
        if (withResults)
            ReadRowResults(ini, i, row);
        StoreConfigPath(scenario, row, ini.ReadString(Section, RowKey(i, QStringLiteral(" Имя")), QString()));
    }
}

bool LoadLegacy(TScenarClass &scenario, bool withResults, const QString &fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        ShowMessage({LoadStr(413) + u' ' + fileName, LoadStr(5), MsgIcon::Warning, MsgButtons::Ok, BatchCloseCode, 1});
        return false;
    }
    const LegacyScenario read = ReadLegacyScenario(file.readAll(), withResults);
    scenario.RepeatKind = read.RepeatKind;
    scenario.RepeatInterval = read.RepeatInterval;
    scenario.RepeatCount = read.RepeatCount;
    StoreComment(scenario, read.Comment);
    if (withResults)
        scenario.Name = ResultsScenarioName(read.Name, fileName);
    for (const LegacyScenarioRow &item : read.Rows) {
        if (!InsertConfigRow(scenario, scenario.RowCount()))
            break;
        ScenarioRow &row = scenario.Rows.back();
        row = item.Row;
        StoreConfigPath(scenario, row, item.ConfigPath);
    }
    if (!read.Complete) {
        DebugLog(QStringLiteral("Scenario file ends inside an item: ") + fileName);
        ShowMessage({QStringLiteral("Файл сценария поврежден:\n") + fileName, LoadStr(5), MsgIcon::Warning,
                     MsgButtons::Ok, BatchCloseCode, 1});
    }
    return read.Complete;
}

} // namespace

TScenarioProtocolLinks &ScenarioProtocolLinks() {
    static TScenarioProtocolLinks links;
    return links;
}

QString ScenarioConfigFolder() {
    return ProgramDir() + QStringLiteral("Config/");
}

QString StoredConfigPath(const QString &path, const QString &scenarioFile) {
    for (const QString &folder : {FolderOf(scenarioFile), ScenarioConfigFolder()})
        if (FolderBegins(path, folder))
            return path.mid(folder.size());
    return path;
}

bool SaveScenarioIni(const TScenarClass &scenario, const QString &fileName) {
    IniDocument ini;
    const auto put = [&ini](const QString &key, const QString &value) { ini.SetValue(Section, key, value); };
    const auto putInt = [&put](const QString &key, int value) { put(key, QString::number(value)); };
    const TScenarioProtocolLinks &links = ScenarioProtocolLinks();
    put(NameKey, scenario.Name);
    putInt(RepeatKindKey, scenario.RepeatKind);
    putInt(RepeatIntervalKey, scenario.RepeatInterval);
    putInt(RepeatCountKey, scenario.RepeatCount);
    if (scenario.CommentIndex >= 0 && scenario.CommentIndex < FileNameList.size())
        put(CommentKey, FileNameList[scenario.CommentIndex]);
    putInt(RowCountKey, scenario.RowCount());
    put(DirReportKey, ProtocolLinkValue(links.DirReport, QString()));
    put(NameIdxKey, ProtocolLinkValue(links.FramesetName, ThisCopysFramesetName()));
    for (int i = 0; i < scenario.RowCount(); ++i) {
        const ScenarioRow &row = scenario.Rows[std::size_t(i)];
        const QString path =
            row.ConfigIndex >= 0 && row.ConfigIndex < FileNameList.size() ? FileNameList[row.ConfigIndex] : QString();
        put(RowKey(i, QStringLiteral(" Имя")), StoredConfigPath(path, scenario.Name));
        putInt(RowKey(i, QStringLiteral(" Прт")), row.Prt);
        putInt(RowKey(i, QStringLiteral(" уд.Прт")), row.RemotePrt);
        putInt(RowKey(i, QStringLiteral(" Пауза")), row.PauseBefore);
        const QStringList lines = PauseMessageLines(row);
        for (int k = 0; k < lines.size(); ++k)
            put(MessageLineKey(i, k), lines[k]);
        putInt(RowKey(i, QStringLiteral(" N строк")), int(lines.size()));
        putInt(RowKey(i, QStringLiteral(" Результаты: Состояние")), row.State);
        putInt(RowKey(i, QStringLiteral(" Результаты: Норма Ок")), row.NormOk);
        put(RowKey(i, QStringLiteral(" Результаты: Качество")), FloatToText(row.Quality));
        putInt(RowKey(i, QStringLiteral(" Результаты: уд.Норма Ок")), row.RemoteNormOk);
        put(RowKey(i, QStringLiteral(" Результаты: уд.Качество")), FloatToText(row.RemoteQuality));
        put(RowKey(i, QStringLiteral(" Результаты: M_Cnt0")), FixedText(row.M_Cnt0));
        put(RowKey(i, QStringLiteral(" Результаты: M_Data")), FixedText(row.M_Data));
        put(RowKey(i, QStringLiteral(" Результаты: R_Cnt0")), FixedText(row.R_Cnt0));
        put(RowKey(i, QStringLiteral(" Результаты: R_Data")), FixedText(row.R_Data));
    }
    return WriteFileAtomically(fileName, ini.ToBytes());
}

bool LoadScenarioIni(TScenarClass &scenario, bool withResults, const QString &fileName) {
    if (QFileInfo(fileName).isFile()) {
        TMemIniFile ini(fileName);
        if (ini.SectionExists(Section)) {
            LoadIni(scenario, withResults, ini, fileName);
            return true;
        }
    }
    return LoadLegacy(scenario, withResults, fileName);
}
