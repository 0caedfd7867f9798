#pragma once

#include <cstdint>
#include <functional>

// What the connection control asks of the subsystems above it. The settings window's services and the
// recorder fill their entries when the program starts (RegisterSettingsServices, RegisterRecorder); an
// empty entry is a service that this program run does not have, and the call does nothing.
struct TConnectionServices {
    // A local generator became the running one: the others are switched off, and the settings window
    // marks its button.
    std::function<void(int kind)> SelectLocalGenerator;
    std::function<void(int kind)> MarkLocalGenButton;
    // The start buttons of the frequency master, the level master, the selective run and the SYNC run
    // show a run that became active.
    std::function<void()> ShowMasterFreqState;
    std::function<void()> ShowMasterLevState;
    std::function<void()> ShowMirvakStartButton;
    std::function<void()> ShowSyncState;
    // The results, the time series and the recognition start afresh after a change of settings.
    std::function<void(int flag)> RecomputeAfterSettings;
    // One recording step: the recorder writes the streams whose RecordChangeMask bits are set.
    std::function<void()> RecordTick;
};

TConnectionServices &ConnectionServices();
