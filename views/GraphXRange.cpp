#include "views/GraphXRange.h"

#include "state/DeviceSettings.h"

#include <algorithm>
#include <cmath>

double BottomIncrement(double span, int labelWidth, int plotWidth) {
    if (plotWidth <= 0)
        return 1;
    int k = 10;
    if (labelWidth > 0)
        k = std::clamp(plotWidth / (2 * labelWidth), 1, 10);
    const double step = span / k;
    if (!std::isfinite(step) || step <= 0)
        return 1;
    // Powers of ten run out long before these bounds; they only keep a denormal span from looping on.
    constexpr int MaxExponent = 400;
    if (step >= 10) {
        int i = 1;
        while (step / std::pow(10.0, i) > 10 && i < MaxExponent)
            ++i;
        const double power = std::pow(10.0, i);
        return step / power >= 5 ? 5 * power : power;
    }
    if (step >= 0.5)
        return 1;
    int i = 1;
    while (step * std::pow(10.0, i) < 1 && i < MaxExponent)
        ++i;
    const double power = std::pow(10.0, i);
    return step * power >= 5 ? 5 / power : 1 / power;
}

void GetSyncTimeWindow(const TDeviceSettings &settings, double &minimum, double &maximum) {
    const double duration = std::trunc(1000.0 / settings.SpectrumStep);
    const int mode = settings.SyncEdgeMode;
    if (mode < 0 || mode > 3)
        return;
    const double delay = settings.SyncDelay[mode];
    if (mode <= 1) {
        minimum = delay;
        maximum = delay + duration;
    } else {
        minimum = delay - duration;
        maximum = delay;
    }
}

namespace {

// Smallest and largest value of the first count entries of a preset list, marked or not.
template <typename Entries> void ListSpan(const Entries &entries, int count, double &minimum, double &maximum) {
    for (int i = 0; i < count; ++i) {
        const double value = entries[i].Value;
        maximum = std::max(maximum, value);
        minimum = std::min(minimum, value);
    }
}

// A range plan F1, N, dF spans F1 - dF .. F1 + N dF.
void RangeSpan(double first, int steps, double step, double &minimum, double &maximum) {
    minimum = first - step;
    maximum = steps * step + first;
}

void Widen(double &minimum, double &maximum) {
    maximum += 0.2 * (maximum - minimum);
    minimum -= 0.2 * (maximum - minimum);
}

double Finite(double value) {
    return std::isfinite(value) ? value : 0;
}

// The frequency span of a plan (a master's or the selective mode's): its range plan when `byRange`, else
// the span of its preset list, or 0 .. fs/2 while the list has fewer than three entries.
template <typename Plan>
void FrequencyPlanSpan(const Plan &plan, bool byRange, double sampleRate, double &minimum, double &maximum) {
    if (byRange) {
        RangeSpan(plan.RangeStart, plan.RangeN, plan.RangeStep, minimum, maximum);
        return;
    }
    const int count = SetRowCount(plan);
    if (count < 3) {
        minimum = 0;
        maximum = sampleRate / 2;
        return;
    }
    minimum = plan.Set[0].Value;
    maximum = minimum;
    ListSpan(plan.Set, count, minimum, maximum);
}

} // namespace

void GetMasterFreqBand(const TDeviceSettings &settings, double &minimum, double &maximum) {
    const MasterBlock &master = settings.MasterF;
    FrequencyPlanSpan(master, master.Source & 1, settings.SampleRate, minimum, maximum);
}

void GetLevelMasterSpan(const TDeviceSettings &settings, double &minimum, double &maximum) {
    const MasterBlock &master = settings.MasterL;
    if (master.Source & 1) {
        RangeSpan(master.RangeStart, master.RangeN, master.RangeStep, minimum, maximum);
        return;
    }
    maximum = 120;
    minimum = -100;
    const int count = SetRowCount(master);
    if (count > 2) {
        maximum = -100;
        minimum = 120;
        ListSpan(master.Set, count, minimum, maximum);
    }
}

