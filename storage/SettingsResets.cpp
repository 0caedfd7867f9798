#include "storage/SettingsResets.h"

#include "engine/EngineBuffers.h"
#include "engine/catalogue/MaskNameList.h"
#include "engine/catalogue/ParameterTable.h"
#include "engine/evaluation/PointVerdicts.h"
#include "engine/masks/MaskArray.h"
#include "state/DeviceSettings.h"

namespace {

template <typename... Args> void Call(const std::function<void(Args...)> &entry, Args... args) {
    if (entry)
        entry(args...);
}

// The tables of the generator kinds, whose mask files a reset forgets.
constexpr int32_t GeneratorTableKinds[] = {1, 2, 3, 4, 5};

void ClearMaskName(int16_t index) {
    if (index >= 0 && index < MaskNameList.size())
        MaskNameList[index].clear();
}

} // namespace

TSettingsResetViews &SettingsResetViews() {
    static TSettingsResetViews views;
    return views;
}

void RefreshParamTables() {
    Call(SettingsResetViews().RefreshParamWindows);
}

void ResetGraphsAndMasks() {
    Call(SettingsResetViews().ResetGraphMaskBindings);
    for (int32_t slot = 0; slot < MaskSlotCount; ++slot) {
        FreePointVerdicts(slot);
        for (int32_t side : {MaskUpperSide, MaskLowerSide})
            MaskArray[slot][side] = std::move(PendingMaskArray[slot][side]);
        AllocPointVerdicts(slot);
    }
}

void ClearMaskFileNames(ParamDescriptor *table, int32_t rows) {
    if (!table)
        return;
    for (int32_t i = 0; i < rows; ++i) {
        const ParamDescriptor &row = table[i];
        if (!row.TextNorms)
            continue;
        ClearMaskName(row.Settings.LowerMaskName);
        ClearMaskName(row.Settings.UpperMaskName);
    }
}

void ApplyRemoteParamSettings() {
    RefreshParamTables();
    if (DeviceSettings->PeerConnectState > 0)
        ResetGraphsAndMasks();
    DeviceSettings->Mode |= 0x100;
}

void ResetAllResults() {
    for (int32_t kind : GeneratorTableKinds) {
        const ParameterTable table = ParameterTableOf(kind);
        ClearMaskFileNames(table.Rows, table.RowCount);
    }
    ApplyRemoteParamSettings();
    ResetGraphsAndMasks();
    Call(SettingsResetViews().RebindGraphMasks);
    SetWeightingCurve(0, nullptr, nullptr);
    Call(SettingsResetViews().ClearWeightingName);
    Call(SettingsResetViews().RefreshMeterPage);
}
