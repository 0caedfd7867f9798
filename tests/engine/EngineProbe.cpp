// Runs one engine step on an input written by check_engine_numbers.py and prints what it computed,
// one value per line, with full float precision and '.' as the decimal point.
#include "engine/BlockProcessing.h"
#include "engine/Calibration.h"
#include "engine/EngineBuffers.h"
#include "engine/Fft.h"
#include "engine/LeakageCollapse.h"
#include "engine/LevelConversion.h"
#include "engine/RandomSource.h"
#include "engine/RecognitionSpectrum.h"
#include "engine/ResultSlots.h"
#include "engine/SampleScaling.h"
#include "engine/Spectrum.h"
#include "engine/SpectrumAveraging.h"
#include "engine/TonePeaks.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "state/DeviceSettings.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

TDeviceSettings Settings = DefaultDeviceSettings();

void Print(std::string_view key, double value) {
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    std::printf("%.*s %.*s\n", static_cast<int>(key.size()), key.data(), static_cast<int>(end - text), text);
}

double Number(const char *text) {
    double v = 0;
    std::from_chars(text, text + std::char_traits<char>::length(text), v);
    return v;
}

template <typename T> std::vector<T> ReadFile(const char *path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<T> values(bytes.size() / sizeof(T));
    std::memcpy(values.data(), bytes.data(), values.size() * sizeof(T));
    return values;
}

// A meter at 600 Ohm, reference 0, input range 0, calibration image all zeros, block of n samples.
void SetUpMeter(int32_t n, float fs) {
    Settings.ConnectionType = 0;
    Settings.MeterImpedance = 600;
    Settings.MeterRef = 0;
    Settings.MaxLevelIndex = 0;
    Settings.SampleRate = fs;
    Settings.MaxFrequency = fs / 2.5f;
    Settings.AdcSize = n;
    Settings.BandF0 = fs / 1024;
    Settings.BandF1 = Settings.MaxFrequency;
    Settings.SpectrumStep = fs / n;
    Settings.PresentationStep = fs / n;
    EngineBuffers.MeterScaleLevel = 35;
    std::memset(EepromImage, 0, sizeof EepromImage);
}

void LoadCodes(const char *path) {
    const auto codes = ReadFile<int16_t>(path);
    std::copy(codes.begin(), codes.end(), EngineBuffers.AdcSampleBuffer);
}

float SumOfThree(int32_t t) {
    const float *P = EngineBuffers.PowerSpectrum;
    return P[t - 1] + P[t] + P[t + 1];
}

