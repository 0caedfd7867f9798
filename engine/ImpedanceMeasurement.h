#pragma once

// The load's impedance per comb line while the own generator sends the multitone on the measured pair,
// with the loop resistance and the capacitance at 1.02 kHz.
void MeasureImpedance();
