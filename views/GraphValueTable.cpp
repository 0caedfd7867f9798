#include "views/GraphValueTable.h"

#include "chartlib/Chartlib.h"
#include "platform/NoValue.h"
#include "views/GraphSources.h"

#include <algorithm>
#include <cstring>

TGraphValueTable::TGraphValueTable(QObject *parent) : QAbstractTableModel(parent) {}

void TGraphValueTable::Setup(TLayout layout, int rowCount, int colCount, const QStringList &header) {
    beginResetModel();
    layout_ = layout;
    rowCount_ = std::max(rowCount, 1);
    colCount_ = std::max(colCount, 0);
    header_ = header;
    x_.clear();
    second_.clear();
    y_.clear();
    kept_.clear();
    endResetModel();
}

void TGraphValueTable::SetRowCount(int rowCount) {
    beginResetModel();
    rowCount_ = std::max(rowCount, 1);
    endResetModel();
}

void TGraphValueTable::Changed() {
    if (rowCount_ > 1 && colCount_ > 0)
        emit dataChanged(index(0, 0), index(rowCount_ - 2, colCount_ - 1));
}

void TGraphValueTable::ClearValues() {
    x_.clear();
    second_.clear();
    y_.clear();
    kept_.clear();
    Changed();
}

void TGraphValueTable::FillPairTable(const float *x, const float *y, int32_t n) {
    const int32_t shown = std::clamp<int64_t>(int64_t(rowCount_ - 1) * (colCount_ / 2), 0, std::max(n, 0));
    // The arrays swap with those kept from before, whose storage is reused, so a filling allocates nothing.
    previousX_.swap(x_);
    previousY_.swap(y_);
    x_.assign(x, x + shown);
    y_.assign(y, y + shown);
    // The cells showed the arrays as pairs only in this layout and after no other layout's filling.
    if (layout_ != TLayout::Pairs || !second_.empty() || !kept_.empty()) {
        second_.clear();
        kept_.clear();
        Changed();
        return;
    }
    PairsChanged(previousX_, previousY_);
}

namespace {

// A point's value as shown: absent past the end, else compared bit for bit, so that a sentinel or a
// NaN that stays counts as unchanged.
bool SameValue(const std::vector<float> &a, const std::vector<float> &b, std::size_t p) {
    const bool inA = p < a.size(), inB = p < b.size();
    return inA == inB && (!inA || std::memcmp(&a[p], &b[p], sizeof(float)) == 0);
}

} // namespace

void TGraphValueTable::PairsChanged(const std::vector<float> &previousX, const std::vector<float> &previousY) {
    const int rows = rowCount_ - 1;
    const std::size_t reach = std::max(previousX.size(), x_.size());
    for (int column = 0; column < colCount_; ++column) {
        const std::vector<float> &now = column % 2 == 0 ? x_ : y_;
        const std::vector<float> &before = column % 2 == 0 ? previousX : previousY;
        int first = -1, last = -1;
        for (int row = 0; row < rows; ++row) {
            const std::size_t p = std::size_t(int64_t(rows) * (column / 2) + row);
            if (p >= reach)
                break;
            if (!SameValue(now, before, p)) {
                if (first < 0)
                    first = row;
                last = row;
            }
        }
        if (first >= 0)
            emit dataChanged(index(first, column), index(last, column));
    }
}

void TGraphValueTable::FillEventTable(const float *delay, const float *distance, const float *level) {
    x_.assign(delay, delay + ReflectionRowCount);
    second_.assign(distance, distance + ReflectionRowCount);
    y_.assign(level, level + ReflectionRowCount);
    kept_.clear();
    Changed();
}

void TGraphValueTable::FillPackedTable(const float *x, const float *y, float gap, int32_t n) {
    kept_.clear();
    for (int32_t p = 0; p < n; ++p)
        if (x[p] != NoValue && y[p] != gap)
            kept_.push_back(p);
    x_.assign(x, x + std::max(n, 0));
    y_.assign(y, y + std::max(n, 0));
    second_.clear();
    Changed();
}

int32_t TGraphValueTable::PointOfCell(int column, int row) const {
    if (row < 1 || row >= rowCount_ || column < 0 || column >= colCount_)
        return -1;
    const int perPoint = layout_ == TLayout::Events ? 3 : 2;
    if (layout_ == TLayout::Packed) {
        const int64_t k = int64_t(row - 1) * (colCount_ / 2) + column / 2;
        return k < int64_t(kept_.size()) ? kept_[std::size_t(k)] : -1;
    }
    const int64_t index = int64_t(rowCount_ - 1) * (column / perPoint) + row - 1;
    return index < int64_t(x_.size()) ? int32_t(index) : -1;
}

QString TGraphValueTable::Cell(int column, int row) const {
    if (row == 0)
        return column >= 0 && column < header_.size() ? header_[column] : QString();
    const int32_t point = PointOfCell(column, row);
    if (point < 0)
        return {};
    const std::size_t p = std::size_t(point);
    if (layout_ == TLayout::Events) {
        switch (column % 3) {
        case 0:
            return FormatValue(x_[p]);
        case 1:
            return FormatValue(second_[p]);
        default:
            return second_[p] == NoValue ? QString() : FormatValue(y_[p]);
        }
    }
    return FormatValue(column % 2 == 0 ? x_[p] : y_[p]);
}

int TGraphValueTable::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : rowCount_ - 1;
}

int TGraphValueTable::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : colCount_;
}

QVariant TGraphValueTable::data(const QModelIndex &index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    return Cell(index.column(), index.row() + 1);
}

QVariant TGraphValueTable::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::ToolTipRole)
        return section >= 0 && section < hints_.size() ? hints_[section] : QString();
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return QAbstractTableModel::headerData(section, orientation, role);
    return Cell(section, 0);
}
