#include "storage/ParamTablesReset.h"

#include "engine/TimeSeries.h"
#include "engine/catalogue/ParameterTable.h"
#include "state/SettingsLoadState.h"
#include "storage/ConfigWindows.h"

void ResetParamTables(bool closeWindows) {
    for (int32_t kind = FirstTableKind; kind <= LastTableKind; ++kind) {
        const ParameterTable table = ParameterTableOf(kind);
        for (int32_t row = 0; row < table.RowCount; ++row)
            table.Rows[row].Result = ParamResult{NoValue, NoValue, ParamNotJudged, {}};
    }
    TConfigWindowHost *host = ConfigWindowHost();
    if (closeWindows && host)
        for (int32_t slot = 0; slot < ConfigValueWindowCount; ++slot)
            if (const std::optional<TTextWindowEntry> entry = host->TextWindow(slot); entry && !entry->RowWindow)
                host->Close({ConfigWindowKind::TextWindow, slot});
    for (int32_t slot = 0; slot < TimeSeriesSlotCount; ++slot)
        if (TimeSeriesSlots[std::size_t(slot)]) {
            TimeSeriesSlots[std::size_t(slot)]->RefCount = 0;
            if (closeWindows)
                ReleaseTimeSeries(slot);
        }
    if (!host)
        return;
    // The rows bind again even while a load holds the settings lock.
    const int16_t state = SettingsLoadState;
    SettingsLoadState = 1;
    for (int32_t kind = FirstTableKind; kind <= LastTableKind; ++kind)
        for (int32_t row = 0; row < ParameterTableOf(kind).RowCount; ++row)
            host->ReapplyRowSettings(kind - 1, row);
    SettingsLoadState = state;
}
