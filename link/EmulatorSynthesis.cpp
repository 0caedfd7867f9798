#include "link/EmulatorSynthesis.h"

#include "engine/EngineBuffers.h"
#include "engine/GeneratorSynthesis.h"
#include "engine/SignalPath.h"
#include "platform/Clock.h"
#include "state/DeviceSettings.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr int32_t MultiTonePeriod = 1024;
constexpr int32_t HalfPeriod = MultiTonePeriod / 2;
constexpr int32_t PrbsTableLength = 2046;
constexpr double OneThirtyThousandth = 3.3333333333333335e-05;

// Q13 amplitude factors of the patterned multitone.
constexpr std::array<int16_t, 4> ToneLevels{0, 2465, 4348, 6278};

// Level patterns of the one-bin multitone, indexed by bin div 8.
constexpr std::array<uint16_t, 64> TonePattern{
    6820,  23251, 10158, 30527, 37667, 14102, 9552,  6166,  1476,  26271, 9912,  47487, 28778, 25996, 65125, 54384,
    63432, 23523, 7264,  22683, 55700, 40224, 4205,  54057, 21439, 46179, 39503, 51990, 14813, 62602, 13690, 13616,
    46016, 8903,  29450, 42917, 63346, 9014,  34405, 58333, 28385, 30726, 23128, 62404, 51692, 1439,  26493, 47937,
    41520, 41394, 36478, 60722, 15177, 44775, 29092, 61024, 39227, 33338, 7979,  45344, 12550, 16625, 59550, 57437};

// A level (dBm0) of a waveform as the generator's amplitude code, with the thresholds of its command.
struct TWaveformLevel {
    int32_t Mode;
    GenBlock TDeviceSettings::*Generator;
    float LowThreshold;
    float HighThreshold;
};

constexpr TWaveformLevel WaveformLevels[] = {
    {EmuGenSin, &TDeviceSettings::Sin, 1.0f, 10952.0f},        {EmuGenSin2, &TDeviceSettings::Sin2, 0.7071f, 7744.159f},
    {EmuGenMtts, &TDeviceSettings::Mtts, 0.3162f, 3463.02f},   {EmuGenRnd, &TDeviceSettings::Rnd, 1.0f, 10952.0f},
    {EmuGenNoise, &TDeviceSettings::Noise, 0.3162f, 3463.02f},
};

int16_t SaturateCode(int32_t code) {
    return static_cast<int16_t>(std::clamp<int32_t>(code, INT16_MIN, INT16_MAX));
}

int32_t RandomBelow(TEmulatorState &state, int32_t n) {
    return n > 0 ? state.Random.Next31() % n : 0;
}

// The sum of three draws of -10000 .. 9999.
int32_t TripleNoise(TEmulatorState &state) {
    int32_t sum = 0;
    for (int k = 0; k < 3; ++k)
        sum += RandomBelow(state, 20000) - 10000;
    return sum;
}

// x/fs in 1/1024 of the sample rate, rounded; values that are no bin number become -1.
int32_t ToBin(double kHz, float fs) {
    const double bin = std::trunc(kHz / fs * MultiTonePeriod + 0.5);
    return std::isfinite(bin) && std::fabs(bin) < 1e6 ? static_cast<int32_t>(bin) : -1;
}

int16_t QuarterSineAt(int32_t idx) {
    const auto &q = QuarterSine();
    if (idx < 256)
        return q[idx];
    if (idx < 512)
        return q[512 - idx];
    if (idx < 768)
        return static_cast<int16_t>(-q[idx - 512]);
    return static_cast<int16_t>(-q[1024 - idx]);
}

int32_t BlockLength(const TEmulatorSettings &s) {
    return std::clamp(s.AdcSize, 0, MaxBlockSize);
}

