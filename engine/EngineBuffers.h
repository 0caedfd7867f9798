#pragma once

#include "platform/NoValue.h"

#include <cstdint>

// Every engine array is sized once for the largest block; loops run over DeviceSettings->AdcSize.
inline constexpr int32_t MaxBlockSize = 32768;
inline constexpr int32_t MaxSpectrumBins = MaxBlockSize / 2;
inline constexpr int32_t PrbsReferenceLength = 2046;
inline constexpr int32_t ReflectogramLength = 1023;
inline constexpr int32_t NoiseCurveCount = 5;
inline constexpr int32_t ReflectogramCount = 4;
inline constexpr int32_t MaxCombLines = 256;
inline constexpr int32_t NoiseReferenceCapacity = 1024;

// Count, mean and mean of squares of the SIN level since the tone last changed.
struct TSinLevelStats {
    double Count = 0;
    double Mean = 0;
    double MeanOfSquares = 0;
};

// The stored noise spectrum: taken from NOISE blocks (128 points) or by the multitone measurement
// (one point per comb line); the line analysis and the rate potential read it.
struct TNoiseReference {
    double Stamp = 0;    // TDateTime of the block it was taken from
    float Impedance = 0; // Ohm, the load the levels refer to
    int32_t Count = 0;
    float Frequencies[NoiseReferenceCapacity] = {}; // kHz
    float Levels[NoiseReferenceCapacity] = {};      // dBm
};

// What recognition found in the last block, so that a change of kind or of tone positions is seen.
struct TLastRecognition {
    int32_t Kind = 0;
    int32_t ToneBin1 = 0;
    int32_t ToneBin2 = 0;
    int32_t CombStart = 0;
    int32_t CombSpacing = 0;
    int32_t CombLineCount = 0;
};

// The engine's static record: heap arrays allocated once by AllocAnalysisBuffers, and the scalars
// that the analysis steps hand to each other from block to block.
struct TEngineBuffers {
    int32_t AllocatedSize = 0; // 0 until the arrays exist, then the block size of the last call

    int16_t *AdcSampleBuffer = nullptr;   // raw signed codes of the last block
    int16_t *EmulatorAdcBuffer = nullptr; // demo mode only
    int32_t *RecognitionWork = nullptr;   // MaxBlockSize + 1; element 0 unused, samples from 1
    float *SampleVolts = nullptr;
    float *SampleTimeAxis = nullptr; // us
    float *SyncCurve = nullptr;
    float *SyncTimeAxis = nullptr;
    float *NoiseCurves[NoiseCurveCount] = {};
    float *ComplexSpectrum = nullptr; // MaxBlockSize + 1; DC at 0, Nyquist at 1, bin k at 2k and 2k + 1
    float *AveragedPower = nullptr;
    float *PowerSpectrum = nullptr;
    float *WeightedLevels = nullptr;
    float *FrequencyAxis = nullptr; // kHz
    int32_t *PrbsCorrelation = nullptr;
    float *Reflectograms[ReflectogramCount] = {};
    int16_t *PrbsPositiveIndexes = nullptr;
    int16_t *PrbsNegativeIndexes = nullptr;
    int16_t PrbsPositiveCount = 0;
    int16_t PrbsNegativeCount = 0;

    int32_t DisplayPointCount = 0;
    int32_t NoiseCurveLength = 0;
    int32_t BandLowBin = 0;
    int32_t BandHighBin = 0;
    int32_t ToneBin1 = 0; // ToneBin1 <= ToneBin2
    int32_t ToneBin2 = 0;
    int32_t AveragingContinues = 0; // 0 makes the next block restart the average
    float AveragingWeight = 1;
    float SampleGain = 0; // volts per ADC code
    int16_t OverloadFlag = 0;
    float MeterScaleLevel = 35; // dB, meter full scale of the input range
    float ReceivedLevelDbm = 0;
    int32_t ForcedKindHint = 0; // 0, 3 (MTTS) or 4 (PRBS)

    TSinLevelStats SinLevelStats;
    // The multitone comb: lines at CombStart + j·CombSpacing, j < CombLineCount; all 0 when the last
    // recognition found no valid comb.
    int32_t CombStart = 0;
    int32_t CombSpacing = 0;
    int32_t CombLineCount = 0;
    float CombLineSignal[MaxCombLines] = {}; // dBm0
    float CombLineNoise[MaxCombLines] = {};  // dBm0
    int16_t PrbsPeakLag = 0;                 // lag of the strongest PRBS correlation
    TNoiseReference NoiseReference;
    TLastRecognition LastRecognition;
};

extern TEngineBuffers EngineBuffers;

// Kind of the last analysed block: 0 settling, 1 SIN, 2 SIN2, 3 MTTS, 4 PRBS, 5 NOISE, 6 selective, 7 SYNC.
extern int32_t SignalKind;

// Time stamp of the newest data (days since 30.12.1899), advanced by the data handlers before the
// block is analysed.
extern double NowStamp;
inline constexpr double SecondsPerDay = 86400.0;

// State of the impedance-meter calibration: -2 no impedance mode, -1 calibration impossible, 0..5 working.
extern int16_t ImpedanceCalState;

// The weighting characteristic in force: Count 0 means none. Frequencies and Attenuations keep the order
// of the file they came from (configurations, the settings page and the peer carry it so); the
// interpolation runs over the ascending copy. Set it through SetWeightingCurve; FreeAnalysisBuffers
// releases its arrays.
struct TWeightingCurve {
    int32_t Count = 0;
    float *Frequencies = nullptr;  // kHz
    float *Attenuations = nullptr; // dB
    float *AscendingFrequencies = nullptr;
    float *AscendingAttenuations = nullptr; // in the order of AscendingFrequencies
};
extern TWeightingCurve WeightingCurve;

// Replaces the weighting characteristic by count points (none when count < 1). Points of equal frequency
// keep their order in the ascending copy. False, with no characteristic left, when memory ran out.
bool SetWeightingCurve(int32_t count, const float *frequencies, const float *attenuations);

// Allocates and zero-fills every array once; later calls only note the current block size. Returns
// that size, or 0 when an allocation failed (the arrays allocated before it stay).
int32_t AllocAnalysisBuffers(bool withEmulatorBuffer);

// True when every array that the analysis of a block needs exists.
bool AnalysisBuffersReady();

void FreeAnalysisBuffers();
