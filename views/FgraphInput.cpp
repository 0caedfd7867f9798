#include "views/Fgraph.h"

#include "chart/Chart.h"
#include "chart/ChartlibChart.h"

#include <QCursor>
#include <QMenu>

namespace {

// The range an axis showed at the last drawing: the values at the edges of the plot rectangle.
TAxisRange DrawnRange(const TChartAxis &axis, const QRect &rect) {
    if (axis.Horizontal())
        return {axis.CalcPosPoint(rect.left()), axis.CalcPosPoint(rect.right())};
    return {axis.CalcPosPoint(rect.bottom()), axis.CalcPosPoint(rect.top())};
}

TAxisRange CurrentRange(const TChartAxis &axis) {
    return {axis.Minimum(), axis.Maximum()};
}

void Apply(TChartAxis &axis, const TAxisRange &range) {
    axis.SetMinMax(range.Minimum, range.Maximum);
}

} // namespace

void TForm_Graphic::Chart1Scroll() {
    TChartAxis &bottom = Chart1->BottomAxis();
    TChartAxis &left = Chart1->LeftAxis();
    const QRect rect = Chart1->ChartRect();
    Apply(bottom, ClampAxisRange(CurrentRange(bottom), ZoomResolution, XMin, XMax, XMax != XMin));
    Apply(left, ClampAxisRange(CurrentRange(left), YIncrement, YMin, YMax, true));
    Apply(left, LimitAxisSpan(CurrentRange(left), DrawnRange(left, rect), YIncrement, true));
    Apply(bottom, LimitAxisSpan(CurrentRange(bottom), DrawnRange(bottom, rect), ZoomResolution, false));
    SetBottomIncrement();
    RedrawGraph();
    RefreshCursors(CursorSet);
}

void TForm_Graphic::Chart1UndoZoom() {
    Chart1->LeftAxis().SetMinMax(YShownMin, YShownMax);
    Chart1->RightAxis().SetMinMax(0, 0);
    Chart1->BottomAxis().SetMinMax(FullXMin, FullXMax);
    SetBottomIncrement();
    RedrawGraph();
    RefreshCursors(CursorSet);
}

void TForm_Graphic::Chart1Resize() {
    SetBottomIncrement();
}

void TForm_Graphic::Chart1Click() {
    ActivateMdiChild(this);
    Chart1->setFocus();
    Chart1->SetAllowZoom(true);
}

void TForm_Graphic::Chart1DblClick() {
    Chart1->SetAllowZoom(false);
    PopupMenu_Chart->popup(QCursor::pos());
}

void TForm_Graphic::MouseWheel(int delta) {
    if (ShiftLeftAxisByWheel(*Chart1, delta))
        Chart1Scroll();
}
