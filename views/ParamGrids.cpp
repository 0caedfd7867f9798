#include "views/ParamGrids.h"

#include "chart/ChartlibChart.h"
#include "controls/Placemnt.h"
#include "platform/IniFile.h"

#include <QHeaderView>
#include <QStyle>
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

void FitGridColumn(QTableWidget *grid, int column) {
    AutoSizeGridColumn(grid, column);
    const int margin = grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1;
    grid->setColumnWidth(column, grid->columnWidth(column) + 2 * margin);
}

void SetupFixedHeaders(QTableWidget *grid, int minimumHeight) {
    QHeaderView *top = grid->horizontalHeader();
    QHeaderView *left = grid->verticalHeader();
    top->setSectionsClickable(false);
    left->setSectionsClickable(false);
    top->setMinimumHeight(minimumHeight);
    left->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    grid->setColumnHidden(0, true);
    grid->setRowHidden(0, true);
}

void ShowFixedHeader(QTableWidget *grid, int row) {
    if (row < 1 || row >= grid->rowCount())
        return;
    const QTableWidgetItem *cell = grid->item(row, 0);
    QTableWidgetItem *header = grid->verticalHeaderItem(row);
    if (!header) {
        header = new QTableWidgetItem;
        grid->setVerticalHeaderItem(row, header);
    }
    header->setText(cell ? cell->text() : QString());
    header->setToolTip(cell ? cell->toolTip() : QString());
    header->setForeground(cell ? cell->foreground() : QBrush());
}

void ShowFixedHeaders(QTableWidget *grid) {
    QStringList titles;
    for (int column = 0; column < grid->columnCount(); ++column)
        titles << GridCell(grid, column, 0);
    grid->setHorizontalHeaderLabels(titles);
    for (int row = 1; row < grid->rowCount(); ++row)
        ShowFixedHeader(grid, row);
    // Row 0 is hidden; its header label would only widen the column of captions.
    if (QTableWidgetItem *corner = grid->verticalHeaderItem(0))
        corner->setText(QString());
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
