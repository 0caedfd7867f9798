#pragma once

#include <QString>

// The text of a plan without a single measuring frequency.
extern const QString MirvakPlanNotSet;

// The lowest frequency a plan may hold, kHz: 0.04, or 0.3 for connection types above 5, rounded up to a
// whole multiple of the quantum.
double GetMirvakLowestFreq(double quantum);

// The selective minimum, kHz: the lowest measured frequency the selection band B allows at the sample
// rate (above 0.04 kHz only at the sample rates of 2048 and 4096 kHz).
double GetMirvakMinFreq();

// Checks the plan of the settings in force against the selection band, the maximum frequency and the
// lowest frequencies, after the meter's and then the generator's spectrum shift. True when the plan may
// run (message untouched); false with the message to show (the generator check's, when both fail).
bool ValidateMirvakPlan(QString &message);
