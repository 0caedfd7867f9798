#include "selective/MirvakPlanValidation.h"

#include "support/QuietSettings.h"

#include "state/MirvakGrid.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace {

// The 1024 kHz range on connection type 2 with a preset-list plan in the frequency-response sub-mode,
// no shift, the generator off, B 0.05 kHz.
class MirvakPlanTest : public ::testing::Test {
protected:
    void SetUp() override {
        settings = QuietSettings();
        DeviceSettings = &settings;
        SetMirvakGrid(settings.SampleRate);
        MirvakBlock &m = block();
        m.Flags = 0;
        m.SubMode = 0;
        m.SinOn = 0;
        m.Options = 0;
        m.B = 0.05f;
        m.FcM = m.FcG = 0;
    }
    void TearDown() override { DeviceSettings = nullptr; }

    MirvakBlock &block() { return settings.Mirvak; }
    // Entries of the preset list; a negative value is an unchecked entry of that magnitude.
    void List(std::initializer_list<float> values) {
        int i = 0;
        for (float v : values)
            block().Set[i++] = {v < 0 ? -v : v, uint8_t(v < 0 ? 0 : 1)};
        block().SetCount = int8_t(i);
    }
    void Range(float first, int count, float step) {
        block().Flags |= 0x01;
        block().RangeStart = first;
        block().RangeN = count;
        block().RangeStep = step;
    }
    bool Validate() {
        message.clear();
        return ValidateMirvakPlan(message);
    }

    TDeviceSettings settings;
    QString message;
};

TEST_F(MirvakPlanTest, SelectiveMinimumByRateAndBand) {
    const struct {
        float sampleRate, b;
        double minimum;
    } cases[] = {{10240, 0.005f, 150}, {10240, 0.009f, 250}, {10240, 0.01f, 400}, {5120, 0.003f, 20},
                 {5120, 0.004f, 100},  {5120, 0.005f, 100},  {5120, 0.006f, 200}, {2560, 0.5f, 0.04}};
    for (const auto &c : cases) {
        settings.SampleRate = c.sampleRate;
        block().B = c.b;
        EXPECT_DOUBLE_EQ(GetMirvakMinFreq(), c.minimum) << c.sampleRate << " " << c.b;
    }
}

TEST_F(MirvakPlanTest, LowestPlanFrequencyByConnectionType) {
    for (double quantum : {0.001, 0.002, 0.004}) {
        settings.ConnectionType = 5;
        EXPECT_NEAR(GetMirvakLowestFreq(quantum), 0.04, 1e-12) << quantum;
        settings.ConnectionType = 6;
        EXPECT_NEAR(GetMirvakLowestFreq(quantum), 0.3, 1e-12) << quantum;
    }
}

TEST_F(MirvakPlanTest, APlanWithoutACheckedFrequencyIsNotSet) {
    List({-5, -10});
    EXPECT_FALSE(Validate());
    EXPECT_EQ(message, MirvakPlanNotSet);
    block().SinOn = 1;
    EXPECT_FALSE(Validate());
    EXPECT_EQ(message, MirvakPlanNotSet);
}

// The worked example: a list of 1 to 20 kHz passes with a direct meter shift of 2 kHz and fails with an
// inverse one of 10 kHz, whose message names the high end.
TEST_F(MirvakPlanTest, TheWorkedExample) {
    List({1, -7, 20});
    block().Options = 0x03;
    block().FcM = 2;
    EXPECT_TRUE(Validate()) << message.toStdString();
    EXPECT_TRUE(message.isEmpty());
    block().Options = 0x01;
    block().FcM = 10;
    EXPECT_FALSE(Validate());
    EXPECT_TRUE(message.startsWith(QStringLiteral("Заданное в наборе частот значение [20.000 кГц] ")));
    EXPECT_TRUE(message.contains(QStringLiteral("равной -10.000 кГц")));
    EXPECT_TRUE(message.contains(QStringLiteral("НЕ БОЛЕЕ 9.950 кГц, ")));
    EXPECT_TRUE(message.endsWith(QStringLiteral("НЕ МЕНЕЕ 20.050 кГц.")));
}

