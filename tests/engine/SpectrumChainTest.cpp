#include "EngineTestSettings.h"

#include "engine/Calibration.h"
#include "engine/LeakageCollapse.h"
#include "engine/LevelConversion.h"
#include "engine/Spectrum.h"
#include "engine/SpectrumAveraging.h"
#include "engine/TonePeaks.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

class SpectrumChain : public EngineTest {
protected:
    // A power spectrum with the given bins set on a floor.
    void SetPower(std::initializer_list<std::pair<int32_t, float>> bins, float floor = 1) {
        std::fill(EngineBuffers.PowerSpectrum, EngineBuffers.PowerSpectrum + MaxSpectrumBins, floor);
        for (const auto &[bin, power] : bins)
            EngineBuffers.PowerSpectrum[bin] = power;
    }
};

TEST_F(SpectrumChain, TonePeaksFindTheBandAndTwoTones) {
    Settings.BandF0 = 12.5f; // bins 10 .. 800 at 1.25 kHz a bin
    Settings.BandF1 = 1000;
    SetPower({{100, 1e6f}, {140, 5e4f}});
    const float threshold = FindTonePeaks(2048);
    EXPECT_EQ(EngineBuffers.BandLowBin, 10);
    EXPECT_EQ(EngineBuffers.BandHighBin, 800);
    EXPECT_FLOAT_EQ(threshold, 1e4f);
    EXPECT_EQ(EngineBuffers.ToneBin1, 100);
    EXPECT_EQ(EngineBuffers.ToneBin2, 140);
    EXPECT_EQ(EngineBuffers.ForcedKindHint, 0);

    SetPower({{100, 1e6f}, {60, 5e4f}}); // second tone below the strongest one: the bins swap
    FindTonePeaks(2048);
    EXPECT_EQ(EngineBuffers.ToneBin1, 60);
    EXPECT_EQ(EngineBuffers.ToneBin2, 100);

    SetPower({{100, 1e6f}, {200, 1e6f}}); // two equal strongest bins: the lower one
    FindTonePeaks(2048);
    EXPECT_EQ(EngineBuffers.ToneBin1, 100);
    EXPECT_EQ(EngineBuffers.ToneBin2, 200);

    SetPower({{100, 1e6f}, {101, 5e5f}}); // one bin away is never a second tone
    FindTonePeaks(2048);
    EXPECT_EQ(EngineBuffers.ToneBin2, 100);

    SetPower({{100, 1e6f}, {300, 5e4f}, {299, 4.5e4f}}); // above 80 kHz a neighbour must stay 1.259x below
    FindTonePeaks(2048);
    EXPECT_EQ(EngineBuffers.ToneBin2, 100);
    Settings.SampleRate = 80; // 0.039 kHz bins: band bins 320 .. 1022 would leave the spectrum
    Settings.BandF0 = 3.9f;
    Settings.BandF1 = 11.72f;
    SetPower({{120, 1e6f}, {300, 5e4f}, {299, 4.5e4f}});
    FindTonePeaks(2048);
    EXPECT_EQ(EngineBuffers.ToneBin1, 120);
    EXPECT_EQ(EngineBuffers.ToneBin2, 300);
}

TEST_F(SpectrumChain, TonePeaksStayInsideTheSpectrumWithDamagedSettings) {
    Settings.BandF0 = -50;
    Settings.BandF1 = 1e9f;
    SetPower({{1, 1e6f}, {1022, 1e6f}});
    FindTonePeaks(2048);
    EXPECT_EQ(EngineBuffers.BandLowBin, 1);
    EXPECT_EQ(EngineBuffers.BandHighBin, 1022);
    EXPECT_EQ(EngineBuffers.ToneBin1, 1);
}

TEST_F(SpectrumChain, PeerGeneratorForcesTheKind) {
    Settings.Mtts.State = 2;
    Settings.Mtts.F1 = 25;
    Settings.Mtts.Step = 5;
    Settings.ConnectionType = 4;
    SetPower({{20, 7}});
    EXPECT_FLOAT_EQ(FindTonePeaks(2048), 7);
    EXPECT_EQ(EngineBuffers.ForcedKindHint, 3);
    EXPECT_EQ(EngineBuffers.ToneBin1, 20);
    EXPECT_EQ(EngineBuffers.ToneBin2, 24);

    Settings.Rnd.State = 2; // the PRBS generator wins, both tones at the band's lower edge
    FindTonePeaks(2048);
    EXPECT_EQ(EngineBuffers.ForcedKindHint, 4);
    EXPECT_EQ(EngineBuffers.ToneBin1, 2);
    EXPECT_EQ(EngineBuffers.ToneBin2, 2);

    Settings.ConnectionType = 0; // not on this connection
    FindTonePeaks(2048);
    EXPECT_EQ(EngineBuffers.ForcedKindHint, 0);
}

