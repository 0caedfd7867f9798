#pragma once

#include <cstdint>

// The rules of the selective page that depend only on the settings: which sub-mode controls a connection
// type allows at a sample rate, and which sub-mode a connection type forces when the page is shown.

// How a group of sub-mode controls is enabled: never, always, when the plan modes are allowed (F), when
// the impedance modes are allowed (Z), or left as it is.
enum class TMirvakEnable : uint8_t { Off, On, F, Z, Keep };

struct TMirvakSubModeRule {
    TMirvakEnable Fc;          // RB_FC
    TMirvakEnable ScanMonitor; // RB_Scan, RB_Monitor
    TMirvakEnable Impedance;   // the impedance set
    // Only the impedance calibrations and the known load go off; the line measurements and the cable
    // length keep their state (no connection, or a type the table does not know).
    bool ImpedancePartly;
    TMirvakEnable AfcCal;  // RB_FC_L with its labels
    TMirvakEnable FcLEdit; // Edit_Mirvak_FC_L
    // Off takes the shift's reference edit and direction buttons along; On enables the label and the box.
    TMirvakEnable GenShift, MeterShift;
};

const TMirvakSubModeRule &MirvakSubModeRule(int connectionType);

// Plan modes need 2500 <= Fs < 2600, the impedance modes 2500 <= Fs < 10400 (kHz).
bool MirvakPlanModesAllowed(double sampleRate);
bool MirvakImpedanceModesAllowed(double sampleRate);
// The enabling of a rule's group; `current` for Keep.
bool MirvakGroupEnabled(TMirvakEnable rule, double sampleRate, bool current);

// The sub-mode the connection type leaves of `subMode` when the page shows the settings.
int8_t MirvakSubModeForConnection(int connectionType, int8_t subMode);
