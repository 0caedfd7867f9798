#include "MttsTestSettings.h"

#include "engine/GeneratorSourceResistance.h"
#include "engine/ImpedanceMeasurement.h"
#include "engine/ResultSlots.h"

#include <complex>
#include <functional>
#include <numbers>

namespace {

using Complex = std::complex<double>;

// The instrument's own shunt and leads as the model starts with them.
struct TInstrument {
    double Rp = 23000;
    double Cp = 3e-8;
    double Rs = 0.5;
    double Ls = 0.00027;
};

// Lines every 10 kHz from 10 kHz (or from `first`) on the coaxial pair with the own multitone running;
// each line's level and phase are those of the divider of the generator and the load as the
// instrument sees it.
class ImpedanceTest : public MttsTest {
protected:
    void SetUp() override {
        MttsTest::SetUp();
        Settings.ConnectionType = 8;
        Settings.GenImpedance = 75;
        Settings.MeterImpedance = 75;
        Settings.GenRef = 0;
        Settings.MaxLevelIndex = 0;
        Settings.Mtts.State = 2;
        Settings.Mtts.F1 = 10;
        Settings.Mtts.Step = 10;
        Settings.Mtts.Level = -10;
        Settings.Mtts.Count = 80;
        NowStamp = 46000.5;
    }

