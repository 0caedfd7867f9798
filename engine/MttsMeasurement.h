#pragma once

// The multitone measurement on the comb found by recognition: per-line levels, signal-to-noise,
// attenuation and bit loading, and the MTTS rows derived from them.
void MeasureMtts();

// The group delay from the phases of the comb lines, as MeasureMtts left them.
void MeasureGroupDelay();
