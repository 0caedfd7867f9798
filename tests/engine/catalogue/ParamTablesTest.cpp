#include "CatalogueFixture.h"

#include <cstring>
#include <map>
#include <set>
#include <string>
#include <utility>

namespace {

struct RowPlace {
    int32_t Kind;
    int32_t Row;
};

// Every row of every table, in order.
template <typename F> void ForEachRow(F &&visit) {
    for (int32_t kind = FirstTableKind; kind <= LastTableKind; ++kind) {
        const ParameterTable table = ParameterTableOf(kind);
        for (int32_t i = 0; i < table.RowCount; ++i)
            visit(RowPlace{kind, i}, table.Rows[i], table.RemoteResults[i]);
    }
}

std::string Where(RowPlace place) {
    return "kind " + std::to_string(place.Kind) + " row " + std::to_string(place.Row);
}

} // namespace

TEST_F(Catalogue, EachBuilderFillsExactlyItsTable) {
    const std::pair<int32_t (*)(), int32_t> builders[] = {
        {BuildSinTable, 32},   {BuildSin2Table, 16},   {BuildMttsTable, 51}, {BuildPrbsTable, 41},
        {BuildNoiseTable, 15}, {BuildMirvakTable, 32}, {BuildSyncTable, 11},
    };
    int32_t kind = FirstTableKind;
    for (const auto &[build, rows] : builders) {
        EXPECT_EQ(build(), rows) << "kind " << kind;
        EXPECT_EQ(ParameterTableOf(kind).RowCount, rows) << "kind " << kind;
        ++kind;
    }
}

TEST_F(Catalogue, KindsWithoutATableGiveAnEmptyOne) {
    for (int32_t kind : {-1, 0, 8, 1000}) {
        const ParameterTable table = ParameterTableOf(kind);
        EXPECT_EQ(table.Rows, nullptr);
        EXPECT_EQ(table.RemoteResults, nullptr);
        EXPECT_EQ(table.RowCount, 0);
    }
}

TEST_F(Catalogue, EveryTableStartsWithQualityAndComplianceRows) {
    for (int32_t kind = FirstTableKind; kind <= LastTableKind; ++kind) {
        const ParamDescriptor &quality = Row(kind, QualityRow);
        EXPECT_STREQ(quality.Caption, "Качество,дБ\n");
        EXPECT_EQ(quality.ParamId, 0);
        EXPECT_EQ(quality.UnitGroup, 0);
        EXPECT_EQ(quality.MinValue, -100);
        EXPECT_EQ(quality.MaxValue, 120);
        EXPECT_EQ(quality.CodeSteps, 44000);
        EXPECT_EQ(quality.WireBytes, 2);
        EXPECT_EQ(DefaultLetters(quality.Settings), "APL--");
        EXPECT_EQ(quality.Settings.LowerNorm, 0);
        EXPECT_STREQ(quality.Hint, "Минимальный запас соответствия \nнормам параметров, измеряемых в дБ");

        const ParamDescriptor &mark = Row(kind, ComplianceRow);
        EXPECT_STREQ(mark.Caption, "Отметка соответ.\n");
        EXPECT_EQ(mark.WireBytes, 0);
        EXPECT_EQ(mark.CodeSteps, 0);
        EXPECT_EQ(mark.MinValue, 0);
        EXPECT_EQ(mark.MaxValue, 0);
        EXPECT_EQ(AllowedLetters(mark), "-P-----");
        EXPECT_STREQ(mark.Hint, "Отметка соответствия всем заданным нормам");
    }
}

TEST_F(Catalogue, EveryRowAndItsRemoteCopyStartWithoutAValue) {
    // Leave traces everywhere, then build again: the start state must come back.
    ForEachRow([](RowPlace, ParamDescriptor &row, ParamResult &remote) {
        row.Result = ParamResult{5, 6, 0, {}};
        remote = ParamResult{7, 8, 0, {}};
        row.Settings.TimeDiagram = 1;
        row.Settings.LowerMaskName = 3;
    });
    BuildParamCatalogue();

    ForEachRow([](RowPlace place, const ParamDescriptor &row, const ParamResult &remote) {
        for (const ParamResult &r : {row.Result, remote}) {
            EXPECT_EQ(r.Value, NoValue) << Where(place);
            EXPECT_EQ(r.Margin, NoValue) << Where(place);
            // Nothing measured is nothing judged: no row may show "Норма" before its first judgement.
            EXPECT_EQ(r.Verdict, ParamNotJudged) << Where(place);
        }
        EXPECT_EQ(row.Settings.TimeDiagram, 0) << Where(place);
        EXPECT_EQ(row.Settings.TextWindow, place.Kind == 1 && place.Row == 5 ? 1 : 0) << Where(place);
        EXPECT_EQ(row.Settings.LowerMaskName, -1) << Where(place);
        EXPECT_EQ(row.Settings.UpperMaskName, -1) << Where(place);
    });
}

