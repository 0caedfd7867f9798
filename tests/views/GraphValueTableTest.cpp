#include "views/GraphValueTable.h"
#include "platform/NoValue.h"

#include <gtest/gtest.h>

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

} // namespace
