#include "settings/GeneratorLevelLimits.h"

#include "settings/SettingsFixture.h"

#include <limits>

namespace {

using GeneratorLevels = SettingsTest;

constexpr int Sin = int(LevelEdit::Sin), Sin2 = int(LevelEdit::Sin2), Rnd = int(LevelEdit::Rnd),
              Mtts = int(LevelEdit::Mtts), Noise = int(LevelEdit::Noise), Connect = int(LevelEdit::Connect),
              Master = int(LevelEdit::MasterFreqSin), Mirvak = int(LevelEdit::MirvakSin);

TEST_F(GeneratorLevels, EachKindTakesItsShareOfTheGreatestLevel) {
    // L = 10 dBm, R = 0: maxima trunc(10.5 - below), minima -70 or -40.
    const auto limits = GeneratorLevelLimits(10, 0, 2048, 5);
    const struct {
        int edit, max, min;
    } cases[] = {{Sin, 10, -70}, {Sin2, 7, -40}, {Rnd, 7, -40}, {Mtts, 2, -40},
                 {Noise, 2, -70}, {Master, 10, -70}, {Mirvak, 10, -70}};
    for (const auto &c : cases) {
        EXPECT_EQ(limits[c.edit].Max, c.max) << c.edit;
        EXPECT_EQ(limits[c.edit].Min, c.min) << c.edit;
        EXPECT_TRUE(limits[c.edit].HasMin);
    }
    EXPECT_EQ(limits[Connect].Max, 2);
    EXPECT_FALSE(limits[Connect].HasMin);
}

TEST_F(GeneratorLevels, TheReferenceShiftsEveryEditButTheRemoteControlLevel) {
    const auto limits = GeneratorLevelLimits(10, 20, 1024, 5);
    EXPECT_EQ(limits[Sin].Max, -9); // trunc(-9.5)
    EXPECT_EQ(limits[Sin].Min, -90);
    EXPECT_EQ(limits[Mtts].Min, -60);
    EXPECT_EQ(limits[Connect].Max, 2);
}

TEST_F(GeneratorLevels, The4096KilohertzRangeKeepsItsHeadroom) {
    const auto at2048 = GeneratorLevelLimits(10, 0, 2048, 7);
    const auto coaxial = GeneratorLevelLimits(10, 0, 4096, 7);
    const auto symmetric = GeneratorLevelLimits(10, 0, 4096, 11);
    EXPECT_EQ(at2048[Sin].Max - coaxial[Sin].Max, 8);
    EXPECT_EQ(at2048[Sin].Max - symmetric[Sin].Max, 5);
    // 7.5 - 9 = -1.5 truncates toward zero to -1.
    EXPECT_EQ(coaxial[Sin2].Max, -1);
    EXPECT_EQ(coaxial[Rnd].Max, 3);
    EXPECT_EQ(symmetric[Rnd].Max, 4);
    EXPECT_EQ(coaxial[Mtts].Max, 2);
    EXPECT_EQ(coaxial[Noise].Max, 2);
    EXPECT_EQ(coaxial[Master].Max, coaxial[Sin].Max);
    EXPECT_EQ(GeneratorLevelLimits(10, 0, 4096, 5)[Sin].Max, symmetric[Sin].Max);
}

TEST_F(GeneratorLevels, TruncationGoesTowardZero) {
    EXPECT_EQ(TruncateLevel(-2.7), -2);
    EXPECT_EQ(TruncateLevel(2.7), 2);
    EXPECT_EQ(TruncateLevel(1e9), std::numeric_limits<int16_t>::max());
    EXPECT_EQ(TruncateLevel(-1e9), std::numeric_limits<int16_t>::min());
    EXPECT_EQ(TruncateLevel(std::numeric_limits<double>::quiet_NaN()), std::numeric_limits<int16_t>::min());
    // L - R + 0.5 = -2.7 gives a SIN maximum of -2.
    EXPECT_EQ(GeneratorLevelLimits(-3.2, 0, 1024, 5)[Sin].Max, -2);
}

TEST_F(GeneratorLevels, TheMaximumNeverFallsBelowTheMinimum) {
    for (double L : {-60.0, -1e30, std::numeric_limits<double>::infinity() * -1,
                     std::numeric_limits<double>::quiet_NaN()}) {
        const auto limits = GeneratorLevelLimits(L, 0, 4096, 7);
        for (int i = 0; i < LevelEditCount; ++i) {
            if (limits[i].HasMin) {
                EXPECT_GE(limits[i].Max, limits[i].Min) << L << " " << i;
            }
        }
    }
}

} // namespace