void EmulateSinBlock(TEmulatorState &state, const TEmulatorSettings &s) {
    float actual = 0;
    uint32_t step = 0;
    const int32_t len =
        FitGeneratorFrequency(static_cast<int16_t>(SynthesisTableLength()), s.F1, s.SampleRate, actual, step);
    SynthSine(s.FreqCorr, step, len);
    const float noise = LineNoiseAmplitude(s.GenImpedance, 4);
    ScaleWaveTable(s.Code);
    const int32_t n = BlockLength(s);
    for (int32_t i = 0; i < n; ++i) {
        const int32_t c = state.NoiseCountdown;
        state.NoiseCountdown = c - 1;
        if (c <= 0) {
            state.NoiseCountdown = RandomBelow(state, 8 * n);
            state.NoiseTarget = static_cast<float>(RandomBelow(state, 10000) * 0.0001 * noise);
        }
        state.NoiseLevel = static_cast<float>(state.NoiseLevel + (state.NoiseTarget - state.NoiseLevel) * 0.0002);
        const int32_t s3 = TripleNoise(state);
        s.Block[i] = SaturateToInt16(double(s3) * state.NoiseLevel * OneThirtyThousandth + SynthBuffer[i % len]);
    }
}

// SIN2 and MTTS: one period of tones plus line noise of a fixed level.
void EmulateMultiToneBlock(TEmulatorState &state, const TEmulatorSettings &s, int32_t step) {
    SynthMultiTone(s.FreqCorr, ToBin(s.F1, s.SampleRate), step, s.ToneCount);
    const float noise = LineNoiseAmplitude(s.GenImpedance, 4);
    ScaleWaveTable(s.Code);
    const int32_t n = BlockLength(s);
    for (int32_t i = 0; i < n; ++i) {
        const int32_t s3 = TripleNoise(state);
        s.Block[i] = SaturateToInt16(double(s3) * noise * OneThirtyThousandth + SynthBuffer[i % MultiTonePeriod]);
    }
}

void EmulateSin2Block(TEmulatorState &state, const TEmulatorSettings &s) {
    EmulateMultiToneBlock(state, s, ToBin(static_cast<double>(s.F2) - s.F1, s.SampleRate));
}

void EmulateMttsBlock(TEmulatorState &state, const TEmulatorSettings &s) {
    EmulateMultiToneBlock(state, s, ToBin(s.HarmonicStep, s.SampleRate));
}

// Echo weights of the PRBS line: a near echo, an inverted one and a weak one further out, each spread
// over its window.
struct TEcho {
    int32_t Delay;
    int32_t From;
    int32_t To;
    double Gain;
    double EarlyBase; // weight base for j < 0
    double LateBase;  // for j >= 0
};

constexpr TEcho PrbsEchoes[] = {
    {15, -2, 1, 0.001, 1.3, 1.3},
    {300, -5, 14, -0.01, 1.1, 1.05},
    {700, -10, 19, 0.005, 1.03, 1.01},
};

int16_t PrbsTableAt(int32_t x) {
    return SynthBuffer[((x % PrbsTableLength) + PrbsTableLength) % PrbsTableLength];
}

void EmulatePrbsBlock(TEmulatorState &state, const TEmulatorSettings &s) {
    const float noise = LineNoiseAmplitude(s.GenImpedance, 3);
    SynthPrbsTable(s.FreqCorr);
    ScaleWaveTable(s.Code);
    const int32_t n = BlockLength(s);
    for (int32_t i = 0; i < n; ++i) {
        int16_t x = PrbsTableAt(i);
        x = SaturateToInt16(0.1 * PrbsTableAt(i) + x);
        x = SaturateToInt16(0.1 * PrbsTableAt(i - 1) + x);
        x = SaturateToInt16(double(RandomBelow(state, 30000) - 15000) * noise * 6.666666666666667e-05 + x);
        for (const TEcho &echo : PrbsEchoes) {
            for (int32_t j = echo.From; j <= echo.To; ++j) {
                const double w = std::pow(j < 0 ? echo.EarlyBase : echo.LateBase, -static_cast<double>(j * j));
                x = SaturateToInt16(echo.Gain * w * PrbsTableAt(i - echo.Delay - j) + x);
            }
        }
        s.Block[i] = x;
    }
}

