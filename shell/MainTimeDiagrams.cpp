#include "shell/MainTimeDiagrams.h"

#include "controls/Placemnt.h"
#include "engine/SignalKindChange.h"
#include "engine/TimeSeries.h"
#include "engine/evaluation/DispatchTargets.h"
#include "engine/masks/MaskSlot.h"
#include "settings/SettingsWindowButtons.h"
#include "shell/Main.h"
#include "shell/WindowRegistries.h"
#include "state/MainGlobals.h"
#include "views/Fgraph.h"
#include "views/Form_parambase.h"
#include "views/Form_timediagr.h"
#include "views/GraphCellData.h"

#include <QToolButton>

namespace {

TForm_TimeDiagram *TimeDiagramOf(int32_t unitCode) {
    if (unitCode < 0 || unitCode >= TimeDiagramWindowCount)
        return nullptr;
    return qobject_cast<TForm_TimeDiagram *>(TimeDiagramWindows[std::size_t(unitCode)].data());
}

template <typename Visit> void ForEachTimeDiagram(Visit visit) {
    for (int32_t unit = 0; unit < TimeDiagramWindowCount; ++unit)
        if (TForm_TimeDiagram *window = TimeDiagramOf(unit))
            visit(*window);
}

// A new binding shows its line in the open diagram of its unit, or opens that diagram, which adds the
// lines of every series of its unit.
void ShowSeries(int32_t unitCode, int32_t slot) {
    if (TForm_TimeDiagram *window = TimeDiagramOf(unitCode)) {
        window->AddSeries(slot);
        window->show();
        return;
    }
    if (!MainForm)
        return;
    MainForm->CurrentIndex = unitCode;
    MainForm->ShowTimeDiagramWindow();
}

// Every open graph window follows a new signal kind: its Y range, its masks where the kind calls for it,
// and its curve.
void RebindGraphWindows(int32_t newKind) {
    for (QPointer<QWidget> &slot : GraphWindows)
        if (auto *graph = qobject_cast<TForm_Graphic *>(slot.data())) {
            graph->LoadYRange();
            if (MasksFollowKindChange(graph->Kind(), newKind))
                graph->RebindMasks(2);
            graph->RedrawGraph();
        }
}

} // namespace

void InstallTimeDiagrams() {
    WindowFactories.TimeDiagram = CreateTimeDiagramWindow;
    TDispatchTargets &targets = DispatchTargets();
    targets.AppendTimeSeries = AppendFrameToTimeSeries;
    targets.AppendTimeDiagramPoints = [] { ForEachTimeDiagram([](TForm_TimeDiagram &w) { w.AppendPoints(true); }); };

    TTimeSeriesViews &views = TimeSeriesViews();
    views.ShowSeries = ShowSeries;
    views.RemoveSeries = [](int32_t unitCode, int32_t slot) {
        if (TForm_TimeDiagram *window = TimeDiagramOf(unitCode))
            window->RemoveSeries(slot);
    };
    views.CurvePointValue = CurvePointValue;
    views.ReplaySstResults = [] {
        if (MainForm)
            MainForm->ReplaySstResults();
    };
    // No frames arrive while Pause is down; a playback keeps its own pace.
    TimeDiagramHost.DisplayFrozen = [] { return !PlaybackOn && MainForm && MainForm->Button_Stop->isChecked(); };

    TSignalKindChangeViews &kindChange = SignalKindChangeViews();
    kindChange.ApplyForcedBlockSize = [] {
        if (MainForm)
            MainForm->ApplyBlockSize(false, true);
    };
    kindChange.RebindGraphWindows = RebindGraphWindows;
    kindChange.RebuildResultTable = RebuildLocalResultTable;
    kindChange.UpdateSettingsControls = UpdateControlStates;
}

void ReloadTimeDiagramSettings() {
    ForEachTimeDiagram([](TForm_TimeDiagram &window) { window.FormStorage1->RestoreFormPlacement(); });
}

void SaveTimeDiagramSettings() {
    ForEachTimeDiagram([](TForm_TimeDiagram &window) { window.FormStorage1->SaveFormPlacement(); });
}
