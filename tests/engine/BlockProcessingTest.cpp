#include "EngineTestSettings.h"

#include "engine/BlockProcessing.h"
#include "engine/PrbsCorrelation.h"
#include "engine/ResultSlots.h"
#include "engine/SignalRecognition.h"
#include "engine/SpectrumAveraging.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "engine/catalogue/ParameterTable.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <initializer_list>
#include <numbers>
#include <random>
#include <vector>

namespace {

struct TTone {
    double Bin; // in bins of the block
    double Amplitude;
};

// Fresh engine state for every test: no recognition history, no steady noise run, no averaging.
class BlockProcessing : public EngineTest {
protected:
    void SetUp() override {
        EngineBuffers = TEngineBuffers{};
        EngineTest::SetUp();
        Settings.SpectrumStep = 1.25f;
        Settings.PresentationStep = 1.25f;
        Settings.Lmin = -60;
        Settings.MinSnr = 5;
        Settings.AveragingInterval = 0;
        NoiseRunMemory = {};
        SignalKind = 0;
        ResetAveragingClock();
        BuildParamCatalogue();
    }

    // Tones plus a little white noise, so that the noise rows have something to measure.
    void SetBlock(std::initializer_list<TTone> tones, double noise = 2) {
        std::mt19937 random(11);
        std::normal_distribution<double> gauss(0, noise);
        const int32_t n = Settings.AdcSize;
        for (int32_t i = 0; i < n; ++i) {
            double x = gauss(random);
            for (const TTone &t : tones)
                x += t.Amplitude * std::cos(2 * std::numbers::pi * t.Bin * i / n + t.Bin);
            EngineBuffers.AdcSampleBuffer[i] = static_cast<int16_t>(std::lround(x));
        }
    }

    // The generator's PRBS: x^10 + x^7 + 1, two samples a chip, the block completed by its first two.
    void SetPrbsBlock(int32_t amplitude) {
        uint32_t state = 0x3ff;
        for (int32_t chip = 0; chip < 1023; ++chip) {
            const uint32_t bit = ((state >> 6) ^ (state >> 9)) & 1;
            state = ((state << 1) | bit) & 0x3ff;
            const int16_t code = static_cast<int16_t>(bit ? amplitude : -amplitude);
            EngineBuffers.AdcSampleBuffer[2 * chip] = EngineBuffers.AdcSampleBuffer[2 * chip + 1] = code;
        }
        EngineBuffers.AdcSampleBuffer[2046] = EngineBuffers.AdcSampleBuffer[0];
        EngineBuffers.AdcSampleBuffer[2047] = EngineBuffers.AdcSampleBuffer[1];
    }

    std::vector<int32_t> Run(int32_t blocks) {
        std::vector<int32_t> kinds;
        for (int32_t i = 0; i < blocks; ++i) {
            NowStamp = 45000 + (++BlockNumber) * 0.05 / 86400;
            ProcessBlock();
            kinds.push_back(SignalKind);
        }
        return kinds;
    }

