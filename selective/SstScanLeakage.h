#pragma once

#include <cstdint>
#include <vector>

// What the leakage removal of a scan reads: the bins' frequencies (kHz) and smoothed powers, the highest
// bin measured so far, the noise floor and whether the low-frequency correction of the smallest input
// range applies.
struct TLeakageInput {
    const float *Freq = nullptr;
    const float *Src = nullptr;
    int32_t Count = 0;
    int32_t Highest = 0;
    float Floor = 0;
    bool LowFrequencyCorrection = false;
};

// The leakage removal of a scan's powers. Every local peak takes back from the bins around it the power
// its window leaked into them (in ascending order of the peaks, each from what the earlier peaks left of
// it); the skirts of each peak that end below the noise floor are filled with noise between half and all
// of the last level at or above the floor.
//
// The state is kept so that a scan's item, which changes one bin, recomputes only what that bin reaches:
// the peaks within two bins, the peaks whose share the change moves (until a stretch of the leakage
// reach passes unchanged), the bins those peaks reach and the skirts around them. Its results equal the
// full recomputation's bit for bit: the noise of the fill is drawn once per bin at Reset, in bin order,
// so a bin's fill depends only on the powers, not on how often it was recomputed.
class TScanLeakage {
public:
    // Sizes the state for n bins, all powers 0, and draws the fill noise from the engine's random source.
    void Reset(int32_t n);
    // Recomputes every bin.
    void Full(const TLeakageInput &in);
    // Src[bin] changed and the highest bin may have grown from previousHighest.
    void Update(const TLeakageInput &in, int32_t bin, int32_t previousHighest);

    const std::vector<float> &Output() const { return out_; }
    // Bins the last call may have changed.
    int32_t ChangedFirst = 0;
    int32_t ChangedLast = -1;

private:
    struct TReach {
        int32_t Left;
        int32_t Right;
    };
    bool UpdatePeak(const TLeakageInput &in, int32_t l, bool withShape);
    float Loss(int32_t l, int32_t distance, bool rightward) const;
    float ScaleOf(const TLeakageInput &in, int32_t l) const;
    TReach Reach(const TLeakageInput &in, int32_t l) const;
    void Fill(const TLeakageInput &in, int32_t l);
    // Recomputes the bins preFirst..preLast and refills the skirts of the peaks from fillFirst to fillLast.
    void Rebuild(const TLeakageInput &in, int32_t preFirst, int32_t preLast, int32_t fillFirst, int32_t fillLast);

    int32_t n_ = 0;
    std::vector<uint8_t> peak_;
    std::vector<uint8_t> strongRight_;
    std::vector<float> scale_;      // the peak bin's power left by the earlier peaks
    std::vector<float> gain_;       // what the peak takes back
    std::vector<float> correction_; // low-frequency factor of the peak bin, 1 for none
    std::vector<float> strong_;     // per peak, LeakageReach fractions on the larger neighbour's side
    std::vector<float> other_;      // ... and on the other side
    std::vector<float> pre_;        // after the leakage removal, before the fill
    std::vector<float> out_;
    std::vector<float> noise_; // 0 .. 1 per bin
};

// The leakage removal of a whole scan in one call: dst receives n bins.
void RemoveScanLeakage(const float *freq, const float *src, float *dst, int32_t n, int32_t highest);

// The noise floor of the fill for the current settings and gain.
float ScanLeakageFloor();
