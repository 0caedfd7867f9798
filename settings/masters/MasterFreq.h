#pragma once

#include "settings/masters/MasterRun.h"

class QObject;

// The frequency master: the generator steps its SIN through a plan of frequencies (DeviceSettings->MasterF)
// while the meter follows in a narrow band around each frequency or measures in one wide band, and every
// SIN frame adds its attenuation to the amplitude-frequency characteristic (FreqMasterParam, graph kind
// 18). Steps come from the main window's master timers (timed run) or from the page's Next button.

extern TMasterRun MasterFreqRun;
extern const TMasterKind MasterFreqKind;

void StartMasterFreq();
// The generator half unless `sender` is Timer_M9master, the meter half unless it is Timer_G9master.
void MasterFreqStep(QObject *sender);
bool NextMasterFreqGenerator();
bool NextMasterFreqMeter();
void EndMasterFreqGenerator();
// Writes the SIN rows into the protocol, gives back the averaging interval and re-sends the mode.
void FinishMasterFreq();
void StopMasterFreqIfRunning();
// The silent reset: no protocol rows, no command, the averaging interval stays as the run left it.
void StopMasterFreq();
void ResetMasterFreqRun();
// After every evaluated frame of a measuring connection type: arms a timed narrow-band run's meter timer.
void MasterFreqFrameHook();
// Every SIN frame of a measuring connection type: the pending point of the last frame joins the
// characteristic and this frame's becomes pending.
void UpdateMasterFreqParam();
