#include "selective/MirvakRun.h"

#include "selective/MirvakPlan.h"
#include "selective/MirvakPlanValidation.h"
#include "selective/MirvakWork.h"

#include "engine/catalogue/ParameterTable.h"
#include "engine/evaluation/ResultGraphReset.h"
#include "link/Library.h"
#include "link/connection/Tr9sendgetcommand.h"
#include "settings/GeneratorCommands.h"
#include "settings/SettingsHost.h"
#include "state/DeviceSettings.h"
#include "state/MainGlobals.h"
#include "state/RecordChangeMask.h"

namespace {

struct TGraphParamPair {
    int GraphKind;
    int Parameter;
};
// The selective graphs and the result parameter each of them draws.
constexpr TGraphParamPair MirvakGraphParams[] = {
    {21, 25}, {22, 26}, {23, 27}, {24, 28}, {25, 29}, {26, 30}, {27, 31}, {28, 32},
    {29, 33}, {30, 34}, {31, 35}, {32, 37}, {33, 38}, {34, 39}, {35, 40}, {36, 41}};

void MarkSettingsRecord() {
    if (RecordingOn)
        RecordChangeMask |= 0x01;
}

bool AfcSubMode(int subMode) {
    return subMode == 0 || subMode == -1;
}

} // namespace

TMirvakPlanHooks &MirvakPlanHooks() {
    static TMirvakPlanHooks hooks;
    return hooks;
}

void StartMirvak() {
    TDeviceSettings &s = *DeviceSettings;
    MirvakBlock &m = s.Mirvak;
    m.RunState = 1;
    BuildMirvakPlan();
    s.Mode |= 0x1101;
    if (m.SubMode == MirvakSubModeScan) {
        if (!m.SinOn || !StartMirvakTone()) {
            // A scan whose plan has no point to play runs with the generator off.
            m.SinOn = 0;
            BlockGenerator();
        }
    } else if (m.SubMode >= -1 && m.SubMode <= 8) {
        BlockGenerator();
    }
    const TMirvakPlanHooks &hooks = MirvakPlanHooks();
    hooks.Call(hooks.RefreshMirvakState);
    hooks.Call(hooks.UpdateControlStates);
    hooks.Call(hooks.ShowMirvakToneEntry);
}

void OnMirvakPassEnd() {
    const MirvakBlock &m = DeviceSettings->Mirvak;
    if (m.SubMode == 0 && (m.Options & MirvakContinuous))
        StartMirvak();
    else
        RequestMirvakStop();
}

void RequestMirvakStop() {
    TDeviceSettings &s = *DeviceSettings;
    if (s.Mirvak.RunState <= 0)
        return;
    s.Mirvak.RunState = 3;
    if (AfcSubMode(s.Mirvak.SubMode)) {
        s.Mode |= 0x004;
        SendCommand();
    }
    const TMirvakPlanHooks &hooks = MirvakPlanHooks();
    hooks.Call(hooks.ShowMirvakStartButton);
    hooks.Call(hooks.ShowMirvakCalibration);
    MarkSettingsRecord();
}

void MarkMirvakStopped() {
    DeviceSettings->Mirvak.RunState = 0;
    const TMirvakPlanHooks &hooks = MirvakPlanHooks();
    hooks.Call(hooks.RefreshMirvakState);
    if (hooks.ShowMirvakStopButton)
        hooks.ShowMirvakStopButton(false);
    hooks.Call(hooks.UpdateControlStates);
    hooks.Call(hooks.ShowMirvakToneEntry);
}

void FinishMirvakRun() {
    if (DeviceSettings->Mirvak.RunActive == 0) {
        RequestMirvakStop();
        MarkMirvakStopped();
    }
    MarkSettingsRecord();
}

void StopMirvakRun() {
    TDeviceSettings &s = *DeviceSettings;
    s.Mirvak.RunActive = 0;
    s.Mode |= 0x1000;
    SendCommand();
    MarkSettingsRecord();
    const TMirvakPlanHooks &hooks = MirvakPlanHooks();
    if (hooks.ShowMirvakStopButton)
        hooks.ShowMirvakStopButton(true);
    // No stop report will come without a measurement, nor from the demonstration emulator, which has no
    // selective program: the run would stay "stopping" and keep the page locked.
    if (!MeasurementRunning || Emulator)
        FinishMirvakRun();
}

void ResetMirvakResults() {
    SetMirvakDeviceMode();
    PrepareMirvakHolder();
    ResetMirvakWork();
    RecordChangeMask |= 0x40;
}

void ResetMirvakOnRangeChange(float, float) {
    ResetMirvakResults();
}

// The pairs name parameters past the end of the selective table too; those have no mask slot.
void ResetMirvakGraphs() {
    for (const TGraphParamPair &pair : MirvakGraphParams) {
        const bool inTable = pair.Parameter >= 0 && pair.Parameter < ParamTableRowCounts[6];
        ResetResultGraph(pair.GraphKind, inTable ? ParamTableMirvak[pair.Parameter].MaskSlot : -1);
    }
}

QString MirvakStartRefusal(const QString &maxLevelText) {
    const TDeviceSettings &s = *DeviceSettings;
    const int subMode = s.Mirvak.SubMode;
    QString message;
    if (s.MaxLevelIndex == 3 && subMode >= 3 && subMode <= 8)
        message = QStringLiteral("Калибровка и измерения импеданса в режиме \"Мирвак\"\nпри Макс.уровень,дБм = ") +
                  maxLevelText + QStringLiteral(" - невозможны.");
    if (s.SampleRate < 2400)
        message = QStringLiteral("Режим \"Мирвак\" для АЧХ,Скан, Мониторинг доступен при максимальной частоте "
                                 "1024 кГц\nи для измерения импеданса доступен при максимальной частоте 1024, "
                                 "2048,4096 кГц !");
    else if (s.SampleRate > 2600 && subMode >= -1 && subMode <= 2)
        message = QStringLiteral("Режим \"Мирвак\" для измерения АЧХ, Скан, Мониторинг\nдоступен только при "
                                 "максимальной частоте 1024 кГц!");
    return message;
}

QString BeginMirvakRun(const TMirvakStartPage &page) {
    TDeviceSettings &s = *DeviceSettings;
    const TMirvakPlanHooks &hooks = MirvakPlanHooks();
    if (s.Mirvak.RunState >= 2) {
        s.Mirvak.RunActive = 0;
        s.Mode |= 0x1000;
        SendCommand();
    }
    hooks.Call(page.SetMirvak);
    ResetMirvakResults();
    QString message;
    if (!ValidateMirvakPlan(message))
        return message;
    s.Mirvak.RunActive = 1;
    s.Mirvak.RunState = 1;
    hooks.Call(page.RefreshMirvakState);
    s.AutoMaxLevel = 0;
    hooks.Call(page.SwitchOffAutoMaxLevel);
    // The selective firmware is loaded by an opening of the link while the run state is set.
    if (MirvakFirmware == 0 && MeasurementRunning && SettingsHost().ReopenInstrument)
        SettingsHost().ReopenInstrument();
    StartMirvak();
    MarkSettingsRecord();
    return {};
}
