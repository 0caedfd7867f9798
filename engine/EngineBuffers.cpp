#include "engine/EngineBuffers.h"

#include "engine/PrbsMeasurement.h"
#include "engine/PrbsReference.h"
#include "state/DeviceSettings.h"

#include <algorithm>
#include <new>
#include <vector>

TEngineBuffers EngineBuffers;
int32_t SignalKind = 0;
double NowStamp = 0;
int16_t ImpedanceCalState = -2;
TWeightingCurve WeightingCurve;

namespace {

// An array left from an earlier, failed call is kept, so that a retry completes the set.
template <typename T> bool Allocate(T *&array, int32_t length) {
    if (array == nullptr)
        array = new (std::nothrow) T[length]();
    return array != nullptr;
}

template <typename T> void Release(T *&array) {
    delete[] array;
    array = nullptr;
}

bool AllocateAll(bool withEmulatorBuffer) {
    TEngineBuffers &b = EngineBuffers;
    if (!Allocate(b.AdcSampleBuffer, MaxBlockSize))
        return false;
    if (withEmulatorBuffer && !Allocate(b.EmulatorAdcBuffer, MaxBlockSize))
        return false;
    if (!Allocate(b.RecognitionWork, MaxBlockSize + 1) || !Allocate(b.SampleVolts, MaxBlockSize) ||
        !Allocate(b.SampleTimeAxis, MaxBlockSize) || !Allocate(b.SyncCurve, MaxBlockSize) ||
        !Allocate(b.SyncTimeAxis, MaxBlockSize))
        return false;
    for (float *&curve : b.NoiseCurves)
        if (!Allocate(curve, MaxBlockSize))
            return false;
    if (!Allocate(b.ComplexSpectrum, MaxBlockSize + 1) || !Allocate(b.AveragedPower, MaxSpectrumBins) ||
        !Allocate(b.PowerSpectrum, MaxSpectrumBins) || !Allocate(b.WeightedLevels, MaxSpectrumBins) ||
        !Allocate(b.FrequencyAxis, MaxSpectrumBins))
        return false;
    if (!BuildPrbsReference())
        return false;
    if (!Allocate(b.PrbsCorrelation, PrbsReferenceLength))
        return false;
    for (float *&curve : b.Reflectograms)
        if (!Allocate(curve, ReflectogramLength))
            return false;
    return true;
}

} // namespace

int32_t AllocAnalysisBuffers(bool withEmulatorBuffer) {
    if (EngineBuffers.AllocatedSize == 0) {
        if (!AllocateAll(withEmulatorBuffer))
            return 0;
        // Curves that nothing has measured yet read as not measured, not as a measured zero.
        ClearReflectograms();
        std::fill(EngineBuffers.SyncCurve, EngineBuffers.SyncCurve + MaxBlockSize, NoValue);
    }
    EngineBuffers.AllocatedSize = DeviceSettings->AdcSize;
    return EngineBuffers.AllocatedSize;
}

bool AnalysisBuffersReady() {
    return EngineBuffers.AllocatedSize != 0;
}

void FreeAnalysisBuffers() {
    TEngineBuffers &b = EngineBuffers;
    Release(b.AdcSampleBuffer);
    Release(b.EmulatorAdcBuffer);
    Release(b.RecognitionWork);
    Release(b.SampleVolts);
    Release(b.SampleTimeAxis);
    Release(b.SyncCurve);
    Release(b.SyncTimeAxis);
    for (float *&curve : b.NoiseCurves)
        Release(curve);
    Release(b.ComplexSpectrum);
    Release(b.AveragedPower);
    Release(b.PowerSpectrum);
    Release(b.WeightedLevels);
    Release(b.FrequencyAxis);
    Release(b.PrbsCorrelation);
    for (float *&curve : b.Reflectograms)
        Release(curve);
    Release(b.PrbsPositiveIndexes);
    Release(b.PrbsNegativeIndexes);
    b.PrbsPositiveCount = 0;
    b.PrbsNegativeCount = 0;
    SetWeightingCurve(0, nullptr, nullptr);
    b.AllocatedSize = 0;
}

bool SetWeightingCurve(int32_t count, const float *frequencies, const float *attenuations) {
    TWeightingCurve &w = WeightingCurve;
    w.Count = 0;
    Release(w.Frequencies);
    Release(w.Attenuations);
    Release(w.AscendingFrequencies);
    Release(w.AscendingAttenuations);
    if (count < 1)
        return true;
    if (!Allocate(w.Frequencies, count) || !Allocate(w.Attenuations, count) ||
        !Allocate(w.AscendingFrequencies, count) || !Allocate(w.AscendingAttenuations, count)) {
        SetWeightingCurve(0, nullptr, nullptr);
        return false;
    }
    std::copy(frequencies, frequencies + count, w.Frequencies);
    std::copy(attenuations, attenuations + count, w.Attenuations);
    std::vector<int32_t> order(static_cast<std::size_t>(count));
    for (int32_t i = 0; i < count; ++i)
        order[static_cast<std::size_t>(i)] = i;
    // The index breaks ties, so that points of one frequency keep the file's order.
    std::sort(order.begin(), order.end(), [&](int32_t a, int32_t b) {
        return frequencies[a] < frequencies[b] || (frequencies[a] == frequencies[b] && a < b);
    });
    for (int32_t i = 0; i < count; ++i) {
        w.AscendingFrequencies[i] = frequencies[order[static_cast<std::size_t>(i)]];
        w.AscendingAttenuations[i] = attenuations[order[static_cast<std::size_t>(i)]];
    }
    w.Count = count;
    return true;
}
