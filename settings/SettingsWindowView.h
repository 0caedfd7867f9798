#pragma once

// What the generator commands and the rest of the program ask of the settings window while it is open.
// The window registers itself when it is created and unregisters when it closes; while none is
// registered (the window is closed) every request is skipped, and the next RefreshAllPages shows the
// record as it then stands.
class TSettingsWindowView {
public:
    virtual ~TSettingsWindowView() = default;
    // Only the pressed generator button (kind as GeneratorKind) keeps its state; every button shows its
    // state colour.
    virtual void MarkLocalGenButton(int kind) = 0;
    virtual void MarkRemoteGenButton(int kind) = 0;
    virtual void RefreshGenButtons() = 0;
    // The enabling table of the window's controls.
    virtual void UpdateControlStates() = 0;
    // Every page from DeviceSettings.
    virtual void RefreshAllPages() = 0;
    virtual void RefreshMeterPage() = 0;
    // Only the Meter page's band edits, or only its averaging interval.
    virtual void ShowMeterBand() = 0;
    virtual void ShowMeterAveraging() = 0;
    // One blink step of the generator buttons.
    virtual void ShowGeneratorStates() = 0;
    // The SYNC page's Start and Stop buttons show the SYNC run's state.
    virtual void ShowSyncState() = 0;
    // The selective page's Start button shows the selective run's state (a window without that page
    // has nothing to show).
    virtual void ShowMirvakStartButton() {}
    // The remote group's buttons follow the link's states.
    virtual void UpdateRemoteButtons() = 0;
};

void SetSettingsWindowView(TSettingsWindowView *view);
// The open window, or null.
TSettingsWindowView *SettingsWindowView();
