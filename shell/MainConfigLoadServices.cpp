#include "shell/Main.h"

#include "settings/masters/MasterFreq.h"
#include "settings/masters/MasterLev.h"
#include "storage/ConfigurationServices.h"
#include "storage/MainCaption.h"
#include "storage/StateCfgChoice.h"

// What loading and saving a configuration ask of the main window and the windows it owns, beyond the
// services of the settings snapshot (MainSnapshotServices).
void TMainForm::RegisterConfigurationServices() {
    TConfigurationServices &services = ConfigurationServices();
    services.DirMaskFile = [this] { return DirMaskFile; };
    services.ClosePointValueWindows = [this] { ClosePointValueWindows(); };
    services.ReopenInstrument = [this] { return ReopenInstrument(); };
    services.RefreshGraphWindows = [this] { RebindGraphWindows(true); };
    services.StopMasterFreq = StopMasterFreq;
    services.StopMasterLev = StopMasterLev;
    services.AskGeneratorStates = [] { ShowStateCfgDialog(); };
    services.SetMainCaption = [this](const QString &fileName) {
        CaptionText = MainCaptionText(fileName);
        FitMainCaption();
    };
}
