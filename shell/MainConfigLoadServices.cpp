#include "shell/Main.h"

#include "engine/catalogue/ConnectionTypes.h"
#include "settings/SettingsInterlocks.h"
#include "settings/SettingsWindowButtons.h"
#include "shell/StatusBar2.h"
#include "state/DeviceSettings.h"
#include "storage/ConfigurationServices.h"
#include "storage/MainCaption.h"
#include "views/GraphHost.h"

// What loading and saving a configuration asks of the main window and the windows it owns.
void TMainForm::RegisterConfigurationServices() {
    TConfigurationServices &services = ConfigurationServices();
    services.MaskDir = [this] { return MaskDir; };
    services.DirMaskFile = [this] { return DirMaskFile; };
    services.ClosePointValueWindows = [this] { ClosePointValueWindows(); };
    services.ShowSettingsPanels = [this] {
        SetFrequencyPanel(DeviceSettings->MaxFrequency);
        StatusBar2->SetPanelText(2, ConnectionTypeNames.value(DeviceSettings->ConnectionType));
        StatusBar2->FitPanel(2);
    };
    services.RefreshSettingsInterlocks = [this] {
        PreviousConnectionType = DeviceSettings->ConnectionType;
        RefreshSettingsInterlocks();
    };
    services.ApplyBlockSize = [this](bool changed, bool force) { ApplyBlockSize(changed, force); };
    services.ReopenInstrument = [this] { return ReopenInstrument(); };
    services.RefreshAllPages = RefreshAllPages;
    services.RefreshParamTables = [] {
        if (GraphHost.RefreshParamTables)
            GraphHost.RefreshParamTables();
    };
    services.RefreshGraphWindows = [this] { RebindGraphWindows(true); };
    services.SetMainCaption = [this](const QString &fileName) {
        CaptionText = MainCaptionText(fileName);
        FitMainCaption();
    };
}
