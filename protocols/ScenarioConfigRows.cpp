#include "protocols/ScenarioConfigRows.h"

#include "platform/IniFile.h"
#include "platform/MessageService.h"
#include "platform/StringTable.h"
#include "protocols/ScenarClass.h"
#include "state/FileNameList.h"
#include "storage/Configuration.h"
#include "storage/LegacyConfiguration.h"
#include "storage/SettingsSnapshotApply.h"

#include <QBuffer>
#include <QFile>

namespace {

const QString IniMarkerSection = QStringLiteral("Общие R9");

// The row that the configuration fills: a new one at `index`, or the one there with its path replaced.
bool PrepareRow(const QString &fileName, bool add, int index) {
    TScenarClass &scenario = *CurrentScenario;
    if (add) {
        if (!InsertConfigRow(scenario, index))
            return false;
        FileNameList.append(fileName);
        scenario.Rows[std::size_t(index)].ConfigIndex = int16_t(FileNameList.size() - 1);
    } else {
        if (index < 0 || index >= scenario.RowCount())
            return false;
        const int16_t pooled = scenario.Rows[std::size_t(index)].ConfigIndex;
        if (pooled >= 0 && pooled < FileNameList.size()) {
            FileNameList[pooled] = fileName;
        } else {
            FileNameList.append(fileName);
            scenario.Rows[std::size_t(index)].ConfigIndex = int16_t(FileNameList.size() - 1);
        }
    }
    ScenarioInsertIndex = index;
    return true;
}

// A batch run ends on it, as on a refused version: it must not go on as if the scenario had been loaded.
void ReportUnreadable(const QString &text) {
    ShowMessage({text, LoadStr(5), MsgIcon::Warning, MsgButtons::Ok, BatchCloseCode, 0});
}

bool ReadBinaryConfig(const QString &fileName, bool add, int index) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        ReportUnreadable(LoadStr(413) + u' ' + fileName);
        return false;
    }
    QByteArray bytes = file.readAll();
    QBuffer stream(&bytes);
    stream.open(QIODevice::ReadOnly);
    QByteArray version;
    if (!ReadLegacyVersion(stream, fileName, version) || !PrepareRow(fileName, add, index))
        return false;
    QString error;
    if (ApplySettingsSnapshot(stream, SnapshotMode::ScenarioRow, version, &error))
        return true;
    if (add)
        DeleteConfigRow(*CurrentScenario, index);
    ReportUnreadable(fileName + QStringLiteral(":\n") + error);
    return false;
}

} // namespace

bool ReadConfigIntoRow(const QString &fileName, bool add, int index) {
    if (!CurrentScenario)
        return false;
    TMemIniFile ini(fileName);
    if (!ini.SectionExists(IniMarkerSection))
        return ReadBinaryConfig(fileName, add, index);
    if (!PrepareRow(fileName, add, index))
        return false;
    LoadConfigIni(ini, true);
    return true;
}
