#pragma once

// The settings window's refreshes as the rest of the program calls them: each goes to the open window
// and does nothing while the window is closed.

// The local generator button of `kind` (GeneratorKind) became the active one; the other kinds go off.
void MarkLocalGenButton(int kind);
// The same for the peer's generator buttons.
void MarkRemoteGenButton(int kind);
// Every generator button from its state.
void RefreshGenButtons();
void UpdateControlStates();
void RefreshAllPages();
void RefreshMeterPage();
// The Meter page's band edits, or its averaging interval, as a master run moves them.
void ShowMeterBand();
void ShowMeterAveraging();
// One blink step; the main window's timer calls it every 500 ms.
void ShowGeneratorStates();
// The start buttons of the frequency master, the level master, the selective run and the SYNC run show
// the run's state.
void ShowMasterFreqState();
void ShowMasterLevState();
void ShowMirvakStartButton();
void ShowSyncState();
