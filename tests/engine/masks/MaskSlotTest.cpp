#include "engine/masks/MaskSlot.h"

#include <gtest/gtest.h>

#include <map>
#include <utility>

namespace {

TEST(MaskSlot, TableOfSignalAndGraphKinds) {
    std::map<std::pair<int, int>, int> expected = {
        {{1, 1}, 1},   {{1, 2}, 2},   {{1, 18}, 20}, {{1, 19}, 21}, {{4, 0}, 0},  {{4, 3}, 3},
        {{4, 4}, 4},   {{4, 20}, 22}, {{5, 0}, 0},   {{5, 1}, 16},  {{5, 2}, 17}, {{5, 16}, 18},
        {{5, 17}, 19}, {{5, 37}, 42}, {{5, 38}, 43}, {{7, 0}, 0},   {{7, 1}, 36}, {{6, 21}, 25},
        {{6, 22}, 26}, {{6, 31}, 35}, {{6, 32}, 37}, {{6, 36}, 41},
    };
    for (int g = 5; g <= 15; ++g)
        expected[{3, g}] = g;
    for (int g = 21; g <= 31; ++g)
        expected[{6, g}] = g + 4;
    for (int g = 32; g <= 36; ++g)
        expected[{6, g}] = g + 5;
    for (int kind = -1; kind <= 8; ++kind)
        for (int graph = -1; graph <= 39; ++graph) {
            const auto found = expected.find({kind, graph});
            EXPECT_EQ(MaskSlotOf(kind, graph), found == expected.end() ? -1 : found->second)
                << "signal kind " << kind << ", graph kind " << graph;
        }
}

TEST(MaskSlot, NoWindowUsesSlots23And24AndSin2HasNone) {
    for (int graph = 0; graph < 39; ++graph) {
        EXPECT_EQ(MaskSlotOf(2, graph), -1);
        EXPECT_EQ(MaskSlotOf(0, graph), -1);
        for (int kind = 1; kind <= 7; ++kind) {
            EXPECT_NE(MaskSlotOf(kind, graph), 23);
            EXPECT_NE(MaskSlotOf(kind, graph), 24);
        }
    }
}

TEST(MaskSlot, MasterAndSelectiveWindowsKeepTheirMasksThroughOtherKinds) {
    for (int kind = 0; kind <= 7; ++kind) {
        EXPECT_EQ(MasksFollowKindChange(18, kind), kind == 1);
        EXPECT_EQ(MasksFollowKindChange(19, kind), kind == 1);
        for (int graph = 21; graph <= 36; ++graph)
            EXPECT_EQ(MasksFollowKindChange(graph, kind), kind == 6);
        for (int graph : {0, 1, 2, 3, 4, 5, 15, 16, 17, 20, 37, 38})
            EXPECT_TRUE(MasksFollowKindChange(graph, kind));
    }
}

} // namespace
