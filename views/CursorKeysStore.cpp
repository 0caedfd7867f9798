#include "views/CursorKeysStore.h"

#include "chart/Chart.h"
#include "platform/IniFile.h"

#include <QMdiArea>
#include <QMdiSubWindow>

namespace {

constexpr int EnterKey = 13;

} // namespace

TCursorKeys CursorKeysOf(const TCursorOnGraph &cursor) {
    return {cursor.Pxs_x,          cursor.Pxs_y,          cursor.Ps_x,
            cursor.Ps_y,           cursor.BindToSeries,   cursor.BindToCursor1,
            cursor.BindCursorToX,  cursor.BindCursor_delta, cursor.ActiveCursor,
            cursor.BindSeries ? cursor.BindSeries->Title() : QString()};
}

void RestoreCursor(TCursorSet &set, TCustomIniFile &ini, const QString &section, int n, const TCursorLimits &limits) {
    if (!set.Cursors[n])
        CursorKey(set, EnterKey, Qt::NoModifier, limits);
    TCursorOnGraph *cursor = set.Cursors[n];
    if (!cursor)
        return;
    TCursorKeys keys = CursorKeysOf(*cursor);
    LoadCursorKeys(ini, section, n, keys);
    cursor->Pxs_x = keys.Pxs_x;
    cursor->Pxs_y = keys.Pxs_y;
    cursor->Ps_x = keys.Ps_x;
    cursor->Ps_y = keys.Ps_y;
    cursor->BindToSeries = uint8_t(keys.BindToSeries);
    cursor->BindToCursor1 = uint8_t(keys.BindToCursor1);
    if (cursor->BindToCursor1)
        CheckPopupItem(set.CursorMenus[1], TagWindowX, true);
    cursor->BindCursorToX = uint8_t(keys.BindCursorToX);
    if (cursor->BindCursorToX)
        CheckPopupItem(set.CursorMenus[0], TagSampleX, true);
    cursor->BindCursor_delta = keys.BindCursor_delta;
    cursor->ActiveCursor = uint8_t(keys.ActiveCursor);
    if (TCursorOnGraph *other = set.Cursors[1 - n]; other && cursor->ActiveCursor)
        other->ActiveCursor = 0;
    ShowCursorSelection(set);
    BindCursorToSeriesTitle(set, n, keys.BindSeries);
}

void FollowMdiFrame(QWidget &window, std::function<void(bool active)> activated) {
    auto *sub = qobject_cast<QMdiSubWindow *>(window.parentWidget());
    if (!sub || sub->property("R9FollowsState").toBool())
        return;
    sub->setProperty("R9FollowsState", true);
    QObject::connect(sub, &QMdiSubWindow::windowStateChanged, &window,
                     [sub, activated = std::move(activated)](Qt::WindowStates before, Qt::WindowStates now) {
                         if (now.testFlag(Qt::WindowActive) != before.testFlag(Qt::WindowActive))
                             activated(now.testFlag(Qt::WindowActive));
                         if (now.testFlag(Qt::WindowMaximized) && sub->mdiArea()) {
                             const QRect area = sub->mdiArea()->viewport()->rect();
                             sub->showNormal();
                             sub->setGeometry(area);
                         }
                     });
}
