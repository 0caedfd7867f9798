#include "views/ParamGrids.h"

#include "controls/Placemnt.h"
#include "platform/IniFile.h"

#include <QTableWidget>

#include <algorithm>

namespace {

QString ColumnWidthKey(int column) {
    return QStringLiteral("ColWidth[%1]").arg(column);
}

} // namespace

QTableWidgetItem *GridItem(QTableWidget *grid, int column, int row) {
    QTableWidgetItem *item = grid->item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        grid->setItem(row, column, item);
    }
    return item;
}

void FitHeaderRow(QTableWidget *grid, int minimum) {
    grid->resizeRowToContents(0);
    grid->setRowHeight(0, std::max(minimum, grid->rowHeight(0)));
}

void SaveGridColumnWidths(TFormPlacement &store, const QTableWidget &grid, int count) {
    TCustomIniFile *ini = store.GetIniFile();
    if (!ini)
        return;
    for (int column = 1; column < count; ++column)
        ini->WriteInteger(store.GetIniSection(), ColumnWidthKey(column), grid.columnWidth(column));
}

void RestoreGridColumnWidths(TFormPlacement &store, QTableWidget &grid, int count) {
    TCustomIniFile *ini = store.GetIniFile();
    if (!ini)
        return;
    for (int column = 1; column < count; ++column)
        grid.setColumnWidth(column,
                            ini->ReadInteger(store.GetIniSection(), ColumnWidthKey(column), grid.columnWidth(column)));
}
