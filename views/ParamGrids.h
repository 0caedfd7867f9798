#pragma once

class QTableWidget;
class QTableWidgetItem;
class TFormPlacement;

// What the parameter windows and the result tables share of their grids.

// The item of a cell, created (shown, not editable) when the cell has none yet.
QTableWidgetItem *GridItem(QTableWidget *grid, int column, int row);

// The header row (row 0) at least `minimum` high, higher when a header of several lines needs it.
void FitHeaderRow(QTableWidget *grid, int minimum);

// The widths of columns 1 .. count - 1 as "ColWidth[<column>]" keys in the store's section; a column
// without a stored width keeps the width it has (fitted to its texts). Nothing when the store has no INI
// file open.
void SaveGridColumnWidths(TFormPlacement &store, const QTableWidget &grid, int count);
void RestoreGridColumnWidths(TFormPlacement &store, QTableWidget &grid, int count);
