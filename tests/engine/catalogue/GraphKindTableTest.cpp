#include "engine/catalogue/GraphKindTable.h"

#include <gtest/gtest.h>

#include <QSet>

namespace {

TEST(GraphKindTable, EveryRecordHasOneHeaderRowVisibleAxesAndUniqueCaptions) {
    QSet<QString> captions;
    for (int kind = 0; kind < GraphKindCount; ++kind) {
        const TGraphKindRecord &r = GraphKindTable[kind];
        EXPECT_EQ(r.FixedCols, 0) << kind;
        EXPECT_EQ(r.FixedRows, 1) << kind;
        EXPECT_EQ(r.YVisible, 1) << kind;
        EXPECT_EQ(r.XVisible, 1) << kind;
        EXPECT_TRUE(QString::fromUtf8(r.Caption).endsWith('\n')) << kind;
        EXPECT_FALSE(GraphText(r.Caption).contains('\n')) << kind;
        captions.insert(GraphText(r.Caption));
        EXPECT_EQ(ColumnsPerPoint(kind), kind == 3 || kind == 4 ? 3 : 2) << kind;
        EXPECT_EQ(r.TableVisible, kind == 0 ? 0 : 1) << kind;
        EXPECT_EQ(r.TableOnTop, kind == 3 || kind == 4 ? 0 : 1) << kind;
    }
    EXPECT_EQ(captions.size(), GraphKindCount);
}

struct KindRow {
    int kind;
    const char *caption;
    int rows, cols;
    const char *units[3];
    const char *yFormat;
    const char *xUnit;
    const char *xFormat;
    const char *hint1;
};

TEST(GraphKindTable, RecordsAsTheWindowsShowThem) {
    const KindRow rows[] = {
        {0, "Осциллограмма", 11, 8, {"", "", ""}, "###0.######", "мкс", "###0.#####", ""},
        {1, "Сел.уровни", 23, 12, {"кГц", "дБм0", ""}, "###0.#####", "кГц", "###0.###", "Селективный уровень"},
        {4,
         "ПСС: Рефлектограмма,%",
         9,
         3,
         {"мкс", "м", "%"},
         "###0.###",
         "м",
         "# ### ##0.#",
         "удаление=задержка*скорость распространения"},
        {8,
         "МЧС: Z",
         44,
         12,
         {"кГц", "Ом", ""},
         "# ##0.#",
         "кГц",
         "###0.###",
         "Частотная характеристика полного сопротивления подключенной нагрузки"},
        {12,
         "МЧС:бит",
         44,
         12,
         {"кГц", "бит", ""},
         "###0.###",
         "кГц",
         "###0.###",
         "Частотная характеристика максимально возможной удельной скорости передачи"},
        {19, "SIN: АХ", 44, 12, {"дБм0", "дБ", ""}, "###0.###", "дБм0", "###0.###", "амплитудная характеристика"},
        {22,
         "Мирвак: Селективно взв.",
         23,
         12,
         {"кГц", "дБм0", ""},
         "###0.#####",
         "кГц",
         "###0.####",
         "Селективный взвешенный уровень"},
        {31,
         "Мирвак: L",
         44,
         12,
         {"кГц", "мкГн", ""},
         "###0.###",
         "кГц",
         "###0.####",
         "Частотная характеристика эффективной индуктиности подключенной нагрузки"},
        {35,
         "Мирвак: Zв(f)",
         44,
         12,
         {"кГц", "Ом", ""},
         "###0.###",
         "кГц",
         "###0.####",
         "ЧХ модуля импеданса по ХХ-КЗ на конце кабеля"},
        {38,
         "Фазограмма(взв),В",
         23,
         12,
         {"град", "В", ""},
         "###0.#####",
         "град",
         "###0.###",
         "Взвешенный уровень как функция фазы сигнала опорной частоты"},
    };
    for (const KindRow &e : rows) {
        const TGraphKindRecord &r = GraphKindTable[e.kind];
        EXPECT_EQ(GraphText(r.Caption), QString::fromUtf8(e.caption)) << e.kind;
        EXPECT_EQ(r.RowCount, e.rows) << e.kind;
        EXPECT_EQ(r.ColCount, e.cols) << e.kind;
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(GraphText(r.ColumnUnits[c]), QString::fromUtf8(e.units[c])) << e.kind << " " << c;
        EXPECT_EQ(GraphText(r.YFormat), QString::fromUtf8(e.yFormat)) << e.kind;
        if (e.kind != 0) {
            EXPECT_EQ(GraphText(r.YUnit), GraphText(r.ColumnUnits[e.kind == 4 ? 2 : 1])) << e.kind;
        }
        EXPECT_EQ(GraphText(r.XUnit), QString::fromUtf8(e.xUnit)) << e.kind;
        EXPECT_EQ(GraphText(r.XFormat), QString::fromUtf8(e.xFormat)) << e.kind;
        EXPECT_EQ(GraphText(r.ColumnHints[1]), QString::fromUtf8(e.hint1)) << e.kind;
    }
}

} // namespace
