#pragma once

#include <QString>

// The outcome of one check of a selective plan against its limits: the first that holds, in this order.
enum MirvakPlanFault {
    MirvakPlanOk = 0,
    MirvakBelowBand = 1,          // the shifted lowest is below the selection band B
    MirvakAboveMaxFrequency = 2,  // the shifted highest is above the maximum frequency
    MirvakBelowLowestPlanFreq = 3, // the shifted lowest is below the lowest plan frequency
    MirvakBelowSelectiveMin = 4,  // the shifted lowest is below the selective minimum (meter check only)
};

enum class MirvakCheck { Meter, Generator };
// Where the checked frequencies come from: the preset list, the range F1..FN, the scan bounds Fc1..FcN
// (meter check of a scan) or the one generator frequency (generator check of a scan).
enum class MirvakSource { PresetList, Range, ScanBounds, GeneratorFreq };
// A shift counts only when its option bit is set and its reference is above 0.
enum class MirvakShift { None, Direct, Inverse };

// One fault found by the plan validation, with the numbers it names, kHz.
struct TMirvakPlanCase {
    MirvakCheck Check = MirvakCheck::Meter;
    MirvakSource Source = MirvakSource::PresetList;
    MirvakPlanFault Fault = MirvakBelowBand;
    MirvakShift Shift = MirvakShift::None;
    float Lowest = 0, Highest = 0;               // before the shift
    float ShiftedLowest = 0, ShiftedHighest = 0; // after it
    float Reference = 0;                         // FcM or FcG
    float B = 0;
    float Limit = 0; // B, the maximum frequency, the lowest plan frequency or the selective minimum
};

// The message that tells the user which set value breaks which limit after the shift, and which value
// of the frequency, or else of the shift's reference, would keep it.
QString MirvakRecommendation(const TMirvakPlanCase &planCase);

// A number as the messages print it: three decimals after rounding to seven significant digits.
QString MirvakNumber(double value);