    int32_t BlockNumber = 0;
};

using Kinds = std::vector<int32_t>;

TEST_F(BlockProcessing, ToneSettlesOnceAndFollowsOneBinMoves) {
    // The remembered bin changes only when the tone settles, so two one-bin steps settle again.
    struct Step {
        double bin;
        int32_t kind;
    };
    const Step steps[] = {{100, 0}, {100, 1}, {101, 1}, {102, 0}, {102, 1}, {100, 0}, {100, 1}};
    for (const Step &s : steps) {
        SetBlock({{s.bin, 10000}});
        EXPECT_EQ(Run(1), Kinds{s.kind}) << "tone at bin " << s.bin;
    }
    EXPECT_GT(ResultValue(SlotSinLevel), 30);
    EXPECT_EQ(ParameterTableOf(2).Rows[7].Result.Value, NoValue) << "a SIN block clears the other tables";
}

TEST_F(BlockProcessing, TwoTonesAreAMultitoneOrATwoToneSignalByTheirSpacing) {
    Settings.BandF0 = 118.75f; // bins 95 .. 145: few empty comb lines to pull the multitone's S/N down
    Settings.BandF1 = 181.25f;
    struct Case {
        int32_t spacing;
        int32_t kind;
    };
    for (const Case &c : {Case{5, 3}, Case{8, 2}, Case{40, 2}, Case{1, 1}}) {
        SetBlock({{100, 8000}, {100.0 + c.spacing, 8000}});
        EXPECT_EQ(Run(2), (Kinds{0, c.kind})) << "tones " << c.spacing << " bins apart";
    }
    SetBlock({{100, 8000}, {105, 8000}});
    Run(1);
    EXPECT_EQ(EngineBuffers.CombSpacing, 5);
    EXPECT_EQ(EngineBuffers.CombStart, 95);
    EXPECT_EQ(EngineBuffers.CombLineCount, 11);
    EXPECT_GT(EngineBuffers.CombLineSignal[1] - EngineBuffers.CombLineNoise[1], 40) << "the line at bin 100";
    EXPECT_LT(EngineBuffers.CombLineSignal[0] - EngineBuffers.CombLineNoise[0], 10) << "the empty line at bin 95";
}

TEST_F(BlockProcessing, CombAcrossTheBandIsAMultitone) {
    // Lines every 5 bins from the band's lower edge (bin 2) up to its top (819).
    const int32_t n = Settings.AdcSize;
    for (int32_t i = 0; i < n; ++i) {
        double x = 0;
        for (int32_t k = 5; k <= 815; k += 5)
            x += 100 * std::cos(2 * std::numbers::pi * k * i / n + k);
        EngineBuffers.AdcSampleBuffer[i] = static_cast<int16_t>(std::lround(x));
    }
    EXPECT_EQ(Run(2), (Kinds{0, 3}));
    EXPECT_EQ(EngineBuffers.CombStart, 5);
    EXPECT_EQ(EngineBuffers.CombLineCount, 163);
    EXPECT_GT(ResultValue(SlotMttsSnr), 30);
}

TEST_F(BlockProcessing, ToneBelowBinFourIsNeverSin) {
    SetBlock({{3, 10000}});
    EXPECT_EQ(Run(2), (Kinds{0, 5}));
}

TEST_F(BlockProcessing, PhasogramMakesEveryRecognisedBlockNoise) {
    Settings.Phasogram = 1;
    SetBlock({{100, 10000}});
    EXPECT_EQ(Run(2), (Kinds{0, 5}));
    SetPrbsBlock(8000);
    EXPECT_EQ(Run(1), Kinds{5});
}

// Against the circular sum taken one lag at a time, with positions in no order and near both ends, so
// that every lag's run wraps somewhere; full-scale codes give the largest sums.
TEST(CorrelatePrbs, EveryLagIsTheCircularSumOfTheReference) {
    constexpr int32_t length = 2046, lags = length / 2;
    std::mt19937 random(5);
    std::vector<int16_t> codes(length);
    for (int16_t &c : codes)
        c = static_cast<int16_t>(std::uniform_int_distribution<int>(-32768, 32767)(random));
    std::fill(codes.begin(), codes.begin() + 600, int16_t(32767));
    std::vector<int16_t> positive, negative;
    for (int32_t i = 0; i < length; ++i) {
        const int32_t r = std::uniform_int_distribution<int>(0, 2)(random);
        (r == 0 ? positive : negative).push_back(static_cast<int16_t>(i));
    }
    std::shuffle(positive.begin(), positive.end(), random);
    std::vector<int32_t> out(2 * lags, 12345);
    CorrelatePrbs(codes.data(), out.data(), length, lags, positive.data(), static_cast<int32_t>(positive.size()),
                  negative.data(), static_cast<int32_t>(negative.size()));
    for (int32_t d = 0; d < lags; ++d) {
        int64_t want = 0;
        for (int16_t p : positive)
            want += codes[(p + d) % length];
        for (int16_t p : negative)
            want -= codes[(p + d) % length];
        ASSERT_EQ(out[d], want) << "lag " << d;
        ASSERT_EQ(out[d + lags], -want) << "lag " << d + lags;
    }
}

TEST_F(BlockProcessing, PrbsIsLookedForOnlyAcrossTheWholeBand) {
    struct Case {
        float bandTop;
        int16_t connectionType;
        int32_t rndState;
        int32_t kind;
    };
    const Case cases[] = {
        {800, 0, 0, 5},  // below the maximum frequency the sequence is noise
        {1024, 5, 0, 5}, // on this connection only while the RND generator runs
        {1024, 5, 2, 4},
        {1024, 0, 0, 4}, // the band reaches the maximum frequency
    };
    for (const Case &c : cases) {
        Settings.BandF1 = c.bandTop;
        Settings.ConnectionType = c.connectionType;
        Settings.Rnd.State = c.rndState;
        ResetRecognitionState();
        SetPrbsBlock(8000);
        EXPECT_EQ(Run(2), (Kinds{0, c.kind})) << "band top " << c.bandTop << ", type " << c.connectionType;
    }
    EXPECT_GT(ResultValue(SlotPrbsSnr), 5);
    // The direct pulse is moved to index 31 and made positive (the four-wire types keep it at its lag).
    const int32_t *corr = EngineBuffers.PrbsCorrelation;
    EXPECT_GT(corr[31], 0);
    for (int32_t i = 0; i < 2046; ++i)
        ASSERT_LE(std::abs(corr[i]), corr[31]) << i;
}

TEST_F(BlockProcessing, PrbsLevelFollowsTheAmplitudeUpToFullScale) {
    // At full scale the shifted correlation energy comes near 2^31.
    SetPrbsBlock(32000);
    Run(2);
    const float strong = ResultValue(SlotPrbsLevel);
    SetPrbsBlock(3200);
    Run(1);
    EXPECT_NEAR(strong - ResultValue(SlotPrbsLevel), 20, 0.01);
}

TEST_F(BlockProcessing, NoiseReferenceWaitsForASteadyRun) {
    const auto referenceStamp = [] { return EngineBuffers.NoiseReference.Stamp; };
    SetBlock({}, 300);
    // From the start nothing is remembered: settling, then counts 0, 1, 2, 3.
    EXPECT_EQ(Run(4), (Kinds{0, 5, 5, 5}));
    EXPECT_EQ(EngineBuffers.NoiseReference.Count, 0);
    Run(1);
    EXPECT_EQ(referenceStamp(), NowStamp);
    EXPECT_EQ(EngineBuffers.NoiseReference.Count, 128);
    EXPECT_FLOAT_EQ(EngineBuffers.NoiseReference.Frequencies[1], 8 * 1.25f + 3.5f * 1.25f);
    EXPECT_FLOAT_EQ(EngineBuffers.NoiseReference.Impedance, 600);

    // After a tone the run continues with the remembered settings: the third NOISE block takes it.
    SetBlock({{100, 10000}});
    Run(2);
    const double first = referenceStamp();
    SetBlock({}, 300);
    Run(3);
    EXPECT_EQ(referenceStamp(), first);
    Run(1);
    EXPECT_EQ(referenceStamp(), NowStamp);

    // A new gain inside the run takes three more blocks.
    EngineBuffers.MeterScaleLevel = 15;
    Run(3);
    EXPECT_LT(referenceStamp(), NowStamp);
    Run(1);
    EXPECT_EQ(referenceStamp(), NowStamp);
}

TEST_F(BlockProcessing, FixedKindsSkipRecognition) {
    SetBlock({{100, 10000}});
    std::fill(EngineBuffers.PowerSpectrum, EngineBuffers.PowerSpectrum + 1024, 7.0f);
    Settings.SyncGenState = 3; // a finished SYNC run: nothing at all
    EXPECT_EQ(Run(1), Kinds{7});
    EXPECT_EQ(EngineBuffers.PowerSpectrum[100], 7);
    EXPECT_EQ(EngineBuffers.LastRecognition.Kind, 0);

    Settings.SyncGenState = 0;
    Settings.Mirvak.RunState = 1; // a selective run: the spectrum is shown, nothing recognised
    EXPECT_EQ(Run(1), Kinds{6});
    EXPECT_EQ(EngineBuffers.DisplayPointCount, 1024);
    EXPECT_NEAR(EngineBuffers.PowerSpectrum[100], 30.64, 0.01);
    EXPECT_EQ(EngineBuffers.LastRecognition.Kind, 0);
}

TEST_F(BlockProcessing, ForcedMultitoneWithoutACombHasNoCombResults) {
    Settings.ConnectionType = 4;
    Settings.Mtts.State = 2;
    Settings.Mtts.F1 = 125;
    for (float step : {0.0f, 1.25f}) { // the tones of the peer's generator 0 or 1 bin apart
        Settings.Mtts.Step = step;
        ResetRecognitionState();
        SetBlock({{100, 8000}, {101, 8000}});
        EXPECT_EQ(Run(2), (Kinds{0, 3})) << "step " << step;
        EXPECT_EQ(EngineBuffers.CombLineCount, 0);
        EXPECT_EQ(ResultValue(SlotMttsLevel), NoValue);
        EXPECT_EQ(ResultValue(SlotMttsSnr), NoValue);
    }
}

TEST_F(BlockProcessing, LongBlockFallsBackToNoiseWhenTheFullSpectrumDisagrees) {
    Settings.AdcSize = 8192;
    Settings.SpectrumStep = 0.3125f;
    Settings.PresentationStep = 0.3125f;
    // The first 2048 samples hold a tone at 2048-point bin 100, the rest a stronger one at bin 300.
    SetBlock({{400, 6000}});
    std::vector<int16_t> first(EngineBuffers.AdcSampleBuffer, EngineBuffers.AdcSampleBuffer + 2048);
    SetBlock({{1200, 12000}});
    std::copy(first.begin(), first.end(), EngineBuffers.AdcSampleBuffer);
    EXPECT_EQ(Run(2), (Kinds{0, 5}));
    EXPECT_EQ(EngineBuffers.LastRecognition.Kind, 1) << "recognition still says SIN";

    SetBlock({{400, 6000}});
    EXPECT_EQ(Run(1), Kinds{1});
    EXPECT_NEAR(ResultValue(SlotSinFrequency), 125, 1e-4);
}

TEST_F(BlockProcessing, BlocksAreNotAnalysedWithoutBuffersOrWithAnUnknownSize) {
    SetBlock({{100, 10000}});
    Settings.AdcSize = 3000;
    EXPECT_EQ(Run(1), Kinds{0});
    EXPECT_EQ(EngineBuffers.LastRecognition.Kind, 0);
    Settings.AdcSize = 2048;
    FreeAnalysisBuffers();
    SignalKind = 0;
    ProcessBlock();
    EXPECT_EQ(SignalKind, 0);
}

} // namespace