void EmulateNoiseBlock(TEmulatorState &state, const TEmulatorSettings &s) {
    const int32_t a = static_cast<int32_t>(std::trunc(s.FreqCorr[256] * 7832.615 * 0.00012207));
    // Blocks built within the same second of the clock carry the same noise.
    state.Random.Seed(GetTickCount() / 1000);
    for (int32_t i = 0; i < MultiTonePeriod; ++i) {
        int32_t sum = -65534;
        for (int k = 0; k < 4; ++k)
            sum += state.Random.Next15();
        SynthBuffer[i] = SaturateCode((a * (sum >> 2)) >> 12);
    }
    ScaleWaveTable(s.Code);
    const int32_t n = BlockLength(s);
    for (int32_t i = 0; i < n; ++i)
        s.Block[i] = SynthBuffer[i % MultiTonePeriod];
}

// The blocked generator: a small positive offset with noise of the same size.
void EmulateIdleBlock(TEmulatorState &state, const TEmulatorSettings &s) {
    const int32_t n = BlockLength(s);
    for (int32_t i = 0; i < n; ++i)
        s.Block[i] = SaturateToInt16(TripleNoise(state) * 76.72 * OneThirtyThousandth + 76.72);
}

struct TWaveformBuilder {
    int32_t Mode;
    void (*Build)(TEmulatorState &, const TEmulatorSettings &);
};

// Tested in this order; the generator commands store exactly one of these bits.
constexpr TWaveformBuilder WaveformBuilders[] = {
    {EmuGenSin, EmulateSinBlock},  {EmuGenSin2, EmulateSin2Block},   {EmuGenMtts, EmulateMttsBlock},
    {EmuGenRnd, EmulatePrbsBlock}, {EmuGenNoise, EmulateNoiseBlock}, {EmuGenBlocked, EmulateIdleBlock},
};

} // namespace

int16_t SaturateToInt16(double x) {
    if (std::isnan(x))
        return 0;
    return static_cast<int16_t>(std::clamp(std::trunc(x), double(INT16_MIN), double(INT16_MAX)));
}

float LineNoiseAmplitude(float impedance, int p) {
    const float power = static_cast<float>(std::pow(10.0, -p));
    const float scale = static_cast<float>(0.001 * impedance);
    const float n = std::sqrt(power * scale) * 7672.0f;
    return std::isfinite(n) ? n : 0.0f;
}

const std::array<int16_t, 257> &QuarterSine() {
    static const std::array<int16_t, 257> table = [] {
        std::array<int16_t, 257> t{};
        for (int32_t i = 0; i < 257; ++i)
            t[i] = static_cast<int16_t>(std::trunc(32767 * std::sin(std::numbers::pi * i / 512) + 0.5));
        return t;
    }();
    return table;
}

void SynthSine(const TFreqCorrTable &fc, uint32_t step, int32_t count) {
    count = std::clamp(count, 0, SynthBufferLength - 1);
    // The top ten bits of the step select the entry; a step of half the sample rate reads the last one.
    const int32_t entry = std::min<int32_t>(static_cast<int32_t>(step >> 22), FreqCorrTableLength - 1);
    const float a = static_cast<float>(fc[entry] * 10850 * 0.00012207);
    const double radiansPerStep = 1.4629181e-09f;
    uint32_t phase = 0;
    for (int32_t i = 0; i < count; ++i) {
        const float argument = static_cast<float>(phase * radiansPerStep);
        SynthBuffer[i] = SaturateToInt16(a * std::sin(argument));
        phase += step;
    }
}

