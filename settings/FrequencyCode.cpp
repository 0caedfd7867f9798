#include "settings/FrequencyCode.h"

#include "engine/catalogue/ValueQuantizer.h"
#include "state/DeviceSettings.h"

namespace {

constexpr double FrequencyCodeUnits = 2048; // codes per sample rate

} // namespace

uint16_t QuantizeFrequency(double frequency) {
    const double rate = DeviceSettings->SampleRate;
    if (!(rate > 0))
        return 0;
    return RoundToCode16(frequency * FrequencyCodeUnits / rate);
}

double DequantizeFrequency(uint16_t code) {
    return code * double(DeviceSettings->SampleRate) / FrequencyCodeUnits;
}
