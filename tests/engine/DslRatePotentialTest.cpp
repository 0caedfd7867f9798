#include "MttsTestSettings.h"

#include "engine/DslRatePotential.h"
#include "engine/ResultSlots.h"
#include "engine/catalogue/ParameterTable.h"

#include <cmath>

namespace {

// A line response and a noise reference from 0 to 5000 kHz every 10 kHz, at the generator's impedance.
class DslTest : public MttsTest {
protected:
    void SetFlatLine(float attenuation, float noiseDbm, int32_t count = 501) {
        TNoiseReference &noise = EngineBuffers.NoiseReference;
        noise.Count = LineAfc.Count = count;
        noise.Impedance = Settings.GenImpedance = 135;
        for (int32_t i = 0; i < count; ++i) {
            noise.Frequencies[i] = LineAfc.Frequencies[i] = 10.0f * i;
            noise.Levels[i] = noiseDbm;
            LineAfc.Attenuation[i] = attenuation;
        }
    }
};

float MaximumAdslRate(float first, float last, int32_t maxBits) {
    const int32_t tones = static_cast<int32_t>(std::trunc((last - first) / 4.3125f + 0.5f));
    return std::trunc(tones * maxBits * 4.0f / 32 + 0.5f) * 32;
}

const float AdslF[] = {138, 1104};
const float AdslDb[] = {0, 0};
const float Adsl4F[] = {138, 1104, 1622, 2208, 4416};
const float Adsl4Db[] = {0, 0, -10, -11.3f, -11.3f};
const float UpF[] = {25.875f, 138};

TEST_F(DslTest, QuietFlatLineGivesEachModesMaximum) {
    SetFlatLine(0, -150);
    EXPECT_EQ(AdslRatePotential(20.4f, 2, AdslF, AdslDb, 9, true), MaximumAdslRate(138, 1104, 9));
    EXPECT_EQ(AdslRatePotential(20.4f, 2, AdslF, AdslDb, 9, true), 8064);
    EXPECT_EQ(AdslRatePotential(20.4f, 5, Adsl4F, Adsl4Db, 12, true), MaximumAdslRate(138, 4416, 12));
    EXPECT_EQ(AdslRatePotential(12.5f, 2, UpF, AdslDb, 6, true), 640);
    EXPECT_EQ(ShdslRatePotential(13.5f, 3, true), 3840);
    EXPECT_EQ(ShdslRatePotential(13.5f, 4, true), 5696);
}

TEST_F(DslTest, ShdslFailsOnAttenuationAlone) {
    SetFlatLine(58, -150);
    EXPECT_EQ(ShdslRatePotential(13.5f, 3, true), 3840);
    EXPECT_EQ(ShdslRatePotential(13.5f, 4, true), 0);
    SetFlatLine(61, -150);
    EXPECT_EQ(ShdslRatePotential(13.5f, 3, true), 0);
}

TEST_F(DslTest, RatesNeedTheirInputs) {
    // A response ending at 1000 kHz does not cover ADSL's 1104 kHz.
    SetFlatLine(0, -150, 101);
    EXPECT_EQ(AdslRatePotential(20.4f, 2, AdslF, AdslDb, 9, true), NoValue);
    EXPECT_EQ(AdslRatePotential(12.5f, 2, UpF, AdslDb, 6, true), 640);
    // SHDSL.bis tries Nyquist frequencies up to 713 kHz: covered. A response to 500 kHz is not.
    EXPECT_EQ(ShdslRatePotential(13.5f, 4, true), 5696);
    SetFlatLine(0, -150, 51);
    EXPECT_EQ(ShdslRatePotential(13.5f, 4, true), NoValue);
    CableLengthKm = NoValue;
    EXPECT_EQ(AdslRatePotential(20.4f, 2, AdslF, AdslDb, 9, false), NoValue);
    EXPECT_EQ(ShdslRatePotential(13.5f, 3, false), NoValue);
}

TEST(DslHelpers, LevelSumsAndCorrections) {
    EXPECT_NEAR(PowerSumDb(0, 0), 10 * std::log10(2.0), 1e-5);
    EXPECT_EQ(ImpedanceLevelCorrection(0, 600), 0);
    EXPECT_EQ(ImpedanceLevelCorrection(600, 600), 0);
    // 10 log10((r1 + e)^2 r2 / ((r2 + e)^2 r1)), e the mean of both.
    EXPECT_NEAR(ImpedanceLevelCorrection(600, 150), 10 * std::log10(975.0 * 975 * 150 / (525.0 * 525 * 600)), 1e-5);
    EXPECT_FLOAT_EQ(CableAttenuation(2, 300), 9.9f);
    EXPECT_FLOAT_EQ(CableAttenuation(3, 0.1f), 0.61f);
    EXPECT_EQ(CableAttenuation(6, 300), NoValue);
}

// A pair is computed when either of its rows is analysed; its percentage needs the model rate.
TEST_F(DslTest, RowsFollowTheirAnalyseSwitches) {
    SetFlatLine(0, -150);
    CableLengthKm = 0;
    ParamDescriptor *rows = ParameterTableOf(3).Rows;
    const int32_t firstPair = 31;
    for (int32_t k = 0; k < 20; ++k)
        SetResult(ResultSlot(SlotMttsFirstDslRate + k), -5);
    rows[firstPair].Settings.Analyse = 1;     // ADSL_dn rate
    rows[firstPair + 3].Settings.Analyse = 1; // ADSL2_dn percentage
    MeasureDslRates(SlotMttsFirstDslRate);
    EXPECT_EQ(ResultValue(SlotMttsFirstDslRate), 8064);
    EXPECT_EQ(ResultValue(ResultSlot(SlotMttsFirstDslRate + 1)), -5);
    EXPECT_EQ(ResultValue(ResultSlot(SlotMttsFirstDslRate + 2)), 10752);
    const float model = AdslRatePotential(20.4f, 2, AdslF, AdslDb, 12, false);
    ASSERT_GT(model, 0);
    EXPECT_FLOAT_EQ(ResultValue(ResultSlot(SlotMttsFirstDslRate + 3)), 10752 / model * 100);
    EXPECT_EQ(ResultValue(ResultSlot(SlotMttsFirstDslRate + 4)), -5);
}

} // namespace
