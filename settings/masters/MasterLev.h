#pragma once

#include "settings/masters/MasterRun.h"

class QObject;

// The level master: at one SIN frequency (DeviceSettings->MasterL.SinValue) the generator steps its level
// through a plan of levels, the meter follows, and every settled SIN frame at that frequency adds the
// deviation of the measured from the set level to the amplitude characteristic (LevelMasterParam, graph
// kind 19). The twin of the frequency master.

extern TMasterRun MasterLevRun;
extern const TMasterKind MasterLevKind;

void StartMasterLev();
void MasterLevStep(QObject *sender);
bool NextMasterLevGenerator();
// Advances the meter to the next plan level; false at the end of the plan.
bool NextMasterLevMeterValue();
bool NextMasterLevMeter();
void EndMasterLevGenerator();
void FinishMasterLev();
void StopMasterLevIfRunning();
void StopMasterLev();
void ResetMasterLevRun();
// Arms a timed run's meter timer at the first frame whose tone is at the SIN frequency.
void MasterLevFrameHook();
// A timed run takes a frame only in the settled part of its step; a manual run takes every frame.
void UpdateMasterLevParam();
// The level of the meter's current step, as a recording keeps it with every settings record (NoValue
// before the first step).
float LevelMasterStepLevel();
// Playback of a settings record of a running level master: the recorded step level becomes the meter's,
// and the characteristic's step time becomes the record's time when a new step begins there (the level
// changed, the characteristic has no step yet, or the recording went back to its start).
void RestoreLevelMasterStep(float level, double time);
