#include "engine/MasterParam.h"

#include "chartlib/Chartlib.h"
#include "platform/NoValue.h"
#include "state/DeviceSettings.h"

#include <algorithm>
#include <cmath>

TMaster_Param *FreqMasterParam = nullptr;
TMaster_Param *LevelMasterParam = nullptr;

namespace {

// A level-master frame counts when its tone lies within half a spectrum step of the set frequency, and
// never closer than this (kHz), so that a very fine spectrum still accepts the generator's tone.
constexpr float MinLevelTolerance = 0.006f;

// The running mean of a point after one more measurement; count already includes it.
float RunningMean(float mean, int32_t count, float value) {
    return float((double(count - 1) * mean + value) / count);
}

} // namespace

TMaster_Param::TMaster_Param() : CurrentX(NoValue), CurrentY(NoValue) {}

TMaster_Param::~TMaster_Param() {
    Clear();
}

void TMaster_Param::Clear() {
    Points.clear();
    FreeArrays();
    StepTick = FreqStepTick = ArmTick = TimerStartTick = 0;
    StepTime = 0;
    ResetCurrent();
}

void TMaster_Param::FreeArrays() {
    ArrayCount = 0;
    xValues_ = {};
    yValues_ = {};
    LastIndex = -1;
}

void TMaster_Param::ResizeArrays(int32_t count) {
    FreeArrays();
    if (count <= 0)
        return;
    xValues_.resize(std::size_t(count));
    yValues_.resize(std::size_t(count));
    ArrayCount = count;
}

void TMaster_Param::ResetCurrent() {
    CurrentX = NoValue;
    CurrentY = NoValue;
}

void TMaster_Param::SetCurrent(float x, float y) {
    CurrentX = x;
    CurrentY = y;
}

void TMaster_Param::RestartAveraging() {
    if (LastIndex < 0 || LastIndex >= int32_t(Points.size()))
        return;
    Points[std::size_t(LastIndex)].count = 1;
    ResetCurrent();
}

// Puts a point at its place by x (after the points of equal x) and returns its index. A merge by
// measured x moves a point's x, which may carry it past a neighbour: it is taken out and put back, so
// that the curve and its interpolation keep an ascending x.
int32_t TMaster_Param::InsertSorted(const T_fXY &point) {
    const auto at =
        std::upper_bound(Points.begin(), Points.end(), point.x, [](float x, const T_fXY &p) { return x < p.x; });
    return int32_t(Points.insert(at, point) - Points.begin());
}

void TMaster_Param::CopyPoints() {
    if (ArrayCount != int32_t(Points.size())) {
        const int32_t keep = LastIndex;
        ResizeArrays(int32_t(Points.size()));
        LastIndex = keep;
    }
    for (std::size_t i = 0; i < Points.size(); ++i) {
        xValues_[i] = Points[i].x;
        yValues_[i] = Points[i].y;
    }
}

float TMaster_Param::ReferenceLevel(float referenceX) const {
    if (ArrayCount <= 0)
        return NoValue;
    const float *x = xValues_.data();
    const float *y = yValues_.data();
    if (referenceX < 0)
        return 0;
    if (referenceX == 0)
        return *std::max_element(y, y + ArrayCount);
    if (referenceX < x[0] || referenceX > x[ArrayCount - 1])
        return NoValue;
    float r = NoValue;
    for (int32_t i = 0; i + 1 < ArrayCount; ++i) {
        if (x[i] > referenceX || referenceX > x[i + 1] || y[i] == NoValue || y[i + 1] == NoValue)
            continue;
        // Two points at the same x give their first level rather than a division by zero.
        const float span = x[i + 1] - x[i];
        r = span > 0 ? y[i] + (y[i + 1] - y[i]) * (referenceX - x[i]) / span : y[i];
    }
    return r;
}

void TMaster_Param::NormaliseLevels(float referenceX) {
    const float r = ReferenceLevel(referenceX);
    for (int32_t i = 0; i < ArrayCount; ++i)
        yValues_[std::size_t(i)] = r == NoValue ? NoValue : yValues_[std::size_t(i)] - r;
}

bool TMaster_Param::AddCurrentPoint(float referenceX, bool byMeasuredX, float stepX) {
    if (CurrentX == NoValue || CurrentY == NoValue)
        return false;
    const float h = DeviceSettings->SpectrumStep / 2;
    auto near = [&](const T_fXY &p) { return byMeasuredX ? std::fabs(CurrentX - p.x) < h : p.x == stepX; };
    const auto found = std::find_if(Points.begin(), Points.end(), near);
    const bool added = found == Points.end();
    if (!added) {
        T_fXY p = *found;
        Points.erase(found);
        ++p.count;
        if (byMeasuredX)
            p.x = RunningMean(p.x, p.count, CurrentX);
        p.y = RunningMean(p.y, p.count, CurrentY);
        LastIndex = InsertSorted(p);
    } else {
        if (int32_t(Points.size()) >= MaxPoints)
            return false;
        InsertSorted({byMeasuredX ? CurrentX : stepX, CurrentY, 1});
        ResizeArrays(int32_t(Points.size()));
    }
    CopyPoints();
    NormaliseLevels(referenceX);
    return added;
}

bool TMaster_Param::AddLevelPoint(float measuredFrequency, float setFrequency, float setLevel, float measuredLevel) {
    if (setLevel == NoValue || measuredLevel == NoValue)
        return false;
    if (!IsToneAtFrequency(measuredFrequency, setFrequency))
        return false;
    const double level = RoundToPrecision(setLevel);
    const auto found =
        std::find_if(Points.begin(), Points.end(), [&](const T_fXY &p) { return RoundToPrecision(p.x) == level; });
    if (found != Points.end()) {
        T_fXY &p = *found;
        ++p.count;
        p.y = RunningMean(p.y, p.count, measuredLevel - setLevel);
        LastIndex = int32_t(found - Points.begin());
        CopyPoints();
        return false;
    }
    if (int32_t(Points.size()) >= MaxPoints)
        return false;
    InsertSorted({setLevel, measuredLevel - setLevel, 1});
    ResizeArrays(int32_t(Points.size()));
    CopyPoints();
    return true;
}

bool IsToneAtFrequency(float measuredFrequency, float setFrequency) {
    const float tolerance = std::max(DeviceSettings->SpectrumStep / 2, MinLevelTolerance);
    return std::fabs(measuredFrequency - setFrequency) <= tolerance;
}

void DeleteMasterParams() {
    delete FreqMasterParam;
    FreqMasterParam = nullptr;
    delete LevelMasterParam;
    LevelMasterParam = nullptr;
}
