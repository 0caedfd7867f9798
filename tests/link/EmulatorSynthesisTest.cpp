#include "link/EmulatorSynthesis.h"
#include "engine/GeneratorSynthesis.h"
#include "link/Library.h"
#include "platform/Clock.h"
#include "state/DeviceSettings.h"

#include <gtest/gtest.h>

#include <QFile>

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <numeric>
#include <vector>
#include "support/Fixtures.h"

namespace {

constexpr int16_t FlatCorrection = 8192;

std::vector<int> ReadFixture(const char *name) {
    QFile file(FixturePath(QStringLiteral("emulator/%1.txt").arg(QLatin1String(name))));
    std::vector<int> values;
    if (!file.open(QIODevice::ReadOnly))
        return values;
    for (const QByteArray &word : file.readAll().simplified().split(' '))
        values.push_back(word.toInt());
    return values;
}

struct TBlock {
    std::vector<int16_t> Samples = std::vector<int16_t>(32768, 0);
    TEmulatorSettings Settings;

    explicit TBlock(int32_t mode, int32_t n) {
        Settings.GenMode = mode;
        Settings.AdcSize = n;
        Settings.FreqCorr.fill(FlatCorrection);
        Settings.Block = Samples.data();
    }
    std::vector<int> Built(TEmulatorState &state) {
        const int32_t n = BuildEmulatorBlock(state, Settings);
        return std::vector<int>(Samples.begin(), Samples.begin() + n);
    }
};

std::vector<int> TableHead(int32_t n) {
    return std::vector<int>(SynthBuffer, SynthBuffer + n);
}

TFreqCorrTable FlatTable() {
    TFreqCorrTable fc;
    fc.fill(FlatCorrection);
    return fc;
}

// Magnitude of bin k of the DFT of x.
double BinMagnitude(const std::vector<int> &x, int32_t k) {
    std::complex<double> sum;
    for (size_t n = 0; n < x.size(); ++n)
        sum += double(x[n]) * std::polar(1.0, -2 * std::numbers::pi * double(k) * double(n) / double(x.size()));
    return std::abs(sum);
}

double Energy(const std::vector<int> &x) {
    double e = 0;
    for (int v : x)
        e += double(v) * v;
    return e;
}

// The settings of the cases in tests/fixtures/emulator/make_expected.py.
struct TFixtureCase {
    const char *Name;
    int32_t Mode;
    float SampleRate, F1, F2, HarmonicStep;
    int16_t ToneCount;
    float Impedance;
    int16_t Code;
    int32_t Samples;
    uint64_t Seed;
    int Tolerance; // codes; the sine's float rounding may differ by one between libraries
};

const TFixtureCase FixtureCases[] = {
    {"sin", EmuGenSin, 1000, 3, 0, 0, 0, 600, 9000, 2048, 7, 1},
    {"sin2", EmuGenSin2, 1000, 50, 80, 0, 2, 600, 7000, 1100, 8, 0},
    {"mtts", EmuGenMtts, 1000, 10, 0, 5, 60, 135, 3000, 1024, 9, 0},
    {"prbs", EmuGenRnd, 1000, 0, 0, 0, 0, 600, 16384, 2100, 10, 0},
    {"noise", EmuGenNoise, 1000, 0, 0, 0, 0, 600, 12000, 1500, 0, 0},
    {"idle", EmuGenBlocked, 1000, 0, 0, 0, 0, 600, 0, 1024, 11, 0},
};

TEST(EmulatorSynthesis, BlocksMatchTheIndependentComputation) {
    VirtualClock clock(5500); // the NOISE block seeds itself with the whole seconds of the clock: 5
    for (const TFixtureCase &c : FixtureCases) {
        SCOPED_TRACE(c.Name);
        TBlock block(c.Mode, c.Samples);
        block.Settings.SampleRate = c.SampleRate;
        block.Settings.F1 = c.F1;
        block.Settings.F2 = c.F2;
        block.Settings.HarmonicStep = c.HarmonicStep;
        block.Settings.ToneCount = c.ToneCount;
        block.Settings.GenImpedance = c.Impedance;
        block.Settings.Code = c.Code;
        TEmulatorState state;
        state.Random.Seed(c.Seed);
        const std::vector<int> got = block.Built(state);
        const std::vector<int> expected = ReadFixture(c.Name);
        ASSERT_EQ(got.size(), expected.size());
        int worst = 0;
        size_t at = 0;
        for (size_t i = 0; i < got.size(); ++i) {
            if (std::abs(got[i] - expected[i]) > worst) {
                worst = std::abs(got[i] - expected[i]);
                at = i;
            }
        }
        EXPECT_LE(worst, c.Tolerance) << "sample " << at << ": " << got[at] << " instead of " << expected[at];
    }
}

TEST(EmulatorSynthesis, MultiToneTablesMatchTheIndependentComputation) {
    struct Case {
        const char *Name;
        int32_t First, Step, Count;
    } cases[] = {
        {"multitone_step1", 4, 1, 40},   // patterned levels, data words of 0
        {"multitone_step3", 10, 3, 300}, // bins would pass 511: the tones stop below it
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        SynthMultiTone(FlatTable(), c.First, c.Step, c.Count);
        EXPECT_EQ(TableHead(1024), ReadFixture(c.Name));
    }
}

TEST(EmulatorSynthesis, MultiToneIsOneAntisymmetricPeriod) {
    SynthMultiTone(FlatTable(), 20, 7, 30);
    const std::vector<int> t = TableHead(1024);
    EXPECT_EQ(t[0], 0);
    EXPECT_EQ(t[512], 0);
    for (int n = 1; n < 512; ++n)
        ASSERT_EQ(t[1024 - n], -t[n]) << n;
    // A block repeats the period.
    TBlock block(EmuGenMtts, 4096);
    block.Settings.SampleRate = 1024;
    block.Settings.F1 = 20;
    block.Settings.HarmonicStep = 7;
    block.Settings.ToneCount = 30;
    block.Settings.Code = 16384;
    TEmulatorState state;
    const std::vector<int> x = block.Built(state);
    for (int i = 0; i + 1024 < 4096; ++i)
        ASSERT_NEAR(x[i], x[i + 1024], 2) << "only the line noise (a few codes at 600 Ohm) differs";
}

TEST(EmulatorSynthesis, InvertedTonesStartAtHalfATurnByToneNumber) {
    // The tone number is first div step, so the same bin can start either way.
    struct Case {
        int32_t First, Step;
        bool Inverted;
    } cases[] = {{2, 1, true},  {3, 1, false},  {14, 1, true},  {4, 2, true},
                 {7, 7, false}, {511, 1, true}, {500, 1, false}};
    for (const Case &c : cases) {
        SynthMultiTone(FlatTable(), c.First, c.Step, 1);
        EXPECT_EQ(SynthBuffer[1] < 0, c.Inverted) << c.First << "/" << c.Step << ": " << SynthBuffer[1];
        EXPECT_NE(SynthBuffer[1], 0);
    }
}

TEST(EmulatorSynthesis, QuarterSineTable) {
    const auto &q = QuarterSine();
    EXPECT_EQ(q[0], 0);
    EXPECT_EQ(q[1], 201);
    EXPECT_EQ(q[2], 402);
    EXPECT_EQ(q[256], 32767);
    EXPECT_TRUE(std::is_sorted(q.begin(), q.end()));
}

TEST(EmulatorSynthesis, PrbsIsTheMaximalSequenceOfX10PlusX7PlusOne) {
    SynthPrbsTable(FlatTable());
    std::vector<int> chips;
    for (int n = 0; n < 2046; n += 2) {
        ASSERT_EQ(SynthBuffer[n], SynthBuffer[n + 1]) << "two samples per chip";
        ASSERT_EQ(std::abs(SynthBuffer[n]), 7672);
        chips.push_back(SynthBuffer[n] > 0 ? 1 : 0);
    }
    for (size_t n = 10; n < chips.size(); ++n)
        ASSERT_EQ(chips[n], chips[n - 7] ^ chips[n - 10]) << n;
    EXPECT_EQ(std::count(chips.begin(), chips.end(), 1), 512);
    // An m-sequence agrees with every cyclic shift of itself in exactly one place fewer than it differs.
    for (size_t shift = 1; shift < chips.size(); ++shift) {
        int balance = 0;
        for (size_t n = 0; n < chips.size(); ++n)
            balance += chips[n] == chips[(n + shift) % chips.size()] ? 1 : -1;
        ASSERT_EQ(balance, -1) << shift;
    }
}

TEST(EmulatorSynthesis, SinBlockPeaksInTheRequestedBin) {
    struct Case {
        float SampleRate, F1;
        int32_t Samples;
    } cases[] = {{2048, 123.4f, 4096}, {1000, 3, 1024}, {320, 100, 2048}};
    for (const Case &c : cases) {
        TBlock block(EmuGenSin, c.Samples);
        block.Settings.SampleRate = c.SampleRate;
        block.Settings.F1 = c.F1;
        block.Settings.GenImpedance = 600;
        block.Settings.Code = 10952;
        TEmulatorState state;
        const std::vector<int> x = block.Built(state);
        const int32_t wanted = int32_t(std::lround(c.F1 / c.SampleRate * c.Samples));
        int32_t peak = 0;
        double best = 0;
        for (int32_t k = 1; k < c.Samples / 2; ++k) {
            const double m = BinMagnitude(x, k);
            if (m > best) {
                best = m;
                peak = k;
            }
        }
        EXPECT_EQ(peak, wanted) << c.F1 << " kHz at " << c.SampleRate;
    }
}

TEST(EmulatorSynthesis, SamplesSaturateInsteadOfWrapping) {
    // One tone with the patterned first amplitude (about 3 times the table's) reaches past int16.
    SynthMultiTone(FlatTable(), 1, 1, 1);
    const std::vector<int> t = TableHead(1024);
    EXPECT_EQ(*std::max_element(t.begin(), t.begin() + 513), 32767);
    EXPECT_TRUE(std::all_of(t.begin(), t.begin() + 513, [](int v) { return v >= 0; }));
    EXPECT_EQ(*std::min_element(t.begin() + 513, t.end()), -32767);

    // Line noise far beyond the sample range (a damaged impedance) clips at both ends.
    TBlock block(EmuGenSin2, 4096);
    block.Settings.SampleRate = 1000;
    block.Settings.F1 = 10;
    block.Settings.F2 = 20;
    block.Settings.ToneCount = 2;
    block.Settings.GenImpedance = 1e9f;
    TEmulatorState state;
    const std::vector<int> x = block.Built(state);
    EXPECT_EQ(*std::max_element(x.begin(), x.end()), 32767);
    EXPECT_EQ(*std::min_element(x.begin(), x.end()), -32768);

    struct Case {
        double In;
        int Out;
    } cases[] = {{40000.7, 32767}, {-40000.7, -32768}, {1.9, 1}, {-1.9, -1}, {NAN, 0}, {INFINITY, 32767}};
    for (const Case &c : cases)
        EXPECT_EQ(SaturateToInt16(c.In), c.Out) << c.In;
}

TEST(EmulatorSynthesis, OutOfRangeTonesAreGuarded) {
    struct Case {
        int32_t First, Step, Count;
        std::vector<int32_t> Bins; // the tones the table holds; none: silence
    } cases[] = {
        {51, 0, 2, {51}},                    // two tones closer than half a bin
        {60, -9, 2, {60}},                   // second tone below the first
        {600, 1, 5, {}},                     // first tone beyond the table
        {-3, 1, 5, {}},                      // negative frequency
        {10, 3, 0, {}},                      // no tones
        {500, 3, 100, {500, 503, 506, 509}}, // the rest would reach bin 512 and beyond
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.First << "/" << c.Step << "/" << c.Count);
        SynthMultiTone(FlatTable(), c.First, c.Step, c.Count);
        const std::vector<int> t = TableHead(1024);
        if (c.Bins.empty()) {
            EXPECT_EQ(Energy(t), 0);
            continue;
        }
        const int amplitude = int(10850 / std::sqrt(double(c.Bins.size())));
        double inTones = 0;
        for (int32_t bin : c.Bins) {
            const double m = BinMagnitude(t, bin);
            EXPECT_NEAR(2 * m / 1024, amplitude, amplitude * 0.01) << "bin " << bin;
            inTones += 2 * m * m / 1024;
        }
        EXPECT_NEAR(inTones, Energy(t), Energy(t) * 0.01) << "nothing outside the tones";
    }
}

