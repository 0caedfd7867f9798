#pragma once

#include <cstdint>
#include <vector>

// One point of a master's characteristic: the mean of every measurement merged into it.
struct T_fXY {
    float x = 0;
    float y = 0;
    int32_t count = 1;
};

// The characteristic a frequency or level master collects: points sorted by x, with the plain x and y
// arrays the graph windows of kinds 18 and 19 draw and the evaluation marks. Main thread only.
class TMaster_Param {
public:
    // The longest characteristic; a measurement that would need one more point is dropped.
    static constexpr int32_t MaxPoints = 2000;

    TMaster_Param();
    ~TMaster_Param();
    TMaster_Param(const TMaster_Param &) = delete;
    TMaster_Param &operator=(const TMaster_Param &) = delete;

    void Clear();
    void FreeArrays();
    void ResizeArrays(int32_t count);
    void ResetCurrent();
    void SetCurrent(float x, float y);
    // After a settings change the point last measured weighs as one measurement in its next merge.
    void RestartAveraging();
    // Merges the stored measurement into a point or adds it, then refreshes the arrays, normalised to
    // the level at referenceX (0: the maximum; below 0: absolute levels). True when a point was added.
    bool AddCurrentPoint(float referenceX, bool byMeasuredX, float stepX);
    // One level-master measurement: x the set level, y the measured level less the set level. True when
    // a point was added.
    bool AddLevelPoint(float measuredFrequency, float setFrequency, float setLevel, float measuredLevel);

    // x and y of every point, in the order of Points; ArrayCount entries each.
    const float *XValues() const { return xValues_.empty() ? nullptr : xValues_.data(); }
    const float *YValues() const { return yValues_.empty() ? nullptr : yValues_.data(); }

    // The master's timing words (tick counts, and the playback time of the step's start); the holder
    // only zeroes them.
    int32_t StepTick = 0;
    int32_t FreqStepTick = 0;
    double StepTime = 0;
    int32_t ArmTick = 0;
    int32_t TimerStartTick = 0;

    int32_t ArrayCount = 0;
    std::vector<T_fXY> Points; // ascending x
    float CurrentX;
    float CurrentY;
    int32_t LastIndex = -1; // the point the last call merged into; -1 after an add or a free

private:
    int32_t InsertSorted(const T_fXY &point);
    void CopyPoints();
    float ReferenceLevel(float referenceX) const;
    void NormaliseLevels(float referenceX);

    std::vector<float> xValues_;
    std::vector<float> yValues_;
};

// Whether a frame's measured frequency is the generator's tone at setFrequency (kHz): within half a
// spectrum step, and never closer than 0.006 kHz, so that a very fine spectrum still finds the tone.
bool IsToneAtFrequency(float measuredFrequency, float setFrequency);

// The holders of the frequency and the level master: created on the master's first start, deleted at
// the measurement stop; null while they do not exist.
extern TMaster_Param *FreqMasterParam;
extern TMaster_Param *LevelMasterParam;

// Deletes both holders (the measurement stop).
void DeleteMasterParams();
