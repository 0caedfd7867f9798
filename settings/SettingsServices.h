#pragma once

// Hands the connection control the settings window's services that it calls from below: the choice of
// the running local generator, the state colours of the window's buttons and the fresh start after a
// change of settings; hands the evaluation and the recording the masters' hooks; and gives storage/ what its
// resets and its generator-state dialog need of the settings window and the remote link. Called once when
// the program starts.
void RegisterSettingsServices();
