#include "views/Fgraph.h"

#include "chart/Chart.h"
#include "chart/ChartlibChartDialogs.h"
#include "link/connection/Tr9sendgetcommand.h"
#include "state/DeviceSettings.h"
#include "state/SettingsLoadState.h"
#include "views/GraphHost.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>

namespace {

constexpr int FirstArrowKey = 37, LastArrowKey = 40;

} // namespace

TCursorLimits TForm_Graphic::CursorLimits() const {
    return {XMin, XMax, YMin, YMax, 0, 0};
}

void TForm_Graphic::keyPressEvent(QKeyEvent *event) {
    const int key = CursorVirtualKey(event->key());
    QWidget *focus = focusWidget();
    if (key == 0 || !(focus == Chart1 || Chart1->isAncestorOf(focus))) {
        QWidget::keyPressEvent(event);
        return;
    }
    FormKeyDown(key, event->modifiers());
}

void TForm_Graphic::FormKeyDown(int key, Qt::KeyboardModifiers shift) {
    CursorKey(CursorSet, key, shift, CursorLimits());
    // The SYNC fragment lies between the oscillogram's cursors: it is measured anew as they move.
    if (key >= FirstArrowKey && key <= LastArrowKey && kind_ == 0 && DeviceSettings->SyncGenState > 0 &&
        CursorSet.Both() && SettingsLoadState != 2) {
        SettingsLoadState = 0;
        RecalcSyncResults();
        SettingsLoadState = 1;
    }
    Chart1->Repaint();
}

void TForm_Graphic::FormActivate() {
    ActivateCursors(CursorSet);
}

void TForm_Graphic::FormDeactivate() {
    RememberActiveCursor(CursorSet);
}

void TForm_Graphic::AddSeriesColourItems() {
    for (QAction *item : PopupMenu_Chart->actions())
        if (item->property("SeriesColour").toBool()) {
            PopupMenu_Chart->removeAction(item);
            delete item;
        }
    const QList<QAction *> items = PopupMenu_Chart->actions();
    int index = 0;
    for (const TChartSeries *series : DataSeries(CursorSet)) {
        auto *item = new QAction(series->Title(), PopupMenu_Chart);
        item->setProperty("Tag", index);
        item->setProperty("SeriesColour", true);
        PopupMenu_Chart->insertAction(items.value(index + 1), item);
        connect(item, &QAction::triggered, this, [this, index] { ShowSeriesColourDialog(index); });
        ++index;
    }
}

void TForm_Graphic::ShowSeriesColourDialog(int tag) {
    const std::vector<TChartSeries *> series = DataSeries(CursorSet);
    if (tag >= 0 && std::size_t(tag) < series.size()) {
        TChartSeries &chosen = *series[std::size_t(tag)];
        if (GraphHost.EditSeriesColour) {
            GraphHost.EditSeriesColour(this, kind_, chosen);
        } else if (const QColor colour = AskColor(this, chosen.Color()); colour.isValid()) {
            chosen.SetColor(colour);
        }
    }
    RedrawGraph();
    Chart1->SetAllowZoom(true);
}