void GetMirvakBand(const TDeviceSettings &settings, double &lowest, double &highest) {
    const MirvakBlock &mirvak = settings.Mirvak;
    if (mirvak.SubMode == 1) {
        lowest = mirvak.Fc1 - 16.0 * mirvak.B;
        highest = mirvak.FcN + 16.0 * mirvak.B;
        return;
    }
    FrequencyPlanSpan(mirvak, mirvak.Flags & 1, settings.SampleRate, lowest, highest);
    // A preset list gives room for ten selection bands on either side, so that even a list of equal
    // frequencies spans an axis.
    if (!(mirvak.Flags & 1) && SetRowCount(mirvak) >= 3) {
        lowest -= 10.0 * mirvak.B;
        highest += 10.0 * mirvak.B;
    }
}

TDefaultXRange DefaultXRange(int kind, const TDeviceSettings &settings) {
    TDefaultXRange range;
    const double fs = settings.SampleRate;
    range.ZoomResolution = 2.0 * settings.PresentationStep;
    range.XMin = 0;
    if (kind == 0) {
        range.XMax = 1000.0 / settings.SpectrumStep;
        if (settings.SyncGenState > 0)
            GetSyncTimeWindow(settings, range.XMin, range.XMax);
        range.ZoomResolution = 2000.0 / fs;
    } else if (kind == 1 || kind == 2) {
        range.XMax = fs / 2;
        range.ResizeTable = true;
    } else if (kind == 3 || kind == 4) {
        const double dt = 1000.0 / fs;
        range.XMin = dt * -31 * settings.CableVelocity;
        range.XMax = dt * 991 * settings.CableVelocity;
        range.ZoomResolution = 2.0;
    } else if ((kind >= 5 && kind <= 15) || kind == 20) {
        range.XMin = settings.BandF0;
        range.XMax = settings.BandF1;
        range.ZoomResolution = (settings.BandF1 - settings.BandF0) * 0.01;
        range.Force = true;
        if (kind == 6) {
            range.SetsYRange = true;
            range.YShownMax = Finite(512000.0 / (fs * 0.5));
            range.YShownMin = -range.YShownMax;
        }
    } else if (kind == 16 || kind == 17 || kind == 37 || kind == 38) {
        range.XMax = 360;
        range.ZoomResolution = 0.1;
        range.ResizeTable = true;
    } else if (kind == 18 || kind == 19 || (kind >= 21 && kind <= 36)) {
        if (kind == 18)
            GetMasterFreqBand(settings, range.XMin, range.XMax);
        else if (kind == 19)
            GetLevelMasterSpan(settings, range.XMin, range.XMax);
        else
            GetMirvakBand(settings, range.XMin, range.XMax);
        Widen(range.XMin, range.XMax);
        if (kind == 19) {
            range.XMax = std::min(range.XMax, 120.0);
            range.XMin = std::max(range.XMin, -100.0);
            range.ZoomResolution = 0.1;
        } else {
            range.XMax = std::min(range.XMax, fs / 2);
            range.XMin = std::max(range.XMin, 0.0);
            if (kind == 18)
                range.ZoomResolution = std::min(range.ZoomResolution, (range.XMax - range.XMin) * 0.1);
            else
                range.ZoomResolution = 0.001;
        }
        range.ResizeTable = true;
    }
    // A damaged or unfinished settings record (a sample rate or a step of 0) must not put an infinite
    // range on an axis.
    range.XMin = Finite(range.XMin);
    range.XMax = Finite(range.XMax);
    range.ZoomResolution = Finite(range.ZoomResolution);
    return range;
}

bool RestoredBottomRange(double storedMin, double storedMax, double xMin, double xMax, double &minimum,
                         double &maximum) {
    if (storedMin == storedMax)
        return false;
    if (storedMin < xMin && storedMax > xMax) {
        minimum = xMin;
        maximum = xMax;
    } else {
        minimum = storedMin;
        maximum = storedMax;
    }
    return true;
}