TEST(EmulatorSynthesis, SineStepOfHalfTheRateReadsTheLastCorrectionEntry) {
    TFreqCorrTable fc = FlatTable();
    fc[511] = 4096; // half gain at the top entry
    SynthSine(fc, 0xC0000000u, 4);
    EXPECT_EQ(SynthBuffer[0], 0);
    EXPECT_EQ(SynthBuffer[1], -5424) << "three quarters of a turn at half the amplitude";
}

TEST(EmulatorSynthesis, ModesWithoutWaveformHandTheLastBlockOver) {
    for (int32_t mode : {0, int32_t(EmuGenSelective)}) {
        TBlock block(mode, 1024);
        for (int i = 0; i < 1024; ++i)
            block.Samples[i] = int16_t(i - 500);
        TEmulatorState state;
        const std::vector<int> x = block.Built(state);
        ASSERT_EQ(x.size(), 1024u);
        for (int i = 0; i < 1024; ++i)
            ASSERT_EQ(x[i], i - 500);
    }
    TBlock none(EmuGenSin, 1024);
    none.Settings.Block = nullptr;
    TEmulatorState state;
    EXPECT_EQ(BuildEmulatorBlock(state, none.Settings), 0) << "no buffer, no block";
    TBlock damaged(EmuGenBlocked, 1 << 20);
    EXPECT_EQ(BuildEmulatorBlock(state, damaged.Settings), 32768) << "a block size from a damaged file is held";
}

