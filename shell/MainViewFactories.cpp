#include "engine/evaluation/DispatchTargets.h"
#include "shell/Main.h"
#include "shell/WindowRegistries.h"
#include "views/Fgraph.h"
#include "views/GraphHost.h"

#include <QCoreApplication>

namespace {

QString *MainFolder(QString TMainForm::*folder) {
    return MainForm ? &(MainForm->*folder) : nullptr;
}

// The graph windows join the program once the application exists, before the main window is built:
// the main window opens them through its factory, the dispatch redraws them after every judged frame,
// and they read the main window's R9.ini and folders.
void InstallViewFactories() {
    WindowFactories.Graph = CreateGraphWindow;
    DispatchTargets().RedrawGraph = [](int32_t kind) {
        if (kind < 0 || kind >= GraphWindowCount)
            return;
        if (auto *window = qobject_cast<TForm_Graphic *>(GraphWindows[std::size_t(kind)].data()))
            window->RedrawGraph();
    };
    GraphHost.IniFileName = [] { return MainForm ? MainForm->IniFileName : QString(); };
    GraphHost.DirMaskFile = [] { return MainFolder(&TMainForm::DirMaskFile); };
    GraphHost.DirReport = [] { return MainFolder(&TMainForm::DirReport); };
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(InstallViewFactories)
