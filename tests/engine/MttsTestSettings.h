#pragma once

#include "EngineTestSettings.h"

#include "engine/Calibration.h"
#include "engine/DslRatePotential.h"
#include "engine/GeneratorSynthesis.h"
#include "engine/ImpedanceMeasurement.h"
#include "engine/ResultArrays.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "engine/masks/MaskArray.h"

#include <cmath>
#include <cstring>

// The multitone's state back at its start for each test: catalogue rows, per-line arrays, the line
// response, the cable, the impedance model and an instrument image without calibration.
class MttsTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        BuildParamCatalogue();
        ClearResultArrays();
        LineAfc = TLineAfc{};
        CableLengthKm = NoValue;
        CableModelIndex = 2;
        ImpedanceModel = TImpedanceModel{};
        LastLoopResistance = {};
        LastCapacitance102 = {};
        ImpedanceCalState = -2;
        GenRangeStep = 0;
        EngineBuffers.NoiseReference = TNoiseReference{};
        std::memset(EepromImage, 0, sizeof EepromImage);
        Settings.SpectrumStep = Settings.SampleRate / Settings.AdcSize;
        Settings.MeterRef = 0;
        Settings.MinSnr = 20;
        Settings.AfcRef = -1;
        Settings.GvpRef = 0;
    }
    void TearDown() override {
        FreeAllMasks();
        EngineTest::TearDown();
    }

    // The comb in bins of the 2048-point spectrum, which is also the block length here.
    void SetComb(int32_t start, int32_t spacing, int32_t count) {
        EngineBuffers.CombStart = start;
        EngineBuffers.CombSpacing = spacing;
        EngineBuffers.CombLineCount = count;
    }

    // The power sum that PowerToDbm0 turns into the given level at the meter's impedance (types other
    // than 3 and 8, reference 0).
    double PowerOf(double levelDbm0) const {
        return std::pow(10.0, levelDbm0 / 10) * Settings.MeterImpedance * 798176.0625 / 1000;
    }

    // Every line of the comb up to half the sample rate at its level, every other bin at the noise
    // level per bin.
    template <typename LevelOf> void FillSpectrum(LevelOf lineLevel, double noisePerBin) {
        const TEngineBuffers &b = EngineBuffers;
        const double noise = PowerOf(noisePerBin);
        const int32_t bins = Settings.AdcSize / 2;
        for (int32_t k = 0; k < bins; ++k)
            b.PowerSpectrum[k] = static_cast<float>(noise);
        for (int32_t i = 0, k = b.CombStart; k < bins; ++i, k += b.CombSpacing)
            b.PowerSpectrum[k] = static_cast<float>(PowerOf(lineLevel(i)));
    }

    void SetMask(int32_t slot, int32_t side, std::vector<TMaskPoint> points) {
        MaskArray[slot][side] = std::make_unique<TMASK>();
        MaskArray[slot][side]->Points = std::move(points);
        MaskArray[slot][side]->Active = 1;
        MaskArray[slot][side]->Upper = side == MaskUpperSide;
    }
};
