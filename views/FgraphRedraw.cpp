#include "views/Fgraph.h"

#include "chart/Chart.h"
#include "engine/EngineBuffers.h"
#include "engine/catalogue/GraphKindTable.h"
#include "engine/masks/MaskSlot.h"
#include "state/MainGlobals.h"
#include "views/GraphSources.h"

#include <QTableView>

// Called for every block: a window that is not on screen leaves its series as they are until it shows
// again or a picture of it is taken, and the drawing waits for the end of the event loop's turn. Playback
// hands over blocks faster than the screen refreshes: the window then draws once per refresh and fills its
// series for that drawing only.
void TForm_Graphic::RedrawGraph() {
    const bool screenRate = PlaybackOn;
    if (!Chart1->OnScreen() || (screenRate && Chart1->RepaintPending())) {
        Chart1->SeriesOutdated();
        return;
    }
    UpdateSeries();
    Chart1->RepaintLater(screenRate);
}

void TForm_Graphic::UpdateSeries() {
    hasValue_ = false;
    // Qt offers no look at pending user input, so the kind check runs on every redraw; its outcome is
    // the same, only the moment of the re-binding moves.
    CheckKindChange();
    const auto curve = GraphCurve(kind_);
    if (!curve && (kind_ == 18 || kind_ == 19 || IsSelectiveKind(kind_)))
        return;
    if (curve && KindVisible(kind_)) {
        FillSeriesDecimated(curve->X, curve->Y, curve->Count);
        UpdateMaskPanel();
        RefreshCursors(CursorSet);
        return;
    }
    EmptyValueTable();
    series_->Clear();
    RefreshCursors(CursorSet);
}

void TForm_Graphic::EmptyValueTable() {
    if (!Table1->isHidden())
        table_.ClearValues();
}

void TForm_Graphic::CheckKindChange() {
    if (SignalKind == SeenSignalKind)
        return;
    SeenSignalKind = SignalKind;
    if (MasksFollowKindChange(kind_, SignalKind))
        RebindMasks(2);
    series_->Clear();
}
