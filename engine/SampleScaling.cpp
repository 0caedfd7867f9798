#include "engine/SampleScaling.h"

#include "engine/EngineBuffers.h"
#include "state/DeviceSettings.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// ADC codes per volt at full scale: the balanced inputs of connection types 7 to 11 have their own.
float CodesPerVolt(int16_t connectionType) {
    return connectionType >= 7 && connectionType <= 11 ? 15175.0f : 14968.0f;
}

} // namespace

void ScaleBlock(int32_t n) {
    TEngineBuffers &b = EngineBuffers;
    n = std::clamp(n, 0, MaxBlockSize);
    b.SampleGain = std::pow(10.0f, 0.05f * b.MeterScaleLevel) / CodesPerVolt(DeviceSettings->ConnectionType);
    // Held in locals: the stores into the float arrays could otherwise alias them and reload each sample.
    const float gain = b.SampleGain;
    const float sampleRate = DeviceSettings->SampleRate;
    int32_t largest = 0;
    for (int32_t i = 0; i < n; ++i) {
        const int32_t code = b.AdcSampleBuffer[i];
        b.SampleVolts[i] = static_cast<float>(-code) * gain;
        b.SampleTimeAxis[i] = static_cast<float>(i) * 1000.0f / sampleRate;
        largest = std::max(largest, std::abs(code));
    }
    SetOverloadFlag(largest > ClipThreshold ? 1 : 0);
}

void SetOverloadFlag(int16_t flag) {
    EngineBuffers.OverloadFlag = flag;
}
