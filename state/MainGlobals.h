#pragma once

#include <QString>

#include <cstdint>

// Program-wide values that the main window sets up at start and every subsystem may read.

extern int32_t InstanceNumber;       // 1 to 3: which of the copies running at once this one is
extern QString ProgramName;          // "R9_307", or "R9 ДЕМО-режим" in demonstration mode
extern int16_t ConnectionKind;       // 1 instrument over USB, 0 demonstration mode with the emulator
extern bool TechnologyMode;          // service controls shown, device faults only warned about
extern int32_t SpectrumTableMinStep; // 8; 0 with "/SPECTR_FULL": graph windows show every value row

inline constexpr int16_t ProgramVersionWord = 611;
inline constexpr const char *ProgramBuildDateText = "14.02.2014";
inline constexpr const char *OldestConfigVersionText = "V4.00";
extern QString ProgramVersionText; // "V6.11"

// Run control.
extern bool MeasurementRunning;
extern double RunStart;     // TDateTime of the last successful open of the instrument
extern double LastDataTime; // TDateTime (wall clock) of the newest block
extern bool Stopping;       // set while a measurement is being ended: recorder and protocol take nothing new
extern bool UserPaused;     // Pause was already down when code paused the measurement
extern bool RecordingOn;
extern bool PlaybackOn;
extern uint8_t ScenarioRunning; // 1 while a scenario runs

inline constexpr const char *DefaultProgramName = "R9_307";
inline constexpr const char *DemoProgramName = "R9 ДЕМО-режим";

// Config, Report\Temp<n> and the recording and protocol files carry the instance number in their names.
QString DefaultConfigName(int instance);
// Report/Temp<n>/ in the program folder: the measurement's protocol pages and the value files.
QString ReportTempFolder();

// Seconds per measurement step, indexed by DeviceSettings->AdcSizeIndex; refilled with every change of
// the maximum frequency or block size.
extern float StepTimeTable[5];
void FillStepTimeTable(float maxFrequency);
