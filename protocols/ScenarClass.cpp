#include "protocols/ScenarClass.h"

#include "platform/Cp1251.h"
#include "platform/MessageService.h"
#include "protocols/ProtocolEntry.h"
#include "protocols/ScenarioRowEstimate.h"
#include "state/FileNameList.h"
#include "storage/SettingsSnapshotApply.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

const ScenarioRow ScenarioRowTemplate{};

TScenarClass *CurrentScenario = nullptr;
int ScenarioInsertIndex = 0;

namespace {

std::unique_ptr<TScenarClass> &OwnedScenario() {
    static std::unique_ptr<TScenarClass> scenario;
    return scenario;
}

} // namespace

void OpenCurrentScenario() {
    OwnedScenario() = std::make_unique<TScenarClass>();
    CurrentScenario = OwnedScenario().get();
    ScenarioInsertIndex = 0;
    SnapshotServices().SetScenarioRowFromConfig = SetRowFromConfig;
    // The protocol's scenario entries name the scenario, its pass and the current row's configuration.
    TProtocolScenario &protocol = ProtocolScenario();
    protocol.RowConfigPath = [] {
        const TScenarClass &s = *CurrentScenario;
        return s.CurrentRow >= 0 && s.CurrentRow < s.RowCount()
                   ? FileNameList.value(s.Rows[std::size_t(s.CurrentRow)].ConfigIndex)
                   : QString();
    };
    protocol.ScenarioPath = [] { return CurrentScenario->Name; };
    protocol.RepeatNumber = [] { return int32_t(CurrentScenario->RepeatNumber); };
}

void CloseCurrentScenario() {
    ProtocolScenario() = {};
    SnapshotServices().SetScenarioRowFromConfig = nullptr;
    CurrentScenario = nullptr;
    OwnedScenario().reset();
}

bool InsertConfigRow(TScenarClass &scenario, int index) {
    if (index < 0 || index > scenario.RowCount())
        return false;
    try {
        scenario.Rows.insert(scenario.Rows.begin() + index, ScenarioRowTemplate);
    } catch (const std::bad_alloc &) {
        ShowMessage({QStringLiteral("Нет памяти для расширения сценария!"), QStringLiteral("Ошибка!"), MsgIcon::Error,
                     MsgButtons::Ok});
        return false;
    }
    return true;
}

void DeleteConfigRow(TScenarClass &scenario, int index) {
    if (index >= 0 && index < scenario.RowCount())
        scenario.Rows.erase(scenario.Rows.begin() + index);
}

void ClearScenario(TScenarClass &scenario) {
    scenario.Rows.clear();
    scenario.CurrentRow = 0;
    scenario.RepeatNumber = 0;
}

void FindLastRemoteRow(TScenarClass &scenario) {
    scenario.LastRemoteRow = -1;
    for (int i = 0; i < scenario.RowCount(); ++i)
        if (scenario.Rows[std::size_t(i)].RemotePrt == 1)
            scenario.LastRemoteRow = int16_t(i);
}

void SetFixedText(char *field, std::size_t size, const QString &text) {
    const QByteArray bytes = ToCp1251(text);
    std::memset(field, 0, size);
    std::memcpy(field, bytes.constData(), std::min(size, std::size_t(bytes.size())));
}

QString FixedText(const char *field, std::size_t size) {
    const auto end = static_cast<const char *>(std::memchr(field, 0, size));
    return FromCp1251(QByteArray(field, end ? end - field : qsizetype(size)));
}
