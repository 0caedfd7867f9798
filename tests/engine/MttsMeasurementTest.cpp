#include "MttsTestSettings.h"

#include "engine/GroupDelay.h"
#include "engine/ImpedanceMeasurement.h"
#include "engine/LineResponse.h"
#include "engine/MttsMeasurement.h"
#include "engine/ResultSlots.h"
#include "engine/SignalPath.h"
#include "engine/catalogue/ParameterTable.h"

#include <algorithm>
#include <numbers>

namespace {

TEST(MttsSlots, NameTheRowsTheyWrite) {
    BuildParamCatalogue();
    const std::pair<ResultSlot, const char *> cases[] = {
        {SlotMttsRate, "Скорость,кбит/с\n"},
        {SlotMttsMaxAttenuation, "Макс.Затухание,дБ\n"},
        {SlotMttsMaxAttenuationFrequency, "Макс.Затухание,кГц\n"},
        {SlotMttsLoopResistance, "Сопротивление,Ом\n"},
        {SlotMttsCapacitance102, "C(1.02кГц),нФ\n"},
        {SlotMttsAttenuation300, "Затухание(300кГц),дБ\n"},
        {SlotMttsCableLength, "Длина(ТП-0.5мм),м\n"},
        {SlotMttsFirstDslRate, "ADSL_dn,кбит/с\n"},
        {ResultSlot(SlotMttsFirstDslRate + 19), "ADSL4_up,%\n"},
    };
    const ParameterTable table = ParameterTableOf(3);
    for (const auto &[slot, caption] : cases) {
        const auto row = std::find_if(table.Rows, table.Rows + table.RowCount,
                                      [&](const ParamDescriptor &r) { return &r.Result.Value == ParamResultSlots[slot]; });
        ASSERT_NE(row, table.Rows + table.RowCount) << caption;
        EXPECT_STREQ(row->Caption, caption);
    }
}

TEST_F(MttsTest, WithoutAValidCombNothingIsMeasured) {
    SetResult(SlotMttsLevel, 1);
    SetResult(SlotMttsRate, 1);
    ResultArrays.Attenuation[0] = 5;
    for (int32_t spacing : {0, 3}) {
        SetComb(8, spacing, 10);
        MeasureMtts();
        MeasureGroupDelay();
        MeasureImpedance();
        EXPECT_EQ(EngineBuffers.CombLineCount, 0);
        EXPECT_EQ(LineResultCount(), 0);
        EXPECT_EQ(ResultArrays.Attenuation[0], NoValue);
        for (ResultSlot slot : {SlotMttsLevel, SlotMttsNoise, SlotMttsSnr, SlotMttsRate, SlotMttsMaxAttenuation,
                                SlotMttsLoopResistance})
            EXPECT_EQ(ResultValue(slot), NoValue) << slot;
    }
}

// Lines 10 kHz apart at -10 dBm0 over noise at -70 dBm0 per bin: S/N 40 dB less the noise of the five
// bins between two lines, scaled to eight.
TEST_F(MttsTest, LinesGiveLevelsSnrAndBits) {
    SetComb(8, 8, 20);
    FillSpectrum([](int32_t) { return -10.0; }, -70);
    MeasureMtts();
    ASSERT_EQ(LineResultCount(), 20);
    const float snr = static_cast<float>(-10 - (-70 + 10 * std::log10(8.0)));
    EXPECT_NEAR(ResultArrays.Frequency[3], (8 + 3 * 8) * 1.25f, 1e-4);
    EXPECT_NEAR(ResultArrays.SignalToNoise[5], snr, 1e-3);
    EXPECT_NEAR(ResultValue(SlotMttsSnr), snr, 1e-3);
    EXPECT_NEAR(ResultArrays.BitLoading[5], std::trunc(std::log10(std::pow(10.0, 0.1 * snr) + 1) * 3.32193 + 0.5), 1e-6);
    // Every line up to half the sample rate enters the totals, not only the 20 of the band.
    const int32_t allLines = (1024 - 8 + 7) / 8;
    EXPECT_NEAR(ResultValue(SlotMttsLevel), -10 + 10 * std::log10(double(allLines)), 1e-3);
    EXPECT_EQ(EngineBuffers.NoiseReference.Count, allLines);
    EXPECT_EQ(LineAfc.Count, allLines);
    EXPECT_NEAR(EngineBuffers.NoiseReference.Levels[2], -70 + 10 * std::log10(8.0), 1e-3);
}

TEST_F(MttsTest, BitsFollowTheMasksAndTheirCeiling) {
    SetComb(8, 8, 20);
    FillSpectrum([](int32_t) { return 10.0; }, -100);
    MeasureMtts();
    EXPECT_FLOAT_EQ(ResultArrays.BitLoading[4], 30 - 0.000001f);

    SetMask(12, MaskUpperSide, {{0, 8}, {1000, 8}});
    SetComb(8, 8, 20);
    FillSpectrum([](int32_t) { return -30.0; }, -70 - 10 * std::log10(8.0));
    MeasureMtts();
    EXPECT_FLOAT_EQ(ResultArrays.BitLoading[4], 8 - 0.000001f);
    // 40 dB of S/N less a lower S/N mask of 25 dB leaves 15 dB: 5 bits.
    SetMask(7, MaskLowerSide, {{0, 25}, {1000, 25}});
    SetComb(8, 8, 20);
    MeasureMtts();
    EXPECT_FLOAT_EQ(ResultArrays.BitLoading[4], 5);
}

// 20 lines of 13 bits 10 kHz apart: 260 bits x 10/4.3125 x 4 = 2411.59 kbit/s, shown as 2410.
TEST_F(MttsTest, RateHasThreeSignificantDigits) {
    SetComb(8, 8, 20);
    FillSpectrum([](int32_t) { return -30.0; }, -70 - 10 * std::log10(8.0));
    MeasureMtts();
    ASSERT_FLOAT_EQ(ResultArrays.BitLoading[0], 13);
    EXPECT_FLOAT_EQ(ResultValue(SlotMttsRate), 2410);
}

TEST_F(MttsTest, EqualMaximaReportTheLowerFrequency) {
    SetComb(8, 8, 20);
    FillSpectrum([](int32_t i) { return i == 4 || i == 9 ? -40.0 : -30.0; }, -100);
    MeasureMtts();
    EXPECT_NEAR(ResultValue(SlotMttsMaxAttenuation), 40 - 10 * std::log10(20.0), 1e-3);
    EXPECT_FLOAT_EQ(ResultValue(SlotMttsMaxAttenuationFrequency), ResultArrays.Frequency[4]);
}

TEST_F(MttsTest, AttenuationReferences) {
    SetComb(8, 8, 20);
    FillSpectrum([](int32_t i) { return -30.0 - i; }, -100);
    Settings.AfcRef = 0;
    MeasureMtts();
    EXPECT_NEAR(ResultArrays.Attenuation[0], 0, 1e-3);
    EXPECT_NEAR(ResultArrays.Attenuation[7], 7, 1e-3);
    // Relative to the response at 55 kHz, halfway between lines 4 and 5.
    Settings.AfcRef = 55;
    SetComb(8, 8, 20);
    MeasureMtts();
    EXPECT_NEAR(ResultArrays.Attenuation[3], -1.5, 1e-3);
    Settings.AfcRef = 5000;
    SetComb(8, 8, 20);
    MeasureMtts();
    EXPECT_EQ(ResultArrays.Attenuation[3], NoValue);
    // Across the line to the peer with the own generator off there is no response at all.
    Settings.ConnectionType = 4;
    Settings.Mtts.State = 0;
    SetComb(8, 8, 20);
    MeasureMtts();
    EXPECT_TRUE(std::all_of(ResultArrays.Attenuation, ResultArrays.Attenuation + 20, [](float a) { return a == NoValue; }));
    Settings.Mtts.State = 2;
    Settings.MeterRef = 1;
    Settings.GenRef = 3;
    Settings.Mtts.Level = -4;
    SetComb(8, 8, 20);
    MeasureMtts();
    // What arrives is 1 dB lower on the meter's reference; our generator sends 2 dB less than that.
    EXPECT_NEAR(ResultArrays.Attenuation[0], 30 - 10 * std::log10(20.0) + 1 - 2, 1e-3);
}

// Lines whose attenuation is that of 2 km of 0.5 mm cable give the length and complete the response.
TEST_F(MttsTest, CableLengthFromTheResponse) {
    Settings.ConnectionType = 2;
    SetComb(8, 8, 40);
    const auto level = [](int32_t i) {
        const float f = (8 + 8 * i) * 1.25f;
        return -10 * std::log10(40.0) - 2 * CableAttenuation(2, f);
    };
    FillSpectrum(level, -120);
    MeasureMtts();
    EXPECT_NEAR(CableLengthKm, 2, 1e-3);
    EXPECT_NEAR(ResultValue(SlotMttsCableLength), 2000, 1);
    EXPECT_NEAR(ResultValue(SlotMttsAttenuation300), 2 * 9.9, 1e-3);
    EXPECT_EQ(CableModelIndex, 2);
    // Beyond the band the response is the model's.
    const float f = ResultArrays.Frequency[100];
    EXPECT_NEAR(LineAfc.Attenuation[100], 2 * CableAttenuation(2, f), 1e-3);

    // With only two lines whose ratio counts there is no length.
    SetComb(8, 8, 40);
    FillSpectrum([&](int32_t i) { return i < 2 ? level(i) : -10 * std::log10(40.0) - 60; }, -200);
    MeasureMtts();
    EXPECT_EQ(CableLengthKm, NoValue);
    EXPECT_EQ(ResultValue(SlotMttsCableLength), NoValue);
}

TEST(SignalPath, DelayAndPhaseTables) {
    EXPECT_FLOAT_EQ(SignalPathDelay(1024, 8), 51.9695f);
    EXPECT_FLOAT_EQ(SignalPathDelay(1024, 3), 52.0304f);
    EXPECT_FLOAT_EQ(SignalPathDelay(4, 0), 127.572197f);
    // Below 128 kHz the coaxial types take the balanced path's delay.
    EXPECT_FLOAT_EQ(SignalPathDelay(64, 8), 586.173706f);
    // A maximum frequency the table does not list takes its nearest listed neighbour.
    EXPECT_FLOAT_EQ(SignalPathDelay(1000, 3), 52.0304f);
    EXPECT_FLOAT_EQ(SignalPathDelay(3000, 0), 38.3308f);
    EXPECT_FLOAT_EQ(SignalPathDelay(2800, 0), 45.0398f);

    for (int32_t type : {7, 8, 9})
        for (int32_t m : {128, 1024, 4096})
            EXPECT_EQ(PhaseCorrection(m, type, 0.5f * m), 0);
    EXPECT_FLOAT_EQ(PhaseCorrection(4, 0, 0.02f), 0.1585f);
    EXPECT_NEAR(PhaseCorrection(4, 0, 3.984f), -0.0025f, 1e-6);
    EXPECT_FLOAT_EQ(PhaseCorrection(4096, 3, 20), 0);
    EXPECT_FLOAT_EQ(PhaseCorrection(4096, 3, 4080), -0.2282f);
    EXPECT_NEAR(PhaseCorrection(64, 8, 32), 0.5f * (PhaseCorrection(64, 8, 0.32f) + PhaseCorrection(64, 8, 63.744f)), 1e-3);
}

TEST(SignalPath, MultitoneStartPhases) {
    int32_t inverted = 0;
    for (int32_t n = 0; n < 512; ++n)
        inverted += MttsLineInverted(n);
    EXPECT_EQ(inverted, 238);
    EXPECT_FLOAT_EQ(MttsLinePhase(2), 3.1415927f);
    EXPECT_FLOAT_EQ(MttsLinePhase(7), 3.1415927f);
    EXPECT_EQ(MttsLinePhase(0), 0);
    EXPECT_EQ(MttsLinePhase(511), 3.1415927f);
    EXPECT_EQ(MttsLinePhase(512), 0);
}

// Lines whose phase grows by the same step have one group delay, and the reference makes it 0; two
// stretches of two usable lines are too short for any.
TEST_F(MttsTest, GroupDelayRuns) {
    SetComb(8, 8, 6);
    FillSpectrum([](int32_t) { return -10.0; }, -100);
    MeasureMtts();
    // Harmonics 1 to 6, with the generator's start phases taken out.
    const auto setPhases = [](float step) {
        for (int32_t i = 0; i < 6; ++i) {
            const int32_t k = 8 + 8 * i;
            const float phase = step * i - MttsLinePhase(1 + i);
            EngineBuffers.ComplexSpectrum[2 * k] = std::cos(phase);
            EngineBuffers.ComplexSpectrum[2 * k + 1] = std::sin(phase);
        }
    };
    setPhases(0.3f);
    MeasureGroupDelay();
    for (int32_t i = 0; i < 6; ++i)
        EXPECT_NEAR(ResultArrays.GroupDelay[i], 0, 1e-3) << i;

    for (int32_t i : {2, 5})
        ResultArrays.SignalToNoise[i] = 0;
    MeasureGroupDelay();
    for (int32_t i = 0; i < 6; ++i)
        EXPECT_EQ(ResultArrays.GroupDelay[i], NoValue) << i;
}

TEST_F(MttsTest, LineGapsNeedMoreThanOneMissingLine) {
    EngineBuffers.CombLineCount = 100;
    std::fill(ResultArrays.SignalToNoise, ResultArrays.SignalToNoise + 100, 20.0f);
    // For 100 lines the window of line i is i - 6 .. i.
    ResultArrays.SignalToNoise[40] = -1;
    EXPECT_FALSE(HasLineGap(42));
    ResultArrays.SignalToNoise[38] = NoValue;
    EXPECT_TRUE(HasLineGap(42));
    EXPECT_FALSE(HasLineGap(46));
    EXPECT_FALSE(HasLineGap(37));
}

TEST(LineResponse, InterpolatePairsHoldsItsOutsideValues) {
    const std::vector<TMaskPoint> points = {{10, 1}, {20, 3}};
    EXPECT_EQ(InterpolatePairs(5, points, -7, 9), -7);
    EXPECT_EQ(InterpolatePairs(25, points, -7, 9), 9);
    EXPECT_DOUBLE_EQ(InterpolatePairs(15, points, -7, 9), 2);
    EXPECT_EQ(InterpolatePairs(15, {}, -7, 9), -7);
}

} // namespace