TEST_F(SpectrumChain, AveragingRestartShowsTheBlockItselfAndNeverClears) {
    EngineBuffers.AveragedPower[5] = 1e12f;
    SetPower({{5, 3}});
    EngineBuffers.AveragingWeight = 1;
    AverageSpectrum(2048);
    EXPECT_EQ(EngineBuffers.PowerSpectrum[5], 3) << "a + (p - a) would round the block away";
    EXPECT_EQ(EngineBuffers.AveragedPower[5], 3);

    SetPower({{5, 13}});
    EngineBuffers.AveragingWeight = 0.25f;
    AverageSpectrum(2048);
    EXPECT_FLOAT_EQ(EngineBuffers.PowerSpectrum[5], 5.5f);
    EXPECT_FLOAT_EQ(EngineBuffers.AveragedPower[5], 5.5f);

    // A restart only sets the next weight to 1; the average itself stays until that block.
    Settings.AveragingInterval = 10;
    ImpedanceCalState = -2;
    ResetAveragingClock();
    NowStamp = 45000.0;
    UpdateAveragingWeight();
    EngineBuffers.AveragingContinues = 0;
    NowStamp += 0.1 / 86400;
    UpdateAveragingWeight();
    EXPECT_EQ(EngineBuffers.AveragingWeight, 1);
    EXPECT_FLOAT_EQ(EngineBuffers.AveragedPower[5], 5.5f);
    NowStamp += 0.1 / 86400;
    UpdateAveragingWeight();
    EXPECT_NEAR(EngineBuffers.AveragingWeight, 0.1 / (0.1 + 4.5), 1e-4);
}

TEST_F(SpectrumChain, FractionalOffsetNeedsPowerAndNeighbours) {
    float *A = EngineBuffers.AveragedPower;
    std::fill(A, A + MaxSpectrumBins, 0.0f);
    A[50] = 0;
    A[51] = 1;
    EXPECT_EQ(FractionalBinOffset(50), 0) << "no power at the centre";
    A[50] = 4;
    A[49] = 1; // ratio 0.25: on the bin
    A[51] = 0;
    EXPECT_FLOAT_EQ(FractionalBinOffset(50), -0.0f);
    A[51] = 4; // equal neighbour: half a bin up
    EXPECT_FLOAT_EQ(FractionalBinOffset(50), 0.5f);
    A[0] = 5;
    EXPECT_EQ(FractionalBinOffset(0), 0);
    EXPECT_EQ(FractionalBinOffset(1023), 0);
}

TEST(CalibrationRows, IndexStaysInsideTheImage) {
    struct Case {
        float maxFrequency;
        int32_t A, B, range;
        int16_t row;
    };
    const Case cases[] = {
        {256, 0, 1, 0, 37},   {4096, 1, 1, 3, 83},  {1024, 0, 0, 2, 27},
        {100, 0, 1, 1, 48},   {1024, 0, 0, -1, 27}, // the generator's -1 is range 2
        {1024, 0, 1, -1, 39},                       // the meter's -1 cannot reach into the generator's half: range 0
        {1024, 0, 1, 7, 75},                        // a damaged range is range 3
    };
    for (const Case &c : cases)
        EXPECT_EQ(CalibrationIndex(c.maxFrequency, c.A, c.B, c.range), c.row)
            << c.maxFrequency << " A" << c.A << " B" << c.B << " range " << c.range;
    EXPECT_EQ(FftSizeCode(2048.3f), 4);
    EXPECT_EQ(FftSizeCode(128), 0);
}

TEST(CalibrationRows, SingularSystemLeavesTheSolutionUntouched) {
    const float m[3][3] = {{1, 2, 3}, {2, 4, 6}, {0, 1, 1}};
    const float v[3] = {1, 2, 3};
    float x[3] = {7, 8, 9};
    EXPECT_EQ(SolveLinear3(m, v, x), 0);
    EXPECT_EQ(x[0], 7);
    const float n[3][3] = {{2, 0, 0}, {0, 4, 0}, {1, 0, 1}};
    EXPECT_EQ(SolveLinear3(n, v, x), 1);
    EXPECT_FLOAT_EQ(x[0], 0.5f);
    EXPECT_FLOAT_EQ(x[1], 0.5f);
    EXPECT_FLOAT_EQ(x[2], 2.5f);
}

