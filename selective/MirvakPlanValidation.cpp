#include "selective/MirvakPlanValidation.h"

#include "platform/NoValue.h"
#include "selective/MirvakRecommendation.h"
#include "state/DeviceSettings.h"
#include "state/MirvakGrid.h"

#include <algorithm>
#include <cmath>

const QString MirvakPlanNotSet = QStringLiteral("В режиме \"Мирвак\" не заданы значения измерительных частот.");

namespace {

constexpr int ScanSubMode = 1;
constexpr int RangePlanFlag = 0x01, ReverseOrderFlag = 0x02;
constexpr int MeterShiftOn = 0x01, MeterShiftDirect = 0x02, GeneratorShiftOn = 0x40, GeneratorShiftDirect = 0x80;

// The frequencies a check tests, kHz; NoValue while unset.
struct TExtents {
    float Lowest = NoValue;
    float Highest = NoValue;
    bool Set() const { return Lowest != NoValue && Highest != NoValue; }
};

float RangeEnd(const MirvakBlock &block) {
    return float(double(block.RangeStart) + double(block.RangeN - 1) * double(block.RangeStep));
}

// The plan's measured extents outside the scan: the range's ends, or the checked entries of the list.
TExtents PlanExtents(const MirvakBlock &block) {
    TExtents extents;
    if (block.Flags & RangePlanFlag) {
        extents.Lowest = block.RangeStart;
        extents.Highest = RangeEnd(block);
        return extents;
    }
    for (int i = 0; i < SetRowCount(block); ++i) {
        const SetEntry &entry = block.Set[i];
        if (!entry.Checked)
            continue;
        extents.Lowest = extents.Lowest == NoValue ? entry.Value : std::min(extents.Lowest, float(entry.Value));
        extents.Highest = extents.Highest == NoValue ? entry.Value : std::max(extents.Highest, float(entry.Value));
    }
    return extents;
}

// A scan plays one generator frequency: the plan's first in run order.
TExtents ScanGeneratorFrequency(const MirvakBlock &block) {
    TExtents extents;
    const bool reverse = block.Flags & ReverseOrderFlag;
    float frequency = NoValue;
    if (block.Flags & RangePlanFlag) {
        if (block.RangeN >= 1)
            frequency = reverse ? RangeEnd(block) : block.RangeStart;
    } else {
        const int count = SetRowCount(block);
        for (int step = 0; step < count && frequency == NoValue; ++step) {
            const SetEntry &entry = block.Set[reverse ? count - 1 - step : step];
            if (entry.Checked)
                frequency = entry.Value;
        }
    }
    extents.Lowest = extents.Highest = frequency;
    return extents;
}

MirvakShift ShiftOf(int options, int onBit, int directBit, float reference) {
    if (!(options & onBit) || !(reference > 0))
        return MirvakShift::None;
    return (options & directBit) ? MirvakShift::Direct : MirvakShift::Inverse;
}

void ApplyShift(TMirvakPlanCase &c) {
    const double low = c.Lowest, high = c.Highest, reference = c.Reference;
    switch (c.Shift) {
    case MirvakShift::None:
        c.ShiftedLowest = c.Lowest;
        c.ShiftedHighest = c.Highest;
        break;
    case MirvakShift::Direct:
        c.ShiftedLowest = float(low + reference);
        c.ShiftedHighest = float(high + reference);
        break;
    case MirvakShift::Inverse:
        c.ShiftedLowest = float(reference - high);
        c.ShiftedHighest = float(reference - low);
        break;
    }
}

// The first limit the shifted plan breaks; the selective minimum only where it is given (above 0).
MirvakPlanFault FirstFault(TMirvakPlanCase &c, float maxFrequency, float lowestPlan, float selectiveMin) {
    if (c.ShiftedLowest < c.B) {
        c.Limit = c.B;
        return MirvakBelowBand;
    }
    if (c.ShiftedHighest > maxFrequency) {
        c.Limit = maxFrequency;
        return MirvakAboveMaxFrequency;
    }
    if (c.ShiftedLowest < lowestPlan) {
        c.Limit = lowestPlan;
        return MirvakBelowLowestPlanFreq;
    }
    if (selectiveMin > 0 && c.ShiftedLowest < selectiveMin) {
        c.Limit = selectiveMin;
        return MirvakBelowSelectiveMin;
    }
    return MirvakPlanOk;
}

} // namespace

