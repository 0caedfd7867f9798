#pragma once

#include <cstdint>

// The selective items of the result holder turned into the work record and the selective result rows,
// by sub-mode: AFC and its calibration, scan, level monitoring, impedance. end is 1 when the item
// completes a point (or a scan). Nothing without a holder.
void ProcessMirvakResult(int32_t end);

void ProcessMirvakAfc(int32_t end);
void ProcessMirvakScan(int32_t end);
void ProcessMirvakMonitor(int32_t end);

// The level of a bin less the weighting characteristic at its frequency, when one is loaded.
void SetWeightedBinLevel(int32_t bin);
