#include "protocols/ScenarioState.h"
#include "shell/Main.h"
#include "views/Setting.h"
#include "views/masks/Editmask.h"

#include <QCoreApplication>

namespace {

QString MainIniFileName() {
    return MainForm ? MainForm->IniFileName : QString();
}

// The mask editor and the program settings dialog join the program once the application exists: the
// main window opens them through its factories (menu items and the windows re-opened at start), and they
// read its R9.ini, its mask folder and the scenario state. The automatic-protocol interval is the
// averaging interval until the protocol snapshot computes its own, and no window arrangement follows the
// automatic window change until the configuration layer provides one.
void InstallDialogFactories() {
    WindowFactories.MaskEdit = [](int mode) { return new TForm_MaskEdit(nullptr, mode); };
    WindowFactories.Settings = [](int) { return new TForm_Settings; };
    MaskEditHost.IniFileName = MainIniFileName;
    MaskEditHost.MaskDir = [] { return MainForm ? MainForm->MaskDir : QString(); };
    SettingsHost.IniFileName = MainIniFileName;
    SettingsHost.ScenarioRunning = [] { return ScenarioRunning != 0; };
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(InstallDialogFactories)
