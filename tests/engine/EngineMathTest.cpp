#include "engine/EngineMath.h"
#include "engine/EngineBuffers.h"
#include "engine/RandomSource.h"

#include "EngineTestSettings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <vector>

namespace {

struct InterpolationCase {
    const char *name;
    float x;
    float expected;
};

TEST(InterpolateTable, HoldsEndsInterpolatesAndSpreadsTheSentinel) {
    const float xs[] = {1, 2, 2, 4, 5};
    const float ys[] = {10, 20, 40, 60, NoValue};
    const InterpolationCase cases[] = {
        {"below the first point", -3, 10},          {"on the first point", 1, 10},
        {"inside the first segment", 1.25f, 12.5f}, {"on an inner point: end of the lower segment", 2, 20},
        {"inside a later segment", 3, 50},          {"sentinel at the upper end of the segment", 4.5f, NoValue},
        {"above the last point", 7, NoValue},      {"not a number", std::numeric_limits<float>::quiet_NaN(), 10},
    };
    for (const auto &c : cases)
        EXPECT_FLOAT_EQ(InterpolateTable(c.x, 5, xs, ys), c.expected) << c.name;

    const float sentinelFirst[] = {NoValue, 1, 2, 3, 4};
    EXPECT_EQ(InterpolateTable(1.5f, 5, xs, sentinelFirst), NoValue);
    EXPECT_FLOAT_EQ(InterpolateTable(3, 5, xs, sentinelFirst), 2.5f);
}

TEST(InterpolateTable, EmptyTableHasNoValue) {
    const float xs[] = {1};
    const float ys[] = {5};
    EXPECT_EQ(InterpolateTable(0.5f, 0, xs, ys), NoValue);
    EXPECT_EQ(InterpolateTable(0.5f, -3, nullptr, nullptr), NoValue);
    EXPECT_FLOAT_EQ(InterpolateTable(9, 1, xs, ys), 5);
}

TEST(NearestInt, RoundsHalfUpAndNeverOverflows) {
    EXPECT_EQ(NearestInt(2.5), 3);
    EXPECT_EQ(NearestInt(2.49), 2);
    EXPECT_EQ(NearestInt(-2.5), -2); // trunc(-2.0)
    EXPECT_EQ(NearestInt(-2.7), -2); // trunc toward zero after adding one half
    EXPECT_EQ(NearestInt(std::nan("")), 0);
    EXPECT_EQ(NearestInt(1e30), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(NearestInt(-1e30), std::numeric_limits<int32_t>::min());
}

TEST(ComplexHelpers, DivideUndoesMultiplication) {
    const TComplex a = MakeComplex(3, -4);
    const TComplex b = MakeComplex(1, 2);
    // (3 - 4i) / (1 + 2i) = (3 - 8 + (-4 - 6)i) / 5 = -1 - 2i
    const TComplex q = DivideComplex(a, b);
    EXPECT_FLOAT_EQ(q.re, -1);
    EXPECT_FLOAT_EQ(q.im, -2);
    const TComplex s = AddComplex(a, b);
    EXPECT_FLOAT_EQ(s.re, 4);
    EXPECT_FLOAT_EQ(s.im, -2);
    EXPECT_FLOAT_EQ(ComplexMagnitude(3, -4), 5);
    EXPECT_EQ(IsGreater(2, 1), 1);
    EXPECT_EQ(IsGreater(1, 1), 0);
}

TEST(RandomSource, SeededSequenceRepeatsAndStaysInRange) {
    TSeededRandom a(42);
    TSeededRandom b(42);
    std::set<int32_t> seen;
    for (int i = 0; i < 2000; ++i) {
        const int32_t v = a.Next31();
        ASSERT_EQ(v, b.Next31());
        ASSERT_GE(v, 0);
        const int32_t small = v >> 16;
        ASSERT_LE(small, 32767);
        seen.insert(v & 7);
    }
    EXPECT_EQ(seen.size(), 8u) << "low bits must vary too, RandomBelow takes them";
}

// A run of draws is the same sequence as single draws, whatever the run's length, and the generator goes
// on from where the run left it.
TEST(RandomSource, RunsOfDrawsContinueTheSingleSequence) {
    for (int32_t count : {0, 1, 3, 4, 5, 7, 8, 9, 43, 84}) {
        TSeededRandom runs(99);
        TSeededRandom singles(99);
        std::vector<int32_t> values(std::size_t(count) + 1, -1);
        for (int pass = 0; pass < 2; ++pass) {
            runs.Next15s(values.data(), count);
            for (int32_t k = 0; k < count; ++k)
                ASSERT_EQ(values[std::size_t(k)], singles.Next15()) << "run of " << count << ", value " << k;
            ASSERT_EQ(values[std::size_t(count)], -1) << "a run of " << count << " wrote past its end";
        }
        EXPECT_EQ(runs.Next31(), singles.Next31()) << "after runs of " << count;
    }
    FixedRandom fixed(0x12345678);
    int32_t values[3];
    fixed.Next15s(values, 3);
    EXPECT_EQ(values[2], 0x12345678 >> 16) << "a replaced source answers runs through its own draws";
}

TEST(RandomSource, EngineDrawsFromTheInjectedSource) {
    FixedRandom fixed(0x7fffffff);
    SetEngineRandom(&fixed);
    EXPECT_EQ(EngineRandom().Next15(), 32767);
    EXPECT_EQ(RandomBelow(10), 0x7fffffff % 10);
    EXPECT_EQ(RandomBelow(0), 0);
    EXPECT_EQ(RandomBelow(-5), 0);
    SetEngineRandom(nullptr);

    SeedEngineRandom(7);
    const int32_t first = RandomBelow(1000);
    SeedEngineRandom(7);
    EXPECT_EQ(RandomBelow(1000), first);
    for (int i = 0; i < 100; ++i) {
        const int32_t v = RandomBelow(3);
        ASSERT_GE(v, 0);
        ASSERT_LT(v, 3);
    }
}

} // namespace
