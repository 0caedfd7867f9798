#pragma once

// The frequency and level masters follow a change of the maximum frequency by the factor r.
void RescaleMasterFreq(double r);
void RescaleMasterLev(double r);

class QObject;

// One step of a running master, called by the main window's master timers (passed on as the sender).
// Not built yet: the masters join with the settings window, and until then a step does nothing.
void MasterFreqStep(QObject *timer);
void MasterLevStep(QObject *timer);
