#include "shell/Main.h"

#include "engine/catalogue/ConnectionTypes.h"
#include "settings/SettingsInterlocks.h"
#include "settings/SettingsWindowButtons.h"
#include "shell/StatusBar2.h"
#include "state/DeviceSettings.h"
#include "storage/ConfigurationServices.h"
#include "storage/MainCaption.h"
#include "storage/SettingsSnapshotApply.h"
#include "views/GraphHost.h"

// What loading and saving a configuration, and applying a settings snapshot, ask of the main window and
// the windows it owns.
void TMainForm::RegisterConfigurationServices() {
    TSnapshotServices &common = SnapshotServices();
    common.MaskDir = [this] { return MaskDir; };
    common.RefreshSettingsStatus = [this] {
        SetFrequencyPanel(DeviceSettings->MaxFrequency);
        StatusBar2->SetPanelText(2, ConnectionTypeNames.value(DeviceSettings->ConnectionType));
        StatusBar2->FitPanel(2);
        PreviousConnectionType = DeviceSettings->ConnectionType;
        RefreshSettingsInterlocks();
    };
    common.ApplyBlockSize = [this](int changed) { ApplyBlockSize(changed != 0, false); };
    common.RefreshAllPages = RefreshAllPages;
    common.RefreshParamTables = [] {
        if (GraphHost.RefreshParamTables)
            GraphHost.RefreshParamTables();
    };
    common.RebindGraphMasks = [this](int which) { RebindGraphMasks(which); };

    TConfigurationServices &services = ConfigurationServices();
    services.DirMaskFile = [this] { return DirMaskFile; };
    services.ClosePointValueWindows = [this] { ClosePointValueWindows(); };
    services.ReopenInstrument = [this] { return ReopenInstrument(); };
    services.RefreshGraphWindows = [this] { RebindGraphWindows(true); };
    services.SetMainCaption = [this](const QString &fileName) {
        CaptionText = MainCaptionText(fileName);
        FitMainCaption();
    };
}
