#pragma once

#include "storage/recording/AstRecord.h"

#include <cstdint>

// The selective work state as the recorder's ".ast" record carries it, and its restoration in playback.
//
// The record's fields hold:
// - the six calibration flags: open, short, known load, AFC, open line, shorted line;
// - the three work values: the leads' capacitance, inductance and resistance found by the open and short
//   calibrations (float bits), which later runs use while those calibrations are valid;
// - N, the length of the point arrays, which the plan and the sub-mode give (a scan's bin count, one
//   for monitoring, the plan's points otherwise), so that a record of another N is one of other
//   settings; arrays A and B: the point frequencies and the AFC curve;
// - the bin arrays (at the work arrays' bin count): smoothed power, level and update time;
// - twelve point arrays: AFC calibration, transfer ratio (re, im), open calibration (re, im), load
//   calibration (re, im), open line (re, im), shorted line (re, im), and the phase of each measured bin
//   in ascending order (the phases the impedance curve is rebuilt from).
// The other curves (weighted levels, impedance, line parameters) and the count of points measured follow
// from these as the next item is processed.

// The work state now, whole.
TAstRecord MirvakAstRecord();

// The bin count of the work arrays, which sizes the bin arrays of the record.
int32_t MirvakAstBinCount();

// Playback met a record with another point count or sub-mode, or went back in the recording: the
// calibrations are forgotten and the holder and work arrays rebuilt for the recorded settings, with the
// selective sums scaled by the recorded band as the instrument's set-up does.
void RestartMirvakReplay();

// The result holder's bins no longer fit the recorded plan (or there is no holder): playback starts the
// selective work again, as a new run with another plan of the same size did live.
bool MirvakReplayPlanChanged();

// Puts a record's state into the work arrays and the calibration flags. Arrays that do not fit the
// holder's bins or points as they now stand are left as they are.
void RestoreMirvakWork(const TAstRecord &record);

// Registers the entries above with the recorder and playback.
void RegisterMirvakRecording();
