#include "link/Library.h"

#include "engine/Calibration.h"
#include "engine/EngineBuffers.h"
#include "engine/GeneratorSynthesis.h"
#include "engine/LevelConversion.h"
#include "link/Ft_spi.h"
#include "link/LibraryPackets.h"
#include "platform/CommandWait.h"
#include "state/DeviceSettings.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

TDspIo9 *DspIo = nullptr;
TEmulator *Emulator = nullptr;
std::int32_t EmuGenMode = 0;
std::int16_t GenCalibrationMode = 1;
std::int16_t FreqCorrTable[FreqCorrTableLength] = {};

bool ConnectionOpen() {
    return DspIo != nullptr || Emulator != nullptr;
}

namespace {

// Sample rates (kHz) above which each code applies; below the last one the code is 10.
constexpr std::array<float, 10> SampleRateSteps = {10000, 5000, 2500, 1250, 625, 312, 156, 78, 39, 19};

struct ImpedanceCode {
    int ohms;
    std::int16_t code;
};
constexpr std::array<ImpedanceCode, 5> GenImpedanceCodes = {{{75, 0}, {100, 1}, {120, 3}, {135, 4}, {600, 6}}};
constexpr std::array<ImpedanceCode, 5> MeterImpedanceCodes = {{{75, 6}, {100, 1}, {120, 2}, {135, 3}, {600, 5}}};
constexpr std::int16_t OtherImpedanceCode = 1;

constexpr std::array<float, 4> MeterScaleLevels = {35, 15, -5, -25};
constexpr float OtherMeterScaleLevel = -5;
constexpr std::array<std::int16_t, 4> InputRangeCodes = {3, 0, 1, 2};

std::int16_t ImpedanceCodeOf(float ohms, const std::array<ImpedanceCode, 5> &table) {
    const std::int64_t rounded = RoundCode(ohms);
    const auto found =
        std::find_if(table.begin(), table.end(), [&](const ImpedanceCode &e) { return e.ohms == rounded; });
    return found != table.end() ? found->code : OtherImpedanceCode;
}

} // namespace

std::int16_t SampleRateCode() {
    const float fs = DeviceSettings->SampleRate;
    for (std::size_t i = 0; i < SampleRateSteps.size(); ++i)
        if (fs > SampleRateSteps[i])
            return std::int16_t(i);
    return std::int16_t(SampleRateSteps.size());
}

std::int16_t GenImpedanceCode() {
    const std::int16_t type = DeviceSettings->ConnectionType;
    if (type == 4 || (type > 5 && type != 11))
        return 0;
    return DeviceSettings->GenLowImpedance ? 0 : ImpedanceCodeOf(DeviceSettings->GenImpedance, GenImpedanceCodes);
}

std::int16_t MeterImpedanceCode() {
    SetMeterScaleLevel();
    const std::int16_t type = DeviceSettings->ConnectionType;
    if (type == 4 || (type > 5 && type != 12))
        return 6;
    return DeviceSettings->MeterHighImpedance ? 6
                                              : ImpedanceCodeOf(DeviceSettings->MeterImpedance, MeterImpedanceCodes);
}

void SetMeterScaleLevel() {
    const int index = DeviceSettings->MaxLevelIndex;
    EngineBuffers.MeterScaleLevel = index >= 0 && index < 4 ? MeterScaleLevels[index] : OtherMeterScaleLevel;
}

std::int16_t InputRangeCode() {
    const int index = DeviceSettings->MaxLevelIndex;
    return index >= 0 && index < 4 ? InputRangeCodes[index] : std::int16_t(index);
}

PathCodes PathCodesFor(std::int16_t s) {
    const std::int16_t high = s > 6;
    switch (DeviceSettings->ConnectionType) {
    case 2:
    case 3:
    case 4:
        return {3, 6, std::int16_t(high ? 6 : 1)};
    case 5:
        return {5, std::int16_t(high ? 5 : 1), std::int16_t(high ? 6 : 1)};
    case 7:
    case 8:
    case 10:
        return {8, 6, 0};
    case 9:
        return {9, 6, 0};
    default:
        return {3, 6, 1};
    }
}

std::int16_t ConnectionModeCode() {
    const std::int16_t type = DeviceSettings->ConnectionType;
    if (type == 10)
        return 8;
    if (type == 11 || type == 12)
        return 9;
    return type;
}

void CalibrKoef_set(GenCalibration &out, float maxFrequency, bool bcPath) {
    const TCalibrationRow row = ReadCalibrationRow(CalibrationIndex(maxFrequency, bcPath ? 1 : 0, 0, GenRangeStep));
    out = {row.c0, row.c1, row.c2};
    AdjustCalibration(DeviceSettings->SampleRate, out.k0, out.k1, out.k2);
}

GenCalibration CurrentGenCalibration() {
    GenCalibration calibration;
    CalibrKoef_set(calibration, DeviceSettings->MaxFrequency, BcGeneratorPath(DeviceSettings->ConnectionType));
    return calibration;
}

void CalcFreqCorrTable(std::int16_t k0, std::int16_t k1, std::int16_t k2) {
    for (int i = 0; i < FreqCorrTableLength; ++i) {
        const float x = float(i) / 1024;
        const double gain =
            double(PassbandCurve0(x)) * (k0 + 8192) + double(PassbandCurve1(x)) * k1 + double(PassbandCurve2(x)) * k2;
        FreqCorrTable[i] = std::int16_t(std::clamp<std::int64_t>(RoundCode(gain), INT16_MIN, INT16_MAX));
    }
}

std::int16_t CalcDacCode(float level, std::uint32_t phaseStep) {
    const std::int64_t code =
        GenAmplitude(level, DeviceSettings->GenImpedance, DeviceSettings->GenRef, DeviceSettings->ConnectionType,
                     DeviceSettings->GenLowImpedance, 1.0f, 10952);
    const GenCalibration k = CurrentGenCalibration();
    CalcFreqCorrTable(k.k0, k.k1, k.k2);
    const std::uint32_t entry = std::min<std::uint32_t>(phaseStep >> 22, FreqCorrTableLength - 1);
    const std::int64_t corrected = (FreqCorrTable[entry] * code) >> 13;
    return std::int16_t(std::clamp<std::int64_t>(corrected, INT16_MIN, INT16_MAX));
}

std::int32_t GenAmplitude(float level, float R, float ref, std::int32_t connectionType, bool lowImpedance,
                          float amplitude, float limit) {
    return ChooseGenRangeStep(LevelToCode(level, R, ref, connectionType, lowImpedance), amplitude, limit);
}

std::int16_t PrepareOutputRange() {
    const std::int16_t type = DeviceSettings->ConnectionType;
    if (!FtSpi || !BcGeneratorPath(type))
        return GenRangeStep;
    if (!FtSpi->BusBC)
        FtSpi->SelectBusBC(true);
    const std::int16_t range = GenRangeStep == 1 ? 0 : GenRangeStep;
    std::int32_t value = 0;
    if (!FtSpi->ReadRegs(RelayRegister, TFT_SPI::BcBoardChip, 1, &value)) {
        // Without the register's value the other relay bits cannot be kept: leave the register alone.
        ShowI2CError();
        return range;
    }
    std::int32_t wanted = value;
    if (GenRangeStep < 1)
        wanted |= AttenuatorBit;
    else if (GenRangeStep == 1)
        wanted &= ~AttenuatorBit;
    if (wanted != value) {
        if (!FtSpi->WriteReg(RelayRegister, TFT_SPI::BcBoardChip, wanted))
            ShowI2CError();
        WaitServingWindows(RegisterSettleMs);
    }
    return range;
}
