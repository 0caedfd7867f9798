#pragma once

// The frequency grid of the selective mode, kHz: plan frequencies are whole multiples of the quantum, up
// to the top frequency, from the lowest frequency on. Set from the sample rate whenever the selective
// page shows the settings, and before a run.
extern double MirvakQuantum;
extern double MirvakTopFreq;
extern double MirvakLowestFreq;

// Quantum and top frequency by the sample rate (kHz); from 10400 kHz on the grid stays as it is.
void SetMirvakGrid(double sampleRate);
