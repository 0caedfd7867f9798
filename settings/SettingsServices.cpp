#include "settings/SettingsServices.h"

#include "link/connection/ConnectionServices.h"
#include "settings/GeneratorStates.h"
#include "settings/Masters.h"
#include "settings/MeterSettings.h"
#include "settings/remote/RemoteExchange.h"
#include "settings/SettingsRecompute.h"
#include "settings/SettingsWindowButtons.h"
#include "state/DeviceSettings.h"
#include "storage/SettingsResets.h"
#include "storage/StateCfgChoice.h"

void RegisterSettingsServices() {
    TConnectionServices &services = ConnectionServices();
    services.SelectLocalGenerator = SelectLocalGenerator;
    services.MarkLocalGenButton = MarkLocalGenButton;
    services.ShowMasterFreqState = ShowMasterFreqState;
    services.ShowMasterLevState = ShowMasterLevState;
    services.ShowMirvakStartButton = ShowMirvakStartButton;
    services.ShowSyncState = ShowSyncState;
    services.RecomputeAfterSettings = RecomputeAfterSettings;
    RegisterMasterServices();
    SettingsResetViews().ClearWeightingName = [] { ClearWeightingName(*DeviceSettings); };
    SettingsResetViews().RefreshMeterPage = RefreshMeterPage;
    StateCfgRemoteLinkAvailable = IsRemoteLinkAvailable;
}
