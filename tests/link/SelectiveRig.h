#pragma once

#include "LinkTestPorts.h"

#include "link/Dspio9.h"
#include "state/DeviceSettings.h"

#include <cstdint>
#include <string>
#include <vector>

// One selective result as the main thread is handed it.
struct SstEvent {
    double Re = 0, Im = 0;
    std::uint32_t dP = 0, T = 0;
    std::int16_t OVR = 0, SstEnd = 0;
};

// The program's link to the simulated instrument that downloaded the selective program from a file
// r9_307_sst.i00 in a program folder, at a sample rate of 2560 kHz (connection type 3, 600 Ohm), with the
// command layer's globals pointing at it.
class SelectiveRig {
public:
    // The selective program, or the ordinary one (r9_307.i00) when `selective` is false.
    explicit SelectiveRig(bool selective = true, SimConfig config = SimConfig());
    ~SelectiveRig();
    SelectiveRig(const SelectiveRig &) = delete;
    SelectiveRig &operator=(const SelectiveRig &) = delete;

    // The plan the selective set-up sends: frequencies in kHz.
    void SetPlan(const std::vector<double> &kHz);
    // Waits until a result of this type (2 the end of a pass) or the stop report arrived.
    bool WaitForEnd(std::int16_t type, double seconds = 20);
    bool WaitForStop(double seconds = 20);
    std::vector<SimSstWindow> Windows();
    std::vector<SimPacketViolation> Violations();
    static std::uint32_t Word(double kHz);

    int status = -1;
    TDeviceSettings *saved = DeviceSettings;
    TDeviceSettings settings;
    FirmwareFolder folder;
    QString firmware;
    SimRig rig;
    TDspIo9 link{nullptr, &rig.Port};
    std::vector<SstEvent> events;
    int stops = 0;
};
