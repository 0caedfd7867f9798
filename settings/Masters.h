#pragma once

#include "settings/masters/MasterFreq.h"
#include "settings/masters/MasterLev.h"

// The frequency and level masters as the rest of the program calls them (the main window's timers and
// frequency range, the remote link, configuration loading), with their response to a new maximum
// frequency: a change by the factor r stops a run silently and rescales the plan.
void RescaleMasterFreq(double r);
void RescaleMasterLev(double r);

// The masters join the evaluation (their characteristics and frame hooks after every judged frame) and
// the recording (the level master's step level, and a recorded run begun anew in playback).
void RegisterMasterServices();
