#include "selective/SstItemMath.h"

#include "engine/EngineBuffers.h"
#include "engine/EngineMath.h"
#include "engine/LevelConversion.h"
#include "engine/Spectrum.h"
#include "link/Library.h"
#include "selective/MirvakWork.h"
#include "state/DeviceSettings.h"

#include <cmath>

float MirvakGainFactor = 1;

namespace {

// The instrument's scale of a selective sum against a spectrum bin of a 2048-sample block.
constexpr double SstSumScale = 1.0442337412806483e-06;
// Share of the averaging interval in the weight's denominator.
constexpr double AveragingShare = 0.45;

} // namespace

double SstAccumulationLength() {
    if (MirvakPointsPerBand > 0)
        return MirvakPointsPerBand;
    const double b = DeviceSettings->Mirvak.B;
    return b > 0 ? NearestInt(DeviceSettings->SampleRate / b) : 0;
}

float SstItemPower(float re, float im, float frequency) {
    const TDeviceSettings &s = *DeviceSettings;
    const float fs = s.SampleRate;
    const float x = fs > 0 ? frequency / fs : 0;
    const float k = CalibrationGain(MeterCalibrationRow(), x);
    MirvakGainFactor = float(std::pow(10.0, 0.05 * EngineBuffers.MeterScaleLevel));
    const double n = SstAccumulationLength();
    const double e = n > 0 ? MirvakGainFactor * 2048.0 / n * SstSumScale : 0;
    const double kr = double(k) * re;
    const double ki = double(k) * im;
    const float power = float((kr * kr + ki * ki) * e * e);
    if (EngineBuffers.PowerSpectrum && EngineBuffers.FrequencyAxis) {
        EngineBuffers.PowerSpectrum[0] = PowerToDbm0(power);
        EngineBuffers.FrequencyAxis[0] = x * fs;
    }
    return power;
}

float MirvakAveragingWeight(int32_t bin) {
    double &stamp = MirvakWorkArrays.BinTime[std::size_t(bin)];
    const double now = NowStamp * SecondsPerDay;
    const double t = DeviceSettings->AveragingInterval;
    const double dt = now - stamp;
    const float weight = t > 0 && dt > 0 && stamp != 0 ? float(dt / (dt + AveragingShare * t)) : 1.0f;
    stamp = now;
    return weight;
}
