#include "views/GraphValueTable.h"
#include "platform/NoValue.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

TEST(GraphValueTable, PairsFillColumnByColumnAndLeaveTheSentinelEmpty) {
    TGraphValueTable table;
    table.Setup(TGraphValueTable::TLayout::Pairs, 4, 4, {"кГц", "дБм0", "кГц", "дБм0"});
    const float x[] = {1, 2, 3, 4, 5};
    const float y[] = {-1.5f, NoValue, -3.25f, -4, -5};
    table.FillPairTable(x, y, 5);
    EXPECT_EQ(table.Cell(1, 0), "дБм0");
    EXPECT_EQ(table.Cell(0, 1), "1.00");
    EXPECT_EQ(table.Cell(1, 1), "-1.50");
    EXPECT_EQ(table.Cell(1, 2), "");
    EXPECT_EQ(table.Cell(0, 3), "3.00");
    EXPECT_EQ(table.Cell(2, 1), "4.00"); // second pair starts at point rows - 1 = 3
    EXPECT_EQ(table.Cell(3, 2), "-5.00");
    EXPECT_EQ(table.Cell(2, 3), "");
    EXPECT_EQ(table.PointOfCell(3, 2), 4);
    EXPECT_EQ(table.data(table.index(1, 3), Qt::DisplayRole).toString(), "-5.00");
}

TEST(GraphValueTable, EventsLeaveTheLevelEmptyWhereThereIsNoEcho) {
    TGraphValueTable table;
    table.Setup(TGraphValueTable::TLayout::Events, 9, 3, {"мкс", "м", "дБ"});
    std::vector<float> delay(8, NoValue), distance(8, NoValue), level(8, 12);
    delay[0] = 0.5f;
    distance[0] = 100;
    level[0] = 70;
    delay[1] = 1.5f;
    table.FillEventTable(delay.data(), distance.data(), level.data());
    EXPECT_EQ(table.Cell(0, 1), "0.50");
    EXPECT_EQ(table.Cell(1, 1), "100.00");
    EXPECT_EQ(table.Cell(2, 1), "70.00");
    EXPECT_EQ(table.Cell(0, 2), "1.50");
    EXPECT_EQ(table.Cell(2, 2), ""); // no distance, no echo
    EXPECT_EQ(table.Cell(2, 8), "");
}

TEST(GraphValueTable, PackedSkipsGapsAndAShorterResultLeavesNothingStale) {
    TGraphValueTable table;
    table.Setup(TGraphValueTable::TLayout::Packed, 3, 4, {"кГц", "дБм0", "кГц", "дБм0"});
    const float x[] = {10, 20, 30, NoValue, 50};
    const float y[] = {-1, -300, -3, -4, -5};
    table.FillPackedTable(x, y, -300, 5);
    EXPECT_EQ(table.Cell(0, 1), "10.00");
    EXPECT_EQ(table.Cell(2, 1), "30.00");
    EXPECT_EQ(table.Cell(0, 2), "50.00");
    EXPECT_EQ(table.Cell(1, 2), "-5.00");
    EXPECT_EQ(table.PointOfCell(1, 2), 4);
    table.FillPackedTable(x, y, -300, 1);
    EXPECT_EQ(table.Cell(0, 1), "10.00");
    EXPECT_EQ(table.Cell(2, 1), "");
    EXPECT_EQ(table.Cell(0, 2), "");
}

TEST(GraphValueTable, ClearingAndResizingEmptyEveryValueCellButNotTheHeader) {
    TGraphValueTable table;
    table.Setup(TGraphValueTable::TLayout::Pairs, 3, 2, {"град", "В"});
    const float v[] = {1, 2};
    table.FillPairTable(v, v, 2);
    table.ClearValues();
    EXPECT_EQ(table.Cell(0, 1), "");
    EXPECT_EQ(table.Cell(0, 0), "град");
    table.FillPairTable(v, v, 2);
    table.Setup(TGraphValueTable::TLayout::Pairs, 5, 2, {"град", "В"});
    EXPECT_EQ(table.Cell(1, 2), "");
    EXPECT_EQ(table.rowCount(), 4);
    EXPECT_EQ(table.Cell(-1, 1), "");
    EXPECT_EQ(table.Cell(7, 1), "");
}

