#include "engine/catalogue/ConnectionTypes.h"

#include <gtest/gtest.h>

TEST(ConnectionTypes, NamesAndHintsInConnectionTypeOrder) {
    InitConnectionTypeLists();
    InitConnectionTypeLists(); // a second start-up step refills, never appends

    const QStringList names = {"Отключен",     "2_Г_симм",    "2_И_симм",   "2_Г_И_симм",  "3_Г_И",
                               "4_Г_И_симм",   "2_Г_коакс",   "2_И_коакс",  "2_Г_И_коакс", "4_Г_И_коакс",
                               "2_коакс_мост", "4_Г_см_И_кс", "4_Г_кс_И_см"};
    EXPECT_EQ(ConnectionTypeNames, names);
    ASSERT_EQ(ConnectionTypeHints.size(), ConnectionTypeCount);
    EXPECT_EQ(ConnectionTypeHints[0], "Коммутация измерителя и генератора с разъемами RTx и Tx не установлена");
    EXPECT_EQ(ConnectionTypeHints[9],
              "К коаксиальным разъемам RTx и Tx анализатора\nподключаются измеритель (к RTx) и генератор (к Tx)");
    EXPECT_EQ(ConnectionTypeHints[10], "Мостовая схема для измерения затухания несогласованности");
    EXPECT_TRUE(
        ConnectionTypeHints[12].startsWith("К коаксиальному разъему Tx анализатора коммутируется генератор;\n"));
}
