#include "EngineTestSettings.h"

#include "engine/BlockProcessing.h"
#include "engine/LineAnalysis.h"
#include "engine/ImpedanceMeasurement.h"
#include "engine/PrbsMeasurement.h"
#include "engine/ResultSlots.h"
#include "engine/SpectrumAveraging.h"
#include "engine/catalogue/ParamCatalogue.h"

#include <cmath>
#include <vector>

namespace {

// A pulse of the line: the weights of the sequence at lags lag + 0, 1, 2, ... (Start is the first).
struct TPulse {
    int32_t Lag;
    double Gain;
    std::vector<double> Shape;
    int32_t Start;
};

// The direct pulse through the generator's output path, and the slower pulse back from an open end:
// a fast rise and a long tail.
const std::vector<double> SharpShape = {0.25, 0.5, 0.25};
const std::vector<double> OpenEndShape = {0.2, 0.6, 1, 0.75, 0.55, 0.4, 0.3, 0.22, 0.16, 0.12, 0.09, 0.06, 0.04};

class PrbsMeasurement : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        Settings.SpectrumStep = Settings.PresentationStep = 1.25f;
        Settings.Lmin = -60;
        Settings.MinSnr = 0;
        Settings.AveragingInterval = 0;
        Settings.Rnd.State = 2;
        Settings.CableVelocity = 200;
        Settings.AfcRef = 0;
        BuildParamCatalogue();
        ResetAveragingClock();
        SignalKind = 0;
        PrbsTailModel = {};
        LastCapacitance102 = {};
        LastLoopResistance = {};
    }

    void Meter(float maxFrequency) {
        Settings.MaxFrequency = maxFrequency;
        Settings.SampleRate = 2.5f * maxFrequency;
        Settings.SpectrumStep = Settings.PresentationStep = Settings.SampleRate / 2048;
        Settings.BandF0 = Settings.SampleRate / 1024;
        Settings.BandF1 = maxFrequency;
    }

    // The generator's sequence (x^10 + x^7 + 1, two samples a chip) through the given pulses.
    void SetBlock(const std::vector<TPulse> &pulses) {
        static const std::vector<int> chips = [] {
            std::vector<int> c;
            uint32_t state = 0x3ff;
            for (int k = 0; k < 1023; ++k) {
                const uint32_t bit = ((state >> 6) ^ (state >> 9)) & 1;
                state = ((state << 1) | bit) & 0x3ff;
                c.push_back(bit ? 1 : -1);
            }
            return c;
        }();
        const auto s = [](int32_t k) { return chips[((k % 2046) + 2046) % 2046 / 2]; };
        for (int32_t i = 0; i < 2048; ++i) {
            double x = 0;
            for (const TPulse &p : pulses)
                for (size_t j = 0; j < p.Shape.size(); ++j)
                    x += 3000 * p.Gain * p.Shape[j] * s(i - p.Lag - p.Start - int32_t(j));
            EngineBuffers.AdcSampleBuffer[i] = static_cast<int16_t>(std::lround(x));
        }
    }

    // A settling block, then one measured block.
    void Measure() {
        for (int k = 0; k < 2; ++k) {
            NowStamp = 45000 + (++blocks) * 0.05 / 86400;
            ProcessBlock();
        }
        ASSERT_EQ(SignalKind, 4);
    }

    std::vector<TPulse> LineWithOpenEnd(int32_t lag = 300, double gain = 0.3) {
        return {{0, 1, SharpShape, -1}, {lag, gain, OpenEndShape, -2}};
    }

    int blocks = 0;
};

TEST_F(PrbsMeasurement, FourWireTypesKeepTheDirectPulseAtItsLagBehindThePathDelay) {
    struct Case {
        int16_t type;
        float maxFrequency;
        int32_t lag;
        int32_t index; // of the direct pulse in the reflectogram
    };
    const Case cases[] = {
        {0, 1024, 100, 31},         // two-wire: the strongest pulse at 31
        {8, 1024, 100, 31},         //
        {5, 1024, 100, 31 + 100 - 52}, // balanced path delay 52.0304 steps
        {9, 1024, 100, 31 + 100 - 52}, // coaxial column: 51.9695
        {9, 64, 700, 31 + 700 - 586},  // below 128 kHz the coaxial type takes the balanced delay 586.17
    };
    for (const Case &c : cases) {
        Settings.ConnectionType = c.type;
        Meter(c.maxFrequency);
        SetBlock({{c.lag, 1, SharpShape, -1}});
        Measure();
        EXPECT_EQ(EchoPeaks.Position[0], c.index) << "type " << c.type << " at " << c.maxFrequency;
    }
}

TEST_F(PrbsMeasurement, TailModelAdaptsOnlyInTypes3And5AboveA640SampleRate) {
    struct Case {
        int16_t type;
        float maxFrequency;
        bool adapts;
    };
    const Case cases[] = {{3, 1024, true}, {5, 1024, true}, {0, 1024, false}, {8, 1024, false}, {3, 256, false}};
    for (const Case &c : cases) {
        Settings.ConnectionType = c.type;
        Meter(c.maxFrequency);
        SetBlock({{60, 1, SharpShape, -1}});
        PrbsTailModel = {};
        Measure();
        // Every pass of a restarted average begins the adaptation afresh and counts itself.
        EXPECT_EQ(PrbsTailModel.PassCounter, c.adapts ? 1 : 0) << "type " << c.type << " at " << c.maxFrequency;
    }
}

