#include "EngineTestSettings.h"

#include "engine/LevelConversion.h"
#include "engine/ResultSlots.h"
#include "engine/SignalRecognition.h"
#include "engine/SinMeasurement.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "engine/catalogue/ParameterTable.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <utility>

namespace {

TEST(ResultSlots, NameTheRowsTheyWrite) {
    BuildParamCatalogue();
    struct Case {
        ResultSlot slot;
        int32_t kind;
        const char *caption;
    };
    const Case cases[] = {
        {SlotSinFrequency, 1, "Частота,кГц\n"},
        {SlotSinLevel, 1, "Сигнал,дБм0\n"},
        {SlotSinMeanLevel, 1, "Ср.уровень,дБм0\n"},
        {SlotSinLevelDeviation, 1, "СКО_уровня,дБ\n"},
        {SlotSinAttenuation, 1, "Затухание,дБ\n"},
        {SlotSinNoise, 1, "Шум,дБм0\n"},
        {SlotSinSnr, 1, "Сигн/шум,дБ\n"},
        {SlotSinWeightedNoise, 1, "Взв.шум,дБм0\n"},
        {SlotSinWeightedSnr, 1, "Сигн/взв.шум,дБ\n"},
        {SlotSinA2, 1, "A2,дБ\n"},
        {SlotSinK2, 1, "К2,%\n"},
        {SlotSinA3, 1, "A3,дБ\n"},
        {SlotSinK3, 1, "К3,%\n"},
        {SlotSinA23, 1, "A23,дБ\n"},
        {SlotSinK23, 1, "К23,%\n"},
        {SlotSin2Frequency1, 2, "Частота1,кГц\n"},
        {SlotSin2Frequency2, 2, "Частота2,кГц\n"},
        {SlotSin2FrequencyShift, 2, "Изм.частоты,Гц\n"},
        {SlotSin2Level1, 2, "Уровень1,дБм0\n"},
        {SlotSin2Level2, 2, "Уровень2,дБм0\n"},
        {SlotSin2Level, 2, "Сигнал,дБм0\n"},
        {SlotSin2Noise, 2, "Шум,дБм0\n"},
        {SlotSin2Snr, 2, "Сигн/шум,дБ\n"},
        {SlotSin2A3, 2, "A3,дБ\n"},
        {SlotSin2K3, 2, "К3,%\n"},
        {SlotSin2A21, 2, "A21,дБ\n"},
        {SlotMttsLevel, 3, "Сигнал,дБм0\n"},
        {SlotMttsNoise, 3, "Шум,дБм0\n"},
        {SlotMttsSnr, 3, "Сигн/шум,дБ\n"},
        {SlotPrbsLevel, 4, "Сигнал,дБм0\n"},
        {SlotPrbsReflections, 4, "Отражения,дБм0\n"},
        {SlotPrbsSnr, 4, "Сигн/отражения,дБ\n"},
    };
    for (const Case &c : cases) {
        const ParameterTable table = ParameterTableOf(c.kind);
        const auto row = std::find_if(table.Rows, table.Rows + table.RowCount, [&](const ParamDescriptor &d) {
            return &d.Result.Value == ParamResultSlots[c.slot];
        });
        ASSERT_NE(row, table.Rows + table.RowCount) << "slot " << c.slot << " is not in table " << c.kind;
        EXPECT_STREQ(row->Caption, c.caption) << "slot " << c.slot;
    }
}

// The measurements on a hand-made spectrum: a tone at bin t with its leakage already gathered, a flat
// noise floor, and whatever else a case adds.
class SinMeasurement : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        Settings.SpectrumStep = 1.25f;
        BuildParamCatalogue();
        EngineBuffers.BandLowBin = 2;
        EngineBuffers.BandHighBin = 819;
        EngineBuffers.SinLevelStats = {};
    }

    void SetSpectrum(std::initializer_list<std::pair<int32_t, float>> bins) {
        std::fill(EngineBuffers.PowerSpectrum, EngineBuffers.PowerSpectrum + 1024, 1.0f);
        for (const auto &[bin, power] : bins)
            EngineBuffers.PowerSpectrum[bin] = power;
        std::copy(EngineBuffers.PowerSpectrum, EngineBuffers.PowerSpectrum + 1024, EngineBuffers.AveragedPower);
    }
};

TEST_F(SinMeasurement, HarmonicsNeedAToneAboveBinSixteenAndRoomInTheBand) {
    struct Case {
        int32_t tone;
        bool second, third;
    };
    for (const Case &c :
         {Case{16, false, false}, Case{17, true, true}, Case{300, true, false}, Case{420, false, false}}) {
        EngineBuffers.ToneBin1 = c.tone;
        SetSpectrum({{c.tone, 1e10f}, {2 * c.tone, 1e6f}, {3 * c.tone, 1e5f}});
        MeasureSin();
        EXPECT_EQ(ResultValue(SlotSinA2) != NoValue, c.second) << c.tone;
        if (c.second) { // 16 unit bins of floor around the harmonic come with it
            EXPECT_NEAR(ResultValue(SlotSinA2), 10 * std::log10((1e10 + 2) / (1e6 + 16)), 1e-3) << c.tone;
        }
        EXPECT_EQ(ResultValue(SlotSinK2) != NoValue, c.second) << c.tone;
        for (ResultSlot slot : {SlotSinA3, SlotSinK3, SlotSinA23, SlotSinK23})
            EXPECT_EQ(ResultValue(slot) != NoValue, c.third) << c.tone << " slot " << slot;
    }
}

