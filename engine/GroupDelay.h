#pragma once

// The group delay of the comb lines from their phases, on the comb as MeasureMtts left it: the
// averaged line phases (ResultArrays.Phase) and the group delay curve (ResultArrays.GroupDelay, us).
void MeasureGroupDelay();
