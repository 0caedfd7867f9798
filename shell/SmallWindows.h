#pragma once

#include <cstdint>

// The main window's small windows of the instrument: power and temperatures, instrument information, the
// service window and the text messages to the remote analyser.

// Fills the window factories of these windows that are still empty.
void InstallSmallWindowFactories();

// The refreshes the main window calls; each does nothing while its window is closed.
void RefreshPowerWindow();
void RefreshTechWindow();
void ShowTechCounter(uint32_t count);
void RefreshTextWindow();
