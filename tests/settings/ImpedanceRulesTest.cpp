#include "settings/ImpedanceRules.h"

#include "settings/SettingsFixture.h"

#include <cmath>
#include <limits>

namespace {

using ImpedanceRules = SettingsTest;

TEST_F(ImpedanceRules, AnUnchangedValueSnapsToTheNearestStandardImpedanceWithTiesToTheLowerOne) {
    const struct {
        double in, out;
    } cases[] = {{110, 100}, {111, 120}, {127.5, 120}, {128, 135}, {300, 135},
                 {400, 600}, {50, 100},  {2000, 600}, {135, 135}, {600, 600}};
    for (const auto &c : cases) {
        double value = c.in;
        double memory = c.in;
        SnapImpedance(value, memory);
        EXPECT_EQ(value, c.out) << c.in;
        EXPECT_EQ(memory, c.out) << c.in;
        // A settings field is its own memory.
        EXPECT_EQ(SnapImpedance(float(c.in)), float(c.out)) << c.in;
    }
}

TEST_F(ImpedanceRules, AChangedValueSnapsInTheDirectionItMoved) {
    const struct {
        double memory, value, out;
    } cases[] = {{135, 135.1, 600}, {135, 134.9, 120}, {120, 120.1, 135}, {100, 99.9, 100},
                 {600, 600.1, 600}, {600, 599.9, 135}, {100, 1000, 600}, {600, 31, 100}};
    for (const auto &c : cases) {
        double value = c.value;
        double memory = c.memory;
        SnapImpedance(value, memory);
        EXPECT_EQ(value, c.out) << c.memory << " -> " << c.value;
        EXPECT_EQ(memory, c.out);
    }
}

TEST_F(ImpedanceRules, TheConnectionTypeBoundsEachSide) {
    const struct {
        int type;
        bool flag, generator;
        double min, max;
    } cases[] = {
        {0, false, true, 30, 1500},  {1, false, true, 100, 600},  {1, true, true, 30, 1500},
        {3, true, true, 100, 600},   {3, false, false, 30, 1500}, {4, true, false, 124, 124},
        {6, false, true, 75, 75},    {7, false, true, 30, 1500},  {7, false, false, 75, 75},
        {10, true, true, 75, 75},    {10, true, false, 75, 75},   {11, false, false, 75, 75},
        {11, false, true, 100, 600}, {12, false, true, 75, 75},   {12, false, false, 100, 600},
        {13, false, true, 30, 1500}, {-1, false, false, 30, 1500},
    };
    for (const auto &c : cases) {
        const ImpedanceRange r = ImpedanceRangeFor(c.type, c.flag, c.generator);
        EXPECT_EQ(r.Min, c.min) << c.type << " " << c.flag << " " << c.generator;
        EXPECT_EQ(r.Max, c.max) << c.type << " " << c.flag << " " << c.generator;
    }
}

TEST_F(ImpedanceRules, TheCurrentValueAsCapCanOnlyLowerAnImpedance) {
    settings.ConnectionType = 5;
    EXPECT_EQ(LimitImpedance(115, 115, false, true), 115.0f); // 120 lies above the cap
    EXPECT_EQ(LimitImpedance(110, 110, false, true), 100.0f);
    EXPECT_EQ(LimitImpedance(150, 150, true, true), 150.0f); // the low-ohm flag keeps the value
}

TEST_F(ImpedanceRules, AboveOneThousandOneHundredKilohertzAConnectedSideIsCappedAt135Ohm) {
    settings.MaxFrequency = 2048;
    settings.ConnectionType = 5;
    EXPECT_EQ(LimitImpedance(600, 600, false, true), 135.0f);
    EXPECT_EQ(LimitImpedance(600, 600, false, false), 135.0f);
    EXPECT_EQ(LimitImpedance(600, 600, true, true), 600.0f);
    settings.ConnectionType = 2; // the generator is not on the line
    EXPECT_EQ(LimitImpedance(600, 600, false, true), 600.0f);
    EXPECT_EQ(LimitImpedance(600, 600, false, false), 135.0f);
    settings.MaxFrequency = 1024;
    settings.ConnectionType = 5;
    EXPECT_EQ(LimitImpedance(600, 600, false, true), 600.0f);
}

TEST_F(ImpedanceRules, AnImpedanceThatIsNotANumberBecomesTheCap) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(LimitImpedance(nan, 1000, true, true), 1000.0f);
    EXPECT_EQ(LimitImpedance(nan, 1000, false, true), 600.0f);
}

TEST_F(ImpedanceRules, OnlyTheTypesThatBoundASideSnapItWhileTyped) {
    for (int type = 0; type <= 12; ++type) {
        const bool generator = type != 4 && type != 8 && type != 9 && type != 10 && type != 12;
        const bool meter = type <= 7 || type == 12;
        EXPECT_EQ(SnapsWhileTyping(type, true), generator) << type;
        EXPECT_EQ(SnapsWhileTyping(type, false), meter) << type;
    }
}

TEST_F(ImpedanceRules, VoltagePresetsGiveTheReferenceOfTheImpedance) {
    EXPECT_DOUBLE_EQ(*PresetReference(2, 600), 0.0);
    EXPECT_NEAR(*PresetReference(2, 150), 6.0206, 1e-4);
    EXPECT_DOUBLE_EQ(*PresetReference(3, 1000), 0.0);
    EXPECT_NEAR(*PresetReference(3, 100), 10.0, 1e-12);
    EXPECT_FALSE(PresetReference(0, 600));
    EXPECT_FALSE(PresetReference(4, 600));
    EXPECT_FALSE(PresetReference(2, 0));
}

} // namespace
