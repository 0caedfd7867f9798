#include "engine/GeneratorSynthesis.h"

#include "state/DeviceSettings.h"

#include <algorithm>
#include <cmath>

int16_t SynthBuffer[SynthBufferLength];
int16_t GenRangeStep = 1;

int32_t ChooseGenRangeStep(float code, float amplitude, float limit) {
    const int16_t type = DeviceSettings->ConnectionType;
    float k = 7672, down = 0.031623f, up = 31.622555f, e = 1;
    if (type > 5 && type != 11) {
        k = 14748;
        down = 0.1f;
        up = 10;
        e = 0.5f;
    }
    if (type == 7) {
        GenRangeStep = 1;
        code *= up;
    } else if (amplitude * down * k * e > code) {
        const bool lowImpedanceStage = DeviceSettings->GenLowImpedance && (type == 6 || type == 9 || type == 12);
        if (type == 10 || lowImpedanceStage) {
            GenRangeStep = 0;
        } else {
            code *= up;
            GenRangeStep = 1;
        }
    } else if (code > limit) {
        code *= 0.19952513f;
        GenRangeStep = -1;
    } else {
        GenRangeStep = 0;
    }
    return static_cast<int32_t>(std::trunc(code + 0.5f));
}

int16_t FitGeneratorFrequency(int16_t maxLen, float f, float fs, float &actualFrequency, uint32_t &phaseStep) {
    int32_t length = 1;
    int32_t periods = 0;
    actualFrequency = 0;
    if (maxLen > 0 && fs > 0 && std::isfinite(fs)) {
        f = std::isnan(f) ? fs / maxLen : std::clamp(f, fs / maxLen, fs / 2);
        actualFrequency = f;
        double bestError = fs;
        for (int32_t h = 1;; ++h) {
            const double m = std::trunc(h * fs / f + 0.5);
            if (m > maxLen)
                break;
            if (m <= 0)
                continue;
            const double candidate = h * fs / m;
            const double error = std::fabs(candidate - f);
            if (error < bestError) {
                bestError = error;
                actualFrequency = static_cast<float>(candidate);
                length = static_cast<int32_t>(m);
                periods = h;
            }
        }
    }
    phaseStep = static_cast<uint32_t>(std::trunc(static_cast<double>(periods) / length * 4294967296.0 + 0.5));
    if (length < 1024)
        length = (length + 1023) / length * length;
    return static_cast<int16_t>(length);
}

void ScaleWaveTable(int16_t gain) {
    const int32_t g = static_cast<int32_t>(std::trunc(gain + 0.5));
    for (int16_t &sample : SynthBuffer) {
        const int32_t scaled = (g * sample) >> 14;
        sample = static_cast<int16_t>(std::clamp<int32_t>(scaled, INT16_MIN, INT16_MAX));
    }
}

int32_t SynthesisTableLength() {
    return 8192;
}

int32_t MulShift16(int16_t a, int16_t b, int32_t s) {
    return (static_cast<int32_t>(a) * b) >> std::clamp(s, 0, 31);
}
