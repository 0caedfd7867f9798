// Runs the multitone measurements on inputs written by check_mtts_numbers.py and prints what they
// computed, one "key value" per line, with full float precision and '.' as the decimal point.
#include "engine/BlockProcessing.h"
#include "engine/Calibration.h"
#include "engine/DslRatePotential.h"
#include "engine/EngineBuffers.h"
#include "engine/GeneratorSynthesis.h"
#include "engine/RandomSource.h"
#include "engine/ResultArrays.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "state/DeviceSettings.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

TDeviceSettings Settings = DefaultDeviceSettings();

void Emit(const char *key, double value) {
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    std::printf("%s %.*s\n", key, static_cast<int>(end - text), text);
}

float Arg(char **argv, int i) {
    float v = 0;
    const char *text = argv[i];
    std::from_chars(text, text + std::strlen(text), v);
    return v;
}

std::vector<int16_t> ReadCodes(const char *path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<int16_t> codes(bytes.size() / 2);
    std::memcpy(codes.data(), bytes.data(), codes.size() * 2);
    return codes;
}

// Meter input range 0, reference 0, no calibration, no averaging, the band from fs/1024 to fs/2.5.
void SetUpBlocks(int32_t n, float fs) {
    Settings.SampleRate = fs;
    Settings.MaxFrequency = fs / 2.5f;
    Settings.AdcSize = n;
    Settings.SpectrumStep = fs / n;
    Settings.PresentationStep = fs / n;
    Settings.BandF0 = fs / 1024;
    Settings.BandF1 = Settings.MaxFrequency;
    Settings.MeterRef = 0;
    Settings.MaxLevelIndex = 0;
    Settings.AveragingInterval = 0;
    EngineBuffers.MeterScaleLevel = 35;
    std::memset(EepromImage, 0, sizeof EepromImage);
    BuildParamCatalogue();
    SeedEngineRandom(5);
}

// Every block of the file through the block processing; prints each block's kind, then the comb of
// the last one.
void RunBlocks(const char *path) {
    const int32_t n = Settings.AdcSize;
    const auto codes = ReadCodes(path);
    for (size_t first = 0; first + n <= codes.size(); first += n) {
        std::copy(codes.begin() + first, codes.begin() + first + n, EngineBuffers.AdcSampleBuffer);
        NowStamp = 45000 + first / n * 0.05 / 86400;
        ProcessBlock();
        Emit("kind", SignalKind);
    }
    const TResultArrays &r = ResultArrays;
    for (int32_t i = 0; i < LineResultCount(); ++i) {
        Emit("f", r.Frequency[i]);
        Emit("att", r.Attenuation[i]);
        Emit("gd", r.GroupDelay[i]);
        Emit("snr", r.SignalToNoise[i]);
        Emit("r", r.Resistance[i]);
        Emit("x", r.Reactance[i]);
    }
}

// A line response flat at a dB with a noise reference flat at noise dBm from 0 to 5000 kHz at the
// generator's impedance (measured), or a = the length of 0.5 mm cable in km (model).
void SetUpLine(bool measured, float a, float noise) {
    if (!measured) {
        CableLengthKm = a;
        CableModelIndex = 2;
        return;
    }
    TNoiseReference &r = EngineBuffers.NoiseReference;
    r.Count = LineAfc.Count = 501;
    r.Impedance = Settings.GenImpedance;
    for (int32_t i = 0; i < 501; ++i) {
        r.Frequencies[i] = LineAfc.Frequencies[i] = 10.0f * i;
        r.Levels[i] = noise;
        LineAfc.Attenuation[i] = a;
    }
}

int Run(int argc, char **argv) {
    const std::string command = argv[1];
    // adsl|shdsl measured a noise psd bits [maskF maskDb]...
    if ((command == "adsl" || command == "shdsl") && argc >= 7) {
        const bool measured = Arg(argv, 2) != 0;
        SetUpLine(measured, Arg(argv, 3), Arg(argv, 4));
        const float psd = Arg(argv, 5);
        const auto bits = static_cast<int32_t>(Arg(argv, 6));
        if (command == "shdsl") {
            Emit("rate", ShdslRatePotential(psd, bits, measured));
            return 0;
        }
        std::vector<float> f, db;
        for (int i = 7; i + 1 < argc; i += 2) {
            f.push_back(Arg(argv, i));
            db.push_back(Arg(argv, i + 1));
        }
        Emit("rate", AdslRatePotential(psd, static_cast<int32_t>(f.size()), f.data(), db.data(), bits, measured));
        return 0;
    }
    // The meter alone at 600 Ohm on a line: response and group delay relative to their smallest values.
    if (command == "mtts" && argc == 5) { // n, fs, int16 codes
        SetUpBlocks(static_cast<int32_t>(Arg(argv, 2)), Arg(argv, 3));
        Settings.ConnectionType = 0;
        Settings.MeterImpedance = 600;
        Settings.AfcRef = 0;
        Settings.GvpRef = 0;
        RunBlocks(argv[4]);
        return 0;
    }
    // The own multitone on the coaxial pair at 75 Ohm: lines 10 kHz apart from 10 kHz, 10 dBm0 in all.
    if (command == "impedance" && argc == 6) { // n, fs, line count, int16 codes
        SetUpBlocks(static_cast<int32_t>(Arg(argv, 2)), Arg(argv, 3));
        Settings.ConnectionType = 8;
        Settings.GenImpedance = 75;
        Settings.MeterImpedance = 75;
        Settings.GenRef = 0;
        Settings.Mtts = {10, 10, 0, 0, 10, static_cast<int32_t>(Arg(argv, 4)), 2};
        ImpedanceCalState = -2;
        GenRangeStep = 0; // the generator's normal output stage
        RunBlocks(argv[5]);
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
