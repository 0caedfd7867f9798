#pragma once

// Hands the connection control the settings window's services that it calls from below: the choice of
// the running local generator, the state colours of the window's buttons and the fresh start after a
// change of settings; and gives the resets of storage/ the weighting name and the meter page. Called once
// when the program starts.
void RegisterSettingsServices();