// Equality passes every limit; a shift whose reference is not above 0 is no shift.
TEST_F(MirvakPlanTest, LimitsAreInclusive) {
    List({0.05f, 1024});
    EXPECT_TRUE(Validate()) << message.toStdString();
    block().Options = 0x03;
    block().FcM = 0;
    EXPECT_TRUE(Validate()) << message.toStdString();
    block().FcM = -3;
    EXPECT_TRUE(Validate()) << message.toStdString();
    settings.ConnectionType = 6;
    block().Options = 0;
    List({0.3f, 2});
    EXPECT_TRUE(Validate()) << message.toStdString();
    List({0.2f, 2});
    EXPECT_FALSE(Validate());
    EXPECT_TRUE(message.contains(QStringLiteral("значения  0.300 кГц, ")));
    settings.ConnectionType = 5;
    EXPECT_TRUE(Validate()) << message.toStdString();
}

TEST_F(MirvakPlanTest, AShiftMovesWhatIsChecked) {
    List({10, 20});
    settings.MaxFrequency = 515;
    block().Options = 0x03;
    block().FcM = 500;
    EXPECT_FALSE(Validate());
    EXPECT_TRUE(message.contains(QStringLiteral("равной 520.000 кГц, что ")));
    EXPECT_TRUE(message.contains(QStringLiteral("значение 515.000 кГц, ")));
    block().Options = 0x01;
    EXPECT_TRUE(Validate()) << "inverse checks 480..490: " << message.toStdString();
}

// The selective minimum binds the impedance measurement at 2048 kHz, but not a scan.
TEST_F(MirvakPlanTest, TheSelectiveMinimumSparesTheScan) {
    settings.MaxFrequency = 2048;
    settings.SampleRate = 5120;
    SetMirvakGrid(settings.SampleRate);
    block().B = 0.004f;
    List({50, 60});
    block().SubMode = 3;
    EXPECT_FALSE(Validate());
    EXPECT_TRUE(message.contains(QStringLiteral("при заданном B =  0.004 кГц, ")));
    block().SubMode = 1;
    block().Fc1 = 50;
    block().FcN = 60;
    EXPECT_TRUE(Validate()) << message.toStdString();
}

// The generator check reports only for the frequency response and the scan.
TEST_F(MirvakPlanTest, TheGeneratorCheckBindsTheFrequencyResponseOnly) {
    List({10, 20});
    block().SinOn = 1;
    block().Options = 0xC0;
    block().FcG = 1010;
    block().SubMode = 2;
    EXPECT_TRUE(Validate()) << message.toStdString();
    block().SubMode = 0;
    EXPECT_FALSE(Validate());
    EXPECT_TRUE(message.contains(QStringLiteral("опоры генератора = 1010.000 кГц ")));
    EXPECT_TRUE(message.contains(QStringLiteral("превышает максимальное допустимое значение 1024.000 кГц, ")));
}

// A scan plays the plan's first frequency in run order: in reverse order the last checked entry, or the
// range's end.
TEST_F(MirvakPlanTest, AScanTestsTheFirstGeneratorFrequencyInRunOrder) {
    block().SubMode = 1;
    block().Fc1 = 1;
    block().FcN = 100;
    block().SinOn = 1;
    List({0.01f, 50, -0.02f});
    EXPECT_FALSE(Validate());
    EXPECT_TRUE(message.startsWith(QStringLiteral("Заданное значение частоты генератора [0.010 кГц] ")));
    block().Flags = 0x02;
    EXPECT_TRUE(Validate()) << message.toStdString();
    block().Flags = 0x03;
    Range(0.01f, 3, 600);
    EXPECT_FALSE(Validate());
    EXPECT_TRUE(message.startsWith(QStringLiteral("Заданное значение частоты генератора [1200.010 кГц] ")));
}

} // namespace
