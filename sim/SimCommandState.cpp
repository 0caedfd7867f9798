#include "sim/SimCommandState.h"

#include <array>
#include <cmath>
#include <cstdint>

namespace {

constexpr int GridPoints = 1024;
constexpr double TopSampleRate = 10240000; // Hz, sample-rate code 0
constexpr double CodeFullScale = 16384;    // Q14
constexpr double SinePeak = 10850;
constexpr double MultiTonePeak = 10850;
constexpr double PrbsChipPeak = 7672;
constexpr double NoisePerUnit = 7832.0 / 4096;

// The harmonics of the multitone that the DSP starts at half a turn: bit n of these bytes, most
// significant bit first; harmonic n is the line at n times the line spacing.
constexpr std::array<std::uint8_t, 64> HalfTurnHarmonics = {
    33,  39,  138, 132, 34,  194, 206, 117, 184, 3,   161, 43,  173, 145, 208, 123, 242, 78,  85,  127, 114, 22,
    219, 36,  133, 2,   113, 53,  107, 250, 81,  192, 17,  113, 69,  100, 234, 195, 192, 249, 186, 177, 85,  99,
    29,  239, 17,  72,  72,  230, 102, 201, 242, 107, 12,  243, 28,  173, 15,  10,  122, 0,   192, 15};

// The start phase of harmonic n in cycles: 0 or a half.
double HarmonicStartPhase(int n) {
    if (n < 0 || n >= int(HalfTurnHarmonics.size()) * 8)
        return 0;
    return (HalfTurnHarmonics[std::size_t(n / 8)] >> (7 - n % 8)) & 1 ? 0.5 : 0.0;
}

int I(const SimCommand &command, std::string_view name) {
    return int(command.Field(name));
}

} // namespace

void SimCommandState::Take(const SimCommand &command) {
    const SimCommand &c = command;
    switch (c.type) {
    case 2:
        mode_.clear();
        for (const SimField &field : c.fields)
            mode_.push_back(int(field.value));
        break;
    case 4:
        relay_ = I(c, "relay");
        break;
    case 5:
        blockSize_ = I(c, "n");
        break;
    case 6: {
        SimGeneratorSetting g;
        g.kind = I(c, "kind");
        g.range = I(c, "range");
        g.code = I(c, "code");
        g.length = I(c, "length");
        g.calibration = {I(c, "k0"), I(c, "k1"), I(c, "k2")};
        if (g.kind == 3) {
            g.first = I(c, "first");
            g.step = I(c, "step");
        } else {
            g.phaseStep = std::uint32_t(c.Field("phase_step"));
        }
        generator_ = g;
        break;
    }
    case 7:
        meterKind_ = I(c, "kind");
        break;
    case 8:
        ++messageAborts_;
        message_.complete = false;
        break;
    case 9:
        messageMode_ = I(c, "exchange");
        break;
    case 10:
        message_ = SimMessage{I(c, "id"),
                              I(c, "counter"),
                              I(c, "reliable"),
                              I(c, "total"),
                              I(c, "range"),
                              I(c, "code"),
                              I(c, "first"),
                              I(c, "width"),
                              {I(c, "k0"), I(c, "k1"), I(c, "k2")},
                              {},
                              false};
        break;
    case 11:
        if (!message_.complete && message_.totalWords > 0) {
            message_.body.insert(message_.body.end(), c.payload.begin(), c.payload.end());
            message_.complete = int(message_.body.size() / 2) + 10 >= message_.totalWords;
        }
        break;
    case 17:
        syncOn_ = I(c, "on");
        syncEdgeMode_ = I(c, "edge_mode");
        break;
    case SimRelayRegisterWrite:
        relayRegister_ = I(c, "value");
        break;
    default:
        break;
    }
}

double SimCommandState::SampleRate() const {
    if (mode_.size() < 2 || mode_[1] < 0 || mode_[1] > 10)
        return 0;
    return TopSampleRate / double(1 << mode_[1]);
}

SimWaveform SimCommandState::Waveform() const {
    const double scale = generator_.code / CodeFullScale;
    SimWaveform waveform;
    switch (generator_.kind) {
    case 1:
        waveform.tones.push_back(SimTone{SinePeak * scale, generator_.phaseStep / 4294967296.0, 0});
        break;
    case 2:
        waveform.noiseScale = NoisePerUnit * scale;
        break;
    case 3: {
        const double peak = generator_.length > 0 ? std::trunc(MultiTonePeak / std::sqrt(generator_.length)) : 0;
        const int firstHarmonic = generator_.step > 0 ? generator_.first / generator_.step : 0;
        for (int i = 0; i < generator_.length; ++i) {
            const int position = generator_.first + i * generator_.step;
            if (position < 0 || position > GridPoints / 2)
                break;
            waveform.tones.push_back(
                SimTone{peak * scale, double(position) / GridPoints, HarmonicStartPhase(firstHarmonic + i)});
        }
        break;
    }
    case 4:
        waveform.prbsAmplitude = PrbsChipPeak * scale;
        break;
    default:
        break;
    }
    return waveform;
}
