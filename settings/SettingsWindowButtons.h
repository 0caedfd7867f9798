#pragma once

// The state colours of the settings window's buttons, refreshed when a generator, master or run changes
// its state from outside the window. Nothing happens while the window is closed.

// The local generator button of `kind` (GeneratorKind) became the active one.
void MarkLocalGenButton(int kind);
// The start buttons of the frequency master, the level master, the selective run and the SYNC run.
void ShowMasterFreqState();
void ShowMasterLevState();
void ShowMirvakStartButton();
void ShowSyncState();