TEST(EmulatorSynthesis, SilentAndDamagedSettingsGiveNoiseOnly) {
    struct Case {
        int32_t Mode;
        float SampleRate, F1, F2;
    } cases[] = {{EmuGenSin, 0, 10, 0}, {EmuGenSin2, 0, 10, 20}, {EmuGenSin2, 1000, 700, 800}, {EmuGenMtts, NAN, 1, 1}};
    for (const Case &c : cases) {
        TBlock block(c.Mode, 2048);
        block.Settings.SampleRate = c.SampleRate;
        block.Settings.F1 = c.F1;
        block.Settings.F2 = c.F2;
        block.Settings.HarmonicStep = c.F2;
        block.Settings.ToneCount = 2;
        block.Settings.GenImpedance = 600;
        block.Settings.Code = 16384;
        TEmulatorState state;
        const std::vector<int> x = block.Built(state);
        const int peak =
            std::abs(*std::max_element(x.begin(), x.end(), [](int a, int b) { return std::abs(a) < std::abs(b); }));
        EXPECT_LE(peak, 60) << "mode " << c.Mode << ": line noise of at most N(4) at 600 Ohm";
    }
}

TEST(EmulatorSynthesis, IdleBlockStaysWithinItsOffsetAndNoise) {
    TBlock block(EmuGenBlocked, 32768);
    TEmulatorState state;
    state.Random.Seed(3);
    const std::vector<int> x = block.Built(state);
    EXPECT_GE(*std::min_element(x.begin(), x.end()), 0);
    EXPECT_LE(*std::max_element(x.begin(), x.end()), 153);
    EXPECT_NEAR(std::accumulate(x.begin(), x.end(), 0.0) / x.size(), 76.2, 0.5) << "offset 76.72, truncated";
}