double GetMirvakLowestFreq(double quantum) {
    const double lowest = DeviceSettings->ConnectionType > 5 ? 0.3 : 0.04;
    return quantum > 0 ? quantum * std::ceil(lowest / quantum) : lowest;
}

// B is a float: the float nearest a bound counts as the bound (0.003 is stored a little above it).
double GetMirvakMinFreq() {
    const double sampleRate = DeviceSettings->SampleRate;
    const float b = DeviceSettings->Mirvak.B;
    if (sampleRate > 10000)
        return b <= 0.005f ? 150 : b <= 0.009f ? 250 : 400;
    if (sampleRate > 5000)
        return b <= 0.003f ? 20 : b <= 0.005f ? 100 : 200;
    return 0.04;
}

bool ValidateMirvakPlan(QString &message) {
    const MirvakBlock &block = DeviceSettings->Mirvak;
    const int subMode = block.SubMode;
    const bool scan = subMode == ScanSubMode;
    TExtents measured, generator;
    if (scan) {
        measured.Lowest = block.Fc1;
        measured.Highest = block.FcN;
        generator = ScanGeneratorFrequency(block);
    } else if (subMode >= -1 && subMode <= 8) {
        measured = generator = PlanExtents(block);
    }
    const MirvakSource planSource = (block.Flags & RangePlanFlag) ? MirvakSource::Range : MirvakSource::PresetList;
    const float maxFrequency = DeviceSettings->MaxFrequency;
    const float lowestPlan = float(GetMirvakLowestFreq(MirvakQuantum));

    bool result = true;
    if (!measured.Set()) {
        message = MirvakPlanNotSet;
        result = false;
    } else {
        TMirvakPlanCase meter;
        meter.Check = MirvakCheck::Meter;
        meter.Source = scan ? MirvakSource::ScanBounds : planSource;
        meter.Lowest = measured.Lowest;
        meter.Highest = measured.Highest;
        meter.Reference = block.FcM;
        meter.B = block.B;
        meter.Shift = ShiftOf(block.Options, MeterShiftOn, MeterShiftDirect, block.FcM);
        ApplyShift(meter);
        meter.Fault = FirstFault(meter, maxFrequency, lowestPlan, float(GetMirvakMinFreq()));
        // A scan is not held to the selective minimum.
        if (meter.Fault != MirvakPlanOk && !(scan && meter.Fault == MirvakBelowSelectiveMin)) {
            message = MirvakRecommendation(meter);
            result = false;
        }
    }

    if (!block.SinOn)
        return result;
    if (!generator.Set()) {
        message = MirvakPlanNotSet;
        return false;
    }
    TMirvakPlanCase check;
    check.Check = MirvakCheck::Generator;
    check.Source = scan ? MirvakSource::GeneratorFreq : planSource;
    check.Lowest = generator.Lowest;
    check.Highest = generator.Highest;
    check.Reference = block.FcG;
    check.B = block.B;
    check.Shift = ShiftOf(block.Options, GeneratorShiftOn, GeneratorShiftDirect, block.FcG);
    ApplyShift(check);
    check.Fault = FirstFault(check, maxFrequency, lowestPlan, 0);
    // Only the frequency response and the scan measure what the generator plays.
    if (check.Fault != MirvakPlanOk && (subMode == 0 || subMode == -1 || scan)) {
        message = MirvakRecommendation(check);
        result = false;
    }
    return result;
}
