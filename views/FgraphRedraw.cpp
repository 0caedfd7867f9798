#include "views/Fgraph.h"

#include "chart/Chart.h"
#include "engine/EngineBuffers.h"
#include "engine/catalogue/GraphKindTable.h"
#include "engine/masks/MaskSlot.h"
#include "views/GraphSources.h"

#include <QTableView>

void TForm_Graphic::RedrawGraph() {
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
        Chart1->Repaint();
        return;
    }
    EmptyValueTable();
    series_->Clear();
    RefreshCursors(CursorSet);
    Chart1->Repaint();
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
