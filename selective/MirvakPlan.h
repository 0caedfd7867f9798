#pragma once

#include "state/MirvakBlock.h"

#include <cstdint>

// The plan of the selective mode as the instrument measures it: the grid snapping, the measuring points
// in run order, the phase words of the plan, the device code of the sub-mode and the generator tone of
// a scan run. Frequencies in kHz.

inline constexpr int8_t MirvakSubModeScan = 1;
inline constexpr int MirvakMaxScanPoints = 16395;

// v rounded to a whole multiple of MirvakQuantum (half away from zero for positive values); v itself
// while the grid has no quantum.
double SnapMirvakFreq(double v);

// How many run-order indexes the plan has (range N, or the stored preset rows), and the frequency of
// one of them: false for an unchecked preset row. Reverse order walks the plan from its end.
int MirvakPlanIndexCount(const MirvakBlock &m);
bool MirvakPlanPointAt(const MirvakBlock &m, int index, double &frequency);
// The first measuring frequency in run order, snapped; false when the plan has no measured point.
bool MirvakFirstPlanFreq(const MirvakBlock &m, double &frequency);

// The scan end that the page shows for a scan start, end and band: at most MirvakMaxScanPoints points,
// a whole multiple of the band, rounded to three decimals.
double LimitMirvakScanEnd(double fc1, double fcN, double band);

// Fills MirvakPlanSteps and MirvakPlanCount (the link's plan words) from the settings; the generator
// level codes of the points follow from them when the set-up command goes out.
void BuildMirvakPlan();
// MirvakBlock.DeviceSubMode from MirvakBlock.SubMode; other sub-modes leave it as it is.
void SetMirvakDeviceMode();
// The grid by the sample rate, and an empty result holder whose bins follow the plan.
void PrepareMirvakHolder();
// Puts the generator on the first measured plan point; false when the generator is off or the plan
// has no point.
bool StartMirvakTone();

extern int32_t MirvakToneIndex; // the plan point the generator plays during a scan run; -1 before it
extern float MirvakToneFreq;    // its frequency, kHz; 0 before it
