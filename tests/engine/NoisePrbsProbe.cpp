// Runs the NOISE phasogram and the PRBS reflectometer on blocks written by check_noise_prbs_numbers.py
// and prints what they found, one value per line, with '.' as the decimal point.
#include "engine/BlockProcessing.h"
#include "engine/Calibration.h"
#include "engine/EngineBuffers.h"
#include "engine/NoiseMeasurement.h"
#include "engine/PrbsMeasurement.h"
#include "engine/RandomSource.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "state/DeviceSettings.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
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

std::vector<int16_t> ReadCodes(const char *path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<int16_t> codes(bytes.size() / 2);
    std::memcpy(codes.data(), bytes.data(), codes.size() * 2);
    return codes;
}

// A meter at 600 Ohm, reference 0, input range 0, an all-zero calibration image, block of n samples at
// fs kHz, the band from f0 to the maximum frequency; averaging over interval seconds.
void SetUpMeter(int32_t n, float fs, float f0, int32_t interval) {
    Settings.ConnectionType = 0;
    Settings.MeterImpedance = 600;
    Settings.MeterRef = 0;
    Settings.MaxLevelIndex = 0;
    Settings.SampleRate = fs;
    Settings.MaxFrequency = fs / 2.5f;
    Settings.AdcSize = n;
    Settings.BandF0 = f0;
    Settings.BandF1 = Settings.MaxFrequency;
    Settings.SpectrumStep = fs / n;
    Settings.PresentationStep = fs / n;
    Settings.Lmin = -100;
    Settings.MinSnr = 0;
    Settings.AveragingInterval = interval;
    EngineBuffers.MeterScaleLevel = 35;
    std::memset(EepromImage, 0, sizeof EepromImage);
    BuildParamCatalogue();
    SeedEngineRandom(5);
}

// Every whole block of the file through the block processing, 50 ms apart.
void ProcessBlocks(const char *path, int32_t n) {
    const auto codes = ReadCodes(path);
    for (size_t first = 0; first + n <= codes.size(); first += n) {
        std::copy(codes.begin() + first, codes.begin() + first + n, EngineBuffers.AdcSampleBuffer);
        NowStamp = 45000 + first / n * 0.05 / 86400;
        ProcessBlock();
        Print("kind", SignalKind);
    }
}

int Run(int argc, char **argv) {
    const std::string command = argv[1];
    // The phasogram of the last block: its points and phases.
    if (command == "phasogram" && argc == 8) { // n, fs, band start, reference kHz, interval s, codes
        const int32_t n = static_cast<int32_t>(Number(argv[2]));
        SetUpMeter(n, static_cast<float>(Number(argv[3])), static_cast<float>(Number(argv[4])),
                   static_cast<int32_t>(Number(argv[6])));
        Settings.Phasogram = 1;
        Settings.PhasogramRef = static_cast<float>(Number(argv[5]));
        ProcessBlocks(argv[7], n);
        Print("points", EngineBuffers.NoiseCurveLength);
        Print("segment", PhasogramState.Segment);
        Print("step", PhasogramState.Step);
        for (int32_t k = 0; k < EngineBuffers.NoiseCurveLength; ++k) {
            Print("level", EngineBuffers.NoiseCurves[0][k]);
            Print("phase", EngineBuffers.NoiseCurves[4][k]);
        }
        return 0;
    }
    // The echo search and echo table of the last block.
    if (command == "prbs" && argc == 6) { // n, fs, velocity m/us, codes
        const int32_t n = static_cast<int32_t>(Number(argv[2]));
        SetUpMeter(n, static_cast<float>(Number(argv[3])), static_cast<float>(Number(argv[3])) / 1024, 0);
        Settings.CableVelocity = static_cast<float>(Number(argv[4]));
        ProcessBlocks(argv[5], n);
        for (int32_t e = 0; e < EchoSearchCount; ++e)
            Print("position", EchoPeaks.Position[e]);
        for (int32_t j = 0; j < TableEchoCount; ++j) {
            Print("delay", ReflectionTable.Delay[j]);
            Print("distance", ReflectionTable.Distance[j]);
            Print("percent", ReflectionTable.Percent[j]);
            Print("level", ReflectionTable.Level[j]);
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