TEST_F(SpectrumChain, PublishingGroupsBinsIntoDisplayPoints) {
    Settings.AdcSize = 2048;
    Settings.PresentationStep = 0.5f; // below one bin: bin by bin
    SetPower({{10, 1e8f}});
    for (int32_t i = 0; i < 1024; ++i)
        EngineBuffers.FrequencyAxis[i] = i * 1.25f;
    EXPECT_EQ(PublishSpectrum(2048), 1024);
    EXPECT_FLOAT_EQ(EngineBuffers.PowerSpectrum[10], PowerToDbm0(1e8f));
    EXPECT_FLOAT_EQ(EngineBuffers.PowerSpectrum[11], PowerToDbm0(1));
    EXPECT_EQ(EngineBuffers.PowerSpectrum[0], NoValue);
    EXPECT_EQ(EngineBuffers.WeightedLevels[10], NoValue) << "no weighting curve";

    Settings.PresentationStep = 3.75f; // three bins a point: bins 3i - 1 .. 3i + 1
    SetPower({{29, 1e8f}, {30, 2e8f}, {31, 1e8f}, {32, 5e8f}});
    EXPECT_EQ(PublishSpectrum(2048), 341);
    EXPECT_FLOAT_EQ(EngineBuffers.PowerSpectrum[10], PowerToDbm0(4e8f));
    EXPECT_FLOAT_EQ(EngineBuffers.PowerSpectrum[11], PowerToDbm0(5e8f + 2));
    EXPECT_FLOAT_EQ(EngineBuffers.FrequencyAxis[10], 37.5f);
    for (int32_t i : {0, 341, 1023})
        EXPECT_EQ(EngineBuffers.PowerSpectrum[i], NoValue) << i;
}

TEST_F(SpectrumChain, PublishingAppliesTheWeightingCurve) {
    float frequencies[] = {0, 2000};
    float attenuations[] = {10, 10};
    SetWeightingCurve(2, frequencies, attenuations);
    Settings.PresentationStep = 1.25f;
    SetPower({{10, 1e8f}});
    PublishSpectrum(2048);
    EXPECT_NEAR(EngineBuffers.WeightedLevels[10], EngineBuffers.PowerSpectrum[10] - 10, 1e-4);
    SetWeightingCurve(0, nullptr, nullptr);
}

TEST_F(SpectrumChain, CollapseDrainsNeighboursDownToTheFloor) {
    FixedRandom top(0x7fffffff); // floor factor 1
    SetEngineRandom(&top);
    EXPECT_FLOAT_EQ(RandomFloorFactor(), 1);
    FixedRandom bottom(0);
    SetEngineRandom(&bottom);
    EXPECT_NEAR(RandomFloorFactor(), std::pow(0.316f, 4.0f), 1e-7);
    SetEngineRandom(&top);

    // An on-grid Hann tone: the peak and its two half-amplitude neighbours.
    SetPower({{100, 4e8f}, {99, 1e8f}, {101, 1e8f}}, 0);
    std::copy(EngineBuffers.PowerSpectrum, EngineBuffers.PowerSpectrum + 1024, EngineBuffers.AveragedPower);
    EngineBuffers.SampleGain = 1;
    EXPECT_TRUE(IsLocalPeak(100, 1024));
    EXPECT_FALSE(IsLocalPeak(101, 1024));
    EXPECT_EQ(CollapseLeakage(2048), 1022);
    const float floor = 10000 * std::pow(1024.0f / 2048, 2.0f) * std::sqrt(2560 * 0.000390625f);
    EXPECT_NEAR(EngineBuffers.PowerSpectrum[99], floor, 64) << "down to the floor, within float resolution";
    EXPECT_NEAR(EngineBuffers.PowerSpectrum[101], floor, 64);
    // The 82 empty bins within reach are raised to the floor, from the peak.
    EXPECT_FLOAT_EQ(EngineBuffers.PowerSpectrum[60], floor);
    EXPECT_FLOAT_EQ(EngineBuffers.PowerSpectrum[142], floor);
    EXPECT_NEAR(EngineBuffers.PowerSpectrum[100], 6e8f - 84 * floor, 6e8f * 1e-6);
    EXPECT_EQ(EngineBuffers.PowerSpectrum[57], 0) << "bins beyond reach of the peak stay";
    EXPECT_EQ(EngineBuffers.PowerSpectrum[143], 0);
}

TEST_F(SpectrumChain, CollapseCorrectsTheLowestRangeAtLowFrequencies) {
    FixedRandom top(0x7fffffff);
    SetEngineRandom(&top);
    Settings.MaxLevelIndex = 3;
    SetPower({{2, 1e8f}, {3, 4e8f}, {4, 1e8f}, {199, 1e8f}, {200, 4e8f}, {201, 1e8f}}, 0);
    std::copy(EngineBuffers.PowerSpectrum, EngineBuffers.PowerSpectrum + 1024, EngineBuffers.AveragedPower);
    for (int32_t i = 0; i < 1024; ++i)
        EngineBuffers.FrequencyAxis[i] = i * 0.0390625f; // fs 80 kHz: bin 3 at 0.117 kHz, 200 at 7.8 kHz
    EngineBuffers.SampleGain = 0;
    CollapseLeakage(2048);
    EXPECT_NEAR(10 * std::log10(EngineBuffers.PowerSpectrum[3] / 6e8f), -5.4708 + 17.9532, 0.01);
    EXPECT_FLOAT_EQ(EngineBuffers.PowerSpectrum[200], 6e8f) << "above 7.6563 kHz no correction";
}

} // namespace
