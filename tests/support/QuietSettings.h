#pragma once

#include "state/DeviceSettings.h"

// Settings of a 1024 kHz range (fs 2560 kHz, above the rate where the calibration is refitted) on
// connection type 2 with a 600 Ohm generator: nothing pending, every generator, run and remote link off.
inline TDeviceSettings QuietSettings() {
    TDeviceSettings s = DefaultDeviceSettings();
    s.MaxFrequency = 1024;
    s.SampleRate = 2560;
    s.ConnectionType = 2;
    s.GenImpedance = 600;
    s.GenLowImpedance = 0;
    s.GenRef = 0;
    s.AdcSize = 4096;
    s.Mode = 0;
    for (GenBlock *g : {&s.Sin, &s.Sin2, &s.Mtts, &s.Rnd, &s.Noise, &s.Block})
        g->State = 0;
    s.SyncGenState = 0;
    s.Mirvak.RunState = 0;
    s.ConnectState = 0;
    s.PeerConnectState = 0;
    return s;
}