TEST_F(Catalogue, TextsEndWithOneLineFeed) {
    ForEachRow([](RowPlace place, const ParamDescriptor &row, const ParamResult &) {
        ASSERT_NE(row.Caption, nullptr) << Where(place);
        ASSERT_NE(row.Hint, nullptr) << Where(place);
        ASSERT_NE(row.FileMask, nullptr) << Where(place);
        const std::string caption = row.Caption;
        EXPECT_GT(caption.size(), 1u) << Where(place);
        EXPECT_EQ(caption.find('\n'), caption.size() - 1) << Where(place) << ": " << caption;
        const std::string mask = row.FileMask;
        EXPECT_EQ(mask.find('\n'), mask.size() - 1) << Where(place);
        EXPECT_EQ(mask.size() > 1, row.MaskSlot >= 0) << Where(place) << ": a file mask belongs to a masked curve";
        EXPECT_GT(std::strlen(row.Hint), 0u) << Where(place);
    });
}

// A value or norm travels as a 16-bit code over CodeSteps steps (WireBytes 2) or as the float itself.
TEST_F(Catalogue, WireWidthMatchesTheCodeSteps) {
    const std::set<int32_t> floatSteps = {0, 100000, 999999, 10000000, 20000000};
    ForEachRow([&](RowPlace place, const ParamDescriptor &row, const ParamResult &) {
        if (place.Row == ComplianceRow) {
            EXPECT_EQ(row.WireBytes, 0) << Where(place);
            return;
        }
        ASSERT_TRUE(row.WireBytes == 2 || row.WireBytes == 4) << Where(place);
        if (row.WireBytes == 2) {
            EXPECT_GT(row.CodeSteps, 0) << Where(place);
            EXPECT_LE(row.CodeSteps, 65535) << Where(place);
        } else {
            EXPECT_TRUE(floatSteps.count(row.CodeSteps)) << Where(place) << ": " << row.CodeSteps;
        }
        EXPECT_LT(row.MinValue, row.MaxValue) << Where(place);
    });
}

TEST_F(Catalogue, EachResultSlotPointsAtItsOwnRow) {
    std::map<const float *, RowPlace> values;
    ForEachRow([&](RowPlace place, ParamDescriptor &row, ParamResult &) { values[&row.Result.Value] = place; });

    std::set<const float *> used;
    for (int32_t k = 0; k < ParamResultSlotCount; ++k) {
        ASSERT_NE(ParamResultSlots[k], nullptr) << "slot " << k;
        EXPECT_TRUE(values.count(ParamResultSlots[k])) << "slot " << k << " points outside the tables";
        EXPECT_TRUE(used.insert(ParamResultSlots[k]).second) << "slot " << k << " shares its row";
    }

    // A value written through a slot is the row's value, and a rebuild clears it.
    *ParamResultSlots[1] = -12.5f;
    EXPECT_EQ(Row(1, 3).Result.Value, -12.5f);
    BuildParamCatalogue();
    EXPECT_EQ(Row(1, 3).Result.Value, NoValue);
}

// Each curve row publishes its settings for its (graph kind, signal kind) pair, and nothing else does.
TEST_F(Catalogue, CurveRowsPublishTheirSettingsByGraphKindAndSignalKind) {
    int32_t curves = 0;
    ForEachRow([&](RowPlace place, ParamDescriptor &row, ParamResult &) {
        if (row.GraphKind < 0)
            return;
        ++curves;
        ASSERT_LT(row.GraphKind, GraphKindCount) << Where(place);
        EXPECT_EQ(GraphParamSettings[row.GraphKind][place.Kind], &row.Settings) << Where(place);
    });
    int32_t published = 0;
    for (int32_t g = 0; g < GraphKindCount; ++g)
        for (int32_t kind = 0; kind < 8; ++kind)
            published += GraphParamSettings[g][kind] != nullptr;
    EXPECT_EQ(published, curves);
    EXPECT_EQ(GraphParamSettings[0][5], &Row(5, 10).Settings); // NOISE oscillogram
    EXPECT_EQ(GraphParamSettings[37][5], &Row(5, 13).Settings);
    EXPECT_EQ(GraphParamSettings[36][6], &Row(6, 28).Settings);
}

// A mask slot judges one curve of one signal kind.
TEST_F(Catalogue, MaskSlotsBelongToOneCurveEach) {
    std::map<int32_t, RowPlace> owners;
    ForEachRow([&](RowPlace place, const ParamDescriptor &row, const ParamResult &) {
        if (row.MaskSlot < 0)
            return;
        EXPECT_LE(row.MaskSlot, 43) << Where(place);
        EXPECT_EQ(row.TextNorms, 1) << Where(place) << ": a masked row is a curve";
        EXPECT_GE(row.GraphKind, 0) << Where(place);
        const auto [it, fresh] = owners.emplace(row.MaskSlot, place);
        EXPECT_TRUE(fresh) << "slot " << int(row.MaskSlot) << " on " << Where(place) << " and " << Where(it->second);
    });
    EXPECT_EQ(owners.size(), 42u); // 0..43 without 23 and 24
}
