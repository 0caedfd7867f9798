#pragma once

#include <cstdint>
#include <functional>

// The x and y arrays of a masked curve with its point count; Count 0 when there is none.
struct TCurve {
    const float *X = nullptr;
    const float *Y = nullptr;
    int32_t Count = 0;
};

// The curves in the engine's buffers, as the evaluators judge them.
TCurve OscillogramCurve();      // block in volts over its time axis
TCurve SyncOscillogramCurve();  // the SYNC oscillogram
TCurve SpectrumCurve();         // displayed power spectrum from bin 1
TCurve WeightedSpectrumCurve(); // weighted levels from bin 1
TCurve ReflectogramLevelCurve();
TCurve ReflectogramPercentCurve();
TCurve PhasogramCurve(int32_t index); // NOISE phasogram curve 0..3 over the phase axis
TCurve LineResultCurve(int32_t graphKind); // a per-line result of the comb (kinds 5 to 15, 20)

// Curves held outside the engine's buffers (the selective mode's plan and line curves) are published by their owners per mask slot; an unpublished slot has no curve.
void SetSlotCurveSource(int32_t slot, std::function<TCurve()> source);
TCurve PublishedSlotCurve(int32_t slot);
