#include "protocols/BatchTargets.h"
#include "protocols/ProtocolState.h"
#include "shell/Main.h"
#include "shell/StatusBar2.h"
#include "state/MainGlobals.h"
#include "storage/Configuration.h"

// Batch control drives the main window as a user would: its buttons, its status bar and its
// configuration; the scenario window adds its own part when it opens.
void TMainForm::RegisterBatchTargets() {
    BatchTargets &targets = BatchControlTargets();
    targets.ListInstrumentNames = [] { return ListInstrumentNames(); };
    targets.InstrumentOnUsb = [] { return ConnectionKind != 0; };
    targets.ShowInstrument = [this](const QString &name) {
        StatusBar2->SetPanelText(0, name);
        StatusBar2->FitPanel(0);
    };
    targets.StartMeasurement = [this] { Button_StartClick(nullptr); };
    targets.StopMeasurement = [this] { Button_BreakClick(nullptr); };
    targets.SaveProtocol = [this](const QString &comment) {
        if (!comment.isEmpty())
            ProtocolComment = comment;
        Button_ProtocolClick();
    };
    targets.LoadConfig = [this](const QString &fileName) {
        ConfigFileName = fileName;
        return LoadConfiguration(fileName);
    };
    targets.ShowScenarioWindow = [this] { N_ScenarClick(); };
}
