#include "protocols/ScenarioState.h"
#include "shell/Main.h"
#include "views/Form_colorgraph.h"
#include "views/GraphHost.h"
#include "views/Setting.h"
#include "views/masks/Editmask.h"
#include "views/masks/Mask_colorgraph.h"

#include <QCoreApplication>

namespace {

QString MainIniFileName() {
    return MainForm ? MainForm->IniFileName : QString();
}

// The mask editor, the program settings dialog and the colour dialogs join the program once the
// application exists: the main window opens them through its factories (menu items and the windows
// re-opened at start), and they read its R9.ini, its mask folder and the scenario state. The
// automatic-protocol interval is the averaging interval until the protocol snapshot computes its own; the
// window arrangement that follows the automatic window change comes with the configuration services.
void InstallDialogFactories() {
    WindowFactories.MaskEdit = [](int mode) { return new TForm_MaskEdit(nullptr, mode); };
    WindowFactories.Settings = [](int) { return new TForm_Settings; };
    MaskEditHost.IniFileName = MainIniFileName;
    MaskEditHost.MaskDir = [] { return MainForm ? MainForm->MaskDir : QString(); };
    ProgramSettingsHost.IniFileName = MainIniFileName;
    ProgramSettingsHost.ScenarioRunning = [] { return ScenarioRunning != 0; };
    // The graph windows' colour items open the mask colour and graph colour dialogs.
    GraphHost.EditMaskStyle = [](QWidget *owner, int32_t &colour, int32_t &width, int32_t &isLine) {
        TMask_Color dialog(owner);
        dialog.Setup(colour, width, isLine);
        return dialog.exec() == QDialog::Accepted;
    };
    GraphHost.EditSeriesColour = [](QWidget *owner, int kind, TChartSeries &series) {
        TForm_Color dialog(owner);
        dialog.Series = &series;
        dialog.Setup(kind, owner);
        return dialog.exec() == QDialog::Accepted;
    };
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(InstallDialogFactories)