    void SetLoad(int32_t lines, const std::function<Complex(double f)> &load, const TInstrument &instrument = {},
                 double first = 10, double spacing = 10) {
        SetComb(8, 8, lines);
        const double rg = GeneratorSourceResistance(75, Settings.SampleRate);
        const double lref = Settings.GenRef + Settings.Mtts.Level - 10 * std::log10(double(Settings.Mtts.Count));
        // The coaxial path at input range 0 lags by 0.23 degrees at 1024 kHz, scaled by 1.28.
        const double slope = 0.23 * std::numbers::pi / 180 * 1.28 / 1024;
        for (int32_t i = 0; i < lines; ++i) {
            const double f = first + spacing * i;
            const double w = 6.2832 * f;
            const Complex leads = load(f) + Complex(instrument.Rs, w * instrument.Ls);
            const Complex seen = 1.0 / (1.0 / leads + 1.0 / instrument.Rp + Complex(0, w * instrument.Cp));
            const Complex u = (rg + seen) / seen;
            ResultArrays.Frequency[i] = static_cast<float>(f);
            ResultArrays.SignalToNoise[i] = 60;
            ResultArrays.Phase[i] = static_cast<float>(-std::arg(u) - slope * f);
            EngineBuffers.CombLineSignal[i] = static_cast<float>(lref - Settings.MeterRef - 20 * std::log10(std::abs(u) / 2));
        }
    }
};

Complex Resistor(double r) {
    return {r, 0};
}

// R in parallel with C (nF) at f kHz.
Complex ParallelRc(double r, double cNf, double f) {
    return 1.0 / Complex(1 / r, 6.2832 * f * cNf * 1e-6);
}

TEST(GeneratorSourceResistance, ByImpedanceAndSampleRate) {
    EXPECT_FLOAT_EQ(GeneratorSourceResistance(120, 2560), 120 * 1.0053619f);
    EXPECT_FLOAT_EQ(GeneratorSourceResistance(75, 320), 76.949387f);
    EXPECT_FLOAT_EQ(GeneratorSourceResistance(75, 10), 76.949387f);
    EXPECT_FLOAT_EQ(GeneratorSourceResistance(75, 1000), 75);
    EXPECT_FLOAT_EQ(GeneratorSourceResistance(135.2f, 10240), 135 * 1.0060362f);
    EXPECT_FLOAT_EQ(GeneratorSourceResistance(600, 20480), 600 * 1.0050251f);
    EXPECT_EQ(GeneratorSourceResistance(50, 2560), NoValue);
}

TEST_F(ImpedanceTest, ResistiveLoadAtTheMeterImpedance) {
    SetLoad(80, [](double) { return Resistor(75); });
    std::fill(ResultArrays.Attenuation, ResultArrays.Attenuation + 80, 3.0f);
    std::fill(ResultArrays.BitLoading, ResultArrays.BitLoading + 80, 3.0f);
    SetResult(SlotMttsRate, 100);
    MeasureImpedance();
    for (int32_t i : {0, 40, 79}) {
        EXPECT_NEAR(ResultArrays.Resistance[i], 75, 0.01) << i;
        EXPECT_NEAR(ResultArrays.Reactance[i], 0, 0.01) << i;
        EXPECT_NEAR(ResultArrays.ImpedanceModulus[i], 75, 0.01) << i;
        EXPECT_NEAR(ResultArrays.ImpedancePhase[i], 0, 0.01) << i;
        EXPECT_EQ(ResultArrays.Capacitance[i], NoValue);
        // A load of exactly the meter impedance: 0.01 % and 80 dB.
        EXPECT_FLOAT_EQ(ResultArrays.MismatchCoefficient[i], 0.01f);
        EXPECT_FLOAT_EQ(ResultArrays.MismatchAttenuation[i], 80);
    }
    EXPECT_FLOAT_EQ(ResultValue(SlotMttsLoopResistance), 75);
    EXPECT_FLOAT_EQ(LastLoopResistance.Value, 75);
    EXPECT_EQ(LastLoopResistance.Stamp, NowStamp);
    // The generator feeds the pair itself: no line response.
    EXPECT_EQ(ResultArrays.Attenuation[5], NoValue);
    EXPECT_EQ(ResultArrays.BitLoading[5], NoValue);
    EXPECT_EQ(ResultValue(SlotMttsRate), NoValue);
    EXPECT_EQ(ImpedanceCalState, -2);
}

TEST_F(ImpedanceTest, LoopResistanceByItsSize) {
    SetLoad(80, [](double) { return Resistor(12.3456); });
    MeasureImpedance();
    EXPECT_NEAR(ResultValue(SlotMttsLoopResistance), 12.35f, 1e-5);

    // An open line: the parallel resistance of its capacitance, rounded to 100 below 100 kOhm.
    SetLoad(80, [](double f) { return ParallelRc(50000, 50, f); });
    MeasureImpedance();
    EXPECT_NEAR(ResultValue(SlotMttsLoopResistance), 50000, 1e-3);
    EXPECT_FLOAT_EQ(LastLoopResistance.Value, 12.35f);
    SetLoad(80, [](double f) { return ParallelRc(200000, 50, f); });
    MeasureImpedance();
    EXPECT_EQ(ResultValue(SlotMttsLoopResistance), NoValue);
}

// The loop resistance reads lines 0 to 2: with two lines it has no value, whatever an earlier block
// left in line 2, while the two lines are measured.
TEST_F(ImpedanceTest, FewerThanThreeLinesGiveNoLoopResistance) {
    SetLoad(3, [](double) { return Resistor(40); });
    MeasureImpedance();
    ASSERT_NE(ResultValue(SlotMttsLoopResistance), NoValue);
    SetLoad(2, [](double) { return Resistor(30); });
    MeasureImpedance();
    EXPECT_NEAR(ResultArrays.Resistance[1], 30, 0.01);
    EXPECT_FLOAT_EQ(ResultArrays.Resistance[2], 40);
    EXPECT_EQ(ResultValue(SlotMttsLoopResistance), NoValue);
}

TEST_F(ImpedanceTest, CapacitanceAt102NeedsBothSides) {
    SetLoad(4, [](double f) { return Complex(10, -1e6 / (6.2832 * f * 1000)); }, {}, 0.625, 1.25);
    MeasureImpedance();
    EXPECT_NEAR(ResultArrays.Capacitance[0], 1000, 1);
    EXPECT_NEAR(ResultValue(SlotMttsCapacitance102), 1000, 1);
    EXPECT_EQ(LastCapacitance102.Stamp, NowStamp);

    SetLoad(4, [](double f) { return f < 1 ? Resistor(50) : Complex(10, -1e6 / (6.2832 * f * 1000)); }, {}, 0.625, 1.25);
    MeasureImpedance();
    EXPECT_EQ(ResultValue(SlotMttsCapacitance102), NoValue);
}

TEST_F(ImpedanceTest, MeasuresOnlyWithTheOwnCombOnThePair) {
    const auto blocked = [&](auto change) {
        SetUp();
        change();
        SetLoad(80, [](double) { return Resistor(75); });
        ImpedanceCalState = 1;
        MeasureImpedance();
        return ResultArrays.Resistance[3] == NoValue && ImpedanceCalState == -2;
    };
    EXPECT_FALSE(blocked([] {}));
    EXPECT_TRUE(blocked([&] { Settings.ConnectionType = 2; }));
    EXPECT_TRUE(blocked([&] { Settings.Mtts.State = 1; }));
    EXPECT_TRUE(blocked([&] { Settings.GenImpedance = 50; }));
    EXPECT_TRUE(blocked([&] { Settings.Mtts.F1 = 30; }));
    EXPECT_TRUE(blocked([&] { Settings.MaxLevelIndex = 3; }));
    EXPECT_TRUE(blocked([&] {
        Settings.SampleRate = 160;
        Settings.AdcSize = 16384;
    }));
    EXPECT_TRUE(blocked([&] {
        for (int32_t kind : {14, 15, 8, 9, 11, 10, 13})
            GraphParamSettings[kind][3]->Analyse = 0;
        ParameterTableOf(3).Rows[8].Settings.Analyse = 0;
        ParameterTableOf(3).Rows[9].Settings.Analyse = 0;
    }));
}

// 80 lines up to 800 kHz: a line of 275 .. 325 kHz of any impedance leaves the ends looking open, one
// at 270 kHz does not.
TEST_F(ImpedanceTest, OpenTestLeavesOut300kHz) {
    ImpedanceCalState = 1;
    SetLoad(80, [](double f) { return f == 300 ? Resistor(75) : Resistor(1e6); });
    MeasureImpedance();
    EXPECT_TRUE(ImpedanceModel.OpenSeen);
    ImpedanceCalState = 1;
    SetLoad(80, [](double f) { return f == 270 ? Resistor(75) : Resistor(1e6); });
    MeasureImpedance();
    EXPECT_FALSE(ImpedanceModel.OpenSeen);
}

TEST_F(ImpedanceTest, AutomaticMaximumLevelResetsTheModelEveryBlock) {
    ImpedanceModel.Cp = 5e-8f;
    ImpedanceModel.MagnitudeCorrection[3] = 1;
    ImpedanceCalState = -1;
    SetLoad(80, [](double) { return Resistor(1e6); });
    for (int block = 0; block < 12; ++block) {
        MeasureImpedance();
        EXPECT_EQ(ImpedanceCalState, -1);
        EXPECT_FLOAT_EQ(ImpedanceModel.Cp, 3e-8f);
    }
    EXPECT_EQ(ImpedanceModel.MagnitudeCorrection[3], 0);
}

// The instrument really has 300 pF more shunt and its leads 0.2 Ohm and 0.1 uH more than the model
// starts with; the open ends leak through 100 kOhm. Two blocks with the ends open adjust Cp at the second, four more move the per-line
// corrections; four with the ends shorted adjust Rs and Ls at the fourth, and the meter is calibrated.
TEST_F(ImpedanceTest, SelfCalibration) {
    const TInstrument real{23000, 3e-8 + 3e-7, 0.7, 0.00037};
    const auto open = [&] { SetLoad(80, [](double) { return Resistor(100000); }, real); };
    const auto shorted = [&] { SetLoad(80, [](double) { return Resistor(0); }, real); };
    ImpedanceCalState = 1;

    open();
    MeasureImpedance();
    EXPECT_EQ(ImpedanceCalState, 2);
    EXPECT_EQ(ImpedanceModel.OpenSteps, 1);
    EXPECT_FLOAT_EQ(ImpedanceModel.Cp, 3e-8f);
    open();
    MeasureImpedance();
    EXPECT_EQ(ImpedanceModel.OpenSteps, 0);
    EXPECT_NEAR(ImpedanceModel.Cp, 3.3e-7, 0.02 * 3e-7);
    for (int32_t load = 4; load > 0; --load) {
        EXPECT_EQ(ImpedanceModel.LoadSteps, load);
        open();
        MeasureImpedance();
        EXPECT_EQ(ImpedanceCalState, 2);
    }
    EXPECT_NE(ImpedanceModel.MagnitudeCorrection[40], 0);
    open();
    MeasureImpedance();
    EXPECT_EQ(ImpedanceCalState, 3);

    for (int32_t step = 4; step > 1; --step) {
        shorted();
        MeasureImpedance();
        EXPECT_EQ(ImpedanceCalState, 4);
        EXPECT_FLOAT_EQ(ImpedanceModel.Rs, 0.5f);
        EXPECT_FLOAT_EQ(ImpedanceModel.Ls, 0.00027f);
    }
    shorted();
    MeasureImpedance();
    EXPECT_NEAR(ImpedanceModel.Rs, 0.7, 0.01);
    EXPECT_NEAR(ImpedanceModel.Ls, 0.00037, 0.000005);
    EXPECT_TRUE(ImpedanceModel.Calibrated);
    EXPECT_EQ(ImpedanceCalState, 0);

    // Calibrated, a 75 Ohm load is 75 Ohm, as with the instrument the model started from.
    SetLoad(80, [](double) { return Resistor(75); }, real);
    MeasureImpedance();
    EXPECT_NEAR(ResultArrays.Resistance[40], 75, 0.2);
    EXPECT_NEAR(ResultArrays.Reactance[40], 0, 0.2);
}

} // namespace
