#include "engine/evaluation/DispatchTargets.h"
#include "engine/evaluation/ProtocolSnapshot.h"
#include "protocols/PackageWork.h"
#include "shell/Main.h"
#include "settings/SettingsHost.h"
#include "settings/window/Form_SetDev.h"
#include "shell/MainConfigServices.h"
#include "shell/MainTimeDiagrams.h"
#include "shell/WindowRegistries.h"
#include "views/Fgraph.h"
#include "views/Form_parambase.h"
#include "views/GraphHost.h"
#include "views/GraphSnapshotPicture.h"
#include "views/Scalelabel.h"

#include <QCoreApplication>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace {

QString *MainFolder(QString TMainForm::*folder) {
    return MainForm ? &(MainForm->*folder) : nullptr;
}

// The value windows are children of the main window with an item in its Window menu, as wide as its
// client at most, and show the new values after every judged frame.
void InstallValueWindows() {
    DispatchTargets().UpdateValueWindows = UpdateScaleLabels;
    ScaleLabelHost.Place = [](QWidget *window, int tag) {
        if (!MainForm) {
            window->show();
            return;
        }
        QMdiSubWindow *sub = MainForm->MdiArea->addSubWindow(window);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        MainForm->AddWindowMenuItem(window, tag - 1);
        sub->show();
        MainForm->MdiArea->setActiveSubWindow(sub);
    };
    ScaleLabelHost.RemoveWindowMenuItem = [](QWidget *window) {
        if (MainForm)
            MainForm->RemoveWindowMenuItem(window);
    };
    ScaleLabelHost.IniFileName = [] { return MainForm ? MainForm->IniFileName : QString(); };
    ScaleLabelHost.ClientWidth = [] { return MainForm ? MainForm->MdiArea->width() : 0; };
    ScaleLabelHost.BatchResultFolder = [] { return PackageWork ? PackageWork->ResultPath : QString(); };
}

// "Настройки прибора" opens the settings window, whose commands reach back into the main window.
void InstallSettingsWindow() {
    WindowFactories.SetDev = [](int) -> QWidget * { return new TForm_SetDev; };
    SettingsHost().ApplyBlockSize = [](bool changed, bool force) {
        if (MainForm)
            MainForm->ApplyBlockSize(changed, force);
    };
    SettingsHost().ReopenInstrument = [] { return MainForm && MainForm->ReopenInstrument(); };
    SettingsHost().IniFileName = [] { return MainForm ? MainForm->IniFileName : QString(); };
    SettingsHost().DirMaskFile = []() -> QString & {
        static QString withoutMainWindow;
        return MainForm ? MainForm->DirMaskFile : withoutMainWindow;
    };
    SettingsHost().RefreshRemoteResultTable = [] {
        if (auto *table = qobject_cast<TForm_BasePar *>(BaseParWindows[1].data()))
            table->RefreshValues();
    };
}

// The graph windows join the program once the application exists, before the main window is built:
// the main window opens them through its factory, the dispatch redraws them after every judged frame,
// and they read the main window's R9.ini and folders.
void InstallViewFactories() {
    WindowFactories.Graph = CreateGraphWindow;
    DispatchTargets().RedrawGraph = [](int32_t kind) {
        if (TForm_Graphic *window = OpenGraphWindow(kind))
            window->RedrawGraph();
    };
    DispatchTargets().ResetGraphWindow = [](int32_t kind) {
        if (TForm_Graphic *window = OpenGraphWindow(kind)) {
            window->SetDefaultXRange(true);
            window->RebindMasks(2);
        }
    };
    ProtocolSnapshotServices().GraphPicture = [](int32_t kind) -> std::unique_ptr<TSnapshotPicture> {
        return SnapshotPictureOf(OpenGraphWindow(kind));
    };
    GraphHost.IniFileName = [] { return MainForm ? MainForm->IniFileName : QString(); };
    GraphHost.DirMaskFile = [] { return MainFolder(&TMainForm::DirMaskFile); };
    GraphHost.DirReport = [] { return MainFolder(&TMainForm::DirReport); };
    InstallValueWindows();
    InstallSettingsWindow();
    InstallTimeDiagrams();
    InstallConfigServices();
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(InstallViewFactories)
