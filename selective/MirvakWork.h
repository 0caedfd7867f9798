#pragma once

#include "selective/SstScanLeakage.h"

#include <cstdint>
#include <vector>

// What the selective processing derives from the result holder: per-bin levels (graph kinds 21, 22) and
// per-point curves (kinds 23 to 36) with the calibration arrays. Rebuilt at every run start; the
// calibration arrays outlive a rebuild while their calibration is valid. Bin arrays have BinCount
// entries, point arrays PointCount entries; NoValue marks a point without a value, SelectiveGap a bin
// that was not measured.
struct TMirvakWorkArrays {
    int32_t BinCount = 0;
    std::vector<float> BinFreq;    // kHz
    std::vector<float> BinPower;   // smoothed power, linear
    std::vector<float> BinPhase;   // phase of the latest item, rad
    std::vector<double> BinTime;   // s of the latest update, 0 = never
    std::vector<float> BinLevel;   // dBm0
    std::vector<float> BinWeighted; // dBm0

    int32_t PointCount = 0;
    int32_t PlanPoints = 0; // points of a full pass
    int32_t HighestBin = 0; // highest bin reached in the current scan
    std::vector<float> PointFreq; // kHz
    std::vector<float> Afc;       // dB
    std::vector<float> AfcCal;    // dB, calibration correction

    std::vector<float> TransferRe, TransferIm;
    std::vector<float> R, X, ZMod, ZPhase;    // Ohm, Ohm, Ohm, degrees
    std::vector<float> MismatchA, MismatchK; // dB, %
    std::vector<float> C, L;                 // nF, uH
    std::vector<float> LineAtt, LinePhase, LineVelocity; // dB/km, rad/km, m/us
    std::vector<float> LineZMod, LineZPhase;              // Ohm, degrees
    std::vector<float> CalOpenRe, CalOpenIm, CalLoadRe, CalLoadIm;
    std::vector<float> ZOpenRe, ZOpenIm, ZShortRe, ZShortIm;

    // The scan's leakage removal, and per bin the power its level was last taken from.
    TScanLeakage ScanLeakage;
    std::vector<float> ScanLevelSource;
};
extern TMirvakWorkArrays MirvakWorkArrays;

// The not-measured level of a selective bin.
inline constexpr float SelectiveGap = -300.0f;

// The calibration flags of the selective mode, 1 = valid.
extern int32_t MirvakCalOpenValid, MirvakCalShortValid, MirvakCalLoadValid, MirvakCalAfcValid;
extern int32_t MirvakZOpenValid, MirvakZShortValid;
// Selection frequency of the latest selective result, kHz; NoValue while unset.
extern float MirvakSelectionFreq;

// Points of a full pass of the plan: range N, or the checked preset rows whose value differs from every
// earlier checked row.
int32_t MirvakPlanPoints();

// Rebuilds the record for the holder and the settings (a settings change of code 1 clears the
// calibrations first); without a holder only the scalars are reset.
void ResetMirvakWork();
// Frees the bin and point arrays; calibration arrays stay.
void FreeMirvakWork();
// Clears the six calibration flags and frees every array: the measurement stopped or playback met
// other selective settings.
void ResetMirvakCalibration();