TEST_F(PrbsMeasurement, LineAnalysisRunsOnlyForTypes3And8WithTheRndGeneratorRunning) {
    struct Case {
        int16_t type;
        int32_t rndState;
        bool analysed;
        bool cable; // the cable fit and the per-km values beyond attenuation: type 3 only
    };
    const Case cases[] = {{3, 2, true, true}, {8, 2, true, false}, {3, 1, false, false}, {0, 2, false, false}};
    for (const Case &c : cases) {
        Settings.ConnectionType = c.type;
        Settings.Rnd.State = c.rndState;
        SetBlock(LineWithOpenEnd());
        LastCapacitance102 = {100, 45000};
        Measure();
        const std::string what = "type " + std::to_string(c.type) + ", RND state " + std::to_string(c.rndState);
        EXPECT_EQ(ResultValue(SlotPrbsOpenEndDelay) != NoValue, c.analysed) << what;
        EXPECT_EQ(ResultValue(SlotPrbsAttenuation300) != NoValue, c.analysed) << what;
        EXPECT_EQ(ResultValue(SlotPrbsWireDiameter) != NoValue, c.cable) << what;
        EXPECT_EQ(ResultValue(SlotPrbsCapacitancePerKm) != NoValue, c.cable) << what;
    }
}

TEST_F(PrbsMeasurement, OpenEndGivesDelayLengthAndPerKmValuesFromFreshReferencesOnly) {
    Settings.ConnectionType = 3;
    SetBlock(LineWithOpenEnd());
    const double now = 45000 + 2 * 0.05 / 86400;
    struct Case {
        double ageSeconds;
        bool fresh;
    };
    for (const Case c : {Case{200, true}, Case{400, false}}) {
        LastCapacitance102 = {100, now - c.ageSeconds / 86400};
        LastLoopResistance = {50, now - c.ageSeconds / 86400};
        blocks = 0;
        ResetAveragingClock();
        Measure();
        EXPECT_EQ(ResultValue(SlotPrbsCapacitancePerKm) != NoValue, c.fresh) << c.ageSeconds << " s";
        EXPECT_EQ(ResultValue(SlotPrbsResistancePerKm) != NoValue, c.fresh) << c.ageSeconds << " s";
    }
    const float delay = ResultValue(SlotPrbsOpenEndDelay);
    EXPECT_NEAR(delay, 300 * 1000.0 / 2560, 0.5);
    EXPECT_NEAR(ResultValue(SlotPrbsLineLength), delay * 200, 1e-2);
    EXPECT_NEAR(CableLengthKm, delay * 0.2, 1e-4);
    const float perKm = ResultValue(SlotPrbsAttenuationPerKm);
    EXPECT_NEAR(perKm, ResultValue(SlotPrbsAttenuation300) / CableLengthKm, 1e-3);
}

TEST_F(PrbsMeasurement, NothingIsDividedByALengthOfZero) {
    Settings.ConnectionType = 3;
    Settings.CableVelocity = 0;
    SetBlock(LineWithOpenEnd());
    LastCapacitance102 = LastLoopResistance = {100, 45000 + 2 * 0.05 / 86400};
    Measure();
    EXPECT_NE(ResultValue(SlotPrbsOpenEndDelay), NoValue);
    EXPECT_EQ(ResultValue(SlotPrbsLineLength), 0);
    for (ResultSlot slot : {SlotPrbsAttenuationPerKm, SlotPrbsWireDiameter, SlotPrbsCapacitancePerKm,
                            SlotPrbsResistancePerKm})
        EXPECT_EQ(ResultValue(slot), NoValue) << slot;
}

TEST_F(PrbsMeasurement, EchoTableIsSortedOnlyAfterTheLineAnalysisTookTheStrongestEchoAsTheOpenEnd) {
    Settings.ConnectionType = 3;
    // The open end lies beyond a weaker echo; the stronger is found first.
    SetBlock({{0, 1, SharpShape, -1}, {150, 0.1, OpenEndShape, -2}, {400, 0.3, OpenEndShape, -2}});
    Measure();
    ASSERT_EQ(EchoPeaks.Position[1], 31 + 400);
    ASSERT_EQ(EchoPeaks.Position[2], 31 + 150);
    const TReflectionTable &t = ReflectionTable;
    EXPECT_LT(t.Distance[1], t.Distance[2]);
    EXPECT_NEAR(ResultValue(SlotPrbsOpenEndDelay), t.Delay[2], 1e-4);
}

TEST_F(PrbsMeasurement, ReflectionSpectrumOfAFlatWindowHasNoPointsAndLeavesThePublishedSpectrum) {
    ClearReflectograms();
    float *percent = EngineBuffers.Reflectograms[ReflectogramPercent];
    std::fill(percent, percent + 1023, 5.0f);
    ReflectionTable.Delay[0] = 0;
    ReflectionTable.Percent[0] = 100;
    ReflectionTable.Level[0] = 70;
    EchoPeaks.Position[0] = 100;
    EchoPeaks.Left[0] = 2;
    EchoPeaks.Right[0] = 3;
    std::fill(EngineBuffers.PowerSpectrum, EngineBuffers.PowerSpectrum + 1024, 7.0f);
    std::fill(EngineBuffers.ComplexSpectrum, EngineBuffers.ComplexSpectrum + 2048, 7.0f);
    float f[MaxReflectionSpectrumPoints], l[MaxReflectionSpectrumPoints];
    int32_t first = 0, last = 0;
    EXPECT_EQ(ReflectionSpectrum(0, f, l, first, last), 0);
    percent[100] = 80;
    percent[101] = 40;
    EXPECT_GT(ReflectionSpectrum(0, f, l, first, last), 0);
    EXPECT_LE(first, 100);
    EXPECT_GE(last, 103);
    for (int32_t i = 0; i < 1024; ++i) {
        ASSERT_EQ(EngineBuffers.PowerSpectrum[i], 7.0f) << i;
        ASSERT_EQ(EngineBuffers.ComplexSpectrum[2 * i], 7.0f) << i;
    }
}

} // namespace
