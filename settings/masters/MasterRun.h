#pragma once

#include <cstdint>

class QObject;
class TMaster_Param;
struct MasterBlock;
struct TDeviceSettings;

// The progress of one master's run; the frequency and the level master have one each.
struct TMasterRun {
    int32_t GenIndex = -1; // plan positions, skipped rows counted; -1 before the first step
    int32_t MeterIndex = -1;
    int32_t GenStep = -1; // steps taken, minus one
    int32_t MeterStep = -1;
    float GenValue;   // current generator and meter value (kHz or dBm0); NoValue before the first step
    float MeterValue;
    int32_t SavedAveraging = 0; // the averaging interval before the run, given back at its finish

    TMasterRun();
    void Reset();
};

// Set once a timed run's meter timer has been armed (kept set through a manual run): the frame hooks then
// do nothing. One flag for both masters, since only one runs at a time.
extern uint8_t MasterMeterArmed;

// What tells the two masters apart; the run's algorithms are the same for both. The level master sets
// its band once at the start (narrow: one spectrum step around its SIN frequency), walks its meter with
// either band, issues only the recompute with a meter step and arms its meter with either band once the
// tone is found at the SIN frequency; the frequency master's wide band stands still while its narrow band
// follows the plan with the mode re-sent.
struct TMasterKind {
    int Index; // MasterFreqIndex or MasterLevIndex
    bool Level;
    MasterBlock TDeviceSettings::*Block;
    TMasterRun *Run;
    TMaster_Param **Holder;
    void (*CreateParam)();
    // The generator's setting for a plan value: fits the frequency and switches the SIN on.
    void (*SetGenerator)(float planValue);
    // The graph kind that draws the characteristic (18, 19); its SIN parameter row is the curve's row.
    int GraphKind;
};

MasterBlock &BlockOf(const TMasterKind &kind);

void StartMaster(const TMasterKind &kind);
void MasterStep(const TMasterKind &kind, QObject *sender);
bool NextMasterGenerator(const TMasterKind &kind);
void EndMasterGenerator(const TMasterKind &kind);
// Advances the meter's plan position and value; false at the end of the plan.
bool NextMasterMeterValue(const TMasterKind &kind);
bool NextMasterMeter(const TMasterKind &kind);
void FinishMaster(const TMasterKind &kind);
void StopMasterIfRunning(const TMasterKind &kind);
void StopMaster(const TMasterKind &kind);
void ResetMasterRun(const TMasterKind &kind);
// Arms the meter timer of a timed run at the first SIN frame; `toneFound` is the level master's check of
// the measured frequency.
void MasterFrameHook(const TMasterKind &kind, bool toneFound);