int Run(int argc, char **argv) {
    const std::string command = argv[1];
    if (command == "realfft" && argc == 4) { // n, float32 samples
        const int32_t n = static_cast<int32_t>(Number(argv[2]));
        auto data = ReadFile<float>(argv[3]);
        RealFft(data.data(), n / 2, 1);
        for (float v : data)
            Print("x", v);
        return 0;
    }
    if (command == "hann" && argc == 5) { // n, fs, int16 codes
        const int32_t n = static_cast<int32_t>(Number(argv[2]));
        SetUpMeter(n, static_cast<float>(Number(argv[3])));
        LoadCodes(argv[4]);
        ScaleBlock(n);
        Print("gain", EngineBuffers.SampleGain);
        Print("overload", EngineBuffers.OverloadFlag);
        HannSpectrum(n, EngineBuffers.OverloadFlag == 1);
        for (int32_t i = 0; i < n; ++i)
            Print("x", EngineBuffers.ComplexSpectrum[i]);
        return 0;
    }
    if (command == "recognition" && argc == 3) { // int16 codes, 2048 of them
        SetUpMeter(RecognitionLength, 2560);
        LoadCodes(argv[2]);
        ScaleBlock(RecognitionLength);
        FixedRecognitionSpectrum(RecognitionLength);
        for (int32_t i = 0; i < RecognitionLength; ++i)
            Print("x", EngineBuffers.ComplexSpectrum[i]);
        return 0;
    }
    if (command == "tone" && argc == 5) { // n, fs, int16 codes
        const int32_t n = static_cast<int32_t>(Number(argv[2]));
        SetUpMeter(n, static_cast<float>(Number(argv[3])));
        LoadCodes(argv[4]);
        SeedEngineRandom(5);
        ScaleBlock(n);
        HannSpectrum(n, EngineBuffers.OverloadFlag == 1);
        CalibrateSpectrum(n);
        FindTonePeaks(n);
        EngineBuffers.AveragingWeight = 1;
        AverageSpectrum(n);
        const int32_t t = EngineBuffers.ToneBin1;
        Print("bin", t);
        Print("offset", FractionalBinOffset(t));
        Print("level_before", PowerToDbm0(SumOfThree(t)));
        CollapseLeakage(n);
        Print("level_after", PowerToDbm0(SumOfThree(t)));
        return 0;
    }
    // Power sums (float32, up to 16383 of them) as the displayed spectrum of a 32768-sample block at
    // full resolution, and each one through the single-value conversion.
    if (command == "dbm0" && argc == 5) { // meter reference, connection type, float32 powers
        SetUpMeter(MaxBlockSize, 2560);
        Settings.MeterRef = static_cast<float>(Number(argv[2]));
        Settings.ConnectionType = static_cast<int16_t>(Number(argv[3]));
        Settings.GenImpedance = 150;
        const auto power = ReadFile<float>(argv[4]);
        const auto count = std::min<std::size_t>(power.size(), MaxBlockSize / 2 - 1);
        std::fill_n(EngineBuffers.PowerSpectrum, MaxBlockSize / 2, 0.0f);
        std::copy_n(power.begin(), count, EngineBuffers.PowerSpectrum + 1);
        PublishSpectrum(MaxBlockSize);
        for (std::size_t i = 0; i < count; ++i) {
            Print("displayed", EngineBuffers.PowerSpectrum[i + 1]);
            Print("single", PowerToDbm0(power[i]));
        }
        return 0;
    }
    if (command == "prbs" && argc == 2) {
        for (int32_t i = 0; i < EngineBuffers.PrbsPositiveCount; ++i)
            Print("positive", EngineBuffers.PrbsPositiveIndexes[i]);
        for (int32_t i = 0; i < EngineBuffers.PrbsNegativeCount; ++i)
            Print("negative", EngineBuffers.PrbsNegativeIndexes[i]);
        return 0;
    }
    if (command == "adjust" && argc == 6) { // fs, c0, c1, c2
        int16_t c[3];
        for (int k = 0; k < 3; ++k)
            c[k] = static_cast<int16_t>(Number(argv[3 + k]));
        Print("adjusted", AdjustCalibration(static_cast<float>(Number(argv[2])), c[0], c[1], c[2]));
        for (int16_t v : c)
            Print("c", v);
        return 0;
    }
    // Every calibration row r of the image holds {50r - 2000, 30r - 1000, 20r - 800}; for each group of
    // four arguments, one after the other in this process, prints the power gain of each bin.
    if (command == "calgain" && argc >= 6 && (argc - 2) % 4 == 0) { // maxFrequency, n, type, max level index
        for (int group = 2; group < argc; group += 4) {
            const int32_t n = static_cast<int32_t>(Number(argv[group + 1]));
            SetUpMeter(n, static_cast<float>(Number(argv[group]) * 2.5));
            Settings.ConnectionType = static_cast<int16_t>(Number(argv[group + 2]));
            Settings.MaxLevelIndex = static_cast<int8_t>(Number(argv[group + 3]));
            for (int32_t row = 0; row < CalibrationRowCount; ++row) {
                const int16_t values[3] = {static_cast<int16_t>(50 * row - 2000), static_cast<int16_t>(30 * row - 1000),
                                           static_cast<int16_t>(20 * row - 800)};
                std::memcpy(EepromImage + CalibrationRowsOffset + 6 * row, values, sizeof values);
            }
            for (int32_t i = 0; i < n; ++i)
                EngineBuffers.ComplexSpectrum[i] = (i % 2 == 0) ? 1.0f : 0.0f;
            CalibrateSpectrum(n);
            for (int32_t i = 0; i < n / 2; ++i)
                Print("g2", EngineBuffers.PowerSpectrum[i]);
        }
        return 0;
    }
    // The leakage collapse of a power spectrum (n/2 float32 values, taken as both the block's and the
    // averaged power) with a sample gain of 1 and the engine's generator seeded; prints every bin.
    if (command == "collapse" && argc == 6) { // n, fs, seed, float32 powers
        const int32_t n = static_cast<int32_t>(Number(argv[2]));
        SetUpMeter(n, static_cast<float>(Number(argv[3])));
        SeedEngineRandom(static_cast<uint64_t>(Number(argv[4])));
        const auto power = ReadFile<float>(argv[5]);
        std::copy(power.begin(), power.end(), EngineBuffers.PowerSpectrum);
        std::copy(power.begin(), power.end(), EngineBuffers.AveragedPower);
        EngineBuffers.SampleGain = 1;
        CollapseLeakage(n);
        for (int32_t i = 0; i < n / 2; ++i)
            Print("p", EngineBuffers.PowerSpectrum[i]);
        return 0;
    }
    // Stamps in seconds; an "r" before a stamp restarts the average for that block.
    if (command == "weights" && argc >= 4) { // averaging interval, impedance state, stamps
        Settings.AveragingInterval = static_cast<int32_t>(Number(argv[2]));
        ImpedanceCalState = static_cast<int16_t>(Number(argv[3]));
        ResetAveragingClock();
        EngineBuffers.AveragingContinues = 1;
        for (int i = 4; i < argc; ++i) {
            if (std::string_view(argv[i]) == "r") {
                EngineBuffers.AveragingContinues = 0;
                continue;
            }
            NowStamp = Number(argv[i]) / 86400.0;
            UpdateAveragingWeight();
            Print("weight", EngineBuffers.AveragingWeight);
        }
        return 0;
    }
    // Every block of the file through the block processing, 50 ms apart, without averaging; prints the
    // kind and the SIN or SIN2 rows of each.
    if (command == "blocks" && argc == 5) { // n, fs, int16 codes, a whole number of blocks
        const int32_t n = static_cast<int32_t>(Number(argv[2]));
        SetUpMeter(n, static_cast<float>(Number(argv[3])));
        Settings.AveragingInterval = 0;
        BuildParamCatalogue();
        SeedEngineRandom(5);
        const auto codes = ReadFile<int16_t>(argv[4]);
        for (size_t first = 0; first + n <= codes.size(); first += n) {
            std::copy(codes.begin() + first, codes.begin() + first + n, EngineBuffers.AdcSampleBuffer);
            NowStamp = 45000 + first / n * 0.05 / 86400;
            ProcessBlock();
            Print("kind", SignalKind);
            const std::pair<const char *, ResultSlot> rows[] = {{"sin_frequency", SlotSinFrequency},
                                                                {"sin_level", SlotSinLevel},
                                                                {"sin_mean", SlotSinMeanLevel},
                                                                {"sin_deviation", SlotSinLevelDeviation},
                                                                {"sin_noise", SlotSinNoise},
                                                                {"sin_snr", SlotSinSnr},
                                                                {"a2", SlotSinA2},
                                                                {"a3", SlotSinA3},
                                                                {"a23", SlotSinA23},
                                                                {"k2", SlotSinK2},
                                                                {"k3", SlotSinK3},
                                                                {"k23", SlotSinK23},
                                                                {"f1", SlotSin2Frequency1},
                                                                {"f2", SlotSin2Frequency2},
                                                                {"shift", SlotSin2FrequencyShift},
                                                                {"level1", SlotSin2Level1},
                                                                {"level2", SlotSin2Level2},
                                                                {"total", SlotSin2Level},
                                                                {"sin2_noise", SlotSin2Noise},
                                                                {"sin2_snr", SlotSin2Snr},
                                                                {"im_a3", SlotSin2A3},
                                                                {"im_k3", SlotSin2K3},
                                                                {"a21", SlotSin2A21}};
            for (const auto &[key, slot] : rows)
                Print(key, ResultValue(slot));
        }
        return 0;
    }
    std::fprintf(stderr, "unknown command or arguments: %s\n", command.c_str());
    return 2;
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 2)
        return 2;
    DeviceSettings = &Settings;
    if (AllocAnalysisBuffers(false) == 0)
        return 3;
    const int result = Run(argc, argv);
    FreeAnalysisBuffers();
    return result;
}