void SynthMultiTone(const TFreqCorrTable &fc, int32_t first, int32_t step, int32_t count) {
    // Sums of up to 512 full-scale tones exceed 32 bits.
    std::array<int64_t, HalfPeriod + 1> sums{};
    const bool valid = first >= 0 && first < HalfPeriod && count > 0;
    if (!valid)
        count = 0;
    else if (step < 1)
        count = 1;
    else
        count = std::min({count, HalfPeriod - first / step, (HalfPeriod - 1 - first) / step + 1});
    const bool patterned = step == 1;
    const int32_t a = count > 0 ? static_cast<int32_t>(std::trunc(10850 / std::sqrt(count))) : 0;
    int32_t d = patterned ? (a * 6278) >> 11 : a;
    int32_t tone = valid && step >= 1 ? first / step : first;
    int32_t bin = first;
    int32_t l = 16;
    uint16_t g = 0;
    for (int32_t k = 0; k < count; ++k) {
        // The tone starts at half a turn where the multitone's harmonic does.
        uint16_t t = MttsLineInverted(tone) ? 0x8000 : 0;
        const int64_t amp = (static_cast<int64_t>(d) * fc[bin]) >> 13;
        for (int32_t n = 0; n <= HalfPeriod; ++n) {
            sums[n] += amp * QuarterSineAt(t >> 6);
            t = static_cast<uint16_t>(t + 64 * bin);
        }
        if (patterned) {
            // The emulator's data words are all 0, so each new word is the pattern itself.
            if (l >= 16) {
                g = TonePattern[bin >> 3];
                l = 0;
            }
            d = (a * ToneLevels[(g >> l) & 3]) >> 13;
        }
        bin += step;
        ++tone;
        l += 2;
    }
    for (int32_t n = 0; n <= HalfPeriod; ++n)
        SynthBuffer[n] = SaturateToInt16(static_cast<double>(sums[n] >> 15));
    for (int32_t n = 1; n < HalfPeriod; ++n)
        SynthBuffer[MultiTonePeriod - n] = SaturateToInt16(-static_cast<double>(SynthBuffer[n]));
}

void SynthPrbsTable(const TFreqCorrTable &fc) {
    const int16_t a = SaturateToInt16(fc[256] * 7672.1435 * 0.00012207);
    uint16_t stages = 0x3FF; // bit k holds stage r(k + 1)
    for (int32_t n = 0; n < PrbsTableLength; n += 2) {
        const uint16_t b = ((stages >> 6) ^ (stages >> 9)) & 1;
        stages = static_cast<uint16_t>(((stages << 1) | b) & 0x3FF);
        SynthBuffer[n] = SynthBuffer[n + 1] = b ? a : static_cast<int16_t>(-a);
    }
}

TEmulatorSettings TakeEmulatorSettings(int16_t *block) {
    const TDeviceSettings &d = *DeviceSettings;
    TEmulatorSettings s;
    const int32_t genMode = EmuGenMode;
    s.GenMode = genMode;
    s.AdcSize = d.AdcSize;
    s.SampleRate = d.SampleRate;
    s.GenImpedance = d.GenImpedance;
    s.Block = block;
    for (const TWaveformLevel &w : WaveformLevels) {
        if (!(genMode & w.Mode))
            continue;
        const GenBlock gen = d.*w.Generator;
        s.F1 = gen.F1;
        s.F2 = gen.F2;
        s.HarmonicStep = gen.Step;
        s.ToneCount = static_cast<int16_t>(gen.Count);
        s.Code = SaturateCode(GenAmplitude(gen.Level, d.GenImpedance, d.GenRef, d.ConnectionType, d.GenLowImpedance,
                                           w.LowThreshold, w.HighThreshold));
        CalcFreqCorrTable(0, 0, 0);
        std::copy(std::begin(FreqCorrTable), std::end(FreqCorrTable), s.FreqCorr.begin());
        break;
    }
    return s;
}

int32_t BuildEmulatorBlock(TEmulatorState &state, const TEmulatorSettings &settings) {
    if (!settings.Block)
        return 0;
    for (const TWaveformBuilder &w : WaveformBuilders) {
        if (settings.GenMode & w.Mode) {
            w.Build(state, settings);
            break;
        }
    }
    return BlockLength(settings);
}
