#include "sim/SimCommandState.h"

#include <cmath>

namespace {

constexpr int GridPoints = 1024;
constexpr double TopSampleRate = 10240000; // Hz, sample-rate code 0
constexpr double CodeFullScale = 16384;    // Q14
constexpr double SinePeak = 10850;
constexpr double MultiTonePeak = 10850;
constexpr double PrbsChipPeak = 7672;
constexpr double NoisePerUnit = 7832.0 / 4096;

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
        for (int i = 0; i < generator_.length; ++i) {
            const int position = generator_.first + i * generator_.step;
            if (position < 0 || position > GridPoints / 2)
                break;
            waveform.tones.push_back(SimTone{peak * scale, double(position) / GridPoints, 0});
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
