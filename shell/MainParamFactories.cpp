#include "engine/catalogue/MaskNameList.h"
#include "engine/evaluation/DispatchTargets.h"
#include "protocols/ScenarioState.h"
#include "shell/Main.h"
#include "shell/WindowRegistries.h"
#include "storage/SettingsResets.h"
#include "views/Fgraph.h"
#include "views/Form_parambase.h"
#include "views/Form_parammeter.h"
#include "views/GraphHost.h"
#include "views/ParamWindowHost.h"
#include "views/Scalelabel.h"

#include <QCoreApplication>

namespace {

template <typename Visit> void ForEachOpenGraph(Visit visit) {
    for (QPointer<QWidget> &slot : GraphWindows)
        if (auto *graph = qobject_cast<TForm_Graphic *>(slot.data()))
            visit(*graph);
}

// A graph window opened from a parameter row is marked in the first graph menu that lists its kind.
void ShowGraphWindowOfRow(int kind) {
    if (!MainForm)
        return;
    MainForm->CurrentIndex = kind;
    MainForm->ShowGraphWindow();
    for (QMenu *menu : {MainForm->Menu_Spectr, MainForm->Menu_Rnd, MainForm->Menu_MTTS, MainForm->Menu_SST})
        if (MainForm->MenuSetCheck(menu))
            return;
}

// The parameter windows and the result tables join the program once the application exists: the main
// window opens them through its factories and menus, the dispatch refreshes the local result table after
// every judged frame, and a closed value window has the parameter windows show its row's switch anew.
void InstallParamWindows() {
    WindowFactories.MeasPar = CreateMeasParWindow;
    WindowFactories.BasePar = CreateBaseParWindow;
    DispatchTargets().RefreshResultTable = RefreshLocalResultTable;
    ScaleLabelHost.ShowParams = ShowParamsOfAllWindows;
    GraphHost.MaskNames = [] { return MaskNameList; };
    GraphHost.RefreshParamTables = [] {
        EnableEditorsOfAllWindows();
        RebuildLocalResultTable();
    };
    ParamWindowHost.UpdateWindowMenuCaption = [](QWidget *window) {
        if (MainForm)
            MainForm->UpdateWindowMenuCaption(window);
    };
    ParamWindowHost.ShowGraphWindow = ShowGraphWindowOfRow;
    ParamWindowHost.ShowMeasParWindow = [](int index) -> QWidget * {
        if (!MainForm)
            return nullptr;
        MainForm->CurrentIndex = index;
        return MainForm->ShowMeasParWindow();
    };
    ParamWindowHost.RebindGraphMasks = [](int kind, int side) {
        TForm_Graphic *window = OpenGraphWindow(kind);
        if (window)
            window->RebindMasks(side);
        return window != nullptr;
    };
    ParamWindowHost.ScenarioRunning = [] { return ScenarioRunning != 0; };
    SettingsResetViews().RefreshParamWindows = [] {
        EnableEditorsOfAllWindows();
        for (QPointer<QWidget> &slot : BaseParWindows)
            if (auto *table = qobject_cast<TForm_BasePar *>(slot.data()))
                table->ResizeGrid();
    };
    SettingsResetViews().ResetGraphMaskBindings = [] {
        ForEachOpenGraph([](TForm_Graphic &graph) { graph.ResetMaskBinding(); });
    };
    SettingsResetViews().RebindGraphMasks = [] {
        ForEachOpenGraph([](TForm_Graphic &graph) { graph.RebindMasks(2); });
    };
    ParamWindowHost.ReplaySstResults = [] {
        if (MainForm)
            MainForm->ReplaySstResults();
    };
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(InstallParamWindows)
