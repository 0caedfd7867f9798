#pragma once

class QTableWidget;
class QTableWidgetItem;
class TFormPlacement;

// What the parameter windows and the result tables share of their grids.

// The item of a cell, created (shown, not editable) when the cell has none yet.
QTableWidgetItem *GridItem(QTableWidget *grid, int column, int row);

// The column as wide as its widest text (AutoSizeGridColumn) plus the margins the grid's cells draw
// their text with, so that no text is cut.
void FitGridColumn(QTableWidget *grid, int column);

// Row 0 and column 0 of the grid are fixed: they keep their cells (the table exports and the column
// sizing read them) but show as the grid's own headers, which stay in view while the grid scrolls. The
// header row is at least minimumHeight high, higher when a header of several lines needs it.
void SetupFixedHeaders(QTableWidget *grid, int minimumHeight);
// The headers show the texts, hints and text colours of the fixed cells anew: all of them, or one row's.
void ShowFixedHeaders(QTableWidget *grid);
void ShowFixedHeader(QTableWidget *grid, int row);

// The widths of columns 1 .. count - 1 as "ColWidth[<column>]" keys in the store's section; a column
// without a stored width keeps the width it has (fitted to its texts). Nothing when the store has no INI
// file open.
void SaveGridColumnWidths(TFormPlacement &store, const QTableWidget &grid, int count);
void RestoreGridColumnWidths(TFormPlacement &store, QTableWidget &grid, int count);
