#include "engine/BlockProcessing.h"

#include "engine/EngineBuffers.h"
#include "engine/GroupDelay.h"
#include "engine/ImpedanceMeasurement.h"
#include "engine/LeakageCollapse.h"
#include "engine/LevelConversion.h"
#include "engine/MttsMeasurement.h"
#include "engine/NoiseMeasurement.h"
#include "engine/PrbsMeasurement.h"
#include "engine/RecognitionSpectrum.h"
#include "engine/ResultSlots.h"
#include "engine/SampleScaling.h"
#include "engine/SignalRecognition.h"
#include "engine/SinMeasurement.h"
#include "engine/Spectrum.h"
#include "engine/SpectrumAveraging.h"
#include "engine/SyncMeasurement.h"
#include "engine/TonePeaks.h"
#include "state/DeviceSettings.h"

#include <algorithm>
#include <cstdlib>

TNoiseRunMemory NoiseRunMemory;

namespace {

constexpr int32_t KindSin = 1;
constexpr int32_t KindSin2 = 2;
constexpr int32_t KindMtts = 3;
constexpr int32_t KindPrbs = 4;
constexpr int32_t KindNoise = 5;
constexpr int32_t KindSelective = 6;
constexpr int32_t KindSync = 7;
constexpr int32_t SyncFinished = 3;
constexpr int32_t NoiseReferencePoints = 128;
constexpr int32_t BinsPerNoisePoint = 8;
// NOISE blocks in a row with the same settings before the noise reference is taken.
constexpr int32_t SteadyNoiseBlocks = 2;

bool ValidBlockSize(int32_t n) {
    return std::find(SpectrumSizes.begin(), SpectrumSizes.end(), n) != SpectrumSizes.end();
}

void FullLengthSpectrum(int32_t n) {
    HannSpectrum(n, EngineBuffers.OverloadFlag == 1);
    CalibrateSpectrum(n);
    FindTonePeaks(n);
}

// The first 1024 bins of the spectrum at hand, in 128 points of 8 bins, as levels in dBm.
void TakeNoiseReference() {
    TEngineBuffers &b = EngineBuffers;
    const TDeviceSettings &s = *DeviceSettings;
    TNoiseReference &r = b.NoiseReference;
    r.Stamp = NowStamp;
    r.Impedance = s.ConnectionType == 3 || s.ConnectionType == 8 ? s.GenImpedance : s.MeterImpedance;
    r.Count = NoiseReferencePoints;
    for (int32_t i = 0; i < NoiseReferencePoints; ++i) {
        double frequency = 0;
        double power = 0;
        for (int32_t k = BinsPerNoisePoint * i; k < BinsPerNoisePoint * (i + 1); ++k) {
            frequency += b.FrequencyAxis[k];
            power += b.PowerSpectrum[k];
        }
        r.Frequencies[i] = static_cast<float>(frequency / BinsPerNoisePoint);
        r.Levels[i] = PowerToDbm0(static_cast<float>(power)) + s.MeterRef;
    }
}

void CountSteadyNoiseBlocks() {
    const TDeviceSettings &s = *DeviceSettings;
    TNoiseRunMemory &m = NoiseRunMemory;
    const float gain = EngineBuffers.SampleGain;
    const bool same = m.ConnectionType == s.ConnectionType && m.SampleRate == s.SampleRate && m.AdcSize == s.AdcSize &&
                      m.SampleGain == gain;
    m.Count = same ? m.Count + 1 : 0;
    m.ConnectionType = s.ConnectionType;
    m.SampleRate = s.SampleRate;
    m.AdcSize = s.AdcSize;
    m.SampleGain = gain;
}

// Each case either ends the block or falls back to NOISE, which is then processed in the same block.
bool ProcessKind(int32_t kind, int32_t n, int32_t e1, int32_t e2, int32_t tolerance) {
    TEngineBuffers &b = EngineBuffers;
    const TDeviceSettings &s = *DeviceSettings;
    const bool fullLength = n > RecognitionLength;
    if (kind != KindNoise)
        NoiseRunMemory.Count = 0;
    switch (kind) {
    case KindSin: {
        if (fullLength) {
            FullLengthSpectrum(n);
            if (std::abs(b.ToneBin1 - e1) > tolerance)
                return false;
        }
        AverageSpectrum(n);
        CollapseLeakage(n);
        MeasureSin();
        if (ResultValue(SlotSinLevel) < s.Lmin)
            return false;
        const float snr = ResultValue(SlotSinSnr);
        if (snr != NoValue && snr < s.MinSnr)
            return false;
        PublishSpectrum(n);
        return true;
    }
    case KindSin2:
        if (fullLength) {
            FullLengthSpectrum(n);
            if (std::abs(b.ToneBin1 - e1) > tolerance || std::abs(b.ToneBin2 - e2) > tolerance)
                return false;
        }
        AverageSpectrum(n);
        CollapseLeakage(n);
        MeasureSin2();
        PublishSpectrum(n);
        return true;
    case KindMtts:
        if (fullLength)
            FullLengthSpectrum(n);
        AverageSpectrum(n);
        CollapseLeakage(n);
        MeasureMtts();
        MeasureGroupDelay();
        MeasureImpedance();
        PublishSpectrum(n);
        return true;
    case KindPrbs:
        MeasurePrbs();
        if (fullLength)
            FullLengthSpectrum(n);
        AverageSpectrum(n);
        PublishSpectrum(n);
        return true;
    case KindNoise:
        CountSteadyNoiseBlocks();
        if (NoiseRunMemory.Count > SteadyNoiseBlocks)
            TakeNoiseReference();
        if (fullLength)
            FullLengthSpectrum(n);
        AverageSpectrum(n);
        CollapseLeakage(n);
        MeasureNoise();
        MeasureNoiseLevels();
        PublishSpectrum(n);
        return true;
    default:
        return true;
    }
}

void ProcessSelectiveBlock(int32_t n) {
    SignalKind = KindSelective;
    HannSpectrum(n, EngineBuffers.OverloadFlag == 1);
    CalibrateSpectrum(n);
    FindTonePeaks(n);
    AverageSpectrum(n);
    CollapseLeakage(n);
    PublishSpectrum(n);
}

} // namespace

void ProcessBlock() {
    const TDeviceSettings &s = *DeviceSettings;
    const int32_t n = s.AdcSize;
    if (!AnalysisBuffersReady() || !ValidBlockSize(n))
        return;
    UpdateAveragingWeight();
    ScaleBlock(n);

    if (s.SyncGenState > 0) {
        // The first block of a running SYNC run starts it afresh, whoever switched SYNC on.
        if (SignalKind != KindSync && s.SyncGenState < SyncFinished)
            ResetSyncResults();
        SignalKind = KindSync;
        if (s.SyncGenState < SyncFinished)
            ProcessSyncBlock(1);
        return;
    }
    if (s.Mirvak.RunState > 0) {
        ProcessSelectiveBlock(n);
        return;
    }

    RecogniseSignal();
    const int32_t q = n / RecognitionLength;
    const int32_t e1 = EngineBuffers.ToneBin1 * q;
    const int32_t e2 = EngineBuffers.ToneBin2 * q;
    const int32_t tolerance = static_cast<int32_t>(q * 0.5 + 0.5);
    if (!ProcessKind(SignalKind, n, e1, e2, tolerance)) {
        SignalKind = KindNoise;
        ProcessKind(KindNoise, n, e1, e2, tolerance);
    }
}
