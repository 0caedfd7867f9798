#pragma once

// For unattended runs under test: with R9_NO_MODAL set in the environment, any window that opens modally
// (a message box, a file dialog, any dialog waiting for a person) ends the program at once with status 86
// and a line on stderr naming the window, so that a batch run which would hang shows as a failure.
void WatchModalWindows();