// A view repaints only the cells a filling reports changed: every cell whose text changed must be inside a
// reported range, and a filling that changes nothing reports nothing.
struct TRefill {
    const char *Name;
    std::vector<float> X0, Y0;
    std::vector<float> X1, Y1;
    int ReportedColumns; // how many columns report a change
};

TEST(GraphValueTable, APairFillingReportsTheCellsWhoseValueChanged) {
    const float nan = std::nanf("");
    const TRefill cases[] = {
        {"the same values", {1, 2, 3, 4, 5}, {-1, -2, NoValue, nan, -5}, {1, 2, 3, 4, 5}, {-1, -2, NoValue, nan, -5}, 0},
        {"one level in the second pair", {1, 2, 3, 4, 5}, {-1, -2, -3, -4, -5}, {1, 2, 3, 4, 5}, {-1, -2, -3, -4, -7}, 1},
        {"levels of both pairs", {1, 2, 3, 4, 5}, {-1, -2, -3, -4, -5}, {1, 2, 3, 4, 5}, {-1, -9, -3, -8, -5}, 2},
        {"fewer points", {1, 2, 3, 4, 5}, {-1, -2, -3, -4, -5}, {1, 2}, {-1, -2}, 4},
        {"more points", {1}, {-1}, {1, 2, 3, 4}, {-1, -2, -3, -4}, 4},
        {"a value becomes the sentinel", {1, 2, 3}, {-1, -2, -3}, {1, 2, 3}, {-1, NoValue, -3}, 1},
        {"a frequency moves", {1, 2, 3}, {-1, -2, -3}, {1, 2.5f, 3}, {-1, -2, -3}, 1},
    };
    for (const TRefill &c : cases) {
        SCOPED_TRACE(c.Name);
        TGraphValueTable table;
        table.Setup(TGraphValueTable::TLayout::Pairs, 4, 4, {"кГц", "дБ", "кГц", "дБ"});
        table.FillPairTable(c.X0.data(), c.Y0.data(), int32_t(c.X0.size()));
        std::vector<QString> before;
        for (int row = 1; row < 4; ++row)
            for (int column = 0; column < 4; ++column)
                before.push_back(table.Cell(column, row));
        std::vector<QModelIndex> from, to;
        QObject::connect(&table, &QAbstractItemModel::dataChanged,
                         [&](const QModelIndex &a, const QModelIndex &b) { from.push_back(a), to.push_back(b); });
        table.FillPairTable(c.X1.data(), c.Y1.data(), int32_t(c.X1.size()));
        EXPECT_EQ(int(from.size()), c.ReportedColumns);
        for (int row = 1; row < 4; ++row)
            for (int column = 0; column < 4; ++column) {
                if (table.Cell(column, row) == before[std::size_t((row - 1) * 4 + column)])
                    continue;
                bool reported = false;
                for (std::size_t i = 0; i < from.size(); ++i)
                    reported |= from[i].row() <= row - 1 && row - 1 <= to[i].row() && from[i].column() <= column &&
                                column <= to[i].column();
                EXPECT_TRUE(reported) << "cell " << column << "," << row << " changed unreported";
            }
    }
}

// After another layout's filling, a pair filling reports every cell, as nothing of the old grid stays.
TEST(GraphValueTable, APairFillingAfterPackedCellsReportsTheWholeGrid) {
    TGraphValueTable table;
    table.Setup(TGraphValueTable::TLayout::Packed, 3, 4, {"кГц", "дБ", "кГц", "дБ"});
    const float x[] = {10, 20, 30};
    const float y[] = {-1, -2, -3};
    table.FillPackedTable(x, y, -300, 3);
    std::vector<std::pair<QModelIndex, QModelIndex>> reported;
    QObject::connect(&table, &QAbstractItemModel::dataChanged,
                     [&](const QModelIndex &a, const QModelIndex &b) { reported.emplace_back(a, b); });
    table.FillPairTable(x, y, 3);
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_EQ(reported[0].first, table.index(0, 0));
    EXPECT_EQ(reported[0].second, table.index(1, 3));
}

} // namespace
