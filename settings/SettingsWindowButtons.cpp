#include "settings/SettingsWindowButtons.h"

// The settings window does not exist yet, so it is never open and there is no button to recolour.

void MarkLocalGenButton(int) {}
void ShowMasterFreqState() {}
void ShowMasterLevState() {}
void ShowMirvakStartButton() {}
void ShowSyncState() {}
