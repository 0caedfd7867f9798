#pragma once

#include <QAbstractTableModel>
#include <QStringList>

#include <cstdint>
#include <vector>

// The value table of a graph window: a grid of rows x columns whose row 0 is the fixed header (the
// column units) and whose other cells show the curve's exact values. Cells are formatted when the view
// asks for them, so a filling only copies the arrays. Cells are addressed as the window addresses them
// (column, row with the header at 0); the model's rows are the table's rows 1 and below.
class TGraphValueTable : public QAbstractTableModel {
    Q_OBJECT
public:
    enum class TLayout {
        Pairs,  // column pair g holds points g (rows - 1) .. (g + 1)(rows - 1) - 1, one per row
        Events, // groups of three columns: delay, distance, level or percent of eight echoes
        Packed, // pairs row by row, six per row, points without a value skipped
    };

    explicit TGraphValueTable(QObject *parent = nullptr);

    // Sets the grid and the header texts (one per column); every value cell becomes empty.
    void Setup(TLayout layout, int rowCount, int colCount, const QStringList &header);
    void SetRowCount(int rowCount);
    // Shown when the mouse rests on a column's header.
    void SetColumnHints(const QStringList &hints) { hints_ = hints; }
    int RowCount() const { return rowCount_; }
    int ColCount() const { return colCount_; }
    TLayout Layout() const { return layout_; }

    // Every value cell empty.
    void ClearValues();
    // Only the cells whose value changed since the last filling are reported changed, so that a view
    // repaints just those; RepaintValues reports every cell, for a look that depends on more than the value.
    void FillPairTable(const float *x, const float *y, int32_t n);
    void RepaintValues() { Changed(); }
    // Eight echoes; the third cell stays empty where an entry has no echo (its distance is the sentinel).
    void FillEventTable(const float *delay, const float *distance, const float *level);
    // Points whose x is the sentinel or whose y equals gap take no cell.
    void FillPackedTable(const float *x, const float *y, float gap, int32_t n);

    // The text of a cell, header row included; empty outside the grid.
    QString Cell(int column, int row) const;
    // The curve index of the point a value cell shows, -1 for none.
    int32_t PointOfCell(int column, int row) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    void Changed();
    // Reports the cells of the pair columns whose point's x or y differs between the previous and the
    // present arrays, one range of rows per column.
    void PairsChanged(const std::vector<float> &previousX, const std::vector<float> &previousY);

    TLayout layout_ = TLayout::Pairs;
    int rowCount_ = 1;
    int colCount_ = 0;
    QStringList header_;
    QStringList hints_;
    std::vector<float> x_, second_, y_;
    std::vector<int32_t> kept_; // Packed: the curve index shown by each cell pair, in reading order
    std::vector<float> previousX_, previousY_; // the pairs of the filling before, kept to compare
};