TEST_F(SinMeasurement, LevelStatisticsStartAgainWithTheTone) {
    EngineBuffers.ToneBin1 = 100;
    SetSpectrum({{100, 1e8f}});
    MeasureSin();
    const float first = ResultValue(SlotSinLevel);
    EXPECT_FLOAT_EQ(ResultValue(SlotSinMeanLevel), first);
    EXPECT_EQ(ResultValue(SlotSinLevelDeviation), NoValue);
    SetSpectrum({{100, 4e8f}});
    MeasureSin();
    EXPECT_NEAR(ResultValue(SlotSinMeanLevel), first + 10 * std::log10(2.0), 1e-3);
    EXPECT_NEAR(ResultValue(SlotSinLevelDeviation), 10 * std::log10(4.0) / std::sqrt(2.0), 1e-3);
    RestartSinAveraging();
    MeasureSin();
    EXPECT_EQ(ResultValue(SlotSinLevelDeviation), NoValue);
}

TEST_F(SinMeasurement, AttenuationAcrossTheLineNeedsTheOwnGeneratorRunning) {
    EngineBuffers.ToneBin1 = 100;
    SetSpectrum({{100, 1e8f}});
    MeasureSin();
    EXPECT_FLOAT_EQ(ResultValue(SlotSinAttenuation), -ResultValue(SlotSinLevel));
    Settings.ConnectionType = 4;
    Settings.Sin.State = 1;
    MeasureSin();
    EXPECT_EQ(ResultValue(SlotSinAttenuation), NoValue);
    Settings.Sin.State = 2;
    Settings.Sin.Level = -10;
    Settings.GenRef = 3;
    Settings.MeterRef = 1;
    MeasureSin();
    EXPECT_NEAR(ResultValue(SlotSinAttenuation), -ResultValue(SlotSinLevel) - 8, 1e-4);
}

TEST_F(SinMeasurement, WeightedNoiseFollowsTheWeightingCurve) {
    EngineBuffers.ToneBin1 = 100;
    SetSpectrum({{100, 1e8f}});
    MeasureSin();
    EXPECT_EQ(ResultValue(SlotSinWeightedNoise), NoValue);
    EXPECT_EQ(ResultValue(SlotSinWeightedSnr), NoValue);
    float frequencies[] = {0, 2000};
    float attenuations[] = {10, 10};
    SetWeightingCurve(2, frequencies, attenuations);
    MeasureSin();
    // Every bin 1 .. 1023 but the 17 of the tone, 10 dB down: the whole spectrum, not only the band.
    EXPECT_NEAR(ResultValue(SlotSinWeightedNoise), PowerToDbm0(1006) - 10, 1e-3);
    EXPECT_NEAR(ResultValue(SlotSinWeightedSnr), ResultValue(SlotSinLevel) - ResultValue(SlotSinWeightedNoise), 1e-4);
    SetWeightingCurve(0, nullptr, nullptr);
}

TEST_F(SinMeasurement, CloseTwoTonesGiveOnlyTheirTotal) {
    struct Case {
        int32_t t1, t2;
        bool separate, product;
    };
    // 2·t1 - t2 must lie more than 8 bins inside the band (2 .. 819).
    for (const Case &c : {Case{100, 116, false, false}, Case{100, 117, true, true}, Case{30, 49, true, true},
                          Case{30, 50, true, false}}) {
        EngineBuffers.ToneBin1 = c.t1;
        EngineBuffers.ToneBin2 = c.t2;
        SetSpectrum({{c.t1, 1e8f}, {c.t2, 1e8f}});
        MeasureSin2();
        EXPECT_NEAR(ResultValue(SlotSin2Level), PowerToDbm0(2e8f), 1e-4);
        EXPECT_NE(ResultValue(SlotSin2Snr), NoValue);
        for (ResultSlot slot : {SlotSin2Level1, SlotSin2Level2, SlotSin2A21})
            EXPECT_EQ(ResultValue(slot) != NoValue, c.separate) << c.t1 << ", " << c.t2 << " slot " << slot;
        EXPECT_EQ(ResultValue(SlotSin2A3) != NoValue, c.product) << c.t1 << ", " << c.t2;
        EXPECT_EQ(ResultValue(SlotSin2K3) != NoValue, c.product) << c.t1 << ", " << c.t2;
        if (!c.separate) {
            EXPECT_EQ(ResultValue(SlotSin2FrequencyShift), NoValue);
        }
    }
}

} // namespace
