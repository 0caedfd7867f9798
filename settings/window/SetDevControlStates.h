#pragma once

#include <cstdint>
#include <functional>

// The enabling table of the settings window: which controls the user may touch, by connection type,
// playback, scenario and run state. Plain data and logic, so that it is checked without a window.

struct TControlStateInputs {
    bool ScenarioRunning = false;
    bool PlaybackOn = false;
    bool UseRecordedSettings = false;
    int ConnectionType = 0;
    bool RemoteLinkAvailable = false;
    int PrecisionItem = 0; // item of RG_B_Precision
    int ConnectionKind = 0;
    int ConnectState = 0;
    int PeerConnectState = 0;
    int MirvakRunState = 0;
    bool EventCounting = false;
    int RndState = 0;
    int SignalKind = 0;
    int GenRefItem = 0;   // item of CB_G9_ref
    int MeterRefItem = 0; // item of CB_M9_ref
};

// The inputs as the record and the program-wide values hold them now (the two preset items excluded).
TControlStateInputs CurrentControlStateInputs();

struct TControlConditions {
    bool RemoteAvail;
    bool GenAllowed;
    bool MeterAllowed;
    bool MeterEditable;
    bool CommonAllowed;
    bool Exchange;
    bool PeerLinked;
    bool SelRun;
};

TControlConditions ControlConditions(const TControlStateInputs &in);

// Calls set(object name, enabled) for every control of the table, in the table's order. In playback the
// remote group and the Generator page are inert: their frames are disabled and their controls enabled,
// and the generator group's impedance and reference edits are not touched.
void ForEachControlState(const TControlStateInputs &in, const std::function<void(const char *, bool)> &set);
