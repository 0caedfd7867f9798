#include "state/DeviceSettings.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr MasterBlock DefaultMasterBlock(float rangeStart, int32_t rangeN, float sinValue) {
    MasterBlock master{};
    master.Source = 1;
    master.RangeStart = rangeStart;
    master.RangeN = rangeN;
    master.RangeStep = 1;
    master.SinOn = 1;
    master.SinValue = sinValue;
    master.BandType = 1;
    master.BandF0 = 0.625f;
    master.BandF1 = 256;
    master.Interval = 5;
    return master;
}

constexpr MirvakBlock DefaultMirvakBlock() {
    MirvakBlock mirvak{};
    mirvak.Flags = 1;
    mirvak.RangeStart = 0.3f;
    mirvak.RangeN = 32;
    mirvak.RangeStep = 0.1f;
    mirvak.SubMode = 2;
    mirvak.B = 0.02f;
    mirvak.FcM = 100;
    mirvak.Fc1 = 0.3f;
    mirvak.FcN = 3.4f;
    mirvak.Options = 0x82;
    mirvak.DeviceSubMode = 1;
    mirvak.LoadOhm = 600;
    mirvak.FcG = 100;
    mirvak.CableLength = 1000;
    return mirvak;
}

// Every byte not set here is zero, the reserved bytes included.
constexpr TDeviceSettings BuildDefaultDeviceSettings() {
    TDeviceSettings s{};
    s.SampleRate = 640;
    s.MaxFrequency = 256;
    s.ConnectionType = 3;
    s.GenImpedance = 150;
    s.Sin = GenBlock{.Level = 0, .F1 = 40, .F2 = 0, .MinFreq = 0, .Step = 0, .Count = 1, .State = 0};
    s.Sin2 = GenBlock{.Level = 0, .F1 = 80, .F2 = 120, .MinFreq = 0, .Step = 0, .Count = 2, .State = 0};
    s.Mtts = GenBlock{.Level = 0, .F1 = 2.5f, .F2 = 100, .MinFreq = 0, .Step = 2.5f, .Count = 102, .State = 0};
    s.Rnd = GenBlock{.Level = 0, .F1 = 0, .F2 = 0, .MinFreq = 0, .Step = 0, .Count = 1, .State = 0};
    s.Block = GenBlock{.Level = -200, .F1 = 0, .F2 = 0, .MinFreq = 0, .Step = 0, .Count = 0, .State = 2};
    s.RemoteGenState[4] = 2;
    s.Noise = GenBlock{.Level = 0, .F1 = 0, .F2 = 0, .MinFreq = 0, .Step = 0, .Count = 1, .State = 0};
    s.AdcSize = 2048;
    s.SpectrumStepIndex = 1;
    s.BandF0 = 0.625f;
    s.BandF1 = 256;
    s.Lmin = -60;
    s.MinSnr = 5;
    s.WeightingIndex = -1;
    s.AfcRef = -1;
    s.MeterImpedance = 150;
    s.CableVelocity = 150;
    s.EventMergeInterval = 1;
    s.PhasogramRef = 0.05f;
    s.ControlLevel = -5;
    s.ControlF1 = 40;
    s.ControlFN = 160;
    s.ExchangeMode = 1;
    s.MasterF = DefaultMasterBlock(40, 40, 0);
    s.MasterL = DefaultMasterBlock(-30, 10, 40);
    s.Mirvak = DefaultMirvakBlock();
    s.SyncCountPulse = 1;
    return s;
}

constinit TDeviceSettings DeviceSettingsRecord = BuildDefaultDeviceSettings();

int ValidRowCount(int8_t stored, int capacity) {
    return std::clamp<int>(stored, 0, capacity);
}

} // namespace

TDeviceSettings *DeviceSettings = &DeviceSettingsRecord;

const TDeviceSettings &DefaultDeviceSettings() {
    static constexpr TDeviceSettings image = BuildDefaultDeviceSettings();
    return image;
}

void RecomputeSampleRateFields(TDeviceSettings &settings) {
    settings.SampleRate = 2.5f * settings.MaxFrequency;
    settings.Sin.MinFreq = settings.SampleRate / 1024;
    settings.Sin2.MinFreq = settings.SampleRate / 256;
    settings.Mtts.MinFreq = settings.SampleRate / 512;
    RecomputeMttsLastFrequency(settings);
    RecomputeControlToneFields(settings);
}

void RecomputeMttsLastFrequency(TDeviceSettings &settings) {
    settings.Mtts.F2 = float(settings.Mtts.F1 + (double(settings.Mtts.Count) - 1) * settings.Mtts.Step);
}

void RecomputeControlToneFields(TDeviceSettings &settings) {
    settings.ControlStep = settings.SampleRate / 128;
    settings.ControlMinSpan = 25 * settings.SampleRate / 1024;
}

void RecomputeBlockSizeFields(TDeviceSettings &settings) {
    const int index = std::clamp(int32_t(settings.AdcSizeIndex), 0, int32_t(SpectrumSizes.size()) - 1);
    settings.AdcSizeIndex = index;
    settings.AdcSize = SpectrumSizes[index];
    settings.SpectrumStep = settings.SampleRate / float(settings.AdcSize);
    settings.PresentationStep = float(settings.SpectrumStepIndex) * settings.SpectrumStep;
}

void RecomputeSyncMinInterval(TDeviceSettings &settings) {
    settings.SyncMinInterval = SyncMinIntervalFor(settings, settings.AdcSizeIndex);
}

int32_t SyncMinIntervalFor(const TDeviceSettings &settings, int32_t sizeIndex) {
    const int index = std::clamp<int32_t>(sizeIndex, 0, int32_t(SyncMinPulseInterval.size()) - 1);
    double delay = 0;
    if (settings.SyncEdgeMode >= 0 && settings.SyncEdgeMode < 4 &&
        std::isfinite(settings.SyncDelay[settings.SyncEdgeMode]))
        delay = settings.SyncDelay[settings.SyncEdgeMode];
    const double interval = std::trunc(SyncMinPulseInterval[index] + delay);
    return int32_t(
        std::clamp<double>(interval, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

int SetRowCount(const MasterBlock &block) {
    return ValidRowCount(block.SetCount, MasterSetCapacity);
}

int SetRowCount(const MirvakBlock &block) {
    return ValidRowCount(block.SetCount, MirvakSetCapacity);
}

int8_t StoredRowCount(int rows) {
    return int8_t(std::clamp(rows, 0, MaxStoredRowCount));
}