TEST(EmulatorSynthesis, NoiseChangesOncePerSecond) {
    VirtualClock clock(10000);
    TEmulatorState state;
    TBlock block(EmuGenNoise, 2048);
    block.Settings.Code = 16384;
    const std::vector<int> first = block.Built(state);
    clock.Advance(999);
    EXPECT_EQ(block.Built(state), first) << "same second";
    clock.Advance(1);
    EXPECT_NE(block.Built(state), first) << "next second";
    for (int i = 0; i + 1024 < 2048; ++i)
        ASSERT_EQ(first[i], first[i + 1024]);
}

class EmulatorSettingsTest : public testing::Test {
protected:
    void SetUp() override {
        saved = *DeviceSettings;
        savedMode = EmuGenMode;
        savedStep = GenRangeStep;
    }
    void TearDown() override {
        *DeviceSettings = saved;
        EmuGenMode = savedMode;
        GenRangeStep = savedStep;
    }
    TDeviceSettings saved;
    int32_t savedMode = 0;
    int16_t savedStep = 0;
};

TEST_F(EmulatorSettingsTest, TakesTheChosenWaveformsFieldsAndCode) {
    DeviceSettings->SampleRate = 640;
    DeviceSettings->AdcSize = 4096;
    DeviceSettings->GenImpedance = 135;
    DeviceSettings->Sin2.Level = -12;
    DeviceSettings->Sin2.F1 = 11;
    DeviceSettings->Sin2.F2 = 17;
    DeviceSettings->Sin2.Count = 0x00050002; // the tone count is the low 16 bits
    EmuGenMode = EmuGenSin2;
    GenRangeStep = 7;
    int16_t buffer[1];
    const TEmulatorSettings s = TakeEmulatorSettings(buffer);
    EXPECT_NE(GenRangeStep, 7) << "the amplitude code chooses the output stage";
    EXPECT_EQ(s.GenMode, EmuGenSin2);
    EXPECT_EQ(s.AdcSize, 4096);
    EXPECT_EQ(s.SampleRate, 640);
    EXPECT_EQ(s.F1, 11);
    EXPECT_EQ(s.F2, 17);
    EXPECT_EQ(s.ToneCount, 2);
    EXPECT_EQ(s.Block, buffer);
    EXPECT_TRUE(std::all_of(s.FreqCorr.begin(), s.FreqCorr.end(), [](int16_t v) { return v == 8192; }));
    const int32_t code = GenAmplitude(-12, 135, DeviceSettings->GenRef, DeviceSettings->ConnectionType,
                                      DeviceSettings->GenLowImpedance, 0.7071f, 7744.159f);
    EXPECT_EQ(s.Code, code);

    EmuGenMode = EmuGenBlocked;
    GenRangeStep = 7;
    EXPECT_EQ(TakeEmulatorSettings(buffer).Code, 0);
    EXPECT_EQ(GenRangeStep, 7) << "no waveform, no output stage";
}

} // namespace
