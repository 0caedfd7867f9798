#pragma once

// Issues the instrument commands whose bits are raised in DeviceSettings->Mode, in their fixed order,
// and clears the mask. While no connection to the instrument (or the emulator) is open, nothing can be
// issued and the bits stay pending for the first call after the connection opened.
void SendCommand();

// True while the link objects of an open connection, or the emulator, exist.
bool ConnectionOpen();

// Set when the last SendCommand had a failing command.
extern bool CommandFailed;
